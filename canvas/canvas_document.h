#pragma once

// The chart document behind the canvas: layers, shapes, blocks and fonts, the
// view window, the overlay state and the flat id-based interface the host
// uses. It needs no window; the canvas widget owns one and forwards its
// interface to it.
//
// The interface never fails on a bad id: getters return a fixed default and
// setters do nothing. Callers refer to shapes and layers by id only; the
// pointer lookups (FindShape, FindLayer, FindBlock) are for the renderer and
// the file readers and writers, which must not keep the pointers.
//
// Every lookup by id is O(1) on average (see ShapeStore). The shape list
// order is the paint order and the GetShapeAt order (last = on top).

#include <QHash>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "canvas/chart_layer_painter.h"
#include "canvas/layers.h"
#include "canvas/overlay_state.h"
#include "canvas/shape_store.h"
#include "canvas/shapes.h"
#include "canvas/view_window.h"
#include "core/colors.h"

namespace nivora {

enum class RepaintRequest {
    Invalidate,  // repaint when the event loop gets to it
    Immediate,   // repaint at once
};

class CanvasDocument {
  public:
    CanvasDocument();
    ~CanvasDocument();
    CanvasDocument(const CanvasDocument&) = delete;
    CanvasDocument& operator=(const CanvasDocument&) = delete;

    // ---- State ----
    // The chart picture must be rebuilt before the next paint; set by every
    // change to shapes, layers or the view. The renderer clears it.
    bool Dirty = true;
    // Called when the document asks for a repaint (the widget connects it).
    std::function<void(RepaintRequest)> RepaintRequested;

    int CurrentLayer = 0;       // layer of shapes drawn with the mouse; set by LayerOpen
    int CurrentFont = 0;        // index of the last font added by FontOpen
    int TextHAlignDefault = 0;  // alignment given to texts by TextAdd
    int TextVAlignDefault = 0;

    ViewWindow View;
    GridSettings Grid;
    OverlayState Overlay;
    // Drawn into the picture with the shapes; not owned, must outlive the
    // document or be reset first. Null for none.
    ChartLayerPainter* ProductsLayer = nullptr;

    const std::vector<std::unique_ptr<TNLayer>>& Layers() const { return layers_; }
    ShapeRange Shapes() const { return ShapeRange(store_); }
    const std::vector<std::unique_ptr<TNBlock>>& Blocks() const { return blocks_; }
    const std::vector<TNFont>& Fonts() const { return fonts_; }
    const std::vector<std::int32_t>& SelectedIds() const { return selectedIds_; }
    std::int32_t NextShapeId() const { return nextShapeId_; }
    int NextLayerId() const { return nextLayerId_; }
    int ShapeCount() const { return static_cast<int>(store_.size()); }
    // Ids of a layer's shapes, in no particular order; null for none.
    const std::vector<std::int32_t>* LayerShapeIds(int layer) const {
        return store_.layerIds(layer);
    }
    std::size_t LayerShapeCount(int layer) const { return store_.layerSize(layer); }

    // ---- Lookup and model building ----
    TNLayer* FindLayer(int id);
    const TNLayer* FindLayer(int id) const;
    TNShape* FindShape(std::int32_t id) { return store_.find(id); }
    const TNShape* FindShape(std::int32_t id) const { return store_.find(id); }
    TNBlock* FindBlock(const QString& name);

    // Id of the layer of that exact (case-sensitive) name, opened with the
    // default attributes when missing; it becomes CurrentLayer.
    int LayerOpen(const QString& name);
    int LayerFindByName(const QString& name) const;

    // Appends a shape built by a reader on top, on `layer` as given (the layer
    // need not exist), with the next id, and returns the id. A `reservedId`
    // from TakeShapeId is used instead when it is still reserved. -1 when no
    // id is left or the shape is null.
    std::int32_t AddShape(std::unique_ptr<TNShape> shape, int layer, std::int32_t reservedId = 0);
    // Takes an id for a shape that is still being drawn; -1 when none is left.
    std::int32_t TakeShapeId();
    void ReleaseShapeId(std::int32_t id);

    TNBlock* AddBlock(std::unique_ptr<TNBlock> block);
    // The start of a replace-mode load: removes every shape and layer, resets
    // both counters and opens "Default" again (id 0).
    void ResetDrawing();

    // ---- Layers ----
    // Position of a layer in Layers(), -1 when no layer has that id.
    int LayerPosition(int id) const;
    // Removes a layer with its shapes; false for an unknown id and for
    // "Default", where every fallback lands. The other layers keep their ids.
    bool LayerRemove(int id);
    // The layer's shapes painted over (ToFront) or under (ToBack) all others,
    // keeping their own order; the layer goes to the end or the start of
    // Layers(), which a layout writes in that order.
    void LayerToFront(int id);
    void LayerToBack(int id);
    // The box of the layer's shapes that have an extent; false when none has.
    bool LayerExtents(int id, ShapeBounds& box) const;
    // A layer's shapes can be picked on the chart: it is not locked.
    bool LayerPickable(int id) const;
    void LayerCopy(int from, int to, int mode);
    void LayerSelectShapes(int layer, bool add);
    void LayerDeselectShapes(int layer);

