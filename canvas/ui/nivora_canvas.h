#pragma once

// TNivoraCanvas: the chart widget. It owns the chart document, the
// off-screen picture of grid and shapes (rebuilt only when the document is
// dirty or the client size changed), the renderer and the mouse handling,
// and offers the document's flat id-based interface by delegation.
//
// Every paint copies the cached picture and draws the rubber band and the
// survey read-outs over it, so overlay updates during a survey cost a blit
// and a few texts, never a rebuild.
//
// Public fields are references into the document and the mouse handling, so
// the host sets them as plain fields (canvas->ToolMode = tool::Pan;). The
// canvas takes its own input: the mouse tools, the wheel, the measuring
// tool and its keys (Delete, Esc, F2, F3); the host hears what happened.

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "canvas/canvas_document.h"
#include "canvas/canvas_interaction.h"
#include "canvas/canvas_renderer.h"
#include "canvas/overlay_painter.h"

namespace nivora {

class TNivoraCanvas : public QWidget {
    Q_OBJECT

    // Declared first: the public reference fields below bind to them.
    CanvasDocument doc_;
    CanvasInteraction ui_;
    CanvasRenderer renderer_;
    OverlayCaches overlayCaches_;
    RenderStats lastStats_;
    int rebuilds_ = 0;

  public:
    explicit TNivoraCanvas(QWidget* parent = nullptr);
    ~TNivoraCanvas() override;

    // ---- Fields ----
    int& ToolMode;
    bool& KeepTool;
    bool& DeleteKeyEnabled;
    bool& FollowVessel;
    int& CurrentLayer;
    int& CurrentFont;
    bool& Dirty;  // the picture is rebuilt before the next paint
    double& WorldLeft;
    double& WorldRight;
    double& WorldTop;
    double& WorldBottom;
    bool& GridVisible;
    bool& GridAutoScale;
    double& GridSpacingX;
    double& GridSpacingY;
    TColor& GridColor;
    TColor BackColor = colors::White;
    int GridOrder = 0;  // 0 grid under the shapes, 1 over them, else none
    QImage BackBuffer;  // the cached picture of grid and shapes
    bool& DepthLabelsVisible;
    double& DepthLabelSpacing;
    QString& LabelFontName;
    int& LabelFontSize;
    TColor& LabelColor;
    int& EventLabelFontSize;
    TColor& EventLabelColor;
    int& DepthSpeedDisplayMode;
    int& GGAOverlayPosition;

    // Picks a tool; `keep` keeps it after a drawing is finished.
    void setTool(Tool t, bool keep = false) { ui_.setTool(t, keep); }

    // The model behind the widget, for the file readers and writers.
    CanvasDocument& Document() { return doc_; }
    const CanvasDocument& Document() const { return doc_; }
    CanvasInteraction& Interaction() { return ui_; }
    // Rebuilds so far and what the last one drew.
    int RebuildCount() const { return rebuilds_; }
    // Paints that showed the last picture moved to a new view while a large
    // chart's rebuild waited for the view to settle.
    int PreviewCount() const { return previews_; }
    // A chart of this many shapes whose last rebuild took this long shows the
    // last picture, moved and scaled, while the view keeps changing, and is
    // rebuilt once the view has been still for kSettleMs.
    static constexpr int kPreviewMinShapes = 100000;
    static constexpr qint64 kPreviewSlowRebuildMs = 12;
    static constexpr int kSettleMs = 150;
    const RenderStats& LastRenderStats() const { return lastStats_; }

    // ---- Painting ----
    void SetBackColor(TColor color);
    // The night chart: the picture and the read-outs in their night colours.
    void SetNightChart(bool night);
    bool NightChart() const { return doc_.Overlay.Night; }
    void Refresh() { doc_.Refresh(); }
    void Update() { doc_.Refresh(); }
    void ClearDrawingState() { ui_.ClearDrawingState(); }
    bool IsPointInGGAOverlay(int x, int y) const;
    void AboutBox();

