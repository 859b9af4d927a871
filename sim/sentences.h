#pragma once

// Sentences as receivers and echosounders send them.

#include <QDateTime>
#include <string>
#include <vector>

namespace nivora {
struct EchosounderFamily;
}

namespace nivora::sim {

struct GnssEpoch {
    QDateTime utc;
    bool hasPosition = true;  // false: an outage, empty position fields
    double latitude = 0;      // WGS-84 degrees
    double longitude = 0;
    double altitudeMsl = 0;  // GGA altitude; antenna ellipsoid height = altitude + separation
    double geoidSeparation = 0;
    int quality = 4;
    int satellites = 18;
    double hdop = 0.7;
    double courseTrue = 0;  // degrees
    double speedKnots = 0;
    double headingTrue = 0;  // degrees
};

// GGA, RMC, VTG and HDT of one epoch, each with its checksum, without line ends.
std::vector<std::string> gnssSentences(const GnssEpoch& epoch);

struct Sounding {
    double rawHigh = 0;  // metres as the sounder measures them (at 1500 m/s)
    double rawLow = 0;
    double battery = 12.6;  // volts, for the vessel's own telemetry sentence
    long long sequence = 0;
};

// The line an echosounder of the family sends for one sounding. "OTHER"
// sounders send a depth sentence read with the pattern "%*6s,%lf".
std::string sounderLine(const EchosounderFamily& family, const Sounding& s);
inline constexpr const char* kOtherFamilyPattern = "%*6s,%lf";

}  // namespace nivora::sim
