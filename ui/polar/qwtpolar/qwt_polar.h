#pragma once

// Coordinates, axes and scales of a polar plot.
namespace QwtPolar {
enum Coordinate { Azimuth, Radius };
enum Axis { AxisAzimuth, AxisLeft, AxisRight, AxisTop, AxisBottom, AxesCount };
enum Scale { ScaleAzimuth = Azimuth, ScaleRadius = Radius, ScaleCount };
} // namespace QwtPolar
