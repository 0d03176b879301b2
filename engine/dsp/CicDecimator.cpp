#include "engine/dsp/CicDecimator.h"

#include <QDebug>

#include <algorithm>
#include <cmath>

namespace {
constexpr float kInputScale = 32767.0f;

// Compensation filter taps in units of 1.6382e-4 (they sum to 6098: gain 0.999 at DC).
// Designed by weighted least squares for a symmetric 32-tap filter: over 0 to 0.2 of the
// output rate the target is the inverse of the comb's response (sin(pi f) / (pi f))^2
// (its shape for large factors), weight 1; over 0.3 to 0.5 the target is 0, weight 10;
// the least-squares taps were then rounded to the units above.
constexpr float kTapUnit = 1.6382e-4f;
constexpr float kCompensationTaps[CicDecimator::kTaps] = {
    -8,   -5,  22,   17,   -47, -41, 87,   83,   -148, -157, 246, 297, -423, -646, 885, 2887,
    2887, 885, -646, -423, 297, 246, -157, -148, 83,   87,   -41, -47, 17,   22,   -5,  -8,
};

uint32_t toInteger(float x)
{
    const float limited = std::max(-1.0f, std::min(1.0f, x == x ? x : 0.0f));
    return uint32_t(int32_t(std::lrint(limited * kInputScale)));
}
} // namespace

void CicDecimator::Reset()
{
    *this = CicDecimator();
}

int CicDecimator::Decimate(const Complex* in, int count, Complex* out, int newFactor)
{
    if (newFactor < 1 || newFactor > kMaxFactor) {
        qDebug() << "CicDecimator::Decimate refused: factor" << newFactor << "is outside 1 to" << kMaxFactor;
        return -1;
    }
    if (newFactor != factor) {
        Reset();
        factor = newFactor;
    }
    // The two combs give factor^2 times the input; back to the input's level.
    const float outputScale = 1.0f / (kInputScale * float(factor) * float(factor));
    int produced = 0;
    for (int i = 0; i < count; ++i) {
        const uint32_t x[2] = {toInteger(in[i].real()), toInteger(in[i].imag())};
        for (int part = 0; part < 2; ++part) {
            integrator1[part] += x[part];
            integrator2[part] += integrator1[part];
        }
        if (++phase < factor)
            continue;
        phase = 0;
        float comb[2];
        for (int part = 0; part < 2; ++part) {
            const uint32_t stage1 = integrator2[part] - comb1Delay[part];
            comb1Delay[part] = integrator2[part];
            const uint32_t stage2 = stage1 - comb2Delay[part];
            comb2Delay[part] = stage1;
            comb[part] = float(int32_t(stage2)) * outputScale;
        }
        out[produced++] = Compensate(Complex(comb[0], comb[1]));
    }
    return produced;
}

Complex CicDecimator::Compensate(Complex combOutput)
{
    historyPos = (historyPos + kTaps - 1) % kTaps;
    history[historyPos] = combOutput;
    history[historyPos + kTaps] = combOutput;
    const Complex* newest = history + historyPos;
    float re = 0.0f, im = 0.0f;
    for (int k = 0; k < kTaps; ++k) {
        re += kCompensationTaps[k] * newest[k].real();
        im += kCompensationTaps[k] * newest[k].imag();
    }
    return Complex(re * kTapUnit, im * kTapUnit);
}
