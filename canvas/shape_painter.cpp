#include "canvas/shape_painter.h"
#include "canvas/chart_fonts.h"
#include "canvas/night_colours.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "canvas/qt_color.h"

namespace nivora {

namespace {

// Lines reaching beyond this are clipped in double precision first, so that
// a far end point does not bend the visible part.
constexpr double kSafeLine = 1048576.0;

// Clips the segment to the box (Liang-Barsky); false when nothing is left.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double minX, double minY,
                 double maxX, double maxY) {
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - minX, maxX - x1, y1 - minY, maxY - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const double ox = x1;
    const double oy = y1;
    if (t1 < 1.0) {
        x2 = ox + t1 * dx;
        y2 = oy + t1 * dy;
    }
    if (t0 > 0.0) {
        x1 = ox + t0 * dx;
        y1 = oy + t0 * dy;
    }
    return true;
}

bool finite4(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// GDI pens are measured in device pixels, so every pen is cosmetic; width 1
// and below is Qt's hairline. Wide pens keep square caps: round caps cost
// about three times as much and differ by less than a pixel at these widths.
QPen makePen(TColor color, int width, int style) {
    QPen pen(toQColor(color), width <= 1 ? 0 : width, qtPenStyle(style), Qt::SquareCap,
             Qt::BevelJoin);
    if (width > 3) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    pen.setCosmetic(true);
    return pen;
}

}  // namespace

DrawWindow DrawWindow::FromView(const ViewWindow& view) {
    DrawWindow w;
    w.Left = view.WorldLeft;
    w.Right = view.WorldRight;
    w.Top = view.WorldTop;
    w.Bottom = view.WorldBottom;
    w.Width = std::max(1, view.Width);
    w.Height = std::max(1, view.Height);
    double worldWidth = w.Right - w.Left;
    double worldHeight = w.Top - w.Bottom;
    if (worldWidth == 0.0) worldWidth = 1.0;
    if (worldHeight == 0.0) worldHeight = 1.0;
    w.Kx = w.Width / worldWidth;
    w.Ky = w.Height / worldHeight;
    return w;
}

Qt::PenStyle qtPenStyle(int style) {
    switch (style) {
        case 1:
            return Qt::DashLine;
        case 2:
            return Qt::DotLine;
        case 3:
            return Qt::DashDotLine;
        case 4:
            return Qt::DashDotDotLine;
        case 5:
            return Qt::NoPen;
        default:
            return Qt::SolidLine;
    }
}

Qt::BrushStyle qtBrushStyle(int style) {
    switch (style) {
        case 0:
            return Qt::SolidPattern;
        case 2:
            return Qt::HorPattern;
        case 3:
            return Qt::VerPattern;
        case 4:
            return Qt::FDiagPattern;
        case 5:
            return Qt::BDiagPattern;
        case 6:
            return Qt::CrossPattern;
        case 7:
            return Qt::DiagCrossPattern;
        default:
            return Qt::NoBrush;
    }
}

TColor textColor(TColor penFg) {
    const int mean = (redOf(penFg) + greenOf(penFg) + blueOf(penFg)) / 3;
    return mean > 200 ? colors::Black : penFg;
}

DirectPixels DirectPixels::Of(QImage& image) {
    DirectPixels d;
    const QImage::Format f = image.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        return d;
    if (image.devicePixelRatio() != 1.0 || image.isNull()) return d;
    d.Bits = reinterpret_cast<std::uint32_t*>(image.bits());
    d.WordsPerLine = image.bytesPerLine() / 4;
    d.Width = image.width();
    d.Height = image.height();
    return d;
}

// ---- State ----

void ShapePainter::begin(QPainter& painter, const DrawWindow& window, DirectPixels direct,
                         bool fastPaths) {
    painter_ = &painter;
    window_ = window;
    fastPaths_ = fastPaths;
    direct_ = fastPaths ? direct : DirectPixels{};
    // A painter that scales would scale the cached symbols as pictures.
    spritesUsable_ = fastPaths && painter.transform().type() <= QTransform::TxTranslate &&
                     painter.device() && painter.device()->devicePixelRatio() == 1.0 &&
                     painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    penSet_ = brushSet_ = fontSet_ = false;
    if (sprites_.size() > 256) sprites_.clear();
    bucketColumns_ = std::max(1, window_.Width / kTextBucketPx + 1);
    bucketRows_ = std::max(1, window_.Height / kTextBucketPx + 1);
    enlargedTexts_.assign(static_cast<std::size_t>(bucketColumns_ * bucketRows_), {});
}

void ShapePainter::end() {
    painter_ = nullptr;
    direct_ = {};
}

TColor ShapePainter::mapped(TColor color) {
    if (!night_) return color;
    NightEntry& e = nightCache_[(color ^ (color >> 8) ^ (color >> 16)) & 0xFF];
    if (e.day != color) e = {color, NightColour(color)};
    return e.night;
}

TColor ShapePainter::shown(TColor color) {
    return mapped(ink(color));
}

TColor ShapePainter::ink(TColor color) const {
    if (color != background_) return color;
    const int mean = (redOf(background_) + greenOf(background_) + blueOf(background_)) / 3;
    return mean > 127 ? colors::Black : colors::White;
}

void ShapePainter::usePen(TColor color, int width, int style) {
    color = shown(color);
    if (width < 1) width = 1;
    if (penSet_ && color == penColor_ && width == penWidth_ && style == penStyle_) return;
    painter_->setPen(makePen(color, width, style));
    penSet_ = true;
    penColor_ = color;
    penWidth_ = width;
    penStyle_ = style;
}

void ShapePainter::useShapePen(const TNShape& s) {
    if (s.Selected()) {
        usePen(colors::Red, s.PenWidth + 2, s.PenStyle);
    } else {
        usePen(s.PenFg, s.PenWidth, s.PenStyle);
    }
}

void ShapePainter::useBrush(TColor color, int style) {
    if (qtBrushStyle(style) == Qt::NoBrush) style = kBrushClear;
    if (brushSet_ && style == brushStyle_ && (style == kBrushClear || color == brushColor_)) return;
    painter_->setBrush(style == kBrushClear ? QBrush()
                                            : QBrush(toQColor(mapped(color)), qtBrushStyle(style)));
    brushSet_ = true;
    brushColor_ = color;
    brushStyle_ = style;
}

void ShapePainter::useFont(const QString& name, int pixelSize, bool bold, bool italic) {
    if (fontSet_ && pixelSize == fontPixels_ && bold == fontBold_ && italic == fontItalic_ &&
        name == fontName_)
        return;
    QFont font = chartFont(name);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    painter_->setFont(font);
    fontSet_ = true;
    fontName_ = name;
    fontPixels_ = pixelSize;
    fontBold_ = bold;
    fontItalic_ = italic;
}

bool ShapePainter::directLines() const {
    return direct_.valid() && penSet_ && penStyle_ == 0 && penWidth_ <= 1;
}

// ---- Lines ----

void ShapePainter::segment(double x1, double y1, double x2, double y2) {
    if (penStyle_ == 5 || !finite4(x1, y1, x2, y2)) return;
    if (directLines()) {
        // One pixel of slack keeps truncation at the edges as it would be.
        if (!clipSegment(x1, y1, x2, y2, -1.0, -1.0, direct_.Width + 1.0, direct_.Height + 1.0))
            return;
        directSegment(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                      static_cast<int>(y2));
        return;
    }
    if (std::abs(x1) > kSafeLine || std::abs(y1) > kSafeLine || std::abs(x2) > kSafeLine ||
        std::abs(y2) > kSafeLine) {
        if (!clipSegment(x1, y1, x2, y2, -kSafeLine, -kSafeLine, kSafeLine, kSafeLine)) return;
    }
    painter_->drawLine(QPoint(static_cast<int>(x1), static_cast<int>(y1)),
                       QPoint(static_cast<int>(x2), static_cast<int>(y2)));
}

// Bresenham, both end points included as QPainter includes them.
void ShapePainter::directSegment(int x1, int y1, int x2, int y2) {
    const std::uint32_t value = toQRgb(penColor_);
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1;
    const int stepY = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    const unsigned w = static_cast<unsigned>(direct_.Width);
    const unsigned h = static_cast<unsigned>(direct_.Height);
    for (;;) {
        if (static_cast<unsigned>(x1) < w && static_cast<unsigned>(y1) < h)
            direct_.Bits[y1 * direct_.WordsPerLine + x1] = value;
        if (x1 == x2 && y1 == y2) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x1 += stepX;
        }
        if (e2 <= dx) {
            err += dx;
            y1 += stepY;
        }
    }
}

