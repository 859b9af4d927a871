#include "sensors/gnss_decoder.h"

#include "core/number_format.h"

namespace nivora {
namespace {

// What scanGga returns for a GGA read from its cut: all four values, plain.
constexpr int kPlainGga = 5;

bool contains(std::string_view line, std::string_view what) {
    return line.find(what) != std::string_view::npos;
}

// What %lf and %d read in full from a field and what %*1s takes as one
// letter, in the plain forms receivers send. Anything else (blanks, empty
// fields, exponents, "nan") is left to the scan pattern.
bool plainNumber(std::string_view f, bool integer) {
    std::size_t i = 0;
    if (i < f.size() && (f[i] == '-' || f[i] == '+')) ++i;
    std::size_t digits = 0, dots = 0;
    for (; i < f.size(); ++i) {
        if (f[i] >= '0' && f[i] <= '9') {
            ++digits;
        } else if (f[i] == '.' && !integer && dots == 0) {
            ++dots;
        } else {
            return false;
        }
    }
    // Very long numbers overflow differently in the two readers.
    return digits > 0 && f.size() <= 24 && (!integer || digits < 10);
}
bool letter(std::string_view f) {
    return f.size() == 1 && static_cast<unsigned char>(f[0]) > ' ';
}
bool tag(std::string_view f) {
    if (f.size() != 6) return false;
    for (char c : f) {
        if (static_cast<unsigned char>(c) <= ' ') return false;
    }
    return true;
}
double number(std::string_view f) {
    return parseNumber(f).value_or(0.0);
}

}  // namespace

int GnssDecoder::scanGga(const NmeaSentence& s, double& t, int& quality, double& altitude,
                         double& separation) {
    // "%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf" over twelve plain fields.
    const bool plain = s.type == SentenceType::GGA && s.wholeField(11) && tag(s[0]) &&
                       plainNumber(s[1], false) && plainNumber(s[2], false) && letter(s[3]) &&
                       plainNumber(s[4], false) && letter(s[5]) && plainNumber(s[6], true) &&
                       plainNumber(s[7], true) && plainNumber(s[8], false) &&
                       plainNumber(s[9], false) && letter(s[10]) && plainNumber(s[11], false);
    if (!plain) return gga_(s.line, &t, &quality, &altitude, &separation);
    t = number(s[1]);
    quality = parseInteger(s[6]).value_or(0);
    altitude = number(s[9]);
    separation = number(s[11]);
    return kPlainGga;
}

GnssReading GnssDecoder::decode(const NmeaSentence& s) {
    GnssReading r;
    r.fixQualityBefore = nav_.fixQuality;
    r.navigation = nav_;
    const std::string_view line = s.line;

    if (contains(line, "HDT")) {
        double heading = 0;
        // "%*7s %lf": the tag with its comma, then the heading.
        const bool plain = s.wholeField(1) && tag(s[0]) && plainNumber(s[1], false);
        if (plain ? (heading = number(s[1]), true) : hdt_(line, &heading) >= 1)
            r.headingDeg = heading;
    }
    if (contains(line, "GGA")) {
        double t = 0, altitude = 0, separation = 0;
        int quality = 0;
        const int n = scanGga(s, t, quality, altitude, separation);
        if (t > 0) r.ggaTime = t;
        // Only an RTK fixed solution gives a height good enough for tide.
        // Without an altitude in the sentence the last height stays.
        if (n >= 3 && quality == 4) r.antennaHeightM = altitude + separation;
        if (s.type == SentenceType::GGA) {
            const auto field = [&s](std::size_t i) -> std::optional<double> {
                return s.wholeField(i) && !s[i].empty() ? parseNumber(s[i]) : std::nullopt;
            };
            r.hdop = field(8);
            // The plain reading has it already.
            r.geoidSeparationM = n == kPlainGga ? std::optional<double>(separation) : field(11);
            r.correctionAgeS = field(13);
        }
    }
    if (!line.empty() && line[0] == '$') r.nav = decodeNmea(s, r.navigation);
    return r;
}

}  // namespace nivora
