#pragma once

// The survey's alarms: each on or off with its threshold, raised the moment
// its cause appears, acknowledged by the operator, and cleared once its
// cause has been gone for a moment (so that a value hovering at the
// threshold does not fill the log). Every change is returned for the alarm
// log and the panel. Plain values and no timers: the survey feeds it epochs,
// soundings, the cross-track error and the time.

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "config/quality_settings.h"
#include "survey/survey_values.h"

namespace nivora {

enum class AlarmState { Clear, Raised, Acknowledged };
// "raised", "acknowledged", "cleared".
QString alarmStateText(AlarmState state);

struct AlarmChange {
    qint64 atMs = 0;
    AlarmKind kind = AlarmKind::FixQuality;
    AlarmState state = AlarmState::Clear;
    QString value;      // the value that raised it; when cleared, the value then
    QString threshold;  // "below RTK fixed", "above 2"
};

struct AlarmStatus {
    AlarmState state = AlarmState::Clear;
    qint64 sinceMs = 0;  // raised at
    QString value;
    QString threshold;
};

// The alarm log: "Date,Alarm,State,Value,Threshold" and one row per change.
QByteArray alarmLogHeader();
QByteArray formatAlarmRow(const AlarmChange& change);

class AlarmMonitor {
  public:
    // A cause must be gone this long before its alarm clears.
    static constexpr qint64 kClearAfterMs = 2000;

    // The thresholds, read once as real time starts; `sounderOn`: the
    // echosounder is in use (else its alarms stay clear).
    void start(const QualitySettings& settings, bool sounderOn, qint64 nowMs);
    // Real time stopped: every alarm clears.
    std::vector<AlarmChange> stop(qint64 nowMs);

    std::vector<AlarmChange> onEpoch(const GnssEpoch& epoch, qint64 nowMs);
    std::vector<AlarmChange> onSounding(const CorrectedSounding& sounding, qint64 nowMs);
    // The cross-track error while a line runs; none while none runs.
    std::vector<AlarmChange> onCrossTrack(std::optional<double> metres, qint64 nowMs);
    // The data-age alarms and the clearing of causes gone.
    std::vector<AlarmChange> onTime(qint64 nowMs);

    std::optional<AlarmChange> acknowledge(AlarmKind kind, qint64 nowMs);
    std::vector<AlarmChange> acknowledgeAll(qint64 nowMs);

    const AlarmStatus& status(AlarmKind kind) const { return status_[index(kind)]; }
    // Raised or acknowledged: its cause is there.
    bool anyActive() const;
    bool anyUnacknowledged() const;

  private:
    static int index(AlarmKind k) { return static_cast<int>(k); }
    // The cause of `kind` is there or not; `value()` words the value that
    // shows it, asked for only while it is there.
    template <class Value>
    void observe(AlarmKind kind, bool cause, Value&& value, qint64 nowMs,
                 std::vector<AlarmChange>& out);
    void settleClears(qint64 nowMs, std::vector<AlarmChange>& out);
    AlarmChange change(AlarmKind kind, qint64 nowMs) const;

    bool on_[kAlarmKinds] = {};
    double threshold_[kAlarmKinds] = {};
    double depthMax_ = 0;
    bool running_ = false;
    qint64 startMs_ = 0;
    std::optional<qint64> lastEpochMs_, lastSoundingMs_;
    std::array<AlarmStatus, kAlarmKinds> status_{};
    // When each cause was last seen gone while its alarm was active.
    std::array<std::optional<qint64>, kAlarmKinds> goneSince_{};
};

}  // namespace nivora
