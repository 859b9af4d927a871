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
};

class TransverseMercatorProjection {
  public:
    TransverseMercatorProjection(const Ellipsoid& ellipsoid, const TmParameters& parameters);

    // Latitude and longitude in degrees on this projection's ellipsoid.
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

}  // namespace nivora::geodesy
