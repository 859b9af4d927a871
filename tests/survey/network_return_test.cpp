// A GNSS receiver on the network (a TCP server on the loopback, as a
// receiver's Ethernet port is) that goes away in the middle of a sentence
// and comes back on the same port: the survey logs the soundings without a
// position meanwhile, takes the receiver back by itself, and never joins
// the cut sentence to the text that follows the return.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

// Worked by hand: 41°00.300'N 29°00.600'E and 41°00.420'N 29°00.780'E.
constexpr double kLatA = 41.005, kLonA = 29.01;
constexpr double kLatB = 41.007, kLonB = 29.013;
// A sentence cut by the loss, and a rest that would complete it with a
// good checksum (*4B), 41°00.301'N, if the two were glued.
const QByteArray kCutHead = "$GPGGA,120000.00,4100.30";
const QByteArray kCutRest = "1,N,02900.600,E,1,08,0.9,10.0,M,,M,,*4B";

class NetworkReturnTest : public ::testing::Test {
  protected:
    NetworkReturnTest()
        : port(freePort()),
          source(QStringLiteral("tcp://127.0.0.1:%1").arg(port)),
          f(editedIni({{"Port No", nullptr}}, {})
                .replace("[GPS1 COMUNICATION SETTINGS]\n",
                         QByteArray("[GPS1 COMUNICATION SETTINGS]\nPort No=" + source.toUtf8() +
                                    "\n"))) {
        f.survey->setTransportFactories(&makeSerialPortTransport,
                                        MemoryTransport::factory(f.sounderPort));
        f.survey->gnss().setReopenInterval(500);
    }

    static quint16 freePort() {
        QTcpServer probe;
        return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
    }
    // Virtual time runs while Qt serves the sockets, until `done` or 10 s of wall time.
    bool runUntil(const std::function<bool()>& done) {
        QElapsedTimer wall;
        wall.start();
        while (!done() && wall.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            f.vt.advance(10);
        }
        return done();
    }
    // The receiver's port is up and the survey's reader has connected to it.
    bool receiverUp() {
        if (!server.isListening() && !server.listen(QHostAddress::LocalHost, port)) return false;
        return runUntil([&] {
            if (server.hasPendingConnections()) receiver = server.nextPendingConnection();
            return receiver && f.survey->gnss().isOpen();
        });
    }
    bool send(const QByteArray& bytes) {
        if (!receiver) return false;
        receiver->write(bytes);
        return receiver->flush() || receiver->bytesToWrite() == 0;
    }
    int messagesWith(const char* text) const {
        int n = 0;
        for (const QString& m : f.view.messages)
            n += m == QLatin1String(text) + source;
        return n;
    }
    bool fixAndSounding(double lat, double lon) {
        const quint64 before = f.survey->gnss().linesRead();
        if (!send(QByteArray::fromStdString(gga(lat, lon, 4) + "\r\n"))) return false;
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

    quint16 port;
    QString source;
    SessionFixture f;
    QTcpServer server;
    QPointer<QTcpSocket> receiver;
};

TEST_F(NetworkReturnTest, TheReceiverGoesMidSentenceAndComesBackWithoutAGluedLine) {
    ASSERT_NE(port, 0);
    RealtimeSurvey& s = *f.survey;
    s.RealtimeClick();
    ASSERT_TRUE(receiverUp()) << f.errors().join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fixAndSounding(kLatA, kLonA));

    // The receiver goes in the middle of a sentence, its port with it.
    ASSERT_TRUE(send(kCutHead));
    ASSERT_TRUE(runUntil([&] { return s.gnss().pendingText() == kCutHead; }));
    receiver->abort();
    server.close();
    ASSERT_TRUE(runUntil([&] { return messagesWith("Disconnected from GPS on ") == 1; }))
        << f.view.messages.join(QLatin1Char('\n')).toStdString();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(sounding());

    // A few seconds later it is back on the same port; the first thing it
    // sends is the rest of the cut sentence.
    f.vt.advance(3000);
    ASSERT_TRUE(receiverUp());
    ASSERT_TRUE(runUntil([&] { return messagesWith("Connected to GPS on ") == 2; }));
    const quint64 before = s.gnss().linesRead();
    ASSERT_TRUE(send(kCutRest + "\r\n$GPHDT,274.07,T*03\r\n"));
    ASSERT_TRUE(runUntil([&] { return s.gnss().linesRead() > before; }));
    ASSERT_TRUE(sounding());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(fixAndSounding(kLatB, kLonB));
    EXPECT_EQ(messagesWith("Disconnected from GPS on "), 1) << "said once";
    EXPECT_EQ(s.gnss().reconnections(), 1u);
    s.RealtimeClick();

    // Old position before the loss, none while the receiver is gone and
    // after its return until its first fix (a glued line would have given
    // 41.005017 there), the new one after.
    const QList<QByteArray> rows = f.coordinateLog().trimmed().split('\n').mid(1);
    ASSERT_EQ(rows.size(), 10);
    for (int i = 0; i < 10; ++i) {
        const QList<QByteArray> c = rows[i].split(',');
        const double wantLat = i < 3 ? kLatA : i < 7 ? 0 : kLatB;
        const double wantLon = i < 3 ? kLonA : i < 7 ? 0 : kLonB;
        EXPECT_NEAR(c.value(1).toDouble(), wantLat, 1e-6) << i << ": " << rows[i].toStdString();
        EXPECT_NEAR(c.value(2).toDouble(), wantLon, 1e-6) << i << ": " << rows[i].toStdString();
    }
    const QByteArray raw = readFile(f.folders.rawLogPath(RawLogKind::Gnss, QDate(2026, 12, 8)));
    EXPECT_FALSE(raw.contains("4100.301")) << raw.toStdString();
    EXPECT_EQ(raw.count("$GPGGA"), 6) << raw.toStdString();
}

}  // namespace
}  // namespace nivora::test
