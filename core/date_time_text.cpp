#include "core/date_time_text.h"

namespace nivora {
namespace {

void appendPadded(QString& out, int value, int width) {
    out += QString::number(value).rightJustified(width, QLatin1Char('0'));
}

// Length of the run of `c` (case-insensitive) starting at i.
qsizetype runLength(QStringView p, qsizetype i, QChar c) {
    qsizetype n = 0;
    while (i + n < p.size() && p[i + n].toUpper() == c)
        ++n;
    return n;
}

}  // namespace

QString dateText(const QDate& date) {
    return formatDate(u"YYYY-MM-DD", date);
}

QString timeText(const QTime& time) {
    return formatTime(u"hhnnsszzz", time);
}

QString dateTimeText(const QDateTime& dt) {
    const QTime t = dt.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0 && t.msec() == 0)
        return dateText(dt.date());
    return dateText(dt.date()) + QLatin1Char(' ') + timeText(t);
}

QString formatDate(QStringView pattern, const QDate& date) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toUpper();
        if (c == QLatin1Char('Y')) {
            const qsizetype n = runLength(pattern, i, c);
            if (n >= 3) {
                appendPadded(out, date.year(), 4);
            } else {
                appendPadded(out, date.year() % 100, 2);
            }
            i += n;
        } else if (c == QLatin1Char('M') || c == QLatin1Char('D')) {
            const qsizetype n = std::min<qsizetype>(runLength(pattern, i, c), 2);
            appendPadded(out, c == QLatin1Char('M') ? date.month() : date.day(),
                         static_cast<int>(n));
            i += n;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

QString formatTime(QStringView pattern, const QTime& time) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toUpper();
        if (c == QLatin1Char('H') || c == QLatin1Char('N') || c == QLatin1Char('S')) {
            const qsizetype n = std::min<qsizetype>(runLength(pattern, i, c), 2);
            const int v = c == QLatin1Char('H')   ? time.hour()
                          : c == QLatin1Char('N') ? time.minute()
                                                  : time.second();
            appendPadded(out, v, static_cast<int>(n));
            i += n;
        } else if (c == QLatin1Char('Z')) {
            const qsizetype n = std::min<qsizetype>(runLength(pattern, i, c), 3);
            appendPadded(out, time.msec(), n >= 3 ? 3 : 1);
            i += n;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

}  // namespace nivora