// ---- Shapes ----

void ShapePainter::draw(const TNShape& shape) {
    if (!shape.Visible) return;
    switch (shape.Class()) {
        case ShapeClass::Line:
            return drawLine(static_cast<const TNLine&>(shape));
        case ShapeClass::Circle:
            return drawCircle(static_cast<const TNCircle&>(shape));
        case ShapeClass::Ellipse:
            return drawEllipse(static_cast<const TNEllipse&>(shape));
        case ShapeClass::Rectangle:
            return drawRectangle(static_cast<const TNRectangle&>(shape));
        case ShapeClass::Arc:
            return drawArc(static_cast<const TNArc&>(shape));
        case ShapeClass::Point:
            return drawPoint(static_cast<const TNPoint&>(shape));
        case ShapeClass::Polyline:
            return drawPolyline(static_cast<const TNPolyline&>(shape));
        case ShapeClass::Text:
            return drawText(static_cast<const TNText&>(shape));
    }
}

void ShapePainter::drawLine(const TNLine& s) {
    useShapePen(s);
    segment(std::trunc(window_.MapX(s.x1)), std::trunc(window_.MapY(s.y1)),
            std::trunc(window_.MapX(s.x2)), std::trunc(window_.MapY(s.y2)));
}

void ShapePainter::drawArc(const TNArc& s) {
    useShapePen(s);
    if (directLines()) {
        const double bx = std::trunc(window_.MapX(s.x2));
        const double by = std::trunc(window_.MapY(s.y2));
        segment(std::trunc(window_.MapX(s.x1)), std::trunc(window_.MapY(s.y1)), bx, by);
        segment(bx, by, std::trunc(window_.MapX(s.x3)), std::trunc(window_.MapY(s.y3)));
        return;
    }
    const QPoint pts[3] = {window_.Map(s.x1, s.y1), window_.Map(s.x2, s.y2),
                           window_.Map(s.x3, s.y3)};
    painter_->drawPolyline(pts, 3);
}

