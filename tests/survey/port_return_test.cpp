// A GNSS receiver on a real serial device that goes away mid-line and comes
// back under the same name, as a USB adapter that resets does: the survey
// goes on logging soundings without a position, and takes the receiver
// back by itself.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "tests/support/pty_pair.h"
#include "tests/survey/session_test_support.h"

#if defined(Q_OS_LINUX)
namespace nivora::test {
namespace {

constexpr double kLatA = 41.005, kLonA = 29.01;
constexpr double kLatB = 41.007, kLonB = 29.013;

class PortReturnTest : public ::testing::Test {
  protected:
    PortReturnTest()
        : linkPath(linkDir.filePath(QStringLiteral("gnss"))),
          f(editedIni({{"Port No", nullptr}}, {})
                .replace("[GPS1 COMUNICATION SETTINGS]\n",
                         QByteArray("[GPS1 COMUNICATION SETTINGS]\nPort No=" + linkPath.toUtf8() +
                                    "\n"))) {
        f.survey->setTransportFactories(&makeSerialPortTransport,
                                        MemoryTransport::factory(f.sounderPort));
        f.survey->gnss().setReopenInterval(500);
    }

    // The device node the settings name points at this pseudo-terminal.
    bool plugIn(PtyPair& pty) {
        QFile::remove(linkPath);
        pty.closeSlave();
        return pty.ok() && QFile::link(pty.slaveName, linkPath);
    }
    // Virtual time runs while Qt reads the device, until `done` or 10 s of wall time.
    bool runUntil(const std::function<bool()>& done) {
        QElapsedTimer wall;
        wall.start();
        while (!done() && wall.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            f.vt.advance(10);
        }
        return done();
    }
    int messagesWith(const char* text) const {
        int n = 0;
        for (const QString& m : f.view.messages)
            n += m == QLatin1String(text) + linkPath;
        return n;
    }
    // Sends a fix, then a sounding once the fix has been read.
    bool fixAndSounding(PtyPair& pty, double lat, double lon) {
        const quint64 before = f.survey->gnss().linesRead();
        if (!pty.send(QByteArray::fromStdString(gga(lat, lon, 4) + "\r\n"))) return false;
        if (!runUntil([&] { return f.survey->gnss().linesRead() > before; })) return false;
        return sounding();
    }
    bool sounding() {
        const qsizetype rows = logLines();
        f.sounder(withNmeaChecksum("$SDDBT,32.8,f,10.00,M,5.4,F"));
        return runUntil([&] { return logLines() > rows; });
    }
    qsizetype logLines() {
        f.survey->flushLogs();
        QFile log(f.folders.coordinateLogPath());
        return log.open(QIODevice::ReadOnly) ? log.readAll().count('\n') : 0;
    }

    QTemporaryDir linkDir;
    QString linkPath;
    SessionFixture f;
};

TEST_F(PortReturnTest, TheSurveyGoesOnWithoutTheReceiverAndTakesItBack) {
    PtyPair first;
    ASSERT_TRUE(plugIn(first));
    RealtimeSurvey& s = *f.survey;
    s.RealtimeClick();
    ASSERT_TRUE(s.gnss().isOpen()) << f.errors().join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fixAndSounding(first, kLatA, kLonA));

    // Unplugged in the middle of a sentence.
    ASSERT_TRUE(first.send("$GPGGA,120000.00,4100.30"));
    first.closeMaster();
    ASSERT_TRUE(runUntil([&] { return messagesWith("Disconnected from GPS on ") == 1; }))
        << f.view.messages.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(sounding());

    // A few seconds later the adapter is back under the same name.
    f.vt.advance(3000);
    PtyPair second;
    ASSERT_TRUE(plugIn(second));
    ASSERT_TRUE(runUntil([&] { return messagesWith("Connected to GPS on ") == 2; }));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fixAndSounding(second, kLatB, kLonB));
    EXPECT_EQ(messagesWith("Disconnected from GPS on "), 1) << "said once";
    EXPECT_EQ(s.gnss().reconnections(), 1u);
    s.RealtimeClick();

    // Every sounding is logged: with the old position before the loss, with
    // none while the receiver is gone, with the new one after.
    const QList<QByteArray> rows = f.coordinateLog().trimmed().split('\n').mid(1);
    ASSERT_EQ(rows.size(), 9);
    const auto position = [](const QByteArray& row) {
        const QList<QByteArray> c = row.split(',');
        return std::make_pair(c.value(1).toDouble(), c.value(2).toDouble());
    };
    for (int i = 0; i < 9; ++i) {
        const auto [lat, lon] = position(rows[i]);
        const double wantLat = i < 3 ? kLatA : i < 6 ? 0 : kLatB;
        const double wantLon = i < 3 ? kLonA : i < 6 ? 0 : kLonB;
        EXPECT_NEAR(lat, wantLat, 1e-6) << rows[i].toStdString();
        EXPECT_NEAR(lon, wantLon, 1e-6) << rows[i].toStdString();
    }

    const QByteArray events = f.eventsLog();
    const qsizetype lost =
        events.indexOf(QByteArray("\tDisconnected from GPS on " + linkPath.toUtf8()));
    ASSERT_GE(lost, 0);
    EXPECT_GT(events.indexOf(QByteArray("\tConnected to GPS on " + linkPath.toUtf8()), lost), lost)
        << "both moments are in the events log";

    // The raw log holds whole lines only: the cut sentence is not in it.
    const QByteArray raw = readFile(f.folders.rawLogPath(RawLogKind::Gnss, QDate(2026, 12, 8)));
    EXPECT_EQ(raw.count("$GPGGA"), 6) << raw.toStdString();
    EXPECT_FALSE(raw.contains("4100.30\n"));
}

}  // namespace
}  // namespace nivora::test
#endif
