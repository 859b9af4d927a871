#pragma once

// The seven-parameter similarity transformation between geocentric frames.

#include <array>

#include "geodesy/ellipsoid.h"

namespace nivora::geodesy {

// Scale in parts per million, rotations in arc-seconds, shifts in metres,
// always in this order.
struct HelmertParameters {
    Real scalePpm = 0;
    Real rotationX = 0;
    Real rotationY = 0;
    Real rotationZ = 0;
    Real shiftX = 0;
    Real shiftY = 0;
    Real shiftZ = 0;
};

// How the rotation angles turn into a matrix. Coordinate frame: for small
// angles R = [[1, rz, -ry], [-rz, 1, rx], [ry, -rx, 1]]; position vector is
// its transpose.
enum class RotationConvention { CoordinateFrame, PositionVector };

// A parameter set describes local -> WGS-84: X_wgs = T + s * R * X_local.
enum class HelmertDirection {
    LocalToWgs84,  // X' = s * R * X + T
    Wgs84ToLocal,  // X' = (s * R)^-1 * (X - T), the inverse taken numerically
};

using Matrix3 = std::array<std::array<Real, 3>, 3>;

// The prepared transformation: s * R and its inverse are built once.
class SevenParameterTransform {
  public:
    SevenParameterTransform(const HelmertParameters& parameters, RotationConvention convention);

    GeocentricPosition apply(HelmertDirection direction, const GeocentricPosition& g) const {
        const Matrix3& m = direction == HelmertDirection::LocalToWgs84 ? forward_ : inverse_;
        const HelmertParameters& p = parameters_;
        // Forward: s * R * X + T; inverse: (s * R)^-1 * (X - T).
        const bool forward = direction == HelmertDirection::LocalToWgs84;
        const Real x = forward ? g.x : g.x - p.shiftX;
        const Real y = forward ? g.y : g.y - p.shiftY;
        const Real z = forward ? g.z : g.z - p.shiftZ;
        GeocentricPosition r{m[0][0] * x + m[0][1] * y + m[0][2] * z,
                             m[1][0] * x + m[1][1] * y + m[1][2] * z,
                             m[2][0] * x + m[2][1] * y + m[2][2] * z};
        if (forward) {
            r.x += p.shiftX;
            r.y += p.shiftY;
            r.z += p.shiftZ;
        }
        return r;
    }

    const HelmertParameters& parameters() const { return parameters_; }
    // s * R, full rotation matrix R = R3(rz) * R2(ry) * R1(rx) (coordinate frame).
    const Matrix3& scaledRotation() const { return forward_; }
    // (s * R)^-1 by Gauss-Jordan elimination; non-finite when s * R is
    // singular or has a zero diagonal pivot.
    const Matrix3& inverse() const { return inverse_; }
    // All seven parameters zero: both directions return the input unchanged.
    bool isIdentity() const { return identity_; }

  private:
    HelmertParameters parameters_;
    Matrix3 forward_{};
    Matrix3 inverse_{};
    bool identity_ = false;
};

// Gauss-Jordan inversion in place on the diagonal pivots, without row
// exchange (the matrices here are scaled rotations close to the identity).
Matrix3 invertGaussJordan(Matrix3 m);

}  // namespace nivora::geodesy
