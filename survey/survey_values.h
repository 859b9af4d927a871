#pragma once

// The values a survey produces, one per event and passed on by value: a GNSS
// epoch per GGA, a corrected sounding per echosounder line that gave one,
// and what each tick of the real-time cycle shows. A coordinate row, a track
// mark, a depth label or an alarm is computed from these; nobody writes
// shared state for another to read back.

#include <QDateTime>
#include <QString>
#include <optional>

namespace nivora {

// The Offsets window's values as the survey took them.
struct OffsetsSnapshot {
    double offsetA = 0;        // transducer draft, metres
    double soundVelocity = 0;  // SV, m/s
    double offsetC = 0;        // antenna to water line, metres
    double tideHeight = 0;     // TideHt, metres
};

// A position on the grid: the datum shift and projection of a fix.
struct GridPosition {
    double easting = 0;
    double northing = 0;
    double convergenceDeg = 0;
};

// One GNSS epoch: a GGA with a position, with the motion the receiver gave
// last (RMC, VTG, HDT).
struct GnssEpoch {
    qint64 receivedAtMs = 0;  // when the GGA's first byte arrived, ms since 1970 UTC
    qint64 timeMs = 0;        // the epoch's own time: the arrival less the receiver's latency
    double utcTime = 0;       // hhmmss.ss of the GGA; 0 when it had none
    double latitudeDeg = 0;
    double longitudeDeg = 0;
    double altitudeM = 0;  // above the geoid
    std::optional<double> geoidSeparationM;
    int fixQuality = 0;
    int satellites = 0;
    std::optional<double> hdop;
    std::optional<double> correctionAgeS;
    double speedKnots = 0;
    double courseDeg = 0;
    double headingDeg = 0;  // HDT
    // The last RTK fixed height (altitude + geoid separation) and the tide
    // it gives (that height - offset C); they hold until the next one.
    double antennaHeightM = 0;
    double rtkTideM = 0;
    // Projected once, as it arrived (when the parameters were taken and the
    // fix could be placed).
    std::optional<GridPosition> grid;

    // 0, 0 is no position: before the first fix and after a GPS gap.
    bool hasPosition() const { return !(latitudeDeg == 0 && longitudeDeg == 0); }
};

// One sounding, corrected for sound velocity and draft.
struct CorrectedSounding {
    qint64 receivedAtMs = 0;  // when the line's first byte arrived, ms since 1970 UTC
    qint64 timeMs = 0;        // the sounding's own time: the arrival less the sounder's latency
    QString family;           // the echosounder message family
    double rawHi = 0;         // metres at 1500 m/s; 0 when the family does not read it
    double rawLo = 0;
    // As the coordinate log has them: raw x v / 1500 + draft, so a depth
    // the sounder did not measure (a raw 0) is the draft here.
    double trueHi = 0;
    double trueLo = 0;
    bool measuredHi = false;
    bool measuredLo = false;
    bool lowIsSounding = false;  // the family reads only the low depth
    double soundVelocity = 0;    // of the high-frequency correction
    double draft = 0;            // the draft typed now, which corrected it
    OffsetsSnapshot offsets;     // the snapshot the survey held
    bool shallow = false;        // measured, and at or above the shallow-water alert depth
    bool rowDue = false;         // the family's depth is not 0: a coordinate row is written
    std::optional<double> batteryVoltage;

    // A depth that was measured, never the draft alone.
    std::optional<double> shownHi() const {
        return measuredHi ? std::optional<double>(trueHi) : std::nullopt;
    }
    std::optional<double> shownLo() const {
        return measuredLo ? std::optional<double>(trueLo) : std::nullopt;
    }
    // The sounding's depth: the low one for a family that reads only that.
    std::optional<double> depth() const { return lowIsSounding ? shownLo() : shownHi(); }
};

// A depth as the read-outs and the event records show it: 2 decimals, or
// "---" when none was measured.
QString depthText(std::optional<double> depth);

// The real-time data window's labels, set at every tick.
struct TickReadouts {
    QString fixed;          // "Fixed": the fix quality
    QString antennaHeight;  // "LAntennaH", 2 decimals
    QString tideHeight;     // "LTideHt": "-" while the Offsets window is open
    QString satellites;     // "SatelliteLabel"
};

// What one tick gives the chart.
struct TickValues {
    TickReadouts readouts;
    QString overlayText;  // the GGA overlay's one line
    int fixQuality = 0;
    // The cycle got as far as the grid (parameters taken, and a position
    // that could be placed or none): the status bar and the chart follow.
    bool complete = false;
    double latitudeDeg = 0;  // the position the tick had, 0, 0 for none
    double longitudeDeg = 0;
    // Where the vessel was placed this tick, with its grid heading; none
    // without a position.
    std::optional<GridPosition> placed;
    double gridHeadingDeg = 0;
    std::optional<double> depth;  // the sounding's depth, for the label and the overlay
    // The depth box: the depths measured, the low one only when its frame is shown.
    double boxHi = 0;
    double boxLo = 0;
    double speedKnots = 0;
    // The epoch's or the sounding's values are older than the stale age:
    // shown, but as old.
    bool gnssStale = false;
    bool depthStale = false;
};

}  // namespace nivora
