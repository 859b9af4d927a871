// The reader on network sources, against real peers on the loopback:
// socat as a TCP server, a TCP client and a UDP sender, gpsd's gpsfake
// serving a real capture, and a small gpsd of the test's own for the
// reports gpsfake cannot be made to send.

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <map>

#include "core/clock.h"
#include "sensors/gpsd_transport.h"
#include "sensors/network_source.h"
#include "sensors/serial_gps.h"
#include "tests/sensors/network_peers.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::findTool;
using test::Peer;
using test::waitFor;

// Worked by hand: 48°07.038'N 11°31.000'E; 41°00.420'N 29°00.780'E.
const QByteArray kFixMunich = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";
const QByteArray kFixBosporus = "$GPGGA,120001.00,4100.420,N,02900.780,E,1,08,0.9,12.5,M,,M,,*40";
const QByteArray kHeading = "$GPHDT,274.07,T*03";
// A sentence cut by a lost connection, and a rest that would complete it
// with a good checksum (*4B) if the two were glued.
const QByteArray kCutHead = "$GPGGA,120000.00,4100.30";
const QByteArray kCutRest = "1,N,02900.600,E,1,08,0.9,10.0,M,,M,,*4B";

#define NEED_TOOL(name) \
    if (findTool(name).isEmpty()) GTEST_SKIP() << name " is not installed"

QString loopback(const char* scheme, quint16 port) {
    return QString::fromLatin1(scheme) + QStringLiteral("://127.0.0.1:") + QString::number(port);
}

// The reader on a source, with what it says recorded.
struct Reading {
    explicit Reading(const QString& source) { init(source); }
    Reading(const QString& source, VirtualTime& vt) : reader(vt, vt) { init(source); }

