#include "app/program.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QLocale>
#include <QPointer>
#include <cstdio>

#include "app/about_box.h"
#include "app/alarm_panel.h"
#include "app/canvas_settings_binder.h"
#include "app/export_dialog.h"
#include "app/helmsman_window.h"
#include "app/joystick_window.h"
#include "app/main_window.h"
#include "app/main_window_jobs.h"
#include "app/message_window.h"
#include "app/realtime_window.h"
#include "app/survey_lines_window.h"
#include "app/theme.h"
#include "app/theme_window.h"
#include "config/ui/config_widgets.h"
#include "config/ui/depth_display_window.h"
#include "config/ui/guidance_window.h"
#include "config/ui/ntrip_window.h"
#include "config/ui/offsets_window.h"
#include "config/ui/quality_window.h"
#include "config/ui/repeater_window.h"
#include "config/ui/settings_window.h"
#include "config/ui/small_windows.h"
#include "config/ui/svp_window.h"
#include "config/ui/vertical_window.h"
#include "core/app_paths.h"
#include "core/stop_signals.h"
#include "echogram/ui/echogram_window.h"
#include "products/sounding_records.h"
#include "sim/configured_simulator.h"
#include "survey/chart_files.h"
#include "survey/chart_session.h"
#include "survey/line_control.h"
#include "survey/realtime_survey.h"
#include "survey/sounding_export.h"
#include "survey/survey_commands.h"
#include "survey/track_selection.h"

namespace nivora {
namespace {

// Tells a setter when a window is shown or hidden.
class VisibilityWatch : public QObject {
  public:
    VisibilityWatch(QWidget* w, std::function<void(bool)> changed)
        : QObject(w), changed_(std::move(changed)) {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Show) changed_(true);
        if (e->type() == QEvent::Hide) changed_(false);
        return false;
    }

  private:
    std::function<void(bool)> changed_;
};

void watchVisibility(QWidget* w, std::function<void(bool)> changed) {
    new VisibilityWatch(w, std::move(changed));
}

}  // namespace

QString programUsage() {
    return QStringLiteral(
        "usage: NivoraDW [--ini PATH] [--realtime] [--screenshots DIR] [--quit-after SECONDS]");
}

std::optional<ProgramOptions> parseProgramOptions(const QStringList& args, QString* error) {
    ProgramOptions o;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](const char* name) -> std::optional<QString> {
            const QString flag = QLatin1String(name);
            if (a.startsWith(flag + QLatin1Char('='))) return a.mid(flag.size() + 1);
            if (i + 1 < args.size()) return args[++i];
            if (error) *error = flag + QStringLiteral(" needs a value");
            return std::nullopt;
        };
        if (a == QLatin1String("--realtime")) {
            o.realtime = true;
        } else if (a == QLatin1String("--ini") || a.startsWith(QLatin1String("--ini="))) {
            const auto v = value("--ini");
            if (!v) return std::nullopt;
            o.iniPath = *v;
        } else if (a == QLatin1String("--screenshots") ||
                   a.startsWith(QLatin1String("--screenshots="))) {
            const auto v = value("--screenshots");
            if (!v) return std::nullopt;
            o.screenshotsDir = *v;
        } else if (a == QLatin1String("--quit-after") ||
                   a.startsWith(QLatin1String("--quit-after="))) {
            const auto v = value("--quit-after");
            if (!v) return std::nullopt;
            bool ok = false;
            o.quitAfterSeconds = v->toDouble(&ok);
            if (!ok || o.quitAfterSeconds < 0) {
                if (error)
                    *error =
                        QStringLiteral("--quit-after needs a number of seconds, not '%1'").arg(*v);
                return std::nullopt;
            }
        } else if (a.startsWith(QLatin1String("-platform")) ||
                   a.startsWith(QLatin1String("-style"))) {
            ++i;  // Qt's own options
        } else {
            if (error) *error = QStringLiteral("unknown argument '%1'").arg(a);
            return std::nullopt;
        }
    }
    return o;
}

