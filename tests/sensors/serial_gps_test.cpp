// The serial reader on an in-memory port, in virtual time.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>

#include "core/clock.h"
#include "core/date_time_text.h"
#include "sensors/serial_gps.h"
#include "survey/gnss_tracker.h"
#include "tests/support/test_support.h"
#include "tests/survey/fake_disk.h"

namespace nivora {
namespace {

const QDateTime kStart(QDate(2026, 12, 8), QTime(9, 30, 7, 250));

class ReaderTest : public ::testing::Test {
  protected:
    ReaderTest() : vt(kStart), reader(vt, vt) {
        reader.setTransportFactory([this](const QString& device) {
            devices << device;
            auto t = std::make_unique<MemoryTransport>();
            t->failOpen = failOpen;
            t->writeLimit = writeLimit;
            port = t.get();
            return t;
        });
        QObject::connect(&reader, &TNivoraSerialGPS::OnNewCommand,
                         [this](TNivoraSerialGPS*, const QByteArray& l) { lines << l; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnError,
                         [this](TNivoraSerialGPS*, const QString& e) { errors << e; });
    }

    // The raw log through a writer on `disk`, for as long as it lives.
    struct DiskLog {
        DiskLog(TNivoraSerialGPS& r, std::shared_ptr<test::FakeDisk> disk, const QString& path)
            : reader(r), writer(std::move(disk)) {
            reader.setLogWriter(&writer);
            reader.LogEnabled = true;
            reader.LogFileName = path;
        }
        ~DiskLog() { reader.setLogWriter(nullptr); }
        TNivoraSerialGPS& reader;
        LogWriter writer;
    };

    void send(const QByteArray& bytes, int pollTicks = 1) {
        port->push(bytes);
        vt.advance(static_cast<qint64>(pollTicks) * 50);
    }

    VirtualTime vt;
    TNivoraSerialGPS reader;
    MemoryTransport* port = nullptr;
    bool failOpen = false;
    qint64 writeLimit = -1;
    QStringList devices;
    QList<QByteArray> lines;
    QStringList errors;
};

TEST_F(ReaderTest, OpenAppliesTheSettingsAndConnects) {
    QSignalSpy connected(&reader, &TNivoraSerialGPS::OnConnect);
    reader.Port = 7;
    reader.BaudRate = 4800;
    reader.DataBits = 3;
    reader.StopBits = 2;
    reader.EnableDTR = true;
    reader.Open();
    ASSERT_TRUE(reader.isOpen());
    ASSERT_EQ(connected.size(), 1);
    EXPECT_EQ(connected[0][1].toUInt(), 7u);
    EXPECT_EQ(port->settings().baudRate, 4800u);
    EXPECT_EQ(port->settings().dataBits, 7);
    EXPECT_EQ(port->settings().stopBits, SerialSettings::Stop::OneAndHalf);
    EXPECT_TRUE(port->settings().dtr);
    EXPECT_FALSE(port->settings().rts);
#ifndef Q_OS_WIN
    EXPECT_EQ(devices, QStringList{QStringLiteral("/dev/ttyS6")});
#endif
    reader.Open();
    EXPECT_EQ(connected.size(), 1) << "opening an open reader does nothing";
}

TEST_F(ReaderTest, DevicePathIsUsedAsTyped) {
    reader.DevicePath = QStringLiteral("/dev/ttyUSB3");
    reader.Open();
    EXPECT_EQ(devices, QStringList{QStringLiteral("/dev/ttyUSB3")});
    EXPECT_EQ(reader.portDisplayName(), QStringLiteral("/dev/ttyUSB3"));
}

TEST_F(ReaderTest, AFailedOpenSaysWhyOnceAndKeepsTrying) {
    QSignalSpy connected(&reader, &TNivoraSerialGPS::OnConnect);
    failOpen = true;
    reader.Port = 3;
    reader.Open();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(connected.size(), 0);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot open port COM3: ")))
        << errors[0].toStdString();
    vt.advance(3 * TNivoraSerialGPS::kReopenIntervalMs);
    EXPECT_EQ(devices.size(), 4) << "tried again at each interval";
    EXPECT_EQ(errors.size(), 1) << "quietly";
    failOpen = false;  // the receiver is switched on
    vt.advance(TNivoraSerialGPS::kReopenIntervalMs);
    EXPECT_TRUE(reader.isOpen());
    EXPECT_EQ(connected.size(), 1);
    EXPECT_EQ(reader.reconnections(), 1u);
    vt.advance(5 * TNivoraSerialGPS::kReopenIntervalMs);
    EXPECT_EQ(devices.size(), 5) << "an open port is not opened again";
}

TEST_F(ReaderTest, APortThatGoesAwayIsSaidOnceForgottenAndOpenedAgain) {
    QSignalSpy connected(&reader, &TNivoraSerialGPS::OnConnect);
    QSignalSpy disconnected(&reader, &TNivoraSerialGPS::OnDisconnect);
    QSignalSpy lost(&reader, &TNivoraSerialGPS::OnPortLost);
    reader.Open();
    send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n$GPGGA,1235");
    ASSERT_NE(reader.Latitude(), 0);
    port->failRead = true;  // the adapter is pulled out mid-line
    failOpen = true;
    vt.advance(50);
    ASSERT_EQ(lost.size(), 1);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_TRUE(reader.isReopening());
    EXPECT_EQ(reader.Latitude(), 0) << "the last position must not outlive the port";
    EXPECT_EQ(reader.FixQuality(), 0);
    EXPECT_EQ(disconnected.size(), 0) << "real time has not stopped";
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Port COM1 stopped working: ")));
    vt.advance(10000);
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(lost.size(), 1);

    failOpen = false;  // plugged in again
    vt.advance(TNivoraSerialGPS::kReopenIntervalMs);
    ASSERT_TRUE(reader.isOpen());
    EXPECT_EQ(connected.size(), 2);
    send("$GPHDT,274.07,T*03\r\n");
    EXPECT_EQ(lines.last(), QByteArray("$GPHDT,274.07,T*03"))
        << "the text cut off by the loss is not glued to the first new line";

    // Lost again, then real time stops: no more tries, no disconnect to tell.
    port->failRead = true;
    failOpen = true;
    vt.advance(50);
    const qsizetype tries = devices.size();
    reader.Close();
    EXPECT_FALSE(reader.isReopening());
    vt.advance(10000);
    EXPECT_EQ(devices.size(), tries);
    EXPECT_EQ(disconnected.size(), 0);
    EXPECT_EQ(reader.reconnections(), 1u);
}

TEST_F(ReaderTest, LinesArriveTrimmedInOrderAndThenAreDecoded) {
    reader.Open();
    QList<double> latitudeWhenLineSeen;
    QObject::connect(
        &reader, &TNivoraSerialGPS::OnNewCommand,
        [&](TNivoraSerialGPS* r, const QByteArray&) { latitudeWhenLineSeen << r->Latitude(); });
    QSignalSpy moved(&reader, &TNivoraSerialGPS::OnPosition3DChange);
    send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n$GPVTG");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0],
              QByteArray("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"));
    EXPECT_EQ(latitudeWhenLineSeen[0], 0.0) << "the owner sees a line before the reader decodes it";
    ASSERT_EQ(moved.size(), 1);
    EXPECT_NEAR(moved[0][1].toDouble(), 48.1173, 1e-12);
    EXPECT_EQ(reader.pendingText(), QByteArray("$GPVTG"));
    send(",054.7,T,034.4,M,005.5,N,010.2,K*48\n");
    ASSERT_EQ(lines.size(), 2);
    EXPECT_DOUBLE_EQ(reader.Speed(), 10.2);
}

// A minute of GGA at the fastest rate the settings accept, 230400 baud (23040
// bytes a second), with the default poll and with a one-second Delay. The
// reader used to take 1023 bytes a poll, 20.5 kB/s, and fell behind unheard.
TEST_F(ReaderTest, KeepsUpWithTheFastestPortForAMinute) {
    const QByteArray sentence =
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
    for (const quint32 pollMs : {50u, 1000u}) {
        SCOPED_TRACE(pollMs);
        lines.clear();
        reader.Close();
        reader.PollInterval = pollMs;
        reader.Open();
        QByteArray stream;
        while (stream.size() < 23040 * 60)
            stream += sentence;
        const qsizetype perMs = 23;  // 23040 bytes a second, pushed every 10 ms
        qsizetype sent = 0;
        for (int ms = 0; sent < stream.size(); ms += 10) {
            port->push(stream.mid(sent, perMs * 10));
            sent += perMs * 10;
            vt.advance(10);
            EXPECT_LE(port->bytesAvailable(), 23040 * static_cast<qint64>(pollMs) / 1000 + 230)
                << "at " << ms << " ms";
        }
        vt.advance(pollMs);
        EXPECT_EQ(lines.size(), stream.size() / sentence.size());
        EXPECT_EQ(reader.pollsBehind(), 0u);
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReaderTest, AFloodIsSaidOnceAndReadToItsEnd) {
    reader.Open();
    QByteArray many;
    for (int i = 0; i < 40000; ++i)
        many += "$GPHDT,123.4,T\r\n";  // 640 kB at once
    send(many);
    EXPECT_LT(lines.size(), 40000) << "one poll reads a bounded amount";
    EXPECT_EQ(reader.pollsBehind(), 1u);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Port COM1 falls behind: ")))
        << errors[0].toStdString();
    vt.advance(200);
    EXPECT_EQ(lines.size(), 40000);
    EXPECT_EQ(errors.size(), 1) << "said once until it has caught up";
}

// A line that never ends used to hold the positions after it back for as
// long as the slow reads took to get through it (512 s for 10 MB).
TEST_F(ReaderTest, AnEndlessLineIsCutAndThePositionsAfterItAreUsedAtOnce) {
    reader.Open();
    send(QByteArray(10 * 1024 * 1024, 'A'));
    send("\r\n$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n", 50);
    EXPECT_NEAR(reader.Latitude(), 48.1173, 1e-12) << "within 2.5 s of its arrival";
    EXPECT_EQ(reader.overlongLinesCut(), 1u);
    EXPECT_TRUE(errors.contains(
        QStringLiteral("Port COM1: a line longer than 4096 bytes without a line end was cut")))
        << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReaderTest, PollIntervalBelowOneMeansFifty) {
    reader.PollInterval = 0;
    reader.Open();
    port->push("$A\n");
    vt.advance(49);
    EXPECT_TRUE(lines.isEmpty());
    vt.advance(1);
    EXPECT_EQ(lines.size(), 1);

    reader.Close();
    reader.PollInterval = 200;
    reader.Open();
    port->push("$B\n");
    vt.advance(199);
    EXPECT_EQ(lines.size(), 1);
    vt.advance(1);
    EXPECT_EQ(lines.size(), 2);
}

TEST_F(ReaderTest, BadChecksumIsDroppedAndCounted) {
    reader.Open();
    QSignalSpy moved(&reader, &TNivoraSerialGPS::OnPosition3DChange);
    send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n");  // corrupted
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(moved.size(), 0);
    EXPECT_EQ(reader.badChecksumCount(), 1u);
    send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\r\n");  // no checksum:
                                                                                 // accepted
    EXPECT_EQ(lines.size(), 1);
    EXPECT_EQ(moved.size(), 1);
}

TEST_F(ReaderTest, IdleAndTimeoutTiming) {
    QList<qint64> idle, timeout;
    QObject::connect(&reader, &TNivoraSerialGPS::OnIdle,
                     [&](TNivoraSerialGPS*) { idle << vt.elapsedMs(); });
    QObject::connect(&reader, &TNivoraSerialGPS::OnTimeout,
                     [&](TNivoraSerialGPS*) { timeout << vt.elapsedMs(); });
    reader.Open();
    vt.advance(5000);
    EXPECT_EQ(idle, QList<qint64>{5000}) << "5 s after opening when nothing ever arrived";
    EXPECT_EQ(timeout, QList<qint64>{5000});
    vt.advance(5000);
    EXPECT_EQ(idle, (QList<qint64>{5000, 10000})) << "then every 5 s";
    // A byte at 12000 restarts the count: silence is reported 10 s after it.
    vt.advanceTo(11950);
    port->push("x");
    vt.advanceTo(12000);
    idle.clear();
    vt.advanceTo(21999);
    EXPECT_TRUE(idle.isEmpty());
    vt.advanceTo(22000);
    EXPECT_EQ(idle, QList<qint64>{22000});
}

TEST_F(ReaderTest, CloseZeroesTheValuesAndRaisesDisconnectOnce) {
    QSignalSpy disconnected(&reader, &TNivoraSerialGPS::OnDisconnect);
    reader.Close();
    EXPECT_EQ(disconnected.size(), 0) << "closing a reader that never opened raises nothing";
    reader.Open();
    send(
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\n$GPRMC,1,A,4807.038,N,"
        "01131.000,E,5,90\n");
    EXPECT_NE(reader.Latitude(), 0);
    reader.Close();
    EXPECT_EQ(disconnected.size(), 1);
    EXPECT_EQ(reader.Latitude(), 0);
    EXPECT_EQ(reader.Speed(), 0);
    EXPECT_EQ(reader.Course(), 0);
    EXPECT_EQ(reader.FixQuality(), 0);
    EXPECT_EQ(reader.Satellites(), 0);
    vt.advance(60000);
    EXPECT_EQ(disconnected.size(), 1) << "timers stop with the port";
}

TEST_F(ReaderTest, AHandlerThatClosesThePortStopsTheLines) {
    reader.Open();
    QObject::connect(&reader, &TNivoraSerialGPS::OnNewCommand,
                     [&](TNivoraSerialGPS* r, const QByteArray&) { r->Close(); });
    send("$A\n$B\n$C\n");
    EXPECT_EQ(lines.size(), 1);
    EXPECT_FALSE(reader.isOpen());
}

TEST_F(ReaderTest, WriteRaisesOnSendOnlyWhenTheBytesWentOut) {
    QSignalSpy sent(&reader, &TNivoraSerialGPS::OnSend);
    reader.Write("$JASC,GPGGA,5\r\n");
    EXPECT_EQ(sent.size(), 0) << "a closed reader ignores writes";
    EXPECT_TRUE(errors.isEmpty());
    reader.Open();
    reader.Write("$JASC,GPGGA,5\r\n");
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0][1].toByteArray(), QByteArray("$JASC,GPGGA,5\r\n"));
    EXPECT_EQ(port->written(), QByteArray("$JASC,GPGGA,5\r\n"));
    port->writeLimit = 3;
    reader.Write("%%dm\n");
    EXPECT_EQ(sent.size(), 1) << "a short write is not a sent command";
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Command not sent to device on COM1")))
        << errors[0].toStdString();
}

TEST_F(ReaderTest, RawLogWithAndWithoutTimeStamp) {
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("LOG/2026-12-08 NDW_GNSS_V3.log"));
    reader.LogEnabled = true;
    reader.LogFileName = plain;
    reader.Open();
    send("\r\n  $GPHDT,1,T \r\n\r\n$GPHDT,2,T*3D\n");
    reader.Close();
    reader.flushLog();  // the writer thread writes the raw log
    EXPECT_EQ(test::readFile(plain), QByteArray("$GPHDT,1,T\n$GPHDT,2,T*3D\n"))
        << "only trimmed, non-empty lines";

