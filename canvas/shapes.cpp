#include "canvas/shapes.h"

#include <algorithm>
#include <cmath>

namespace nivora {

const char* shape_type::name(int type) {
    switch (type) {
        case Rectangle:
            return "rectangle";
        case Line:
            return "line";
        case Polyline:
            return "open polyline";
        case Polygon:
            return "closed polyline";
        case Curve:
            return "curve";
        case Arc:
            return "arc";
        case Text:
            return "text";
        case Point:
            return "point";
        case Circle:
            return "circle";
        case Ellipse:
            return "ellipse";
        default:
            return "";
    }
}

namespace {

constexpr double kPi = 3.141592653589793;

ShapeBounds boxOf(double ax, double ay, double bx, double by) {
    return {std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}

bool inGrownBox(const ShapeBounds& b, double x, double y, double t) {
    return x >= b.MinX - t && x <= b.MaxX + t && y >= b.MinY - t && y <= b.MaxY + t;
}

void scaleAbout(double& px, double& py, double sx, double sy, double cx, double cy) {
    px = cx + (px - cx) * sx;
    py = cy + (py - cy) * sy;
}

void rotateInPlace(double& px, double& py, double angle, double cx, double cy) {
    const QPointF p = rotatePoint(px, py, angle, cx, cy);
    px = p.x();
    py = p.y();
}

}  // namespace

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double lengthSquared = dx * dx + dy * dy;
    if (lengthSquared == 0.0) return std::hypot(px - ax, py - ay);
    const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / lengthSquared, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

QPointF rotatePoint(double px, double py, double angle, double cx, double cy) {
    const double a = angle * kPi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    return {cx + c * (px - cx) - s * (py - cy), cy + s * (px - cx) + c * (py - cy)};
}

// ---- TNShape ----

TNShape::TNShape(int shapeType) : shapeType_(static_cast<std::uint8_t>(shapeType)) {}
TNShape::~TNShape() = default;

TNShape::TNShape(const TNShape& other)
    : PenFg(other.PenFg),
      PenWidth(other.PenWidth),
      PenStyle(other.PenStyle),
      BrushFg(other.BrushFg),
      BrushStyle(other.BrushStyle),
      Visible(other.Visible),
      shapeType_(other.shapeType_),
      extras_(other.extras_ ? std::make_unique<Extras>(*other.extras_) : nullptr) {}

std::unique_ptr<TNShape> CopyShape(const TNShape& shape) {
    switch (shape.Class()) {
        case ShapeClass::Rectangle:
            return std::make_unique<TNRectangle>(static_cast<const TNRectangle&>(shape));
        case ShapeClass::Line:
            return std::make_unique<TNLine>(static_cast<const TNLine&>(shape));
        case ShapeClass::Polyline:
            return std::make_unique<TNPolyline>(static_cast<const TNPolyline&>(shape));
        case ShapeClass::Arc:
            return std::make_unique<TNArc>(static_cast<const TNArc&>(shape));
        case ShapeClass::Text:
            return std::make_unique<TNText>(static_cast<const TNText&>(shape));
        case ShapeClass::Point:
            return std::make_unique<TNPoint>(static_cast<const TNPoint&>(shape));
        case ShapeClass::Circle:
            return std::make_unique<TNCircle>(static_cast<const TNCircle&>(shape));
        case ShapeClass::Ellipse:
            return std::make_unique<TNEllipse>(static_cast<const TNEllipse&>(shape));
    }
    return nullptr;
}

TNShape::Extras& TNShape::extras() {
    if (!extras_) extras_ = std::make_unique<Extras>();
    return *extras_;
}

QString TNShape::Notes() const {
    return extras_ ? extras_->Notes : QString();
}
void TNShape::SetNotes(const QString& notes) {
    if (extras_ || !notes.isEmpty()) extras().Notes = notes;
}
QString TNShape::Text() const {
    return extras_ ? extras_->Text : QString();
}
void TNShape::SetText(const QString& text) {
    if (extras_ || !text.isEmpty()) extras().Text = text;
}
TColor TNShape::BrushBg() const {
    return extras_ ? extras_->BrushBg : colors::White;
}
void TNShape::SetBrushBg(TColor color) {
    if (extras_ || color != colors::White) extras().BrushBg = color;
}
std::int32_t TNShape::BrushMode() const {
    return extras_ ? extras_->BrushMode : 0;
}
void TNShape::SetBrushMode(std::int32_t mode) {
    if (extras_ || mode != 0) extras().BrushMode = mode;
}
std::int32_t TNShape::ZOrder() const {
    return extras_ ? extras_->ZOrder : 0;
}
void TNShape::SetZOrder(std::int32_t order) {
    if (extras_ || order != 0) extras().ZOrder = order;
}

// ---- TNRectangle ----

TNRectangle::TNRectangle(double ax, double ay, double bx, double by)
    : TNShape(shape_type::Rectangle), x1(ax), y1(ay), x2(bx), y2(by) {}

ShapeBounds TNRectangle::Bounds() const {
    return boxOf(x1, y1, x2, y2);
}

bool TNRectangle::HitTest(double px, double py, double t) const {
    return inGrownBox(Bounds(), px, py, t);
}

void TNRectangle::Translate(double dx, double dy) {
    x1 += dx;
    y1 += dy;
    x2 += dx;
    y2 += dy;
}

void TNRectangle::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x1, y1, sx, sy, cx, cy);
    scaleAbout(x2, y2, sx, sy, cx, cy);
}