Program::Program(const ProgramOptions& options, Clock& clock, TimerSource& timers)
    : options_(options) {
    sinceStart_.start();
    // Every file the survey writes relies on "." decimals and fixed formats.
    QLocale::setDefault(QLocale::c());
    iniPath_ = resolveIniPath(options.iniPath, QCoreApplication::applicationFilePath());
    models_.load(SettingsFile(iniPath_));
    const IniStore ini = models_.file.read();
    const QString theme =
        ini.readString(QString::fromLatin1(TfTheme::kSection), QString::fromLatin1(TfTheme::kKey),
                       QLatin1String(kDefaultTheme));
    applyTheme(theme);
    QApplication::setApplicationDisplayName(QStringLiteral("Nivora DW"));
    // The day's folders are fixed from the date at start.
    folders_ = DayFolders(dataRootFolder(ini), clock.now().date());
    createWindows(clock, timers);
    startSimulator(ini, clock);
    connectWindows();
    connectLines();
    connectAlarms();
    watchSignals();
}

Program::~Program() {
    signalWatch_.reset();
    lines_.reset();
    chart_.reset();
    nav_.reset();
    commands_.reset();
    survey_.reset();
}

void Program::createWindows(Clock& clock, TimerSource& timers) {
    survey_ = std::make_unique<RealtimeSurvey>(models_, folders_, clock, timers);
    RealtimeSurvey& survey = *survey_;
    nav_ = std::make_unique<TFNav>(survey);
    TFNav& nav = *nav_;
    WidgetPrompts& prompts = nav.prompts();
    chart_ = std::make_unique<ChartSession>(survey, nav.canvas().Document(), &prompts);
    commands_ = std::make_unique<SurveyCommands>(survey, chart_.get());
    nav.attach(*chart_);
    SurveyCommands& s = *commands_;
    const SettingsFile& file = models_.file;
    navset_ = new TNavset(models_.navigation, models_.changes, s, file, &nav);
    shape_ = new TFShape(models_.vesselShape, prompts, file, &nav);
    // A second depth history no command shows; it costs nothing and is kept
    // so that every window the program knows exists once.
    waterfall_ = new TfCanvas(models_.echogram, file, prompts, &nav);
    waterfall_->setObjectName(QStringLiteral("TfWaterfall"));
    settings_ = new TFGPS(models_.device, models_.changes, s, prompts, file, &nav);
    new CanvasSettingsBinder(models_.device, models_.changes, nav.canvas(), &nav);
    realtime_ = new TfRealtime(survey, file, &nav);
    messages_ = new TFMsg(&nav);
    offsets_ = new TOffsets(models_.offsets, &models_.svp, s, prompts, file, clock, &nav);
    about_ = new AboutBox(&nav);
    svp_ = new TfSVP(models_.svp, s, prompts, file, &nav);
    runline_ = new TfRunline1(
        &nav.canvas().Document(),
        [this, &nav] {
            // New run lines are new survey lines.
            if (lines_) lines_->refresh();
            nav.canvas().update();
        },
        this, file, &nav);
    latency_ = new TfLatency(models_.latency, s, file, &nav);
    echogram_ = new TfCanvas(models_.echogram, file, prompts, &nav);
    theme_ = new TfTheme(file, &nav);
    joystick_ = new TfJoystick(survey, &nav);
    lines_ = std::make_unique<LineControl>(*chart_);
    helmsman_ = new HelmsmanWindow(
        *lines_, models_.guidance, file, [this] { saveGuidance(); }, &nav);
    lineList_ = new SurveyLinesWindow(*lines_, &nav);
    guidanceSettings_ = new TGuidanceSettings(models_.guidance, models_.changes, file, &nav);
    qualitySettings_ = new TQualitySettings(models_.quality, models_.changes, file, &nav);
    verticalSettings_ = new TVerticalSettings(models_.vertical, file, &nav);
    depthDisplay_ = new TDepthDisplaySettings(models_.depthDisplay, models_.changes, file, &nav);
    repeater_ = new TRepeaterSettings(models_.repeater, file, &nav);
    exportDialog_ = new ExportDialog(&nav);
    exportProgress_ = std::make_unique<FileJobDialog>(&nav);
    soundingExport_ = std::make_unique<SoundingExport>();
    soundingExport_->setView(exportProgress_.get());
    alarmPanel_ = new AlarmPanel(
        survey, models_.quality,
        [this] {
            if (chart_) chart_->saveSettings([this](IniStore& ini) { models_.quality.save(ini); });
        },
        &nav);
}

void Program::exportSoundings() {
    if (soundingExport_->running()) {
        survey_->message(QStringLiteral("An export is running"));
        return;
    }
    exportDialog_->prepare({folders_.dayFolder()}, folders_.dayFolder());
    exportDialog_->open();
}

