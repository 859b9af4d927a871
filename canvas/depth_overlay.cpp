#include "canvas/depth_overlay.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "canvas/chart_fonts.h"
#include "core/number_format.h"

namespace nivora {

namespace {

constexpr int kBarWidth = 16;
constexpr int kBarHeight = 220;
constexpr int kTickCount = 6;

QFont legendFont() {
    QFont font = chartFont(QStringLiteral("Arial"));
    font.setPointSize(9);
    return font;
}

QString tickText(double v, double step) {
    return QString::fromStdString(formatFixed(v, step < 1 ? 1 : 0));
}

// A coarse picture of what is taken on screen, in cells of 4 pixels.
class Occupancy {
  public:
    static constexpr int kCell = 4;
    Occupancy(int width, int height)
        : w_(std::max(1, (width + kCell - 1) / kCell)),
          h_(std::max(1, (height + kCell - 1) / kCell)),
          cells_(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), 0) {}

    bool free(const QRect& r) const {
        const int x0 = std::max(0, r.left() / kCell), x1 = std::min(w_ - 1, r.right() / kCell);
        const int y0 = std::max(0, r.top() / kCell), y1 = std::min(h_ - 1, r.bottom() / kCell);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (cells_[index(x, y)]) return false;
        return true;
    }
    void take(const QRect& r) {
        const int x0 = std::max(0, r.left() / kCell), x1 = std::min(w_ - 1, r.right() / kCell);
        const int y0 = std::max(0, r.top() / kCell), y1 = std::min(h_ - 1, r.bottom() / kCell);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                cells_[index(x, y)] = 1;
    }
    // Steps of half a cell, at most `maxSteps` (a segment far longer than
    // the screen is only ever partly on it).
    void takeSegment(QPoint a, QPoint b, int maxSteps) {
        const double len = std::hypot(double(b.x() - a.x()), double(b.y() - a.y()));
        const int steps = std::clamp(int(len / (kCell / 2.0)), 1, std::max(1, maxSteps));
        for (int k = 0; k <= steps; ++k) {
            const double f = double(k) / steps;
            const int x = int(std::lround(a.x() + (b.x() - a.x()) * f)) / kCell;
            const int y = int(std::lround(a.y() + (b.y() - a.y()) * f)) / kCell;
            if (x >= 0 && x < w_ && y >= 0 && y < h_) cells_[index(x, y)] = 1;
        }
    }

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(w_) +
               static_cast<std::size_t>(x);
    }
    int w_, h_;
    std::vector<unsigned char> cells_;
};

}  // namespace

LabelPlacement PlaceDepthLabels(const std::vector<QPoint>& anchors, const std::vector<QSize>& sizes,
                                int width, int height, double trackGapPx) {
    LabelPlacement out;
    out.Boxes.assign(anchors.size(), std::nullopt);
    if (width <= 0 || height <= 0) return out;
    Occupancy taken(width, height);
    auto joined = [&](std::size_t a, std::size_t b) {
        const QPoint d = anchors[b] - anchors[a];
        return std::hypot(double(d.x()), double(d.y())) <= trackGapPx;
    };
    // The track first, so no label is put over a later piece of it.
    const QRect screen(0, 0, width, height);
    for (std::size_t k = 1; k < anchors.size(); ++k) {
        if (!joined(k - 1, k)) continue;
        const QRect box = QRect(anchors[k - 1], anchors[k]).normalized().adjusted(-1, -1, 1, 1);
        if (box.intersects(screen)) taken.takeSegment(anchors[k - 1], anchors[k], width + height);
    }
    for (std::size_t k = 0; k < anchors.size(); ++k) {
        const QPoint p = anchors[k];
        // A label whose anchor is this near the client area may still show.
        if (p.x() < -50 || p.x() > width + 50 || p.y() < -20 || p.y() > height + 20) continue;
        const QSize size = sizes[k];
        const bool back = k > 0 && joined(k - 1, k);
        const bool ahead = k + 1 < anchors.size() && joined(k, k + 1);
        // Where no track joins the label it is centred on its anchor.
        QPointF normal(0, 0);
        double reach = 0;
        if (back || ahead) {
            const QPoint from = back ? anchors[k - 1] : p;
            const QPoint to = ahead ? anchors[k + 1] : p;
            const double dx = to.x() - from.x(), dy = to.y() - from.y();
            const double len = std::hypot(dx, dy);
            const QPointF dir = len > 0 ? QPointF(dx / len, dy / len) : QPointF(1, 0);
            // Right of the direction of travel on screen (y grows downwards),
            // far enough that the box's nearest corner clears the track.
            normal = QPointF(-dir.y(), dir.x());
            reach =
                (std::abs(normal.x()) * size.width() + std::abs(normal.y()) * size.height()) / 2.0 +
                Occupancy::kCell + 2;
        }
        for (double side : {1.0, -1.0}) {
            const QPointF c = QPointF(p) + normal * (reach * side);
            // Halves truncated, as a centred label has always been placed.
            const QRect box(int(c.x()) - size.width() / 2, int(c.y()) - size.height() / 2,
                            size.width(), size.height());
            if (taken.free(box)) {
                taken.take(box.adjusted(-1, -1, 1, 1));
                out.Boxes[k] = box;
                ++out.Placed;
                break;
            }
            if (reach == 0) break;
        }
    }
    return out;
}