    // ---- Model ----
    const std::vector<std::unique_ptr<TNLayer>>& Layers() const { return doc_.Layers(); }
    ShapeRange Shapes() const { return doc_.Shapes(); }
    const std::vector<std::int32_t>& SelectedIds() const { return doc_.SelectedIds(); }
    std::int32_t NextShapeId() const { return doc_.NextShapeId(); }
    int NextLayerId() const { return doc_.NextLayerId(); }
    int ShapeCount() const { return doc_.ShapeCount(); }
    TNLayer* FindLayer(int id) { return doc_.FindLayer(id); }
    TNShape* FindShape(std::int32_t id) { return doc_.FindShape(id); }
    TNBlock* FindBlock(const QString& name) { return doc_.FindBlock(name); }

    // ---- Layers and fonts ----
    int LayerOpen(const QString& name) { return doc_.LayerOpen(name); }
    int LayerFindByName(const QString& name) const { return doc_.LayerFindByName(name); }
    void LayerCopy(int from, int to, int mode) { doc_.LayerCopy(from, to, mode); }
    void LayerSelectShapes(int layer, bool add) { doc_.LayerSelectShapes(layer, add); }
    void LayerDeselectShapes(int layer) { doc_.LayerDeselectShapes(layer); }
    int FontOpen(const QString& description, int unused = 0) {
        return doc_.FontOpen(description, unused);
    }
    void CadFontBehaviorReset() { doc_.CadFontBehaviorReset(); }
    void LayerFontBehaviorReset(int layer) { doc_.LayerFontBehaviorReset(layer); }
    void ShapeFontBehaviorReset(std::int32_t id) { doc_.ShapeFontBehaviorReset(id); }

    // ---- Creation ----
    std::int32_t DrawLine(double x1, double y1, double x2, double y2, int layer) {
        return doc_.DrawLine(x1, y1, x2, y2, layer);
    }
    std::int32_t DrawCircle(double cx, double cy, double radius, int layer) {
        return doc_.DrawCircle(cx, cy, radius, layer);
    }
    std::int32_t DrawRectangle(double x1, double y1, double x2, double y2, int layer) {
        return doc_.DrawRectangle(x1, y1, x2, y2, layer);
    }
    std::int32_t DrawPoint(double x, double y, int layer) { return doc_.DrawPoint(x, y, layer); }
    std::int32_t DrawTwoPointEllipse(double x1, double y1, double x2, double y2, int layer) {
        return doc_.DrawTwoPointEllipse(x1, y1, x2, y2, layer);
    }
    std::int32_t DrawThreePointArc(double x1, double y1, double x2, double y2, double x3, double y3,
                                   int layer) {
        return doc_.DrawThreePointArc(x1, y1, x2, y2, x3, y3, layer);
    }
    std::int32_t TextAdd(int layer, const QString& text, double x, double y, int fontIndex) {
        return doc_.TextAdd(layer, text, x, y, fontIndex);
    }
    std::int32_t DrawPolyline(const std::vector<QPointF>& points, int layer, bool closed) {
        return doc_.DrawPolyline(points, layer, closed);
    }
    std::int32_t ShapeAdd(int a, int b) { return doc_.ShapeAdd(a, b); }

