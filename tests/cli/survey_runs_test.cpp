// Whole surveys in virtual time against the simulator's truth.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUdpSocket>
#include <cmath>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "files/drawing_files.h"
#include "files/layout_files.h"
#include "geodesy/fix_projection.h"
#include "guidance/survey_line_layer.h"
#include "sensors/nmea.h"
#include "sim/seabed.h"
#include "sim/survey_area.h"
#include "survey/standard_layers.h"
#include "tests/cli/cli_runner.h"
#include "tests/cli/run_rows.h"
#include "tests/support/test_support.h"
#include "tools/cli/survey_runs.h"

namespace nivora {
namespace {

const QString kDemoIni = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI");
const sim::SurveyArea kArea{415300, 4540700, 416300, 4541500};  // the demo's [SIMULATOR] Area
constexpr double kSpeed = 2.0;                                  // m/s, the demo's Speed

using test::readRows;
using test::Row;

geodesy::FixProjector demoProjector() {
    const IniStore ini(kDemoIni);
    const auto p = geodesy::readGeodeticParameters(
        [&](std::string_view s, std::string_view k) -> std::optional<std::string> {
            const QString section = QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
            const QString key = QString::fromLatin1(k.data(), static_cast<qsizetype>(k.size()));
            if (!ini.hasKey(section, key)) return std::nullopt;
            return ini.readString(section, key).toStdString();
        });
    return *geodesy::FixProjector::take(p);
}

class SimulatedSurvey : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        cli::SimulateOptions o;
        o.ini = kDemoIni;
        o.minutes = 35;
        o.out = dir->filePath(QStringLiteral("live"));
        QString error;
        ASSERT_TRUE(cli::runSimulation(o, &summary, &error)) << error.toStdString();
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    static QString log(const char* name) {
        return summary.dayFolder + QStringLiteral("LOG/2026-06-01 ") + QLatin1String(name);
    }

