#include "engine/dsp/DecimateBy2.h"

// Even-index taps of the half-band filters up to the centre (which is 0.5); each table
// is symmetric and its taps sum to 1.
namespace {
const float kTaps15[] = {-0.0014422033f, 0.013017513f, -0.06165328f, 0.30007792f};
const float kTaps19[] = {0.00042366527f, -0.0040717334f, 0.019895654f, -0.07074004f, 0.3044925f};
const float kTaps23[] = {-0.00014987652f, 0.0014748634f, -0.0074416944f,
                         0.026163522f,    -0.0775937f,   0.30754682f};
const float kTaps27[] = {6.3730426e-05f, -0.0006198519f, 0.0031512505f, -0.011173151f,
                         0.031718887f,   -0.08291786f,   0.30977705f};
const float kTaps31[] = {-3.0957337e-05f, 0.00029271992f, -0.0014770381f, 0.0052539087f,
                         -0.014856379f,   0.03640665f,    -0.08699863f,   0.31140968f};
const float kTaps35[] = {1.7017717e-05f, -0.00015425043f, 0.00076219684f, -0.0026916147f, 0.00759275f,
                         -0.018325727f,  0.040351003f,    -0.090198226f,  0.3126469f};
const float kTaps39[] = {-1.0175083e-05f, 8.803642e-05f, -0.00042370835f, 0.0014772557f, -0.0041468437f,
                         0.009957912f,    -0.021433527f, 0.043598965f,    -0.09269595f,  0.313588f};
const float kTaps43[] = {6.766674e-06f, -5.527522e-05f, 0.00025654075f, -0.00087481254f,
                         0.0024249875f, -0.005777519f,  0.012299834f,   -0.024244051f,
                         0.046354305f,  -0.0947299f,    0.3143392f};
const float kTaps47[] = {-4.5298316e-06f, 3.5333705e-05f, -0.00015934776f, 0.0005340788f,
                         -0.001466795f,   0.003479209f,   -0.0073794355f,  0.014393786f,
                         -0.026586603f,   0.048538674f,   -0.096291155f,   0.31490675f};
const float kTaps51[] = {3.3359254e-06f, -2.4584155e-05f, 0.00010677778f, -0.00034890723f, 0.0009423913f,
                         -0.00221183f,   0.004657503f,    -0.009013098f,  0.016383674f,    -0.02869728f,
                         0.050432924f,   -0.0976119f,     0.31538105f};
} // namespace

const float* halfBandEvenTaps(int taps)
{
    switch (taps) {
    case 15:
        return kTaps15;
    case 19:
        return kTaps19;
    case 23:
        return kTaps23;
    case 27:
        return kTaps27;
    case 31:
        return kTaps31;
    case 35:
        return kTaps35;
    case 39:
        return kTaps39;
    case 43:
        return kTaps43;
    case 47:
        return kTaps47;
    case 51:
        return kTaps51;
    default:
        return nullptr;
    }
}