    const QString stamped = dir.filePath(QStringLiteral("stamped.log"));
    reader.LogFileName = stamped;
    reader.LogTimeStamp = true;
    reader.Open();
    send("$GPHDT,3,T\n");
    reader.flushLog();
    EXPECT_EQ(test::readFile(stamped), QByteArray("2026-12-08 093007350 $GPHDT,3,T\n"))
        << "written per line, while the port is open";
    reader.Close();
    reader.Open();
    send("$GPHDT,4,T\n");
    reader.flushLog();
    EXPECT_TRUE(test::readFile(stamped).endsWith("$GPHDT,3,T\n2026-12-08 093007400 $GPHDT,4,T\n"))
        << "appends";
}

// Each line carries the arrival of its first byte, not the poll that read
// it: a line cut across two arrivals keeps the first, lines that came
// together share one, and unstamped bytes take the poll's time. The raw log
// keeps those stamps.
TEST_F(ReaderTest, ALineIsStampedWhenItsFirstByteArrived) {
    QTemporaryDir dir;
    const QString stamped = dir.filePath(QStringLiteral("stamped.log"));
    reader.LogEnabled = true;
    reader.LogTimeStamp = true;
    reader.LogFileName = stamped;
    std::vector<std::pair<QByteArray, qint64>> seen;
    reader.setLineSink([&](const NmeaSentence& s, const GnssReading&) {
        seen.emplace_back(QByteArray(s.line.data(), static_cast<qsizetype>(s.line.size())),
                          reader.lineArrivedMs());
    });
    reader.Open();
    const qint64 t0 = vt.msecsSinceEpoch();
    port->push("$GPHDT,1,T\n$GPHD", t0 + 3);
    port->push("T,2,T\n$GPHDT,3,T\n", t0 + 41);
    vt.advance(50);
    port->push("$GPHDT,4,T\n");
    vt.advance(50);
    reader.flushLog();
    const std::vector<std::pair<QByteArray, qint64>> expected = {{"$GPHDT,1,T", t0 + 3},
                                                                 {"$GPHDT,2,T", t0 + 3},
                                                                 {"$GPHDT,3,T", t0 + 41},
                                                                 {"$GPHDT,4,T", t0 + 100}};
    EXPECT_EQ(seen, expected);
    const QList<QByteArray> log = test::readFile(stamped).trimmed().split('\n');
    ASSERT_EQ(log.size(), 4);
    const QByteArray second =
        dateTimeText(QDateTime::fromMSecsSinceEpoch(t0 + 3)).toLatin1() + " $GPHDT,2,T";
    EXPECT_EQ(log[1], second);
}

