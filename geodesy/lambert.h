#pragma once

// Lambert Conformal Conic in its one-parallel and two-parallel forms, in
// double precision. The parameters live in this object, set by explicit
// set operations; conversions use the most recently accepted ones. Angles
// are radians, distances metres.

namespace nivora::geodesy {

// Rejection bits of SetLambert1Parameters.
namespace lambert1_error {
inline constexpr unsigned kOriginLatitude = 0x10;   // outside +-MAX_LAT, or 0
inline constexpr unsigned kCentralMeridian = 0x20;  // outside [-pi, 2pi]
inline constexpr unsigned kScaleFactor = 0x40;      // outside [0.3, 3.0]
inline constexpr unsigned kSemiMajorAxis = 0x80;    // a <= 0
inline constexpr unsigned kFlattening = 0x100;      // 1/f outside [250, 350]
}  // namespace lambert1_error

// Rejection bits of SetLambert2Parameters.
namespace lambert2_error {
inline constexpr unsigned kParallel1 = 0x10;
inline constexpr unsigned kParallel2 = 0x20;
inline constexpr unsigned kFalseOriginLatitude = 0x40;
inline constexpr unsigned kCentralMeridian = 0x80;
inline constexpr unsigned kSemiMajorAxis = 0x100;
inline constexpr unsigned kFlattening = 0x200;
inline constexpr unsigned kOppositeParallels = 0x400;  // phi1 = -phi2
inline constexpr unsigned kBothParallelsZero = 0x800;
// The equivalent one-parallel cone falls outside the one-parallel limits
// (say, coinciding parallels on the equator).
inline constexpr unsigned kDerivedCone = 0x1000;
}  // namespace lambert2_error

// Error bits of the conversions.
namespace lambert_conversion_error {
inline constexpr unsigned kLatitude = 0x01;      // outside [-pi/2, pi/2], or the far pole
inline constexpr unsigned kLongitude = 0x02;     // outside [-pi, 2pi]
inline constexpr unsigned kNoParameters = 0x04;  // no set operation accepted yet
}  // namespace lambert_conversion_error

// pi/2 less one arc-second: the largest latitude of a standard parallel or
// an origin.
inline constexpr double kLambertMaxLatitude = 1.5707914786580854;

class LambertConformalConic {
  public:
    // The cone constant n of the stored parameters; when the arguments are
    // rejected nothing is stored and the previous n (0 at first) comes back.
    double SetLambert1Parameters(double a, double f, double originLatitude, double centralMeridian,
                                 double falseEasting, double falseNorthing, double scaleFactor);
    // Error bits, 0 on success; easting and northing are written only then.
    unsigned GeodeticToLambert1(double latitude, double longitude, double& easting,
                                double& northing) const;

    // Derives the equivalent one-parallel cone (origin latitude asin n,
    // scale factor and false northing to match) and installs it. A false
    // origin at the pole of the cone (exactly +-90 degrees, as national
    // grids use) is accepted: there t = 0.
    double SetLambert2Parameters(double a, double f, double falseOriginLatitude,
                                 double centralMeridian, double standardParallel1,
                                 double standardParallel2, double falseEasting,
                                 double falseNorthing);
    // Re-installs the derived one-parallel parameters (replacing any set by
    // SetLambert1Parameters), then converts with them.
    unsigned GeodeticToLambert2(double latitude, double longitude, double& easting,
                                double& northing);

    // Rejection bits of the last set operation, 0 when it was accepted.
    unsigned lastSetErrors() const { return lastSetErrors_; }
    double coneConstant() const { return one_.n; }

  private:
    struct OneParallel {
        bool valid = false;
        double a = 0, f = 0, phi0 = 0, lam0 = 0, falseEasting = 0, falseNorthing = 0, k0 = 0;
        double e = 0, halfE = 0, n = 0, t0 = 0, rho0 = 0, rhoOrigin = 0;
    };
    struct TwoParallel {
        bool valid = false;
        double a = 0, f = 0, phiF = 0, lam0 = 0, phi1 = 0, phi2 = 0, falseEasting = 0,
               falseNorthing = 0;
        double phi0Derived = 0, k0Derived = 0, falseNorthingDerived = 0;
    };

    static unsigned install(OneParallel& state, double a, double f, double phi0, double lam0,
                            double falseEasting, double falseNorthing, double k0);

    OneParallel one_;
    TwoParallel two_;
    // The one-parallel parameters in force are the two-parallel form's
    // derived ones, so re-installing them would change nothing.
    bool oneIsDerived_ = false;
    unsigned lastSetErrors_ = 0;
};

}  // namespace nivora::geodesy
