#pragma once

#include "geodesy/extended_math.h"

namespace nivora::geodesy {

// An ellipsoid by its semi-major axis (metres) and its flattening (the
// flattening itself, about 0.00335, not its inverse).
struct Ellipsoid {
    Real a = 0;
    Real f = 0;

    // First eccentricity squared.
    Real e2() const { return f * (2 - f); }
};

// WGS-84 as the program fixes it (the flattening is the truncated value the
// program has always used, not 1/298.257223563).
inline constexpr Ellipsoid kWgs84{6378137.0L, 0.0033528106647474L};

// Geodetic position: degrees (south and west negative) and metres.
struct GeodeticPosition {
    Real latitude = 0;
    Real longitude = 0;
    Real height = 0;
};

// Earth-centred cartesian position in metres.
struct GeocentricPosition {
    Real x = 0;
    Real y = 0;
    Real z = 0;
};

}  // namespace nivora::geodesy
