#pragma once

#include <complex>
#include <cstdint>

// The radio context that travels with stream frames: the latest trailer's
// values and a few header and block fields. Zeroed when a reader starts.
// Marker and centre keep the wire's 64 bits, so centres above 2^31 Hz survive.
struct remote_rf_context
{
    int64_t marker;    // change marker: a new value means centre, position or azimuth changed
    int64_t rx_center; // receiver centre in Hz
    float rate;        // sample rate
    float longitude;   // station, degrees
    float latitude;
    float reserved; // trailer bytes 28 to 31, unused
    float azimuth;  // antenna azimuth, degrees
    unsigned char spare[6];
    int32_t headerWord8; // I/Q and session streams only
    int32_t headerWord9;
    int32_t blockValue32; // block B of the latest frame
    int64_t blockValue64;
};

// Stream callbacks: a result of 1 or more lets the transfer go on.
// I/Q frame: count samples in a malloc'd array that the callee owns and frees.
typedef int (*SrvIQCallback)(int count, std::complex<float>* samples, remote_rf_context* context, void* user);
// Spectrum line: count values in a malloc'd array owned by the callee; no context.
typedef int (*SrvSpectrumCallback)(int count, float* values, remote_rf_context* context, void* user);
// Called after a trailer whose marker differs from the previous one; a result of
// 0 or less drops the callback for the rest of the transfer (the stream goes on).
typedef int (*SrvContextCallback)(remote_rf_context* context, void* user);
