#include "canvas/overlay_painter.h"

#include "canvas/chart_fonts.h"
#include "canvas/chart_furniture.h"
#include "canvas/depth_overlay.h"
#include "canvas/guidance_overlay.h"
#include "canvas/night_colours.h"

#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "canvas/qt_color.h"
#include "core/number_format.h"

namespace nivora {

namespace {

// Point sizes come from the host's settings; Qt rejects sizes below one.
int pointSize(int size) {
    return std::clamp(size, 1, 500);
}

QFont labelFont(const QString& family, int size, bool bold) {
    QFont font = chartFont(family);
    font.setPointSize(pointSize(size));
    font.setBold(bold);
    return font;
}

void drawTextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

// Held within +-2^28 like the chart's pixels: a far point mapped to the int
// limits would overflow the offsets added to it.
int nearPixel(int v) {
    return std::clamp(v, -(1 << 28), 1 << 28);
}

QPoint toPixel(const ViewWindow& view, double x, double y) {
    int sx = 0;
    int sy = 0;
    view.WorldToScreen(x, y, sx, sy);
    return {nearPixel(sx), nearPixel(sy)};
}

// Anchors this far outside the client area may still show part of a label.
bool nearClient(const ViewWindow& view, QPoint p) {
    return p.x() >= -50 && p.x() <= view.Width + 50 && p.y() >= -20 && p.y() <= view.Height + 20;
}

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// A box drawn as the Windows RoundRect from (l, t) to (r, b): the right and
// bottom edges are excluded and the corner ellipse is 6 pixels wide.
void roundBox(QPainter& painter, int l, int t, int r, int b) {
    painter.drawRoundedRect(QRect(l, t, r - l - 1, b - t - 1), 3.0, 3.0);
}

}  // namespace

void DrawRubberBand(QPainter& painter, const CanvasInteraction& ui, const ViewWindow& view) {
    if (!ui.Tracking() || !ui.FirstPointPlaced()) return;
    const QPoint s = toPixel(view, ui.StartPoint().x(), ui.StartPoint().y());
    const QPoint c = toPixel(view, ui.CurrentPoint().x(), ui.CurrentPoint().y());
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0));
    painter.setBrush(Qt::NoBrush);
    switch (ui.ToolMode) {
        case tool::Rectangle:
        case tool::Ellipse:
        case tool::ZoomWindow:
        case tool::SelectVariant:
            painter.drawRect(QRect(std::min(s.x(), c.x()), std::min(s.y(), c.y()),
                                   std::abs(c.x() - s.x()), std::abs(c.y() - s.y())));
            break;
        case tool::Polyline:
        case tool::Polygon:
        case tool::Curve:
        case tool::Arc: {
            QPolygon band;
            if (const TNPolyline* shape = ui.ShapeInProgress()) {
                for (const QPointF& v : shape->Points)
                    band << toPixel(view, v.x(), v.y());
            } else {
                band << s;
            }
            band << c;
            if (ui.ToolMode == tool::Polygon) {
                painter.drawPolygon(band);
            } else {
                painter.drawPolyline(band);
            }
            break;
        }
        case tool::Circle: {
            const double r = std::hypot(ui.CurrentPoint().x() - ui.StartPoint().x(),
                                        ui.CurrentPoint().y() - ui.StartPoint().y());
            const int pr = std::abs(nearPixel(view.WorldToAbsX(ui.StartPoint().x() + r)) -
                                    nearPixel(view.WorldToAbsX(ui.StartPoint().x())));
            painter.drawEllipse(QRect(s.x() - pr, s.y() - pr, 2 * pr, 2 * pr));
            break;
        }
        default:  // the line and anything else
            painter.drawLine(s, c);
            break;
    }
    painter.restore();
}

void DrawDistanceOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    if (!overlay.Measuring) return;
    const QPoint s = toPixel(view, overlay.MeasureStart.x(), overlay.MeasureStart.y());
    const QPoint e = toPixel(view, overlay.MeasureEnd.x(), overlay.MeasureEnd.y());
    const QColor red = toQColor(colors::Red);
    const QColor blue = toQColor(colors::Blue);

    const double length = std::hypot(double(e.x()) - s.x(), double(e.y()) - s.y());
    const int radius = length < 1.0e8 ? static_cast<int>(length) : 100000000;
    painter.setBrush(Qt::NoBrush);
    if (radius > 0) {
        painter.setPen(QPen(red, 2));
        painter.drawEllipse(QRect(s.x() - radius, s.y() - radius, 2 * radius, 2 * radius));
    }
    painter.setPen(QPen(red, 0));
    painter.setBrush(red);
    painter.drawEllipse(QRect(s.x() - 4, s.y() - 4, 8, 8));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(blue, 2));
    painter.drawLine(s, e);
    painter.drawLine(e.x() - 8, e.y(), e.x() + 8, e.y());
    painter.drawLine(e.x(), e.y() - 8, e.x(), e.y() + 8);

    const QString distance = text(formatFixed(overlay.MeasureDistance, 2)) + QStringLiteral(" m");
    const QString bearing = text(formatFixed(overlay.MeasureBearing, 1)) + QChar(0x00B0);
    painter.setFont(labelFont(QStringLiteral("Arial"), 11, true));
    const QFontMetrics metrics = painter.fontMetrics();
    const int w1 = metrics.horizontalAdvance(distance);
    const int w2 = metrics.horizontalAdvance(bearing);
    const int w = std::max(w1, w2);
    const int th = metrics.height();
    const QPoint m((s.x() + e.x()) / 2, (s.y() + e.y()) / 2);
    const int t = m.y() - 30;
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(toQColor(colors::Yellow));
    const int l = m.x() - w / 2 - 8;
    const int r = m.x() + w / 2 + 8;
    painter.drawRect(QRect(l, t - 2, r - l - 1, 2 * th + 7));
    painter.setBrush(Qt::NoBrush);
    drawTextAt(painter, m.x() - w1 / 2, t, distance);
    painter.setPen(QPen(toQColor(colors::Navy), 0));
    drawTextAt(painter, m.x() - w2 / 2, t + th + 2, bearing);
}

const TextSpriteCache::Sprite& TextSpriteCache::get(const QString& text, const QFont& font,
                                                    const QColor& color,
                                                    const QPaintDevice* device) {
    const qreal ratio = device ? device->devicePixelRatio() : 1.0;
    if (font != font_ || color.rgba() != color_ || ratio != ratio_ ||
        sprites_.size() >= kMaxEntries) {
        sprites_.clear();
        font_ = font;
        color_ = color.rgba();
        ratio_ = ratio;
    }
    auto it = sprites_.find(text);
    if (it != sprites_.end()) return *it;
    const QFontMetrics metrics(font, device);
    // Room for glyphs that overhang their advance (italics, bearings).
    margin_ = metrics.height() / 2 + 1;
    Sprite sprite;
    sprite.Advance = metrics.horizontalAdvance(text);
    const QSize size(sprite.Advance + 2 * margin_, metrics.height());
    sprite.Image = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
    sprite.Image.setDevicePixelRatio(ratio);
    sprite.Image.fill(Qt::transparent);
    {
        QPainter p(&sprite.Image);
        p.setFont(font);
        p.setPen(color);
        p.drawText(QPoint(margin_, metrics.ascent()), text);
    }
    return *sprites_.insert(text, std::move(sprite));
}

