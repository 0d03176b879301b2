#include "PlainChannelChain.h"

#include "StageTaps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr int kTableLength = 4096; // mixer phasors
constexpr int kFftSize = 4096;
constexpr int kFrame = kFftSize / 2;
constexpr int kTaps = 2049;
constexpr int kKernelLength = 28;
constexpr int kPhases = 10000;
constexpr int kKernelPoints = kKernelLength * kPhases + 1;

} // namespace

PlainChannelChain::PlainChannelChain(double inputRate, double ncoHz, const std::vector<int>& stagePlan,
                                     const Complex* filterTaps, double decimatedRate, double outputRate)
    : ratio(float(decimatedRate) / float(outputRate)) // single precision, like the engine's ratio
{
    // The engine's oscillator turns sample n by (n + 1) steps of a single-precision step.
    const double step = float(2.0 * M_PI * ncoHz / inputRate);
    const double amplitude = std::sqrt(0.95);
    phasorTable.resize(kTableLength);
    for (int k = 0; k < kTableLength; ++k)
        phasorTable[k] = std::polar(float(amplitude), float(std::fmod((k + 1) * step, 2 * M_PI)));
    turnRe = std::cos(kTableLength * step);
    turnIm = std::sin(kTableLength * step);

    for (int length : stagePlan) {
        Stage stage;
        stage.taps = decimatorStageTaps(length);
        // The comb's output reads its pair and the pair before; a half-band's reads
        // the N - 1 samples before the newest.
        stage.history = length == 4 ? 2 : length - 1;
        stage.buffer.assign(stage.history, Complex(0, 0));
        stages.push_back(std::move(stage));
    }

    frame = fftwf_alloc_complex(kFftSize);
    bins = fftwf_alloc_complex(kFftSize);
    result = fftwf_alloc_complex(kFftSize);
    std::memset(frame, 0, sizeof(fftwf_complex) * kFftSize);
    forward = fftwf_plan_dft_1d(kFftSize, frame, bins, FFTW_FORWARD, FFTW_ESTIMATE);
    inverse = fftwf_plan_dft_1d(kFftSize, bins, result, FFTW_BACKWARD, FFTW_ESTIMATE);
    for (int i = 0; i < kTaps; ++i) {
        frame[i][0] = filterTaps[i].real() / kFftSize;
        frame[i][1] = filterTaps[i].imag() / kFftSize;
    }
    fftwf_execute(forward);
    response.resize(kFftSize);
    for (int i = 0; i < kFftSize; ++i)
        response[i] = Complex(bins[i][0], bins[i][1]);
    std::memset(frame, 0, sizeof(fftwf_complex) * kFftSize);
    fill = kFrame;

    kernel.resize(kKernelPoints);
    const int middle = kKernelPoints / 2;
    for (int i = 0; i < kKernelPoints; ++i) {
        if (i == middle) {
            kernel[i] = 1.0f;
            continue;
        }
        const float a = 2.0f * float(M_PI) * i / (kKernelPoints - 1);
        const float window =
            0.35875f - 0.48829f * std::cos(a) + 0.14128f * std::cos(2 * a) - 0.01168f * std::cos(3 * a);
        const float x = float(i - middle) * float(M_PI) / kPhases;
        kernel[i] = window * std::sin(x) / x;
    }
    resampleInput.assign(kKernelLength, Complex(0, 0));
}

PlainChannelChain::~PlainChannelChain()
{
    fftwf_destroy_plan(forward);
    fftwf_destroy_plan(inverse);
    fftwf_free(frame);
    fftwf_free(bins);
    fftwf_free(result);
}

int PlainChannelChain::Process(Complex* block, int count)
{
    Mix(block, count);
    for (Stage& stage : stages)
        count = Decimate(stage, block, count);
    if (filtered.size() < size_t(count) + kFrame)
        filtered.resize(size_t(count) + kFrame);
    const int n = Filter(block, count, filtered.data());
    if (n == 0)
        return 0;
    if (output.size() < size_t(n / ratio) + 2)
        output.resize(size_t(n / ratio) + 2);
    return Resample(filtered.data(), n, output.data());
}

