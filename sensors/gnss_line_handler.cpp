#include "sensors/gnss_line_handler.h"

#include <cmath>
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
    return QStringLiteral("%1:%2:%3")
        .arg(clampToInt(h), 2, 10, QLatin1Char('0'))
        .arg(clampToInt(m), 2, 10, QLatin1Char('0'))
        .arg(clampToInt(s), 2, 10, QLatin1Char('0'));
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
    for (const auto& f : fields) {
        const auto v = toNumber(f.text);
        if (!v) {
            error = notANumberMessage(QLatin1String(f.name), f.text);
            return false;
        }
        f.target = *v;
    }
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
