#include "guidance/autopilot_sentences.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sensors/nmea.h"

namespace nivora {
namespace {

// The standard field holds up to 9.99 nautical miles.
std::string nauticalMiles(double metres) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f",
                  std::min(std::abs(metres) / kMetresPerNauticalMile, 9.99));
    return buf;
}

std::string degrees(double d) {
    d = std::fmod(d, 360.0);
    if (d < 0) d += 360.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%05.1f", d >= 359.95 ? 0.0 : d);
    return buf;
}

std::string decimals(double v, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", n, v);
    return buf;
}

// Waypoint names are letters and digits only: a comma or star would break the sentence.
std::string waypoint(const QString& name) {
    std::string out;
    for (const QChar c : name) {
        if (c.unicode() < 128 && c.isLetterOrNumber()) out += static_cast<char>(c.unicode());
    }
    return out.substr(0, 16);
}

std::string finish(const std::string& body) {
    return withNmeaChecksum(body) + "\r\n";
}

std::string status(const AutopilotFix& f) {
    return f.valid ? "A" : "V";
}

char mode(const AutopilotFix& f) {
    return f.valid ? f.mode : 'N';
}

}  // namespace

char steerTo(double crossTrackM) {
    return crossTrackM > 0 ? 'L' : 'R';
}

std::string xteSentence(const AutopilotFix& f) {
    return finish("$GPXTE," + status(f) + "," + status(f) + "," + nauticalMiles(f.crossTrackM) +
                  "," + steerTo(f.crossTrackM) + ",N," + mode(f));
}

std::string apbSentence(const AutopilotFix& f) {
    const std::string dest = waypoint(f.destination);
    return finish("$GPAPB," + status(f) + "," + status(f) + "," + nauticalMiles(f.crossTrackM) +
                  "," + steerTo(f.crossTrackM) + ",N," + (f.arrived ? "A" : "V") + "," +
                  (f.passedEnd ? "A" : "V") + "," + degrees(f.trackTrueDeg) + ",T," + dest + "," +
                  degrees(f.toDestTrueDeg) + ",T," + degrees(f.toDestTrueDeg) + ",T," + mode(f));
}

std::string rmbSentence(const AutopilotFix& f) {
    std::string lat, lon;
    char ns = 'N', ew = 'E';
    if (f.destinationLatitude && f.destinationLongitude) {
        lat = nmeaLatitude(*f.destinationLatitude, &ns);
        lon = nmeaLongitude(*f.destinationLongitude, &ew);
    }
    const bool placed = !lat.empty();
    return finish("$GPRMB," + status(f) + "," + nauticalMiles(f.crossTrackM) + "," +
                  steerTo(f.crossTrackM) + "," + waypoint(f.origin) + "," +
                  waypoint(f.destination) + "," + lat + "," + (placed ? std::string(1, ns) : "") +
                  "," + lon + "," + (placed ? std::string(1, ew) : "") + "," +
                  decimals(std::min(f.rangeM / kMetresPerNauticalMile, 999.9), 3) + "," +
                  degrees(f.toDestTrueDeg) + "," + decimals(f.closingKnots, 1) + "," +
                  (f.arrived ? "A" : "V") + "," + mode(f));
}

std::vector<std::string> autopilotSentences(const AutopilotFix& fix, AutopilotChoice choice) {
    std::vector<std::string> out;
    if (choice.apb) out.push_back(apbSentence(fix));
    if (choice.xte) out.push_back(xteSentence(fix));
    if (choice.rmb) out.push_back(rmbSentence(fix));
    return out;
}

}  // namespace nivora