// Boxes stay axis-aligned.
void TNRectangle::Rotate(double, double, double) {}

// ---- TNLine ----

TNLine::TNLine(double ax, double ay, double bx, double by)
    : TNShape(shape_type::Line), x1(ax), y1(ay), x2(bx), y2(by) {}

ShapeBounds TNLine::Bounds() const {
    return boxOf(x1, y1, x2, y2);
}

bool TNLine::HitTest(double px, double py, double t) const {
    return distanceToSegment(px, py, x1, y1, x2, y2) <= t;
}

void TNLine::Translate(double dx, double dy) {
    x1 += dx;
    y1 += dy;
    x2 += dx;
    y2 += dy;
}

void TNLine::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x1, y1, sx, sy, cx, cy);
    scaleAbout(x2, y2, sx, sy, cx, cy);
}

void TNLine::Rotate(double angle, double cx, double cy) {
    rotateInPlace(x1, y1, angle, cx, cy);
    rotateInPlace(x2, y2, angle, cx, cy);
}

// ---- TNPolyline ----

TNPolyline::TNPolyline(int shapeType, bool closed) : TNShape(shapeType), Closed(closed) {}

void TNPolyline::UpdateBounds() {
    if (Points.empty()) return;
    ShapeBounds b{Points[0].x(), Points[0].y(), Points[0].x(), Points[0].y()};
    for (const QPointF& p : Points) {
        b.MinX = std::min(b.MinX, p.x());
        b.MinY = std::min(b.MinY, p.y());
        b.MaxX = std::max(b.MaxX, p.x());
        b.MaxY = std::max(b.MaxY, p.y());
    }
    bounds_ = b;
}

// The closing edge of a closed polyline is not part of the hit area.
bool TNPolyline::HitTest(double px, double py, double t) const {
    for (std::size_t i = 1; i < Points.size(); ++i) {
        const QPointF& a = Points[i - 1];
        const QPointF& b = Points[i];
        if (a == b) continue;
        if (distanceToSegment(px, py, a.x(), a.y(), b.x(), b.y()) <= t) return true;
    }
    return false;
}

void TNPolyline::Translate(double dx, double dy) {
    for (QPointF& p : Points)
        p += QPointF(dx, dy);
    UpdateBounds();
}

void TNPolyline::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    for (QPointF& p : Points)
        p = QPointF(cx + (p.x() - cx) * sx, cy + (p.y() - cy) * sy);
    UpdateBounds();
}

void TNPolyline::Rotate(double angle, double cx, double cy) {
    for (QPointF& p : Points)
        p = rotatePoint(p.x(), p.y(), angle, cx, cy);
    UpdateBounds();
}

void TNPolyline::AddPoint(double px, double py) {
    Points.emplace_back(px, py);
    UpdateBounds();
}

// ---- TNArc ----

TNArc::TNArc(double ax, double ay, double bx, double by, double cx, double cy)
    : TNShape(shape_type::Arc), x1(ax), y1(ay), x2(bx), y2(by), x3(cx), y3(cy) {}

ShapeBounds TNArc::Bounds() const {
    return {std::min({x1, x2, x3}), std::min({y1, y2, y3}), std::max({x1, x2, x3}),
            std::max({y1, y2, y3})};
}

bool TNArc::HitTest(double px, double py, double t) const {
    return inGrownBox(Bounds(), px, py, t);
}

void TNArc::Translate(double dx, double dy) {
    x1 += dx;
    y1 += dy;
    x2 += dx;
    y2 += dy;
    x3 += dx;
    y3 += dy;
}