    void init(const QString& source) {
        reader.DevicePath = source;
        reader.PollInterval = 20;
        reader.setReopenInterval(100);
        QObject::connect(&reader, &TNivoraSerialGPS::OnNewCommand,
                         [this](TNivoraSerialGPS*, const QByteArray& l) { lines << l; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnError,
                         [this](TNivoraSerialGPS*, const QString& e) { errors << e; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnPortLost,
                         [this](TNivoraSerialGPS*, const QString& why) { lost << why; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnConnect,
                         [this](TNivoraSerialGPS*, quint32) { ++connects; });
    }
    std::string said() const { return errors.join(QLatin1Char('\n')).toStdString(); }

    TNivoraSerialGPS reader;
    QList<QByteArray> lines;
    QStringList errors;
    QStringList lost;
    int connects = 0;
};

// socat as a listening server on the loopback, its standard input and
// output being the other end of the connection.
bool startServer(Peer& socat, quint16 port) {
    if (!socat.start(findTool("socat"),
                     {QStringLiteral("-d"), QStringLiteral("-d"),
                      QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port),
                      QStringLiteral("STDIO")}))
        return false;
    QByteArray err;
    return waitFor(
        [&] { return (err += socat.process.readAllStandardError()).contains("listening on"); },
        5000);
}

QByteArray lineEnded(const QByteArray& s) {
    return s + "\r\n";
}

TEST(NetworkSourceText, SchemesHostsAndPorts) {
    QString why;
    auto s = parseNetworkSource(QStringLiteral(" TCP://192.168.1.10:5017 "), &why);
    ASSERT_TRUE(s) << why.toStdString();
    EXPECT_EQ(s->kind, NetworkSource::Kind::TcpClient);
    EXPECT_EQ(s->host, QStringLiteral("192.168.1.10"));
    EXPECT_EQ(s->port, 5017);

    s = parseNetworkSource(QStringLiteral("tcp-listen://:10110"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kind, NetworkSource::Kind::TcpListen);
    EXPECT_TRUE(s->host.isEmpty());
    EXPECT_EQ(s->port, 10110);

    s = parseNetworkSource(QStringLiteral("udp://239.192.0.1:10110"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->kind, NetworkSource::Kind::Udp);
    EXPECT_EQ(s->host, QStringLiteral("239.192.0.1"));

    s = parseNetworkSource(QStringLiteral("gpsd://[::1]"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->host, QStringLiteral("::1"));
    EXPECT_EQ(s->port, 2947) << "gpsd's own port when none is given";
    s = parseNetworkSource(QStringLiteral("gpsd://boat:3000/dev/ttyUSB1"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->port, 3000);
    EXPECT_EQ(s->device, QStringLiteral("/dev/ttyUSB1"));

    for (const char* bad : {"tcp://host", "tcp://:5000", "udp://:0", "udp://:70000",
                            "tcp://::1:5000", "tcp://h:5000/x", "tcp-listen://:port", "udp://"}) {
        EXPECT_TRUE(isNetworkSource(QString::fromLatin1(bad))) << bad;
        EXPECT_FALSE(parseNetworkSource(QString::fromLatin1(bad), &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
    EXPECT_FALSE(isNetworkSource(QStringLiteral("/dev/ttyUSB0")));
    EXPECT_FALSE(isNetworkSource(QStringLiteral("COM3")));
}

TEST(NetworkSourceText, AMalformedSourceIsSaidOnceAndNeverOpensASerialDevice) {
    Reading r(QStringLiteral("tcp://127.0.0.1"));
    r.reader.Open();
    EXPECT_FALSE(r.reader.isOpen());
    ASSERT_EQ(r.errors.size(), 1);
    EXPECT_EQ(r.errors[0],
              QStringLiteral("Cannot open port tcp://127.0.0.1: a port number is needed"));
    QTest::qWait(350);
    EXPECT_EQ(r.errors.size(), 1) << "the retries are quiet";
    EXPECT_TRUE(r.reader.isReopening());
}

TEST(TcpSource, LinesAcrossReadsCommandsOutAndAReturnWithoutAGluedLine) {
    NEED_TOOL("socat");
    const quint16 port = test::freeTcpPort();
    Peer server;
    ASSERT_TRUE(startServer(server, port));
    Reading r(loopback("tcp", port));
    r.reader.Open();
    EXPECT_FALSE(r.reader.isOpen()) << "connects without waiting";
    EXPECT_TRUE(r.errors.isEmpty()) << r.said();
    ASSERT_TRUE(waitFor([&] { return r.reader.isOpen(); }, 5000)) << r.said();
    EXPECT_EQ(r.connects, 1);

    // A line cut between two sends is one line.
    server.process.write(lineEnded(kFixMunich) + kHeading.left(5));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 1; }, 5000));
    server.process.write(lineEnded(kHeading.mid(5)));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 2; }, 5000));
    EXPECT_EQ(r.lines, (QList<QByteArray>{kFixMunich, kHeading}));
    EXPECT_NEAR(r.reader.Latitude(), 48.1173, 1e-12);
    EXPECT_NEAR(r.reader.Longitude(), 11.0 + 31.0 / 60.0, 1e-12);

    r.reader.Write("$JASC,GPGGA,5\r\n");
    QByteArray got;
    ASSERT_TRUE(waitFor(
        [&] { return (got += server.process.readAllStandardOutput()).contains('\n'); }, 5000));
    EXPECT_EQ(got, QByteArray("$JASC,GPGGA,5\r\n"));

    // The server dies in the middle of a sentence.
    server.process.write(kCutHead);
    ASSERT_TRUE(waitFor([&] { return r.reader.pendingText() == kCutHead; }, 5000));
    server.stop();
    ASSERT_TRUE(waitFor([&] { return r.lost.size() == 1; }, 5000));
    EXPECT_FALSE(r.reader.isOpen());
    EXPECT_EQ(r.reader.Latitude(), 0.0) << "no position from before the loss";
    QTest::qWait(400);  // a few quiet retries against a closed port

    Peer again;
    ASSERT_TRUE(startServer(again, port));
    ASSERT_TRUE(waitFor([&] { return r.connects == 2; }, 5000)) << r.said();
    again.process.write(lineEnded(kCutRest) + lineEnded(kFixBosporus));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 4; }, 5000));
    EXPECT_EQ(r.lines[2], kCutRest) << "the rest stays apart from the head cut before the loss";
    EXPECT_EQ(r.lines[3], kFixBosporus);
    EXPECT_NEAR(r.reader.Latitude(), 41.007, 1e-12);
    EXPECT_NEAR(r.reader.Longitude(), 29.013, 1e-12);
    EXPECT_EQ(r.reader.reconnections(), 1u);
    ASSERT_EQ(r.errors.size(), 1) << r.said();
    EXPECT_EQ(r.errors[0], QStringLiteral("Port tcp://127.0.0.1:%1 stopped working: the other end "
                                          "closed the connection")
                               .arg(port));
}

