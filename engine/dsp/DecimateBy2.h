#pragma once

#include "engine/dsp/CDownConvert.h"

#include <vector>

// Base of the decimate-by-2 stages, all FIR filters evaluated at every second sample.
// The input is split into its even and odd samples (polyphase form) behind the filter's
// history, so each kernel runs over contiguous arrays. An odd sample left over at the end
// of a block waits for the next one, so the decimation phase never flips and any block
// length, however short, is filtered against the true history.
class PolyphaseDecimator : public CDownConvert::CDec2
{
public:
    int DecBy2(int count, Complex* in, Complex* out) override;
    bool Accepts(int count) const override { return maxInput <= 0 || count <= maxInput; }
    int OutputCount(int count) const override { return ((hasPending ? 1 : 0) + count) / 2; }
    // Split input is taken while no odd sample waits, up to a piece at a time.
    bool SplitInput(int pairs, Complex** even, Complex** odd) override;
    int FilterSplit(int pairs, Complex* out) override;

protected:
    // historyPairs: input pairs before the newest one that an output reads;
    // maxInput: longest block accepted, longer ones are refused with a debug line (-1:
    // any length, processed in pieces).
    PolyphaseDecimator(int historyPairs, int maxInput);

    // Computes pairs outputs. even and odd are interleaved (I, Q) floats that start with
    // the history; output k reads pairs k .. k + historyPairs of both.
    virtual void FilterPairs(const float* even, const float* odd, int pairs, float* out) const = 0;

private:
    static constexpr int kPiecePairs = CDownConvert::kHalfBandMaxInput / 2;

    int DecimatePiece(const Complex* in, int count, Complex* out);

    const int historyPairs;
    const int maxInput;
    std::vector<Complex> even;
    std::vector<Complex> odd;
    bool hasPending = false;
    Complex pending;
};

// Third-order comb (1 + z^-1)^3 / 8, for bands under 0.15 % of the rate.
class CDownConvert::CCicN3DecimateBy2 : public PolyphaseDecimator
{
public:
    CCicN3DecimateBy2();
    int Taps() const override { return 4; }

protected:
    void FilterPairs(const float* even, const float* odd, int pairs, float* out) const override;
};

// Half-band filter of 4m + 3 taps: centre tap 0.5, the other odd taps 0, symmetric.
class SymmetricHalfBand : public PolyphaseDecimator
{
public:
    int Taps() const override { return 4 * m + 3; }

protected:
    // evenTaps: h[0], h[2], ..., h[2m] (the rest follows by symmetry).
    SymmetricHalfBand(int m, const float* evenTaps, int maxInput);
    void FilterPairs(const float* even, const float* odd, int pairs, float* out) const override;

private:
    const int m;
    const float* evenTaps;
};

// 11-tap half-band for bands up to 2.5 % of the rate; takes blocks of any length.
class CDownConvert::CHalfBand11TapDecimateBy2 : public SymmetricHalfBand
{
public:
    CHalfBand11TapDecimateBy2();
};

// N-tap half-band (N = 15, 19, ..., 51) for bands up to 16.7 % of the rate; takes blocks
// of at most kHalfBandMaxInput samples.
class CDownConvert::CHalfBandDecimateBy2 : public SymmetricHalfBand
{
public:
    explicit CHalfBandDecimateBy2(int taps);
};

// Even-index taps h[0], h[2], ... up to the one before the centre of the N-tap
// half-band; null for a length without a table.
const float* halfBandEvenTaps(int taps);

// The debug line of a block too long for a half-band stage.
void reportOverlongBlock(int count);
