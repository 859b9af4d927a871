#pragma once

// Quality control and timing settings (section "QUALITY"): the alarms, each
// on or off with its threshold; the age after which a read-out is stale;
// each device's latency; and the position of each sounding at its own time.
// Numbers are kept as typed; the accessors give a usable value (the default
// for a text that is not a number in its range).

#include <QString>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

enum class AlarmKind {
    FixQuality,     // the fix class fell below the one asked for
    Satellites,     // fewer satellites than asked for
    Hdop,           // HDOP above the limit
    CorrectionAge,  // differential corrections older than the limit
    NoGnss,         // no GNSS epoch for the time set
    NoSounding,     // no sounding for the time set
    Depth,          // a depth outside the window
    Speed,          // faster than the sounder allows
    CrossTrack,     // off the active line while it runs
};
inline constexpr int kAlarmKinds = 9;

// "Fix quality", "Satellites", ...: the alarm panel's and the log's name.
QString alarmName(AlarmKind kind);
// The threshold in words, as the panel and the alarm log show it
// ("below RTK fixed", "below 6", "above 2.0 s").
QString alarmThresholdText(AlarmKind kind, double threshold, double upper = 0);

// Fix classes from best to worst: RTK fixed, RTK float, differential
// (DGPS, PPS, SBAS), autonomous, dead reckoning; the others (invalid,
// manual, simulation) rank lowest. A GGA quality code to its rank.
int fixClassRank(int quality);

struct QualitySettings {
    bool fixAlarm = true;
    int fixBelow = 4;  // the GGA quality whose class must be kept (4: RTK fixed)
    bool satellitesAlarm = true;
    QString satellitesBelow = QStringLiteral("6");
    bool hdopAlarm = true;
    QString hdopAbove = QStringLiteral("2");
    bool correctionAgeAlarm = true;
    QString correctionAgeAbove = QStringLiteral("10");
    bool noGnssAlarm = true;
    QString noGnssAfter = QStringLiteral("3");
    bool noSoundingAlarm = true;
    QString noSoundingAfter = QStringLiteral("3");
    bool depthAlarm = true;
    QString depthMin = QStringLiteral("0.5");
    QString depthMax = QStringLiteral("200");
    bool speedAlarm = true;
    QString speedAbove = QStringLiteral("8");
    bool crossTrackAlarm = true;
    QString crossTrackAbove = QStringLiteral("5");
    bool alarmSoundMuted = false;

    QString staleAfter = QStringLiteral("3");
    QString gnssLatency = QStringLiteral("0");
    QString sounderLatency = QStringLiteral("0");
    bool interpolate = true;
    QString interpolationWait = QStringLiteral("1500");

    bool alarmOn(AlarmKind kind) const;
    void setAlarmOn(AlarmKind kind, bool on);
    // The threshold (the depth window's lower end for Depth; its upper end
    // is depthMaxM()). Times in seconds, speed in knots, lengths in metres.
    double threshold(AlarmKind kind) const;
    double depthMaxM() const;
    // The field of the threshold (Depth: its lower end); null for FixQuality.
    QString QualitySettings::*thresholdField(AlarmKind kind) const;
    double staleAfterS() const;
    qint64 gnssLatencyMs() const;
    qint64 sounderLatencyMs() const;
    qint64 interpolationWaitMs() const;
    // The first number field that is not a number in its range, in words;
    // empty when every one is.
    QString problem() const;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<QualitySettings>>& keys();
};

}  // namespace nivora
