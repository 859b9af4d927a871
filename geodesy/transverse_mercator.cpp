#include "geodesy/transverse_mercator.h"

namespace nivora::geodesy {
namespace {

LatitudeTrig trigOf(Real latitudeDegrees) {
    LatitudeTrig t;
    sinCos(degreesToRadians(latitudeDegrees), t.sin, t.cos);
    return t;
}

// The series' constant divisors, as products.
constexpr Real k1_3 = 1.0L / 3, k1_6 = 1.0L / 6, k1_15 = 1.0L / 15, k1_24 = 1.0L / 24;
constexpr Real k1_120 = 1.0L / 120, k1_315 = 1.0L / 315, k1_720 = 1.0L / 720;

}  // namespace

TransverseMercatorProjection::TransverseMercatorProjection(const Ellipsoid& ellipsoid,
                                                           const TmParameters& parameters)
    : ellipsoid_(ellipsoid), parameters_(parameters) {
    e2_ = ellipsoid.e2();
    ep2_ = e2_ / (1 - e2_);
    oneOverOneMinusE2_ = 1 / (1 - e2_);
    lam0_ = degreesToRadians(parameters.centralMeridian);
    const Real e4 = e2_ * e2_;
    const Real e6 = e4 * e2_;
    const Real a = ellipsoid.a;
    c0_ = a * (1 - e2_ / 4 - 3 * e4 / 64 - 5 * e6 / 256);
    c2_ = a * (3 * e2_ / 8 + 3 * e4 / 32 + 45 * e6 / 1024);
    c4_ = a * (15 * e4 / 256 + 45 * e6 / 1024);
    c6_ = a * (35 * e6 / 3072);
    const LatitudeTrig ref = trigOf(parameters.referenceLatitude);
    m0_ = meridianDistance(degreesToRadians(parameters.referenceLatitude), ref.sin, ref.cos);
}

Real TransverseMercatorProjection::meridianDistance(Real phi, Real s, Real c) const {
    // sin 2x, sin 4x, sin 6x from sin x and cos x by the double-angle rules.
    const Real sin2 = 2 * s * c;
    const Real cos2 = (c - s) * (c + s);
    const Real sin4 = 2 * sin2 * cos2;
    const Real cos4 = (cos2 - sin2) * (cos2 + sin2);
    const Real sin6 = sin4 * cos2 + cos4 * sin2;
    return c0_ * phi - c2_ * sin2 + c4_ * sin4 - c6_ * sin6;
}

GridPosition TransverseMercatorProjection::forward(Real latitude, Real longitude) const {
    return forward(latitude, longitude, trigOf(latitude));
}

GridPosition TransverseMercatorProjection::forward(Real latitude, Real longitude,
                                                   const LatitudeTrig& trig) const {
    const TmParameters& p = parameters_;
    const Real s = trig.sin;
    const Real c = trig.cos;
    const Real tanPhi = s / c;
    const Real n = ellipsoid_.a / std::sqrt(1 - e2_ * s * s);
    const Real t = tanPhi * tanPhi;
    const Real cc = ep2_ * c * c;
    const Real a1 = (degreesToRadians(longitude) - lam0_) * c;
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

Real TransverseMercatorProjection::gridConvergence(Real latitude, Real longitude) const {
    return gridConvergence(trigOf(latitude), longitude);
}

Real TransverseMercatorProjection::gridConvergence(const LatitudeTrig& trig, Real longitude) const {
    const Real w = degreesToRadians(longitude) - lam0_;
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

Real TransverseMercatorProjection::pointScaleFactor(Real latitude, Real longitude) const {
    const LatitudeTrig trig = trigOf(latitude);
    const Real w = degreesToRadians(longitude) - lam0_;
    const Real s = trig.sin;
    const Real c = trig.cos;
    const Real t2 = (s * s) / (c * c);
    const Real psi = (1 - e2_ * s * s) * oneOverOneMinusE2_;
    const Real psi2 = psi * psi;
    const Real c2 = c * c;
    const Real c4 = c2 * c2;
    const Real w2 = w * w;
    const Real w4 = w2 * w2;
    return parameters_.scaleFactor *
           (1 + w2 * 0.5L * psi * c2 +
            w4 * k1_24 * c4 *
                (4 * psi2 * psi * (1 - 6 * t2) + psi2 * (1 + 24 * t2) - 4 * psi * t2) +
            w4 * w2 * k1_720 * c4 * c2 * (61 - 148 * t2 + 16 * t2 * t2));
}

}  // namespace nivora::geodesy
