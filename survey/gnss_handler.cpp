#include "survey/gnss_handler.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/number_text.h"
#include "sensors/fix_quality.h"

namespace nivora {
namespace {

int clampToInt(double v) {
    if (!(v >= std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(v);
}

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

QString ggaTimeText(double t) {
    const double h = std::trunc(t / 10000);
    const double m = std::trunc((t - 10000 * h) / 100);
    const double s = std::trunc(t - 10000 * h - 100 * m);
    if (h >= 0 && h < 100 && m >= 0 && m < 100 && s >= 0 && s < 100) {
        // The usual case, without printf.
        const int v[3] = {static_cast<int>(h), static_cast<int>(m), static_cast<int>(s)};
        const char text[8] = {char('0' + v[0] / 10), char('0' + v[0] % 10), ':',
                              char('0' + v[1] / 10), char('0' + v[1] % 10), ':',
                              char('0' + v[2] / 10), char('0' + v[2] % 10)};
        return QString::fromLatin1(text, 8);
    }
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%02d:%02d:%02d", clampToInt(h), clampToInt(m),
                                clampToInt(s));
    return QString::fromLatin1(text, n);
}

GnssLineHandler::GnssLineHandler(RealtimeState& state) : state_(state) {}

bool GnssLineHandler::takeOffsets(const OffsetFieldTexts& texts, QString& error) {
    // Field by field, as the window reads them: a bad field stops the rest.
    const struct {
        const QString& text;
        double& target;
        const char* name;
    } fields[] = {
        {texts.offsetA, state_.Offsets.offsetA, "Offset A"},
        {texts.soundVelocity, state_.Offsets.soundVelocity, "SV"},
        {texts.offsetC, state_.Offsets.offsetC, "Offset C"},
        {texts.tideHeight, state_.Offsets.tideHeight, "Tide Ht"},
    };
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const auto& f = fields[i];
        const auto v = offsetFields_[i].value(f.text);
        if (!v) {
            error = notANumberMessage(QLatin1String(f.name), f.text);
            return false;
        }
        f.target = *v;
    }
    offsetsTaken_ = true;
    return true;
}

int GnssLineHandler::scanGga(const NmeaSentence& s, double& t, int& quality, double& altitude,
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
    return 4;
}

bool GnssLineHandler::scanSpeed(const NmeaSentence& s, std::size_t field, ScanPattern& pattern,
                                double& v) {
    // RMC "%*6s,%*lf,%*1s,%*lf,%*1s,%*lf,%*1s,%lf" (field 7), VTG "%*6s,%*lf,%*1s,%*lf,%*1s,%lf"
    // (field 5): numbers and letters alternate after the tag.
    bool plain = s.wholeField(field) && tag(s[0]);
    for (std::size_t i = 1; plain && i <= field; ++i)
        plain = i % 2 == 1 ? plainNumber(s[i], false) : letter(s[i]);
    if (!plain) return pattern(s.line, &v) >= 1;
    v = number(s[field]);
    return true;
}

GnssLineResult GnssLineHandler::handle(const NmeaSentence& s, const GnssLineInputs& in) {
    GnssLineResult r;
    const std::string_view line = s.line;

    if (contains(line, "HDT")) {
        double heading = 0;
        // "%*7s %lf": the tag with its comma, then the heading.
        const bool plain = s.wholeField(1) && tag(s[0]) && plainNumber(s[1], false);
        if (plain ? (heading = number(s[1]), true) : hdt_(line, &heading) >= 1) {
            r.headingChanged = heading != state_.Heading;
            state_.Heading = heading;
        }
    }
    if (contains(line, "RMC")) {
        double v = 0;
        if (s.type == SentenceType::RMC) {
            scanSpeed(s, 7, rmc_, v);
        } else {
            rmc_(line, &v);
        }
        if (v >= 0) {
            r.speedChanged = v != state_.SpeedKnots;
            state_.SpeedKnots = v;
        }
    }
    if (contains(line, "VTG")) {
        double v = 0;
        if (s.type == SentenceType::VTG) {
            scanSpeed(s, 5, vtg_, v);
        } else {
            vtg_(line, &v);
        }
        if (v >= 0) {
            r.speedChanged = r.speedChanged || v != state_.SpeedKnots;
            state_.SpeedKnots = v;
        }
    }

    if (!in.offsetsWindowVisible && in.offsets && !takeOffsets(*in.offsets, r.error)) return r;

    if (contains(line, "GGA")) {
        double t = 0, altitude = 0, separation = 0;
        int quality = 0;
        const int n = scanGga(s, t, quality, altitude, separation);
        if (t > 0) {
            const QString text = ggaTimeText(t);
            r.timeChanged = text != state_.GgaTimeText;
            state_.GgaTimeText = text;
        }
        // Only an RTK fixed solution gives a height good enough for tide.
        // Without an altitude in the sentence the last height stays.
        if (n >= 3 && quality == 4) {
            state_.AntennaHeight = altitude + separation;
            state_.GnssTide = state_.AntennaHeight - state_.Offsets.offsetC;
            r.antennaHeightChanged = true;
        }
    }

    if (in.readerFixQuality != state_.LastFixQuality) {
        state_.LastFixQuality = in.readerFixQuality;
        r.fixIndicatorChanged = true;
        r.fixIndicatorColor = fixQualityColor(in.readerFixQuality);
    }
    return r;
}

}  // namespace nivora
