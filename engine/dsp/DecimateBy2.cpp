#include "engine/dsp/DecimateBy2.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

PolyphaseDecimator::PolyphaseDecimator(int historyPairs, int maxInput)
    : historyPairs(historyPairs), maxInput(maxInput), even(historyPairs + kPiecePairs + 1),
      odd(historyPairs + kPiecePairs + 1)
{
}

int PolyphaseDecimator::DecBy2(int count, Complex* in, Complex* out)
{
    if (maxInput > 0 && count > maxInput) {
        qDebug() << "CDownConvert::CHalfBandDecimateBy2::DecBy2 inlenght too long" << count;
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
    for (; pair < pairs; ++pair, index += 2) {
        e[pair] = in[index];
        o[pair] = in[index + 1];
    }
    hasPending = index < count; // count >= 1 here
    if (hasPending)
        pending = in[index];

    FilterPairs(reinterpret_cast<const float*>(even.data()), reinterpret_cast<const float*>(odd.data()),
                pairs, reinterpret_cast<float*>(out));

    std::memmove(even.data(), even.data() + pairs, historyPairs * sizeof(Complex));
    std::memmove(odd.data(), odd.data() + pairs, historyPairs * sizeof(Complex));
    return pairs;
}

CDownConvert::CCicN3DecimateBy2::CCicN3DecimateBy2() : PolyphaseDecimator(1, -1) {}

void CDownConvert::CCicN3DecimateBy2::FilterPairs(const float* even, const float* odd, int pairs,
                                                  float* out) const
{
    // y[k] = (x[2k-2] + 3 x[2k-1] + 3 x[2k] + x[2k+1]) / 8
    const float* __restrict e = even;
    const float* __restrict o = odd;
    float* __restrict y = out;
    for (int i = 0; i < 2 * pairs; ++i)
        y[i] = 0.125f * (3.0f * (o[i] + e[i + 2]) + (e[i] + o[i + 2]));
}

namespace {
// y[k] = 0.5 o[k + M] + sum over t = 0..M of h[2t] (e[k + t] + e[k + 2M + 1 - t]), the
// taps unrolled so that the loop over outputs vectorises.
template <int M>
void halfBandKernel(const float* __restrict e, const float* __restrict o, int pairs,
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