// A connection stands within milliseconds of the loopback: the reader takes
// it up then, not at its next 2 s retry (the receiver's first lines, and the
// corrections sent to it, would wait that long).
TEST(TcpSource, AConnectionIsTakenUpAsSoonAsItStandsNotAtTheNextRetry) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    VirtualTime vt(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    Reading r(loopback("tcp", server.serverPort()), vt);
    r.reader.setReopenInterval(TNivoraSerialGPS::kReopenIntervalMs);
    r.reader.Open();
    qint64 virtualMs = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            if (r.reader.isOpen()) return true;
            vt.advance(50);
            virtualMs += 50;
            return false;
        },
        5000))
        << r.said();
    EXPECT_LT(virtualMs, TNivoraSerialGPS::kReopenIntervalMs / 2);
    EXPECT_EQ(r.connects, 1);
    EXPECT_TRUE(r.errors.isEmpty()) << r.said();
    // A port that refuses is tried again quietly: said once, however often it is looked at.
    server.close();
    r.reader.Close();
    r.reader.Open();
    for (int i = 0; i < 100; ++i) {  // 5 s of virtual time
        QTest::qWait(2);
        vt.advance(50);
    }
    EXPECT_EQ(r.errors.size(), 1) << r.said();
    EXPECT_FALSE(r.reader.isOpen());
}

TEST(TcpSource, ASenderThatNeverEndsALineCannotGrowTheBuffer) {
    NEED_TOOL("socat");
    const quint16 port = test::freeTcpPort();
    Peer server;
    ASSERT_TRUE(startServer(server, port));
    Reading r(loopback("tcp", port));
    r.reader.Open();
    ASSERT_TRUE(waitFor([&] { return r.reader.isOpen(); }, 5000)) << r.said();
    const QByteArray flood(3 * 1024 * 1024, 'A');
    server.process.write(flood);
    ASSERT_TRUE(waitFor([&] { return r.reader.overlongLinesCut() > 0; }, 10000));
    EXPECT_LE(r.reader.pendingText().size(), 4096);
    server.process.write("\r\n" + lineEnded(kFixMunich));
    ASSERT_TRUE(waitFor([&] { return !r.lines.isEmpty() && r.lines.last() == kFixMunich; }, 20000));
    EXPECT_NEAR(r.reader.Latitude(), 48.1173, 1e-12);
}

TEST(TcpListenSource, OneSenderAtATimeAndItsReturn) {
    NEED_TOOL("socat");
    const quint16 port = test::freeTcpPort();
    Reading r(loopback("tcp-listen", port));
    r.reader.Open();
    EXPECT_FALSE(r.reader.isOpen());
    QTest::qWait(300);
    EXPECT_TRUE(r.errors.isEmpty()) << "waiting for a sender is not a fault: " << r.said();

    const QString to = QStringLiteral("TCP:127.0.0.1:%1,retry=50,interval=0.1").arg(port);
    Peer first;
    ASSERT_TRUE(first.start(findTool("socat"), {to, QStringLiteral("STDIO")}));
    ASSERT_TRUE(waitFor([&] { return r.reader.isOpen(); }, 5000)) << r.said();
    first.process.write(lineEnded(kFixMunich));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 1; }, 5000));

    // A second sender is refused while the first is connected.
    QTemporaryDir dir;
    const QString other = dir.filePath(QStringLiteral("other.nmea"));
    test::writeFile(other, lineEnded(kFixBosporus));
    Peer second;
    ASSERT_TRUE(
        second.start(findTool("socat"), {QStringLiteral("-u"), QStringLiteral("OPEN:") + other,
                                         QStringLiteral("TCP:127.0.0.1:%1").arg(port)}));
    ASSERT_TRUE(second.finish());
    EXPECT_NE(second.process.exitCode(), 0) << "refused";

    r.reader.Write("$PASHS,NME,GGA,A,ON\r\n");
    QByteArray got;
    ASSERT_TRUE(waitFor(
        [&] { return (got += first.process.readAllStandardOutput()).contains('\n'); }, 5000));
    EXPECT_EQ(got, QByteArray("$PASHS,NME,GGA,A,ON\r\n"));

    // The sender goes; the next one is taken.
    first.stop();
    ASSERT_TRUE(waitFor([&] { return r.lost.size() == 1; }, 5000));
    Peer third;
    ASSERT_TRUE(third.start(findTool("socat"),
                            {QStringLiteral("-u"), QStringLiteral("OPEN:") + other, to}));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 2; }, 10000)) << r.said();
    EXPECT_EQ(r.lines, (QList<QByteArray>{kFixMunich, kFixBosporus}));
    EXPECT_EQ(r.connects, 2);
}

