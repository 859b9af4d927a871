#pragma once

// Geodetic <-> geocentric conversions on one ellipsoid.

#include <optional>

#include "geodesy/ellipsoid.h"

namespace nivora::geodesy {

// An angle with its sine and cosine, known close to the answer of a
// conversion back to geodetic (the same point on another datum). Giving it
// does not change the result; it saves the two arc tangents.
struct AngleHint {
    Real radians = 0;
    Real sin = 0;
    Real cos = 1;
    bool usable = false;
};
struct GeodeticHint {
    AngleHint latitude;
    AngleHint longitude;
};

// `angles`, when given, receives the latitude and longitude with their sines
// and cosines, as a hint for the way back.
GeocentricPosition geodeticToGeocentric(const GeodeticPosition& p, const Ellipsoid& ellipsoid,
                                        GeodeticHint* angles = nullptr);

// The fixed-point iteration on latitude and height, started at latitude 0
// and height 0 and stopped when the latitude changes by 1e-12 rad or less.
// Nothing (std::nullopt) at a pole (a latitude of exactly +-90 degrees, or
// a point on the polar axis, where the longitude is undefined), for
// non-finite input, and for a point so far from the surface that the
// iteration does not settle.
std::optional<GeodeticPosition> geocentricToGeodetic(const GeocentricPosition& p,
                                                     const Ellipsoid& ellipsoid,
                                                     const GeodeticHint* hint = nullptr);

}  // namespace nivora::geodesy
