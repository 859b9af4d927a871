// The main window's commands: every menu item, toolbar button and shortcut,
// each bound to a survey or chart command or a window.

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QProcess>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/main_window.h"
#include "app/message_window.h"
#include "sensors/receiver_presets.h"
#include "survey/chart_files.h"
#include "survey/track_selection.h"

namespace nivora {

QAction* TFNav::addAction(const char* name, const QString& text, IconId icon,
                          std::function<void()> run, const QKeySequence& shortcut) {
    auto* a = new QAction(nivoraIcon(icon), text, this);
    a->setObjectName(QLatin1String(name));
    // On the window itself: a shortcut works also while the menu bar and
    // the toolbars are hidden (compact mode).
    QWidget::addAction(a);
    // The hint keeps the command's name when a caption is only an icon.
    a->setToolTip(text.section(QLatin1Char('\t'), 0, 0));
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [run = std::move(run)] { run(); });
    return a;
}

QAction* TFNav::action(const QString& name) const {
    return findChild<QAction*>(name);
}

void TFNav::showWindow(QWidget* w) {
    if (!w) return;
    w->show();
    w->raise();
}

void TFNav::buildActions() {
    ChartSession& chart = *chart_;
    ChartFiles& f = chart.files();
    TrackSelection& s = chart.selection();
    TNivoraCanvas& c = *canvas_;
    const QKeySequence none;

    // File
    addAction(
        "aNew", QStringLiteral("New"), IconId::NewLayout, [&f] { f.newLayout(); },
        QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(
        "aOpen", QStringLiteral("Open..."), IconId::Open, [&f] { f.openLayout(); },
        QKeySequence(Qt::CTRL | Qt::Key_O));
    addAction(
        "aSave", QStringLiteral("Save"), IconId::Save, [&f] { f.saveSnapshot(); },
        QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(
        "aSaveAs", QStringLiteral("Save As..."), IconId::Save, [&f] { f.saveLayoutAs(); },
        QKeySequence(Qt::CTRL | Qt::Key_W));
    addAction(
        "aImport", QStringLiteral("Import..."), IconId::Import, [&f] { f.importDxf(); },
        QKeySequence(Qt::CTRL | Qt::Key_I));
    addAction(
        "aExport", QStringLiteral("Export..."), IconId::Export, [&f] { f.exportDxf(); },
        QKeySequence(Qt::CTRL | Qt::Key_X));
    addAction(
        "aExit", QStringLiteral("Exit"), IconId::Exit,
        // The close sequence saves the snapshot (a Save of its own before
        // it would only write a second one).
        [this] { close(); }, QKeySequence(Qt::CTRL | Qt::Key_Q));

    // Zoom. Ctrl+I, Ctrl+O and Ctrl+W belong to the File items above; a
    // shortcut is shown only beside the command it runs.
    addAction("aZoomIn", QStringLiteral("In"), IconId::ZoomIn, [&chart] { chart.zoomIn(); });
    addAction("aZoomOut", QStringLiteral("Out"), IconId::ZoomOut, [&chart] { chart.zoomOut(); });
    addAction(
        "aZoomExtents", QStringLiteral("Extents"), IconId::ZoomExtents,
        [&chart] { chart.zoomExtents(); }, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E));
    addAction("aZoomWindow", QStringLiteral("Window"), IconId::ZoomWindow,
              [&c] { c.setTool(tool::ZoomWindow); });
    addAction(
        "aZoomDynamic", QStringLiteral("Dynamic"), IconId::ZoomDynamic,
        [&c] { c.setTool(tool::DynamicZoom); }, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D));

    // Tools
    addAction("aOffsets", QStringLiteral("Offsets..."), IconId::Offsets,
              [this] { showWindow(windows_.offsets); });
    addAction(
        "aDeviceSettings", QStringLiteral("Device Settings..."), IconId::Settings,
        [this] { showWindow(windows_.settings); }, QKeySequence(Qt::Key_F10));
    addAction("aEchogram", QStringLiteral("Echogram..."), IconId::Echogram, [this] {
        if (windows_.echogramCommand) windows_.echogramCommand();
    });
    addAction("aGenerateRunline", QStringLiteral("Generate Runline..."), IconId::Runline,
              [this, &f] {
                  f.saveSnapshot();
                  showWindow(windows_.runline);
              });
    addAction("aSoundVelocity", QStringLiteral("Sound Velocity Profile..."), IconId::SoundVelocity,
              [this] { showWindow(windows_.svp); });
    addAction("aNavigationSettings", QStringLiteral("Navigation Settings..."), IconId::Navigation,
              [this] { showWindow(windows_.navigation); });
    addAction("aVesselShape", QStringLiteral("Vessel Shape..."), IconId::VesselShape,
              [this] { showWindow(windows_.vesselShape); });
    addAction(
        "aOpenLogFolder", QStringLiteral("Open Log Folder"), IconId::LogFolder,
        [this] { openLogFolder(); }, QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction("aLatency", QStringLiteral("Latency Watch/Set"), IconId::Latency,
              [this] { showWindow(windows_.latency); });
    addAction("aTheme", QStringLiteral("Theme Selection..."), IconId::Theme,
              [this] { showWindow(windows_.theme); });
    turkishAction_ = addAction(
        "aTurkish", QStringLiteral("Türkçe"), IconId::About, [] {},
        QKeySequence(Qt::CTRL | Qt::Key_T));
    englishAction_ = addAction(
        "aEnglish", QStringLiteral("English"), IconId::About, [this] { EnglishClick(); },
        QKeySequence(Qt::CTRL | Qt::Key_E));
    auto* language = new QActionGroup(this);
    for (QAction* a : {turkishAction_, englishAction_}) {
        a->setIcon(QIcon());
        a->setCheckable(true);
        language->addAction(a);
    }
    englishAction_->setChecked(true);

    // Edit
    addAction("aClearFixed", QStringLiteral("Clear tracks fixed"), IconId::ClearFixed,
              [&s] { s.clearTracks(TrackClass::Fixed); });
    addAction("aClearUnfixed", QStringLiteral("Clear tracks unfixed"), IconId::ClearFloat,
              [&s] { s.clearTracks(TrackClass::Float); });
    addAction("aDeleteTracksSelected", QStringLiteral("Delete tracks selected"),
              IconId::DeleteSelected, [&s] { s.deleteSelected(); });
    addAction(
        "aMarkEvent", QStringLiteral("Mark Event"), IconId::AddEvent,
        [&chart] { chart.markEvent(); }, QKeySequence(Qt::Key_F12));
    addAction("aFollow", QStringLiteral("Follow vessel"), IconId::Follow,
              [&chart] { chart.setFollowVessel(true); });
    addAction("aNoFollow", QStringLiteral("Do not follow vessel"), IconId::NoFollow,
              [&chart] { chart.setFollowVessel(false); });
    addAction("aClearUserShapes", QStringLiteral("Clear shapes user added"),
              IconId::ClearUserShapes, [&s] { s.clearUserShapes(); });

    // Window
    addAction("aOffsetsEssential", QStringLiteral("Offsets Essential..."), IconId::Offsets,
              [this] { showWindow(windows_.offsets); });
    addAction("aWaterfall", QStringLiteral("Acoustics Waterfall..."), IconId::Echogram, [this] {
        if (windows_.waterfallCommand) windows_.waterfallCommand();
    });
    addAction("aNavigationWindow", QStringLiteral("Navigation Settings..."), IconId::Navigation,
              [this] { showWindow(windows_.navigation); });
    addAction("aRealtimeWindow", QStringLiteral("Realtime Window..."), IconId::RealtimeWindow,
              [this] { showWindow(windows_.realtime); });

    // Help
    addAction("aRemoteSupport", QStringLiteral("Remote Support..."), IconId::About,
              [this] { remoteSupport(); });
    addAction("aAbout", QStringLiteral("About..."), IconId::About, [this] {
        if (auto* about = qobject_cast<QDialog*>(windows_.about)) about->exec();
    });

    // Toolbar-only commands
    addAction("btRunline", QStringLiteral("Runline"), IconId::Runline,
              [this] { showWindow(windows_.runline); });
    addAction("btSettings", QStringLiteral("Settings"), IconId::Settings,
              [this] { showWindow(windows_.settings); });
    addAction("btFixed", QStringLiteral("Fixed"), IconId::ClearFixed,
              [&s] { s.clearTracks(TrackClass::Fixed); });
    addAction("btFloat", QStringLiteral("Float"), IconId::ClearFloat,
              [&s] { s.clearTracks(TrackClass::Float); });
    addAction("btAuto", QStringLiteral("Auto"), IconId::ClearAuto,
              [&s] { s.clearTracks(TrackClass::NoFix); });
    addAction("btSelectTrack", QStringLiteral("Select Track"), IconId::SelectTrack,
              [&s] { s.selectTracks(); });
    addAction("btDeleteSelected", QStringLiteral("Delete Slected"), IconId::DeleteSelected, [&s] {
        s.deleteButtonUsed();
        s.deleteSelected();
    });
    addAction("btFollow", QStringLiteral("Follow"), IconId::Follow,
              [&chart] { chart.setFollowVessel(true); });
    addAction("btNoFollow", QStringLiteral("No follow"), IconId::NoFollow,
              [&chart] { chart.setFollowVessel(false); });
    addAction("btOpen", QStringLiteral("Open"), IconId::Open, [&f] { f.openLayout(); });
    addAction("btSave", QStringLiteral("Save"), IconId::Save, [&f] { f.saveSnapshot(); });
    addAction("btZoomIn", QStringLiteral("Zoom In"), IconId::ZoomIn, [&chart] { chart.zoomIn(); });
    addAction("btZoomOut", QStringLiteral("Zoom Out"), IconId::ZoomOut,
              [&chart] { chart.zoomOut(); });
    addAction("btZoomExtents", QStringLiteral("Extents"), IconId::ZoomExtents,
              [&chart] { chart.zoomExtents(); });
    addAction("btZoomWindow", QStringLiteral("Window"), IconId::ZoomWindow,
              [&c] { c.setTool(tool::ZoomWindow); });
    addAction("btZoomDynamic", QStringLiteral("Dynamic"), IconId::ZoomDynamic,
              [&c] { c.setTool(tool::DynamicZoom); });
    // The hand: the pan tool the wheel also selects.
    addAction("btPan", QStringLiteral("Pan"), IconId::Pan, [&c] { c.setTool(tool::Pan); });
    addAction("bMouseSelect", QStringLiteral("Select"), IconId::ShapeSelect,
              [&s] { s.selectShapes(); });
    addAction("btClearUserShapes", QStringLiteral("Clear User Shapes"), IconId::ClearUserShapes,
              [&s] { s.clearUserShapes(); });
    addAction("btAddEvent", QStringLiteral("Add Event"), IconId::AddEvent,
              [&chart] { chart.markEvent(); });
    addAction("btResetEvent", QStringLiteral("Reset Event"), IconId::ResetEvent,
              [&chart] { chart.resetEventNumbering(); });
    addAction("btExit", QStringLiteral("Exit"), IconId::Exit, [this] { exitButton(); });
    addAction("btRestart", QStringLiteral("Restart"), IconId::Restart, [this] { restartButton(); });

    // Drawing tools, top to bottom.
    const struct {
        const char* name;
        const char* text;
        IconId icon;
        Tool tool;
    } tools[] = {
        {"tbPoint", "Point", IconId::ToolPoint, tool::Point},
        {"tbLine", "Line", IconId::ToolLine, tool::Line},
        {"tbRectangle", "Rectangle", IconId::ToolRectangle, tool::Rectangle},
        {"tbPolyline", "Polyline", IconId::ToolPolyline, tool::Polyline},
        {"tbEllipse", "Ellipse", IconId::ToolEllipse, tool::Ellipse},
        {"tbPolygon", "Polygon", IconId::ToolPolygon, tool::Polygon},
        {"tbCurve", "Curve", IconId::ToolCurve, tool::Curve},
        {"tbArc", "Arc", IconId::ToolArc, tool::Arc},
        {"tbCircle", "Circle", IconId::ToolCircle, tool::Circle},
    };
    for (const auto& t : tools) {
        const Tool chosen = t.tool;
        // The left toolbar's tools leave KeepTool as it is.
        addAction(t.name, QLatin1String(t.text), t.icon, [&c, chosen] { c.ToolMode = chosen; });
    }

    // Receiver command sets.
    for (const ReceiverPreset& p : receiverPresets()) {
        QAction* a = addAction("aPreset", p.caption, IconId::Settings, [this, caption = p.caption] {
            if (const ReceiverPreset* preset = findReceiverPreset(caption))
                sendReceiverPreset(survey_.gnss(), *preset);
        });
        a->setObjectName(QStringLiteral("aPreset ") + p.caption);
        a->setIcon(QIcon());
        // A make without a command set is shown, but cannot be chosen.
        a->setEnabled(!p.commands.empty());
    }
}

void TFNav::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto menu = [&](const char* name, const QString& title,
                          std::initializer_list<const char*> items) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QLatin1String(name));
        for (const char* item : items) {
            if (item == nullptr) {
                m->addSeparator();
            } else {
                m->addAction(action(QLatin1String(item)));
            }
        }
        return m;
    };
    menu("mFile", QStringLiteral("File"),
         {"aNew", "aOpen", "aSave", "aSaveAs", nullptr, "aImport", "aExport", nullptr, "aExit"});
    menu("mZoom", QStringLiteral("Zoom"),
         {"aZoomIn", "aZoomOut", "aZoomExtents", nullptr, "aZoomWindow", "aZoomDynamic"});
    QMenu* tools = menu("mTools", QStringLiteral("Tools"),
                        {"aOffsets", "aDeviceSettings", "aEchogram", "aGenerateRunline",
                         "aSoundVelocity", "aNavigationSettings", "aVesselShape"});
    nmeaMenu_ = tools->addMenu(QStringLiteral("Set GPS for NMEA Messages"));
    nmeaMenu_->setObjectName(QStringLiteral("mNmea"));
    for (const ReceiverPreset& p : receiverPresets())
        nmeaMenu_->addAction(action(QStringLiteral("aPreset ") + p.caption));
    tools->addSeparator();
    tools->addAction(action(QStringLiteral("aOpenLogFolder")));
    tools->addAction(action(QStringLiteral("aLatency")));
    QMenu* language = tools->addMenu(QStringLiteral("Language"));
    language->setObjectName(QStringLiteral("mLanguage"));
    language->addAction(turkishAction_);
    language->addAction(englishAction_);
    tools->addAction(action(QStringLiteral("aTheme")));
    menu("mEdit", QStringLiteral("Edit"),
         {"aClearFixed", "aClearUnfixed", "aDeleteTracksSelected", nullptr, "aMarkEvent", nullptr,
          "aFollow", "aNoFollow", nullptr, "aClearUserShapes"});
    menu("mWindow", QStringLiteral("Window"),
         {"aOffsetsEssential", "aWaterfall", "aNavigationWindow", "aRealtimeWindow"});
    QMenu* help = menu("mHelp", QStringLiteral("Help"), {"aRemoteSupport", "aAbout"});
    // The remote-support helper is a separate program: offer it only when it is there.
    action(QStringLiteral("aRemoteSupport"))->setVisible(!remoteSupportProgram().isEmpty());
    (void)help;
}