// Lines still waiting for a full disk when the port closed were dropped
// without a word; they are counted and said.
TEST_F(ReaderTest, RawLogLinesADiskRefusesToTheEndAreCountedAndSaid) {
    QTemporaryDir dir;
    auto disk = std::make_shared<test::FakeDisk>();
    const DiskLog log(reader, disk, dir.filePath(QStringLiteral("a.log")));
    reader.Open();
    send("$GPHDT,1,T\n");
    reader.flushLog();
    disk->setRoom(0);
    send("$GPHDT,2,T\n$GPHDT,3,T\n$GPHDT,4,T\n");
    reader.Close();
    reader.flushLog();
    EXPECT_EQ(reader.rawLinesLost(), 3u);
    EXPECT_TRUE(errors.filter(QStringLiteral("3 lines of the raw log")).size() == 1)
        << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(test::readFile(reader.LogFileName), QByteArray("$GPHDT,1,T\n"));
}

// The raw log was written and flushed on the polling thread, line by line.
TEST_F(ReaderTest, ARawLogOnASlowDiskNeverHoldsThePolling) {
    QTemporaryDir dir;
    auto disk = std::make_shared<test::FakeDisk>();
    const DiskLog log(reader, disk, dir.filePath(QStringLiteral("a.log")));
    disk->stall();
    reader.Open();
    send("$GPHDT,1,T\n");
    ASSERT_TRUE(disk->waitForStalledWrite());
    send("$GPHDT,2,T\n$GPHDT,3,T\n");
    EXPECT_EQ(lines.size(), 3) << "lines are handled while the disk stalls";
    reader.Close();
    EXPECT_FALSE(disk->stallExpired()) << "the reader waited for the disk";
    disk->release();
    reader.flushLog();
    EXPECT_EQ(test::readFile(reader.LogFileName),
              QByteArray("$GPHDT,1,T\n$GPHDT,2,T\n$GPHDT,3,T\n"));
}