    static QTemporaryDir* dir;
    static cli::RunSummary summary;
};
QTemporaryDir* SimulatedSurvey::dir = nullptr;
cli::RunSummary SimulatedSurvey::summary;

TEST_F(SimulatedSurvey, EveryRowMatchesTheTrueSeabedAtItsPosition) {
    const sim::Seabed seabed(kArea);
    const std::vector<Row> rows = readRows(log("Coordinates.csv"));
    ASSERT_EQ(static_cast<long long>(rows.size()), summary.soundings) << "a row for every sounding";
    int checked = 0, withoutPosition = 0;
    for (const Row& r : rows) {
        const double e = r.at(3), n = r.at(4);
        if (e == 0 && n == 0) {
            ++withoutPosition;  // before the first tick, or in the outage
            continue;
        }
        // The row's position is the last GNSS fix: up to one epoch of travel old.
        const double travel = kSpeed * 1.0;
        const double tolerance = 0.01 + 1.5 * seabed.slope(e, n) * travel;
        ASSERT_NEAR(r.at(7), seabed.depth(e, n), tolerance) << r.f.join(',').constData();
        ++checked;
    }
    EXPECT_GT(checked, 0.9 * rows.size());
    EXPECT_LT(withoutPosition, 0.06 * rows.size());
}

TEST_F(SimulatedSurvey, EveryRowsGridPositionIsTheProjectionOfItsOwnFix) {
    geodesy::FixProjector projector = demoProjector();
    for (const Row& r : readRows(log("Coordinates.csv"))) {
        const double lat = r.at(1), lon = r.at(2);
        if (r.at(3) == 0 && r.at(4) == 0) continue;
        // Altitude does not enter the grid position of TM; any height will do.
        const auto p = projector.project(lat, lon, 0);
        ASSERT_TRUE(p.placed());
        ASSERT_EQ(r.f[3], QByteArray::number(p.easting, 'f', 2)) << r.f.join(',').constData();
        ASSERT_EQ(r.f[4], QByteArray::number(p.northing, 'f', 2));
    }
}

TEST_F(SimulatedSurvey, TheFixClassesLandOnTheirTrackLayers) {
    const QStringList snapshots =
        QDir(summary.dayFolder + QStringLiteral("NWL")).entryList({QStringLiteral("*.nwl")});
    ASSERT_EQ(snapshots.size(), 1);
    CanvasDocument doc;
    ASSERT_TRUE(CadLoad(doc, summary.dayFolder + QStringLiteral("NWL/") + snapshots[0]));
    std::map<int, int> perLayer;
    for (const TNShape& s : doc.Shapes())
        ++perLayer[s.Layer()];
    const int fix = perLayer[doc.LayerFindByName(layer_names::TrackFix)];
    const int flt = perLayer[doc.LayerFindByName(layer_names::TrackFloat)];
    const int nofix = perLayer[doc.LayerFindByName(layer_names::TrackNoFix)];
    // The demo script: 405 s fixed, 120 s float or DGPS, 60 s autonomous per ten minutes,
    // and a 15 s outage that lays no marks.
    const double total = fix + flt + nofix;
    ASSERT_GT(total, 0);
    EXPECT_NEAR(fix / total, 405.0 / 585, 0.05);
    EXPECT_NEAR(flt / total, 120.0 / 585, 0.05);
    EXPECT_NEAR(nofix / total, 60.0 / 585, 0.05);
}

TEST_F(SimulatedSurvey, ReplayingTheRawLogsGivesTheSameRows) {
    cli::ReplayOptions o;
    o.ini = kDemoIni;
    o.gnssLog = log("NDW_GNSS_V3.log");
    o.sounderLog = log("NDW_SBES_V3.log");
    o.out = dir->filePath(QStringLiteral("replay"));
    cli::RunSummary replay;
    QString error;
    ASSERT_TRUE(cli::runReplay(o, &replay, &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(replay.dayFolder + QStringLiteral("LOG/2026-06-01 Coordinates.csv")),
              test::readFile(log("Coordinates.csv")));
}

TEST_F(SimulatedSurvey, TheDayHasItsLogs) {
    const QByteArray events = test::readFile(log("Events.log"));
    EXPECT_TRUE(events.contains("\tRealtime STARTED"));
    EXPECT_TRUE(events.contains("\tAuto-saved: "));
    EXPECT_TRUE(events.endsWith("\tRealtime STOPPED"));
    EXPECT_TRUE(test::readFile(log("Geodesy.txt")).contains("Name of Datum: ED50 Turkey"));
    EXPECT_EQ(summary.errors, 0);
}

// Serial noise: corrupted sentences are dropped and garbage lines ignored;
// nothing false reaches the log.
TEST(NoisySurvey, CorruptedSentencesChangeNothing) {
    QTemporaryDir dir;
    cli::SimulateOptions o;
    o.ini = kDemoIni;
    o.minutes = 10;
    o.out = dir.path();
    o.badChecksumRate = 0.05;
    o.garbageRate = 0.05;
    o.seed = 7;
    cli::RunSummary summary;
    QString error;
    ASSERT_TRUE(cli::runSimulation(o, &summary, &error)) << error.toStdString();
    const QString logs = summary.dayFolder + QStringLiteral("LOG/2026-06-01 ");
    // Rows: exactly the sounder lines whose checksum holds.
    long long valid = 0;
    for (const QByteArray& line :
         test::readFile(logs + QStringLiteral("NDW_SBES_V3.log")).split('\n')) {
        if (line.size() > 21 && line.mid(21).startsWith("$SDDBT") &&
            nmeaChecksum(line.mid(21).toStdString()) == Checksum::Valid) {
            ++valid;
        }
    }
    const std::vector<Row> rows = readRows(logs + QStringLiteral("Coordinates.csv"));
    EXPECT_EQ(static_cast<long long>(rows.size()), valid);
    EXPECT_LT(valid, summary.soundings);
    const sim::Seabed seabed(kArea);
    for (const Row& r : rows) {
        if (r.at(3) == 0 && r.at(4) == 0) continue;
        // A dropped GGA leaves the position one more epoch old, no worse.
        const double tolerance = 0.01 + 1.5 * seabed.slope(r.at(3), r.at(4)) * kSpeed * 3;
        ASSERT_NEAR(r.at(7), seabed.depth(r.at(3), r.at(4)), tolerance)
            << r.f.join(',').constData();
    }
}

TEST(SurveyCommands, SimulateAndReplayFromTheCommandLine) {
    QTemporaryDir dir;
    auto r = test::runCli({QStringLiteral("simulate"), QStringLiteral("--ini"), kDemoIni,
                           QStringLiteral("--minutes"), QStringLiteral("2"),
                           QStringLiteral("--out"), dir.filePath(QStringLiteral("a")),
                           QStringLiteral("--family"), QStringLiteral("Nivora XDR H/L"),
                           QStringLiteral("--rate-sbes"), QStringLiteral("5")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.contains("soundings: 601")) << r.err.constData();
    const QString day = dir.filePath(QStringLiteral("a/2026-06-01/LOG/2026-06-01 "));
    const std::vector<Row> rows = readRows(day + QStringLiteral("Coordinates.csv"));
    ASSERT_EQ(rows.size(), 601u);
    EXPECT_EQ(rows.back().f[11], "Nivora XDR H/L");
    EXPECT_GT(rows.back().at(8), rows.back().at(7)) << "the low frequency reads deeper";

    // The run's own copy of the settings carries the family it used.
    r = test::runCli({QStringLiteral("replay"), QStringLiteral("--ini"),
                      dir.filePath(QStringLiteral("a/NivoraDW.INI")), QStringLiteral("--gnss"),
                      day + QStringLiteral("NDW_GNSS_V3.log"), QStringLiteral("--sbes"),
                      day + QStringLiteral("NDW_SBES_V3.log"), QStringLiteral("--out"),
                      dir.filePath(QStringLiteral("b"))});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(
        test::readFile(dir.filePath(QStringLiteral("b/2026-06-01/LOG/2026-06-01 Coordinates.csv"))),
        test::readFile(day + QStringLiteral("Coordinates.csv")));

    r = test::runCli({QStringLiteral("simulate"), QStringLiteral("--ini"), kDemoIni,
                      QStringLiteral("--minutes"), QStringLiteral("1"), QStringLiteral("--out"),
                      dir.filePath(QStringLiteral("c")), QStringLiteral("--family"),
                      QStringLiteral("Sonar")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("unknown echosounder family 'Sonar'")) << r.err.constData();
    r = test::runCli({QStringLiteral("replay"), QStringLiteral("--ini"), kDemoIni,
                      QStringLiteral("--gnss"), test::dataPath(QStringLiteral("nmea/hemi.log")),
                      QStringLiteral("--sbes"), test::dataPath(QStringLiteral("nmea/sounder.log")),
                      QStringLiteral("--out"), dir.filePath(QStringLiteral("d"))});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("time stamps")) << r.err.constData();
}

// Real time without a screen on the simulated ports: a shutdown signal
// runs the program's close sequence, and the summary tells what was logged.
TEST(SurveyCommands, ALiveSurveyClosesOnSigtermAndSaysWhatItLogged) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
    ASSERT_TRUE(QFile::copy(kDemoIni, ini));
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QProcess p;
    p.start(QStringLiteral(NIVORA_CLI_PATH),
            {QStringLiteral("survey"), QStringLiteral("--ini"), ini, QStringLiteral("--out"),
             dir.filePath(QStringLiteral("out"))});
    QByteArray err;
    for (int i = 0; i < 200 && !err.contains("Surveying into"); ++i) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("Surveying into")) << err.constData();
    QThread::msleep(2500);  // a few soundings at 10 Hz
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(20000));
    err += p.readAllStandardError();
    const QByteArray out = p.readAllStandardOutput();
    ASSERT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0) << err.constData();

    QDir day(dir.filePath(QStringLiteral("out")));
    const QStringList days = day.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(days.size(), 1);
    day.cd(days[0]);
    const QString csv =
        day.filePath(QStringLiteral("LOG/") + days[0] + QStringLiteral(" Coordinates.csv"));
    const qsizetype rows = test::readFile(csv).count('\n') - 1;
    EXPECT_GT(rows, 5);
    EXPECT_TRUE(out.contains(QByteArray(QByteArray("Coordinate rows: ") + QByteArray::number(rows) +
                                        " written, 0 lost")))
        << out.constData();
    EXPECT_TRUE(out.contains("GNSS on SIM: ")) << out.constData();
    EXPECT_TRUE(err.contains("Disconnected from GPS on SIM")) << "the readers were closed";

    // The snapshot was saved and the settings name it for the next start.
    const QString last = IniStore(ini).readString(QStringLiteral("FILE"),
                                                  QStringLiteral("Last File Saved"), QString());
    EXPECT_TRUE(last.startsWith(day.filePath(QStringLiteral("NWL/")))) << last.toStdString();
    CanvasDocument snapshot;
    EXPECT_TRUE(CadLoad(snapshot, last));

    const auto bad = test::runCli({QStringLiteral("survey"), QStringLiteral("--ini"), ini,
                                   QStringLiteral("--minutes"), QStringLiteral("soon")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains("--minutes needs a number")) << bad.err.constData();
}