    // ---- Geometry ----
    void ShapeTranslate(std::int32_t id, double dx, double dy) { doc_.ShapeTranslate(id, dx, dy); }
    void ShapeScale(std::int32_t id, double cx, double cy, double sx, double sy) {
        doc_.ShapeScale(id, cx, cy, sx, sy);
    }
    void ShapeRotate(std::int32_t id, double angle, double cx, double cy) {
        doc_.ShapeRotate(id, angle, cx, cy);
    }
    void ShapeReflect(std::int32_t id, int axis, double x, double y) {
        doc_.ShapeReflect(id, axis, x, y);
    }
    void ShapeSelectMoveDelta(double dx, double dy) { doc_.ShapeSelectMoveDelta(dx, dy); }
    void ShapeToLayer(std::int32_t id, int layer) { doc_.ShapeToLayer(id, layer); }
    void ShapeToFront(std::int32_t id) { doc_.ShapeToFront(id); }
    void ShapeToBack(std::int32_t id) { doc_.ShapeToBack(id); }
    void ShapeZOrderJump(std::int32_t id, std::int32_t n) { doc_.ShapeZOrderJump(id, n); }
    int ShapePointCount(std::int32_t id) const { return doc_.ShapePointCount(id); }
    double ShapePointGetX(std::int32_t id, int i) const { return doc_.ShapePointGetX(id, i); }
    double ShapePointGetY(std::int32_t id, int i) const { return doc_.ShapePointGetY(id, i); }
    void ShapePointSet(std::int32_t id, int i, double x, double y) {
        doc_.ShapePointSet(id, i, x, y);
    }
    void ShapePointInsert(std::int32_t id, int i, double x, double y) {
        doc_.ShapePointInsert(id, i, x, y);
    }
    void ShapePointDelete(std::int32_t id, int i) { doc_.ShapePointDelete(id, i); }

    // ---- Selection ----
    void ShapeSelect(std::int32_t id, bool add) { doc_.ShapeSelect(id, add); }
    void ShapeDeselect(std::int32_t id) { doc_.ShapeDeselect(id); }
    void CadSelectShapes() { doc_.CadSelectShapes(); }
    void CadDeselectShapes() { doc_.CadDeselectShapes(); }
    void ClearSelection() { doc_.ClearSelection(); }
    void SelectShapesOnLayers(const std::vector<int>& layers) { doc_.SelectShapesOnLayers(layers); }
    int SelectedShapeCount() const { return doc_.SelectedShapeCount(); }
    std::vector<std::int32_t> GetShapeSelectNumbers() const { return doc_.GetShapeSelectNumbers(); }
    static bool PointInPolygon(double x, double y, const std::vector<QPointF>& polygon) {
        return CanvasDocument::PointInPolygon(x, y, polygon);
    }
    void SelectShapesInPolygon(const std::vector<QPointF>& polygon,
                               const std::vector<int>& layers) {
        doc_.SelectShapesInPolygon(polygon, layers);
    }
    void SelectAllShapesInPolygon(const std::vector<QPointF>& polygon) {
        doc_.SelectAllShapesInPolygon(polygon);
    }
    std::int32_t GetShapeAt(double x, double y) const { return doc_.GetShapeAt(x, y); }
    std::int32_t ShapeHitTest(double x, double y) const { return doc_.ShapeHitTest(x, y); }
    std::vector<QPointF> GetLastPolylinePoints() const { return doc_.GetLastPolylinePoints(); }

    // ---- Deletion ----
    void ShapeDelete(std::int32_t id) { doc_.ShapeDelete(id); }
    void CadClearShapes(int layer) { doc_.CadClearShapes(layer); }
    void CadClearSelectedShapes() { doc_.CadClearSelectedShapes(); }
    void ShapeSelectDelete() { doc_.ShapeSelectDelete(); }
    void DeleteSelectedShapes() { doc_.DeleteSelectedShapes(); }