// After a kill the raw log may end in half a line; the next one starts a new line.
TEST_F(ReaderTest, ARawLogThatEndsInAHalfLineGetsALineEndFirst) {
    QTemporaryDir dir;
    reader.LogEnabled = true;
    reader.LogFileName = dir.filePath(QStringLiteral("a.log"));
    test::writeFile(reader.LogFileName, "$GPHDT,0,T\n$GPH");
    reader.Open();
    send("$GPHDT,1,T\n");
    reader.Close();
    reader.flushLog();
    EXPECT_EQ(test::readFile(reader.LogFileName), QByteArray("$GPHDT,0,T\n$GPH\n$GPHDT,1,T\n"));
}

TEST_F(ReaderTest, ARawLogThatCannotBeOpenedIsReported) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath(QStringLiteral("file")), "x");
    reader.LogEnabled = true;
    reader.LogFileName = dir.filePath(QStringLiteral("file/below/a.log"));
    reader.Open();
    EXPECT_TRUE(reader.isOpen()) << "the port works without its log";
    reader.flushLog();  // the writer thread opens the raw log
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot open the raw log")))
        << errors[0].toStdString();
    send("$A\n");
    EXPECT_EQ(lines.size(), 1);
    reader.flushLog();
    EXPECT_EQ(errors.size(), 1) << "said once, not for every line";
}

