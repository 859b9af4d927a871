#include "canvas/canvas_interaction.h"

#include <Qt>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace nivora {

std::pair<double, double> distanceAndBearing(double x0, double y0, double x, double y) {
    const double dx = x - x0;
    double dy = y - y0;
    const double distance = std::sqrt(dx * dx + dy * dy);
    const bool south = dy < 0;
    if (dy == 0) dy = 0.0000000000000001;
    const double q = dx / dy;
    double bearing = std::atan(q) * 180.0 / std::numbers::pi;
    if (south) {
        bearing += 180;
    } else if (q < 0) {
        bearing += 360;
    }
    return {distance, bearing};
}

CanvasInteraction::CanvasInteraction(CanvasDocument& doc) : doc_(doc) {}

CanvasInteraction::~CanvasInteraction() = default;

void CanvasInteraction::invalidate() {
    if (doc_.RepaintRequested) doc_.RepaintRequested(RepaintRequest::Invalidate);
}

void CanvasInteraction::setCursor(CanvasCursor cursor) {
    cursor_ = cursor;
    if (Events.CursorChanged) Events.CursorChanged(cursor);
}

void CanvasInteraction::endTool() {
    if (!KeepTool) ToolMode = tool::Select;
}

// ---- Press ----

void CanvasInteraction::MouseDown(int button, int shift, int px, int py) {
    lastMousePixel_ = {px, py};
    double x = 0.0;
    double y = 0.0;
    doc_.ScreenToWorld(px, py, x, y);
    if (button == mouse_button::Right && DrawingInProgress()) {
        finishDrawing(x, y, false);
    } else {
        if (button == mouse_button::Right && RightClickMeasures) {
            if (!measuring_) {
                doc_.StartDistanceMeasure(x, y);
                measureStart_ = {x, y};
            } else {
                doc_.EndDistanceMeasure();
                measureStart_ = {};
            }
            measuring_ = !measuring_;
        }
        if (Events.WorldMouseDown)
            Events.WorldMouseDown(static_cast<short>(button), static_cast<short>(shift),
                                  static_cast<short>(ToolMode), x, y);
        if (button == mouse_button::Left) {
            leftPress(shift, px, py, x, y);
        } else if (button == mouse_button::Middle) {
            startPanning(px, py);
        }
    }
    lastPress_ = {x, y};
}

void CanvasInteraction::leftPress(int shift, int px, int py, double x, double y) {
    if (swallowNextPress_) {
        swallowNextPress_ = false;
        return;
    }
    if (!DrawingInProgress() && (ToolMode == tool::Select || ToolMode == tool::SelectVariant))
        selectAt(x, y, (shift & shift_state::Ctrl) != 0);

    switch (ToolMode) {
        case tool::Rectangle:
        case tool::Ellipse:
            if (!firstPointPlaced_) {
                startDrawing(x, y, true);
                break;
            }
            if (ToolMode == tool::Rectangle && (x != start_.x() || y != start_.y())) {
                doc_.DrawRectangle(start_.x(), start_.y(), x, y, doc_.CurrentLayer);
            } else if (ToolMode == tool::Ellipse && x != start_.x() && y != start_.y()) {
                doc_.DrawTwoPointEllipse(start_.x(), start_.y(), x, y, doc_.CurrentLayer);
            }
            firstPointPlaced_ = false;
            start_ = current_ = {};
            invalidate();
            break;
        case tool::Line:
            if (!firstPointPlaced_) {
                startDrawing(x, y, true);
            } else if (x != start_.x() || y != start_.y()) {
                doc_.DrawLine(start_.x(), start_.y(), x, y, doc_.CurrentLayer);
                start_ = {x, y};
                invalidate();
            }
            break;
        case tool::Polyline:
        case tool::Polygon:
        case tool::Curve:
        case tool::Arc:
            pressPolyline(x, y);
            break;
        case tool::Point: {
            const int tool = ToolMode;
            doc_.DrawPoint(x, y, doc_.CurrentLayer);
            invalidate();
            if (Events.DrawEnd) Events.DrawEnd(static_cast<short>(tool), x, y);
            endTool();
            break;
        }
        case tool::Circle:
            if (!firstPointPlaced_) {
                startDrawing(x, y, true);
                break;
            }
            if (const double r = std::hypot(x - start_.x(), y - start_.y()); r > 0.0)
                doc_.DrawCircle(start_.x(), start_.y(), r, doc_.CurrentLayer);
            firstPointPlaced_ = false;
            invalidate();
            break;
        case tool::Pan:
            startPanning(px, py);
            break;
        case tool::ZoomWindow:
            if (!firstPointPlaced_) {
                startDrawing(x, y, false);
            } else {
                zoomWindowTo(x, y);
            }
            break;
        case tool::DynamicZoom:
            dynamicZooming_ = true;
            dragPixel_ = {px, py};
            break;
        default:
            break;  // select, text: nothing more here
    }
}