void TNArc::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x1, y1, sx, sy, cx, cy);
    scaleAbout(x2, y2, sx, sy, cx, cy);
    scaleAbout(x3, y3, sx, sy, cx, cy);
}

void TNArc::Rotate(double angle, double cx, double cy) {
    rotateInPlace(x1, y1, angle, cx, cy);
    rotateInPlace(x2, y2, angle, cx, cy);
    rotateInPlace(x3, y3, angle, cx, cy);
}

// ---- TNText ----

TNText::TNText(double ax, double ay, const QString& string)
    : TNShape(shape_type::Text), x(ax), y(ay), String(string) {}

// A fixed box of 10 world units per character, whatever height and angle.
ShapeBounds TNText::Bounds() const {
    return {x, y - 10.0, x + 10.0 * static_cast<double>(String.size()), y + 10.0};
}

bool TNText::HitTest(double px, double py, double t) const {
    return inGrownBox(Bounds(), px, py, t);
}

void TNText::Translate(double dx, double dy) {
    x += dx;
    y += dy;
}

void TNText::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x, y, sx, sy, cx, cy);
}

// A text turns about its own anchor.
void TNText::Rotate(double angle, double, double) {
    Angle += angle;
}

// ---- TNPoint ----

TNPoint::TNPoint(double ax, double ay) : TNShape(shape_type::Point), x(ax), y(ay) {}

// The pixel size doubles as world units here.
ShapeBounds TNPoint::Bounds() const {
    const double s = Size;
    return {x - s, y - s, x + s, y + s};
}

bool TNPoint::HitTest(double px, double py, double t) const {
    return std::hypot(px - x, py - y) <= t;
}

void TNPoint::Translate(double dx, double dy) {
    x += dx;
    y += dy;
}

void TNPoint::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x, y, sx, sy, cx, cy);
}

void TNPoint::Rotate(double angle, double cx, double cy) {
    rotateInPlace(x, y, angle, cx, cy);
}

// ---- TNCircle ----

TNCircle::TNCircle(double ax, double ay, double r)
    : TNShape(shape_type::Circle), cx(ax), cy(ay), radius(r) {}

ShapeBounds TNCircle::Bounds() const {
    return {cx - radius, cy - radius, cx + radius, cy + radius};
}

// Only the outline is hit, not the inside.
bool TNCircle::HitTest(double px, double py, double t) const {
    return std::fabs(std::hypot(px - cx, py - cy) - radius) <= t;
}

void TNCircle::Translate(double dx, double dy) {
    cx += dx;
    cy += dy;
}

// Mirroring (a factor of -1) must not collapse or invert the circle, so the
// radius takes the mean of the factors' magnitudes.
void TNCircle::Scale(double sx, double sy, QPointF about) {
    const double ox = about.x(), oy = about.y();
    scaleAbout(cx, cy, sx, sy, ox, oy);
    radius *= (std::fabs(sx) + std::fabs(sy)) / 2.0;
}

void TNCircle::Rotate(double angle, double ox, double oy) {
    rotateInPlace(cx, cy, angle, ox, oy);
}

// ---- TNEllipse ----

TNEllipse::TNEllipse(double ax, double ay, double bx, double by)
    : TNShape(shape_type::Ellipse), x1(ax), y1(ay), x2(bx), y2(by) {}

ShapeBounds TNEllipse::Bounds() const {
    return boxOf(x1, y1, x2, y2);
}

bool TNEllipse::HitTest(double px, double py, double t) const {
    const double rx = std::fabs(x2 - x1) / 2.0;
    const double ry = std::fabs(y2 - y1) / 2.0;
    if (rx == 0.0 || ry == 0.0) return false;
    const double ex = (px - (x1 + x2) / 2.0) / rx;
    const double ey = (py - (y1 + y2) / 2.0) / ry;
    return std::fabs(ex * ex + ey * ey - 1.0) <= t / std::min(rx, ry);
}

void TNEllipse::Translate(double dx, double dy) {
    x1 += dx;
    y1 += dy;
    x2 += dx;
    y2 += dy;
}

void TNEllipse::Scale(double sx, double sy, QPointF about) {
    const double cx = about.x(), cy = about.y();
    scaleAbout(x1, y1, sx, sy, cx, cy);
    scaleAbout(x2, y2, sx, sy, cx, cy);
}

void TNEllipse::Rotate(double, double, double) {}

}  // namespace nivora