// Sends a file's bytes as one datagram to the loopback port.
bool sendDatagram(const QTemporaryDir& dir, quint16 port, const QByteArray& bytes) {
    static int n = 0;
    const QString path = dir.filePath(QStringLiteral("d%1").arg(++n));
    test::writeFile(path, bytes);
    Peer socat;
    return socat.start(findTool("socat"),
                       {QStringLiteral("-u"), QStringLiteral("-b"), QStringLiteral("65507"),
                        QStringLiteral("OPEN:") + path,
                        QStringLiteral("UDP-DATAGRAM:127.0.0.1:%1").arg(port)}) &&
           socat.finish() && socat.process.exitCode() == 0;
}

TEST(UdpSource, SentencesOfADatagramAndOneSplitAcrossTwo) {
    NEED_TOOL("socat");
    QTemporaryDir dir;
    const quint16 port = test::freeUdpPort();
    Reading r(loopback("udp", port));
    r.reader.Open();
    ASSERT_TRUE(r.reader.isOpen()) << "listening is being open: " << r.said();
    EXPECT_EQ(r.connects, 1);

    ASSERT_TRUE(sendDatagram(dir, port,
                             lineEnded(kFixMunich) + lineEnded(kHeading) + kFixBosporus.left(30)));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 2; }, 5000));
    ASSERT_TRUE(sendDatagram(dir, port, lineEnded(kFixBosporus.mid(30))));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 3; }, 5000));
    EXPECT_EQ(r.lines, (QList<QByteArray>{kFixMunich, kHeading, kFixBosporus}));
    EXPECT_NEAR(r.reader.Latitude(), 41.007, 1e-12);

    // The largest datagram there is, all one unended line, then a fix.
    ASSERT_TRUE(sendDatagram(dir, port, QByteArray(65507, '$')));
    ASSERT_TRUE(sendDatagram(dir, port, "\r\n" + lineEnded(kFixMunich)));
    ASSERT_TRUE(waitFor([&] { return r.lines.size() >= 4 && r.lines.last() == kFixMunich; }, 5000));
    EXPECT_LE(r.reader.pendingText().size(), 4096);
    EXPECT_GE(r.reader.overlongLinesCut(), 1u);

    r.reader.Write("$JASC,GPGGA,5\r\n");
    ASSERT_FALSE(r.errors.isEmpty());
    EXPECT_EQ(r.errors.last(),
              QStringLiteral("Command not sent to device on udp://127.0.0.1:%1: a UDP "
                             "source only listens; nothing can be sent to it")
                  .arg(port));
}

TEST(UdpSource, ASilentSourceIsIdleNotLost) {
    NEED_TOOL("socat");
    QTemporaryDir dir;
    VirtualTime vt(QDateTime(QDate(2026, 12, 8), QTime(9, 0)));
    const quint16 port = test::freeUdpPort();
    Reading r(loopback("udp", port), vt);
    QSignalSpy idle(&r.reader, &TNivoraSerialGPS::OnIdle);
    r.reader.Open();
    ASSERT_TRUE(r.reader.isOpen());
    ASSERT_TRUE(sendDatagram(dir, port, lineEnded(kFixMunich)));
    ASSERT_TRUE(waitFor(
        [&] {
            vt.advance(10);
            return r.lines.size() == 1;
        },
        5000));
    for (int i = 0; i < 1100; ++i) {  // 11 s of silence in virtual time
        QCoreApplication::processEvents();
        vt.advance(10);
    }
    EXPECT_GE(idle.size(), 1);
    EXPECT_TRUE(r.reader.isOpen());
    EXPECT_TRUE(r.lost.isEmpty());
}