    // ---- Layer properties ----
    int GetLayerAction(int layer) const { return doc_.GetLayerAction(layer); }
    void SetLayerAction(int layer, int value) { doc_.SetLayerAction(layer, value); }
    TColor GetLayerPenFg(int layer) const { return doc_.GetLayerPenFg(layer); }
    void SetLayerPenFg(int layer, TColor color) { doc_.SetLayerPenFg(layer, color); }
    int GetLayerPenWidth(int layer) const { return doc_.GetLayerPenWidth(layer); }
    void SetLayerPenWidth(int layer, int width) { doc_.SetLayerPenWidth(layer, width); }
    int GetLayerPenStyle(int layer) const { return doc_.GetLayerPenStyle(layer); }
    void SetLayerPenStyle(int layer, int style) { doc_.SetLayerPenStyle(layer, style); }
    TColor GetLayerBrushFg(int layer) const { return doc_.GetLayerBrushFg(layer); }
    void SetLayerBrushFg(int layer, TColor color) { doc_.SetLayerBrushFg(layer, color); }
    TColor GetLayerBrushBg(int layer) const { return doc_.GetLayerBrushBg(layer); }
    void SetLayerBrushBg(int layer, TColor color) { doc_.SetLayerBrushBg(layer, color); }
    int GetLayerBrushStyle(int layer) const { return doc_.GetLayerBrushStyle(layer); }
    void SetLayerBrushStyle(int layer, int style) { doc_.SetLayerBrushStyle(layer, style); }
    int GetLayerBrushMode(int layer) const { return doc_.GetLayerBrushMode(layer); }
    void SetLayerBrushMode(int layer, int mode) { doc_.SetLayerBrushMode(layer, mode); }

    // ---- Shape properties ----
    short GetShapeType(std::int32_t id) const { return doc_.GetShapeType(id); }
    int GetShapeOnLayer(std::int32_t id) const { return doc_.GetShapeOnLayer(id); }
    bool GetShapeIsSelected(std::int32_t id) const { return doc_.GetShapeIsSelected(id); }
    TColor GetShapePenFg(std::int32_t id) const { return doc_.GetShapePenFg(id); }
    void SetShapePenFg(std::int32_t id, TColor color) { doc_.SetShapePenFg(id, color); }
    int GetShapePenWidth(std::int32_t id) const { return doc_.GetShapePenWidth(id); }
    void SetShapePenWidth(std::int32_t id, int width) { doc_.SetShapePenWidth(id, width); }
    int GetShapePenStyle(std::int32_t id) const { return doc_.GetShapePenStyle(id); }
    void SetShapePenStyle(std::int32_t id, int style) { doc_.SetShapePenStyle(id, style); }
    TColor GetShapeBrushFg(std::int32_t id) const { return doc_.GetShapeBrushFg(id); }
    void SetShapeBrushFg(std::int32_t id, TColor color) { doc_.SetShapeBrushFg(id, color); }
    int GetShapeBrushStyle(std::int32_t id) const { return doc_.GetShapeBrushStyle(id); }
    void SetShapeBrushStyle(std::int32_t id, int style) { doc_.SetShapeBrushStyle(id, style); }
    int GetShapeBrushMode(std::int32_t id) const { return doc_.GetShapeBrushMode(id); }
    void SetShapeBrushMode(std::int32_t id, int mode) { doc_.SetShapeBrushMode(id, mode); }
    QString GetShapeText(std::int32_t id) const { return doc_.GetShapeText(id); }
    void SetShapeText(std::int32_t id, const QString& text) { doc_.SetShapeText(id, text); }
    QString GetShapeNotes(std::int32_t id) const { return doc_.GetShapeNotes(id); }
    void SetShapeNotes(std::int32_t id, const QString& notes) { doc_.SetShapeNotes(id, notes); }
    int GetShapeZOrder(std::int32_t id) const { return doc_.GetShapeZOrder(id); }
    void SetShapeZOrder(std::int32_t id, std::int32_t order) { doc_.SetShapeZOrder(id, order); }

    // ---- Interface completers ----
    bool MetafileSave(const QString& path) { return doc_.MetafileSave(path); }
    bool MetafileToClipboard() { return doc_.MetafileToClipboard(); }
    void PrintView(int mode, const QString& title) { doc_.PrintView(mode, title); }
    bool ViewDialogShow(int mode, std::int32_t id) { return doc_.ViewDialogShow(mode, id); }

