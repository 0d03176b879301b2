#pragma once

#include <cmath>

// A transform bin's level as the display shows it: 20 log10(|X| * scale + 1e-20),
// rounded to single precision. Squares of single-precision parts are exact in
// double precision, so the level costs one natural logarithm of the power instead
// of a hypotenuse and a base-10 logarithm; it rounds to the same float, or to its
// neighbour where the exact level lies next to a rounding edge. Only bins so weak
// that the 1e-20 floor would show (zero among them) and NaN take the full formula.
class BinLevel
{
public:
    explicit BinLevel(double scale);

    double operator()(float re, float im) const
    {
        const double power = double(re) * re + double(im) * im;
        if (power >= floorShowsBelow)
            return float(DbPerLnPower * std::log(power) + scaleDb);
        return fullFormula(re, im);
    }

private:
    static constexpr double DbPerLnPower = 4.342944819032518; // 10 / ln 10

    double fullFormula(float re, float im) const;

    double scale;
    double scaleDb;         // 20 log10(scale)
    double floorShowsBelow; // power under which 1e-20 moves the level by 1e-9 dB or more
};
