#include "geodesy/lambert.h"

#include <cmath>

namespace nivora::geodesy {
namespace {

constexpr double kPiD = 3.141592653589793;
constexpr double kHalfPi = kPiD / 2;
// A false origin this close to +-pi/2 is the pole itself (degrees turned
// into radians may miss pi/2 by a unit in the last place).
constexpr double kPoleTolerance = 1e-12;

bool within(double v, double lo, double hi) {
    return v >= lo && v <= hi;
}  // false for NaN

bool inverseFlatteningOk(double f) {
    return within(1 / f, 250, 350);
}

double eccentricity(double f) {
    return std::sqrt(2 * f - f * f);
}

double coneT(double x, double e) {
    const double es = e * std::sin(x);
    return std::tan(kPiD / 4 - x / 2) / std::pow((1 - es) / (1 + es), e / 2);
}

double coneM(double x, double e) {
    const double s = std::sin(x);
    return std::cos(x) / std::sqrt(1 - e * e * s * s);
}

double wrapCentralMeridian(double lam0) {
    return lam0 > kPiD ? lam0 - 2 * kPiD : lam0;
}

}  // namespace

unsigned LambertConformalConic::install(OneParallel& s, double a, double f, double phi0,
                                        double lam0, double falseEasting, double falseNorthing,
                                        double k0) {
    using namespace lambert1_error;
    unsigned errors = 0;
    if (!(a > 0)) errors |= kSemiMajorAxis;
    if (!inverseFlatteningOk(f)) errors |= kFlattening;
    if (!within(phi0, -kLambertMaxLatitude, kLambertMaxLatitude) || phi0 == 0) {
        errors |= kOriginLatitude;
    }
    if (!within(lam0, -kPiD, 2 * kPiD)) errors |= kCentralMeridian;
    if (!within(k0, 0.3, 3.0)) errors |= kScaleFactor;
    if (errors != 0) return errors;

    s.a = a;
    s.f = f;
    s.phi0 = phi0;
    s.lam0 = wrapCentralMeridian(lam0);
    s.falseEasting = falseEasting;
    s.falseNorthing = falseNorthing;
    s.k0 = k0;
    s.e = eccentricity(f);
    s.halfE = s.e / 2;
    s.n = std::sin(phi0);
    const double w0 = std::sqrt(1 - (s.e * std::sin(phi0)) * (s.e * std::sin(phi0)));
    s.t0 = coneT(phi0, s.e);
    s.rho0 = a * k0 * (std::cos(phi0) / w0) / s.n;
    s.rhoOrigin = s.rho0;
    s.valid = true;
    return 0;
}

double LambertConformalConic::SetLambert1Parameters(double a, double f, double originLatitude,
                                                    double centralMeridian, double falseEasting,
                                                    double falseNorthing, double scaleFactor) {
    lastSetErrors_ = install(one_, a, f, originLatitude, centralMeridian, falseEasting,
                             falseNorthing, scaleFactor);
    if (lastSetErrors_ == 0) oneIsDerived_ = false;
    return one_.n;
}

unsigned LambertConformalConic::GeodeticToLambert1(double phi, double lam, double& easting,
                                                   double& northing) const {
    using namespace lambert_conversion_error;
    unsigned errors = 0;
    if (!within(phi, -kHalfPi, kHalfPi)) errors |= kLatitude;
    if (!within(lam, -kPiD, 2 * kPiD)) errors |= kLongitude;
    if (errors == 0 && !one_.valid) errors |= kNoParameters;
    if (errors != 0) return errors;

    const OneParallel& s = one_;
    double rho;
    if (std::fabs(std::fabs(phi) - kHalfPi) > 1e-10) {
        rho = s.rho0 * std::pow(coneT(phi, s.e) / s.t0, s.n);
    } else {
        if (phi * s.n <= 0) return kLatitude;  // the far pole lies at infinity
        rho = 0;
    }
    double dlam = lam - s.lam0;
    if (dlam > kPiD) dlam -= 2 * kPiD;
    if (dlam < -kPiD) dlam += 2 * kPiD;
    const double theta = s.n * dlam;
    easting = rho * std::sin(theta) + s.falseEasting;
    northing = s.rhoOrigin - rho * std::cos(theta) + s.falseNorthing;
    return 0;
}

double LambertConformalConic::SetLambert2Parameters(double a, double f, double phiF, double lam0,
                                                    double phi1, double phi2, double falseEasting,
                                                    double falseNorthing) {
    using namespace lambert2_error;
    const bool poleOrigin = std::fabs(std::fabs(phiF) - kHalfPi) <= kPoleTolerance;
    unsigned errors = 0;
    if (!(a > 0)) errors |= kSemiMajorAxis;
    if (!inverseFlatteningOk(f)) errors |= kFlattening;
    if (!within(phiF, -kLambertMaxLatitude, kLambertMaxLatitude) && !poleOrigin) {
        errors |= kFalseOriginLatitude;
    }
    if (!within(phi1, -kLambertMaxLatitude, kLambertMaxLatitude)) errors |= kParallel1;
    if (!within(phi2, -kLambertMaxLatitude, kLambertMaxLatitude)) errors |= kParallel2;
    if (phi1 == 0 && phi2 == 0) errors |= kBothParallelsZero;
    if (phi1 == -phi2) errors |= kOppositeParallels;
    if (!within(lam0, -kPiD, 2 * kPiD)) errors |= kCentralMeridian;
    if (errors != 0) {
        lastSetErrors_ = errors;
        return one_.n;
    }

    TwoParallel t;
    t.a = a;
    t.f = f;
    t.phiF = phiF;
    t.lam0 = wrapCentralMeridian(lam0);
    t.phi1 = phi1;
    t.phi2 = phi2;
    t.falseEasting = falseEasting;
    t.falseNorthing = falseNorthing;
    double n;
    if (std::fabs(phi1 - phi2) > 1e-10) {
        const double e = eccentricity(f);
        const double m1 = coneM(phi1, e);
        const double m2 = coneM(phi2, e);
        const double t1 = coneT(phi1, e);
        const double t2 = coneT(phi2, e);
        n = std::log(m1 / m2) / std::log(t1 / t2);
        // At the pole of the cone t = 0; a false origin at the other pole
        // would lie at infinity.
        if (poleOrigin && phiF * n <= 0) {
            lastSetErrors_ = kFalseOriginLatitude;
            return one_.n;
        }
        const double tFn = poleOrigin ? 0.0 : std::pow(coneT(phiF, e), n);
        t.phi0Derived = std::asin(n);
        const double t0 = coneT(t.phi0Derived, e);
        const double m0 = coneM(t.phi0Derived, e);
        t.k0Derived = std::pow(t0 / t1, n) * m1 / m0;
        t.falseNorthingDerived =
            a * m2 / (n * std::pow(t2, n)) * (tFn - std::pow(t0, n)) + falseNorthing;
    } else {
        t.phi0Derived = phi1;
        t.k0Derived = 1.0;
        t.falseNorthingDerived = falseNorthing;
        n = std::sin(phi1);
    }

    // Install on a copy first: a derived cone that the one-parallel form
    // refuses leaves everything as it was.
    OneParallel derived = one_;
    if (install(derived, a, f, t.phi0Derived, t.lam0, falseEasting, t.falseNorthingDerived,
                t.k0Derived) != 0) {
        lastSetErrors_ = kDerivedCone;
        return one_.n;
    }
    one_ = derived;
    oneIsDerived_ = true;
    t.valid = true;
    two_ = t;
    lastSetErrors_ = 0;
    return n;
}

unsigned LambertConformalConic::GeodeticToLambert2(double phi, double lam, double& easting,
                                                   double& northing) {
    using namespace lambert_conversion_error;
    unsigned errors = 0;
    if (!within(phi, -kHalfPi, kHalfPi)) errors |= kLatitude;
    if (!within(lam, -kPiD, 2 * kPiD)) errors |= kLongitude;
    if (errors == 0 && !two_.valid) errors |= kNoParameters;
    if (errors != 0) return errors;
    if (!oneIsDerived_) {
        install(one_, two_.a, two_.f, two_.phi0Derived, two_.lam0, two_.falseEasting,
                two_.falseNorthingDerived, two_.k0Derived);
        oneIsDerived_ = true;
    }
    return GeodeticToLambert1(phi, lam, easting, northing);
}

}  // namespace nivora::geodesy
