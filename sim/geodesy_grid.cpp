#include "sim/geodesy_grid.h"

#include <cmath>

namespace nivora::sim {

GeodesyGridModel::GeodesyGridModel(geodesy::FixProjector projector,
                                   std::optional<Geographic> nearby)
    : projector_(std::move(projector)), last_(nearby) {}

std::optional<std::pair<double, double>> GeodesyGridModel::toGrid(double latitude, double longitude,
                                                                  double height) {
    const geodesy::FixResult r = projector_.project(latitude, longitude, height);
    if (!r.placed()) return std::nullopt;
    return std::make_pair(r.easting, r.northing);
}

double GeodesyGridModel::convergence(double latitude, double longitude, double height) {
    const geodesy::FixResult r = projector_.project(latitude, longitude, height);
    return r.convergence.value_or(0.0);
}

std::optional<GridModel::Geographic> GeodesyGridModel::toWgs84(double easting, double northing,
                                                               double height) {
    // A start near the answer: the last one, or the centre of the projection.
    Geographic g = last_.value_or(Geographic{0, 0});
    if (!last_) {
        // Search coarsely for the cell whose image is closest, then refine.
        double best = INFINITY;
        for (double lat = -80; lat <= 80; lat += 2) {
            for (double lon = -180; lon < 180; lon += 2) {
                const auto p = toGrid(lat, lon, height);
                if (!p) continue;
                const double d = std::hypot(p->first - easting, p->second - northing);
                if (d < best) {
                    best = d;
                    g = {lat, lon};
                }
            }
        }
        if (!std::isfinite(best)) return std::nullopt;
    }
    for (int iteration = 0; iteration < 40; ++iteration) {
        const auto p = toGrid(g.latitude, g.longitude, height);
        if (!p) return std::nullopt;
        const double ex = easting - p->first, ny = northing - p->second;
        // The datum shift keeps 8 decimals of a degree: a millimetre is as close as it gets.
        if (std::hypot(ex, ny) < 2e-3) {
            last_ = g;
            return g;
        }
        // Jacobian by small steps (the datum text keeps 8 decimals, about 1 mm).
        const double h = 1e-6;
        const auto pl = toGrid(g.latitude + h, g.longitude, height);
        const auto pm = toGrid(g.latitude, g.longitude + h, height);
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
    // Close enough for a simulated fix when the last step was small.
    const auto p = toGrid(g.latitude, g.longitude, height);
    if (p && std::hypot(easting - p->first, northing - p->second) < 0.01) {
        last_ = g;
        return g;
    }
    return std::nullopt;
}

}  // namespace nivora::sim