namespace {

// A label centred on the pixel of its anchor. Only labels near the client
// area get their text made: most of the ten thousand kept are elsewhere.
template <class Labels, class TextOf>
void drawLabels(QPainter& painter, const ViewWindow& view, const QFont& font, const QColor& color,
                TextSpriteCache* cache, const Labels& labels, TextOf textOf) {
    painter.setFont(font);
    painter.setPen(QPen(color, 0));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    QString s;
    for (const auto& label : labels) {
        const QPoint p = toPixel(view, label.x, label.y);
        if (!nearClient(view, p)) continue;
        textOf(label, s);
        const int y = p.y() - h / 2;
        if (cache) {
            const TextSpriteCache::Sprite& sprite = cache->get(s, font, color, painter.device());
            painter.drawImage(p.x() - sprite.Advance / 2 - cache->Margin(), y, sprite.Image);
        } else {
            drawTextAt(painter, p.x() - metrics.horizontalAdvance(s) / 2, y, s);
        }
    }
}

}  // namespace

void DrawDepthLabelsOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view,
                            TextSpriteCache* cache) {
    if (!overlay.DepthLabelsVisible || overlay.DepthLabels.empty()) return;
    const QFont font = labelFont(overlay.LabelFontName, overlay.LabelFontSize, false);
    const QColor color = toQColor(ChartColour(overlay.LabelColor, overlay.Night));
    painter.setFont(font);
    painter.setPen(QPen(color, 0));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics = painter.fontMetrics();
    const int h = metrics.height();
    const std::size_t n = overlay.DepthLabels.size();
    std::vector<QPoint> anchors(n);
    std::vector<QSize> sizes(n);
    std::vector<QString> texts(n);
    std::string buffer;
    for (std::size_t k = 0; k < n; ++k) {
        const DepthLabel& label = overlay.DepthLabels[k];
        anchors[k] = toPixel(view, label.x, label.y);
        if (!nearClient(view, anchors[k])) continue;
        buffer.clear();
        appendFixed(buffer, label.depth, 1);
        texts[k] = QString::fromLatin1(buffer.data(), static_cast<qsizetype>(buffer.size()));
        const int w = cache ? cache->get(texts[k], font, color, painter.device()).Advance
                            : metrics.horizontalAdvance(texts[k]);
        sizes[k] = QSize(w, h);
    }
    // Labels are laid down at least the spacing apart as the boat goes; ten
    // spacings (50 m at least) between two is a break in the track.
    const double worldPerPixel = view.GetWorldWidth() / std::max(1, view.Width);
    const double gap = std::max(10.0 * overlay.DepthLabelSpacing, 50.0) /
                       (worldPerPixel > 0 ? worldPerPixel : 1.0);
    const LabelPlacement placed = PlaceDepthLabels(anchors, sizes, view.Width, view.Height, gap);
    for (std::size_t k = 0; k < n; ++k) {
        if (!placed.Boxes[k]) continue;
        const QRect& box = *placed.Boxes[k];
        if (cache) {
            const TextSpriteCache::Sprite& sprite =
                cache->get(texts[k], font, color, painter.device());
            painter.drawImage(box.left() - cache->Margin(), box.top(), sprite.Image);
        } else {
            drawTextAt(painter, box.left(), box.top(), texts[k]);
        }
    }
}

void DrawEventLabelsOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view,
                            TextSpriteCache* cache) {
    if (overlay.EventLabels.empty()) return;
    drawLabels(painter, view, labelFont(QStringLiteral("Arial"), overlay.EventLabelFontSize, true),
               toQColor(ChartColour(overlay.EventLabelColor, overlay.Night)), cache,
               overlay.EventLabels,
               [](const EventLabel& label, QString& s) { s.setNum(label.number); });
}

void DrawCurrentDepthOverlay(QPainter& painter, const OverlayState& overlay,
                             const ViewWindow& view) {
    if (!overlay.ShowDepth && !overlay.ShowSpeed) return;
    const QString s = overlay.DepthSpeedText();
    if (s.isEmpty()) return;
    painter.setFont(labelFont(overlay.LabelFontName, overlay.LabelFontSize + 4, true));
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(s);
    const int h = metrics.height();
    int x = 10;
    int y = 10;
    switch (overlay.DepthSpeedDisplayMode) {
        case 0:
            y = view.Height - h - 10;
            break;
        case 1:
            x = view.Width - w - 10;
            y = view.Height - h - 10;
            break;
        case 2:
            x = view.Width - w - 10;
            break;
        default:
            break;
    }
    const QColor color =
        toQColor(ChartColour(overlay.DepthStale ? kStaleColor : overlay.LabelColor, overlay.Night));
    painter.setPen(QPen(color, 0));
    const TColor fill = overlay.DepthStale ? rgbColor(225, 225, 225) : colors::White;
    painter.setBrush(toQColor(ChartColour(fill, overlay.Night)));
    roundBox(painter, x - 6, y - 6, x + w + 6, y + h + 6);
    painter.setBrush(Qt::NoBrush);
    drawTextAt(painter, x, y, s);
}

