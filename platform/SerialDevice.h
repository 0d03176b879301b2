#pragma once

#include <string>

// Linux stand-ins for the Windows serial-port calls the program was written
// against (CreateFileA, BuildCommDCBA/SetCommState, SetCommTimeouts, ReadFile,
// WriteFile, CloseHandle, GetCommModemStatus, EscapeCommFunction), on termios.
namespace serial {

using Handle = int;
constexpr Handle InvalidHandle = -1;

// Modem status bits as GetCommModemStatus reports them.
constexpr unsigned ModemCtsOn = 0x10;
constexpr unsigned ModemDsrOn = 0x20;
constexpr unsigned ModemRlsdOn = 0x80; // carrier detect

// EscapeCommFunction codes.
enum class Escape { SetRts = 3, ClearRts = 4, SetDtr = 5, ClearDtr = 6 };

// The device that port index i (COM<i+1>) names: the target of the working
// directory's symbolic link "dosdevices/com<i+1>" when that link exists,
// otherwise "/dev/ttyS<i>".
std::string devicePathForPort(int index);

// Opens an existing device for reading and writing, for this caller alone
// (exclusive tty mode). Returns InvalidHandle on failure.
Handle openDevice(const std::string& path);

// SetCommState with "data=8 parity=N stop=1 dtr=on rts=on" at the given rate,
// in raw mode (no echo, no line editing, no character mapping, no flow
// control). Every positive rate is accepted, including those without a
// B<rate> constant (128000, 256000). False when the device refuses them.
bool applyLineSettings(Handle handle, int baud);

// SetCommTimeouts with a read interval of MAXDWORD and zero totals: a read
// returns at once with what is buffered.
bool setReadsReturnImmediately(Handle handle);

// Up to size bytes that are already buffered; 0 when nothing waits, -1 on error.
int readAvailable(Handle handle, void* buffer, int size);

// Waits at most timeoutMs for bytes to read: 1 when some wait, 0 when none
// came in that time, -1 when the device is gone (unplugged or hung up, after
// which it never delivers again) or the handle is not valid.
int waitReadable(Handle handle, int timeoutMs);

// Writes every byte, waiting while the driver's buffer is full. A device that
// takes nothing for a few seconds ends the wait. Returns the number of bytes
// written, or -1 when none could be written.
int writeAll(Handle handle, const void* buffer, int size);

void closeDevice(Handle handle);

// The Modem* bits of the line states; false when the device has no modem lines.
bool modemStatus(Handle handle, unsigned* bits);

// Raises or lowers DTR or RTS; false when the device has no modem lines.
bool escapeFunction(Handle handle, Escape function);

} // namespace serial
