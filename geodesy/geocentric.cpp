#include "geodesy/geocentric.h"

namespace nivora::geodesy {
namespace {

using namespace geocentric_detail;

// Realistic points settle within six rounds; a point far from any surface
// may never settle, and must not hang the caller.
constexpr int kMaxIterations = 64;
// Beyond this tangent the latitude is within 1e-15 rad of a pole.
constexpr Real kPoleTangent = 1e15L;

Real arcTanSmall(Real q) {
    const Real q2 = q * q;
    return q * (1 - q2 * (1.0L / 3 - q2 * (1.0L / 5 - q2 * (1.0L / 7))));
}

// atan2(y, x) near a known angle: the rotation by the hint leaves a small
// angle whose series is cheaper than the arc tangent itself.
Real angleNear(Real y, Real x, const AngleHint* hint) {
    if (hint != nullptr && hint->usable) {
        const Real num = y * hint->cos - x * hint->sin;
        const Real den = x * hint->cos + y * hint->sin;
        if (den > 0 && std::fabs(num) < kSeriesLimit * den) {
            Real r = hint->radians + arcTanSmall(num / den);
            if (r > kTrueHalfPi * 2) r -= kTrueHalfPi * 4;
            if (r < -kTrueHalfPi * 2) r += kTrueHalfPi * 4;
            return r;
        }
    }
    return arcTan2(y, x);
}

}  // namespace

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

}  // namespace nivora::geodesy