void CanvasInteraction::selectAt(double x, double y, bool ctrl) {
    const std::int32_t id = doc_.GetShapeAt(x, y);
    if (id >= 0) {
        doc_.ShapeSelect(id, ctrl);
        if (Events.ShapeNumberSelected) Events.ShapeNumberSelected(doc_.GetShapeType(id), id);
    } else if (!ctrl) {
        doc_.ClearSelection();
    }
    doc_.Refresh();
}

void CanvasInteraction::startDrawing(double x, double y, bool announce) {
    firstPointPlaced_ = true;
    tracking_ = true;
    start_ = current_ = {x, y};
    setCursor(CanvasCursor::Cross);
    if (announce && Events.DrawBegin) Events.DrawBegin(static_cast<short>(ToolMode), x, y);
}

void CanvasInteraction::pressPolyline(double x, double y) {
    if (!firstPointPlaced_ || !inProgress_) {
        discardShapeInProgress();
        // Mouse drawings go where every creation call puts a shape whose
        // layer is missing, so that they never land on a layer nobody draws.
        int layer = doc_.CurrentLayer;
        if (!doc_.FindLayer(layer)) layer = doc_.LayerOpen(layer_names::Default);
        const TNLayer* source = doc_.FindLayer(layer);
        const int type = ToolMode == tool::Arc ? shape_type::Arc : ToolMode;
        inProgress_ = std::make_unique<TNPolyline>(type, ToolMode == tool::Polygon);
        inProgress_->PenFg = source->PenFg;
        inProgress_->PenWidth = source->PenWidth;
        if (ToolMode == tool::Polygon) {
            inProgress_->BrushFg = source->BrushFg;
            inProgress_->BrushStyle = source->BrushStyle;
        }
        inProgress_->AddPoint(x, y);
        inProgressId_ = doc_.TakeShapeId();
        inProgressLayer_ = layer;
        startDrawing(x, y, true);
        return;
    }
    const QPointF last = inProgress_->Points.back();
    if (x != last.x() || y != last.y()) inProgress_->AddPoint(x, y);
    if (ToolMode == tool::Arc && inProgress_->Points.size() >= 3) {
        commitShapeInProgress();
        firstPointPlaced_ = false;
    }
    invalidate();
}

void CanvasInteraction::zoomWindowTo(double x, double y) {
    const double left = std::min(start_.x(), x);
    const double right = std::max(start_.x(), x);
    const double bottom = std::min(start_.y(), y);
    const double top = std::max(start_.y(), y);
    double w = right - left;
    double h = top - bottom;
    if (w > 0.001 && h > 0.001) {
        const double cx = (left + right) / 2.0;
        const double cy = (bottom + top) / 2.0;
        const double ratio = doc_.View.ClientRatio();
        if (w / h > ratio) {
            h = w / ratio;
        } else {
            w = h * ratio;
        }
        doc_.WorldSet(cx - w / 2.0, cy + h / 2.0, cx + w / 2.0, cy - h / 2.0);
    }
    ClearDrawingState();
    endTool();
}

void CanvasInteraction::commitShapeInProgress() {
    if (!inProgress_) return;
    if (inProgress_->Points.size() >= 2) {
        doc_.AddShape(std::move(inProgress_), inProgressLayer_, inProgressId_);
    } else {
        doc_.ReleaseShapeId(inProgressId_);
    }
    inProgress_.reset();
    inProgressId_ = 0;
}

void CanvasInteraction::discardShapeInProgress() {
    if (!inProgress_) return;
    doc_.ReleaseShapeId(inProgressId_);
    inProgress_.reset();
    inProgressId_ = 0;
}

void CanvasInteraction::finishDrawing(double x, double y, bool byDoubleClick) {
    const int tool = ToolMode;
    commitShapeInProgress();
    tracking_ = false;
    firstPointPlaced_ = false;
    // The widget hands a double click on as a press too; that press is the
    // double click's and adds nothing. After a right-click finish the next
    // press is the operator's next point (it was lost: three route clicks
    // gave a two-point route).
    swallowNextPress_ = byDoubleClick;
    if (Events.DrawEnd) Events.DrawEnd(static_cast<short>(tool), x, y);
    endTool();
    setCursor(CanvasCursor::Default);
    invalidate();
}

void CanvasInteraction::startPanning(int px, int py) {
    panning_ = true;
    dragPixel_ = {px, py};
    setCursor(CanvasCursor::SizeAll);
}

void CanvasInteraction::ClearDrawingState() {
    tracking_ = false;
    firstPointPlaced_ = false;
    swallowNextPress_ = false;
    discardShapeInProgress();
    setCursor(CanvasCursor::Default);
    invalidate();
}

