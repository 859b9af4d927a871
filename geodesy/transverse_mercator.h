#pragma once

// Transverse Mercator, forward only, by the series in powers of the
// longitude difference (accurate to well under a millimetre within 3 degrees
// of the central meridian), with grid convergence and point scale factor.

#include "geodesy/ellipsoid.h"

namespace nivora::geodesy {

// Degrees, the scale factor on the central meridian, metres.
struct TmParameters {
    Real centralMeridian = 0;
    Real referenceLatitude = 0;
    Real scaleFactor = 1;
    Real falseEasting = 0;
    Real falseNorthing = 0;
};

struct GridPosition {
    Real easting = 0;
    Real northing = 0;
};

// sin and cos of a latitude, when the caller already has them.
struct LatitudeTrig {
    Real sin = 0;
    Real cos = 1;

    static LatitudeTrig of(Real latitudeDegrees) {
        LatitudeTrig t;
        sinCos(degreesToRadians(latitudeDegrees), t.sin, t.cos);
        return t;
    }
};

namespace tm_series {
// The series' constant divisors, as products.
inline constexpr Real k1_3 = 1.0L / 3, k1_6 = 1.0L / 6, k1_15 = 1.0L / 15, k1_24 = 1.0L / 24;
inline constexpr Real k1_120 = 1.0L / 120, k1_315 = 1.0L / 315, k1_720 = 1.0L / 720;
}  // namespace tm_series

class TransverseMercatorProjection {
  public:
    TransverseMercatorProjection(const Ellipsoid& ellipsoid, const TmParameters& parameters);

    // Latitude and longitude in degrees on this projection's ellipsoid.
    // The per-fix operations are defined below, where every fix's caller
    // can inline them.
    GridPosition forward(Real latitude, Real longitude) const;
    GridPosition forward(Real latitude, Real longitude, const LatitudeTrig& trig) const;

    // Grid convergence in degrees, signed so that grid heading = true
    // heading + convergence (negative east of the central meridian in the
    // northern hemisphere).
    Real gridConvergence(Real latitude, Real longitude) const;
    Real gridConvergence(const LatitudeTrig& latitude, Real longitude) const;
    Real pointScaleFactor(Real latitude, Real longitude) const;

    const Ellipsoid& ellipsoid() const { return ellipsoid_; }
    const TmParameters& parameters() const { return parameters_; }

  private:
    // The longitude from the central meridian in radians, the short way: a
    // zone on the antimeridian (central meridian 180) holds -179 as well.
    Real fromCentralMeridian(Real longitude) const {
        Real w = degreesToRadians(longitude) - lam0_;
        constexpr Real kTwoPi = 2 * 3.14159265358979323846264338327950288L;
        if (w > kTwoPi / 2) w -= kTwoPi;
        if (w < -kTwoPi / 2) w += kTwoPi;
        return w;
    }
    // Meridian distance from the equator.
    Real meridianDistance(Real phi, Real sinPhi, Real cosPhi) const;

    Ellipsoid ellipsoid_;
    TmParameters parameters_;
    Real e2_;
    Real ep2_;
    Real oneOverOneMinusE2_;
    Real lam0_;  // central meridian, radians
    Real m0_;
    Real c0_, c2_, c4_, c6_;  // meridian distance coefficients, times a
};

inline Real TransverseMercatorProjection::meridianDistance(Real phi, Real s, Real c) const {
    // sin 2x, sin 4x, sin 6x from sin x and cos x by the double-angle rules.
    const Real sin2 = 2 * s * c;
    const Real cos2 = (c - s) * (c + s);
    const Real sin4 = 2 * sin2 * cos2;
    const Real cos4 = (cos2 - sin2) * (cos2 + sin2);
    const Real sin6 = sin4 * cos2 + cos4 * sin2;
    return c0_ * phi - c2_ * sin2 + c4_ * sin4 - c6_ * sin6;
}

inline GridPosition TransverseMercatorProjection::forward(Real latitude, Real longitude) const {
    return forward(latitude, longitude, LatitudeTrig::of(latitude));
}

inline GridPosition TransverseMercatorProjection::forward(Real latitude, Real longitude,
                                                          const LatitudeTrig& trig) const {
    using namespace tm_series;
    const TmParameters& p = parameters_;
    const Real s = trig.sin;
    const Real c = trig.cos;
    const Real tanPhi = s / c;
    const Real n = ellipsoid_.a / std::sqrt(1 - e2_ * s * s);
    const Real t = tanPhi * tanPhi;
    const Real cc = ep2_ * c * c;
    const Real a1 = fromCentralMeridian(longitude) * c;
    const Real a2 = a1 * a1;
    const Real a3 = a2 * a1;
    const Real a4 = a2 * a2;
    const Real m = meridianDistance(degreesToRadians(latitude), s, c);

    const Real easting = p.scaleFactor * n *
                             (a1 + (1 - t + cc) * a3 * k1_6 +
                              (5 - 18 * t + t * t + 72 * cc - 58 * ep2_) * (a4 * a1) * k1_120) +
                         p.falseEasting;
    const Real northing =
        p.scaleFactor * (m - m0_ +
                         n * tanPhi *
                             (a2 * 0.5L + (5 - t + 9 * cc + 4 * cc * cc) * a4 * k1_24 +
                              (61 - 58 * t + t * t + 600 * cc - 330 * ep2_) * (a4 * a2) * k1_720)) +
        p.falseNorthing;
    return {easting, northing};
}

inline Real TransverseMercatorProjection::gridConvergence(Real latitude, Real longitude) const {
    return gridConvergence(LatitudeTrig::of(latitude), longitude);
}

inline Real TransverseMercatorProjection::gridConvergence(const LatitudeTrig& trig,
                                                          Real longitude) const {
    using namespace tm_series;
    const Real w = fromCentralMeridian(longitude);
    const Real s = trig.sin;
    const Real c = trig.cos;
    const Real t2 = (s * s) / (c * c);
    // nu / rho = (1 - e2 sin^2) / (1 - e2)
    const Real psi = (1 - e2_ * s * s) * oneOverOneMinusE2_;
    const Real psi2 = psi * psi;
    const Real c2 = c * c;
    const Real c4 = c2 * c2;
    const Real w2 = w * w;
    const Real w3 = w2 * w;
    const Real w5 = w3 * w2;
    const Real gamma = -w * s - w3 * k1_3 * s * c2 * (2 * psi2 - psi) -
                       w5 * k1_15 * s * c4 *
                           (psi2 * psi2 * (11 - 24 * t2) - psi2 * psi * (11 - 36 * t2) +
                            2 * psi2 * (1 - 7 * t2) + psi * t2) -
                       w5 * w2 * k1_315 * s * c4 * c2 * (17 - 26 * t2 + 2 * t2 * t2);
    return radiansToDegrees(gamma);
}

}  // namespace nivora::geodesy
