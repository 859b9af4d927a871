#include "sim/seabed.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nivora::sim {
namespace {

double bump(double u, double v, double cu, double cv, double radius) {
    const double du = (u - cu) / radius, dv = (v - cv) / radius;
    return std::exp(-(du * du + dv * dv));
}

}  // namespace

double Seabed::depth(double e, double n) const {
    // Work in the unit square of the area so the shape fits any size.
    const double u = (e - area_.minEasting) / std::max(1.0, area_.width());
    const double v = (n - area_.minNorthing) / std::max(1.0, area_.height());
    const double pi = std::numbers::pi;
    double d = 5.0 + 20.0 * u + 4.0 * v;  // shoaling towards the south-west
    const double channelAxis =
        0.55 + 0.12 * std::sin(2 * pi * u);  // a channel that winds east-west
    d += 10.0 * std::exp(-std::pow((v - channelAxis) / 0.09, 2));
    d -= 9.0 * bump(u, v, 0.25, 0.25, 0.08);  // mounds
    d -= 6.0 * bump(u, v, 0.70, 0.20, 0.06);
    d -= 12.0 * bump(u, v, 0.80, 0.85, 0.10);
    d += 0.4 * std::sin(2 * pi * 7 * u) * std::sin(2 * pi * 5 * v);  // sand waves
    // Soft limits keep the surface smooth where it meets them.
    const double lo = kShallowest, hi = kDeepest;
    if (d < lo + 1) d = lo + std::exp(d - lo - 1);
    if (d > hi - 1) d = hi - std::exp(hi - 1 - d);
    return std::clamp(d, lo, hi);
}

double Seabed::slope(double e, double n) const {
    const double h = 0.5;
    const double de = (depth(e + h, n) - depth(e - h, n)) / (2 * h);
    const double dn = (depth(e, n + h) - depth(e, n - h)) / (2 * h);
    return std::hypot(de, dn);
}

}  // namespace nivora::sim
