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

// The fixed point of that iteration for a position near the surface, close
// to the point whose angles `hint` holds, at a fraction of the cost: one
// closed-form estimate (Bowring's) and one round of the iteration that
// confirms it. It differs from geocentricToGeodetic only by that
// iteration's own stopping error (below 1e-12 degrees and 3e-7 m within
// 80 degrees of the equator). False where it cannot vouch for that: an
// unusable or distant hint, a round that moves the latitude by more than
// the iteration's stopping step, a height beyond 100 km, or a latitude
// beyond 79.99 degrees.
class NearSurfaceGeodetic {
  public:
    explicit NearSurfaceGeodetic(const Ellipsoid& ellipsoid);
    bool convert(const GeocentricPosition& p, const GeodeticHint& hint,
                 GeodeticPosition& out) const;

  private:
    Real a_, oneMinusE2_, e2a_;
    Real bowringZ_, bowringP_;  // e2 a / sqrt(1 - e2) and e2 a (1 - e2)^(3/2)
};

}  // namespace nivora::geodesy
