#include "sim/geodesy_grid.h"

#include <cmath>

#include "geodesy/grid_inverse.h"

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
    const auto answer =
        geodesy::gridToWgs84(projector_, easting, northing, height, {g.latitude, g.longitude});
    if (!answer) return std::nullopt;
    last_ = Geographic{answer->latitude, answer->longitude};
    return last_;
}

}  // namespace nivora::sim
