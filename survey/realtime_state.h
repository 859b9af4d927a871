#pragma once

// The values one handler produces and another consumes during a survey. One
// instance lives as long as the survey session; the sensor handlers fill the
// GNSS and echosounder parts, the real-time cycle the grid part.

#include <QString>
#include <optional>

namespace nivora {

// Offsets as read from the Offsets window's fields on GNSS lines.
struct OffsetsSnapshot {
    double offsetA = 0;        // transducer draft, metres
    double soundVelocity = 0;  // SV, m/s
    double offsetC = 0;        // antenna to water line, metres
    double tideHeight = 0;     // TideHt, metres
};

struct RealtimeState {
    // GNSS side
    double CurrentLatitude = 0;
    double CurrentLongitude = 0;
    double CurrentAltitude = 0;
    double Heading = 0;
    double SpeedKnots = 0;       // RMC or VTG, as the sentence gives it
    double SpeedShownKnots = 0;  // the reader's speed as the label shows it (one decimal)
    QString GgaTimeText = QStringLiteral("00:00:00");
    double AntennaHeight = 0;
    double GnssTide = 0;
    int LastFixQuality = 0;
    OffsetsSnapshot Offsets;

    // Echosounder side
    double RawDepthHi = 0;
    double RawDepthLo = 0;
    // As the coordinate log has them: raw x v / 1500 + draft, so a depth
    // the sounder did not measure (a raw 0, or one its family does not
    // read) is the draft here. What is shown comes from the two flags.
    double TrueDepthHi = 0;
    double TrueDepthLo = 0;
    bool MeasuredHi = false;  // the last line measured the high-frequency depth
    bool MeasuredLo = false;
    bool LowIsSounding = false;  // the family's sounding is its low depth
    double SoundVelocityUsed = 0;
    double AlertDepth = 0;
    bool NewDepth = false;

    // Real-time cycle
    double GridEasting = 0;
    double GridNorthing = 0;
    double GridConvergence = 0;
    double GridHeading = 0;
    bool FollowVessel = true;
    QString GgaOverlayText;
    bool Running = false;

    // What the read-outs, the chart, the echogram and the alarm show: a
    // depth that was measured, never the draft alone.
    std::optional<double> shownDepthHi() const {
        return MeasuredHi ? std::optional<double>(TrueDepthHi) : std::nullopt;
    }
    std::optional<double> shownDepthLo() const {
        return MeasuredLo ? std::optional<double>(TrueDepthLo) : std::nullopt;
    }
    // The sounding's depth: the low one for a family that reads only that.
    std::optional<double> soundingDepth() const {
        return LowIsSounding ? shownDepthLo() : shownDepthHi();
    }
};

}  // namespace nivora
