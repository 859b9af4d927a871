#pragma once

// Date and time texts of the logs and file names: date "YYYY-MM-DD", time
// "hhnnsszzz" (hours, minutes, seconds, milliseconds, no separators).

#include <QDateTime>
#include <QString>

namespace nivora {

inline constexpr const char* kDateFormat = "YYYY-MM-DD";
inline constexpr const char* kTimeFormat = "hhnnsszzz";

// "2024-05-01"
QString dateText(const QDate& date);
// "093007250" for 09:30:07.250
QString timeText(const QTime& time);
// Date, a blank and the time; the time is left out at exactly midnight.
QString dateTimeText(const QDateTime& dt);

// Pattern formatting for the raw-log prefix. Date tokens: YYYY, YY, MM, M,
// DD, D; time tokens: HH, H, NN, N, SS, S, ZZZ, Z (any case). Every other
// character is copied as it stands.
QString formatDate(QStringView pattern, const QDate& date);
QString formatTime(QStringView pattern, const QTime& time);

}  // namespace nivora
