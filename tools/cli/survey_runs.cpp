#include "tools/cli/survey_runs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "canvas/canvas_document.h"
#include "core/clock.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "files/drawing_files.h"
#include "files/runlines.h"
#include "guidance/survey_line_layer.h"
#include "sensors/line_assembler.h"
#include "sim/configured_simulator.h"
#include "sim/geodesy_grid.h"
#include "sim/sentences.h"
#include "sim/sim_ports.h"
#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/line_control.h"
#include "survey/realtime_survey.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

// A survey without a screen: errors go to standard error.
struct ConsoleView {
    long long errors = 0;
    void attach(RealtimeSurvey& survey) {
        QObject::connect(&survey, &RealtimeSurvey::errorPosted, [this](const QString& text) {
            ++errors;
            std::fprintf(stderr, "nivora: %s\n", text.toLocal8Bit().constData());
        });
    }
};

// The settings file is copied into the output folder: a run never changes
// the surveyor's own file, and the copy documents the run.
bool copyIni(const QString& from, const QString& outDir, QString* copy, QString* error) {
    if (!cli::settingsReadable(from, error)) return false;
    if (!QDir().mkpath(outDir)) {
        *error = QStringLiteral("cannot create %1").arg(outDir);
        return false;
    }
    *copy = QDir(outDir).filePath(QStringLiteral("NivoraDW.INI"));
    QFile::remove(*copy);
    if (!QFile::copy(from, *copy)) {
        *error = QStringLiteral("cannot write %1").arg(*copy);
        return false;
    }
    QFile::setPermissions(*copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}

// Ports as the run needs them: the device texts, raw logs with time stamps.
void preparePorts(SurveyModels& models, const QString& port) {
    for (PortSettings* p : {&models.device.gps, &models.device.sensor}) {
        p->port = port;
        p->nmeaLog = QStringLiteral("True");
        p->logTime = QStringLiteral("True");
        if (!toInteger(p->delay) || *toInteger(p->delay) < 1) p->delay = QStringLiteral("50");
    }
    models.device.sensorEnabled = true;
}

long long countRows(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    long long lines = 0;
    while (!f.atEnd())
        lines += f.readLine().endsWith('\n') ? 1 : 0;
    return std::max(0LL, lines - 1);
}

}  // namespace

