#include "ui/panels/BinLevel.h"

namespace {
constexpr double Floor = 1e-20;
// |X| * scale above this puts the floor's share of the level under 1e-9 dB.
constexpr double FloorNegligibleFrom = 1e-10;
} // namespace

BinLevel::BinLevel(double s)
    : scale(s), scaleDb(20.0 * std::log10(s)),
      floorShowsBelow((FloorNegligibleFrom / s) * (FloorNegligibleFrom / s))
{
}

double BinLevel::fullFormula(float re, float im) const
{
    return float(20.0 * std::log10(std::hypot(double(re), double(im)) * scale + Floor));
}
