#pragma once

// A synthetic seabed for the simulator: a smooth surface 2 to 40 m deep over
// the survey area, with a general slope, a winding channel and a few mounds,
// so that depths change the way they do in a harbour approach.

#include "sim/survey_area.h"

namespace nivora::sim {

class Seabed {
  public:
    explicit Seabed(const SurveyArea& area) : area_(area) {}

    // Depth below the water line at grid position (e, n), metres.
    double depth(double e, double n) const;
    // Largest change of depth per metre of horizontal travel near (e, n).
    double slope(double e, double n) const;

    static constexpr double kShallowest = 2.0;
    static constexpr double kDeepest = 40.0;

  private:
    SurveyArea area_;
};

}  // namespace nivora::sim
