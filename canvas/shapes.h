#pragma once

// The shapes of the chart. Coordinates are world coordinates (grid easting x,
// northing y, metres, y upwards); tolerances are world units; angles are
// degrees, counter-clockwise.
//
// A shape belongs to one CanvasDocument once added; the document gives it its
// id and layer and keeps its indexes, so those two are read-only here. Styling
// fields are plain public members. Fields that are almost never set (notes,
// label text, brush background, brush mode, z-order) live in a side record
// allocated on first use, which keeps a track point near 100 bytes.

#include <QPointF>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/colors.h"

namespace nivora {

class CanvasDocument;
class ShapeStore;

// Type codes carried in ShapeType (also the drawing tool codes).
namespace shape_type {
inline constexpr int Rectangle = 1;
inline constexpr int Line = 3;
inline constexpr int Polyline = 5;
inline constexpr int Polygon = 6;
inline constexpr int Curve = 8;
inline constexpr int Arc = 10;
inline constexpr int Text = 11;
inline constexpr int Point = 17;
inline constexpr int Circle = 19;
inline constexpr int Ellipse = 20;
// "line", "closed polyline"...; empty for a code that is none of these.
const char* name(int type);
}  // namespace shape_type

// The concrete class of a shape. The type code alone does not tell it: a
// TNArc and a three-point TNPolyline both carry 10.
enum class ShapeClass : std::uint8_t {
    Rectangle,
    Line,
    Polyline,
    Arc,
    Text,
    Point,
    Circle,
    Ellipse
};

struct ShapeBounds {
    double MinX = 0.0;
    double MinY = 0.0;
    double MaxX = 0.0;
    double MaxY = 0.0;
};

// Pen style ordinals: 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 clear.
// Brush style ordinals: 0 solid, 1 clear, 2 horizontal, 3 vertical,
// 4 forward diagonal, 5 backward diagonal, 6 cross, 7 diagonal cross.
inline constexpr std::uint8_t kBrushSolid = 0;
inline constexpr std::uint8_t kBrushClear = 1;

class TNShape {
  public:
    virtual ~TNShape();
    TNShape& operator=(const TNShape&) = delete;

    // The concrete class; code that casts down relies on it being true.
    virtual ShapeClass Class() const = 0;
    // True if (x, y) is on or in the shape within `tolerance`.
    virtual bool HitTest(double x, double y, double tolerance) const = 0;
    // Recomputes stored bounds from the geometry; classes whose bounds follow
    // directly from a few coordinates compute them on demand instead.
    virtual void UpdateBounds() {}
    virtual ShapeBounds Bounds() const = 0;
    // False for a shape without geometry (a polyline without vertices).
    virtual bool HasExtent() const { return true; }
    virtual void Translate(double dx, double dy) = 0;
    // By sx, sy about the point `about`: a point, so that the factors and the
    // centre cannot trade places (ShapeScale takes the centre first).
    virtual void Scale(double sx, double sy, QPointF about) = 0;
    virtual void Rotate(double angle, double cx, double cy) = 0;

    std::int32_t Id() const { return id_; }
    int Layer() const { return layer_; }
    int ShapeType() const { return shapeType_; }
    bool Selected() const { return selected_; }

    double MinX() const { return Bounds().MinX; }
    double MinY() const { return Bounds().MinY; }
    double MaxX() const { return Bounds().MaxX; }
    double MaxY() const { return Bounds().MaxY; }

    // Rarely set fields.
    QString Notes() const;
    void SetNotes(const QString& notes);
    QString Text() const;
    void SetText(const QString& text);
    TColor BrushBg() const;
    void SetBrushBg(TColor color);
    std::int32_t BrushMode() const;
    void SetBrushMode(std::int32_t mode);
    std::int32_t ZOrder() const;
    void SetZOrder(std::int32_t order);

  protected:
    explicit TNShape(int shapeType);
    // Copies belong to no document: id, layer and selection are the new
    // owner's. Only CopyShape copies, so that no shape is sliced.
    TNShape(const TNShape& other);

  private:
    friend class CanvasDocument;
    friend class ShapeStore;

    struct Extras {
        QString Notes;
        QString Text;
        TColor BrushBg = colors::White;
        std::int32_t BrushMode = 0;
        std::int32_t ZOrder = 0;
    };
    Extras& extras();