void PlainChannelChain::Mix(Complex* block, int count)
{
    for (int start = 0; start < count;) {
        const int run = std::min(count - start, kTableLength - tablePosition);
        const float pr = float(phasorRe), pi = float(phasorIm);
        const Complex* table = phasorTable.data() + tablePosition;
        Complex* x = block + start;
        for (int i = 0; i < run; ++i) {
            const float wr = pr * table[i].real() - pi * table[i].imag();
            const float wi = pr * table[i].imag() + pi * table[i].real();
            const float xr = x[i].real(), xi = x[i].imag();
            x[i] = Complex(xr * wr - xi * wi, xr * wi + xi * wr);
        }
        start += run;
        tablePosition += run;
        if (tablePosition == kTableLength) {
            tablePosition = 0;
            const double re = phasorRe * turnRe - phasorIm * turnIm;
            const double im = phasorRe * turnIm + phasorIm * turnRe;
            const double norm = std::hypot(re, im);
            phasorRe = re / norm;
            phasorIm = im / norm;
        }
    }
}

int PlainChannelChain::Decimate(Stage& stage, Complex* block, int count)
{
    const int history = stage.history;
    if (stage.buffer.size() < size_t(history) + count)
        stage.buffer.resize(size_t(history) + count);
    std::memcpy(stage.buffer.data() + history, block, sizeof(Complex) * count);
    const Complex* x = stage.buffer.data();
    const float* h = stage.taps.data();
    const int length = int(stage.taps.size());
    const int outputs = count / 2;
    if (length == 4) {
        for (int k = 0; k < outputs; ++k) {
            const Complex* s = x + 2 * k;
            float re = 0, im = 0;
            for (int i = 0; i < 4; ++i) {
                re += h[i] * s[i].real();
                im += h[i] * s[i].imag();
            }
            block[k] = Complex(re, im);
        }
    } else {
        const int centre = (length - 1) / 2;
        for (int k = 0; k < outputs; ++k) {
            const Complex* s = x + 2 * k;
            float re = h[centre] * s[centre].real();
            float im = h[centre] * s[centre].imag();
            for (int i = 0; i < centre; i += 2) {
                re += h[i] * (s[i].real() + s[length - 1 - i].real());
                im += h[i] * (s[i].imag() + s[length - 1 - i].imag());
            }
            block[k] = Complex(re, im);
        }
    }
    // An odd sample left over is not expected: the plans halve even block lengths.
    std::memmove(stage.buffer.data(), stage.buffer.data() + 2 * outputs, sizeof(Complex) * history);
    return outputs;
}

int PlainChannelChain::Filter(const Complex* in, int count, Complex* out)
{
    int written = 0;
    for (int i = 0; i < count; ++i) {
        frame[fill][0] = in[i].real();
        frame[fill][1] = in[i].imag();
        if (++fill < kFftSize)
            continue;
        fftwf_execute(forward);
        for (int b = 0; b < kFftSize; ++b) {
            const float xr = bins[b][0], xi = bins[b][1];
            const float hr = response[b].real(), hi = response[b].imag();
            bins[b][0] = xr * hr - xi * hi;
            bins[b][1] = xr * hi + xi * hr;
        }
        fftwf_execute(inverse);
        for (int j = 0; j < kFrame; ++j)
            out[written++] = Complex(result[kFrame + j][0], result[kFrame + j][1]);
        std::memcpy(frame, frame + kFrame, sizeof(fftwf_complex) * kFrame);
        fill = kFrame;
    }
    return written;
}

int PlainChannelChain::Resample(const Complex* in, int count, Complex* out)
{
    if (resampleInput.size() < size_t(kKernelLength) + count)
        resampleInput.resize(size_t(kKernelLength) + count);
    std::memcpy(resampleInput.data() + kKernelLength, in, sizeof(Complex) * count);
    const Complex* x = resampleInput.data();
    int produced = 0;
    for (int p = int(position); p < count; p = int(position)) {
        // Inputs p + 1 .. p + 28, the first (p + 1 - position) samples after the output.
        const int phase = int((p + 1 - position) * kPhases);
        float re = 0, im = 0;
        for (int j = 0; j < kKernelLength; ++j) {
            const float w = kernel[phase + j * kPhases];
            re += x[p + 1 + j].real() * w;
            im += x[p + 1 + j].imag() * w;
        }
        out[produced++] = Complex(re, im);
        position += ratio;
    }
    position -= count;
    std::memmove(resampleInput.data(), resampleInput.data() + count, sizeof(Complex) * kKernelLength);
    return produced;
}