void ShapePainter::drawCircle(const TNCircle& s) {
    useShapePen(s);
    useBrush(s.BrushFg, s.BrushStyle);
    const QPoint c = window_.Map(s.cx, s.cy);
    const int rx = pixelOf(s.radius * window_.Kx);
    const int ry = pixelOf(s.radius * window_.Ky);
    painter_->drawEllipse(QRect(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry));
}

void ShapePainter::drawEllipse(const TNEllipse& s) {
    useShapePen(s);
    useBrush(s.BrushFg, s.BrushStyle);
    const QPoint a = window_.Map(s.x1, s.y1);
    const QPoint b = window_.Map(s.x2, s.y2);
    const int l = std::min(a.x(), b.x());
    const int t = std::min(a.y(), b.y());
    painter_->drawEllipse(QRect(l, t, std::max(a.x(), b.x()) - l, std::max(a.y(), b.y()) - t));
}

void ShapePainter::drawRectangle(const TNRectangle& s) {
    const QPoint a = window_.Map(s.x1, s.y1);
    const QPoint b = window_.Map(s.x2, s.y2);
    const int l = std::min(a.x(), b.x());
    const int t = std::min(a.y(), b.y());
    const QRect r(l, t, std::max(a.x(), b.x()) - l, std::max(a.y(), b.y()) - t);
    // Grid cells of an imported sample file: a fill without outline.
    if (s.PenWidth == 0 && s.BrushStyle == kBrushSolid && !s.Selected() && !s.Rounded) {
        painter_->fillRect(r, toQColor(mapped(s.BrushFg)));
        return;
    }
    useShapePen(s);
    useBrush(s.BrushFg, s.BrushStyle);
    if (s.Rounded) {
        const double corner =
            pixelOf(s.CornerRadius * std::min(window_.Kx, window_.Ky));  // ellipse size
        painter_->drawRoundedRect(r, corner / 2.0, corner / 2.0);
    } else {
        painter_->drawRect(r);
    }
}

