// Finding shapes by position and polygon, the view window operations and the
// overlay operations.

#include <algorithm>
#include <cmath>

#include "canvas/canvas_document.h"

namespace nivora {

namespace {

// Even-odd test behind a quick reject that gives the same answers: no edge
// straddles a y outside the polygon's vertical range, and left of every
// vertex (with room for rounding) each straddling edge flips the result, an
// even number of times; right of every vertex none does.
class PolygonTest {
  public:
    explicit PolygonTest(const std::vector<QPointF>& polygon) : polygon_(polygon) {
        const QPointF first = polygon.empty() ? QPointF() : polygon.front();
        double minX = first.x();
        double maxX = first.x();
        minY_ = maxY_ = first.y();
        for (const QPointF& p : polygon) {
            minX = std::min(minX, p.x());
            maxX = std::max(maxX, p.x());
            minY_ = std::min(minY_, p.y());
            maxY_ = std::max(maxY_, p.y());
        }
        const double room = (std::fabs(minX) + std::fabs(maxX)) * 1e-12 + 1e-300;
        minX_ = minX - room;
        maxX_ = maxX + room;
    }

    bool contains(double x, double y) const {
        if (y < minY_ || y >= maxY_ || x < minX_ || x > maxX_) return false;
        return CanvasDocument::PointInPolygon(x, y, polygon_);
    }

    bool anyVertexInside(const TNPolyline& p) const {
        return std::any_of(p.Points.begin(), p.Points.end(),
                           [&](const QPointF& v) { return contains(v.x(), v.y()); });
    }

    bool boxCentreInside(const TNShape& s) const {
        const ShapeBounds b = s.Bounds();
        return contains((b.MinX + b.MaxX) / 2.0, (b.MinY + b.MaxY) / 2.0);
    }

