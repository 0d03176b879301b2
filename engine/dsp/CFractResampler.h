#pragma once

#include "engine/dsp/Complex.h"

#include <cstdint>
#include <mutex>
#include <vector>

// Changes the rate of a stream of complex samples by any real ratio, block by block,
// interpolating with a windowed sinc 28 input samples long (read from a table of 10000
// points per input sample). The output is delayed by 14 input samples. The read position
// is kept in double precision so that, over any run, outputs = inputs / ratio within one.
class CFractResampler
{
public:
    static constexpr int kKernelLength = 28;
    static constexpr int kPhases = 10000; // table points per input sample

    CFractResampler();
    virtual ~CFractResampler();
    CFractResampler(const CFractResampler&) = delete;
    CFractResampler& operator=(const CFractResampler&) = delete;

    // Largest block Resample accepts. A new size clears the history and the position.
    void SetMaxInputSize(int size);
    // ratio: input samples per output sample (input rate / output rate), above 0.
    // Writes about count / ratio outputs; out must hold count / ratio + 1 samples.
    // Returns the number written (0 with a message for a null out or a ratio <= 0).
    // A block longer than the maximum input size is cut to it.
    int Resample(int count, float ratio, const Complex* in, Complex* out);

    // Variants with the same rules, sharing the history and the position with Resample.
    // The integer outputs are the samples times gain, limited to -32767..32767 and
    // truncated. ResampleToInt writes two integers (I, Q) per output; the real variants
    // resample the real line in (kept in the history as samples with zero Q).
    int ResampleToInt(int count, float ratio, const Complex* in, int32_t* out, float gain);
    int ResampleReal(int count, float ratio, const float* in, float* out);
    int ResampleRealToInt(int count, float ratio, const float* in, int32_t* out, float gain);

private:
    // Checks a block: 0 when nothing is to be done (a message says why), otherwise the
    // count to take, cut to the maximum input size.
    int Admit(const char* operation, int count, float ratio, const void* out) const;
    Complex* BlockStart() { return inputBuffer.data() + kKernelLength; }
    // Resamples the count samples behind the history into out (unlimited) or chunk by
    // chunk into store, then keeps the block's last 28 samples as the new history.
    int Run(int count, float ratio, Complex* out);
    template <class Store> int RunInChunks(int count, float ratio, Store store);
    void EndBlock(int count);

    std::mutex lock;
    double time = 0.0; // read position of the next output, from the start of the history
    int maxInput = 0;
    std::vector<Complex> inputBuffer; // 28 samples of history, then the current block
};
