// nivora survey: real time on the settings' ports without a screen, for an
// unmanned boat or a small computer aboard. The same session, checks, logs
// and close sequence as the program; what the windows would show goes to
// standard error with the time.

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>

#include "canvas/canvas_document.h"
#include "config/offsets_model.h"
#include "core/app_paths.h"
#include "core/clock.h"
#include "core/number_text.h"
#include "core/stop_signals.h"
#include "sim/configured_simulator.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"
#include "survey/survey_commands.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

constexpr int kProgressIntervalMs = 5000;

void say(const char* kind, const QString& text) {
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"));
    std::fprintf(stderr, "%s %s%s\n", now.toLocal8Bit().constData(), kind,
                 text.toLocal8Bit().constData());
}

// Nobody is there to answer: questions get No and Cancel, as unanswered.
class ConsolePrompts final : public OperatorPrompts {
  public:
    void showMessage(const QString& text) override { say("", text); }
    void showWarning(const QString& text) override { say("warning: ", text); }
    void showError(const QString& text) override { say("error: ", text); }
    bool askOkCancel(const QString&) override { return false; }
    QString chooseOpenFile(const QString&, const QString&, const QString&) override { return {}; }
};

}  // namespace

int runLiveSurvey(const Arguments& args) {
    const auto ini = args.value(QStringLiteral("--ini"));
    if (!ini) return usageError(QStringLiteral("survey needs --ini FILE"));
    QString unreadable;
    if (!settingsReadable(*ini, &unreadable)) return fail(unreadable);
    double minutes = 0;
    if (const auto m = args.value(QStringLiteral("--minutes"))) {
        const auto v = toNumber(*m);
        if (!v || *v <= 0 || *v > 366 * 24 * 60)
            return usageError(QStringLiteral("--minutes needs a number of minutes up to a year"));
        minutes = *v;
    }
    // Every file the survey writes relies on "." decimals.
    QLocale::setDefault(QLocale::c());

    SurveyModels models;
    models.load(SettingsFile(*ini));
    const IniStore store = models.file.read();
    const QString root = args.value(QStringLiteral("--out")).value_or(dataRootFolder(store));
    Clock& clock = SystemClock::instance();
    const DayFolders folders(root, clock.now().date());
    CanvasDocument doc;
    ConsolePrompts prompts;
    RealtimeSurvey survey(models, folders, clock, QtTimerSource::instance());
    // The chart keeps the track and events for the closing snapshot.
    ChartSession chart(survey, doc, &prompts);
    SurveyCommands commands(survey, &chart);
    long long errors = 0;
    QObject::connect(&survey, &RealtimeSurvey::messagePosted,
                     [](const QString& text) { say("", text); });
    QObject::connect(&survey, &RealtimeSurvey::errorPosted, [&errors](const QString& text) {
        ++errors;
        say("error: ", text);
    });

    std::unique_ptr<sim::ConfiguredSimulator> simulator;
    if (sim::ConfiguredSimulator::wanted(models.device)) {
        sim::SimulatorSettings base;
        base.start = clock.now();
        QString error;
        simulator = sim::ConfiguredSimulator::create(store, models, clock, base, &error);
        if (!simulator) return fail(QStringLiteral("the simulated sensors cannot start: ") + error);
        const TransportFactory serial = &makeSerialPortTransport;
        survey.setTransportFactories(simulator->feed().factory(sim::Device::Gnss, serial),
                                     simulator->feed().factory(sim::Device::Sounder, serial));
    }

    chart.firstShow();
    const OffsetsCheck check = confirmOffsetsAndStart(
        models.offsets, {commands, prompts, models.file, models.svp.profileInUse()});
    if (!check.ok || !survey.running())
        return fail(QStringLiteral("real time did not start: ") + check.message);
    say("", QStringLiteral("Surveying into %1; stop with Ctrl+C or SIGTERM")
                .arg(QDir::cleanPath(QFileInfo(folders.dayFolder()).absoluteFilePath())));

    bool closed = false;
    QString snapshot;
    const auto close = [&] {
        if (closed) return;
        closed = true;
        snapshot = chart.closeSequence();
        QCoreApplication::quit();
    };
    StopSignalWatch stopWatch([&](int) { close(); });
    QTimer end;
    end.setSingleShot(true);
    if (minutes > 0) {
        QObject::connect(&end, &QTimer::timeout, close);
        end.start(static_cast<int>(std::min(minutes * 60000.0, 2.0e9)));
    }
    const SurveyLogs& logs = survey.logs();
    const TNivoraSerialGPS& gnss = survey.gnss();
    const TNivoraSerialGPS& sounder = survey.sounder();
    const auto rowsWritten = [&logs] {
        return logs.queuedCoordinateRows() - static_cast<quint64>(logs.waitingCoordinateRows());
    };
    // A line every few seconds: a survey without a screen must show it is alive.
    QTimer progress;
    progress.setInterval(kProgressIntervalMs);
    QObject::connect(&progress, &QTimer::timeout, [&] {
        say("", QStringLiteral("progress: %1 rows, %2 lost; GNSS %3 lines, echosounder %4 lines")
                    .arg(rowsWritten())
                    .arg(logs.lostCoordinateRows())
                    .arg(gnss.linesRead())
                    .arg(sounder.linesRead()));
    });
    progress.start();
    if (!closed) QCoreApplication::exec();
    progress.stop();

    const quint64 waiting = static_cast<quint64>(logs.waitingCoordinateRows());
    const quint64 written = rowsWritten();
    const quint64 lost = logs.lostCoordinateRows() + waiting;
    const quint64 rawLost = gnss.rawLinesLost() + sounder.rawLinesLost();
    std::printf(
        "GNSS on %s: %llu lines, %llu reconnections\n"
        "Sounder on %s: %llu lines, %llu reconnections\n"
        "Coordinate rows: %llu written, %llu lost\n"
        "Raw log lines lost: %llu\n"
        "Errors: %lld\n",
        gnss.portDisplayName().toLocal8Bit().constData(),
        static_cast<unsigned long long>(gnss.linesRead()),
        static_cast<unsigned long long>(gnss.reconnections()),
        sounder.portDisplayName().toLocal8Bit().constData(),
        static_cast<unsigned long long>(sounder.linesRead()),
        static_cast<unsigned long long>(sounder.reconnections()),
        static_cast<unsigned long long>(written), static_cast<unsigned long long>(lost),
        static_cast<unsigned long long>(rawLost), errors);
    std::fflush(stdout);

    // A run that lost anything, or logged nothing, must not look like one
    // that worked: the reason, and exit status 1.
    QStringList wrong;
    if (written == 0) {
        QStringList why;
        for (const TNivoraSerialGPS* r : {&gnss, &sounder}) {
            if (r->linesRead() == 0 && !r->openError().isEmpty())
                why << r->portDescription() + QStringLiteral(" did not open: ") + r->openError();
        }
        if (why.isEmpty() && sounder.linesRead() == 0)
            why << QStringLiteral("the echosounder sent nothing");
        wrong << QStringLiteral("no sounding was logged") +
                     (why.isEmpty() ? QString()
                                    : QStringLiteral(" (") + why.join(QStringLiteral("; ")) +
                                          QLatin1Char(')'));
    }
    if (lost > 0) wrong << QStringLiteral("%1 coordinate rows were lost").arg(lost);
    if (rawLost > 0) wrong << QStringLiteral("%1 raw log lines were lost").arg(rawLost);
    if (snapshot.isEmpty()) wrong << QStringLiteral("the closing layout snapshot was not written");
    if (!wrong.isEmpty()) {
        fail(wrong.join(QStringLiteral("; ")));
        return 1;
    }
    return 0;
}

}  // namespace nivora::cli