// Ports that never open used to give a run that logged nothing and exited 0;
// a settings file that could not be read ended in a consequence of it.
TEST(SurveyCommands, ARunThatLogsNothingOrCannotReadItsSettingsSaysWhy) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
    QByteArray text = test::readFile(kDemoIni);
    text.replace("Port No=SIM", "Port No=/dev/nivora-no-such-port");
    test::writeFile(ini, text);
    const auto r = test::runCli({QStringLiteral("survey"), QStringLiteral("--ini"), ini,
                                 QStringLiteral("--out"), dir.filePath(QStringLiteral("out")),
                                 QStringLiteral("--minutes"), QStringLiteral("0.05")});
    EXPECT_EQ(r.exitCode, 1) << r.err.constData();
    EXPECT_TRUE(
        r.err.contains("nivora: no sounding was logged (GPS port "
                       "/dev/nivora-no-such-port did not open: "))
        << r.err.constData();
    EXPECT_TRUE(r.out.contains("Coordinate rows: 0 written, 0 lost")) << r.out.constData();

    const QString big = dir.filePath(QStringLiteral("big.INI"));
    test::writeFile(big, QByteArray(17 * 1024 * 1024, 'x'));
    for (const QString& command : {QStringLiteral("survey"), QStringLiteral("simulate")}) {
        const auto b = test::runCli({command, QStringLiteral("--ini"), big, QStringLiteral("--out"),
                                     dir.filePath(QStringLiteral("b")), QStringLiteral("--minutes"),
                                     QStringLiteral("1")});
        EXPECT_EQ(b.exitCode, 2) << command.toStdString();
        EXPECT_TRUE(b.err.contains("is too large to be a settings file")) << b.err.constData();
        EXPECT_EQ(b.err.count('\n'), 1) << b.err.constData();
    }
}