void Program::runExport() {
    const ExportRequest r = exportDialog_->request();
    QStringList missing;
    const QStringList logs = coordinateLogFiles(r.folders, &missing);
    if (logs.isEmpty()) {
        survey_->reportError(
            QStringLiteral("No coordinate logs in %1")
                .arg(QDir::toNativeSeparators(r.folders.join(QStringLiteral(", ")))));
        return;
    }
    ExportOptions options = r.options;
    options.parameters = models_.device.geodeticParameters();
    options.surveyLines = lines_->lines();
    const ExportFormat format = r.format;
    soundingExport_->start(format, logs, r.path, options, [this, format](const ExportResult& x) {
        if (x.ok) {
            survey_->message(exportSummary(x, format));
        } else if (!x.cancelled) {
            survey_->reportError(x.error);
        }
    });
}

void Program::connectAlarms() {
    nav_->addProductCommands(depthDisplay_, [this] { exportSoundings(); });
    nav_->addOutputCommands(repeater_);
    connect(exportDialog_, &QDialog::accepted, this, &Program::runExport);
    nav_->addAlarmCommands(*alarmPanel_, qualitySettings_, verticalSettings_);
    connect(&models_.changes, &SettingsChanges::qualityChanged, alarmPanel_,
            &AlarmPanel::syncFromSettings);
}

void Program::saveGuidance() {
    // The helmsman's fields say they are done as their window goes, after the chart.
    if (!chart_) return;
    chart_->saveSettings([this](IniStore& ini) { models_.guidance.save(ini); });
    emit models_.changes.guidanceChanged();
}

void Program::connectLines() {
    TFNav& nav = *nav_;
    nav.addLineCommands(
        *lines_, lineList_, helmsman_, guidanceSettings_,
        [this] {
            pickingLine_ = true;
            nav_->prompts().showMessage(QStringLiteral("Click the survey line to run"));
        },
        [this] { saveGuidance(); });
    connect(&nav.canvas(), &TNivoraCanvas::OnWorldMouseDown, this,
            [this](short button, short, short, double x, double y) {
                if (!pickingLine_ || button == mouse_button::Right) return;
                pickingLine_ = false;
                const double tolerance = 3 * nav_->canvas().Document().HitTolerance();
                if (!lines_->activateAt(x, y, tolerance))
                    survey_->message(QStringLiteral("No survey line there"));
            });
    connect(&models_.changes, &SettingsChanges::guidanceChanged, helmsman_,
            &HelmsmanWindow::syncFromSettings);
    // The helmsman's screen comes back where it was when it was open at the last close.
    connect(&nav, &TFNav::firstShowDone, helmsman_, [this] {
        if (WindowWasVisible(*helmsman_, models_.file)) helmsman_->show();
    });
    // A layout opened or lines generated: the lines are read again.
    connect(&chart_->files(), &ChartFiles::captionChanged, lines_.get(),
            [this] { lines_->refresh(); });
}

void Program::startSimulator(const IniStore& ini, Clock& clock) {
    if (!sim::ConfiguredSimulator::wanted(models_.device)) return;
    sim::SimulatorSettings base;
    base.start = clock.now();
    QString error;
    simulator_ = sim::ConfiguredSimulator::create(ini, models_, clock, base, &error);
    if (!simulator_) {
        survey_->reportError(QStringLiteral("The simulated sensors cannot start: ") + error);
        return;
    }
    const TransportFactory serial = [](const QString& device) {
        return makeSerialPortTransport(device);
    };
    survey_->setTransportFactories(simulator_->feed().factory(sim::Device::Gnss, serial),
                                   simulator_->feed().factory(sim::Device::Sounder, serial));
}