    // "name,size,styles" (styles may hold B and I); "TXT" means Arial.
    int FontOpen(const QString& description, int unused = 0);
    void CadFontBehaviorReset();
    void LayerFontBehaviorReset(int) {}
    void ShapeFontBehaviorReset(std::int32_t) {}

    // ---- Creation (the layer falls back to "Default" when missing) ----
    std::int32_t DrawLine(double x1, double y1, double x2, double y2, int layer);
    std::int32_t DrawCircle(double cx, double cy, double radius, int layer);
    std::int32_t DrawRectangle(double x1, double y1, double x2, double y2, int layer);
    std::int32_t DrawPoint(double x, double y, int layer);
    std::int32_t DrawTwoPointEllipse(double x1, double y1, double x2, double y2, int layer);
    std::int32_t DrawThreePointArc(double x1, double y1, double x2, double y2, double x3, double y3,
                                   int layer);
    std::int32_t TextAdd(int layer, const QString& text, double x, double y, int fontIndex);
    std::int32_t DrawPolyline(const std::vector<QPointF>& points, int layer, bool closed);
    std::int32_t ShapeAdd(int, int) { return -1; }

    // ---- Geometry by id ----
    void ShapeTranslate(std::int32_t id, double dx, double dy);
    void ShapeScale(std::int32_t id, double cx, double cy, double sx, double sy);
    void ShapeRotate(std::int32_t id, double angle, double cx, double cy);
    // Axis 0 mirrors across the vertical line through x, 1 across the horizontal through y.
    void ShapeReflect(std::int32_t id, int axis, double x, double y);
    void ShapeSelectMoveDelta(double dx, double dy);
    void ShapeToLayer(std::int32_t id, int layer);

    // ---- Paint order ----
    void ShapeToFront(std::int32_t id);
    void ShapeToBack(std::int32_t id);
    void ShapeZOrderJump(std::int32_t id, std::int32_t n);

    // ---- Polyline vertices ----
    int ShapePointCount(std::int32_t id) const;
    double ShapePointGetX(std::int32_t id, int index) const;
    double ShapePointGetY(std::int32_t id, int index) const;
    void ShapePointSet(std::int32_t id, int index, double x, double y);
    void ShapePointInsert(std::int32_t id, int index, double x, double y);
    void ShapePointDelete(std::int32_t id, int index);

    // ---- Selection ----
    void ShapeSelect(std::int32_t id, bool add);
    void ShapeDeselect(std::int32_t id);
    void CadSelectShapes();
    void CadDeselectShapes();
    void ClearSelection();
    void SelectShapesOnLayers(const std::vector<int>& layers);
    int SelectedShapeCount() const { return selectedCount_; }
    std::vector<std::int32_t> GetShapeSelectNumbers() const { return selectedIds_; }
    static bool PointInPolygon(double x, double y, const std::vector<QPointF>& polygon);
    void SelectShapesInPolygon(const std::vector<QPointF>& polygon, const std::vector<int>& layers);
    void SelectAllShapesInPolygon(const std::vector<QPointF>& polygon);
    // Five pixels in world units.
    double HitTolerance() const;
    std::int32_t GetShapeAt(double x, double y) const;
    std::int32_t ShapeHitTest(double x, double y) const { return GetShapeAt(x, y); }
    std::vector<QPointF> GetLastPolylinePoints() const;

    // ---- Deletion ----
    void ShapeDelete(std::int32_t id);
    // Destroys those of the shapes that still exist; returns how many did.
    std::size_t RemoveShapes(std::vector<std::int32_t> ids);
    // Drops the blocks after the first `count`.
    void TruncateBlocks(std::size_t count);
    // -1 clears everything and restarts the ids at 1.
    void CadClearShapes(int layer);
    void CadClearSelectedShapes();
    void ShapeSelectDelete();
    void DeleteSelectedShapes();

    // ---- Layer properties ----
    int GetLayerAction(int layer) const;
    void SetLayerAction(int layer, int value);
    TColor GetLayerPenFg(int layer) const;
    void SetLayerPenFg(int layer, TColor color);  // also recolours the layer's shapes
    int GetLayerPenWidth(int layer) const;
    void SetLayerPenWidth(int layer, int width);  // also sets the layer's shapes
    int GetLayerPenStyle(int layer) const;
    void SetLayerPenStyle(int layer, int style);
    TColor GetLayerBrushFg(int layer) const;
    void SetLayerBrushFg(int layer, TColor color);
    TColor GetLayerBrushBg(int layer) const;
    void SetLayerBrushBg(int layer, TColor color);
    int GetLayerBrushStyle(int layer) const;
    void SetLayerBrushStyle(int layer, int style);
    int GetLayerBrushMode(int layer) const;
    void SetLayerBrushMode(int layer, int mode);

