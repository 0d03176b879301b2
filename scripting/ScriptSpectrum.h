#pragma once

#include <vector>

// The transforms behind the scripts' calcFFT and calcPower. The input is read as
// size complex values from interleaved numbers (I, Q, I, Q, ...): numbers beyond
// 2 x size are ignored, missing ones count as 0. The output has the negative
// frequencies first, bins size/2 .. size-1 then 0 .. size/2-1, so bin 0 lands at
// position size - size/2. The caller bounds size (1 .. a sane maximum).
namespace ScriptSpectrum {

// 2 x size numbers: each bin's real and imaginary parts divided by size.
std::vector<float> fft(const std::vector<double>& values, int size);

// size numbers: 20 log10 of each bin's power, |X / size|^2, floored at -150.
// The 20 (rather than 10) doubles every figure: scripts compare against it as it is.
std::vector<float> power(const std::vector<double>& values, int size);

constexpr float PowerFloorDb = -150.0f;

} // namespace ScriptSpectrum
