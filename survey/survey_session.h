#pragma once

// A survey as the main window runs it, without widgets: the two serial
// readers, the shared real-time state, the real-time cycle on its timer, the
// track layers, event marks, the file commands and every survey log. It runs
// on an injectable clock and timer source, so a whole survey day can run in
// virtual time.
//
// It speaks outwards only through its signals, grouped by what they feed;
// each window connects to what it shows. Windows tell it what it needs to
// know about them through the setters; it never asks. Questions go through
// OperatorPrompts, and with nobody to answer the answer is No.

#include <QObject>
#include <QPointF>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "canvas/canvas_interaction.h"
#include "config/config_host.h"
#include "config/settings_models.h"
#include "core/clock.h"
#include "core/error_report.h"
#include "geodesy/fix_projection.h"
#include "sensors/serial_gps.h"
#include "survey/file_jobs.h"
#include "survey/gnss_handler.h"
#include "survey/realtime_state.h"
#include "survey/sounder_handler.h"
#include "survey/standard_layers.h"
#include "survey/survey_logs.h"
#include "survey/track_recorder.h"
#include "survey/vessel_symbol.h"

namespace nivora {

class CanvasDocument;

enum class TrackClass { Fixed, Float, NoFix };

// A depth as the read-outs and the event records show it: 2 decimals, or
// "---" when none was measured.
QString depthText(std::optional<double> depth);

// The real-time data window's labels, set at the start of every tick.
struct TickReadouts {
    QString fixed;          // "Fixed": the fix quality
    QString antennaHeight;  // "LAntennaH", 2 decimals
    QString tideHeight;     // "LTideHt": "-" while the Offsets window is open
    QString satellites;     // "SatelliteLabel"
};

class SurveySession : public QObject, public ConfigHost {
    Q_OBJECT

  public:
    static constexpr int kInitialMapIntervalMs = 500;
    static constexpr int kEchogramIntervalMs = 200;
    static constexpr const char* kCaptionPrefix = "Nivora Depthwright - ";

    // The models are loaded already; the session edits them and saves
    // through their settings file. `prompts` may be null: nobody answers.
    SurveySession(SurveyModels& models, const DayFolders& folders, CanvasDocument& doc,
                  Clock& clock, TimerSource& timers, OperatorPrompts* prompts = nullptr,
                  QObject* parent = nullptr);
    ~SurveySession() override;

    RealtimeState& state() { return state_; }
    const RealtimeState& state() const { return state_; }
    TNivoraSerialGPS& gnss() { return gnss_; }
    TNivoraSerialGPS& sounder() { return sounder_; }
    SurveyLogs& logs() { return logs_; }
    // Every log record handed over so far is in its file (or waits for a
    // disk that refuses it); the writer's reports are passed on.
    void flushLogs();
    CanvasDocument& document() { return doc_; }
    SurveyModels& models() { return models_; }
    const StandardLayers& layers() const { return layers_; }
    const QString& caption() const { return caption_; }
    bool parametersLoaded() const { return projector_.has_value(); }
    bool mapTimerActive() const { return mapTimer_->isActive(); }
    int mapTimerInterval() const { return mapTimer_->interval(); }
    bool echogramTimerActive() const { return echogramTimer_->isActive(); }

    // Where the readers' bytes come from (default: serial ports).
    void setTransportFactories(TransportFactory gnss, TransportFactory sounder);
    void setPrompts(OperatorPrompts* prompts) { prompts_ = prompts; }

    // ---- What the windows tell the session ----
    void setOffsetsWindowVisible(bool visible) { offsetsVisible_ = visible; }
    // The settings window's monitor shows lines while the window is shown
    // and the operator has not paused it.
    void setMonitorVisible(bool visible) { monitorVisible_ = visible; }
    void setEchogramVisible(bool visible) { echogramVisible_ = visible; }
    void setLatencyWindowVisible(bool visible) { latencyVisible_ = visible; }
    void setRunlineWindowVisible(bool visible) { runlineVisible_ = visible; }
    void setLanguage(Language language) { language_ = language; }

    // ---- Lifecycle of the main window ----
    // First show: the standard layers, the last layout in replace mode, the
    // caption and the "CANVAS" keys into the view.
    void firstShow();
    // The close query: readers closed ignoring errors, the layout snapshot,
    // the "CANVAS" keys from the view. Window placements are the windows'.
    // Returns the snapshot written, empty when it could not be.
    QString closeSequence();
    // The view and overlay corners as the "CANVAS" keys hold them.
    CanvasKeys canvasKeys() const;
    void applyCanvasKeys(const CanvasKeys& keys);

    // ---- Real time ----
    void RealtimeClick();
    bool running() const { return state_.Running; }
    // One real-time tick; the map timer calls it.
    void tMapTimer();
    void tEchogramTimer();
    void setMapTimerInterval(int ms);
    int echogramTimerInterval() const { return echogramTimer_->interval(); }
    // The echogram window's redraw period (its "Interval" setting).
    void setEchogramTimerInterval(int ms) { echogramTimer_->setInterval(std::max(1, ms)); }

