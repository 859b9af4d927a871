#include "survey/tide_table.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>

#include "core/number_text.h"

namespace nivora {
namespace {

std::optional<qint64> timeOf(const QString& date, const QString& time) {
    QString t = time;
    const bool utc = t.endsWith(QLatin1Char('Z'));
    if (utc) t.chop(1);
    const QDate d = QDate::fromString(date, Qt::ISODate);
    QTime tm = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
    if (!tm.isValid()) tm = QTime::fromString(t, QStringLiteral("HH:mm"));
    if (!d.isValid() || !tm.isValid()) return std::nullopt;
    const QDateTime at = utc ? QDateTime(d, tm, QTimeZone::utc()) : QDateTime(d, tm);
    return at.toMSecsSinceEpoch();
}

}  // namespace

std::optional<TideTable> TideTable::load(const QString& path, QString* error, QString* warning) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Cannot read the tide file %1: %2").arg(path, f.errorString());
        return std::nullopt;
    }
    return fromText(f.readAll(), path, error, warning);
}

std::optional<TideTable> TideTable::fromText(const QByteArray& text, const QString& name,
                                             QString* error, QString* warning) {
    static const QRegularExpression separators(QStringLiteral("[\\s,;T]+"));
    TideTable t;
    int bad = 0, lineNo = 0, firstBad = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++lineNo;
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(separators, Qt::SkipEmptyParts);
        const auto at = f.size() >= 3 ? timeOf(f[0], f[1]) : std::nullopt;
        const auto height = f.size() >= 3 ? toNumber(f[2]) : std::nullopt;
        if (!at || !height) {
            if (bad++ == 0) firstBad = lineNo;
            continue;
        }
        t.samples_.push_back({*at, *height});
    }
    if (t.samples_.empty()) {
        *error = QStringLiteral("The tide file %1 holds no time and height").arg(name);
        return std::nullopt;
    }
    if (bad && warning) {
        *warning = QStringLiteral(
                       "The tide file %1: %2 lines are not a time and a height "
                       "(the first is line %3); they are passed over")
                       .arg(name)
                       .arg(bad)
                       .arg(firstBad);
    }
    std::stable_sort(t.samples_.begin(), t.samples_.end(),
                     [](const Sample& a, const Sample& b) { return a.ms < b.ms; });
    return t;
}

std::optional<double> TideTable::tideAt(qint64 ms, qint64 maxGapMs) const {
    const auto after = std::lower_bound(samples_.begin(), samples_.end(), ms,
                                        [](const Sample& s, qint64 t) { return s.ms < t; });
    if (after != samples_.end() && after->ms == ms) return after->height;
    if (after == samples_.begin() || after == samples_.end()) return std::nullopt;
    const Sample& before = *(after - 1);
    const qint64 span = after->ms - before.ms;
    if (span > maxGapMs) return std::nullopt;
    const double f = static_cast<double>(ms - before.ms) / static_cast<double>(span);
    return before.height + f * (after->height - before.height);
}

}  // namespace nivora
