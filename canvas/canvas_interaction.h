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

// The tools of ToolMode, by their codes: the positive ones equal the type of
// what they create, except the ellipse (4), which creates type 20. The
// codes are the flat interface's (ToolMode is an int); hosts name them.
namespace tool {
enum Tool : int {
    Select = 0,
    SelectVariant = -1,
    Pan = -2,
    ZoomWindow = -3,
    DynamicZoom = -4,
    Rectangle = 1,
    Line = 3,
    Ellipse = 4,
    Polyline = 5,
    Polygon = 6,
    Curve = 8,
    Arc = 10,
    Text = 11,
    Point = 17,
    Circle = 19,
};
}  // namespace tool
using Tool = tool::Tool;

// The distance and grid bearing (degrees clockwise from north, [0, 360))
// from (x0, y0) to (x, y), world units.
std::pair<double, double> distanceAndBearing(double x0, double y0, double x, double y);

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
    // The Delete key removed the selected shapes (DeleteKeyEnabled).
    std::function<void(int count)> SelectionDeleted;
    // Esc, after the canvas dropped a drawing in progress: the host ends
    // whatever it had started (a selection, compact mode).
    std::function<void()> EscapePressed;
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
    // The survey's wheel: each step pans a share of the way towards the
    // pointer (a tenth in, a hundredth out) as it zooms about it, and picks
    // the pan tool. Off: a plain zoom about the pointer.
    bool WheelPansTowardsPointer = false;
    // The right button, outside a drawing, starts and ends the measuring
    // tool (distance and grid bearing from the first click).
    bool RightClickMeasures = false;

    // Picks a tool; `keep` keeps it after a drawing is finished.
    void setTool(Tool t, bool keep = false) {
        ToolMode = t;
        KeepTool = keep;
    }

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
    // A Qt key code. True when the canvas used the key (Delete when it
    // deletes, Esc, F2 and F3 for the read-out corners); other keys are the
    // window's.
    bool KeyDown(int key);
    bool Measuring() const { return measuring_; }

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
    bool measuring_ = false;
    QPointF measureStart_;
};

}  // namespace nivora