void Program::connectWindows() {
    TFNav& nav = *nav_;
    RealtimeSurvey& s = *survey_;
    ChartSession& chart = *chart_;
    TFNav::Windows w;
    w.offsets = offsets_;
    w.navigation = navset_;
    w.settings = settings_;
    w.vesselShape = shape_;
    w.svp = svp_;
    w.runline = runline_;
    w.latency = latency_;
    w.theme = theme_;
    w.realtime = realtime_;
    w.echogram = echogram_;
    w.joystick = joystick_;
    w.about = about_;
    w.messages = messages_;
    w.echogramCommand = [this] {
        echogram_->setBackgroundColour(models_.navigation.backgroundColor);
        echogram_->EchogramClick(models_.device.sensorEnabled);
    };
    w.waterfallCommand = [this] {
        echogram_->setBackgroundColour(models_.navigation.backgroundColor);
        echogram_->AcousticsWaterfallClick();
    };
    w.compactMark = [this](bool compact) { realtime_->setCompactMark(compact); };
    w.beforeClose = [this] {
        // The survey has ended: pictures and the close are not its stalls.
        stallProbe_.stop();
        if (!options_.screenshotsDir.isEmpty()) writeScreenshots(options_.screenshotsDir);
    };
    w.storePlacements = [this] { storePlacements(); };
    echogram_->setErrorReport([&s](const QString& e) { s.reportError(e); });
    nav.setWindows(w);

    // What the survey must know about the windows. The windows are hidden
    // once more while the main window is destroyed, after the chart.
    const auto shown = [&s](SurveyWindow window) {
        return [&s, window](bool v) { s.setWindowShown(window, v); };
    };
    watchVisibility(offsets_, shown(SurveyWindow::Offsets));
    watchVisibility(settings_, shown(SurveyWindow::Monitor));
    watchVisibility(latency_, shown(SurveyWindow::Latency));
    const QPointer<ChartSession> chartAlive(&chart);
    watchVisibility(runline_, [chartAlive](bool v) {
        if (chartAlive) chartAlive->selection().setRunlineWindowShown(v);
    });
    connect(echogram_, &TfCanvas::visibilityChanged, &s,
            [&s](bool v) { s.setWindowShown(SurveyWindow::Echogram, v); });
    connect(echogram_, &TfCanvas::intervalChanged, &s.cycle(), &RealtimeCycle::setEchogramInterval);

    // What the windows show of the survey.
    connect(&s.indicators(), &SurveyIndicators::monitorLineReceived, settings_,
            [this](PortRole role, const QByteArray& line) {
                settings_->appendMonitorLine(role, QString::fromLatin1(line));
            });
    connect(&s.indicators(), &SurveyIndicators::gnssMonitorColourChanged, settings_,
            &TFGPS::setGnssMonitorColour);
    connect(&s.cycle(), &RealtimeCycle::latencyMeasured, latency_, &TfLatency::recordLatency);
    connect(&s.cycle(), &RealtimeCycle::latencyMeasured, latency_,
            [this] { latency_->showReceiverOffset(survey_->receiverClock().text()); });
    connect(&chart.selection(), &TrackSelection::routeDrawn, runline_, &TfRunline1::SetRoute);
    connect(&s.cycle(), &RealtimeCycle::echogramDepthAdded, echogram_, &TfCanvas::addDepth);
    connect(commands_.get(), &SurveyCommands::profileWindowRequested, &nav,
            [this] { nav_->showWindow(svp_); });
    connect(&s, &RealtimeSurvey::echogramShowRequested, echogram_, [this] {
        echogram_->setBackgroundColour(models_.navigation.backgroundColor);
        // Shown by the start of real time, it leaves the keyboard to the
        // chart (F12 marks an event at once); its own command activates it.
        echogram_->setAttribute(Qt::WA_ShowWithoutActivating, true);
        echogram_->show();
        echogram_->setAttribute(Qt::WA_ShowWithoutActivating, false);
    });
    connect(svp_, &TfSVP::profileInUseChanged, offsets_, &TOffsets::setProfileInUse);

    // The real-time data window's toolbar.
    connect(realtime_, &TfRealtime::offsetsRequested, offsets_, [this] {
        offsets_->show();
        offsets_->raise();
    });
    connect(realtime_, &TfRealtime::logFolderRequested, &nav,
            [&nav] { nav.action(QStringLiteral("aOpenLogFolder"))->trigger(); });
    connect(realtime_, &TfRealtime::compactModeToggled, &nav, &TFNav::toggleCompactMode);
    connect(realtime_, &TfRealtime::zoomInRequested, &chart, &ChartSession::zoomIn);
    connect(realtime_, &TfRealtime::zoomOutRequested, &chart, &ChartSession::zoomOut);
    realtime_->setStartupAction([this] { settings_->reapplyFamilyDisplay(); });

    connect(&nav, &TFNav::firstShowDone, this, [this] {
        // --realtime presses the Offsets window's button once, with its checks.
        if (options_.realtime) offsets_->RealtimeClick();
        if (options_.quitAfterSeconds >= 0) {
            QTimer::singleShot(static_cast<int>(options_.quitAfterSeconds * 1000), this,
                               &Program::close);
        }
    });
}

