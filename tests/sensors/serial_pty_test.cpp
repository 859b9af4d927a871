// The reader on a real serial device: a pseudo-terminal pair, the reader
// opening the slave through QSerialPort, the test playing the receiver on
// the master side.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include "sensors/serial_gps.h"
#include "tests/support/pty_pair.h"

#if defined(Q_OS_LINUX)

namespace nivora {
namespace {

using test::PtyPair;

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(10);
    return done();
}

TEST(SerialDevice, LinesIdleAndWritesOverARealPort) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    TNivoraSerialGPS reader;
    reader.DevicePath = pty.slaveName;
    reader.BaudRate = 4800;
    reader.PollInterval = 20;
    QStringList errors;
    QObject::connect(&reader, &TNivoraSerialGPS::OnError,
                     [&](TNivoraSerialGPS*, const QString& e) { errors << e; });
    QList<QByteArray> lines;
    QObject::connect(&reader, &TNivoraSerialGPS::OnNewCommand,
                     [&](TNivoraSerialGPS*, const QByteArray& l) { lines << l; });
    QSignalSpy connected(&reader, &TNivoraSerialGPS::OnConnect);
    QSignalSpy idle(&reader, &TNivoraSerialGPS::OnIdle);
    QSignalSpy timeout(&reader, &TNivoraSerialGPS::OnTimeout);
    QSignalSpy sent(&reader, &TNivoraSerialGPS::OnSend);

    reader.Open();
    ASSERT_TRUE(reader.isOpen()) << errors.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(connected.size(), 1);

    ASSERT_TRUE(
        pty.send("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n$GPHD"));
    ASSERT_TRUE(waitFor([&] { return lines.size() >= 1; }, 3000));
    ASSERT_TRUE(pty.send("T,274.07,T*03\r\n"));
    ASSERT_TRUE(waitFor([&] { return lines.size() >= 2; }, 3000));
    EXPECT_EQ(lines[1], QByteArray("$GPHDT,274.07,T*03"));
    EXPECT_NEAR(reader.Latitude(), 48.1173, 1e-12);

    reader.Write("$JASC,GPGGA,5\r\n");
    EXPECT_EQ(sent.size(), 1);
    QByteArray got;
    ASSERT_TRUE(waitFor([&] { return (got += pty.receive()).contains("\r\n"); }, 3000));
    EXPECT_EQ(got, QByteArray("$JASC,GPGGA,5\r\n"));

    // Silence: idle and time-out 10 s after the last byte at the latest.
    ASSERT_TRUE(waitFor([&] { return idle.size() >= 1; }, 12000));
    EXPECT_EQ(timeout.size(), idle.size());

    reader.Close();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST(SerialDevice, AMissingDeviceIsReported) {
    TNivoraSerialGPS reader;
    reader.DevicePath = QStringLiteral("/dev/nivora-no-such-port");
    QStringList errors;
    QObject::connect(&reader, &TNivoraSerialGPS::OnError,
                     [&](TNivoraSerialGPS*, const QString& e) { errors << e; });
    reader.Open();
    EXPECT_FALSE(reader.isOpen());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(
        errors[0].startsWith(QStringLiteral("Cannot open port /dev/nivora-no-such-port: ")));
}

}  // namespace
}  // namespace nivora
#endif
