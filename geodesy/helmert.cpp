#include "geodesy/helmert.h"

namespace nivora::geodesy {
namespace {

Real arcSecondsToRadians(Real seconds) {
    return degreesToRadians(seconds / 3600);
}

}  // namespace

Matrix3 invertGaussJordan(Matrix3 m) {
    for (std::size_t k = 0; k < 3; ++k) {
        const Real pivot = m[k][k];
        m[k][k] = 1;
        for (std::size_t j = 0; j < 3; ++j)
            m[k][j] /= pivot;
        for (std::size_t i = 0; i < 3; ++i) {
            if (i == k) continue;
            const Real factor = m[i][k];
            m[i][k] = 0;
            for (std::size_t j = 0; j < 3; ++j)
                m[i][j] -= factor * m[k][j];
        }
    }
    return m;
}

SevenParameterTransform::SevenParameterTransform(const HelmertParameters& p,
                                                 RotationConvention convention)
    : parameters_(p) {
    const Real s = 1 + p.scalePpm * 1e-6L;
    Real sx, cx, sy, cy, sz, cz;
    sinCos(arcSecondsToRadians(p.rotationX), sx, cx);
    sinCos(arcSecondsToRadians(p.rotationY), sy, cy);
    sinCos(arcSecondsToRadians(p.rotationZ), sz, cz);
    const Matrix3 r = {{{cy * cz, cx * sz + sx * sy * cz, sx * sz - cx * sy * cz},
                        {-cy * sz, cx * cz - sx * sy * sz, sx * cz + cx * sy * sz},
                        {sy, -sx * cy, cx * cy}}};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            forward_[i][j] =
                s * (convention == RotationConvention::CoordinateFrame ? r[i][j] : r[j][i]);
        }
    }
    inverse_ = invertGaussJordan(forward_);
    identity_ = p.scalePpm == 0 && p.rotationX == 0 && p.rotationY == 0 && p.rotationZ == 0 &&
                p.shiftX == 0 && p.shiftY == 0 && p.shiftZ == 0;
}

}  // namespace nivora::geodesy
