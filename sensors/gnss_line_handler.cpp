#include "sensors/gnss_line_handler.h"

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

bool contains(std::string_view line, std::string_view what) { return line.find(what) != std::string_view::npos; }

}  // namespace

QString ggaTimeText(double t) {
    const double h = std::trunc(t / 10000);
    const double m = std::trunc((t - 10000 * h) / 100);
    const double s = std::trunc(t - 10000 * h - 100 * m);
    if (h >= 0 && h < 100 && m >= 0 && m < 100 && s >= 0 && s < 100) {
        // The usual case, without printf.
        const int v[3] = {static_cast<int>(h), static_cast<int>(m), static_cast<int>(s)};
        const char text[8] = {char('0' + v[0] / 10), char('0' + v[0] % 10), ':', char('0' + v[1] / 10),
                              char('0' + v[1] % 10), ':', char('0' + v[2] / 10), char('0' + v[2] % 10)};
        return QString::fromLatin1(text, 8);
    }
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%02d:%02d:%02d", clampToInt(h), clampToInt(m), clampToInt(s));
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

GnssLineResult GnssLineHandler::handle(std::string_view line, const GnssLineInputs& in) {
    GnssLineResult r;

    if (contains(line, "HDT")) {
        double heading = 0;
        if (hdt_(line, &heading) >= 1) {
            r.headingChanged = heading != state_.Heading;
            state_.Heading = heading;
        }
    }
    if (contains(line, "RMC")) {
        double v = 0;
        rmc_(line, &v);
        if (v >= 0) {
            r.speedChanged = v != state_.SpeedKnots;
            state_.SpeedKnots = v;
        }
    }
    if (contains(line, "VTG")) {
        double v = 0;
        vtg_(line, &v);
        if (v >= 0) {
            r.speedChanged = r.speedChanged || v != state_.SpeedKnots;
            state_.SpeedKnots = v;
        }
    }

    if (!in.offsetsWindowVisible && in.offsets && !takeOffsets(*in.offsets, r.error)) return r;

    if (contains(line, "GGA")) {
        double t = 0, altitude = 0, separation = 0;
        int quality = 0;
        const int n = gga_(line, &t, &quality, &altitude, &separation);
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
