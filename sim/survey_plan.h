#pragma once

// A lawnmower survey: north-south lines across the area at a set spacing,
// joined by half-circle turns, run back and forth at a constant speed.

#include <vector>

#include "sim/survey_area.h"

namespace nivora::sim {

struct VesselPose {
    double easting = 0;
    double northing = 0;
    double heading = 0;  // degrees clockwise from grid north
    bool onLine = false;
};

class SurveyPlan {
  public:
    SurveyPlan(const SurveyArea& area, double lineSpacing, double speedMps);

    // Where the vessel is `seconds` after the start (the pattern repeats).
    VesselPose at(double seconds) const;
    double speed() const { return speed_; }
    double cycleLength() const { return total_; }
    int lineCount() const { return lines_; }

  private:
    struct Segment {
        bool arc = false;
        double x0 = 0, y0 = 0;  // straight: start; arc: centre
        double heading = 0;     // straight: degrees
        double radius = 0;      // arc
        double startAngle = 0;  // arc: radians, maths convention
        double sweep = 0;       // arc: radians, signed
        double length = 0;
        double startS = 0;
    };
    void addStraight(double x0, double y0, double heading, double length);
    void addTurn(double cx, double cy, double radius, double startAngle, double sweep);

    double speed_;
    int lines_ = 1;
    double total_ = 0;
    std::vector<Segment> segments_;
};

}  // namespace nivora::sim