void TFNav::buildToolbars() {
    const auto bar = [this](const char* name, Qt::ToolBarArea area,
                            std::initializer_list<const char*> items) {
        auto* t = new QToolBar(this);
        t->setObjectName(QLatin1String(name));
        t->setMovable(false);
        t->setFloatable(false);
        t->setIconSize(QSize(24, 24));
        t->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        addToolBar(area, t);
        for (const char* item : items) {
            if (item == nullptr) {
                t->addSeparator();
            } else {
                t->addAction(action(QLatin1String(item)));
            }
        }
        return t;
    };
    tRealtime_ = bar("tRealtime", Qt::TopToolBarArea, {});
    realtimeButton_ = new QToolButton(tRealtime_);
    realtimeButton_->setObjectName(QStringLiteral("Realtime"));
    realtimeButton_->setCheckable(true);
    realtimeButton_->setText(QStringLiteral("Start"));
    realtimeButton_->setFixedSize(70, 28);
    QFont f(QStringLiteral("Segoe UI"), 10);
    f.setBold(true);
    realtimeButton_->setFont(f);
    realtimeButton_->setAutoRaise(false);
    tRealtime_->addWidget(realtimeButton_);
    connect(realtimeButton_, &QToolButton::clicked, this, [this] {
        // The survey decides; the button shows what it says.
        realtimeButton_->setChecked(survey_.running());
        survey_.RealtimeClick();
    });
    for (const char* item : std::initializer_list<const char*>{
             "btRunline", "btSettings", nullptr, "btFixed", "btFloat", "btAuto", nullptr,
             "btSelectTrack", "btDeleteSelected", nullptr, "btFollow", "btNoFollow"}) {
        if (item == nullptr) {
            tRealtime_->addSeparator();
        } else {
            tRealtime_->addAction(action(QLatin1String(item)));
        }
    }
    addToolBarBreak(Qt::TopToolBarArea);
    tDraw_ =
        bar("tDraw", Qt::TopToolBarArea,
            {"btOpen", "btSave", nullptr, "btZoomIn", "btZoomOut", "btZoomExtents", "btZoomWindow",
             "btZoomDynamic", "btPan", nullptr, "bMouseSelect", "btClearUserShapes", nullptr,
             "btAddEvent", "btResetEvent", nullptr, "btExit", "btRestart"});
    tShape_ = bar("tShape", Qt::LeftToolBarArea,
                  {"tbPoint", "tbLine", "tbRectangle", "tbPolyline", "tbEllipse", "tbPolygon",
                   "tbCurve", "tbArc", "tbCircle"});
    tShape_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tShape_->setOrientation(Qt::Vertical);
}

