#pragma once

// The running of one survey line: started and ended by key or on their own
// (started when the boat comes onto the line within the off-track limit no
// earlier than the run-in before its start; ended past its end by the
// run-out, or after the boat has been beyond the off-track limit for a set
// time), with the soundings logged and the cross-track errors while it ran.

#include <QPointF>
#include <QString>
#include <optional>

#include "guidance/line_guidance.h"

namespace nivora {

struct LineRunSettings {
    bool autoStart = true;
    bool autoEnd = true;
    double runInM = 10;
    double runOutM = 10;
    double offTrackLimitM = 10;
    double offTrackSeconds = 10;
};

enum class LineEndReason { Key, PassedEnd, OffTrack, LineChanged, Stopped };
// "end", "past the end", "off line", "line changed", "real time stopped".
QString lineEndReasonText(LineEndReason reason);

// One row of the line log.
struct LineRunRecord {
    QString line;
    double bearingDeg = 0;  // the line's direction as run
    qint64 startMs = 0;     // ms since 1970 UTC
    QPointF startAt;
    qint64 endMs = 0;
    QPointF endAt;
    long long soundings = 0;
    long long soundingsUnderAlarm = 0;  // taken while an alarm was active
    long long epochs = 0;
    double sumAbsCrossTrackM = 0;
    double maxAbsCrossTrackM = 0;
    LineEndReason reason = LineEndReason::Key;

    double meanAbsCrossTrackM() const { return epochs ? sumAbsCrossTrackM / epochs : 0; }
};

class LineRun {
  public:
    enum class Change { None, Started, Ended };

    bool running() const { return running_; }
    const LineRunRecord& record() const { return record_; }

    // One epoch of the active line: counts it while running and starts or
    // ends the run as the settings say.
    Change update(const LineGuidance& g, qint64 ms, QPointF at, const LineRunSettings& s);
    void start(const QString& line, double bearingDeg, qint64 ms, QPointF at);
    // The record of the run that ended; nothing when none ran.
    std::optional<LineRunRecord> end(qint64 ms, QPointF at, LineEndReason reason);
    void countSounding(bool underAlarm = false) {
        if (!running_) return;
        ++record_.soundings;
        if (underAlarm) ++record_.soundingsUnderAlarm;
    }
    // The line the run belongs to, for update() to start it by name.
    void setLine(const QString& line, double bearingDeg) {
        line_ = line;
        bearing_ = bearingDeg;
    }
    std::optional<LineRunRecord> takeEnded() {
        auto r = std::move(ended_);
        ended_.reset();
        return r;
    }

  private:
    bool running_ = false;
    LineRunRecord record_;
    std::optional<LineRunRecord> ended_;
    QString line_;
    double bearing_ = 0;
    std::optional<qint64> offTrackSinceMs_;
};

}  // namespace nivora
