#include "sim/sentences.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "sensors/echosounder.h"
#include "sensors/nmea.h"

namespace nivora::sim {
namespace {

std::string fmt(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

std::vector<std::string> gnssSentences(const GnssEpoch& e) {
    const QTime t = e.utc.time();
    char time[48];
    std::snprintf(time, sizeof time, "%02d%02d%02d.%02d", t.hour(), t.minute(), t.second(),
                  t.msec() / 10);
    char date[40];
    std::snprintf(date, sizeof date, "%02d%02d%02d", e.utc.date().day(), e.utc.date().month(),
                  e.utc.date().year() % 100);
    char ns = 'N', ew = 'E';
    std::string lat, lon;
    if (e.hasPosition) {
        lat = nmeaLatitude(e.latitude, &ns);
        lon = nmeaLongitude(e.longitude, &ew);
    }
    const std::string hemiN = e.hasPosition ? std::string(1, ns) : std::string();
    const std::string hemiE = e.hasPosition ? std::string(1, ew) : std::string();
    const int quality = e.hasPosition ? e.quality : 0;
    char sats[8];
    std::snprintf(sats, sizeof sats, "%02d", e.hasPosition ? e.satellites : 0);

    std::vector<std::string> out;
    std::string gga = std::string("$GPGGA,") + time + ',' + lat + ',' + hemiN + ',' + lon + ',' +
                      hemiE + ',' + std::to_string(quality) + ',' + sats + ',' +
                      (e.hasPosition ? fmt("%.1f", e.hdop) : "") + ',' +
                      (e.hasPosition ? fmt("%.3f", e.altitudeMsl) : "") + ",M," +
                      (e.hasPosition ? fmt("%.3f", e.geoidSeparation) : "") + ",M," +
                      (quality >= 2 ? "1.0,0001" : ",");
    out.push_back(withNmeaChecksum(gga));
    std::string rmc = std::string("$GPRMC,") + time + ',' + (e.hasPosition ? 'A' : 'V') + ',' +
                      lat + ',' + hemiN + ',' + lon + ',' + hemiE + ',' +
                      fmt("%.2f", e.speedKnots) + ',' + fmt("%.1f", e.courseTrue) + ',' + date +
                      ",,,A";
    out.push_back(withNmeaChecksum(rmc));
    std::string vtg = "$GPVTG," + fmt("%.1f", e.courseTrue) + ",T," +
                      fmt("%.1f", std::fmod(e.courseTrue + 354.5, 360)) + ",M," +
                      fmt("%.2f", e.speedKnots) + ",N," + fmt("%.2f", e.speedKnots * 1.852) +
                      ",K,A";
    out.push_back(withNmeaChecksum(vtg));
    out.push_back(withNmeaChecksum("$GPHDT," + fmt("%.2f", e.headingTrue) + ",T"));
    return out;
}

std::string sounderLine(const EchosounderFamily& family, const Sounding& s) {
    const std::string name = family.name;
    if (name == "Nivora SMT")
        return "$NIVOSMT," + fmt("%.2f", s.rawHigh) + ',' + fmt("%.2f", s.battery);
    if (name == "NMEA DPT" || name == "OTHER")
        return withNmeaChecksum("$SDDPT," + fmt("%.2f", s.rawHigh) + ",0.0");
    if (name == "NMEA DBT") {
        return withNmeaChecksum("$SDDBT," + fmt("%.1f", s.rawHigh / 0.3048) + ",f," +
                                fmt("%.2f", s.rawHigh) + ",M," + fmt("%.1f", s.rawHigh / 1.8288) +
                                ",F");
    }
    if (name == "Nivora XDR HI") return "$NIVXDHI," + fmt("%.2f", s.rawHigh);
    if (name == "Nivora XDR LO" || name == "Nivora XDR H/L") {
        return "$NIVXDHI," + fmt("%.2f", s.rawHigh) + ",$NIVXDLO," + fmt("%.2f", s.rawLow);
    }
    if (name == "ODC HI") {
        // A 42-character record head that carries ",B,", then the depth.
        char head[64];
        std::snprintf(head, sizeof head, "$ODCHI,B,%033lld", s.sequence);
        return std::string(head) + ',' + fmt("%.2f", s.rawHigh);
    }
    return withNmeaChecksum("$SDDPT," + fmt("%.2f", s.rawHigh) + ",0.0");
}

}  // namespace nivora::sim
