#pragma once

// The simulator's grid model on the program's own geodesy: the inverse is
// found by Newton steps on the forward transformation the real-time cycle
// uses, so the program places each simulated fix where the simulator meant.

#include "geodesy/fix_projection.h"
#include "sim/simulator.h"

namespace nivora::sim {

class GeodesyGridModel final : public GridModel {
  public:
    // `nearby` is any position within a few degrees of the survey (the
    // projection's origin will do); without it the start is searched for.
    explicit GeodesyGridModel(geodesy::FixProjector projector,
                              std::optional<Geographic> nearby = std::nullopt);

    std::optional<Geographic> toWgs84(double easting, double northing, double height) override;
    double convergence(double latitude, double longitude, double height) override;

    // Grid image of a WGS-84 position as the cycle computes it.
    std::optional<std::pair<double, double>> toGrid(double latitude, double longitude,
                                                    double height);

  private:
    geodesy::FixProjector projector_;
    std::optional<Geographic> last_;  // the previous answer starts the next search
};

}  // namespace nivora::sim
