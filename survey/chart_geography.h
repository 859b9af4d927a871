#pragma once

// Grid positions of the chart as the survey places them, turned back to
// WGS-84 latitude and longitude (the cursor's read-out), and the grid
// convergence at a point (the north arrow's true north). The geodetic
// parameters are taken from the settings as they are now, whether or not
// real time runs, and again whenever they change.

#include <QString>
#include <optional>

#include "geodesy/fix_projection.h"
#include "geodesy/grid_inverse.h"

namespace nivora {

struct SurveyModels;

class ChartGeography {
  public:
    explicit ChartGeography(const SurveyModels& models) : models_(models) {}

    // Nothing where the parameters cannot be taken or the point is beyond
    // what the projection reaches.
    std::optional<geodesy::WgsPosition> toWgs84(double easting, double northing);
    // Degrees; grid bearing = true bearing + convergence.
    std::optional<double> convergenceAt(double easting, double northing);
    // "E: 415312.50  N: 4540790.50  Lat: 40.99628424  Lon: 28.99409341";
    // the grid alone where no latitude can be had.
    QString readOut(double easting, double northing);

  private:
    bool ready();
    // A position within a degree or so of the grid point's, for the search.
    geodesy::WgsPosition roughly(double easting, double northing) const;

    const SurveyModels& models_;
    geodesy::GeodeticParameters taken_;
    bool tried_ = false;
    std::optional<geodesy::FixProjector> projector_;
    std::optional<geodesy::WgsPosition> last_;  // the last answer starts the next search
};

}  // namespace nivora