QFont GGAOverlayFont() {
    QFont font = chartFont(QStringLiteral("Consolas"), FontKind::Monospace);
    font.setPointSize(12);
    font.setBold(true);
    return font;
}

QRect GGAOverlayRect(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                     int height) {
    if (overlay.PositionStatusText.isEmpty()) return {};
    const int w = metrics.horizontalAdvance(overlay.PositionStatusText);
    const int h = metrics.height();
    int x = 8;
    int y = 8;
    switch (overlay.GGAOverlayPosition) {
        case 1:
            x = width - w - 8;
            break;
        case 2:
            x = width - w - 8;
            y = height - h - 10;
            break;
        case 3:
            y = height - h - 10;
            break;
        default:
            break;
    }
    // (x - 6, y - 6) to (x + w + 6, y + h + 6), the far edges excluded.
    return {x - 6, y - 6, w + 12, h + 12};
}

bool IsPointInGGAOverlay(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                         int height, int x, int y) {
    const QRect box = GGAOverlayRect(overlay, metrics, width, height);
    return !box.isEmpty() && box.contains(x, y);
}

void DrawGGAOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    if (overlay.PositionStatusText.isEmpty()) return;
    painter.setFont(GGAOverlayFont());
    const QRect box = GGAOverlayRect(overlay, painter.fontMetrics(), view.Width, view.Height);
    QColor fill = toQColor(overlay.PositionStale ? kStaleColor
                                                 : PositionStatusColor(overlay.PositionFixQuality));
    // At night the fix colour keeps its hue, dimmed, under light text, so
    // that the box does not dazzle and still says the fix at a glance.
    if (overlay.Night) fill = fill.darker(220);
    painter.setPen(QPen(fill, 0));
    painter.setBrush(fill);
    roundBox(painter, box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
    painter.setBrush(Qt::NoBrush);
    const QColor textColour = overlay.Night                     ? QColor(230, 230, 230)
                              : overlay.PositionFixQuality == 1 ? QColor(Qt::white)
                                                                : QColor(Qt::black);
    painter.setPen(QPen(textColour, 0));
    drawTextAt(painter, box.left() + 6, box.top() + 6, overlay.PositionStatusText);
}

void DrawOverlays(QPainter& painter, const CanvasDocument& doc, const CanvasInteraction* ui,
                  OverlayCaches* caches) {
    if (ui) DrawRubberBand(painter, *ui, doc.View);
    DrawSurveyLinesOverlay(painter, doc.Overlay, doc.View);
    DrawDistanceOverlay(painter, doc.Overlay, doc.View);
    DrawDepthLabelsOverlay(painter, doc.Overlay, doc.View, caches ? &caches->DepthLabels : nullptr);
    DrawDepthLegend(painter, doc.Overlay, doc.View);
    DrawScaleBar(painter, doc.Overlay, doc.View);
    DrawNorthArrow(painter, doc.Overlay, doc.View);
    DrawEventLabelsOverlay(painter, doc.Overlay, doc.View, caches ? &caches->EventLabels : nullptr);
    DrawCurrentDepthOverlay(painter, doc.Overlay, doc.View);
    DrawGGAOverlay(painter, doc.Overlay, doc.View);
    DrawGuidanceStrip(painter, doc.Overlay, doc.View);
}

}  // namespace nivora
