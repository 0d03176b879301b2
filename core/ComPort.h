#pragma once

// Serial ports addressed by an index from 0 to 15 that stands for COM1 to COM16
// (see serial::devicePathForPort for the device behind each index). The line is
// 8 data bits, no parity, 1 stop bit, DTR and RTS on; reads never wait.
// Diagnostics go to the standard output. Every function checks the index: an
// index out of range or not open fails like a port that could not be opened.
// An index is opened, closed and used by one owner at a time; one owner may
// read and write on its own thread while another index is opened or closed.

// 0 when the port is open and set up, 1 on any failure (an index already open
// included: its owner keeps it).
int comport_open(int port, int baud);

// The bytes already received, up to size; 0 when nothing waits or on failure.
int comport_read(int port, void* buffer, int size);

// Waits at most timeoutMs for bytes to read, so that a reader need not poll:
// 1 when some wait, 0 when none came in that time, -1 when the index is not
// open or its device is gone (unplugged or hung up: it delivers nothing more).
int comport_wait(int port, int timeoutMs);

// Writes every byte; the number written, -1 when the write fails.
int comport_send_buffer(int port, const void* buffer, int size);

// Writes one byte; always 0.
int comport_send_byte(int port, unsigned char byte);

// Writes the text up to its terminating zero, one byte at a time.
void comport_puts(int port, const char* text);

void comport_close(int port);

// 1 when the line is on, 0 when it is off or cannot be read.
int comport_is_dcd(int port);
int comport_is_cts(int port);
int comport_is_dsr(int port);

void comport_dtr_on(int port);
void comport_dtr_off(int port);
void comport_rts_on(int port);
void comport_rts_off(int port);
