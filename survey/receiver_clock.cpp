#include "survey/receiver_clock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>
#include <charconv>
#include <cmath>

namespace nivora {
namespace {

std::optional<int> digits(std::string_view text, std::size_t from, std::size_t n) {
    if (text.size() < from + n) return std::nullopt;
    int v = 0;
    const auto* begin = text.data() + from;
    const auto r = std::from_chars(begin, begin + n, v);
    if (r.ec != std::errc() || r.ptr != begin + n) return std::nullopt;
    return v;
}

// hhmmss[.sss] to ms of the day.
std::optional<QTime> timeOf(std::string_view t) {
    const auto h = digits(t, 0, 2), m = digits(t, 2, 2), s = digits(t, 4, 2);
    if (!h || !m || !s) return std::nullopt;
    int ms = 0;
    if (t.size() > 7 && t[6] == '.') {
        double fraction = 0;
        const auto r = std::from_chars(t.data() + 6, t.data() + t.size(), fraction);
        if (r.ec != std::errc()) return std::nullopt;
        ms = static_cast<int>(std::lround(fraction * 1000));
    }
    QTime time(*h, *m, *s);
    if (!time.isValid()) return std::nullopt;
    return time.addMSecs(ms);
}

}  // namespace

std::optional<qint64> receiverUtcMs(const NmeaSentence& s) {
    std::optional<QTime> time = timeOf(s[1]);
    if (!time) return std::nullopt;
    QDate date;
    if (s.type == SentenceType::RMC) {
        const std::string_view d = s[9];
        const auto day = digits(d, 0, 2), month = digits(d, 2, 2), year = digits(d, 4, 2);
        if (d.size() != 6 || !day || !month || !year) return std::nullopt;
        // Two-digit years: the receivers of this century.
        date = QDate(2000 + *year, *month, *day);
    } else if (s.type == SentenceType::ZDA) {
        const auto day = digits(s[2], 0, 2), month = digits(s[3], 0, 2), year = digits(s[4], 0, 4);
        if (!day || !month || !year) return std::nullopt;
        date = QDate(*year, *month, *day);
    } else {
        return std::nullopt;
    }
    if (!date.isValid()) return std::nullopt;
    return QDateTime(date, *time, QTimeZone::utc()).toMSecsSinceEpoch();
}

void ReceiverClock::add(qint64 arrivedMs, qint64 utcMs) {
    offsets_.push_back({arrivedMs, arrivedMs - utcMs});
    while (!offsets_.empty() && offsets_.front().arrivedMs < arrivedMs - kWindowMs)
        offsets_.pop_front();
}

std::optional<ReceiverClock::Offset> ReceiverClock::offset() const {
    if (offsets_.empty()) return std::nullopt;
    double sum = 0;
    for (const Sample& s : offsets_)
        sum += static_cast<double>(s.offsetMs);
    const double n = static_cast<double>(offsets_.size());
    const double mean = sum / n;
    double squares = 0;
    for (const Sample& s : offsets_)
        squares +=
            (static_cast<double>(s.offsetMs) - mean) * (static_cast<double>(s.offsetMs) - mean);
    return Offset{mean, std::sqrt(squares / n), static_cast<int>(offsets_.size())};
}

QString ReceiverClock::text() const {
    const auto o = offset();
    if (!o) return QStringLiteral("no RMC or ZDA yet");
    return QStringLiteral("%1 ms (spread %2 ms, %3 times)")
        .arg(std::llround(o->meanMs))
        .arg(std::llround(o->spreadMs))
        .arg(o->count);
}

}  // namespace nivora