void ShapePainter::drawPoint(const TNPoint& s) {
    const QPoint c = window_.Map(s.x, s.y);
    const int size = s.Size + s.PenWidth;
    if (size <= 4) {
        // One pixel, a 2 x 2 block, or a square of 2s pixels; no outline.
        const QRect r = size <= 1   ? QRect(c.x(), c.y(), 1, 1)
                        : size == 2 ? QRect(c.x(), c.y(), 2, 2)
                                    : QRect(c.x() - size, c.y() - size, 2 * size, 2 * size);
        if (direct_.valid()) {
            directFill(r.x(), r.y(), r.width(), r.height(), shown(s.PenFg));
        } else {
            painter_->fillRect(r, toQColor(shown(s.PenFg)));
        }
    } else {
        disc(c.x(), c.y(), size, shown(s.PenFg), s.PenWidth);
    }
}

void ShapePainter::directFill(int x, int y, int w, int h, TColor color) {
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + w, direct_.Width);
    const int y1 = std::min(y + h, direct_.Height);
    const std::uint32_t value = toQRgb(color);
    for (int row = y0; row < y1; ++row) {
        std::uint32_t* line = direct_.Bits + row * direct_.WordsPerLine;
        std::fill(line + x0, line + std::max(x0, x1), value);
    }
}

// A filled circle in one colour, pen and brush alike.
void ShapePainter::disc(int sx, int sy, int radius, TColor color, int penWidth) {
    if (spritesUsable_ && radius <= 64 && penWidth <= 16) {
        const QImage& sprite = discSprite(radius, color, penWidth);
        const int origin = sprite.width() / 2;
        painter_->drawImage(sx - origin, sy - origin, sprite);
        return;
    }
    usePen(color, penWidth, 0);
    useBrush(color, kBrushSolid);
    painter_->drawEllipse(QRect(sx - radius, sy - radius, 2 * radius, 2 * radius));
}

const QImage& ShapePainter::discSprite(int radius, TColor color, int penWidth) {
    penWidth = std::max(penWidth, 1);
    const std::uint64_t key = (static_cast<std::uint64_t>(radius) << 40) |
                              (static_cast<std::uint64_t>(penWidth) << 32) | color;
    auto it = sprites_.find(key);
    if (it != sprites_.end()) return it->second;
    const int origin = radius + penWidth + 2;
    QImage sprite(2 * origin + 1, 2 * origin + 1, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    {
        QPainter p(&sprite);
        p.setPen(makePen(color, penWidth, 0));
        p.setBrush(toQColor(color));
        p.drawEllipse(QRect(origin - radius, origin - radius, 2 * radius, 2 * radius));
    }
    return sprites_.emplace(key, std::move(sprite)).first->second;
}

void ShapePainter::drawPolyline(const TNPolyline& s) {
    const std::size_t n = s.Points.size();
    if (n < 2) return;
    useShapePen(s);
    useBrush(s.BrushFg, s.BrushStyle);
    pixels_.resize(static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i)
        pixels_[static_cast<int>(i)] = window_.Map(s.Points[i].x(), s.Points[i].y());

    if (s.ShapeType() == shape_type::Curve) {
        // Cardinal spline through the vertices; the missing neighbours at
        // the ends are mirrored.
        auto at = [&](std::ptrdiff_t i) -> QPoint {
            const std::ptrdiff_t last = static_cast<std::ptrdiff_t>(n) - 1;
            if (i < 0) return 2 * pixels_[0] - pixels_[1];
            if (i > last) return 2 * pixels_[last] - pixels_[last - 1];
            return pixels_[i];
        };
        auto control = [](QPoint base, QPoint d) {
            return QPointF(std::trunc(base.x() + d.x() * 0.5 / 3.0),
                           std::trunc(base.y() + d.y() * 0.5 / 3.0));
        };
        QPainterPath path(pixels_[0]);
        for (std::ptrdiff_t i = 0; i + 1 < static_cast<std::ptrdiff_t>(n); ++i) {
            const QPointF c1 = control(at(i), at(i + 1) - at(i - 1));
            const QPointF c2 = control(at(i + 1), at(i) - at(i + 2));
            path.cubicTo(c1, c2, at(i + 1));
        }
        painter_->strokePath(path, painter_->pen());
        return;
    }
    if (s.ShapeType() == shape_type::Arc && n == 3) {
        const QPoint p0 = pixels_[0];
        const QPoint p1 = pixels_[1];
        const QPoint p2 = pixels_[2];
        const QPointF c1(std::trunc(p0.x() + (p1.x() - p0.x()) * 2.0 / 3.0),
                         std::trunc(p0.y() + (p1.y() - p0.y()) * 2.0 / 3.0));
        const QPointF c2(std::trunc(p2.x() + (p1.x() - p2.x()) * 2.0 / 3.0),
                         std::trunc(p2.y() + (p1.y() - p2.y()) * 2.0 / 3.0));
        QPainterPath path(p0);
        path.cubicTo(c1, c2, p2);
        painter_->strokePath(path, painter_->pen());
        return;
    }
    const bool polygon = s.Closed && n > 2;
    if (polygon && brushStyle_ != kBrushClear) {
        painter_->drawPolygon(pixels_);
        return;
    }
    if (directLines()) {
        for (int i = 0; i + 1 < pixels_.size(); ++i)
            segment(pixels_[i].x(), pixels_[i].y(), pixels_[i + 1].x(), pixels_[i + 1].y());
        if (polygon)
            segment(pixels_.back().x(), pixels_.back().y(), pixels_[0].x(), pixels_[0].y());
        return;
    }
    if (polygon) {
        painter_->drawPolygon(pixels_);
    } else {
        painter_->drawPolyline(pixels_);
    }
}

bool ShapePainter::enlargedTextFits(const QRect& box) {
    const int c0 = std::clamp(box.left() / kTextBucketPx, 0, bucketColumns_ - 1);
    const int c1 = std::clamp(box.right() / kTextBucketPx, 0, bucketColumns_ - 1);
    const int r0 = std::clamp(box.top() / kTextBucketPx, 0, bucketRows_ - 1);
    const int r1 = std::clamp(box.bottom() / kTextBucketPx, 0, bucketRows_ - 1);
    auto bucket = [this](int c, int r) -> std::vector<QRect>& {
        return enlargedTexts_[static_cast<std::size_t>(r * bucketColumns_ + c)];
    };
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            for (const QRect& other : bucket(c, r))
                if (other.intersects(box)) return false;
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c)
            bucket(c, r).push_back(box);
    return true;
}

