#pragma once

// NMEA 0183 sentences for an autopilot or an unmanned boat steering along
// the active survey line: APB, XTE and RMB, with their checksums. The
// cross-track error goes out in nautical miles with the side to steer to:
// a boat to starboard of the line (a positive cross-track error) steers
// left, one to port steers right, as the helmsman's bar shows it.

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace nivora {

struct AutopilotFix {
    bool valid = false;  // a position and an active line
    char mode = 'A';     // A autonomous, D differential, N not valid
    double crossTrackM = 0;
    double trackTrueDeg = 0;   // bearing of the line (its segment), true
    double toDestTrueDeg = 0;  // from the boat to the end of the line, true
    double rangeM = 0;         // from the boat to the end
    double closingKnots = 0;   // speed made good towards the end
    bool arrived = false;      // within the arrival radius of the end
    bool passedEnd = false;    // beyond the perpendicular at the end
    QString origin;            // waypoint names
    QString destination;
    std::optional<double> destinationLatitude;  // WGS-84 degrees
    std::optional<double> destinationLongitude;
};

inline constexpr double kMetresPerNauticalMile = 1852.0;

// 'L' or 'R': the side to steer to.
char steerTo(double crossTrackM);

// Each sentence with its checksum and CR LF: "$GPAPB,…", "$GPXTE,…", "$GPRMB,…".
std::string apbSentence(const AutopilotFix& fix);
std::string xteSentence(const AutopilotFix& fix);
std::string rmbSentence(const AutopilotFix& fix);

// The names of the sentences the settings may choose, in the order sent.
struct AutopilotChoice {
    bool apb = true;
    bool xte = true;
    bool rmb = true;
};
std::vector<std::string> autopilotSentences(const AutopilotFix& fix, AutopilotChoice choice);

}  // namespace nivora
