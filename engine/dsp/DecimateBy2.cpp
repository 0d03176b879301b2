#include "engine/dsp/DecimateBy2.h"

#include "engine/dsp/CpuDispatch.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

void reportOverlongBlock(int count)
{
    qDebug() << "CDownConvert::CHalfBandDecimateBy2::DecBy2 inlenght too long" << count;
}

PolyphaseDecimator::PolyphaseDecimator(int historyPairs, int maxInput)
    : historyPairs(historyPairs), maxInput(maxInput), even(historyPairs + kPiecePairs + 1),
      odd(historyPairs + kPiecePairs + 1)
{
}

int PolyphaseDecimator::DecBy2(int count, Complex* in, Complex* out)
{
    if (!Accepts(count)) {
        reportOverlongBlock(count);
        return -1;
    }
    int produced = 0;
    for (int pos = 0; pos < count;) {
        const int piece = std::min(count - pos, 2 * kPiecePairs - (hasPending ? 1 : 0));
        // Outputs never overtake the input still to be read, so in may be out.
        produced += DecimatePiece(in + pos, piece, out + produced);
        pos += piece;
    }
    return produced;
}

namespace {
// Even samples to even, odd ones to odd; on float pairs, so that the loop vectorises.
CPU_DISPATCHED void splitPairs(const float* __restrict in, float* __restrict even, float* __restrict odd,
                               int pairs)
{
    for (int p = 0; p < pairs; ++p) {
        even[2 * p] = in[4 * p];
        even[2 * p + 1] = in[4 * p + 1];
        odd[2 * p] = in[4 * p + 2];
        odd[2 * p + 1] = in[4 * p + 3];
    }
}
} // namespace

int PolyphaseDecimator::DecimatePiece(const Complex* in, int count, Complex* out)
{
    Complex* e = even.data() + historyPairs;
    Complex* o = odd.data() + historyPairs;
    const int pairs = ((hasPending ? 1 : 0) + count) / 2;
    int pair = 0;
    int index = 0;
    if (hasPending && pairs > 0) {
        e[0] = pending;
        o[0] = in[0];
        pair = 1;
        index = 1;
    }
    splitPairs(reinterpret_cast<const float*>(in + index), reinterpret_cast<float*>(e + pair),
               reinterpret_cast<float*>(o + pair), pairs - pair);
    index += 2 * (pairs - pair);
    hasPending = index < count; // count >= 1 here
    if (hasPending)
        pending = in[index];

    return FilterSplit(pairs, out);
}

bool PolyphaseDecimator::SplitInput(int pairs, Complex** evenInput, Complex** oddInput)
{
    if (hasPending || pairs > kPiecePairs)
        return false;
    *evenInput = even.data() + historyPairs;
    *oddInput = odd.data() + historyPairs;
    return true;
}

int PolyphaseDecimator::FilterSplit(int pairs, Complex* out)
{
    FilterPairs(reinterpret_cast<const float*>(even.data()), reinterpret_cast<const float*>(odd.data()),
                pairs, reinterpret_cast<float*>(out));

    std::memmove(even.data(), even.data() + pairs, historyPairs * sizeof(Complex));
    std::memmove(odd.data(), odd.data() + pairs, historyPairs * sizeof(Complex));
    return pairs;
}

CDownConvert::CCicN3DecimateBy2::CCicN3DecimateBy2() : PolyphaseDecimator(1, -1) {}

namespace {
// y[k] = (x[2k-2] + 3 x[2k-1] + 3 x[2k] + x[2k+1]) / 8
CPU_DISPATCHED void combKernel(const float* __restrict e, const float* __restrict o, int pairs,
                               float* __restrict y)
{
    for (int i = 0; i < 2 * pairs; ++i)
        y[i] = 0.125f * (3.0f * (o[i] + e[i + 2]) + (e[i] + o[i + 2]));
}
} // namespace

void CDownConvert::CCicN3DecimateBy2::FilterPairs(const float* even, const float* odd, int pairs,
                                                  float* out) const
{
    combKernel(even, odd, pairs, out);
}

namespace {
// y[k] = 0.5 o[k + M] + sum over t = 0..M of h[2t] (e[k + t] + e[k + 2M + 1 - t]), the
// taps unrolled so that the loop over outputs vectorises.
template <int M>
CPU_DISPATCHED void halfBandKernel(const float* __restrict e, const float* __restrict o, int pairs,
                                   const float* __restrict h, float* __restrict y)
{
    constexpr int kHistory = 2 * M + 1;
    float taps[M + 1];
    std::copy(h, h + M + 1, taps);
    for (int i = 0; i < 2 * pairs; ++i) {
        float acc = 0.5f * o[i + 2 * M];
        for (int t = 0; t <= M; ++t)
            acc += taps[t] * (e[i + 2 * t] + e[i + 2 * (kHistory - t)]);
        y[i] = acc;
    }
}
} // namespace

SymmetricHalfBand::SymmetricHalfBand(int m, const float* evenTaps, int maxInput)
    : PolyphaseDecimator(2 * m + 1, maxInput), m(m), evenTaps(evenTaps)
{
}

void SymmetricHalfBand::FilterPairs(const float* even, const float* odd, int pairs, float* out) const
{
    switch (m) {
    case 2:
        return halfBandKernel<2>(even, odd, pairs, evenTaps, out);
    case 3:
        return halfBandKernel<3>(even, odd, pairs, evenTaps, out);
    case 4:
        return halfBandKernel<4>(even, odd, pairs, evenTaps, out);
    case 5:
        return halfBandKernel<5>(even, odd, pairs, evenTaps, out);
    case 6:
        return halfBandKernel<6>(even, odd, pairs, evenTaps, out);
    case 7:
        return halfBandKernel<7>(even, odd, pairs, evenTaps, out);
    case 8:
        return halfBandKernel<8>(even, odd, pairs, evenTaps, out);
    case 9:
        return halfBandKernel<9>(even, odd, pairs, evenTaps, out);
    case 10:
        return halfBandKernel<10>(even, odd, pairs, evenTaps, out);
    case 11:
        return halfBandKernel<11>(even, odd, pairs, evenTaps, out);
    case 12:
        return halfBandKernel<12>(even, odd, pairs, evenTaps, out);
    }
}

namespace {
const float kTaps11[] = {0.0060431030578911304f, -0.04937251657247543f, 0.2933294475078583f};
} // namespace

CDownConvert::CHalfBand11TapDecimateBy2::CHalfBand11TapDecimateBy2() : SymmetricHalfBand(2, kTaps11, -1) {}

CDownConvert::CHalfBandDecimateBy2::CHalfBandDecimateBy2(int taps)
    : SymmetricHalfBand((taps - 3) / 4, halfBandEvenTaps(taps), CDownConvert::kHalfBandMaxInput)
{
}