    // The fields interleave with the public ones below so that the record
    // packs into 48 bytes.
    std::int32_t id_ = 0;
    std::int32_t layer_ = 0;

  public:
    TColor PenFg = colors::Black;
    std::int32_t PenWidth = 1;
    std::int32_t PenStyle = 0;
    TColor BrushFg = colors::White;
    std::uint8_t BrushStyle = kBrushClear;
    bool Visible = true;

  private:
    std::uint8_t shapeType_ = 0;
    bool selected_ = false;
    std::uint32_t layerSlot_ = 0;  // position in the document's per-layer index
    std::unique_ptr<Extras> extras_;
};

class TNRectangle final : public TNShape {
  public:
    TNRectangle(double x1, double y1, double x2, double y2);
    ShapeClass Class() const override { return ShapeClass::Rectangle; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x1, y1, x2, y2;
    double Z = 0.0;  // cell value of an imported grid cell
    bool Rounded = false;
    double CornerRadius = 10.0;
};

class TNLine final : public TNShape {
  public:
    TNLine(double x1, double y1, double x2, double y2);
    ShapeClass Class() const override { return ShapeClass::Line; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x1, y1, x2, y2;
};

// Vertices keep full double precision: at grid northings of millions of
// metres single precision would move them by up to half a metre.
class TNPolyline final : public TNShape {
  public:
    // `shapeType` is 5 (open), 6 (closed), 8 (smooth curve) or 10 (three-point arc).
    TNPolyline(int shapeType, bool closed);
    ShapeClass Class() const override { return ShapeClass::Polyline; }
    bool HitTest(double x, double y, double tolerance) const override;
    void UpdateBounds() override;
    ShapeBounds Bounds() const override { return bounds_; }
    bool HasExtent() const override { return !Points.empty(); }
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    void AddPoint(double x, double y);

    std::vector<QPointF> Points;
    bool Closed;

  private:
    ShapeBounds bounds_;  // unchanged while there is no vertex
};

class TNArc final : public TNShape {
  public:
    TNArc(double x1, double y1, double x2, double y2, double x3, double y3);
    ShapeClass Class() const override { return ShapeClass::Arc; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x1, y1, x2, y2, x3, y3;  // start, middle, end
};

class TNText final : public TNShape {
  public:
    TNText(double x, double y, const QString& string);
    ShapeClass Class() const override { return ShapeClass::Text; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x, y;     // anchor
    QString String;  // the drawn string
    int FontIndex = 0;
    double Angle = 0.0;
    int HAlign = 0;  // 0 left, 1 centre, 2 right
    int VAlign = 0;  // 0 top, 1 middle, 2 bottom
    double Height = 10.0;
    QString FontName;
    bool Bold = false;
    bool Italic = false;
};

class TNPoint final : public TNShape {
  public:
    TNPoint(double x, double y);
    ShapeClass Class() const override { return ShapeClass::Point; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x, y;
    double Z = 0.0;         // sample value of an imported point
    std::int32_t Size = 3;  // symbol radius in pixels
};

class TNCircle final : public TNShape {
  public:
    TNCircle(double cx, double cy, double radius);
    ShapeClass Class() const override { return ShapeClass::Circle; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double cx, cy, radius;
};

class TNEllipse final : public TNShape {
  public:
    TNEllipse(double x1, double y1, double x2, double y2);
    ShapeClass Class() const override { return ShapeClass::Ellipse; }
    bool HitTest(double x, double y, double tolerance) const override;
    ShapeBounds Bounds() const override;
    void Translate(double dx, double dy) override;
    void Scale(double sx, double sy, QPointF about) override;
    void Rotate(double angle, double cx, double cy) override;

    double x1, y1, x2, y2;  // opposite corners of the bounding box
};

// A copy of any shape, outside every document (a snapshot for writing).
std::unique_ptr<TNShape> CopyShape(const TNShape& shape);

// Geometry helpers shared by the shapes and the document.
double distanceToSegment(double px, double py, double ax, double ay, double bx, double by);
QPointF rotatePoint(double px, double py, double angle, double cx, double cy);

}  // namespace nivora
