#pragma once

// The chart of a survey: the standard layers, and on every tick of real
// time the vessel, the track marks, the depth labels, the overlays and the
// status bar's position panels; the alarm's background, the view and its
// "CANVAS" keys, event marks, the first show and the close. Its parts are
// the selection of tracks and shapes and the file commands. It follows the
// real-time survey by signal; `nivora` runs a survey with or without it.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "config/config_host.h"
#include "config/session_keys.h"
#include "core/colors.h"
#include "survey/standard_layers.h"
#include "survey/survey_values.h"
#include "survey/track_recorder.h"

namespace nivora {

class CanvasDocument;
class ChartFiles;
class ChartGeography;
class DepthLayer;
class IniStore;
class RealtimeSurvey;
class TrackSelection;

// Where the last tick placed the vessel, and when.
struct VesselPlace {
    GridPosition grid;
    double gridHeadingDeg = 0;
    QDateTime at;  // invalid before the first
};

class ChartSession : public QObject {
    Q_OBJECT

  public:
    // `prompts` may be null: nobody answers, and the answer is No.
    ChartSession(RealtimeSurvey& survey, CanvasDocument& doc, OperatorPrompts* prompts = nullptr,
                 QObject* parent = nullptr);
    ~ChartSession() override;

    RealtimeSurvey& survey() { return survey_; }
    CanvasDocument& document() { return doc_; }
    const StandardLayers& layers() const { return layers_; }
    // Opens the standard layers a layout did not bring.
    void ensureLayers();
    TrackSelection& selection() { return *selection_; }
    ChartFiles& files() { return *files_; }
    // The depth-coloured soundings, the coverage grid and their colour bar.
    DepthLayer& depths() { return *depths_; }
    // Grid points as latitude and longitude, and the convergence.
    ChartGeography& geography() { return *geography_; }
    // The north arrow's true north for the view's centre as it is now.
    void updateNorthArrow();
    OperatorPrompts* prompts() const { return prompts_; }
    void setPrompts(OperatorPrompts* prompts) { prompts_ = prompts; }
    // Yes or No; unanswered is No.
    bool ask(const QString& question);

    // First show: the last layout in replace mode, the standard layers, the
    // caption and the "CANVAS" keys into the view.
    void firstShow();
    // The close: readers closed ignoring errors, the layout snapshot, the
    // "CANVAS" keys, the logs on disk. The snapshot written, empty when it
    // could not be.
    QString closeSequence();
    CanvasKeys canvasKeys() const;
    void applyCanvasKeys(const CanvasKeys& keys);

    void zoomIn();
    void zoomOut();
    void zoomExtents();
    void setFollowVessel(bool follow) { followVessel_ = follow; }
    const VesselPlace& vessel() const { return vessel_; }
    // A click that is not the right button's (that one measures): the
    // clicked point in the status bar.
    void pointClicked(double x, double y);

    // The number of the event marked.
    int markEvent();
    bool resetEventNumbering();
    // The track width the navigation settings give (the last good one).
    int trackWidth() const { return numbers_.trackWidth; }
    // The vessel and grid layers emptied: a layout is stored without them.
    void clearVesselAndGrid();
    // A change to the settings file; a file that cannot be written is reported.
    void saveSettings(const std::function<void(IniStore&)>& change);
    void requestRepaint() { emit repaintRequested(); }

  signals:
    void repaintRequested();
    void backgroundChanged(nivora::TColor colour);
    // Status bar panels: 0 latitude or a selection's prompt, 1 longitude,
    // 2 easting, 3 northing, 4 and 5 the last clicked point, 6 the survey's
    // state when it is not simply running.
    void statusPanelChanged(int index, const QString& text);

  private:
    void onTick(const TickValues& v);
    void onSounding(const CorrectedSounding& s);
    void readNavigationNumbers();
    void setBackground(TColor colour);
    void showOverlayOnly(const QString& text, double speedKnots);

    RealtimeSurvey& survey_;
    CanvasDocument& doc_;
    OperatorPrompts* prompts_;
    StandardLayers layers_;
    TrackRecorder track_;
    VesselPlace vessel_;
    bool followVessel_ = true;
    TColor background_;
    // The navigation fields the tick needs as numbers, read when they change.
    struct Numbers {
        int vesselWidth = 2;
        int trackWidth = 2;
        int trackInterval = 20;
    } numbers_;
    std::unique_ptr<TrackSelection> selection_;
    std::unique_ptr<ChartFiles> files_;
    std::unique_ptr<DepthLayer> depths_;
    std::unique_ptr<ChartGeography> geography_;
};

}  // namespace nivora
