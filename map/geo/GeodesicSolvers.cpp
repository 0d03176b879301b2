// Vincenty's direct and inverse solutions on the WGS-84 ellipsoid, with
// GeographicLib's geodesic where Vincenty's iteration fails: near-antipodal
// pairs (where it may oscillate for ever), poles and exact antipodes.
#include "map/geo/SGGeodesy.h"
#include "map/geo/Wgs84.h"

#include <GeographicLib/Geodesic.hpp>
#include <cmath>

namespace SGGeodesy {

namespace {

using namespace Wgs84;

constexpr double kPi = 3.141592653589793;
constexpr double kConvergence = 1e-10;
// Vincenty converges within a few dozen steps wherever it converges at all.
constexpr int kMaxIterations = 200;
// The classic stop rule: too many steps with lambda beyond half a turn.
constexpr int kMaxStepsBeyondHalfTurn = 50;

// An azimuth in degrees brought into [0, 360), with rounding noise near 0 removed.
double normalisedAzimuth(double degrees)
{
    double azimuth = std::fmod(degrees, 360.0);
    if (std::fabs(azimuth) < 1e-10)
        return 0.0;
    if (azimuth < 0.0)
        azimuth += 360.0;
    return azimuth >= 360.0 ? 0.0 : azimuth;
}

double seriesA(double uSquared)
{
    return 1.0 + uSquared / 16384.0 * (4096.0 + uSquared * (-768.0 + uSquared * (320.0 - 175.0 * uSquared)));
}

double seriesB(double uSquared)
{
    return uSquared / 1024.0 * (256.0 + uSquared * (-128.0 + uSquared * (74.0 - 47.0 * uSquared)));
}

double deltaSigma(double b, double sinSigma, double cosSigma, double cos2SigmaM)
{
    const double c2 = cos2SigmaM * cos2SigmaM;
    return b * sinSigma *
           (cos2SigmaM + b / 4.0 *
                             (cosSigma * (-1.0 + 2.0 * c2) -
                              b / 6.0 * cos2SigmaM * (-3.0 + 4.0 * sinSigma * sinSigma) * (-3.0 + 4.0 * c2)));
}

bool isPole(double latitude)
{
    return std::fabs(std::cos(latitude * kDegreesToRadians)) < 1e-10;
}

struct InverseSolution
{
    double azimuth1 = 0.0;
    double backAzimuth = 0.0;
    double distance = 0.0;
};

// Vincenty's inverse iteration; false when it does not converge.
bool vincentyInverse(double lat1, double lat2, double deltaLon, InverseSolution& out)
{
    const double l = deltaLon * kDegreesToRadians;
    const double u1 = std::atan(kOneMinusFlattening * std::tan(lat1 * kDegreesToRadians));
    const double u2 = std::atan(kOneMinusFlattening * std::tan(lat2 * kDegreesToRadians));
    const double sinU1 = std::sin(u1), cosU1 = std::cos(u1);
    const double sinU2 = std::sin(u2), cosU2 = std::cos(u2);

    double lambda = l;
    double sinLambda = 0.0, cosLambda = 0.0, sinSigma = 0.0, cosSigma = 0.0, sigma = 0.0;
    double cosSqAlpha = 0.0, cos2SigmaM = 0.0;
    int stepsBeyondHalfTurn = 0;
    bool converged = false;
    for (int step = 0; step < kMaxIterations && !converged; ++step) {
        sinLambda = std::sin(lambda);
        cosLambda = std::cos(lambda);
        const double t = cosU1 * sinU2 - sinU1 * cosU2 * cosLambda;
        sinSigma = std::sqrt(cosU2 * sinLambda * cosU2 * sinLambda + t * t);
        if (sinSigma == 0.0) {
            // Coincident points (longitudes a whole turn apart).
            out = InverseSolution{};
            return true;
        }
        cosSigma = sinU1 * sinU2 + cosU1 * cosU2 * cosLambda;
        sigma = std::atan2(sinSigma, cosSigma);
        const double sinAlpha = cosU1 * cosU2 * sinLambda / sinSigma;
        cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
        cos2SigmaM = (sinU1 == 0.0 || sinU2 == 0.0 || cosSqAlpha == 0.0)
                         ? cosSigma
                         : cosSigma - 2.0 * sinU1 * sinU2 / cosSqAlpha;
        const double c = kFlattening / 16.0 * cosSqAlpha * (4.0 + kFlattening * (4.0 - 3.0 * cosSqAlpha));
        const double previous = lambda;
        lambda = l + (1.0 - c) * kFlattening * sinAlpha *
                         (sigma + c * sinSigma *
                                      (cos2SigmaM + c * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
        if (std::fabs(lambda) > kPi && ++stepsBeyondHalfTurn > kMaxStepsBeyondHalfTurn)
            return false;
        converged = std::fabs(lambda - previous) <= kConvergence;
    }
    // A lambda beyond half a turn has no geodesic behind it.
    if (!converged || std::fabs(lambda) > kPi)
        return false;

    const double uSquared = cosSqAlpha * kAxesSquaredDifference / kSemiMinorAxisSquared;
    const double b = seriesB(uSquared);
    out.distance =
        kSemiMinorAxis * seriesA(uSquared) * (sigma - deltaSigma(b, sinSigma, cosSigma, cos2SigmaM));
    out.azimuth1 = normalisedAzimuth(
        std::atan2(cosU2 * sinLambda, cosU1 * sinU2 - sinU1 * cosU2 * cosLambda) * kRadiansToDegrees);
    out.backAzimuth = normalisedAzimuth(
        std::atan2(-cosU1 * sinLambda, sinU1 * cosU2 - cosU1 * sinU2 * cosLambda) * kRadiansToDegrees);
    return true;
}

InverseSolution geographicLibInverse(double lat1, double lon1, double lat2, double lon2)
{
    double distance = 0.0, azimuth1 = 0.0, azimuth2 = 0.0;
    GeographicLib::Geodesic::WGS84().Inverse(lat1, lon1, lat2, lon2, distance, azimuth1, azimuth2);
    // GeographicLib gives the forward azimuth at the end; ours points back to the start.
    return InverseSolution{normalisedAzimuth(azimuth1), normalisedAzimuth(azimuth2 + 180.0), distance};
}

} // namespace

int _geo_direct_wgs_84(double lat1, double lon1, double azimuth1, double distanceM, double& lat2,
                       double& lon2, double& backAzimuth)
{
    if (std::fabs(distanceM) < 0.01) {
        lat2 = lat1;
        lon2 = lon1;
        backAzimuth = normalisedAzimuth(azimuth1 + 180.0);
        return 0;
    }

    // A start at a pole needs no special case: cos(90°) in double is 6e-17, not 0,
    // and the formula stays exact there.
    const double alpha1 = azimuth1 * kDegreesToRadians;
    const double sinAlpha1 = std::sin(alpha1), cosAlpha1 = std::cos(alpha1);
    const double tanU1 = kOneMinusFlattening * std::tan(lat1 * kDegreesToRadians);
    const double cosU1 = 1.0 / std::sqrt(1.0 + tanU1 * tanU1);
    const double sinU1 = tanU1 * cosU1;
    const double sigma1 = std::atan2(tanU1, cosAlpha1);
    const double sinAlpha = cosU1 * sinAlpha1;
    const double cosSqAlpha = 1.0 - sinAlpha * sinAlpha;
    const double uSquared = cosSqAlpha * kAxesSquaredDifference / kSemiMinorAxisSquared;
    const double a = seriesA(uSquared);
    const double b = seriesB(uSquared);

    const double sigma0 = distanceM / (kSemiMinorAxis * a);
    double sigma = sigma0;
    double sinSigma = 0.0, cosSigma = 0.0, cos2SigmaM = 0.0;
    bool converged = false;
    for (int step = 0; step < kMaxIterations && !converged; ++step) {
        cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
        sinSigma = std::sin(sigma);
        cosSigma = std::cos(sigma);
        const double previous = sigma;
        sigma = sigma0 + deltaSigma(b, sinSigma, cosSigma, cos2SigmaM);
        converged = !(std::fabs(sigma - previous) > kConvergence);
    }
    if (!converged) {
        double azimuth2 = 0.0;
        GeographicLib::Geodesic::WGS84().Direct(lat1, lon1, azimuth1, distanceM, lat2, lon2, azimuth2);
        backAzimuth = normalisedAzimuth(azimuth2 + 180.0);
        return 0;
    }
    cos2SigmaM = std::cos(2.0 * sigma1 + sigma);
    sinSigma = std::sin(sigma);
    cosSigma = std::cos(sigma);

    const double tmp = sinU1 * sinSigma - cosU1 * cosSigma * cosAlpha1;
    lat2 = std::atan2(sinU1 * cosSigma + cosU1 * sinSigma * cosAlpha1,
                      kOneMinusFlattening * std::sqrt(sinAlpha * sinAlpha + tmp * tmp)) *
           kRadiansToDegrees;
    const double lambda = std::atan2(sinSigma * sinAlpha1, cosU1 * cosSigma - sinU1 * sinSigma * cosAlpha1);
    const double c = kFlattening / 16.0 * cosSqAlpha * (4.0 + kFlattening * (4.0 - 3.0 * cosSqAlpha));
    const double l =
        lambda -
        (1.0 - c) * kFlattening * sinAlpha *
            (sigma + c * sinSigma * (cos2SigmaM + c * cosSigma * (-1.0 + 2.0 * cos2SigmaM * cos2SigmaM)));
    lon2 = lon1 + l * kRadiansToDegrees;
    if (lon2 > 180.0)
        lon2 -= 360.0;
    else if (lon2 < -180.0)
        lon2 += 360.0;
    backAzimuth = normalisedAzimuth(std::atan2(-sinAlpha, tmp) * kRadiansToDegrees);
    return 0;
}

int geoInverseWgs84(double lat1, double lon1, double lat2, double lon2, double& azimuth1, double& azimuth2,
                    double& distanceM)
{
    const bool valid =
        std::isfinite(lon1) && std::isfinite(lon2) && std::fabs(lat1) <= 90.0 && std::fabs(lat2) <= 90.0;
    if (!valid)
        return 1;

    // Longitude difference in [-180, 180], so that 0 and 360 are the same meridian.
    const double deltaLon = std::remainder(lon2 - lon1, 360.0);
    if (std::fabs(lat1 - lat2) < 1e-10 && std::fabs(deltaLon) < 1e-10) {
        azimuth1 = 0.0;
        azimuth2 = 0.0;
        distanceM = 0.0;
        return 0;
    }

    const bool antipodalAcrossPole =
        std::fabs(std::fabs(deltaLon) - 180.0) < 1e-10 && std::fabs(lat1 + lat2) < 1e-10;
    InverseSolution solution;
    if (isPole(lat1) || isPole(lat2) || antipodalAcrossPole ||
        !vincentyInverse(lat1, lat2, deltaLon, solution))
        solution = geographicLibInverse(lat1, lon1, lat2, lon2);
    azimuth1 = solution.azimuth1;
    azimuth2 = solution.backAzimuth;
    distanceM = solution.distance;
    return 0;
}

} // namespace SGGeodesy