    // ---- Shape properties ----
    short GetShapeType(std::int32_t id) const;
    int GetShapeOnLayer(std::int32_t id) const;
    bool GetShapeIsSelected(std::int32_t id) const;
    TColor GetShapePenFg(std::int32_t id) const;
    void SetShapePenFg(std::int32_t id, TColor color);
    int GetShapePenWidth(std::int32_t id) const;
    void SetShapePenWidth(std::int32_t id, int width);
    int GetShapePenStyle(std::int32_t id) const;
    void SetShapePenStyle(std::int32_t id, int style);
    TColor GetShapeBrushFg(std::int32_t id) const;
    void SetShapeBrushFg(std::int32_t id, TColor color);
    int GetShapeBrushStyle(std::int32_t id) const;
    void SetShapeBrushStyle(std::int32_t id, int style);
    int GetShapeBrushMode(std::int32_t id) const;
    void SetShapeBrushMode(std::int32_t id, int mode);
    QString GetShapeText(std::int32_t id) const;
    void SetShapeText(std::int32_t id, const QString& text);
    QString GetShapeNotes(std::int32_t id) const;
    void SetShapeNotes(std::int32_t id, const QString& notes);
    int GetShapeZOrder(std::int32_t id) const;
    void SetShapeZOrder(std::int32_t id, std::int32_t order);

    // ---- Interface completers ----
    bool MetafileSave(const QString&) { return false; }
    bool MetafileToClipboard() { return false; }
    void PrintView(int, const QString&) {}
    bool ViewDialogShow(int, std::int32_t) { return false; }

    // ---- View window ----
    void WorldToScreen(double x, double y, int& sx, int& sy) const {
        View.WorldToScreen(x, y, sx, sy);
    }
    void ScreenToWorld(int sx, int sy, double& x, double& y) const {
        View.ScreenToWorld(sx, sy, x, y);
    }
    double GetWorldWidth() const { return View.GetWorldWidth(); }
    double GetWorldHeight() const { return View.GetWorldHeight(); }
    int WorldToAbsX(double x) const { return View.WorldToAbsX(x); }
    int WorldToAbsY(double y) const { return View.WorldToAbsY(y); }
    void WorldSet(double left, double top, double right, double bottom);
    void WorldPan(double dx, double dy);
    void WorldZoom(int mode, double factor, double x, double y);
    // Fits the window to every shape whose own Visible flag is set.
    void WorldExtents();
    // The box of those shapes; false when none has an extent.
    bool ShapeExtents(ShapeBounds& box) const;
    // New client size: keeps the window's centre and fits its proportions.
    void Resize(int width, int height);
    // Rebuild the picture and repaint (the host calls it after a batch of changes).
    void Refresh();

    // ---- Overlays ----
    void AddDepthLabel(double x, double y, double depth);
    void ClearDepthLabels();
    void SetDepthLabelSettings(bool visible, double spacing, const QString& fontName, int fontSize,
                               TColor color);
    void AddEventLabel(double x, double y, int number);
    void ClearEventLabels();
    void SetCurrentDepth(double hf, double lf, bool show);
    void SetCurrentSpeed(double knots, bool show);
    void ToggleDepthSpeedDisplayMode();
    void ToggleGGAOverlayPosition();
    void SetPositionStatus(const QString& text, int fixQuality);
    void SetDataStale(bool position, bool depth);
    void StartDistanceMeasure(double x, double y);
    void UpdateDistanceMeasure(double x, double y, double distance, double bearing);
    void EndDistanceMeasure();

  private:
    // Hand a drawing built elsewhere over to this one (drawing_transfer.h).
    friend class DrawingMerge;
    friend class DrawingSnapshot;

    int resolveLayer(int layer);
    // Rebuilds the lookups by id and by name from layers_.
    void reindexLayers();
    void restackLayer(int id, bool front);
    std::int32_t allocateId();
    std::int32_t addCreated(std::unique_ptr<TNShape> shape, int layer);
    void markSelected(TNShape& shape);
    // Clears the flags of a layer's selected shapes and drops their ids.
    void unselectLayer(int layer);
    void deleteSelected();
    void requestRepaint(RepaintRequest request);
    void changed() { Dirty = true; }

    std::vector<std::unique_ptr<TNLayer>> layers_;
    QHash<QString, int> layerByName_;
    std::vector<int> layerSlot_;  // layer id -> position in layers_, -1 for a removed one
    ShapeStore store_;
    std::vector<std::unique_ptr<TNBlock>> blocks_;
    QHash<QString, std::size_t> blockByName_;
    std::vector<TNFont> fonts_;
    std::vector<std::int32_t> selectedIds_;
    int selectedCount_ = 0;  // distinct shapes with the Selected flag
    std::int32_t nextShapeId_ = 1;
    int nextLayerId_ = 0;
    std::vector<std::int32_t> reservedIds_;
};

}  // namespace nivora
