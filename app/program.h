#pragma once

// The running program: the settings loaded once, every window created once
// in its order, shown and hidden, never destroyed until the end, and the
// wiring between the windows, the real-time survey and its chart. main()
// only makes one.

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "config/settings_models.h"
#include "core/clock.h"
#include "files/ui/runline_window.h"
#include "survey/day_folders.h"

namespace nivora {
namespace sim {
class ConfiguredSimulator;
}

class AboutBox;
class AlarmPanel;
class TQualitySettings;
class TVerticalSettings;
class TDepthDisplaySettings;
class TRepeaterSettings;
class ExportDialog;
class SoundingExport;
class FileJobDialog;
class HelmsmanWindow;
class TGuidanceSettings;
class LineControl;
class SurveyLinesWindow;
class ChartSession;
class RealtimeSurvey;
class SurveyCommands;
class StopSignalWatch;
class TFGPS;
class TFMsg;
class TFNav;
class TFShape;
class TNavset;
class TOffsets;
class TfCanvas;
class TfJoystick;
class TfLatency;
class TfRealtime;
class TfSVP;
class TfTheme;

struct ProgramOptions {
    QString iniPath;               // --ini PATH; empty: the platform's place
    bool realtime = false;         // --realtime
    QString screenshotsDir;        // --screenshots DIR
    double quitAfterSeconds = -1;  // --quit-after SECONDS
};

// The options of a command line (the program's own name first); nothing,
// with the reason, for an argument it does not know.
std::optional<ProgramOptions> parseProgramOptions(const QStringList& arguments, QString* error);
QString programUsage();

class Program : public QObject, private RunlineHost {
    Q_OBJECT

  public:
    explicit Program(const ProgramOptions& options, Clock& clock = SystemClock::instance(),
                     TimerSource& timers = QtTimerSource::instance());
    ~Program() override;

    // Shows the main window; its first show restores the last layout and view.
    void start();
    // The close sequence, as closing the main window runs it (signals, --quit-after).
    void close();
    // One PNG of every visible window, named after the window; the files written.
    QStringList writeScreenshots(const QString& dir) const;

    SurveyModels& models() { return models_; }
    const QString& iniPath() const { return iniPath_; }
    RealtimeSurvey& survey() { return *survey_; }
    ChartSession& chart() { return *chart_; }
    TFNav& nav() { return *nav_; }
    TNavset& navigation() { return *navset_; }
    TFShape& vesselShape() { return *shape_; }
    TFGPS& settings() { return *settings_; }
    TfRealtime& realtime() { return *realtime_; }
    TFMsg& messages() { return *messages_; }
    TOffsets& offsets() { return *offsets_; }
    AboutBox& about() { return *about_; }
    TfSVP& svp() { return *svp_; }
    TfRunline1& runline() { return *runline_; }
    TfLatency& latency() { return *latency_; }
    TfCanvas& echogram() { return *echogram_; }
    TfTheme& theme() { return *theme_; }
    TfJoystick& joystick() { return *joystick_; }
    LineControl& lines() { return *lines_; }
    HelmsmanWindow& helmsman() { return *helmsman_; }
    SurveyLinesWindow& lineList() { return *lineList_; }
    TGuidanceSettings& guidanceSettings() { return *guidanceSettings_; }
    TQualitySettings& qualitySettings() { return *qualitySettings_; }
    TVerticalSettings& verticalSettings() { return *verticalSettings_; }
    TDepthDisplaySettings& depthDisplaySettings() { return *depthDisplay_; }
    TRepeaterSettings& repeaterSettings() { return *repeater_; }
    ExportDialog& exportDialog() { return *exportDialog_; }
    SoundingExport& soundingExport() { return *soundingExport_; }
    AlarmPanel& alarmPanel() { return *alarmPanel_; }

  private:
    void createWindows(Clock& clock, TimerSource& timers);
    // The built-in simulator behind the ports set to "SIM".
    void startSimulator(const IniStore& ini, Clock& clock);
    void connectWindows();
    void connectLines();
    void saveGuidance();
    void connectAlarms();
    // "Export Soundings...": the dialog, then the export as a job.
    void exportSoundings();
    void runExport();
    void storePlacements();
    void watchSignals();

    // RunlineHost
    void AppendEventLog(const QString& message) override;
    void StartRouteDrawing() override;
    void ShowMessage(const QString& text) override;
    void RestoreWindowPlacement(QWidget& window) override;

    ProgramOptions options_;
    QString iniPath_;
    SurveyModels models_;
    DayFolders folders_;
    std::unique_ptr<sim::ConfiguredSimulator> simulator_;
    // Destroyed from the chart back: the chart draws into the main window's
    // canvas, the windows give their commands to the survey.
    std::unique_ptr<RealtimeSurvey> survey_;
    std::unique_ptr<SurveyCommands> commands_;
    std::unique_ptr<TFNav> nav_;
    std::unique_ptr<ChartSession> chart_;
    std::unique_ptr<LineControl> lines_;
    HelmsmanWindow* helmsman_ = nullptr;
    SurveyLinesWindow* lineList_ = nullptr;
    TGuidanceSettings* guidanceSettings_ = nullptr;
    TQualitySettings* qualitySettings_ = nullptr;
    TVerticalSettings* verticalSettings_ = nullptr;
    TDepthDisplaySettings* depthDisplay_ = nullptr;
    TRepeaterSettings* repeater_ = nullptr;
    ExportDialog* exportDialog_ = nullptr;
    // An export's own progress, so that a file command beside it keeps its
    // own; it outlives the export that reports to it.
    std::unique_ptr<FileJobDialog> exportProgress_;
    std::unique_ptr<SoundingExport> soundingExport_;
    AlarmPanel* alarmPanel_ = nullptr;
    bool pickingLine_ = false;
    TNavset* navset_ = nullptr;
    TFShape* shape_ = nullptr;
    TfCanvas* waterfall_ = nullptr;
    TFGPS* settings_ = nullptr;
    TfRealtime* realtime_ = nullptr;
    TFMsg* messages_ = nullptr;
    TOffsets* offsets_ = nullptr;
    AboutBox* about_ = nullptr;
    TfSVP* svp_ = nullptr;
    TfRunline1* runline_ = nullptr;
    TfLatency* latency_ = nullptr;
    TfCanvas* echogram_ = nullptr;
    TfTheme* theme_ = nullptr;
    TfJoystick* joystick_ = nullptr;
    std::unique_ptr<StopSignalWatch> signalWatch_;
    // NIVORA_MEASURE=1: start-up to the first painted frame, and the longest
    // gap of a 5 ms timer (the UI thread's longest stall), printed at close.
    // NIVORA_MEASURE=2 also opens every window once real time runs.
    void startMeasuring(bool everyWindow);
    QTimer stallProbe_;
    QElapsedTimer sinceStart_, sinceProbe_;
    qint64 longestStallMs_ = 0;
    qint64 stallsOver20Ms_ = 0, stallsOver50Ms_ = 0;
    qint64 firstFrameMs_ = -1;
    bool closing_ = false;
};

}  // namespace nivora