// A long survey says every few seconds that it is alive.
TEST(SurveyCommands, ALiveSurveyPrintsItsProgress) {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
    ASSERT_TRUE(QFile::copy(kDemoIni, ini));
    QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const auto r = test::runCli({QStringLiteral("survey"), QStringLiteral("--ini"), ini,
                                 QStringLiteral("--out"), dir.filePath(QStringLiteral("out")),
                                 QStringLiteral("--minutes"), QStringLiteral("0.2")});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_GE(r.err.count(" progress: "), 2) << r.err.constData();
    EXPECT_TRUE(r.err.contains(" rows, 0 lost; GNSS ")) << r.err.constData();
}

}  // namespace
}  // namespace nivora

namespace nivora {
namespace {

// The demo's planned lines run in order with a known wander: the guidance
// log's cross-track error is the simulator's real one, and the line log
// holds every line run with the soundings logged while it ran.
TEST(SimulatedLines, GuidanceAgreesWithTruthAndTheLineLogCountsTheSoundings) {
    QTemporaryDir dir;
    cli::SimulateOptions o;
    o.ini = kDemoIni;
    o.minutes = 30;
    o.out = dir.filePath(QStringLiteral("lines"));
    o.layout = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/planned_lines.nwl");
    o.lines = true;
    o.wander = 1.5;
    o.wanderWavelength = 120;
    cli::RunSummary summary;
    QString error;
    ASSERT_TRUE(cli::runSimulation(o, &summary, &error)) << error.toStdString();
    const QString logs = summary.dayFolder + QStringLiteral("LOG/2026-06-01 ");

    // Truth by the second (the GNSS epochs are on whole seconds).
    std::map<QByteArray, std::pair<int, double>> truth;
    for (const Row& r : readRows(dir.filePath(QStringLiteral("lines/truth.csv")))) {
        ASSERT_EQ(r.f.size(), 10);
        if (!r.f[8].isEmpty() && r.f[0].mid(17) == "000")
            truth[r.f[0].left(17)] = {r.f[8].toInt(), r.at(9)};
    }
    int compared = 0;
    double worst = 0;
    for (const Row& g : readRows(logs + QStringLiteral("Guidance.csv"))) {
        const auto t = truth.find(g.f[0].left(17));
        // On the line (not in its run-in, run-out or the transit to the next).
        if (t == truth.end() ||
            g.f[1] !=
                QStringLiteral("L%1").arg(t->second.first, 3, 10, QLatin1Char('0')).toLatin1())
            continue;
        worst = std::max(worst, std::abs(g.at(2) - t->second.second));
        ++compared;
    }
    EXPECT_GT(compared, 1500);
    EXPECT_LT(worst, 0.01) << "metres between the logged and the real cross-track error";

    // Lines 1 to 4 run in 30 minutes (each 775 m at 2 m/s, with turns).
    const std::vector<Row> runs = readRows(logs + QStringLiteral("Lines.csv"));
    ASSERT_GE(runs.size(), 4u);
    const std::vector<Row> coordinates = readRows(logs + QStringLiteral("Coordinates.csv"));
    for (std::size_t i = 0; i < 4; ++i) {
        const Row& r = runs[i];
        EXPECT_EQ(r.f[0], QStringLiteral("L%1").arg(i + 1, 3, 10, QLatin1Char('0')).toLatin1());
        EXPECT_EQ(r.f[11], "past the end");
        EXPECT_NEAR(r.at(1), i % 2 ? 180.0 : 0.0, 1e-9) << "run back and forth";
        // A sine of 1.5 m: mean |XTE| 2 x 1.5 / pi, largest 1.5.
        EXPECT_NEAR(r.at(9), 3.0 / M_PI, 0.03);
        EXPECT_NEAR(r.at(10), 1.5, 0.005);
        // The soundings between the run's start and end, as the coordinate log has them.
        long long logged = 0;
        for (const Row& c : coordinates) {
            if (c.f[0] >= r.f[2] && c.f[0] < r.f[5]) ++logged;
        }
        EXPECT_NEAR(static_cast<double>(r.at(8)), static_cast<double>(logged), 1.0)
            << r.f[0].constData();
    }
    EXPECT_EQ(summary.linesRun, static_cast<long long>(runs.size()));

    // The demo's fix script drops RTK fixed every ten minutes: the alarm
    // log holds each drop from its raise to its clearing, and the line log
    // counts the soundings of each line that fall in one.
    std::vector<std::pair<QByteArray, QByteArray>> alarmed;  // raised, cleared
    for (const Row& a : readRows(logs + QStringLiteral("Alarms.csv"))) {
        ASSERT_EQ(a.f.size(), 5);
        if (a.f[1] != "Fix quality") continue;
        if (a.f[2] == "raised") alarmed.push_back({a.f[0], "9999"});
        if (a.f[2] == "cleared") alarmed.back().second = a.f[0];
    }
    ASSERT_GE(alarmed.size(), 3u);
    EXPECT_EQ(alarmed[0].first, "2026-06-01 090400000") << "the first float epoch";
    long long underAlarm = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const Row& r = runs[i];
        long long expected = 0;
        for (const Row& c : coordinates) {
            if (c.f[0] < r.f[2] || c.f[0] >= r.f[5]) continue;
            for (const auto& [from, to] : alarmed)
                expected += c.f[0] >= from && c.f[0] < to ? 1 : 0;
        }
        // The alarm's stamp is the poll that saw it, up to a sounding apart.
        EXPECT_NEAR(r.at(12), static_cast<double>(expected), 2.0 * alarmed.size())
            << r.f[0].constData();
        underAlarm += static_cast<long long>(r.at(12));
    }
    EXPECT_GT(underAlarm, 0);
}

// The autopilot sentences of a simulated survey, received on a loopback UDP
// port and read by an independent parser (pynmea2, checksums checked): the
// cross-track error and the side to steer agree with the guidance of the
// same epoch, and the destination is the end of the line.
TEST(SimulatedLines, AnIndependentParserReadsTheAutopilotAsTheGuidanceHasIt) {
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QStringLiteral("import pynmea2")});
    if (!probe.waitForFinished(20000) || probe.exitCode() != 0)
        GTEST_SKIP() << "pynmea2 is missing: ./setup.sh installs python3-nmea2";
    QTemporaryDir dir;
    QUdpSocket listener;
    ASSERT_TRUE(listener.bind(QHostAddress(QHostAddress::LocalHost), 0));
    // Virtual time sends them all before the first is read: room for them.
    listener.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4 << 20);
    const QString ini = dir.filePath(QStringLiteral("autopilot.INI"));
    test::writeFile(
        ini, test::readFile(kDemoIni) +
                 "\n[GUIDANCE]\nAutopilot=1\nAutopilotRate=10\nAutopilotPort=udp://127.0.0.1:" +
                 QByteArray::number(listener.localPort()) + "\n");
    cli::SimulateOptions o;
    o.ini = ini;
    o.minutes = 8;  // L001 and most of L002: 480 epochs, three sentences each
    o.out = dir.filePath(QStringLiteral("run"));
    o.layout = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/planned_lines.nwl");
    o.lines = true;
    o.wander = 3;
    o.wanderWavelength = 150;
    cli::RunSummary summary;
    QString error;
    ASSERT_TRUE(cli::runSimulation(o, &summary, &error)) << error.toStdString();

    QByteArray sentences;
    while (listener.hasPendingDatagrams())
        sentences += listener.receiveDatagram().data();
    const QString file = dir.filePath(QStringLiteral("sentences.txt"));
    test::writeFile(file, sentences);
    QProcess parser;
    parser.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(NIVORA_SOURCE_DIR "/tests/cli/autopilot_sentences.py"), file});
    ASSERT_TRUE(parser.waitForFinished(60000));
    ASSERT_EQ(parser.exitCode(), 0) << parser.readAllStandardError().constData();
    std::vector<QList<QByteArray>> xte, apb, rmb;
    for (const QByteArray& l : parser.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = l.trimmed().split(',');
        if (f[0] == "XTE") xte.push_back(f);
        if (f[0] == "APB") apb.push_back(f);
        if (f[0] == "RMB") rmb.push_back(f);
    }
    const std::vector<Row> guidance =
        readRows(summary.dayFolder + QStringLiteral("LOG/2026-06-01 Guidance.csv"));
    ASSERT_GT(guidance.size(), 400u);
    ASSERT_EQ(xte.size(), guidance.size()) << "one set of sentences per epoch of the active line";
    ASSERT_EQ(apb.size(), guidance.size());
    ASSERT_EQ(rmb.size(), guidance.size());

    // The lines as run (L002 swapped to be run from its nearer end), as the
    // closing snapshot keeps them.
    const QStringList snapshots = QDir(summary.dayFolder + QStringLiteral("NWL"))
                                      .entryList({QStringLiteral("*.nwl")}, QDir::Files);
    ASSERT_EQ(snapshots.size(), 1);
    CanvasDocument plan;
    ASSERT_TRUE(loadDrawingFile(summary.dayFolder + QStringLiteral("NWL/") + snapshots[0], plan,
                                false, &error));
    std::map<QByteArray, QPointF> ends;
    for (SurveyLine l : readSurveyLines(plan))
        ends[l.name.toLatin1()] = l.end();
    geodesy::FixProjector projector = demoProjector();
    int port = 0, starboard = 0, arrivals = 0;
    double worstEnd = 0;
    for (std::size_t i = 0; i < guidance.size(); ++i) {
        const double logged = guidance[i].at(2);
        // 0.0001 NM is 0.19 m: the field's own resolution.
        EXPECT_NEAR(xte[i][1].toDouble(), logged, 0.0933) << i;
        EXPECT_NEAR(apb[i][1].toDouble(), logged, 0.0933) << i;
        EXPECT_NEAR(rmb[i][1].toDouble(), logged, 0.0933) << i;
        EXPECT_EQ(xte[i][2], "A");
        const QByteArray line = guidance[i].f[1];
        EXPECT_EQ(rmb[i][4], line + "E");
        EXPECT_EQ(apb[i][4], line + "E");
        port += logged < -0.2;
        starboard += logged > 0.2;
        arrivals += apb[i][2] == "A";
        // The destination is where the line ends, on the grid the survey uses.
        const geodesy::FixResult end =
            projector.project(rmb[i][2].toDouble(), rmb[i][3].toDouble(), 38.0);
        ASSERT_TRUE(end.placed());
        const QPointF expected = ends.at(line);
        worstEnd =
            std::max(worstEnd, std::hypot(end.easting - expected.x(), end.northing - expected.y()));
    }
    EXPECT_GT(port, 100);
    EXPECT_GT(starboard, 100);
    EXPECT_GT(arrivals, 2) << "the end of L001 reached";
    EXPECT_LT(worstEnd, 0.01) << "metres from the line's end";
}

}  // namespace
}  // namespace nivora
