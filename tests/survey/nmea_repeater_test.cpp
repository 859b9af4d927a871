// The NMEA output as a chart plotter meets it: a survey in virtual time
// repeats its position, motion, heading and depth over UDP, read back by an
// independent parser (pynmea2, checksums checked) against values worked by
// hand; TCP clients each get every line, and one that stops reading is
// dropped while the other goes on.

#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "canvas/canvas_document.h"
#include "files/runlines.h"
#include "guidance/survey_line_layer.h"
#include "sensors/nmea.h"
#include "survey/line_control.h"
#include "survey/nmea_repeater.h"
#include "tests/survey/session_test_support.h"

namespace nivora {
namespace {

const char* kParser = R"(
import sys, pynmea2
for line in open(sys.argv[1]):
    m = pynmea2.parse(line.strip(), check=True)
    t = m.sentence_type
    if t == "GGA":
        print("GGA,%.9f,%.9f,%s,%s,%s,%s,%s,%s" % (m.latitude, m.longitude, m.gps_qual,
              m.num_sats, m.horizontal_dil, m.altitude, m.geo_sep, m.age_gps_data))
    elif t == "VTG":
        print("VTG,%s,%s,%s" % (m.true_track, m.spd_over_grnd_kts, m.spd_over_grnd_kmph))
    elif t == "HDT":
        print("HDT,%s" % m.heading)
    elif t == "DPT":
        print("DPT,%s,%s" % (m.depth, m.offset))
    elif t == "DBT":
        print("DBT,%s,%s,%s" % (m.depth_feet, m.depth_meters, m.depth_fathoms))
    elif t == "XTE":
        print("XTE,%s,%s,%s" % (m.cross_track_err_dist, m.correction_dir, m.warning_flag))
    elif t == "APB":
        print("APB,%s,%s,%s" % (m.cross_track_err_mag, m.dir_steer, m.dest_waypoint_id))
    elif t == "RMB":
        lat = int(m.dest_lat[:2]) + float(m.dest_lat[2:]) / 60.0
        lon = int(m.dest_lon[:3]) + float(m.dest_lon[3:]) / 60.0
        print("RMB,%s,%s,%s,%s,%.9f,%.9f" % (m.cross_track_error, m.cte_correction_dir,
              m.origin_waypoint_id, m.dest_waypoint_id, lat, lon))
    else:
        print("OTHER," + t)
)";

// pynmea2's reading of the sentences, one list of fields per sentence.
std::vector<QList<QByteArray>> parsed(const QByteArray& sentences, QString* error) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sentences.txt"));
    test::writeFile(file, sentences);
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"), QString::fromLatin1(kParser), file});
    std::vector<QList<QByteArray>> out;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *error = QString::fromLocal8Bit(p.readAllStandardError());
        return out;
    }
    for (const QByteArray& l : p.readAllStandardOutput().split('\n')) {
        if (!l.trimmed().isEmpty()) out.push_back(l.trimmed().split(','));
    }
    return out;
}

bool havePynmea2() {
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import pynmea2")});
    return probe.waitForFinished(20000) && probe.exitCode() == 0;
}