TEST_F(ReaderTest, AnOffsetsErrorInTheLineHandlerDoesNotStopPositionDecoding) {
    GnssTracker tracker;
    const OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("fifteen hundred"),
                                   QStringLiteral("1"), QStringLiteral("0")};
    QStringList handlerErrors;
    reader.setLineSink([&](const NmeaSentence&, const GnssReading& r) {
        const auto out = tracker.apply(r, vt.msecsSinceEpoch(), 0, &offsets);
        if (!out.error.isEmpty()) handlerErrors << out.error;
    });
    reader.Open();
    send("$GPGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,\n");
    EXPECT_EQ(handlerErrors,
              QStringList{QStringLiteral("SV: 'fifteen hundred' is not a valid number")});
    EXPECT_NEAR(tracker.current().latitudeDeg, 48.1173, 1e-12)
        << "the position still reaches the survey";
    EXPECT_EQ(tracker.current().antennaHeightM, 0) << "the rest of the window handler was skipped";
}

TEST_F(ReaderTest, GarbageOnTheLineIsHarmless) {
    reader.Open();
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise += static_cast<char>((i * 7919) % 256);
    for (qsizetype i = 0; i < noise.size(); i += 1000)
        send(noise.mid(i, 1000));
    send(QByteArray(10000, 'A'), 10);
    EXPECT_LE(reader.pendingText().size(), 4096);
    send("\n$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,\n");
    EXPECT_NEAR(reader.Latitude(), 48.1173, 1e-12);
}

}  // namespace
}  // namespace nivora
