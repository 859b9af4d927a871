#include "survey/gnss_tracker.h"

#include "sensors/fix_quality.h"

namespace nivora {

bool GnssTracker::takeOffsets(const OffsetFieldTexts& texts, QString& error) {
    // Field by field, as the window reads them: a bad field stops the rest.
    const struct {
        const QString& text;
        double& target;
        const char* name;
    } fields[] = {
        {texts.offsetA, offsets_.offsetA, "Offset A"},
        {texts.soundVelocity, offsets_.soundVelocity, "SV"},
        {texts.offsetC, offsets_.offsetC, "Offset C"},
        {texts.tideHeight, offsets_.tideHeight, "Tide Ht"},
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

void GnssTracker::positionLost(const NavValues& nav) {
    current_.latitudeDeg = 0;
    current_.longitudeDeg = 0;
    current_.grid.reset();
    current_.fixQuality = nav.fixQuality;
    current_.satellites = nav.satellites;
    current_.courseDeg = nav.course;
}

GnssLineOutcome GnssTracker::apply(const GnssReading& r, qint64 arrivedMs, qint64 latencyMs,
                                   const OffsetFieldTexts* offsets) {
    GnssLineOutcome out;
    const NavValues& nav = r.navigation;
    if (r.headingDeg) current_.headingDeg = *r.headingDeg;
    // One speed for the label, the overlay and the depth box: the reader's.
    const double knots = nav.speed / 1.852;
    out.speedChanged = knots != current_.speedKnots;
    current_.speedKnots = knots;
    current_.courseDeg = nav.course;
    if (r.nav.type == SentenceType::GGA && r.nav.accepted) {
        out.epoch = true;
        current_.receivedAtMs = arrivedMs;
        current_.timeMs = arrivedMs - latencyMs;
        current_.latitudeDeg = nav.latitude;
        current_.longitudeDeg = nav.longitude;
        current_.altitudeM = nav.altitude;
        current_.fixQuality = nav.fixQuality;
        current_.satellites = nav.satellites;
        current_.geoidSeparationM = r.geoidSeparationM;
        current_.hdop = r.hdop;
        current_.correctionAgeS = r.correctionAgeS;
        current_.grid.reset();
    }

    if (offsets && !takeOffsets(*offsets, out.error)) return out;

    if (r.ggaTime) current_.utcTime = *r.ggaTime;
    if (r.antennaHeightM) {
        current_.antennaHeightM = *r.antennaHeightM;
        if (geoid_ && (geoidAlways_ || !r.geoidSeparationM)) {
            if (const auto n = geoid_(current_.latitudeDeg, current_.longitudeDeg)) {
                current_.antennaHeightM = current_.altitudeM + *n;
                current_.geoidSeparationM = *n;
            }
        }
        current_.rtkTideM = current_.antennaHeightM - offsets_.offsetC;
    }
    // The indicator follows the lines before this one, as the reader had
    // them when the line arrived.
    if (r.fixQualityBefore != shownFixQuality_) {
        shownFixQuality_ = r.fixQualityBefore;
        out.fixIndicator = fixQualityColor(shownFixQuality_);
    }
    return out;
}

}  // namespace nivora