void Program::storePlacements() {
    // In the close: a file that cannot be written is reported (message
    // window and events log), never asked about.
    QString error;
    std::vector<QWidget*> windows = {
        offsets_,         navset_,           nav_.get(),    realtime_, svp_,
        runline_,         joystick_,         helmsman_,     lineList_, guidanceSettings_,
        qualitySettings_, verticalSettings_, depthDisplay_, repeater_};
    // The corrections' window belongs to the main window.
    if (auto* ntrip = nav_->findChild<TNtripSettings*>()) windows.push_back(ntrip);
    for (QWidget* w : windows) {
        if (!SaveWindowPlacement(*w, models_.file, &error)) {
            survey_->reportError(error);
            return;  // one report is enough: the file is not writable
        }
    }
    // The echogram keeps its keys with its placement, also when it was never closed itself.
    if (!echogram_->saveKeysAndPlacement(&error)) survey_->reportError(error);
}

void Program::start() {
    if (const int measure = qEnvironmentVariableIntValue("NIVORA_MEASURE"))
        startMeasuring(measure == 2);
    nav_->show();
}

namespace {

// The first paint of the chart ends the start-up.
class FirstPaint : public QObject {
  public:
    FirstPaint(QObject* parent, std::function<void()> painted)
        : QObject(parent), painted_(std::move(painted)) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && painted_) {
            painted_();
            painted_ = nullptr;
            o->removeEventFilter(this);
        }
        return false;
    }

  private:
    std::function<void()> painted_;
};

}  // namespace

void Program::startMeasuring(bool everyWindow) {
    nav_->canvas().installEventFilter(
        new FirstPaint(this, [this] { firstFrameMs_ = sinceStart_.elapsed(); }));
    stallProbe_.setInterval(5);
    connect(&stallProbe_, &QTimer::timeout, this, [this] {
        const qint64 stall = sinceProbe_.restart() - 5;
        longestStallMs_ = std::max(longestStallMs_, stall);
        stallsOver20Ms_ += stall > 20;
        stallsOver50Ms_ += stall > 50;
    });
    // The survey's stalls, not the start-up's: from a second after the first show.
    connect(nav_.get(), &TFNav::firstShowDone, this, [this, everyWindow] {
        if (everyWindow) {
            for (QWidget* w : std::initializer_list<QWidget*>{
                     navset_, shape_, waterfall_, settings_, realtime_, messages_, offsets_, svp_,
                     runline_, latency_, echogram_, theme_, joystick_})
                w->show();
        }
        QTimer::singleShot(1000, this, [this] {
            sinceProbe_.start();
            stallProbe_.start();
        });
    });
    connect(nav_.get(), &TFNav::closed, this, [this] {
        std::fprintf(stderr,
                     "NivoraDW: start-up to first frame %lld ms; longest UI-thread stall %lld ms; "
                     "stalls over 20 ms: %lld, over 50 ms: %lld\n",
                     static_cast<long long>(firstFrameMs_), static_cast<long long>(longestStallMs_),
                     static_cast<long long>(stallsOver20Ms_),
                     static_cast<long long>(stallsOver50Ms_));
    });
}

void Program::close() {
    if (closing_) return;
    closing_ = true;
    nav_->close();
}

QStringList Program::writeScreenshots(const QString& dir) const {
    QStringList written;
    QDir().mkpath(dir);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->objectName().isEmpty()) continue;
        const QString path = QDir(dir).filePath(w->objectName() + QStringLiteral(".png"));
        if (w->grab().save(path)) written << path;
    }
    return written;
}

void Program::watchSignals() {
    // A shutdown of the boat's computer must keep the snapshot and the view.
    signalWatch_ = std::make_unique<StopSignalWatch>([this](int) { close(); });
}

void Program::AppendEventLog(const QString& message) {
    survey_->logs().AppendEventLog(message);
}

void Program::StartRouteDrawing() {
    nav_->canvas().setTool(tool::Polyline);
}

void Program::ShowMessage(const QString& text) {
    nav_->prompts().showMessage(text);
}

void Program::RestoreWindowPlacement(QWidget& window) {
    nivora::RestoreWindowPlacement(window, models_.file);
}

}  // namespace nivora
