#include "engine/dsp/CFractResampler.h"

#include <QDebug>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
constexpr int kLength = CFractResampler::kKernelLength;
constexpr int kPhases = CFractResampler::kPhases;
constexpr int kTableSize = kLength * kPhases + 1; // 280001 points

// The windowed sinc, arranged by phase: row p holds the 28 kernel values that weight the
// inputs of an output whose position lies p / 10000 of a sample before the first of
// them, so one output reads 28 neighbouring floats. Rows run from 0 to 10000; points
// beyond the kernel's end are 0. Immutable and shared by every resampler.
const float* phaseTable()
{
    static const std::unique_ptr<float[]> table = [] {
        std::vector<float> kernel(kTableSize);
        const int middle = kTableSize / 2;
        for (int i = 0; i < kTableSize; ++i) {
            if (i == middle) {
                kernel[i] = 1.0f;
                continue;
            }
            // Four-term Blackman-Harris window spanning the table.
            const float a = 2.0f * float(M_PI) * i / (kTableSize - 1);
            const float window =
                0.35875f - 0.48829f * std::cos(a) + 0.14128f * std::cos(2 * a) - 0.01168f * std::cos(3 * a);
            const float x = float(i - middle) * float(M_PI) / kPhases;
            kernel[i] = window * std::sin(x) / x;
        }
        std::unique_ptr<float[]> rows(new float[(kPhases + 1) * kLength]);
        for (int phase = 0; phase <= kPhases; ++phase)
            for (int k = 0; k < kLength; ++k) {
                const int index = phase + k * kPhases;
                rows[phase * kLength + k] = index < kTableSize ? kernel[index] : 0.0f;
            }
        return rows;
    }();
    return table.get();
}
} // namespace

CFractResampler::CFractResampler()
{
    phaseTable(); // built once per process, before any block arrives
}

CFractResampler::~CFractResampler() = default;

void CFractResampler::SetMaxInputSize(int size)
{
    std::lock_guard<std::mutex> guard(lock);
    if (size == maxInput || size < 0)
        return;
    maxInput = size;
    inputBuffer.assign(size + kLength, Complex(0.0f, 0.0f));
    time = 0.0;
}

int CFractResampler::Resample(int count, float ratio, const Complex* in, Complex* out)
{
    if (out == nullptr) {
        std::printf(" CFractResampler::Resample() pOutBuf == NULL \n");
        return 0;
    }
    if (!(ratio > 0.0f)) {
        qDebug() << "CFractResampler::Resample() ratio must be above 0:" << ratio;
        return 0;
    }
    std::lock_guard<std::mutex> guard(lock);
    if (count > maxInput) {
        qDebug().nospace() << "CFractResampler::Resample() input too big " << count;
        count = maxInput;
    }
    if (count <= 0)
        return 0;
    if (time < 0)
        time = 0;
    std::memcpy(inputBuffer.data() + kLength, in, count * sizeof(Complex));

    const float* table = phaseTable();
    const float* buffer = reinterpret_cast<const float*>(inputBuffer.data());
    int produced = 0;
    for (int p = int(time); p < count; p = int(time)) {
        // Inputs p + 1 .. p + 28; the first sits (p + 1 - time) samples after the output.
        const int phase = int((p + 1 - time) * kPhases);
        const float* __restrict weights = table + phase * kLength;
        const float* __restrict x = buffer + 2 * (p + 1);
        float re = 0.0f, im = 0.0f;
        for (int k = 0; k < kLength; ++k) {
            re += x[2 * k] * weights[k];
            im += x[2 * k + 1] * weights[k];
        }
        out[produced++] = Complex(re, im);
        time += ratio;
    }
    time -= count;
    std::memmove(inputBuffer.data(), inputBuffer.data() + count, kLength * sizeof(Complex));
    return produced;
}