  private:
    const std::vector<QPointF>& polygon_;
    double minX_;
    double maxX_;
    double minY_;
    double maxY_;
};

// Track selection: end points of lines, vertices, points, else the box centre.
bool insideForLayerSelection(const TNShape& s, const PolygonTest& poly) {
    switch (s.Class()) {
        case ShapeClass::Line: {
            const auto& l = static_cast<const TNLine&>(s);
            return poly.contains(l.x1, l.y1) || poly.contains(l.x2, l.y2);
        }
        case ShapeClass::Polyline:
            return poly.anyVertexInside(static_cast<const TNPolyline&>(s));
        case ShapeClass::Point: {
            const auto& p = static_cast<const TNPoint&>(s);
            return poly.contains(p.x, p.y);
        }
        default:
            return poly.boxCentreInside(s);
    }
}

// Selection over all layers: any defining point of the shape.
bool insideForAllSelection(const TNShape& s, const PolygonTest& poly) {
    switch (s.Class()) {
        case ShapeClass::Point: {
            const auto& p = static_cast<const TNPoint&>(s);
            return poly.contains(p.x, p.y);
        }
        case ShapeClass::Line: {
            const auto& l = static_cast<const TNLine&>(s);
            return poly.contains(l.x1, l.y1) || poly.contains(l.x2, l.y2);
        }
        case ShapeClass::Polyline:
            return poly.anyVertexInside(static_cast<const TNPolyline&>(s));
        case ShapeClass::Rectangle: {
            const auto& r = static_cast<const TNRectangle&>(s);
            return poly.contains(r.x1, r.y1) || poly.contains(r.x2, r.y1) ||
                   poly.contains(r.x2, r.y2) || poly.contains(r.x1, r.y2) ||
                   poly.contains((r.x1 + r.x2) / 2.0, (r.y1 + r.y2) / 2.0);
        }
        case ShapeClass::Circle: {
            const auto& c = static_cast<const TNCircle&>(s);
            return poly.contains(c.cx, c.cy);
        }
        case ShapeClass::Ellipse: {
            const auto& e = static_cast<const TNEllipse&>(s);
            return poly.contains((e.x1 + e.x2) / 2.0, (e.y1 + e.y2) / 2.0);
        }
        case ShapeClass::Text: {
            const auto& t = static_cast<const TNText&>(s);
            return poly.contains(t.x, t.y);
        }
        case ShapeClass::Arc: {
            const auto& a = static_cast<const TNArc&>(s);
            return poly.contains(a.x1, a.y1) || poly.contains(a.x2, a.y2) ||
                   poly.contains(a.x3, a.y3);
        }
    }
    return false;
}

}  // namespace

// ---- Finding by position ----

bool CanvasDocument::PointInPolygon(double x, double y, const std::vector<QPointF>& polygon) {
    bool inside = false;
    const std::size_t n = polygon.size();
    for (std::size_t i = 0, j = n == 0 ? 0 : n - 1; i < n; j = i++) {
        const double xi = polygon[i].x();
        const double yi = polygon[i].y();
        const double xj = polygon[j].x();
        const double yj = polygon[j].y();
        if ((yi > y) != (yj > y) && x < xi + (xj - xi) * (y - yi) / (yj - yi)) inside = !inside;
    }
    return inside;
}

void CanvasDocument::SelectShapesInPolygon(const std::vector<QPointF>& polygon,
                                           const std::vector<int>& layers) {
    ClearSelection();
    if (polygon.size() < 3 || layers.empty()) return;
    const PolygonTest poly(polygon);
    store_.forEachOnLayers(layers, [&](TNShape& s) {
        if (insideForLayerSelection(s, poly) && LayerPickable(s.layer_)) markSelected(s);
    });
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SelectAllShapesInPolygon(const std::vector<QPointF>& polygon) {
    ClearSelection();
    if (polygon.size() < 3) return;
    const PolygonTest poly(polygon);
    const int excluded = LayerFindByName(layer_names::SelectPoly);
    for (std::size_t i = store_.slotBegin(); i < store_.slotEnd(); ++i) {
        TNShape* s = store_.slot(i);
        if (!s || (excluded >= 0 && s->layer_ == excluded)) continue;
        if (insideForAllSelection(*s, poly) && LayerPickable(s->layer_)) markSelected(*s);
    }
    requestRepaint(RepaintRequest::Invalidate);
}

// A client narrower than one pixel counts as one, so the tolerance stays finite.
double CanvasDocument::HitTolerance() const {
    const double width = View.Width < 1 ? 1.0 : View.Width;
    return 5.0 * View.GetWorldWidth() / width;
}

std::int32_t CanvasDocument::GetShapeAt(double x, double y) const {
    const double tolerance = HitTolerance();
    for (std::size_t i = store_.slotEnd(); i-- > store_.slotBegin();) {
        const TNShape* s = store_.slot(i);
        if (s && s->Visible && s->HitTest(x, y, tolerance) && LayerPickable(s->layer_))
            return s->id_;
    }
    return -1;
}

std::vector<QPointF> CanvasDocument::GetLastPolylinePoints() const {
    auto usable = [](const TNShape* s) {
        return s && s->Class() == ShapeClass::Polyline &&
               static_cast<const TNPolyline*>(s)->Points.size() >= 2;
    };
    const TNShape* found = nullptr;
    std::vector<int> layers;
    for (const QString& name : {layer_names::Route, layer_names::SelectPoly}) {
        const int id = LayerFindByName(name);
        if (id >= 0) layers.push_back(id);
    }
    if (layers.empty()) {
        for (std::size_t i = store_.slotEnd(); i-- > store_.slotBegin() && !found;) {
            if (usable(store_.slot(i))) found = store_.slot(i);
        }
    } else {
        std::uint32_t best = 0;
        for (int layer : layers) {
            const auto* ids = store_.layerIds(layer);
            if (!ids) continue;
            for (std::int32_t id : *ids) {
                const TNShape* s = store_.find(id);
                const std::uint32_t slot = store_.slotOf(id);
                if (usable(s) && (!found || slot > best)) {
                    found = s;
                    best = slot;
                }
            }
        }
    }
    if (!found) return {};
    return static_cast<const TNPolyline*>(found)->Points;
}

// ---- View window ----

void CanvasDocument::WorldSet(double left, double top, double right, double bottom) {
    View.WorldSet(left, top, right, bottom);
    changed();
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::WorldPan(double dx, double dy) {
    View.WorldPan(dx, dy);
    changed();
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::WorldZoom(int, double factor, double x, double y) {
    View.WorldZoom(factor, x, y);
    changed();
    requestRepaint(RepaintRequest::Invalidate);
}

// Hidden layers still count: only the shape's own flag matters here.
bool CanvasDocument::ShapeExtents(ShapeBounds& box) const {
    box = ShapeBounds{1.0e30, 1.0e30, -1.0e30, -1.0e30};
    bool any = false;
    for (std::size_t i = store_.slotBegin(); i < store_.slotEnd(); ++i) {
        const TNShape* s = store_.slot(i);
        if (!s || !s->Visible || !s->HasExtent()) continue;
        const ShapeBounds b = s->Bounds();
        box.MinX = std::min(box.MinX, b.MinX);
        box.MinY = std::min(box.MinY, b.MinY);
        box.MaxX = std::max(box.MaxX, b.MaxX);
        box.MaxY = std::max(box.MaxY, b.MaxY);
        any = true;
    }
    return any;
}

void CanvasDocument::WorldExtents() {
    if (store_.empty()) {
        View.WorldSet(0.0, 1000.0, 1000.0, 0.0);
    } else {
        ShapeBounds box;
        ShapeExtents(box);
        if (!View.FitBox(box.MinX, box.MinY, box.MaxX, box.MaxY)) return;
    }
    changed();
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::Resize(int width, int height) {
    View.Width = width;
    View.Height = height;
    View.Resize();
    changed();
}

void CanvasDocument::Refresh() {
    changed();
    requestRepaint(RepaintRequest::Invalidate);
}

// ---- Overlays ----

void CanvasDocument::AddDepthLabel(double x, double y, double depth) {
    Overlay.AddDepthLabel(x, y, depth);
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::ClearDepthLabels() {
    std::vector<DepthLabel>().swap(Overlay.DepthLabels);
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SetDepthLabelSettings(bool visible, double spacing, const QString& fontName,
                                           int fontSize, TColor color) {
    Overlay.DepthLabelsVisible = visible;
    Overlay.DepthLabelSpacing = spacing;
    Overlay.LabelFontName = fontName;
    Overlay.LabelFontSize = fontSize;
    Overlay.LabelColor = color;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::AddEventLabel(double x, double y, int number) {
    Overlay.EventLabels.push_back({x, y, number});
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::ClearEventLabels() {
    std::vector<EventLabel>().swap(Overlay.EventLabels);
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SetCurrentDepth(double hf, double lf, bool show) {
    Overlay.CurrentDepthHF = hf;
    Overlay.CurrentDepthLF = lf;
    Overlay.ShowDepth = show;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SetCurrentSpeed(double knots, bool show) {
    Overlay.CurrentSpeed = knots;
    Overlay.ShowSpeed = show;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::ToggleDepthSpeedDisplayMode() {
    Overlay.DepthSpeedDisplayMode = NextCorner(Overlay.DepthSpeedDisplayMode);
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::ToggleGGAOverlayPosition() {
    Overlay.GGAOverlayPosition = NextCorner(Overlay.GGAOverlayPosition);
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SetPositionStatus(const QString& text, int fixQuality) {
    Overlay.PositionStatusText = text;
    Overlay.PositionFixQuality = fixQuality;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::SetDataStale(bool position, bool depth) {
    if (Overlay.PositionStale == position && Overlay.DepthStale == depth) return;
    Overlay.PositionStale = position;
    Overlay.DepthStale = depth;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::StartDistanceMeasure(double x, double y) {
    Overlay.Measuring = true;
    Overlay.MeasureStart = Overlay.MeasureEnd = QPointF(x, y);
    Overlay.MeasureDistance = 0.0;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::UpdateDistanceMeasure(double x, double y, double distance, double bearing) {
    if (!Overlay.Measuring) return;
    Overlay.MeasureEnd = QPointF(x, y);
    Overlay.MeasureDistance = distance;
    Overlay.MeasureBearing = bearing;
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::EndDistanceMeasure() {
    Overlay.Measuring = false;
    requestRepaint(RepaintRequest::Invalidate);
}

}  // namespace nivora
