#pragma once

// Guidance along one survey line from one position: the signed cross-track
// error (positive to starboard of the line in its direction), the distance
// along the line from its start, what is left to its end, the distance to
// the start while approaching, the bearing of the segment steered by and the
// course error, and the time to go at the present speed. A polyline guides
// along its nearest segment; before the start and past the end the first
// and last segments are extended.

#include <optional>

#include "guidance/survey_line.h"

namespace nivora {

// Guidance is shown only when the boat heads within this of the line's
// bearing; otherwise it is off line.
inline constexpr double kGuidanceGateDeg = 45.0;

struct LineGuidance {
    double crossTrackM = 0;  // + starboard of the line, - port
    double alongM = 0;       // from the start along the line; negative before it
    double toGoM = 0;        // to the end, 0 once past it
    double toStartM = 0;     // straight to the start point while before it, else 0
    double lengthM = 0;
    double bearingDeg = 0;                 // grid bearing of the segment guided along
    int segment = 0;                       // index of its first vertex
    std::optional<double> courseErrorDeg;  // grid course - bearing, -180..180
    std::optional<double> timeToGoS;       // at the speed made good along the line
    bool beforeStart = false;
    bool pastEnd = false;
    // Heading within the gate of the bearing (no course known: true).
    bool withinGate = true;
};

// `courseGridDeg`: the boat's grid course (or heading), none when unknown;
// `speedMps` its speed over ground. The line must have two vertices.
LineGuidance guideAlong(const SurveyLine& line, double easting, double northing,
                        std::optional<double> courseGridDeg, double speedMps);

}  // namespace nivora