bool runSimulation(const SimulateOptions& o, RunSummary* summary, QString* error) {
    QString iniPath;
    if (!copyIni(o.ini, o.out, &iniPath, error)) return false;
    const IniStore ini(iniPath);

    SurveyModels models;
    models.load(SettingsFile(iniPath));
    preparePorts(models, QStringLiteral("SIM"));
    if (!o.family.isEmpty()) {
        const EchosounderFamily* family = findEchosounderFamily(o.family);
        if (!family) {
            *error = QStringLiteral("unknown echosounder family '%1'").arg(o.family);
            return false;
        }
        models.device.chooseFamily(o.family);
        if (o.family == QLatin1String("OTHER"))
            models.device.sbesFormat = QLatin1String(sim::kOtherFamilyPattern);
        // The copy in the output folder says how the run was made, so that
        // replaying its raw logs with it reads them the same way.
        IniStore copy(iniPath);
        copy.writeString(QStringLiteral("SENSOR COMUNICATION SETTINGS"),
                         QStringLiteral("cSBESMessage"), models.device.sbesMessage);
        copy.writeString(QStringLiteral("SENSOR COMUNICATION SETTINGS"),
                         QStringLiteral("eSBESFormat"), models.device.sbesFormat);
        if (!copy.save()) {
            *error = copy.errorString();
            return false;
        }
    }

    sim::SimulatorSettings s;
    s.start = o.start;
    s.gnssRateHz = o.gnssRateHz;
    s.sounderRateHz = o.sounderRateHz;
    s.noise = o.noise;
    s.badChecksumRate = o.badChecksumRate;
    s.garbageRate = o.garbageRate;
    s.seed = o.seed;
    s.wander = {o.wander, o.wanderWavelength};
    CanvasDocument doc;
    if (!o.layout.isEmpty()) {
        if (!loadDrawingFile(o.layout, doc, false, error)) return false;
        for (const SurveyLine& l : readSurveyLines(doc)) {
            sim::PlanLine line;
            for (const QPointF& p : l.points)
                line.emplace_back(p.x(), p.y());
            s.lines.push_back(std::move(line));
        }
        if (s.lines.empty()) {
            *error =
                o.layout + QStringLiteral(": no survey lines on the layer ") + kRunlineLayerName;
            return false;
        }
    }
    VirtualTime vt(o.start);
    auto simulator = sim::ConfiguredSimulator::create(ini, models, vt, s, error);
    if (!simulator) {
        *error = o.ini + QStringLiteral(": ") + *error;
        return false;
    }
    sim::SimulatorFeed& feed = simulator->feed();
    feed.setLatency(sim::Device::Gnss, std::llround(o.gnssLatencyMs));
    feed.setLatency(sim::Device::Sounder, std::llround(o.sounderLatencyMs));

    const DayFolders folders(o.out, o.start.date());
    ConsoleView view;
    if (o.lines && o.layout.isEmpty()) {
        const int layer = doc.LayerOpen(kRunlineLayerName);
        for (const sim::PlanLine& l : feed.simulator().plan().lines()) {
            std::vector<QPointF> points;
            for (const auto& [x, y] : l)
                points.emplace_back(x, y);
            doc.DrawPolyline(points, layer, false);
        }
    }
    // Virtual time runs far ahead of the disk: the logs wait for it.
    RealtimeSurvey survey(models, folders, vt, vt, LogWriter::WhenFull::WaitForWriter);
    // The chart lays the track and labels the closing snapshot keeps.
    ChartSession chart(survey, doc);
    view.attach(survey);
    survey.setTransportFactories(feed.factory(sim::Device::Gnss),
                                 feed.factory(sim::Device::Sounder));
    LineControl lines(chart);
    if (!lines.lines().empty()) lines.setActive(0);

    QFile truth(QDir(o.out).filePath(QStringLiteral("truth.csv")));
    if (!truth.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1").arg(truth.fileName());
        return false;
    }
    truth.write(
        "time,easting,northing,latitude,longitude,true_depth,raw_hi,raw_lo,line,cross_track\n");
    std::string row;
    feed.setTruthSink([&](const sim::TruthRow& t) {
        row = dateTimeText(t.time).toStdString();
        for (double v :
             {t.easting, t.northing, t.latitude, t.longitude, t.trueDepth, t.rawHigh, t.rawLow}) {
            row += ',';
            appendShortest(row, v);
        }
        row += ',';
        if (t.line >= 0) row += std::to_string(t.line + 1);
        row += ',';
        if (t.line >= 0) appendFixed(row, t.crossTrack, 4);
        row += '\n';
        truth.write(row.data(), static_cast<qint64>(row.size()));
    });

    survey.RealtimeClick();
    const qint64 total = static_cast<qint64>(o.minutes * 60000.0);
    for (qint64 t = 0; t < total;) {
        t = std::min(total, t + 1000);
        vt.advanceTo(t);
        if (o.everySecond) o.everySecond(t);
    }
    chart.files().saveSnapshot();
    survey.RealtimeClick();
    survey.flushLogs();
    truth.close();

    if (summary) {
        summary->dayFolder = folders.dayFolder();
        summary->gnssEpochs = feed.simulator().gnssEpochs();
        summary->soundings = feed.simulator().soundings();
        summary->rows = countRows(folders.coordinateLogPath());
        summary->errors = view.errors;
        summary->surveyLines = static_cast<long long>(lines.lines().size());
        summary->linesRun = countRows(folders.lineLogPath(o.start.date()));
        summary->interpolatedRows = survey.timeline().interpolated();
        summary->lastFixRows = survey.timeline().lastFix();
        if (const auto o = survey.receiverClock().offset()) summary->receiverOffsetMs = o->meanMs;
    }
    return true;
}

