#pragma once

// A survey as the main window runs it, without widgets: the two serial
// readers, the shared real-time state, the real-time cycle on its timer, the
// track layers, event marks and every survey log. It runs on an injectable
// clock and timer source, so a whole survey day can run in virtual time.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>

#include "config/device_settings.h"
#include "config/latency_shape.h"
#include "config/navigation_settings.h"
#include "config/offsets_model.h"
#include "config/svp_model.h"
#include "core/clock.h"
#include "core/error_report.h"
#include "geodesy/fix_projection.h"
#include "sensors/echosounder.h"
#include "sensors/gnss_line_handler.h"
#include "sensors/realtime_state.h"
#include "sensors/serial_gps.h"
#include "survey/session_view.h"
#include "survey/standard_layers.h"
#include "survey/survey_logs.h"
#include "survey/track_recorder.h"

namespace nivora {

class CanvasDocument;

// The live settings: the models the settings windows edit.
struct SurveyModels {
    DeviceSettingsModel device;
    OffsetsModel offsets;
    SvpModel svp;
    NavigationSettings navigation;
    VesselShapeModel vesselShape;
    LatencyModel latency;

    // Everything from the settings file, as the windows load it at start.
    void load(const QString& iniPath);
};

enum class TrackClass { Fixed, Float, NoFix };

class SurveySession : public QObject {
    Q_OBJECT

public:
    static constexpr int kInitialMapIntervalMs = 500;
    static constexpr int kEchogramIntervalMs = 200;

    SurveySession(const QString& iniPath, const DayFolders& folders, SurveyModels& models, CanvasDocument& doc,
                  Clock& clock, TimerSource& timers, SessionView& view, QObject* parent = nullptr);
    ~SurveySession() override;

    RealtimeState& state() { return state_; }
    const RealtimeState& state() const { return state_; }
    TNivoraSerialGPS& gnss() { return gnss_; }
    TNivoraSerialGPS& sounder() { return sounder_; }
    SurveyLogs& logs() { return logs_; }
    CanvasDocument& document() { return doc_; }
    const StandardLayers& layers() const { return layers_; }
    bool parametersLoaded() const { return projector_.has_value(); }
    bool mapTimerActive() const { return mapTimer_->isActive(); }
    int mapTimerInterval() const { return mapTimer_->interval(); }

    // Where the readers' bytes come from (default: serial ports).
    void setTransportFactories(TransportFactory gnss, TransportFactory sounder);

    // ---- Real time ----
    void RealtimeClick();
    bool running() const { return state_.Running; }
    // One real-time tick; the map timer calls it.
    void tMapTimer();
    void tEchogramTimer();
    void setMapTimerInterval(int ms);

    // ---- Layers, tracks and selection ----
    void EnsureLayers();
    // Asks, clears one track layer and logs it; false when the operator said no.
    bool clearTracks(TrackClass which);
    bool clearUserShapes();
    void selectTracks();
    void selectShapes();
    // The canvas reports the start and end of a drawing with the mouse.
    void drawBegan();
    void drawEnded(int shapeType);
    void deleteSelected();
    void cancelSelection();
    void deleteButtonUsed() { deleteButtonUsed_ = true; }
    void shapeNumberSelected(std::int32_t id);

    // ---- Events ----
    // Returns the number of the event marked.
    int markEvent();
    bool resetEventNumbering();

    // ---- Logs and errors ----
    void AppendEventLog(const QString& text) { logs_.AppendEventLog(text); }
    // A short status message: the message window and the events log.
    void message(const QString& text);
    // The one error path: throttled, logged, shown.
    void reportError(const QString& text);

    // The layout snapshot ("Save"). Returns the file written, empty on failure.
    QString Save();

    // The grid image of a position with the parameters the cycle took, or
    // nothing before they are taken or when the position is none.
    std::optional<std::pair<double, double>> gridPosition(double latitude, double longitude, double altitude);

private:
    void connectReaders();
    void onGnssLine(const QByteArray& line);
    void onSounderLine(const QByteArray& line);
    void writeCoordinateRow();
    bool takeParameters();
    void startSelectionPolygon(const QString& prompt);
    void finishSelection(const std::vector<int>& layerIds, bool allLayers, const QString& what);

    QString iniPath_;
    SurveyModels& models_;
    CanvasDocument& doc_;
    Clock& clock_;
    SessionView& view_;
    RealtimeState state_;
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
    VesselShape vesselShape_;
    QString speedLabel_;
    QString depthHighText_ = QStringLiteral("0.00");
    QString depthLowText_ = QStringLiteral("0.00");
    TColor background_;
    bool trackSelectMode_ = false;
    bool shapeSelectMode_ = false;
    bool deleteButtonUsed_ = false;
};

}  // namespace nivora
