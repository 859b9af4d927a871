#pragma once

// TFNav, the main window: the chart canvas with its toolbars, menus and
// status bar over the real-time survey and its chart. It binds controls to
// their commands and shows what they say; the survey logic lives in them.

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

#include "app/app_prompts.h"
#include "app/main_window_jobs.h"
#include "app/toolbar_icons.h"
#include "canvas/ui/nivora_canvas.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"

class QAction;
class QLabel;
class QDockWidget;
class QMenu;
class QToolBar;
class QToolButton;
class QUrl;

namespace nivora {

class TFMsg;
class AlarmPanel;
class LayerManager;
class LineControl;

class TFNav : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kStatusPanels = 7;
    static constexpr int kStatusPanelWidth = 100;

    explicit TFNav(RealtimeSurvey& survey, QWidget* parent = nullptr);
    ~TFNav() override;
    // The chart drawn on this window's canvas: the commands, menus and bars
    // are built for it. Once, before the first show.
    void attach(ChartSession& chart);

    RealtimeSurvey& survey() { return survey_; }
    ChartSession& chart() { return *chart_; }
    TNivoraCanvas& canvas() { return *canvas_; }
    WidgetPrompts& prompts() { return prompts_; }
    FileJobDialog& fileJobDialog() { return jobDialog_; }

    // The windows the main window shows, hides and commands, set once they
    // exist (the main window is created first).
    struct Windows {
        QWidget* offsets = nullptr;
        QWidget* navigation = nullptr;
        QWidget* settings = nullptr;
        QWidget* vesselShape = nullptr;
        QWidget* svp = nullptr;
        QWidget* runline = nullptr;
        QWidget* latency = nullptr;
        QWidget* theme = nullptr;
        QWidget* realtime = nullptr;
        QWidget* echogram = nullptr;
        QWidget* joystick = nullptr;
        QWidget* about = nullptr;
        TFMsg* messages = nullptr;
        std::function<void()> echogramCommand;   // "Echogram..."
        std::function<void()> waterfallCommand;  // "Acoustics Waterfall..."
        std::function<void(bool)> compactMark;   // the real-time window's button image
        std::function<void()> beforeClose;       // pictures, before any window closes
        std::function<void()> storePlacements;   // after the snapshot; reports, never asks
    };
    void setWindows(const Windows& windows);
    // Shows and raises a window, where its placement was.
    void showWindow(QWidget* w);

    // Controls by their names (toolbar buttons, menu items, status panels).
    QAction* action(const QString& name) const;
    // The alarm panel as a dock (shown when an alarm is raised), its label
    // in the status bar, and the alarm commands and the vertical reduction
    // settings in the Tools menu.
    void addAlarmCommands(AlarmPanel& panel, QWidget* settings, QWidget* vertical);
    QDockWidget* alarmDock() const { return alarmDock_; }
    // "Depth Colours and Grid..." in Tools and "Export Soundings..." in File.
    void addProductCommands(QWidget* depthSettings, std::function<void()> exportSoundings);
    // "NMEA Output..." in Tools: the repeater's settings.
    void addOutputCommands(QWidget* repeaterSettings);
    void showAlarmDock();
    // The layer manager's dock (Window > Layers) and Edit > Undo Import.
    QDockWidget* layerDock() const { return layerDock_; }
    LayerManager* layerManager() const { return layers_; }
    // The survey-line commands and their menu ("Lines", before "Window"):
    // list, helmsman display, start, end, swap, previous, next, closest,
    // pick on the chart, mark as survey lines, automatic line changes.
    void addLineCommands(LineControl& lines, QWidget* list, QWidget* helmsman, QWidget* settings,
                         std::function<void()> pickOnChart, std::function<void()> saveGuidance);
    QLabel* statusPanel(int index) const;
    // The cursor's position in the status bar.
    QLabel* cursorLabel() const { return cursorLabel_; }
    QToolButton* realtimeButton() const { return realtimeButton_; }
    QToolBar* realtimeBar() const { return tRealtime_; }
    QToolBar* drawBar() const { return tDraw_; }
    QToolBar* shapeBar() const { return tShape_; }

    // Compact mode: the chart alone, borderless, without menu and bars.
    bool compactMode() const { return compact_; }
    void setCompactMode(bool on);
    void toggleCompactMode() { setCompactMode(!compact_); }

    // "English": the caption table over every window. Nothing is stored.
    void EnglishClick();
    bool firstShown() const { return firstShown_; }

    // How the toolbar's exit and restart buttons end the program (tests
    // replace it). Neither runs the close sequence.
    void setTerminate(std::function<void(int exitCode)> terminate) {
        terminate_ = std::move(terminate);
    }
    // How the restart button starts the new instance (tests replace it).
    void setLauncher(
        std::function<void(const QString& program, const QStringList& arguments)> launch) {
        launch_ = std::move(launch);
    }
    // How "Open Log Folder" opens a folder in the file manager (tests replace it).
    void setUrlOpener(std::function<bool(const QUrl&)> open) { openUrl_ = std::move(open); }
    // The remote-support helper beside the program, empty when it is not there.
    static QString remoteSupportProgram();

  signals:
    void compactModeChanged(bool compact);
    void firstShowDone();
    // The close sequence has run.
    void closed();

  protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // main_window_actions.cpp
    void buildActions();
    void buildMenus();
    void buildToolbars();
    QAction* addAction(const char* name, const QString& text, IconId icon,
                       std::function<void()> run, const QKeySequence& shortcut = {});
    void openLogFolder();
    void exitButton();
    void restartButton();
    void remoteSupport();

    // main_window_products.cpp
    void followPalette();

    // main_window_layers.cpp
    void addLayerCommands();

    // main_window.cpp
    void connectSession();
    void connectCanvas();
    void firstShow();
    void setRealtimeCaption(bool running);

    RealtimeSurvey& survey_;
    ChartSession* chart_ = nullptr;
    TNivoraCanvas* canvas_ = nullptr;
    WidgetPrompts prompts_;
    FileJobDialog jobDialog_;
    Windows windows_;
    QToolBar* tRealtime_ = nullptr;
    QDockWidget* alarmDock_ = nullptr;
    QDockWidget* layerDock_ = nullptr;
    LayerManager* layers_ = nullptr;
    QToolBar* tDraw_ = nullptr;
    QToolBar* tShape_ = nullptr;
    QToolButton* realtimeButton_ = nullptr;
    QLabel* cursorLabel_ = nullptr;
    QLabel* panels_[kStatusPanels] = {};
    QMenu* nmeaMenu_ = nullptr;
    QAction* englishAction_ = nullptr;
    QAction* turkishAction_ = nullptr;
    bool compact_ = false;
    bool firstShown_ = false;
    bool realtimeEverStarted_ = false;
    // What compact mode hid, to restore exactly.
    struct Restore {
        QRect geometry;
        Qt::WindowFlags flags;
        Qt::WindowStates state;
        bool navigationVisible = false;
        bool echogramVisible = false;
        bool realtimeVisible = false;
    } restore_;
    // Ends the program once the close sequence has run (exit, restart).
    void closeThen(std::function<void()> then);
    std::function<void()> afterClose_;
    std::function<void(int)> terminate_;
    std::function<void(const QString&, const QStringList&)> launch_;
    std::function<bool(const QUrl&)> openUrl_;
};

}  // namespace nivora