void ShapePainter::drawText(const TNText& s) {
    if (s.String.isEmpty()) return;
    const QPoint a = window_.Map(s.x, s.y);
    if (a.x() < -500 || a.x() > window_.Width + 500 || a.y() < -100 || a.y() > window_.Height + 100)
        return;
    const TColor color = textColor(s.PenFg);
    int n = pixelOf(window_.Ky * s.Height * 0.8);
    // Too small to read: left out, or drawn at the smallest size that reads.
    if (n < kTextLeftOutPx) return;
    const bool enlarged = n < kTextLegiblePx;
    if (enlarged) n = kTextLegiblePx;
    useFont(s.FontName, std::min(n, 200), s.Bold, s.Italic);
    usePen(color, 1, 0);
    useBrush(0, kBrushClear);
    const QFontMetrics metrics = painter_->fontMetrics();
    const int tw = metrics.horizontalAdvance(s.String);
    const int th = metrics.height();
    const int dx = s.HAlign == 1 ? -tw / 2 : s.HAlign == 2 ? -tw : 0;
    const int dy = s.VAlign == 1 ? -th / 2 : s.VAlign == 2 ? -th : 0;
    // An enlarged label keeps clear of the others enlarged before it.
    if (enlarged && !enlargedTextFits(QRect(a.x() + dx, a.y() + dy, tw, th))) return;
    // The font turns in whole tenths of a degree about the text's top left.
    const double tenths = std::trunc(s.Angle * 10.0);
    if (tenths == 0.0 || !std::isfinite(tenths)) {
        painter_->drawText(QPoint(a.x() + dx, a.y() + dy + metrics.ascent()), s.String);
        return;
    }
    painter_->save();
    painter_->translate(a.x() + dx, a.y() + dy);
    painter_->rotate(-tenths / 10.0);
    painter_->drawText(QPoint(0, metrics.ascent()), s.String);
    painter_->restore();
}

}  // namespace nivora
