#pragma once

// Paints single shapes of the chart with QPainter, one class at a time.
//
// World points map to client pixels by truncation toward zero. Pens and
// brushes are set only when they change (setPen allocates). Two fast paths,
// both pixel-equivalent to what QPainter would draw:
// - point symbols drawn as discs are rendered once per colour and size and
//   then copied, which is about 20 times cheaper than a stroked ellipse;
// - solid one-pixel lines are written straight into a 32-bit image target,
//   because QPainter's cosmetic line costs about 10 ns per pixel.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QPolygon>
#include <cstdint>
#include <unordered_map>

#include "canvas/shapes.h"
#include "canvas/view_window.h"

namespace nivora {

// The world window and client size of one rebuild.
struct DrawWindow {
    double Left = 0.0;
    double Right = 1.0;
    double Top = 1.0;
    double Bottom = 0.0;
    int Width = 1;
    int Height = 1;
    double Kx = 1.0;  // pixels per world unit
    double Ky = 1.0;

    static DrawWindow FromView(const ViewWindow& view);
    double MapX(double x) const { return (x - Left) * Kx; }
    double MapY(double y) const { return (Top - y) * Ky; }
    QPoint Map(double x, double y) const;
};

// Truncates toward zero into a range QPainter handles safely (within
// +-2^28, far beyond any client area and far from the int limits, so sums
// and differences cannot overflow); NaN gives 0.
inline int pixelOf(double v) {
    constexpr double kLimit = 268435456.0;
    if (v != v) return 0;
    if (v >= kLimit) return static_cast<int>(kLimit);
    if (v <= -kLimit) return -static_cast<int>(kLimit);
    return static_cast<int>(v);
}

inline QPoint DrawWindow::Map(double x, double y) const {
    return {pixelOf(MapX(x)), pixelOf(MapY(y))};
}

// Pen and brush style ordinals of the shapes to Qt styles.
Qt::PenStyle qtPenStyle(int style);
Qt::BrushStyle qtBrushStyle(int style);

// The colour a text is drawn in: light colours (mean of the bytes above
// 200) are drawn black so that white labels stay readable on white.
TColor textColor(TColor penFg);

// Mutable pixels of a 32-bit image that a painter is drawing on.
struct DirectPixels {
    std::uint32_t* Bits = nullptr;
    qsizetype WordsPerLine = 0;
    int Width = 0;
    int Height = 0;
    bool valid() const { return Bits != nullptr; }
    // Usable for images of 32-bit formats without device-pixel scaling.
    static DirectPixels Of(QImage& image);
};

class ShapePainter {
  public:
    ShapePainter() = default;
    ShapePainter(const ShapePainter&) = delete;
    ShapePainter& operator=(const ShapePainter&) = delete;

    // Starts a rebuild. `direct` may be invalid (any other paint device);
    // `fastPaths` false draws everything through QPainter.
    void begin(QPainter& painter, const DrawWindow& window, DirectPixels direct, bool fastPaths);
    // The picture's background: lines and points of exactly that colour (a
    // DXF drawing's colour 7 is white) are drawn in its contrast colour, or a
    // chart imported onto a white background would show nothing.
    void setBackground(TColor background) { background_ = background; }
    // The night chart: every colour drawn is mapped to its night variant.
    void setNight(bool night) { night_ = night; }
    void end();

    // Texts smaller than this many pixels are drawn at it, so that they can
    // be read; below kTextLeftOutPx they are left out (zoomed that far out,
    // a legible text would cover far more of the chart than it names).
    static constexpr int kTextLegiblePx = 8;
    static constexpr int kTextLeftOutPx = 3;

    void draw(const TNShape& shape);

  private:
    void drawLine(const TNLine& s);
    void drawCircle(const TNCircle& s);
    void drawEllipse(const TNEllipse& s);
    void drawRectangle(const TNRectangle& s);
    void drawArc(const TNArc& s);
    void drawPoint(const TNPoint& s);
    void drawPolyline(const TNPolyline& s);
    void drawText(const TNText& s);

    // The highlight pen: red and two pixels wider when selected.
    void useShapePen(const TNShape& s);
    TColor ink(TColor color) const;
    // The colour as the picture shows it: the contrast rule, then the night
    // mapping (cached: the mapping is dear and a chart has few colours).
    TColor shown(TColor color);
    TColor mapped(TColor color);
    void usePen(TColor color, int width, int style);
    void useBrush(TColor color, int style);
    void useFont(const QString& name, int pixelSize, bool bold, bool italic);
    // True when the current pen is drawn by the direct line writer.
    bool directLines() const;
    void segment(double x1, double y1, double x2, double y2);  // pixel coordinates
    void directSegment(int x1, int y1, int x2, int y2);
    // A solid block of pixels, clipped to the direct target.
    void directFill(int x, int y, int w, int h, TColor color);
    void disc(int sx, int sy, int radius, TColor color, int penWidth);
    const QImage& discSprite(int radius, TColor color, int penWidth);

    QPainter* painter_ = nullptr;
    DrawWindow window_;
    DirectPixels direct_;
    bool fastPaths_ = true;
    bool spritesUsable_ = false;

    // Pen and brush last given to the painter.
    bool penSet_ = false;
    TColor penColor_ = 0;
    TColor background_ = colors::White;
    bool night_ = false;
    struct NightEntry {
        TColor day = 0xFFFFFFFF;  // no colour has the top byte set
        TColor night = 0;
    };
    NightEntry nightCache_[256];
    // Boxes of the texts drawn at the legible size in this rebuild, in
    // buckets of 64 pixels of the screen: a label enlarged so is left out
    // where it would cover another.
    static constexpr int kTextBucketPx = 64;
    int bucketColumns_ = 0, bucketRows_ = 0;
    std::vector<std::vector<QRect>> enlargedTexts_;
    bool enlargedTextFits(const QRect& box);
    int penWidth_ = 0;
    int penStyle_ = 0;
    bool brushSet_ = false;
    TColor brushColor_ = 0;
    int brushStyle_ = 0;
    bool fontSet_ = false;
    QString fontName_;
    int fontPixels_ = 0;
    bool fontBold_ = false;
    bool fontItalic_ = false;

    QPolygon pixels_;  // reused vertex buffer
    std::unordered_map<std::uint64_t, QImage> sprites_;
};

}  // namespace nivora