TEST(GpsdStream, NmeaPassesJsonIsReadAndNothingGrowsWithoutBound) {
    GpsdStream s;
    const QByteArray nmea = lineEnded(kFixMunich);
    EXPECT_EQ(s.feed(nmea.constData(), 20), QByteArray()) << "a line waits for its end";
    EXPECT_EQ(s.feed(nmea.constData() + 20, nmea.size() - 20), nmea);

    const QByteArray devices =
        "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\","
        "\"activated\":\"2021-12-23T01:45:00.000Z\"}]}\r\n"
        "{\"class\":\"TPV\",\"mode\":3,\"lat\":44.1}\r\n";
    EXPECT_EQ(s.feed(devices.constData(), devices.size()), QByteArray());
    EXPECT_TRUE(s.hasDevice());

    const QByteArray junk = "{\"class\":\"DEVICE\",\"path\":}\r\n";
    EXPECT_EQ(s.feed(junk.constData(), junk.size()), QByteArray());
    EXPECT_EQ(s.linesDropped(), 1u);
    const QByteArray endless(200 * 1024, '{');
    for (qsizetype at = 0; at < endless.size(); at += 1000)
        EXPECT_EQ(s.feed(endless.constData() + at, std::min<qsizetype>(1000, endless.size() - at)),
                  QByteArray());
    EXPECT_EQ(s.linesDropped(), 2u);
    EXPECT_EQ(s.feed("\n", 1), QByteArray()) << "the rest of the long line goes too";
    EXPECT_EQ(s.feed(nmea.constData(), nmea.size()), nmea);

    const QByteArray gone = "{\"class\":\"DEVICE\",\"path\":\"/dev/ttyACM0\",\"activated\":0}\r\n";
    s.feed(gone.constData(), gone.size());
    EXPECT_FALSE(s.hasDevice());
    EXPECT_TRUE(s.deviceLost());
    EXPECT_EQ(s.lostDevice(), QStringLiteral("/dev/ttyACM0"));
}

// A gpsd of the test's own: answers the watch with the given reports.
struct TinyGpsd {
    TinyGpsd() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead,
                             [this] { request += client->readAll(); });
        });
    }
    void send(const QByteArray& line) { client->write(line + "\r\n"); }
    QTcpServer server;
    QTcpSocket* client = nullptr;
    QByteArray request;
};

TEST(GpsdSource, WaitsForADeviceAndLosesItWhenGpsdSaysItWent) {
    TinyGpsd gpsd;
    ASSERT_TRUE(gpsd.server.isListening());
    Reading r(QStringLiteral("gpsd://127.0.0.1:%1").arg(gpsd.server.serverPort()));
    r.reader.Open();
    ASSERT_TRUE(waitFor([&] { return gpsd.request.endsWith('\n'); }, 5000));
    ASSERT_TRUE(gpsd.request.startsWith("?WATCH="));
    const QJsonObject watch = QJsonDocument::fromJson(gpsd.request.mid(7)).object();
    EXPECT_TRUE(watch.value(QLatin1String("enable")).toBool());
    EXPECT_TRUE(watch.value(QLatin1String("nmea")).toBool());

    gpsd.send(R"({"class":"VERSION","release":"3.22","proto_major":3,"proto_minor":14})");
    gpsd.send(R"({"class":"DEVICES","devices":[]})");
    QTest::qWait(400);
    EXPECT_FALSE(r.reader.isOpen()) << "no device yet";
    gpsd.send(R"({"class":"DEVICE","path":"/dev/ttyUSB0","activated":"2026-12-08T09:00:00.000Z"})");
    ASSERT_TRUE(waitFor([&] { return r.reader.isOpen(); }, 5000)) << r.said();
    gpsd.send("{this is not json");
    gpsd.send(kFixMunich);
    ASSERT_TRUE(waitFor([&] { return r.lines.size() == 1; }, 5000));
    EXPECT_EQ(r.lines, QList<QByteArray>{kFixMunich}) << "gpsd's own reports are not lines";
    EXPECT_NEAR(r.reader.Latitude(), 48.1173, 1e-12);

    r.reader.Write("$JASC,GPGGA,5\r\n");
    EXPECT_EQ(r.errors.size(), 1) << "a gpsd source takes no commands";

    gpsd.send(R"({"class":"DEVICE","path":"/dev/ttyUSB0","activated":0})");
    ASSERT_TRUE(waitFor([&] { return r.lost.size() == 1; }, 5000));
    EXPECT_EQ(r.lost[0], QStringLiteral("gpsd reports that /dev/ttyUSB0 went away"));
    EXPECT_EQ(r.reader.Latitude(), 0.0);
}

