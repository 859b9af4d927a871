#include "guidance/line_run.h"

#include <cmath>

namespace nivora {

QString lineEndReasonText(LineEndReason reason) {
    switch (reason) {
        case LineEndReason::Key:
            return QStringLiteral("end");
        case LineEndReason::PassedEnd:
            return QStringLiteral("past the end");
        case LineEndReason::OffTrack:
            return QStringLiteral("off line");
        case LineEndReason::LineChanged:
            return QStringLiteral("line changed");
        case LineEndReason::Stopped:
            return QStringLiteral("real time stopped");
    }
    return {};
}

void LineRun::start(const QString& line, double bearingDeg, qint64 ms, QPointF at) {
    setLine(line, bearingDeg);
    record_ = LineRunRecord();
    record_.line = line;
    record_.bearingDeg = bearingDeg;
    record_.startMs = ms;
    record_.startAt = at;
    running_ = true;
    offTrackSinceMs_.reset();
}

std::optional<LineRunRecord> LineRun::end(qint64 ms, QPointF at, LineEndReason reason) {
    if (!running_) return std::nullopt;
    running_ = false;
    record_.endMs = ms;
    record_.endAt = at;
    record_.reason = reason;
    return record_;
}

LineRun::Change LineRun::update(const LineGuidance& g, qint64 ms, QPointF at,
                                const LineRunSettings& s) {
    const double off = std::abs(g.crossTrackM);
    bool started = false;
    if (!running_) {
        const bool onTheLine = g.withinGate && off <= s.offTrackLimitM && g.alongM >= -s.runInM &&
                               g.alongM < g.lengthM;
        if (!s.autoStart || !onTheLine || line_.isEmpty()) return Change::None;
        start(line_, bearing_, ms, at);
        started = true;
    }
    ++record_.epochs;
    record_.sumAbsCrossTrackM += off;
    record_.maxAbsCrossTrackM = std::max(record_.maxAbsCrossTrackM, off);
    if (off > s.offTrackLimitM) {
        if (!offTrackSinceMs_) offTrackSinceMs_ = ms;
    } else {
        offTrackSinceMs_.reset();
    }
    if (s.autoEnd) {
        std::optional<LineEndReason> why;
        if (g.alongM >= g.lengthM + s.runOutM)
            why = LineEndReason::PassedEnd;
        else if (offTrackSinceMs_ && ms - *offTrackSinceMs_ >= s.offTrackSeconds * 1000.0)
            why = LineEndReason::OffTrack;
        if (why) {
            ended_ = end(ms, at, *why);
            return Change::Ended;
        }
    }
    return started ? Change::Started : Change::None;
}

}  // namespace nivora