// Turns the event loop until `done` holds, ten seconds at most.
template <class Done>
bool pumpUntil(Done done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(NmeaRepeater, TheSurveyRepeatsWhatItReadsOverUdpWhileRealTimeRuns) {
    if (!havePynmea2()) GTEST_SKIP() << "pynmea2 is missing: ./setup.sh installs python3-nmea2";
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress(QHostAddress::LocalHost), 0));
    test::SessionFixture fx(QByteArray(test::kSurveyIni) +
                            "[REPEATER]\nEnabled=1\nDestination=udp://127.0.0.1:" +
                            QByteArray::number(listener.localPort()) +
                            "\nSentences=GGA, vtg,HDT,DPT,DBT\nEchoInput=1\n");
    const std::string gga = withNmeaChecksum(
        "$GPGGA,120000.00,4100.5000000,N,02900.2500000,E,4,12,0.8,10.000,M,36.100,M,1.2,0000");
    const std::string vtg = withNmeaChecksum("$GPVTG,87.50,T,,M,5.00,N,9.26,K,A");
    const std::string hdt = withNmeaChecksum("$GPHDT,123.40,T");
    const std::string dbt = withNmeaChecksum("$SDDBT,49.2,f,15.00,M,8.2,F");
    fx.survey->RealtimeClick();
    fx.gnss(gga);
    fx.gnss(vtg);
    fx.gnss(hdt);
    fx.sounder(dbt);
    fx.vt.advance(1000);
    fx.survey->RealtimeClick();
    // Stopped: the ports are closed (their memory transports are gone) and
    // the ticks that follow send nothing.
    fx.vt.advance(3000);

    QByteArray sentences;
    ASSERT_TRUE(pumpUntil([&] { return listener.hasPendingDatagrams(); }));
    while (listener.hasPendingDatagrams())
        sentences += listener.receiveDatagram().data();
    // The input lines go out exactly as read, beside the survey's own.
    for (const std::string& in : {gga, vtg, hdt, dbt})
        EXPECT_TRUE(sentences.contains(QByteArray::fromStdString(in + "\r\n"))) << in;
    QString error;
    const auto s = parsed(sentences, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    std::map<QByteArray, std::vector<QList<QByteArray>>> by;
    for (const auto& f : s)
        by[f[0]].push_back(f);
    ASSERT_EQ(s.size(), 9u) << sentences.constData() << "four echoed, five of its own, once each";
    ASSERT_EQ(by["GGA"].size(), 2u);
    for (const auto& f : by["GGA"]) {
        EXPECT_NEAR(f[1].toDouble(), 41 + 0.5 / 60, 1e-9);  // 41 00.5' N
        EXPECT_NEAR(f[2].toDouble(), 29 + 0.25 / 60, 1e-9);
        EXPECT_EQ(f[3], "4");
        EXPECT_EQ(f[4].toInt(), 12);
        EXPECT_DOUBLE_EQ(f[5].toDouble(), 0.8);
        EXPECT_DOUBLE_EQ(f[6].toDouble(), 10.0);
        EXPECT_DOUBLE_EQ(f[7].toDouble(), 36.1);
        EXPECT_DOUBLE_EQ(f[8].toDouble(), 1.2);
    }
    for (const auto& f : by["VTG"]) {
        EXPECT_DOUBLE_EQ(f[1].toDouble(), 87.5);
        EXPECT_DOUBLE_EQ(f[2].toDouble(), 5.0);
        EXPECT_DOUBLE_EQ(f[3].toDouble(), 9.26);  // 5 kn x 1.852
    }
    for (const auto& f : by["HDT"])
        EXPECT_DOUBLE_EQ(f[1].toDouble(), 123.4);
    // 15.00 m at 1500 m/s in water of 1480 m/s, plus the 0.5 m draft:
    // 15 x 1480 / 1500 + 0.5 = 15.30 m, 50.2 ft, 8.37 fathoms.
    ASSERT_EQ(by["DPT"].size(), 1u);
    EXPECT_DOUBLE_EQ(by["DPT"][0][1].toDouble(), 15.3);
    EXPECT_DOUBLE_EQ(by["DPT"][0][2].toDouble(), 0.0);
    ASSERT_EQ(by["DBT"].size(), 2u);
    EXPECT_DOUBLE_EQ(by["DBT"][0][2].toDouble(), 15.0) << "the echoed line first";
    EXPECT_DOUBLE_EQ(by["DBT"][1][1].toDouble(), 50.2);
    EXPECT_DOUBLE_EQ(by["DBT"][1][2].toDouble(), 15.3);
    EXPECT_DOUBLE_EQ(by["DBT"][1][3].toDouble(), 8.37);
    EXPECT_TRUE(fx.errors().isEmpty()) << fx.errors().join(QLatin1Char('|')).toStdString();
}

