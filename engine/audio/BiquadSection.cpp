#include "engine/audio/BiquadSection.h"

#include <cmath>

void BiquadSection::setType(int newType)
{
    type = newType;
    computeCoefficients();
}

void BiquadSection::setQ(double newQ)
{
    q = newQ;
    computeCoefficients();
}

void BiquadSection::setCentre(double newCentre)
{
    centre = newCentre;
    computeCoefficients();
}

void BiquadSection::setGain(double newGainDb)
{
    gainDb = newGainDb;
    computeCoefficients();
}

void BiquadSection::setAll(int newType, double newCentre, double newQ, double newGainDb)
{
    type = newType;
    centre = newCentre;
    q = newQ;
    gainDb = newGainDb;
    computeCoefficients();
}

void BiquadSection::initialise(int newType, double newCentre, double newQ, double newGainDb)
{
    setAll(newType, newCentre, newQ, newGainDb);
    z1 = 0.0;
    z2 = 0.0;
}

void BiquadSection::computeCoefficients()
{
    const double K = std::tan(M_PI * centre);
    const double K2 = K * K;
    const double V = std::pow(10.0, std::fabs(gainDb) / 20.0);
    const double Q = q;
    const double sqrt2 = std::sqrt(2.0);
    const double sqrt2V = std::sqrt(2.0 * V);
    double n = 0.0;

    switch (type) {
    case LowPass:
        n = 1.0 / (1.0 + K / Q + K2);
        a0 = K2 * n;
        a1 = 2.0 * a0;
        a2 = a0;
        b1 = 2.0 * (K2 - 1.0) * n;
        b2 = (1.0 - K / Q + K2) * n;
        break;
    case HighPass:
        n = 1.0 / (1.0 + K / Q + K2);
        a0 = n;
        a1 = -2.0 * a0;
        a2 = a0;
        b1 = 2.0 * (K2 - 1.0) * n;
        b2 = (1.0 - K / Q + K2) * n;
        break;
    case BandPass:
        n = 1.0 / (1.0 + K / Q + K2);
        a0 = K / Q * n;
        a1 = 0.0;
        a2 = -a0;
        b1 = 2.0 * (K2 - 1.0) * n;
        b2 = (1.0 - K / Q + K2) * n;
        break;
    case Notch:
        n = 1.0 / (1.0 + K / Q + K2);
        a0 = (1.0 + K2) * n;
        a1 = 2.0 * (K2 - 1.0) * n;
        a2 = a0;
        b1 = a1;
        b2 = (1.0 - K / Q + K2) * n;
        break;
    case Peak:
        if (gainDb >= 0.0) {
            n = 1.0 / (1.0 + K / Q + K2);
            a0 = (1.0 + V * K / Q + K2) * n;
            a1 = 2.0 * (K2 - 1.0) * n;
            a2 = (1.0 - V * K / Q + K2) * n;
            b1 = a1;
            b2 = (1.0 - K / Q + K2) * n;
        } else {
            n = 1.0 / (1.0 + V * K / Q + K2);
            a0 = (1.0 + K / Q + K2) * n;
            a1 = 2.0 * (K2 - 1.0) * n;
            a2 = (1.0 - K / Q + K2) * n;
            b1 = a1;
            b2 = (1.0 - V * K / Q + K2) * n;
        }
        break;
    case LowShelf:
        if (gainDb >= 0.0) {
            n = 1.0 / (1.0 + sqrt2 * K + K2);
            a0 = (1.0 + sqrt2V * K + V * K2) * n;
            a1 = 2.0 * (V * K2 - 1.0) * n;
            a2 = (1.0 - sqrt2V * K + V * K2) * n;
            b1 = 2.0 * (K2 - 1.0) * n;
            b2 = (1.0 - sqrt2 * K + K2) * n;
        } else {
            n = 1.0 / (1.0 + sqrt2V * K + V * K2);
            a0 = (1.0 + sqrt2 * K + K2) * n;
            a1 = 2.0 * (K2 - 1.0) * n;
            a2 = (1.0 - sqrt2 * K + K2) * n;
            b1 = 2.0 * (V * K2 - 1.0) * n;
            b2 = (1.0 - sqrt2V * K + V * K2) * n;
        }
        break;
    case HighShelf:
        if (gainDb >= 0.0) {
            n = 1.0 / (1.0 + sqrt2 * K + K2);
            a0 = (V + sqrt2V * K + K2) * n;
            a1 = 2.0 * (K2 - V) * n;
            a2 = (V - sqrt2V * K + K2) * n;
            b1 = 2.0 * (K2 - 1.0) * n;
            b2 = (1.0 - sqrt2 * K + K2) * n;
        } else {
            n = 1.0 / (V + sqrt2V * K + K2);
            a0 = (1.0 + sqrt2 * K + K2) * n;
            a1 = 2.0 * (K2 - 1.0) * n;
            a2 = (1.0 - sqrt2 * K + K2) * n;
            b1 = 2.0 * (K2 - V) * n;
            b2 = (V - sqrt2V * K + K2) * n;
        }
        break;
    default:
        break;
    }
}
