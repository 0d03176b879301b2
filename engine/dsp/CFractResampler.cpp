#include "engine/dsp/CFractResampler.h"

#include "engine/dsp/CpuDispatch.h"

#include <QDebug>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
constexpr int kLength = CFractResampler::kKernelLength;
constexpr int kPhases = CFractResampler::kPhases;
constexpr int kTableSize = kLength * kPhases + 1; // 280001 points
static_assert(kLength % 4 == 0, "the kernel is summed four inputs at a time");

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
// Outputs from the read position *time on while it stays inside the count new samples
// (behind the 28 of history), advancing it by ratio each; at most maxOutputs of them.
CPU_DISPATCHED int resampleBlock(const float* __restrict buffer, int count, float ratio, double* time,
                                 float* __restrict out, int maxOutputs)
{
    const float* table = phaseTable();
    double t = *time;
    int produced = 0;
    for (int p = int(t); p < count && produced < maxOutputs; p = int(t)) {
        // Inputs p + 1 .. p + 28; the first sits (p + 1 - t) samples after the output.
        const int phase = int((p + 1 - t) * kPhases);
        const float* __restrict weights = table + phase * kLength;
        const float* __restrict x = buffer + 2 * (p + 1);
        // Four inputs at a time: eight sums (I and Q of each), so that the products
        // and sums of a step run side by side.
        float sums[8] = {};
        for (int k = 0; k < kLength; k += 4)
            for (int i = 0; i < 8; ++i)
                sums[i] += x[2 * k + i] * weights[k + i / 2];
        out[2 * produced] = (sums[0] + sums[2]) + (sums[4] + sums[6]);
        out[2 * produced + 1] = (sums[1] + sums[3]) + (sums[5] + sums[7]);
        ++produced;
        t += ratio;
    }
    *time = t;
    return produced;
}

// value x gain as a 16-bit range integer: limited to -32767..32767, then truncated.
int32_t scaledSample(float value, float gain)
{
    const float v = value * gain;
    if (v >= 32767.0f)
        return 32767;
    if (v <= -32767.0f)
        return -32767;
    return v == v ? int32_t(v) : 0;
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

int CFractResampler::Admit(const char* operation, int count, float ratio, const void* out) const
{
    if (out == nullptr) {
        std::printf(" CFractResampler::%s() pOutBuf == NULL \n", operation);
        return 0;
    }
    if (!(ratio > 0.0f)) {
        qDebug().nospace() << "CFractResampler::" << operation << "() ratio must be above 0: " << ratio;
        return 0;
    }
    if (count > maxInput) {
        qDebug().nospace() << "CFractResampler::" << operation << "() input too big " << count;
        return maxInput;
    }
    return count;
}

int CFractResampler::Run(int count, float ratio, Complex* out)
{
    if (time < 0)
        time = 0;
    const int produced = resampleBlock(reinterpret_cast<const float*>(inputBuffer.data()), count, ratio,
                                       &time, reinterpret_cast<float*>(out), INT_MAX);
    EndBlock(count);
    return produced;
}

template <class Store> int CFractResampler::RunInChunks(int count, float ratio, Store store)
{
    constexpr int kChunk = 256;
    Complex chunk[kChunk];
    if (time < 0)
        time = 0;
    int total = 0;
    for (int n = kChunk; n == kChunk; total += n) {
        n = resampleBlock(reinterpret_cast<const float*>(inputBuffer.data()), count, ratio, &time,
                          reinterpret_cast<float*>(chunk), kChunk);
        store(chunk, n, total);
    }
    EndBlock(count);
    return total;
}

void CFractResampler::EndBlock(int count)
{
    time -= count; // now relative to the next block
    std::memmove(inputBuffer.data(), inputBuffer.data() + count, kLength * sizeof(Complex));
}

int CFractResampler::Resample(int count, float ratio, const Complex* in, Complex* out)
{
    std::lock_guard<std::mutex> guard(lock);
    count = Admit("Resample", count, ratio, out);
    if (count <= 0)
        return 0;
    std::memcpy(BlockStart(), in, count * sizeof(Complex));
    return Run(count, ratio, out);
}

int CFractResampler::ResampleToInt(int count, float ratio, const Complex* in, int32_t* out, float gain)
{
    std::lock_guard<std::mutex> guard(lock);
    count = Admit("ResampleToInt", count, ratio, out);
    if (count <= 0)
        return 0;
    std::memcpy(BlockStart(), in, count * sizeof(Complex));
    return RunInChunks(count, ratio, [out, gain](const Complex* chunk, int n, int first) {
        for (int i = 0; i < n; ++i) {
            out[2 * (first + i)] = scaledSample(chunk[i].real(), gain);
            out[2 * (first + i) + 1] = scaledSample(chunk[i].imag(), gain);
        }
    });
}

int CFractResampler::ResampleReal(int count, float ratio, const float* in, float* out)
{
    qDebug().nospace() << "Resample(" << count << "," << ratio << ")";
    std::lock_guard<std::mutex> guard(lock);
    count = Admit("ResampleReal", count, ratio, out);
    if (count <= 0)
        return 0;
    Complex* block = BlockStart();
    for (int i = 0; i < count; ++i)
        block[i] = Complex(in[i], 0.0f);
    return RunInChunks(count, ratio, [out](const Complex* chunk, int n, int first) {
        for (int i = 0; i < n; ++i)
            out[first + i] = chunk[i].real();
    });
}

int CFractResampler::ResampleRealToInt(int count, float ratio, const float* in, int32_t* out, float gain)
{
    std::lock_guard<std::mutex> guard(lock);
    count = Admit("ResampleRealToInt", count, ratio, out);
    if (count <= 0)
        return 0;
    Complex* block = BlockStart();
    for (int i = 0; i < count; ++i)
        block[i] = Complex(in[i], 0.0f);
    return RunInChunks(count, ratio, [out, gain](const Complex* chunk, int n, int first) {
        for (int i = 0; i < n; ++i)
            out[first + i] = scaledSample(chunk[i].real(), gain);
    });
}
