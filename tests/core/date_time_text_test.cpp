#include <gtest/gtest.h>

#include "core/date_time_text.h"

namespace nivora {
namespace {

TEST(DateTimeText, LogFormats) {
    const QDateTime dt(QDate(2024, 5, 1), QTime(9, 3, 7, 25));
    EXPECT_EQ(dateText(dt.date()), QStringLiteral("2024-05-01"));
    EXPECT_EQ(timeText(dt.time()), QStringLiteral("090307025"));
    EXPECT_EQ(dateTimeText(dt), QStringLiteral("2024-05-01 090307025"));
}

TEST(DateTimeText, TimeIsLeftOutOnlyAtExactlyMidnight) {
    EXPECT_EQ(dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0, 0))),
              QStringLiteral("2026-12-08"));
    EXPECT_EQ(dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 0, 1))),
              QStringLiteral("2026-12-08 000000001"));
    EXPECT_EQ(dateTimeText(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 999))),
              QStringLiteral("2026-12-08 235959999"));
}

TEST(DateTimeText, PatternsOfTheRawLogPrefix) {
    const QDate d(2026, 3, 4);
    const QTime t(7, 8, 9, 12);
    EXPECT_EQ(formatDate(u"YYYY-MM-DD", d), QStringLiteral("2026-03-04"));
    EXPECT_EQ(formatDate(u"dd.mm.yy", d), QStringLiteral("04.03.26"));
    EXPECT_EQ(formatDate(u"D/M/YYYY", d), QStringLiteral("4/3/2026"));
    EXPECT_EQ(formatTime(u"hhnnsszzz", t), QStringLiteral("070809012"));
    EXPECT_EQ(formatTime(u"hh:nn:ss.zzz", t), QStringLiteral("07:08:09.012"));
    EXPECT_EQ(formatTime(u"h-n-s", t), QStringLiteral("7-8-9"));
}

}  // namespace
}  // namespace nivora