void TFNav::openLogFolder() {
    // The GNSS raw log's folder, also before real time has started.
    const QString folder = QFileInfo(survey_.logs().folders().rawLogPath(
                                         RawLogKind::Gnss, survey_.clock().now().date()))
                               .absolutePath();
    // The folder may not exist before the first log is written today.
    QDir().mkpath(folder);
    if (!openUrl_(QUrl::fromLocalFile(folder))) {
        survey_.message(QStringLiteral("No file manager could be opened; the log folder is ") +
                        QDir::toNativeSeparators(folder));
    }
}

QString TFNav::remoteSupportProgram() {
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("NivoraUD.exe");
#else
    const QString name = QStringLiteral("NivoraUD");
#endif
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    return QFileInfo(path).isExecutable() ? path : QString();
}

void TFNav::remoteSupport() {
    const QString program = remoteSupportProgram();
    if (program.isEmpty() ||
        !QProcess::startDetached(program, {}, QCoreApplication::applicationDirPath())) {
        prompts_.showMessage(QStringLiteral("The remote support program is not installed."));
    }
}

void TFNav::closeThen(std::function<void()> then) {
    afterClose_ = std::move(then);
    close();
}

void TFNav::exitButton() {
    // The close sequence first: the chart work since the last Save (track
    // marks, events, drawn shapes) is in the snapshot, the view in the keys.
    closeThen([this] {
        if (terminate_) terminate_(-1);
    });
}

void TFNav::restartButton() {
    // The new instance starts once this one has written what it reads.
    closeThen([this] {
        QStringList args = QCoreApplication::arguments();
        if (!args.isEmpty()) args.removeFirst();
        if (launch_) launch_(QCoreApplication::applicationFilePath(), args);
        if (terminate_) terminate_(0);
    });
}

}  // namespace nivora