QRect DepthLegendRect(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                      int height) {
    const DepthLegendState& legend = overlay.DepthLegend;
    if (!legend.Shown) return {};
    const int textWidth = std::max(metrics.horizontalAdvance(QStringLiteral("-888.8")), 0) + 6;
    const int titleWidth = metrics.horizontalAdvance(legend.Title);
    const int w = std::max(kBarWidth + textWidth + 16, titleWidth + 12);
    const int barHeight = std::min(kBarHeight, height - 3 * metrics.height() - 40);
    if (barHeight < 60 || width < w + 40) return {};
    const int h = barHeight + metrics.height() + 22;
    return {width - w - 10, (height - h) / 2, w, h};
}

void DrawDepthLegend(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    const DepthLegendState& legend = overlay.DepthLegend;
    if (!legend.Shown) return;
    painter.save();
    painter.setFont(legendFont());
    const QFontMetrics metrics = painter.fontMetrics();
    const QRect box = DepthLegendRect(overlay, metrics, view.Width, view.Height);
    if (box.isEmpty()) {
        painter.restore();
        return;
    }
    const bool night = legend.Colours.night();
    const QColor fill = night ? QColor(24, 26, 30, 225) : QColor(255, 255, 255, 225);
    const QColor ink = night ? QColor(200, 170, 150) : QColor(20, 20, 20);
    painter.setPen(QPen(night ? QColor(90, 80, 75) : QColor(150, 150, 150), 0));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(ink);
    const int th = metrics.height();
    painter.drawText(QRect(box.left() + 4, box.top() + 4, box.width() - 8, th),
                     Qt::AlignHCenter | Qt::AlignVCenter, legend.Title);

    const QRect bar(box.left() + 8, box.top() + th + 12, kBarWidth, box.height() - th - 22);
    // Shallow at the top, as a sounding line reads downwards.
    for (int y = 0; y < bar.height(); ++y) {
        const double f = bar.height() > 1 ? double(y) / (bar.height() - 1) : 0;
        painter.setPen(QColor::fromRgb(legend.Colours.colourAt(f)));
        painter.drawLine(bar.left(), bar.top() + y, bar.right(), bar.top() + y);
    }
    painter.setPen(QPen(ink, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    const double shallow = legend.Colours.shallow();
    const double deep = legend.Colours.deep();
    const std::vector<double> ticks = DepthLegendTicks(shallow, deep, kTickCount);
    const double step = ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
    for (double v : ticks) {
        const int y =
            bar.top() + int(std::lround((v - shallow) / (deep - shallow) * (bar.height() - 1)));
        painter.drawLine(bar.right() + 1, y, bar.right() + 4, y);
        painter.drawText(QRect(bar.right() + 7, y - th / 2, box.right() - bar.right() - 9, th),
                         Qt::AlignLeft | Qt::AlignVCenter, tickText(v, step));
    }
    painter.restore();
}

}  // namespace nivora