// ---- Move, release, double click, wheel, keys ----

void CanvasInteraction::MouseMove(int shift, int px, int py) {
    double x = 0.0;
    double y = 0.0;
    doc_.ScreenToWorld(px, py, x, y);
    const double dx = x - lastPress_.x();
    const double dy = y - lastPress_.y();
    const double magnitude = std::hypot(dx, dy);
    const double angle = magnitude == 0.0 ? 0.0 : std::atan2(dy, dx) * 180.0 / std::numbers::pi;
    if (Events.WorldMouseMove)
        Events.WorldMouseMove(static_cast<short>(shift), x, y, magnitude, angle);
    // A start at a zero coordinate measures nothing (as it always has).
    if (measuring_ && measureStart_.x() != 0 && measureStart_.y() != 0) {
        const auto [distance, bearing] =
            distanceAndBearing(measureStart_.x(), measureStart_.y(), x, y);
        doc_.UpdateDistanceMeasure(x, y, distance, bearing);
    }

    if (panning_ && (std::abs(px - dragPixel_.x()) > 2 || std::abs(py - dragPixel_.y()) > 2)) {
        double x0 = 0.0;
        double y0 = 0.0;
        doc_.ScreenToWorld(dragPixel_.x(), dragPixel_.y(), x0, y0);
        doc_.WorldPan(x0 - x, y0 - y);
        dragPixel_ = {px, py};
    }
    if (dynamicZooming_) {
        const int d = dragPixel_.y() - py;
        if (std::abs(d) > 3) {
            const ViewWindow& v = doc_.View;
            doc_.WorldZoom(0, d * 0.01, (v.WorldLeft + v.WorldRight) / 2.0,
                           (v.WorldBottom + v.WorldTop) / 2.0);
            dragPixel_ = {px, py};
        }
    }
    if (tracking_) {
        current_ = {x, y};
        invalidate();
    }
    lastMousePixel_ = {px, py};
}

// The default cursor comes back with the end of a pan; a drawing keeps its
// cross-hair between clicks.
void CanvasInteraction::MouseUp(int button, int, int, int) {
    if ((button == mouse_button::Middle || button == mouse_button::Left) && panning_) {
        panning_ = false;
        setCursor(CanvasCursor::Default);
    }
    if (button == mouse_button::Left) dynamicZooming_ = false;
}

void CanvasInteraction::DblClick(int px, int py) {
    lastMousePixel_ = {px, py};
    double x = 0.0;
    double y = 0.0;
    doc_.ScreenToWorld(px, py, x, y);
    if (DrawingInProgress()) {
        finishDrawing(x, y, true);
        return;
    }
    const ViewWindow& v = doc_.View;
    doc_.WorldPan(x - (v.WorldLeft + v.WorldRight) / 2.0, y - (v.WorldBottom + v.WorldTop) / 2.0);
}

void CanvasInteraction::Wheel(int delta, int px, int py) {
    if (delta == 0) return;
    double x = 0.0;
    double y = 0.0;
    doc_.ScreenToWorld(px, py, x, y);
    const bool in = delta > 0;
    if (WheelPansTowardsPointer) {
        const ViewWindow& v = doc_.View;
        const double cx = (v.WorldLeft + v.WorldRight) / 2, cy = (v.WorldTop + v.WorldBottom) / 2;
        const double divisor = in ? 10 : 100;
        doc_.WorldPan((x - cx) / divisor, (y - cy) / divisor);
        doc_.WorldZoom(0, in ? 0.1 : -0.1, x, y);
        ToolMode = tool::Pan;
        return;
    }
    doc_.WorldZoom(0, in ? 0.1 : -0.1, x, y);
}

bool CanvasInteraction::KeyDown(int key) {
    switch (key) {
        case Qt::Key_Delete: {
            if (!DeleteKeyEnabled) return false;
            const int count = doc_.SelectedShapeCount();
            if (count > 0) {
                doc_.ShapeSelectDelete();
                if (Events.SelectionDeleted) Events.SelectionDeleted(count);
            }
            return true;
        }
        case Qt::Key_Escape:
            if (DrawingInProgress()) {
                discardShapeInProgress();
                tracking_ = false;
                firstPointPlaced_ = false;
                setCursor(CanvasCursor::Default);
                invalidate();
            }
            if (Events.EscapePressed) Events.EscapePressed();
            return true;
        case Qt::Key_F2:
            doc_.ToggleDepthSpeedDisplayMode();
            invalidate();
            return true;
        case Qt::Key_F3:
            doc_.ToggleGGAOverlayPosition();
            invalidate();
            return true;
        default:
            return false;
    }
}

}  // namespace nivora
