#pragma once

// Each GNSS sentence decoded once into what every user of it needs: the
// reader's navigation values (GGA, RMC and VTG: position, fix quality,
// satellites, speed, course) and the survey's readings (the heading of HDT,
// and of GGA the time, the RTK antenna height, the geoid separation, HDOP
// and the age of corrections).
// Fields in their plain form are taken from the line's cut; anything else
// goes through the scan patterns, whose reading of odd lines is the one
// that holds.

#include <optional>
#include <string_view>

#include "core/scan.h"
#include "sensors/nmea.h"

namespace nivora {

struct GnssReading {
    DecodeResult nav;                        // what the sentence does to the navigation values
    NavValues navigation;                    // the navigation values with the sentence applied
    int fixQualityBefore = 0;                // the navigation values' fix quality before it
    std::optional<double> headingDeg;        // HDT
    std::optional<double> ggaTime;           // hhmmss.ss, above 0
    std::optional<double> antennaHeightM;    // GGA, RTK fixed: altitude + geoid separation
    std::optional<double> geoidSeparationM;  // GGA
    std::optional<double> hdop;              // GGA
    std::optional<double> correctionAgeS;    // GGA
};

class GnssDecoder {
  public:
    // The sentence read against the navigation values; a line that begins
    // with "$" is applied to a copy of them, which apply() keeps.
    GnssReading decode(const NmeaSentence& sentence);
    GnssReading decode(std::string_view line) { return decode(splitNmea(line)); }
    void apply(const GnssReading& reading) { nav_ = reading.navigation; }

    const NavValues& nav() const { return nav_; }
    void resetNav() { nav_ = NavValues{}; }

  private:
    int scanGga(const NmeaSentence& s, double& t, int& quality, double& altitude,
                double& separation);

    NavValues nav_;
    ScanPattern hdt_{"%*7s %lf"};
    ScanPattern gga_{"%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf"};
};

}  // namespace nivora
