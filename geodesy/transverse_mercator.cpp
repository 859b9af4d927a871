#include "geodesy/transverse_mercator.h"

namespace nivora::geodesy {
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
    const LatitudeTrig ref = LatitudeTrig::of(parameters.referenceLatitude);
    m0_ = meridianDistance(degreesToRadians(parameters.referenceLatitude), ref.sin, ref.cos);
}

Real TransverseMercatorProjection::pointScaleFactor(Real latitude, Real longitude) const {
    using namespace tm_series;
    const LatitudeTrig trig = LatitudeTrig::of(latitude);
    const Real w = fromCentralMeridian(longitude);
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
