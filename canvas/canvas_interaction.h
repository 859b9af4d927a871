#pragma once

// Mouse and keyboard handling of the canvas: view changes (pan, zoom window,
// dynamic zoom, wheel zoom), shapes drawn with the mouse, and selection by
// click. It works on client pixels and plain button and modifier codes, so
// the widget only translates Qt events; the events it raises go to the
// callbacks in `Events`, which the widget turns into signals.

#include <QPoint>
#include <QPointF>
#include <cstdint>
#include <functional>
#include <memory>

#include "canvas/canvas_document.h"

namespace nivora {

// Tool codes of ToolMode; the positive ones equal the type of what they
// create, except the ellipse (4), which creates type 20.
namespace tool {
inline constexpr int Select = 0;
inline constexpr int SelectVariant = -1;
inline constexpr int Pan = -2;
inline constexpr int ZoomWindow = -3;
inline constexpr int DynamicZoom = -4;
inline constexpr int Rectangle = 1;
inline constexpr int Line = 3;
inline constexpr int Ellipse = 4;
inline constexpr int Polyline = 5;
inline constexpr int Polygon = 6;
inline constexpr int Curve = 8;
inline constexpr int Arc = 10;
inline constexpr int Text = 11;
inline constexpr int Point = 17;
inline constexpr int Circle = 19;
}  // namespace tool

// Button codes of the mouse events.
namespace mouse_button {
inline constexpr int Left = 1;
inline constexpr int Right = 2;
inline constexpr int Middle = 4;
}  // namespace mouse_button

// Modifier bit mask of the mouse events.
namespace shift_state {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
}  // namespace shift_state

enum class CanvasCursor { Default, Cross, SizeAll };

struct CanvasEvents {
    std::function<void(short shapeType, std::int32_t shapeNumber)> ShapeNumberSelected;
    std::function<void(short shift, double x, double y, double magnitude, double angle)>
        WorldMouseMove;
    std::function<void(short button, short shift, short action, double x, double y)> WorldMouseDown;
    std::function<void(short shapeType, double x, double y)> DrawBegin;
    std::function<void(short shapeType, double x, double y)> DrawEnd;
    std::function<void(CanvasCursor)> CursorChanged;
};

class CanvasInteraction {
  public:
    explicit CanvasInteraction(CanvasDocument& doc);
    ~CanvasInteraction();
    CanvasInteraction(const CanvasInteraction&) = delete;
    CanvasInteraction& operator=(const CanvasInteraction&) = delete;

    // ---- Fields the host writes ----
    int ToolMode = tool::Select;
    bool KeepTool = false;          // keep the tool after a drawing is finished
    bool DeleteKeyEnabled = false;  // the Delete key deletes the selection
    bool FollowVessel = true;       // kept here for the host; not used by the canvas

    CanvasEvents Events;

    // ---- Input, in client pixels ----
    void MouseDown(int button, int shift, int px, int py);
    void MouseMove(int shift, int px, int py);
    void MouseUp(int button, int shift, int px, int py);
    // Arrives between the two presses of a double click.
    void DblClick(int px, int py);
    // One zoom step about the cursor per event; a zero delta (a horizontal
    // scroll or a touchpad phase marker) is not a step.
    void Wheel(int delta, int px, int py);
    // A Qt key code.
    void KeyDown(int key);

    // Ends any mouse drawing without adding it and restores the cursor.
    void ClearDrawingState();

    // ---- State, for the rubber band and the tests ----
    bool Tracking() const { return tracking_; }
    bool FirstPointPlaced() const { return firstPointPlaced_; }
    bool SwallowNextPress() const { return swallowNextPress_; }
    bool DrawingInProgress() const { return tracking_ || firstPointPlaced_; }
    bool Panning() const { return panning_; }
    bool DynamicZooming() const { return dynamicZooming_; }
    QPointF StartPoint() const { return start_; }
    QPointF CurrentPoint() const { return current_; }
    QPointF LastPressPoint() const { return lastPress_; }
    QPoint LastMousePixel() const { return lastMousePixel_; }
    // Vertices placed so far for the polyline tools; null otherwise.
    const TNPolyline* ShapeInProgress() const { return inProgress_.get(); }
    CanvasCursor Cursor() const { return cursor_; }

  private:
    void leftPress(int shift, int px, int py, double x, double y);
    void selectAt(double x, double y, bool ctrl);
    void startDrawing(double x, double y, bool announce);
    void pressPolyline(double x, double y);
    void zoomWindowTo(double x, double y);
    // A right click or a double click while drawing.
    void finishDrawing(double x, double y, bool byDoubleClick);
    // Adds the shape in progress when it has two vertices, else drops it.
    void commitShapeInProgress();
    void discardShapeInProgress();
    void endTool();
    void startPanning(int px, int py);
    void setCursor(CanvasCursor cursor);
    void invalidate();

    CanvasDocument& doc_;
    bool tracking_ = false;
    bool firstPointPlaced_ = false;
    bool swallowNextPress_ = false;
    bool panning_ = false;
    bool dynamicZooming_ = false;
    QPointF start_;
    QPointF current_;
    QPointF lastPress_;
    QPoint dragPixel_;
    QPoint lastMousePixel_;
    std::unique_ptr<TNPolyline> inProgress_;
    std::int32_t inProgressId_ = 0;
    int inProgressLayer_ = 0;
    CanvasCursor cursor_ = CanvasCursor::Default;
};

}  // namespace nivora
