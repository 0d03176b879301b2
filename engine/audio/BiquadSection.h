#pragma once

// One second-order IIR section designed with one of seven classic formulas and run
// in transposed direct form II. centre is a fraction of the sample rate.
struct BiquadSection
{
    enum Type { LowPass = 0, HighPass = 1, BandPass = 2, Notch = 3, Peak = 4, LowShelf = 5, HighShelf = 6 };

    int type = LowPass;
    double a0 = 1.0;
    double a1 = 0.0;
    double a2 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    double centre = 0.5;
    double q = 0.707;
    double gainDb = 0.0;
    double z1 = 0.0;
    double z2 = 0.0;

    // Setters recompute the coefficients and keep the filter state.
    void setType(int newType);
    void setQ(double newQ);
    void setCentre(double newCentre);
    void setGain(double newGainDb);
    void setAll(int newType, double newCentre, double newQ, double newGainDb);
    // As setAll, and clears the state.
    void initialise(int newType, double newCentre, double newQ, double newGainDb);
    // A type outside 0..6 leaves the coefficients unchanged.
    void computeCoefficients();

    double process(double x)
    {
        const double y = a0 * x + z1;
        z1 = a1 * x + z2 - b1 * y;
        z2 = a2 * x - b2 * y;
        return y;
    }
};
