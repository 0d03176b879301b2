#pragma once

#include "engine/dsp/Complex.h"

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

private:
    std::mutex lock;
    double time = 0.0; // read position of the next output, from the start of the history
    int maxInput = 0;
    std::vector<Complex> inputBuffer; // 28 samples of history, then the current block
};
