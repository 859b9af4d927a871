#pragma once

// The values one handler produces and another consumes during a survey. One
// instance lives as long as the survey session; the sensor handlers fill the
// GNSS and echosounder parts, the real-time cycle the grid part.

#include <QString>

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
    double TrueDepthHi = 0;
    double TrueDepthLo = 0;
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
};

}  // namespace nivora