TEST(NmeaRepeater, TheActiveLinesGuidanceGoesOutAsTheAutopilotsSentences) {
    if (!havePynmea2()) GTEST_SKIP() << "pynmea2 is missing: ./setup.sh installs python3-nmea2";
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress(QHostAddress::LocalHost), 0));
    test::SessionFixture fx(QByteArray(test::kSurveyIni) +
                            "[REPEATER]\nEnabled=1\nDestination=udp://127.0.0.1:" +
                            QByteArray::number(listener.localPort()) + "\nSentences=GGA\n");
    // A line running grid north 20 m east of the boat, ending 500 m ahead.
    constexpr double kLat = 41.005, kLon = 29.01;
    const auto [e, n] = fx.grid(kLat, kLon, 10);
    const int layer = fx.doc.LayerOpen(kRunlineLayerName);
    fx.doc.DrawLine(e + 20, n - 500, e + 20, n + 500, layer);
    LineControl lines(*fx.chart);
    ASSERT_EQ(lines.lines().size(), 1u);
    lines.setActive(-1);
    fx.survey->RealtimeClick();
    fx.gnss(test::gga(kLat, kLon, 4));
    fx.vt.advance(1000);
    lines.setActive(0);  // now a line is active
    fx.gnss(test::gga(kLat, kLon, 4));
    fx.vt.advance(1000);
    fx.survey->RealtimeClick();

    QByteArray sentences;
    ASSERT_TRUE(pumpUntil([&] { return listener.hasPendingDatagrams(); }));
    for (int i = 0; i < 20; ++i) {
        while (listener.hasPendingDatagrams())
            sentences += listener.receiveDatagram().data();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QString error;
    const auto s = parsed(sentences, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    std::map<QByteArray, std::vector<QList<QByteArray>>> by;
    for (const auto& f : s)
        by[f[0]].push_back(f);
    ASSERT_EQ(s.size(), 5u) << sentences.constData() << "two GGA, one set of guidance";
    ASSERT_EQ(by["GGA"].size(), 2u);
    ASSERT_EQ(by["XTE"].size(), 1u);
    ASSERT_EQ(by["APB"].size(), 1u);
    ASSERT_EQ(by["RMB"].size(), 1u);
    // 20 m = 0.0108 NM, to port of the line: steer right.
    EXPECT_DOUBLE_EQ(by["XTE"][0][1].toDouble(), 0.0108);
    EXPECT_EQ(by["XTE"][0][2], "R");
    EXPECT_EQ(by["XTE"][0][3], "A") << "valid";
    EXPECT_DOUBLE_EQ(by["APB"][0][1].toDouble(), 0.0108);
    EXPECT_EQ(by["APB"][0][2], "R");
    EXPECT_EQ(by["APB"][0][3], "L001E");
    EXPECT_DOUBLE_EQ(by["RMB"][0][1].toDouble(), 0.0108);
    EXPECT_EQ(by["RMB"][0][2], "R");
    EXPECT_EQ(by["RMB"][0][3], "L001S");
    EXPECT_EQ(by["RMB"][0][4], "L001E");
    // The end 500 m north (1 degree of latitude is 111.03 km here) and about
    // 20 m east (84.0 km a degree of longitude at 41 N), within the grid's
    // convergence of some 0.65 degree.
    EXPECT_NEAR(by["RMB"][0][5].toDouble(), kLat + 500.0 / 111030.0, 1e-4);
    EXPECT_NEAR(by["RMB"][0][6].toDouble(), kLon + 20.0 / 84000.0, 1e-4);
    EXPECT_TRUE(fx.errors().isEmpty()) << fx.errors().join(QLatin1Char('|')).toStdString();

    // Switched off in the settings, the guidance stays at home.
    fx.models.repeater.guidance = false;
    fx.survey->RealtimeClick();
    fx.gnss(test::gga(kLat, kLon, 4));
    fx.vt.advance(1000);
    fx.survey->RealtimeClick();
    QByteArray more;
    ASSERT_TRUE(pumpUntil([&] { return listener.hasPendingDatagrams(); }));
    for (int i = 0; i < 20; ++i) {
        while (listener.hasPendingDatagrams())
            more += listener.receiveDatagram().data();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(more.count("$GPGGA"), 1) << more.constData();
    EXPECT_EQ(more.count('$'), 1) << more.constData();
}

TEST(NmeaRepeater, ADestinationThatCannotBeOpenedIsSaidOnceAndTriedAgain) {
    QStringList said;
    NmeaRepeater out([&](const QString& t) { said << t; });
    out.configure(QStringLiteral("tcp://127.0.0.1:9"));  // a client form: not a destination
    const std::vector<std::string> set{"$GPHDT,1.00,T*00\r\n"};
    EXPECT_FALSE(out.send(set, 0));
    EXPECT_FALSE(out.send(set, 500));
    EXPECT_FALSE(out.send(set, 2500));
    EXPECT_EQ(said.size(), 1) << said.join(QLatin1Char('|')).toStdString();
    out.configure(QStringLiteral("udp://127.0.0.1:9"));
    EXPECT_TRUE(out.send(set, 3000)) << "a new destination is tried at once";
}

TEST(NmeaRepeater, TcpClientsGetTheSameLinesAndOneThatDoesNotReadIsDropped) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QStringList said;
    NmeaRepeater out([&](const QString& t) { said << t; }, 64 * 1024);
    out.configure(QStringLiteral("tcp-listen://127.0.0.1:%1").arg(port));
    ASSERT_TRUE(out.send({"$GPHDT,1.00,T*00\r\n"}, 0)) << said.join(QLatin1Char('|')).toStdString();
    QTcpSocket fast, slow;
    fast.connectToHost(QHostAddress::LocalHost, port);
    slow.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(pumpUntil([&] { return out.clientCount() == 2; }));

    const std::string first = "$GPHDT,12.00,T*00\r\n$SDDPT,3.00,0.0*00\r\n";
    out.send({first}, 0);
    QByteArray fastGot, slowGot;
    const auto firstSize = static_cast<qsizetype>(first.size());
    ASSERT_TRUE(pumpUntil([&] {
        fastGot += fast.readAll();
        slowGot += slow.readAll();
        return fastGot.size() >= firstSize && slowGot.size() >= firstSize;
    }));
    EXPECT_EQ(fastGot, QByteArray::fromStdString(first));
    EXPECT_EQ(slowGot, fastGot);

    // From now on the slow client reads nothing: once the system's buffers
    // and its queue are full it goes, and the fast one never misses a line.
    slow.setReadBufferSize(1024);
    std::string chunk;
    for (int i = 0; i < 400; ++i)
        chunk += "$GPHDT," + std::to_string(i) + ".00,T*00\r\n";
    qint64 sent = fastGot.size();
    for (int i = 0; i < 2000 && out.clientsDropped() == 0; ++i) {
        out.send({chunk}, 0);
        sent += static_cast<qint64>(chunk.size());
        ASSERT_TRUE(pumpUntil([&] {
            fastGot += fast.readAll();
            return fastGot.size() == sent;
        }));
    }
    EXPECT_EQ(out.clientsDropped(), 1);
    EXPECT_EQ(out.clientCount(), 1);
    EXPECT_TRUE(fastGot.endsWith(QByteArray::fromStdString(chunk)));
    // Reading again, the slow client finds its connection closed.
    slow.setReadBufferSize(0);
    EXPECT_TRUE(pumpUntil([&] {
        slow.readAll();
        return slow.state() == QAbstractSocket::UnconnectedState;
    }));
}

}  // namespace
}  // namespace nivora
