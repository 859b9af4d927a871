#include "survey/track_selection.h"

#include "canvas/canvas_document.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"

namespace nivora {

TrackSelection::TrackSelection(ChartSession& chart) : chart_(chart) {}

void TrackSelection::repaint() {
    emit chart_.repaintRequested();
}

bool TrackSelection::clearTracks(TrackClass which) {
    struct Command {
        const char* question;
        int layer;
        const char* logLine;
    };
    // Each question names the class its layer holds (fix quality 4; 5, 2
    // and 3; anything else).
    const StandardLayers& layers = chart_.layers();
    const Command c = which == TrackClass::Fixed
                          ? Command{"RTK Fixed tracking points to be cleared. Continue?",
                                    layers.trackFix, "Cleared RTK Fixed tracklines"}
                      : which == TrackClass::Float
                          ? Command{"RTK Float/DGPS tracking points to be cleared. Continue?",
                                    layers.trackFloat, "Cleared RTK Float/DGPS tracklines"}
                          : Command{"Autonomous/No Fix tracking points to be cleared. Continue?",
                                    layers.trackNoFix, "Cleared NoFix tracklines"};
    if (!chart_.ask(QLatin1String(c.question))) return false;
    CanvasDocument& doc = chart_.document();
    doc.CadClearShapes(c.layer);
    doc.Refresh();
    repaint();
    chart_.survey().logs().AppendEventLog(QLatin1String(c.logLine));
    return true;
}

bool TrackSelection::clearUserShapes() {
    if (!chart_.ask(QStringLiteral("User added shapes to be deleted! Continue?"))) return false;
    chart_.document().CadClearShapes(chart_.layers().userShape);
    chart_.document().Refresh();
    return true;
}

void TrackSelection::startPolygon(const QString& prompt) {
    CanvasDocument& doc = chart_.document();
    const int existing = doc.LayerFindByName(layer_names::SelectPoly);
    if (existing >= 0) {
        doc.CadClearShapes(existing);
        doc.CurrentLayer = existing;
    } else {
        doc.LayerOpen(layer_names::SelectPoly);
    }
    emit toolRequested(tool::Polygon);
    setPrompt(prompt);
}

void TrackSelection::setPrompt(const QString& text) {
    prompt_ = text;
    emit chart_.statusPanelChanged(0, text);
}

void TrackSelection::selectTracks() {
    trackSelectMode_ = true;
    deleteButtonUsed_ = false;
    emit deleteShortcutOnTrackItem(true);
    startPolygon(QStringLiteral("Draw polygon to select tracks (right-click to finish)"));
}

void TrackSelection::selectShapes() {
    shapeSelectMode_ = true;
    trackSelectMode_ = false;
    startPolygon(QStringLiteral("Draw polygon to select shapes (right-click to finish)"));
}

void TrackSelection::drawBegan() {
    // A selection polygon is drawn on its own layer, which the end of the
    // selection empties; anything else the operator draws is a user shape.
    if (!trackSelectMode_ && !shapeSelectMode_)
        chart_.document().CurrentLayer = chart_.layers().userShape;
    // The vessel does not move while the operator draws.
    chart_.survey().cycle().setDrawing(true);
}

void TrackSelection::finish(const std::vector<int>& layerIds, bool allLayers, const QString& what) {
    CanvasDocument& doc = chart_.document();
    const std::vector<QPointF> polygon = doc.GetLastPolylinePoints();
    const int selectPoly = doc.LayerFindByName(layer_names::SelectPoly);
    if (selectPoly >= 0) doc.CadClearShapes(selectPoly);
    if ((allLayers || !layerIds.empty()) && polygon.size() > 2) {
        if (allLayers) {
            doc.SelectAllShapesInPolygon(polygon);
        } else {
            doc.SelectShapesInPolygon(polygon, layerIds);
        }
        repaint();
        const int n = doc.SelectedShapeCount();
        setPrompt(n > 0 ? QString::number(n) + what : QString());
    }
    emit toolRequested(tool::Select);
}

void TrackSelection::drawEnded(int shapeType) {
    CanvasDocument& doc = chart_.document();
    if (shapeType == 6 && trackSelectMode_) {
        trackSelectMode_ = false;
        std::vector<int> ids;
        for (const QString& name :
             {layer_names::TrackFix, layer_names::TrackNoFix, layer_names::TrackFloat}) {
            const int id = doc.LayerFindByName(name);
            if (id >= 0) ids.push_back(id);
        }
        finish(ids, false, QStringLiteral(" track(s) selected. Press Delete to remove."));
    } else if (shapeType == 6 && shapeSelectMode_) {
        shapeSelectMode_ = false;
        finish({}, true, QStringLiteral(" shape(s) selected. Press Delete to remove."));
    } else if ((shapeType == 3 || shapeType == 5 || shapeType == 6) && runlineShown_) {
        const std::vector<QPointF> points = doc.GetLastPolylinePoints();
        if (points.size() >= 2) emit routeDrawn(points);
    }
    chart_.survey().cycle().setDrawing(false);
}

void TrackSelection::deleteSelected() {
    CanvasDocument& doc = chart_.document();
    if (doc.SelectedShapeCount() <= 0) return;
    doc.CadClearSelectedShapes();
    doc.Refresh();
    repaint();
    if (!prompt_.isEmpty()) setPrompt(QString());
}

void TrackSelection::selectionDeleted() {
    chart_.document().Refresh();
    repaint();
    if (!prompt_.isEmpty()) setPrompt(QString());
}

void TrackSelection::cancelSelection() {
    trackSelectMode_ = false;
    shapeSelectMode_ = false;
    chart_.document().ClearSelection();
    setPrompt(QString());
    repaint();
}

void TrackSelection::shapeNumberSelected(std::int32_t id) {
    if (!deleteButtonUsed_) return;
    CanvasDocument& doc = chart_.document();
    const int width = chart_.trackWidth();
    if (doc.GetShapePenWidth(id) == width) {
        doc.SetShapePenWidth(id, 0);
    } else {
        doc.SetShapePenWidth(id, width);
        doc.ShapeDeselect(id);
    }
}

}  // namespace nivora