namespace {

struct StampedLine {
    QDateTime time;
    QByteArray line;
    bool gnss;
};

// "YYYY-MM-DD hhnnsszzz line" as the raw logs write it with time stamps.
bool readStampedLog(const QString& path, bool gnss, std::vector<StampedLine>& out, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, f.errorString());
        return false;
    }
    long long lineNo = 0;
    while (!f.atEnd()) {
        const QByteArray raw = f.readLine(1 << 20);
        ++lineNo;
        const std::string_view l =
            trimLine(std::string_view(raw.constData(), static_cast<std::size_t>(raw.size())));
        if (l.empty()) continue;
        const QDateTime t = l.size() > 21
                                ? QDateTime::fromString(QString::fromLatin1(l.data(), 20),
                                                        QStringLiteral("yyyy-MM-dd HHmmsszzz"))
                                : QDateTime();
        if (!t.isValid() || l[20] != ' ') {
            *error = QStringLiteral("%1 line %2: replay needs raw logs written with time stamps")
                         .arg(path)
                         .arg(lineNo);
            return false;
        }
        out.push_back({t, QByteArray(l.data() + 21, static_cast<qsizetype>(l.size() - 21)), gnss});
    }
    return true;
}

}  // namespace

bool runReplay(const ReplayOptions& o, RunSummary* summary, QString* error) {
    std::vector<StampedLine> lines;
    if (!readStampedLog(o.gnssLog, true, lines, error) ||
        !readStampedLog(o.sounderLog, false, lines, error)) {
        return false;
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const StampedLine& a, const StampedLine& b) { return a.time < b.time; });
    auto firstGnss =
        std::find_if(lines.begin(), lines.end(), [](const StampedLine& l) { return l.gnss; });
    if (firstGnss == lines.end()) {
        *error = QStringLiteral("%1 holds no lines").arg(o.gnssLog);
        return false;
    }

    QString iniPath;
    if (!copyIni(o.ini, o.out, &iniPath, error)) return false;
    SurveyModels models;
    models.load(SettingsFile(iniPath));
    preparePorts(models, QStringLiteral("REPLAY"));

    // The readers polled at real time's start plus whole poll periods and
    // stamped each line with its poll: the first GNSS line came at the first one.
    const int poll = std::max(1, toInteger(models.device.gps.delay).value_or(50));
    const QDateTime start = firstGnss->time.addMSecs(-poll);
    VirtualTime vt(start);
    const DayFolders folders(o.out, start.date());
    CanvasDocument doc;
    ConsoleView view;
    RealtimeSurvey survey(models, folders, vt, vt, LogWriter::WhenFull::WaitForWriter);
    ChartSession chart(survey, doc);
    view.attach(survey);
    MemoryTransport* gnssPort = nullptr;
    MemoryTransport* sounderPort = nullptr;
    survey.setTransportFactories(MemoryTransport::factory(gnssPort),
                                 MemoryTransport::factory(sounderPort));
    survey.RealtimeClick();
    if (!gnssPort || !sounderPort) {
        *error = QStringLiteral("the replay ports did not open");
        return false;
    }
    long long gnssLines = 0, sounderLines = 0;
    for (const StampedLine& l : lines) {
        // The bytes are waiting just before the poll that read them.
        vt.advanceTo(std::max<qint64>(vt.elapsedMs(), start.msecsTo(l.time) - 1));
        (l.gnss ? gnssPort : sounderPort)->push(l.line + '\n', l.time.toMSecsSinceEpoch());
        ++(l.gnss ? gnssLines : sounderLines);
    }
    vt.advanceTo(start.msecsTo(lines.back().time) + poll);
    chart.files().saveSnapshot();
    survey.RealtimeClick();

    if (summary) {
        summary->dayFolder = folders.dayFolder();
        summary->gnssEpochs = gnssLines;
        summary->soundings = sounderLines;
        summary->rows = countRows(folders.coordinateLogPath());
        summary->errors = view.errors;
        summary->interpolatedRows = survey.timeline().interpolated();
        summary->lastFixRows = survey.timeline().lastFix();
    }
    return true;
}

}  // namespace nivora::cli
