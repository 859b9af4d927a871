#include "geodesy/grid_inverse.h"

#include <algorithm>
#include <cmath>

namespace nivora::geodesy {

std::optional<WgsPosition> gridToWgs84(FixProjector& projector, double easting, double northing,
                                       double height, WgsPosition g) {
    auto grid = [&](double lat, double lon) -> std::optional<std::pair<double, double>> {
        const FixResult r = projector.project(lat, lon, height);
        if (!r.placed()) return std::nullopt;
        return std::make_pair(r.easting, r.northing);
    };
    for (int iteration = 0; iteration < 40; ++iteration) {
        const auto p = grid(g.latitude, g.longitude);
        if (!p) return std::nullopt;
        const double ex = easting - p->first, ny = northing - p->second;
        // The datum shift keeps 8 decimals of a degree: a millimetre is as close as it gets.
        if (std::hypot(ex, ny) < 2e-3) return g;
        // Jacobian by small steps (the datum text keeps 8 decimals, about 1 mm).
        const double h = 1e-6;
        const auto pl = grid(g.latitude + h, g.longitude);
        const auto pm = grid(g.latitude, g.longitude + h);
        if (!pl || !pm) return std::nullopt;
        const double a = (pl->first - p->first) / h, b = (pm->first - p->first) / h;
        const double c = (pl->second - p->second) / h, d = (pm->second - p->second) / h;
        const double det = a * d - b * c;
        if (det == 0 || !std::isfinite(det)) return std::nullopt;
        double dLat = (d * ex - b * ny) / det;
        double dLon = (-c * ex + a * ny) / det;
        // Never jump further than a degree at a time.
        const double step = std::max(std::abs(dLat), std::abs(dLon));
        if (step > 1) {
            dLat /= step;
            dLon /= step;
        }
        g.latitude = std::clamp(g.latitude + dLat, -89.9, 89.9);
        g.longitude += dLon;
    }
    // Close enough when the last step was small.
    const auto p = grid(g.latitude, g.longitude);
    if (p && std::hypot(easting - p->first, northing - p->second) < 0.01) return g;
    return std::nullopt;
}

}  // namespace nivora::geodesy
