#include <gtest/gtest.h>

#include <vector>

#include "core/clock.h"
#include "core/error_report.h"

namespace nivora {
namespace {

const QDateTime kStart(QDate(2026, 12, 8), QTime(10, 0));

TEST(VirtualTime, TimersFireInTimeOrder) {
    VirtualTime vt(kStart);
    auto fast = vt.createTimer();
    auto slow = vt.createTimer();
    std::vector<std::pair<char, qint64>> fired;
    fast->setInterval(50);
    fast->setCallback([&] { fired.push_back({'f', vt.elapsedMs()}); });
    slow->setInterval(120);
    slow->setCallback([&] { fired.push_back({'s', vt.elapsedMs()}); });
    fast->start();
    slow->start();
    vt.advance(250);
    const std::vector<std::pair<char, qint64>> expected = {
        {'f', 50}, {'f', 100}, {'s', 120}, {'f', 150}, {'f', 200}, {'s', 240}, {'f', 250}};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(vt.now(), kStart.addMSecs(250));
}

TEST(VirtualTime, RestartBeginsAFullIntervalAndStopEndsIt) {
    VirtualTime vt(kStart);
    auto idle = vt.createTimer();
    int count = 0;
    idle->setInterval(5000);
    idle->setCallback([&] { ++count; });
    idle->start();
    vt.advance(4000);
    idle->stop();
    idle->start();  // restarting at 4000 moves the next firing to 9000
    vt.advance(4999);
    EXPECT_EQ(count, 0);
    vt.advance(1);
    EXPECT_EQ(count, 1);
    idle->stop();
    vt.advance(60000);
    EXPECT_EQ(count, 1);
}

TEST(VirtualTime, CallbacksMayStopTheirOwnTimer) {
    VirtualTime vt(kStart);
    auto t = vt.createTimer();
    int count = 0;
    t->setInterval(10);
    t->setCallback([&] {
        if (++count == 3) t->stop();
    });
    t->start();
    vt.advance(1000);
    EXPECT_EQ(count, 3);
}

TEST(ErrorReporter, SameTextAtMostOncePerFiveSeconds) {
    VirtualTime vt(kStart);
    QStringList shown;
    ErrorReporter reporter(vt, [&](const QString& t) { shown << t; });
    EXPECT_TRUE(reporter.report(QStringLiteral("Offset A: 'x' is not a valid number")));
    vt.advance(100);
    EXPECT_FALSE(reporter.report(QStringLiteral("Offset A: 'x' is not a valid number")));
    EXPECT_TRUE(reporter.report(QStringLiteral("another text")));
    vt.advance(4900);
    EXPECT_TRUE(reporter.report(QStringLiteral("Offset A: 'x' is not a valid number")));
    EXPECT_EQ(shown.size(), 3);
}

}  // namespace
}  // namespace nivora
