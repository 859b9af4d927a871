#include "survey/alarm_monitor.h"

#include <cmath>

#include <QDateTime>

#include "core/date_time_text.h"
#include "core/number_format.h"
#include "sensors/fix_quality.h"
#include "survey/csv_day_log.h"

namespace nivora {
namespace {

QString fixed(double v, int decimals) {
    return QString::fromStdString(formatFixed(v, decimals));
}

QString none() {
    return {};
}

QString seconds(qint64 ms) {
    return fixed(ms / 1000.0, 1) + QStringLiteral(" s");
}

}  // namespace

QString alarmStateText(AlarmState state) {
    switch (state) {
        case AlarmState::Raised:
            return QStringLiteral("raised");
        case AlarmState::Acknowledged:
            return QStringLiteral("acknowledged");
        case AlarmState::Clear:
            break;
    }
    return QStringLiteral("cleared");
}

QByteArray alarmLogHeader() {
    return "Date,Alarm,State,Value,Threshold\n";
}

QByteArray formatAlarmRow(const AlarmChange& c) {
    std::string out = dateTimeText(QDateTime::fromMSecsSinceEpoch(c.atMs)).toStdString();
    for (const QString& f : {alarmName(c.kind), alarmStateText(c.state), c.value, c.threshold})
        out += ',' + csvText(f);
    out += '\n';
    return QByteArray::fromStdString(out);
}

void AlarmMonitor::start(const QualitySettings& s, bool sounderOn, qint64 nowMs) {
    for (int i = 0; i < kAlarmKinds; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        on_[i] = s.alarmOn(kind);
        threshold_[i] = s.threshold(kind);
        status_[static_cast<std::size_t>(i)] = {};
        status_[static_cast<std::size_t>(i)].threshold =
            alarmThresholdText(kind, threshold_[i], s.depthMaxM());
        goneSince_[static_cast<std::size_t>(i)].reset();
    }
    on_[index(AlarmKind::NoSounding)] = on_[index(AlarmKind::NoSounding)] && sounderOn;
    on_[index(AlarmKind::Depth)] = on_[index(AlarmKind::Depth)] && sounderOn;
    depthMax_ = s.depthMaxM();
    running_ = true;
    startMs_ = nowMs;
    lastEpochMs_.reset();
    lastSoundingMs_.reset();
}

std::vector<AlarmChange> AlarmMonitor::stop(qint64 nowMs) {
    std::vector<AlarmChange> out;
    for (int i = 0; i < kAlarmKinds; ++i) {
        AlarmStatus& st = status_[static_cast<std::size_t>(i)];
        if (st.state == AlarmState::Clear) continue;
        st.state = AlarmState::Clear;
        out.push_back(change(static_cast<AlarmKind>(i), nowMs));
    }
    running_ = false;
    return out;
}

AlarmChange AlarmMonitor::change(AlarmKind kind, qint64 nowMs) const {
    const AlarmStatus& st = status(kind);
    return {nowMs, kind, st.state, st.value, st.threshold};
}

template <class Value>
void AlarmMonitor::observe(AlarmKind kind, bool cause, Value&& value, qint64 nowMs,
                           std::vector<AlarmChange>& out) {
    if (!running_ || !on_[index(kind)]) return;
    AlarmStatus& st = status_[static_cast<std::size_t>(index(kind))];
    auto& gone = goneSince_[static_cast<std::size_t>(index(kind))];
    if (cause) {
        gone.reset();
        st.value = value();
        if (st.state == AlarmState::Clear) {
            st.state = AlarmState::Raised;
            st.sinceMs = nowMs;
            out.push_back(change(kind, nowMs));
        }
        return;
    }
    if (st.state == AlarmState::Clear) return;
    // The value as its cause goes: the one the clearing is logged with.
    if (QString v = value(); !v.isEmpty()) st.value = std::move(v);
    if (!gone) gone = nowMs;
    settleClears(nowMs, out);
}

void AlarmMonitor::settleClears(qint64 nowMs, std::vector<AlarmChange>& out) {
    for (int i = 0; i < kAlarmKinds; ++i) {
        AlarmStatus& st = status_[static_cast<std::size_t>(i)];
        auto& gone = goneSince_[static_cast<std::size_t>(i)];
        if (st.state == AlarmState::Clear || !gone || nowMs - *gone < kClearAfterMs) continue;
        st.state = AlarmState::Clear;
        gone.reset();
        out.push_back(change(static_cast<AlarmKind>(i), nowMs));
    }
}

std::vector<AlarmChange> AlarmMonitor::onEpoch(const GnssEpoch& e, qint64 nowMs) {
    std::vector<AlarmChange> out;
    lastEpochMs_ = nowMs;
    observe(AlarmKind::NoGnss, false, none, nowMs, out);
    const int wanted = static_cast<int>(threshold_[index(AlarmKind::FixQuality)]);
    observe(
        AlarmKind::FixQuality, fixClassRank(e.fixQuality) < fixClassRank(wanted),
        [&]() -> QString {
            return QStringLiteral("%1 (%2)").arg(fixQualityName(e.fixQuality)).arg(e.fixQuality);
        },
        nowMs, out);
    observe(
        AlarmKind::Satellites, e.satellites < threshold_[index(AlarmKind::Satellites)],
        [&]() -> QString { return QString::number(e.satellites); }, nowMs, out);
    // A field the receiver left empty is no value to judge.
    if (e.hdop) {
        observe(
            AlarmKind::Hdop, *e.hdop > threshold_[index(AlarmKind::Hdop)],
            [&]() -> QString { return fixed(*e.hdop, 1); }, nowMs, out);
    }
    if (e.correctionAgeS) {
        observe(
            AlarmKind::CorrectionAge,
            *e.correctionAgeS > threshold_[index(AlarmKind::CorrectionAge)],
            [&]() -> QString { return fixed(*e.correctionAgeS, 1) + QStringLiteral(" s"); }, nowMs,
            out);
    } else if (fixClassRank(e.fixQuality) < fixClassRank(2)) {
        // No corrections at all: the fix-class alarm says so; an old age is over.
        observe(AlarmKind::CorrectionAge, false, none, nowMs, out);
    }
    observe(
        AlarmKind::Speed, e.speedKnots > threshold_[index(AlarmKind::Speed)],
        [&]() -> QString { return fixed(e.speedKnots, 1) + QStringLiteral(" kn"); }, nowMs, out);
    return out;
}

std::vector<AlarmChange> AlarmMonitor::onSounding(const CorrectedSounding& s, qint64 nowMs) {
    std::vector<AlarmChange> out;
    lastSoundingMs_ = nowMs;
    observe(AlarmKind::NoSounding, false, none, nowMs, out);
    if (const auto d = s.depth()) {
        observe(
            AlarmKind::Depth, *d < threshold_[index(AlarmKind::Depth)] || *d > depthMax_,
            [&]() -> QString { return fixed(*d, 2) + QStringLiteral(" m"); }, nowMs, out);
    }
    return out;
}

std::vector<AlarmChange> AlarmMonitor::onCrossTrack(std::optional<double> m, qint64 nowMs) {
    std::vector<AlarmChange> out;
    observe(
        AlarmKind::CrossTrack, m && std::abs(*m) > threshold_[index(AlarmKind::CrossTrack)],
        [&]() -> QString { return fixed(*m, 2) + QStringLiteral(" m"); }, nowMs, out);
    return out;
}

std::vector<AlarmChange> AlarmMonitor::onTime(qint64 nowMs) {
    std::vector<AlarmChange> out;
    const qint64 sinceEpoch = nowMs - lastEpochMs_.value_or(startMs_);
    observe(
        AlarmKind::NoGnss, sinceEpoch > threshold_[index(AlarmKind::NoGnss)] * 1000,
        [&]() -> QString { return seconds(sinceEpoch); }, nowMs, out);
    const qint64 sinceSounding = nowMs - lastSoundingMs_.value_or(startMs_);
    observe(
        AlarmKind::NoSounding, sinceSounding > threshold_[index(AlarmKind::NoSounding)] * 1000,
        [&]() -> QString { return seconds(sinceSounding); }, nowMs, out);
    settleClears(nowMs, out);
    return out;
}

std::optional<AlarmChange> AlarmMonitor::acknowledge(AlarmKind kind, qint64 nowMs) {
    AlarmStatus& st = status_[static_cast<std::size_t>(index(kind))];
    if (st.state != AlarmState::Raised) return std::nullopt;
    st.state = AlarmState::Acknowledged;
    return change(kind, nowMs);
}

std::vector<AlarmChange> AlarmMonitor::acknowledgeAll(qint64 nowMs) {
    std::vector<AlarmChange> out;
    for (int i = 0; i < kAlarmKinds; ++i) {
        if (auto c = acknowledge(static_cast<AlarmKind>(i), nowMs)) out.push_back(*c);
    }
    return out;
}

bool AlarmMonitor::anyActive() const {
    for (const AlarmStatus& s : status_) {
        if (s.state != AlarmState::Clear) return true;
    }
    return false;
}

bool AlarmMonitor::anyUnacknowledged() const {
    for (const AlarmStatus& s : status_) {
        if (s.state == AlarmState::Raised) return true;
    }
    return false;
}

}  // namespace nivora