// gpsfake serves a real capture; the positions the reader decodes from the
// NMEA gpsd relays are the positions gpsd itself reports for the same epochs.
TEST(GpsdSource, PositionsEqualGpsdsOwnFromTheSameCapture) {
    NEED_TOOL("gpsfake");
    NEED_TOOL("gpspipe");
    const quint16 port = test::freeTcpPort();
    const QString capture = test::dataPath(QStringLiteral("nmea/ublox-f9p-hpnmea.log"));
    Peer fake;
    ASSERT_TRUE(fake.start(findTool("gpsfake"),
                           {QStringLiteral("-q"), QStringLiteral("-P"), QString::number(port),
                            QStringLiteral("-c"), QStringLiteral("0.02"), capture}));
    ASSERT_TRUE(waitFor(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        },
        10000));
    Peer pipe;
    ASSERT_TRUE(pipe.start(findTool("gpspipe"),
                           {QStringLiteral("-w"), QStringLiteral("127.0.0.1:%1").arg(port)}));

    Reading r(QStringLiteral("gpsd://127.0.0.1:%1").arg(port));
    struct Fix {
        double lat, lon, alt;
    };
    std::map<QByteArray, Fix> ours;  // by the GGA's time of day
    QByteArray ggaTime;
    QObject::connect(&r.reader, &TNivoraSerialGPS::OnNewCommand,
                     [&](TNivoraSerialGPS*, const QByteArray& l) {
                         if (l.mid(3, 4) == "GGA,") ggaTime = l.split(',').value(1);
                     });
    QObject::connect(&r.reader, &TNivoraSerialGPS::OnEpoch, [&](TNivoraSerialGPS* g) {
        ours[ggaTime] = {g->Latitude(), g->Longitude(), g->Altitude()};
    });
    r.reader.Open();

    std::map<QByteArray, Fix> theirs;
    QByteArray pending;
    const auto readPipe = [&] {
        pending += pipe.process.readAllStandardOutput();
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QJsonObject o = QJsonDocument::fromJson(pending.left(nl)).object();
            pending.remove(0, nl + 1);
            if (o.value(QLatin1String("class")).toString() != QLatin1String("TPV") ||
                !o.contains(QLatin1String("lat")))
                continue;
            // "2021-12-23T01:45:07.000Z" is the GGA's 014507.00.
            const QString t = o.value(QLatin1String("time")).toString();
            const QByteArray key = (t.mid(11, 2) + t.mid(14, 2) + t.mid(17, 5)).toLatin1();
            theirs[key] = {o.value(QLatin1String("lat")).toDouble(),
                           o.value(QLatin1String("lon")).toDouble(),
                           o.value(QLatin1String("altMSL")).toDouble()};
        }
    };
    int matched = 0;
    ASSERT_TRUE(waitFor(
        [&] {
            readPipe();
            matched = 0;
            for (const auto& [t, f] : ours)
                matched += theirs.count(t) > 0;
            return matched >= 8;
        },
        30000))
        << "epochs decoded " << ours.size() << ", reported by gpsd " << theirs.size() << "; "
        << r.said();
    for (const auto& [t, f] : ours) {
        const auto it = theirs.find(t);
        if (it == theirs.end()) continue;
        // gpsd prints nine decimals of a degree and four of a metre.
        EXPECT_NEAR(f.lat, it->second.lat, 1e-8) << t.toStdString();
        EXPECT_NEAR(f.lon, it->second.lon, 1e-8) << t.toStdString();
        EXPECT_NEAR(f.alt, it->second.alt, 1e-3) << t.toStdString();
    }

    // gpsd goes away: the source is lost once, and tried again quietly.
    pipe.stop();
    const qint64 fakePid = fake.process.processId();
    fake.interrupt();
    QFile::remove(
        QStringLiteral("/tmp/gpsfake-%1.sock").arg(fakePid));  // it leaves its control socket
    ASSERT_TRUE(waitFor([&] { return r.lost.size() == 1; }, 10000));
    EXPECT_EQ(r.reader.Latitude(), 0.0);
    QTest::qWait(300);
    EXPECT_EQ(r.lost.size(), 1);
    EXPECT_TRUE(r.reader.isReopening());
}

}  // namespace
}  // namespace nivora
