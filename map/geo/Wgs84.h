#pragma once

// The WGS-84 ellipsoid as the geodesy routines use it.
namespace Wgs84 {

constexpr double kSemiMajorAxis = 6378137.0;
constexpr double kFlattening = 0.0033528106647474805;
constexpr double kOneMinusFlattening = 0.9966471893352525;
constexpr double kSemiMinorAxis = 6356752.314245179;
constexpr double kEccentricitySquared = 0.00669437999014133;
constexpr double kOneMinusEccentricitySquared = 0.9933056200098587;
constexpr double kEccentricityFourth = 0.00004481472345240464;
constexpr double kAxesSquaredDifference = 272331606107.5547; // a² - b², m²
constexpr double kSemiMinorAxisSquared = 40408299984661.445; // b², m²
constexpr double kInverseSemiMajorAxisSquared = 2.458172257647332e-14;
// Distance from the equator to a pole along a meridian.
constexpr double kQuarterMeridian = 10001965.729528552;

constexpr double kDegreesToRadians = 0.017453292519943295;
constexpr double kRadiansToDegrees = 57.29577951308232;

} // namespace Wgs84
