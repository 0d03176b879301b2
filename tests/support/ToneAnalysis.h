#pragma once

#include <vector>

// Measurements on recorded or computed audio, so that tests check what a listener
// would hear: pitch, level and the strength of given tones.
namespace tone {

// Frequency of the strongest component between minHz and maxHz: the peak of a
// Hann-windowed FFT refined by parabolic interpolation of the log magnitudes.
double peakFrequency(const std::vector<float>& samples, double rate, double minHz = 20.0,
                     double maxHz = 20000.0);
// Frequency of a clean tone from its rising zero crossings (interpolated).
double zeroCrossingFrequency(const std::vector<float>& samples, double rate);
double rms(const std::vector<float>& samples);
// Amplitude (peak) of the component at hz, by a Goertzel filter over the samples.
double toneAmplitude(const std::vector<float>& samples, double rate, double hz);
// The amplitude at hz that most of the samples carry: the median of it over
// chunks of chunkSize, so that a gap (a machine too busy to feed the sound
// card in time) does not lower it; 0 when there is not one whole chunk.
double typicalToneAmplitude(const std::vector<float>& samples, double rate, double hz, long chunkSize = 4096);
// The part between the first and the last sample whose magnitude exceeds threshold,
// with trim (a fraction 0..0.5) cut off at each end; empty when nothing exceeds it.
std::vector<float> activeSection(const std::vector<float>& samples, float threshold, double trim = 0.1);
// The longest stretch [begin, end) in which the sound never drops out: no more
// than maxQuiet samples in a row at or below quietLevel (the silence a sink
// plays when it runs dry), from its first loud sample to its last; {0, 0}
// when nothing is loud.
struct Span
{
    long begin = 0;
    long end = 0;
    long size() const { return end - begin; }
};
Span longestUnbroken(const std::vector<float>& samples, float quietLevel, long maxQuiet);
// Samples [begin, end) of a vector, clamped to its size.
std::vector<float> slice(const std::vector<float>& samples, long begin, long end);

} // namespace tone
