#pragma once

// The geodetic parameters and the vessel shape as real time takes them, and
// each fix placed on the grid with them. Parameters are taken once (at the
// start of real time, else at the next tick that can); a change needs a
// restart. A refusal is said once with its reason, a fix that cannot be
// placed once until one is placed again.

#include <QString>
#include <functional>
#include <optional>

#include "config/latency_shape.h"
#include "geodesy/fix_projection.h"
#include "survey/survey_values.h"

namespace nivora {

struct SurveyModels;

class FixPlacer {
  public:
    using ErrorSink = std::function<void(const QString&)>;
    explicit FixPlacer(ErrorSink reportError) : reportError_(std::move(reportError)) {}

    // Takes the parameters and the vessel shape unless taken already;
    // false (said once per reason) when a field cannot be used.
    bool take(const SurveyModels& models);
    bool taken() const { return projector_.has_value(); }
    const VesselShape& vesselShape() const { return vesselShape_; }

    // The grid image of a position: nothing before the parameters are
    // taken, for no position (0, 0), or when it cannot be placed (said).
    std::optional<GridPosition> place(double latitude, double longitude, double altitude);

    // The WGS-84 position of a grid point (the inverse of place), searched
    // from a position near it; nothing before the parameters are taken.
    std::optional<std::pair<double, double>> toWgs84(double easting, double northing, double height,
                                                     double nearLatitude, double nearLongitude);

  private:
    ErrorSink reportError_;
    std::optional<geodesy::FixProjector> projector_;
    VesselShape vesselShape_;
    QString refusal_;  // the last refusal said
    std::optional<geodesy::FixStatus> notPlaced_;
};

}  // namespace nivora