    // ---- File commands ----
    // Open, Save As, Import and Export ask for a file, start the job and
    // return; with a view the work goes on in the background, and the
    // result is said (events log, caption, error report) when it ends. They
    // return false when nothing was started or the job, done at once,
    // failed; true while it runs.
    bool newLayout();
    bool openLayout();
    // The layout snapshot ("Save"): the file it writes (empty when it could
    // not start or, done at once, failed).
    QString saveSnapshot();
    // The snapshot written now, on this thread, for the close: the file,
    // empty on failure.
    QString saveSnapshotNow();
    bool saveLayoutAs();
    bool importDxf();
    bool exportDxf();
    // The caption's file name after a load or save.
    void setCaptionFile(const QString& text);
    static QString layoutFilter();
    static QString dxfFilter();

    // ---- Long file commands (survey/file_jobs.h) ----
    void setFileJobView(class FileJobView* view);
    bool fileJobRunning() const;
    // Stops a running load; a save goes on to its end.
    void cancelFileJob();
    // Runs `f` from the event loop once no file job runs (at once when none does).
    void whenNoFileJob(std::function<void()> f);

  private:
    FileJobs& fileJobs();
    std::unique_ptr<FileJobs> fileJobs_;
    bool fileCommandResult() const;
    QString snapshotName();
    void snapshotWritten(const QString& name, const struct FileJobOutcome& result);
    bool lastFileCommandOk_ = false;

  public:
    // ---- View commands ----
    void zoomIn();
    void zoomOut();
    void zoomExtents();
    void setFollowVessel(bool follow);

    // ---- Layers, tracks and selection ----
    void EnsureLayers();
    // Asks, clears one track layer and logs it; false when the operator said no.
    bool clearTracks(TrackClass which);
    bool clearUserShapes();
    void selectTracks();
    void selectShapes();
    void deleteSelected();
    void cancelSelection();
    void deleteButtonUsed() { deleteButtonUsed_ = true; }

    // ---- Canvas events ----
    void drawBegan();
    void drawEnded(int shapeType);
    // A click that is not the right button's (that one measures): the
    // clicked point in the status bar.
    void pointClicked(double x, double y);
    void shapeNumberSelected(std::int32_t id);
    // The canvas's Delete key removed the selection.
    void selectionDeleted();

    // ---- Events ----
    // Returns the number of the event marked.
    int markEvent();
    bool resetEventNumbering();

    // ---- Tools ----
    // Sends a receiver make's command set through the GNSS reader.
    bool sendReceiverPreset(const QString& caption);
    // The folder "Open Log Folder" shows: the GNSS raw log's, also before
    // real time has started.
    QString logFolder() const;

    // ---- Logs and errors ----
    void AppendEventLog(const QString& text) { logs_.AppendEventLog(text); }
    // A short status message: the message window and the events log.
    void message(const QString& text);
    // The one error path: throttled, logged, shown.
    void reportError(const QString& text) override;

    // The grid image of a position with the parameters the cycle took, or
    // nothing before they are taken or when the position is none.
    std::optional<std::pair<double, double>> gridPosition(double latitude, double longitude,
                                                          double altitude);

    // ---- ConfigHost: what the settings windows need ----
    Language language() const override { return language_; }
    void appendSettingsReport(const QStringList& texts) override {
        logs_.appendSettingsReport(texts);
    }
    bool appendOffsetsRecord(const QString& record) override {
        return logs_.appendOffsetsRecord(record);
    }
    bool createDayFolders(QString* message) override;
    void Save() override { saveSnapshot(); }
    bool realtimeRunning() const override { return state_.Running; }
    void startRealtime() override { RealtimeClick(); }
    void showProfileWindow() override { emit profileWindowRequested(); }
    void setMonitorPaused(bool paused) override { monitorPaused_ = paused; }
    TNivoraSerialGPS* reader(PortRole role) override {
        return role == PortRole::Gnss ? &gnss_ : &sounder_;
    }
    QString rawLogPath(PortRole role) override;
    QString profilesFolder() override { return logs_.folders().profilesFolder(); }

