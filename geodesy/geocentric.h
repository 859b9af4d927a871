#pragma once

// Geodetic <-> geocentric conversions on one ellipsoid.

#include <cmath>
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
// and cosines, as a hint for the way back. (Defined below with the other
// per-fix operations, where every fix's caller can inline them.)
inline GeocentricPosition geodeticToGeocentric(const GeodeticPosition& p,
                                               const Ellipsoid& ellipsoid,
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

namespace geocentric_detail {

// tan(1e-12): the latitude step below which the iteration stops, compared
// on tangents (equal to 1e-12 at this precision).
inline constexpr Real kStopTangent = 1e-12L;
inline constexpr Real kTrueHalfPi = 1.57079632679489661923132169163975144L;
// Below this the arc tangent series to q^7 is exact at extended precision.
inline constexpr Real kSeriesLimit = 0x1p-10L;

// The angle of (x, y) near a known angle, as geocentricToGeodetic finds it
// through the hint, and the length of (x, y): the rotation by the hint
// leaves a small angle q whose series is cheaper than the arc tangent, and
// the length is den / cos(q). The series stop where their remainders fall
// below 1e-19 of the result for |q| < kSeriesLimit (q^7 / 7, q^6 / 16).
// False for an unusable or distant hint.
inline bool nearHint(Real y, Real x, const AngleHint& hint, Real& angle, Real& length) {
    if (!hint.usable) return false;
    const Real num = y * hint.cos - x * hint.sin;
    const Real den = x * hint.cos + y * hint.sin;
    if (!(den > 0 && std::fabs(num) < kSeriesLimit * den)) return false;
    const Real q = num / den;
    const Real q2 = q * q;
    angle = hint.radians + (q + (q * q2) * (q2 * (1.0L / 5) - 1.0L / 3));
    if (angle > kTrueHalfPi * 2) angle -= kTrueHalfPi * 4;
    if (angle < -kTrueHalfPi * 2) angle += kTrueHalfPi * 4;
    length = den + den * (q2 * (0.5L - q2 * (1.0L / 8)));
    return true;
}

}  // namespace geocentric_detail

inline GeocentricPosition geodeticToGeocentric(const GeodeticPosition& p,
                                               const Ellipsoid& ellipsoid, GeodeticHint* angles) {
    using geocentric_detail::kTrueHalfPi;
    const Real phi = degreesToRadians(p.latitude);
    const Real lam = degreesToRadians(p.longitude);
    Real sinPhi, cosPhi, sinLam, cosLam;
    sinCos(phi, sinPhi, cosPhi);
    sinCos(lam, sinLam, cosLam);
    if (angles != nullptr) {
        // The rotation trick needs the hint inside the arc tangent's range.
        angles->latitude = {phi, sinPhi, cosPhi, cosPhi > 0};
        angles->longitude = {lam, sinLam, cosLam, std::fabs(lam) <= kTrueHalfPi * 2};
    }
    const Real e2 = ellipsoid.e2();
    const Real n = ellipsoid.a / std::sqrt(1 - e2 * sinPhi * sinPhi);
    return {(n + p.height) * cosPhi * cosLam, (n + p.height) * cosPhi * sinLam,
            ((1 - e2) * n + p.height) * sinPhi};
}

inline bool NearSurfaceGeodetic::convert(const GeocentricPosition& g, const GeodeticHint& hint,
                                         GeodeticPosition& out) const {
    using namespace geocentric_detail;
    const Real z = g.z;
    const Real p2 = g.x * g.x + g.y * g.y;
    const Real p = std::sqrt(p2);
    Real lam, unused;
    if (!nearHint(g.y, g.x, hint.longitude, lam, unused)) return false;

    // Bowring's estimate through the parametric latitude b: with
    // q = sqrt((1 - e2) p^2 + z^2), sin b = z / q and cos b = sqrt(1 - e2) p / q, so
    // tan lat = (z + e'2 b sin^3 b) / (p - e2 a cos^3 b) becomes one quotient.
    const Real z2 = z * z;
    const Real q = std::sqrt(oneMinusE2_ * p2 + z2);
    const Real q3 = q * q * q;
    const Real estimate = z * (q3 + bowringZ_ * z2) / (p * (q3 - bowringP_ * p2));
    // One round of the iteration; a step within its stopping rule leaves
    // both within that step times the contraction (below 0.007 near the
    // surface) of the fixed point.
    const Real r0 = std::sqrt(1 + oneMinusE2_ * estimate * estimate);
    const Real u = z * r0 / (p * r0 - e2a_);
    const Real den = 1 + u * estimate;
    if (!(den > 0 && std::fabs(u - estimate) <= kStopTangent * den)) return false;

    // The latitude, 1 / cos lat = sqrt(1 + u^2), and the height p / cos - N.
    Real phi, secPhi;
    if (!nearHint(u, 1, hint.latitude, phi, secPhi)) return false;
    const Real h = secPhi * (p - a_ / std::sqrt(1 + oneMinusE2_ * u * u));
    const Real latitude = radiansToDegrees(phi);
    if (!(std::fabs(h) <= 1e5L) || !(std::fabs(latitude) < 79.99L)) return false;
    out = {latitude, radiansToDegrees(lam), h};
    return true;
}

}  // namespace nivora::geodesy
