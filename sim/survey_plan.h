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
    int line = -1;          // the planned line run, -1 in a turn or transit
    double crossTrack = 0;  // the wander off it, metres, + starboard
};

// A steering wander about each line: a sine of this amplitude and wavelength
// along it (0: on the line exactly).
struct Wander {
    double amplitude = 0;
    double wavelength = 200;
};

// A planned line, start first.
using PlanLine = std::vector<std::pair<double, double>>;

class SurveyPlan {
  public:
    SurveyPlan(const SurveyArea& area, double lineSpacing, double speedMps, Wander wander = {});
    // The lines in order, each from its start to its end, with a straight
    // transit from the end of one to the start of the next (and back to the
    // first). Lines of fewer than two points are passed over.
    SurveyPlan(const std::vector<PlanLine>& lines, double speedMps, Wander wander = {});

    // The straight legs of the plan, as the lines a surveyor would have planned.
    std::vector<PlanLine> lines() const;

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
        int line = -1;     // straight: the planned line it belongs to
        double lineS = 0;  // along that line where the segment starts
    };
    void addStraight(double x0, double y0, double heading, double length, int line = -1,
                     double lineS = 0);
    void addTurn(double cx, double cy, double radius, double startAngle, double sweep);

    double speed_;
    Wander wander_;
    int lines_ = 1;
    double total_ = 0;
    std::vector<Segment> segments_;
};

}  // namespace nivora::sim