    // ---- View window ----
    void WorldToScreen(double x, double y, int& sx, int& sy) const {
        doc_.WorldToScreen(x, y, sx, sy);
    }
    void ScreenToWorld(int sx, int sy, double& x, double& y) const {
        doc_.ScreenToWorld(sx, sy, x, y);
    }
    double GetWorldWidth() const { return doc_.GetWorldWidth(); }
    double GetWorldHeight() const { return doc_.GetWorldHeight(); }
    int WorldToAbsX(double x) const { return doc_.WorldToAbsX(x); }
    int WorldToAbsY(double y) const { return doc_.WorldToAbsY(y); }
    void WorldSet(double left, double top, double right, double bottom) {
        doc_.WorldSet(left, top, right, bottom);
    }
    void WorldPan(double dx, double dy) { doc_.WorldPan(dx, dy); }
    void WorldZoom(int mode, double factor, double x, double y) {
        doc_.WorldZoom(mode, factor, x, y);
    }
    void WorldExtents() { doc_.WorldExtents(); }

    // ---- Overlays ----
    void AddDepthLabel(double x, double y, double depth) { doc_.AddDepthLabel(x, y, depth); }
    void ClearDepthLabels() { doc_.ClearDepthLabels(); }
    void SetDepthLabelSettings(bool visible, double spacing, const QString& fontName, int fontSize,
                               TColor color) {
        doc_.SetDepthLabelSettings(visible, spacing, fontName, fontSize, color);
    }
    void AddEventLabel(double x, double y, int number) { doc_.AddEventLabel(x, y, number); }
    void ClearEventLabels() { doc_.ClearEventLabels(); }
    void SetCurrentDepth(double hf, double lf, bool show) { doc_.SetCurrentDepth(hf, lf, show); }
    void SetCurrentSpeed(double knots, bool show) { doc_.SetCurrentSpeed(knots, show); }
    void ToggleDepthSpeedDisplayMode() { doc_.ToggleDepthSpeedDisplayMode(); }
    void ToggleGGAOverlayPosition() { doc_.ToggleGGAOverlayPosition(); }
    // The status line and GGA fix quality published by the real-time cycle.
    void SetPositionStatus(const QString& text, int fixQuality) {
        doc_.SetPositionStatus(text, fixQuality);
    }
    void StartDistanceMeasure(double x, double y) { doc_.StartDistanceMeasure(x, y); }
    void UpdateDistanceMeasure(double x, double y, double distance, double bearing) {
        doc_.UpdateDistanceMeasure(x, y, distance, bearing);
    }
    void EndDistanceMeasure() { doc_.EndDistanceMeasure(); }

  signals:
    // Button: 1 left, 2 right, 4 middle. Shift: 1 Shift, 2 Ctrl, 4 Alt.
    // Coordinates are world units; the sender is QObject::sender().
    void OnShapeNumberSelected(short ShapeType, std::int32_t ShapeNumber);
    void OnWorldMouseMove(short Shift, double X, double Y, double Magnitude, double Angle);
    void OnWorldMouseDown(short Button, short Shift, short Action, double X, double Y);
    void OnDrawBegin(short ShapeType, double X, double Y);
    void OnDrawEnd(short ShapeType, double X, double Y);
    // A double click at client pixel (X, Y), before the canvas handles it.
    void OnDblClick(int X, int Y);
    // The Delete key removed the selected shapes; Esc was pressed.
    void OnSelectionDeleted(int Count);
    void OnEscape();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Rebuilds BackBuffer when the document is dirty or the size changed;
    // false when a preview of the last picture is to be shown instead.
    bool ensurePicture();
    void drawPreview(QPainter& painter);

    ViewWindow pictureView_;  // the view BackBuffer was drawn for
    qint64 lastRebuildMs_ = 0;
    int previews_ = 0;
    bool settled_ = false;
    QTimer settle_;
};

}  // namespace nivora