  signals:
    // Real-time read-outs (the real-time data window, the settings window's groups).
    void readoutsChanged(const nivora::TickReadouts& readouts);
    void speedTextChanged(const QString& knots);
    void depthTextsChanged(const QString& high, const QString& low);
    void depthFramesColourChanged(nivora::TColor colour);
    void depthFramesVisibleChanged(bool visible);
    void fixIndicatorColourChanged(nivora::TColor colour);
    void gpsGroupColourChanged(nivora::TColor colour);
    void batteryVoltageChanged(const QString& volts);
    // Status bar panels: 0 latitude or selection prompts, 1 longitude, 2
    // easting, 3 northing, 4 and 5 the last clicked point, 6 the state of
    // the survey when it is not simply running (stopped, a port that does
    // not work and why, no GPS data).
    void statusPanelChanged(int index, const QString& text);
    // Messages (the message window) and error reports (already throttled
    // and logged).
    void messagePosted(const QString& text);
    void errorPosted(const QString& text);
    // Real time started or stopped; the Realtime button's state.
    void realtimeStartedChanged(bool running);
    void realtimeButtonDownChanged(bool down);
    // The echogram feed.
    void echogramShowRequested();
    void echogramDepthAdded(double depth);
    // The settings window's monitor.
    void monitorLineReceived(nivora::PortRole port, const QByteArray& line);
    void gnssMonitorColourChanged(nivora::TColor colour);
    void latencyMeasured(qint64 ms);
    // The main window and its canvas.
    void captionChanged(const QString& caption);
    void canvasRepaintRequested();
    void canvasBackgroundChanged(nivora::TColor colour);
    void toolRequested(nivora::Tool tool);  // the polygon for a selection, then none
    void deleteShortcutOnTrackItem(bool on);
    void profileWindowRequested();
    // A file job started or ended: the file commands are off while one runs.
    void fileJobRunningChanged(bool running);
    // A line or polyline drawn while the run line window is open: its route.
    void routeDrawn(const std::vector<QPointF>& points);

  private:
    struct LiveSetting {
        int value;
    };
    int liveInteger(LiveSetting& setting, const QString& text, const char* name);
    bool monitorRunning() const { return monitorVisible_ && !monitorPaused_; }
    void connectReaders();
    void onGnssLine(const NmeaSentence& sentence);
    void onSounderLine(std::string_view line);
    void writeCoordinateRow();
    bool takeParameters();
    // A fix the projection could not place, said once until one is placed again.
    void reportFixNotPlaced(const geodesy::FixResult& result, double latitude, double longitude);
    void startSelectionPolygon(const QString& prompt);
    // A prompt or result of a selection in panel 0; the tick leaves the
    // panel to it until the selection ends (an empty text).
    void setSelectionPrompt(const QString& text);
    // Panel 6 and the overlay when the position is not live.
    void updateSurveyStatus();
    void gnssWentStale();
    void gnssResumed();
    void showStopped();
    void finishSelection(const std::vector<int>& layerIds, bool allLayers, const QString& what);
    void removeVesselAndGrid();
    bool askYesNo(const QString& question);
    // File dialogs start in the folder last used for that kind of file,
    // else in the day's layouts folder; a name to write typed without an
    // extension gets the one of its format.
    QString chooseOpenFile(const QString& title, const QString& filter, QString& lastFolder);
    QString chooseSaveFile(const QString& title, const QString& filter, QString& lastFolder,
                           const QString& extension);
    QString dialogFolder(const QString& lastFolder) const;
    void saveSettings(const std::function<void(IniStore&)>& change);
    bool loadLayout(const QString& path, bool append);

    SurveyModels& models_;
    CanvasDocument& doc_;
    Clock& clock_;
    OperatorPrompts* prompts_;
    RealtimeState state_;
    // The logs' file work, for the survey logs and both raw logs; it
    // outlives the readers and the logs that post to it.
    LogWriter writer_;
    SurveyLogs logs_;
    ErrorReporter errors_;
    TNivoraSerialGPS gnss_;
    TNivoraSerialGPS sounder_;
    GnssLineHandler gnssHandler_;
    SounderLineHandler sounderHandler_;
    std::unique_ptr<Timer> mapTimer_;
    std::unique_ptr<Timer> echogramTimer_;
    StandardLayers layers_;
    TrackRecorder track_;
    std::optional<geodesy::FixProjector> projector_;
    // The last refusal said, so that the same one is not said every tick.
    QString parameterRefusal_;
    std::optional<geodesy::FixStatus> fixNotPlaced_;
    VesselShape vesselShape_;
    QString depthHighText_ = QStringLiteral("---");
    QString depthLowText_ = QStringLiteral("---");
    QString caption_;
    TColor background_;
    Language language_ = Language::English;
    bool offsetsVisible_ = false;
    bool monitorVisible_ = false;
    bool monitorPaused_ = false;
    bool echogramVisible_ = false;
    bool latencyVisible_ = false;
    bool runlineVisible_ = false;
    bool trackSelectMode_ = false;
    bool shapeSelectMode_ = false;
    bool deleteButtonUsed_ = false;
    bool drawing_ = false;  // the operator draws: the tick waits
    // No GPS data (an idle line, a port gone) since the last epoch: the tick
    // stands still until the next epoch starts it again.
    bool gnssStale_ = false;
    bool everStarted_ = false;
    QDateTime lastEpoch_;   // the last position the GNSS reader decoded
    QDateTime lastPlaced_;  // the last tick that placed the vessel
    QString selectionPrompt_;
    QString layoutFolder_, dxfFolder_;  // where the last layout and DXF dialogs ended
    // Why a port does not work (GNSS, sounder), until it works.
    QString portProblem_[2];
    // Last good values of the navigation fields the tick converts.
    LiveSetting vesselWidth_{2};
    LiveSetting trackWidth_{2};
    LiveSetting trackInterval_{20};
};

}  // namespace nivora
