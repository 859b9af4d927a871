#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProcess>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <utility>

#include "app/caption_table.h"
#include "app/message_window.h"
#include "canvas/qt_color.h"
#include "config/ui/config_widgets.h"
#include "survey/chart_files.h"
#include "survey/chart_geography.h"
#include "survey/track_selection.h"

namespace nivora {

TFNav::TFNav(RealtimeSurvey& survey, QWidget* parent)
    : QMainWindow(parent), survey_(survey), prompts_(this), jobDialog_(this) {
    setObjectName(QStringLiteral("TFNav"));
    setWindowTitle(QLatin1String(ChartFiles::kCaptionPrefix));
    setWindowIcon(nivoraIcon(IconId::Application));
    canvas_ = new TNivoraCanvas(this);
    canvas_->setObjectName(QStringLiteral("fcad"));
    canvas_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(canvas_);
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sStatusBar"));
    for (int i = 0; i < kStatusPanels; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        panels_[i]->setMinimumWidth(kStatusPanelWidth);
        // Panels grow with their text (panel 0 carries the selection
        // prompts, which must be read whole); the empty last one takes the rest.
        bar->addWidget(panels_[i], i == kStatusPanels - 1 ? 1 : 0);
    }

    terminate_ = [](int code) { QCoreApplication::exit(code); };
    openUrl_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    launch_ = [](const QString& program, const QStringList& args) {
        QProcess::startDetached(program, args);
    };
    // The first start's size; RestoreWindowPlacement fits it to the screen.
    resize(1280, 820);
}

TFNav::~TFNav() = default;

void TFNav::attach(ChartSession& chart) {
    chart_ = &chart;
    chart.files().setJobView(&jobDialog_);
    buildActions();
    buildMenus();
    buildToolbars();
    connectSession();
    connectCanvas();
    addLayerCommands();
}

QLabel* TFNav::statusPanel(int index) const {
    return index >= 0 && index < kStatusPanels ? panels_[index] : nullptr;
}

void TFNav::setWindows(const Windows& w) {
    windows_ = w;
    if (w.messages) {
        connect(&survey_, &RealtimeSurvey::messagePosted, w.messages, &TFMsg::addMessage);
        connect(&survey_, &RealtimeSurvey::errorPosted, w.messages, &TFMsg::addMessage);
    }
}

void TFNav::connectSession() {
    ChartSession* chart = chart_;
    connect(&chart->files(), &ChartFiles::captionChanged, this, &QWidget::setWindowTitle);
    connect(chart, &ChartSession::repaintRequested, canvas_, qOverload<>(&QWidget::update));
    connect(chart, &ChartSession::backgroundChanged, canvas_,
            [this](TColor c) { canvas_->SetBackColor(c); });
    connect(&chart->selection(), &TrackSelection::toolRequested, canvas_, [this](Tool t) {
        if (t == tool::Polygon) {
            canvas_->setTool(t);
        } else {
            canvas_->ToolMode = t;
        }
    });
    connect(chart, &ChartSession::statusPanelChanged, this, [this](int i, const QString& text) {
        if (QLabel* p = statusPanel(i)) p->setText(text);
    });
    connect(&survey_, &RealtimeSurvey::realtimeStartedChanged, this, [this](bool running) {
        realtimeEverStarted_ = true;
        setRealtimeCaption(running);
    });
    connect(&survey_, &RealtimeSurvey::gnssConnectedChanged, realtimeButton_,
            &QToolButton::setChecked);
    // While a file job runs, the commands that would start another are off.
    connect(&chart->files(), &ChartFiles::jobRunningChanged, this, [this](bool running) {
        for (const char* name : {"aNew", "aOpen", "aSave", "aSaveAs", "aImport", "aExport",
                                 "btOpen", "btSave", "aGenerateRunline"}) {
            if (QAction* a = action(QLatin1String(name))) a->setEnabled(!running);
        }
    });
    connect(&chart->selection(), &TrackSelection::deleteShortcutOnTrackItem, this, [this](bool on) {
        // Shown beside the item; the key itself is the window's (it deletes once).
        action(QStringLiteral("aDeleteTracksSelected"))
            ->setText(on ? QStringLiteral("Clear Tracks Selected\tDel")
                         : QStringLiteral("Clear Tracks Selected"));
    });
}

void TFNav::setRealtimeCaption(bool running) {
    realtimeButton_->setText(running ? QStringLiteral("Stop") : QStringLiteral("Start"));
    realtimeButton_->setChecked(running);
    QPalette p = realtimeButton_->palette();
    p.setColor(QPalette::ButtonText, running ? Qt::white : toQColor(colors::Navy));
    p.setColor(QPalette::Button,
               running ? QColor(0x00, 0x80, 0x00) : palette().color(QPalette::Button));
    realtimeButton_->setPalette(p);
    realtimeButton_->setAutoFillBackground(running);
    // The bar turns green while the survey runs: visible across the wheelhouse.
    tRealtime_->setStyleSheet(
        running ? QStringLiteral("QToolBar#tRealtime { background: #2e7d32; }") : QString());
}

void TFNav::connectCanvas() {
    ChartSession* chart = chart_;
    TrackSelection* s = &chart_->selection();
    // The chart takes its own wheel, keys and measuring tool, as the survey wants them.
    CanvasInteraction& input = canvas_->Interaction();
    input.WheelPansTowardsPointer = true;
    input.RightClickMeasures = true;
    input.DeleteKeyEnabled = true;
    connect(canvas_, &TNivoraCanvas::OnWorldMouseDown, this,
            [chart](short button, short, short, double x, double y) {
                if (button != mouse_button::Right) chart->pointClicked(x, y);
            });
    // The cursor's grid and geographic position, as the surveyor reads a chart.
    cursorLabel_ = new QLabel(this);
    cursorLabel_->setObjectName(QStringLiteral("lCursor"));
    cursorLabel_->setMinimumWidth(cursorLabel_->fontMetrics().horizontalAdvance(
        QStringLiteral("E: 0000000.00  N: 00000000.00  Lat: -00.00000000  Lon: -000.00000000")));
    statusBar()->addPermanentWidget(cursorLabel_);
    connect(canvas_, &TNivoraCanvas::OnWorldMouseMove, this,
            [this, chart](short, double x, double y, double, double) {
                cursorLabel_->setText(chart->geography().readOut(x, y));
            });
    connect(canvas_, &TNivoraCanvas::OnDrawBegin, this,
            [s](short, double, double) { s->drawBegan(); });
    connect(canvas_, &TNivoraCanvas::OnDrawEnd, this,
            [s](short type, double, double) { s->drawEnded(type); });
    connect(canvas_, &TNivoraCanvas::OnShapeNumberSelected, this,
            [s](short, std::int32_t id) { s->shapeNumberSelected(id); });
    connect(canvas_, &TNivoraCanvas::OnSelectionDeleted, s, &TrackSelection::selectionDeleted);
    connect(canvas_, &TNivoraCanvas::OnEscape, this, [this, s] {
        if (compact_) setCompactMode(false);
        s->cancelSelection();
    });
    connect(canvas_, &TNivoraCanvas::OnDblClick, this, [this](int x, int y) {
        if (canvas_->IsPointInGGAOverlay(x, y)) toggleCompactMode();
    });
}

void TFNav::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!firstShown_) {
        firstShown_ = true;
        firstShow();
    }
}

