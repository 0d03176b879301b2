#pragma once

#include <atomic>
#include <cstdint>

class ReceiverHardware;
class VisuFifo;

// The record that travels with every sample block: where and when the block was
// taken. Allocated with malloc by the producer and freed with free by whoever
// frees (or drops) the block. Copy it with sizeof(SampleContext), never with a
// literal size.
struct SampleContext
{
    int64_t hw_center;     // receiver centre, Hz
    float rx_samplerate;   // receiver sample rate, Hz
    float rx_offset;       // destination channel's offset from the centre, Hz
    float ddc_outrate;     // channel rate after its down-converter (the demodulator's input rate later)
    float channel_rate;    // channel output rate
    float rx_gain;         // receiver gain
    float longitude;       // station, degrees
    float latitude;        // station, degrees
    float height;          // station altitude, metres
    float antenna_bearing; // antenna azimuth, degrees
    uint8_t gps_day;
    uint8_t gps_month;
    uint8_t gps_year; // low 8 bits of the full year
    uint8_t gps_hour;
    uint8_t gps_minutes;
    uint8_t gps_seconds;
    ReceiverHardware* hardware;    // the receiver the engine is attached to
    uint8_t live;                  // 1: fetched from the receiver, 0: replayed from a recording
    VisuFifo* fullband_visu_fifo;  // set in contexts bound for RX A (and the recorder's copy)
    VisuFifo* smallband_visu_fifo; // set in contexts bound for RX B
};

// FFT length of the whole-band display. Written by the engine thread when
// reception starts, read by the display window and the RX A panel.
inline std::atomic<int> FULLBAND_FFT_LENGTH{32768};
