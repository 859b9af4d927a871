#pragma once

// What the operator selects and clears on the chart: a track class or the
// user shapes at once, tracks or shapes inside a polygon drawn for it, the
// selection deleted or given up; and what a drawing means when it ends (a
// selection's polygon, a route for the run line window, a user shape).

#include <QObject>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <vector>

#include "canvas/canvas_interaction.h"

namespace nivora {

class ChartSession;

enum class TrackClass { Fixed, Float, NoFix };

class TrackSelection : public QObject {
    Q_OBJECT

  public:
    explicit TrackSelection(ChartSession& chart);

    // Asks, clears one track layer and logs it; false when the operator said no.
    bool clearTracks(TrackClass which);
    bool clearUserShapes();
    void selectTracks();
    void selectShapes();
    void deleteSelected();
    void cancelSelection();
    void deleteButtonUsed() { deleteButtonUsed_ = true; }
    // The canvas's Delete key removed the selection.
    void selectionDeleted();
    void shapeNumberSelected(std::int32_t id);

    void drawBegan();
    void drawEnded(int shapeType);
    // A line or polyline drawn while the run line window is shown is its route.
    void setRunlineWindowShown(bool shown) { runlineShown_ = shown; }
    // A selection's prompt or result holds status panel 0 until it ends.
    bool holdsPromptPanel() const { return !prompt_.isEmpty(); }

  signals:
    void toolRequested(nivora::Tool tool);  // the polygon for a selection, then none
    void deleteShortcutOnTrackItem(bool on);
    void routeDrawn(const std::vector<QPointF>& points);

  private:
    void startPolygon(const QString& prompt);
    void setPrompt(const QString& text);
    void finish(const std::vector<int>& layerIds, bool allLayers, const QString& what);
    void repaint();

    ChartSession& chart_;
    bool trackSelectMode_ = false;
    bool shapeSelectMode_ = false;
    bool deleteButtonUsed_ = false;
    bool runlineShown_ = false;
    QString prompt_;
};

}  // namespace nivora