void TFNav::firstShow() {
    // The window at its size first, so that the stored view is applied to
    // the chart it was stored from (not reshaped by a later resize).
    RestoreWindowPlacement(*this, survey_.models().file);
    if (QLayout* l = layout()) l->activate();
    chart_->firstShow();
    EnglishClick();
    showWindow(windows_.offsets);
    showWindow(windows_.joystick);
    // The read-outs come back when they were open at the last close.
    if (windows_.realtime && WindowWasVisible(*windows_.realtime, survey_.models().file))
        showWindow(windows_.realtime);
    canvas_->setFocus();
    emit firstShowDone();
}

void TFNav::closeEvent(QCloseEvent* event) {
    if (chart_->files().jobRunning()) {
        // A load stops, a save runs to its end; then the close goes on.
        chart_->files().cancelJob();
        chart_->files().whenNoJob([window = QPointer<TFNav>(this)] {
            if (window) window->close();
        });
        event->ignore();
        return;
    }
    realtimeButton_->setEnabled(false);
    if (compact_) setCompactMode(false);
    if (windows_.beforeClose) windows_.beforeClose();
    // The snapshot first: nothing may stand before it. Nothing here waits
    // for a click either; what fails is reported and the close goes on.
    chart_->closeSequence();
    if (windows_.storePlacements) windows_.storePlacements();
    // Each open window closes as the operator closing it would, so that what
    // it writes at its close (the navigation settings) is written.
    for (QWidget* w : std::initializer_list<QWidget*>{
             windows_.navigation, windows_.offsets, windows_.settings, windows_.realtime,
             windows_.runline, windows_.echogram, windows_.joystick, windows_.svp, windows_.latency,
             windows_.vesselShape, windows_.theme, windows_.messages}) {
        if (w && w->isVisible()) w->close();
    }
    event->accept();
    emit closed();
    if (afterClose_) std::exchange(afterClose_, nullptr)();
}

void TFNav::EnglishClick() {
    applyCaptionTable();
    englishAction_->setChecked(true);
}

void TFNav::setCompactMode(bool on) {
    if (on == compact_) return;
    if (on) {
        restore_.geometry = geometry();
        restore_.flags = windowFlags();
        restore_.state = windowState();
        restore_.navigationVisible = windows_.navigation && windows_.navigation->isVisible();
        restore_.echogramVisible = windows_.echogram && windows_.echogram->isVisible();
        for (QToolBar* b : {tRealtime_, tDraw_, tShape_})
            b->hide();
        statusBar()->hide();
        menuBar()->hide();
        // The navigation settings close (writing their fields), the others hide.
        if (windows_.navigation && windows_.navigation->isVisible()) windows_.navigation->close();
        for (QWidget* w : {windows_.echogram, windows_.realtime}) {
            if (w) w->hide();
        }
        setWindowFlags(restore_.flags | Qt::FramelessWindowHint);
        compact_ = true;
        show();
        setGeometry(restore_.geometry);
    } else {
        setWindowFlags(restore_.flags);
        for (QToolBar* b : {tRealtime_, tDraw_, tShape_})
            b->show();
        statusBar()->show();
        menuBar()->show();
        compact_ = false;
        show();
        setWindowState(restore_.state);
        if (!(restore_.state & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            setGeometry(restore_.geometry);
        showWindow(windows_.realtime);
        // The side windows come back as they were, not all at once.
        if (restore_.navigationVisible) showWindow(windows_.navigation);
        if (restore_.echogramVisible) showWindow(windows_.echogram);
    }
    if (windows_.compactMark) windows_.compactMark(compact_);
    canvas_->setFocus();
    emit compactModeChanged(compact_);
}

}  // namespace nivora
