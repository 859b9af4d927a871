#include "geodesy/geocentric.h"

namespace nivora::geodesy {
namespace {

// Realistic points settle within six rounds; a point far from any surface
// may never settle, and must not hang the caller.
constexpr int kMaxIterations = 64;
// tan(1e-12): the latitude step below which the iteration stops, compared
// on tangents (equal to 1e-12 at this precision).
constexpr Real kStopTangent = 1e-12L;
// Beyond this tangent the latitude is within 1e-15 rad of a pole.
constexpr Real kPoleTangent = 1e15L;
constexpr Real kTrueHalfPi = 1.57079632679489661923132169163975144L;
// Below this the arc tangent series to q^7 is exact at extended precision.
constexpr Real kSeriesLimit = 0x1p-10L;

Real arcTanSmall(Real q) {
    const Real q2 = q * q;
    return q * (1 - q2 * (1.0L / 3 - q2 * (1.0L / 5 - q2 * (1.0L / 7))));
}

// 1 / cos(atan q) = sqrt(1 + q^2) for |q| below kSeriesLimit, exact at
// extended precision to the q^6 term.
Real secantSmall(Real q) {
    const Real q2 = q * q;
    return 1 + q2 * (0.5L - q2 * (1.0L / 8 - q2 * (1.0L / 16)));
}

// The angle of (x, y) near a known angle: the rotation by the hint leaves a
// small angle whose series is cheaper than the arc tangent itself. The
// same rotation gives the length of (x, y) as den / cos(angle - hint).
// False for an unusable or distant hint.
bool angleAndLengthNear(Real y, Real x, const AngleHint& hint, Real& angle, Real& length) {
    if (!hint.usable) return false;
    const Real num = y * hint.cos - x * hint.sin;
    const Real den = x * hint.cos + y * hint.sin;
    if (!(den > 0 && std::fabs(num) < kSeriesLimit * den)) return false;
    const Real q = num / den;
    angle = hint.radians + arcTanSmall(q);
    if (angle > kTrueHalfPi * 2) angle -= kTrueHalfPi * 4;
    if (angle < -kTrueHalfPi * 2) angle += kTrueHalfPi * 4;
    length = den * secantSmall(q);
    return true;
}

// atan2(y, x), through the hint where it can.
Real angleNear(Real y, Real x, const AngleHint* hint) {
    Real angle, length;
    if (hint != nullptr && angleAndLengthNear(y, x, *hint, angle, length)) return angle;
    return arcTan2(y, x);
}

}  // namespace

GeocentricPosition geodeticToGeocentric(const GeodeticPosition& p, const Ellipsoid& ellipsoid,
                                        GeodeticHint* angles) {
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

std::optional<GeodeticPosition> geocentricToGeodetic(const GeocentricPosition& g,
                                                     const Ellipsoid& ellipsoid,
                                                     const GeodeticHint* hint) {
    const Real a = ellipsoid.a;
    const Real e2 = ellipsoid.e2();
    const Real p = std::sqrt(g.x * g.x + g.y * g.y);
    // On the polar axis (or for non-finite input) there is no longitude.
    if (!(p > 0) || !std::isfinite(g.z)) return std::nullopt;
    const Real zOverP = g.z / p;

    // The latitude is carried as its tangent u. With sin^2 = u^2 / (1 + u^2)
    // and 1 / cos = sqrt(1 + u^2), a round of the iteration,
    //   N = a / sqrt(1 - e2 sin^2), u' = (Z / p) / (1 - e2 N / (N + h)),
    //   h = p / cos - N,
    // becomes u' = Z r / (p r - e2 a) with r = sqrt(1 + (1 - e2) u^2): the
    // same numbers without trigonometry. The first round starts from
    // latitude 0 and height 0, so there N / (N + h) = 1.
    const Real oneMinusE2 = 1 - e2;
    const Real e2a = e2 * a;
    Real u = zOverP / oneMinusE2;
    Real previous = 0;
    bool settled = false;
    for (int i = 0; i < kMaxIterations; ++i) {
        // A latitude of exactly +-pi/2 (the program's pi) is a position at a
        // pole: longitude and height are meaningless there.
        if (std::fabs(u) > kPoleTangent && std::fabs(arcTan2(u, 1)) == kPi / 2) return std::nullopt;
        if (!std::isfinite(u)) return std::nullopt;
        // |atan u - atan previous| <= 1e-12 without the arc tangents; a
        // non-positive denominator means a step of at least pi/2.
        const Real den = 1 + u * previous;
        if (den > 0 && std::fabs(u - previous) <= kStopTangent * den) {
            settled = true;
            break;
        }
        previous = u;
        const Real r = std::sqrt(1 + oneMinusE2 * u * u);
        u = g.z * r / (p * r - e2a);
    }
    if (!settled) return std::nullopt;
    // The height of the last round: p / cos - N.
    const Real h = std::sqrt(1 + u * u) * (p - a / std::sqrt(1 + oneMinusE2 * u * u));
    if (!std::isfinite(h)) return std::nullopt;

    const Real phi = angleNear(u, 1, hint ? &hint->latitude : nullptr);
    const Real lam = angleNear(g.y, g.x, hint ? &hint->longitude : nullptr);
    return GeodeticPosition{radiansToDegrees(phi), radiansToDegrees(lam), h};
}

NearSurfaceGeodetic::NearSurfaceGeodetic(const Ellipsoid& ellipsoid)
    : a_(ellipsoid.a), oneMinusE2_(1 - ellipsoid.e2()), e2a_(ellipsoid.e2() * ellipsoid.a) {
    const Real root = std::sqrt(oneMinusE2_);
    bowringZ_ = e2a_ / root;
    bowringP_ = e2a_ * oneMinusE2_ * root;
}

bool NearSurfaceGeodetic::convert(const GeocentricPosition& g, const GeodeticHint& hint,
                                  GeodeticPosition& out) const {
    // The longitude as geocentricToGeodetic finds it, and p = sqrt(x^2 + y^2).
    Real lam, p;
    if (!angleAndLengthNear(g.y, g.x, hint.longitude, lam, p)) return false;

    // Bowring's estimate through the parametric latitude b: with
    // q = sqrt((1 - e2) p^2 + z^2), sin b = z / q and cos b = sqrt(1 - e2) p / q, so
    // tan lat = (z + e'2 b sin^3 b) / (p - e2 a cos^3 b) becomes one quotient.
    const Real z = g.z;
    const Real p2 = p * p, z2 = z * z;
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

    // The latitude, and 1 / cos lat = sqrt(1 + u^2); then the height p / cos - N.
    Real phi, secPhi;
    if (!angleAndLengthNear(u, 1, hint.latitude, phi, secPhi)) return false;
    const Real r = std::sqrt(1 + oneMinusE2_ * u * u);
    const Real h = secPhi * (p - a_ / r);
    const Real latitude = radiansToDegrees(phi);
    if (!(std::fabs(h) <= 1e5L) || !(std::fabs(latitude) < 79.99L)) return false;
    out = {latitude, radiansToDegrees(lam), h};
    return true;
}

}  // namespace nivora::geodesy
