#include "canvas/canvas_renderer.h"
#include "canvas/chart_fonts.h"
#include "canvas/night_colours.h"

#include <QFontMetrics>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "canvas/qt_color.h"
#include "core/number_format.h"

namespace nivora {

namespace {

// Text whose top left corner is at (x, y).
void drawTextAt(QPainter& painter, int x, int y, const QString& text) {
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

}  // namespace

QString GridLabelText(double value, double spacing) {
    const std::string text = formatFixed(value, spacing >= 1.0 ? 1 : 3);
    std::string_view digits(text);
    if (digits.find('.') != std::string_view::npos) {
        // Trailing zeros go, and the point with them when nothing follows it.
        digits.remove_suffix(digits.size() - 1 - digits.find_last_not_of('0'));
        if (digits.back() == '.') digits.remove_suffix(1);
    }
    if (digits == "-0") digits = "0";
    return QString::fromLatin1(digits.data(), static_cast<qsizetype>(digits.size()));
}

std::vector<double> GridLinePositions(double from, double to, double spacing) {
    std::vector<double> out;
    if (!(spacing > 0.0) || !std::isfinite(spacing) || !std::isfinite(from) || !std::isfinite(to) ||
        to < from)
        return out;
    const double start = std::floor(from / spacing) * spacing;
    const double count = std::floor((to - start) / spacing) + 1.0;
    if (!(count >= 0.0) || count > CanvasRenderer::kMaxGridLines) return out;
    // Each position from its index: adding the step up would stall where it
    // is below the precision of the coordinates.
    for (int i = 0; i <= static_cast<int>(count); ++i) {
        const double v = start + i * spacing;
        if (v > to) break;
        out.push_back(v);
    }
    return out;
}

namespace {

struct GridLines {
    GridSpacing spacing{0, 0};
    std::vector<double> xs, ys;
};

std::optional<GridLines> gridLinesOf(const CanvasDocument& doc) {
    const GridSettings& grid = doc.Grid;
    const ViewWindow& view = doc.View;
    if (!grid.GridVisible || !(view.GetWorldWidth() > 0.0) || !(view.GetWorldHeight() > 0.0))
        return std::nullopt;
    GridLines g;
    g.spacing =
        ReadableGridSpacing(ChooseGridSpacing(grid, view), view, CanvasRenderer::kMinGridLinePx);
    g.xs = GridLinePositions(view.WorldLeft, view.WorldRight, g.spacing.X);
    g.ys = GridLinePositions(view.WorldBottom, view.WorldTop, g.spacing.Y);
    return g;
}

// Red lines through the world origin when the window holds it.
void drawAxes(QPainter& painter, const ViewWindow& view, bool night) {
    if (!(view.WorldLeft < 0.0 && 0.0 < view.WorldRight && view.WorldBottom < 0.0 &&
          0.0 < view.WorldTop))
        return;
    painter.setPen(QPen(toQColor(ChartColour(colors::Red, night)), 0));
    const int sy = view.WorldToAbsY(0.0);
    const int sx = view.WorldToAbsX(0.0);
    painter.drawLine(0, sy, view.Width, sy);
    painter.drawLine(sx, 0, sx, view.Height);
}

}  // namespace

void CanvasRenderer::DrawGrid(QPainter& painter, const CanvasDocument& doc, bool night) {
    DrawGridLines(painter, doc, night);
    DrawGridLabels(painter, doc, night);
}

void CanvasRenderer::DrawGridLines(QPainter& painter, const CanvasDocument& doc, bool night) {
    const auto g = gridLinesOf(doc);
    if (!g) return;
    const ViewWindow& view = doc.View;
    painter.setPen(QPen(toQColor(ChartColour(doc.Grid.GridColor, night)), 0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    for (double x : g->xs) {
        const int sx = view.WorldToAbsX(x);
        painter.drawLine(sx, view.WorldToAbsY(view.WorldTop), sx,
                         view.WorldToAbsY(view.WorldBottom));
    }
    for (double y : g->ys) {
        const int sy = view.WorldToAbsY(y);
        painter.drawLine(view.WorldToAbsX(view.WorldLeft), sy, view.WorldToAbsX(view.WorldRight),
                         sy);
    }
    drawAxes(painter, view, night);
    painter.setBrush(Qt::NoBrush);
}

void CanvasRenderer::DrawGridLabels(QPainter& painter, const CanvasDocument& doc, bool night) {
    const auto g = gridLinesOf(doc);
    if (!g) return;
    const ViewWindow& view = doc.View;
    const int width = view.Width;
    const int height = view.Height;
    QFont font = chartFont(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    painter.setFont(font);
    const QColor ink = toQColor(ChartColour(colors::Black, night));
    const QColor paper = toQColor(ChartColour(colors::White, night));
    painter.setPen(QPen(ink, 0));
    const QFontMetrics metrics = painter.fontMetrics();
    const int th = metrics.height();
    int lastRight = -1000000;
    for (double x : g->xs) {
        const int sx = view.WorldToAbsX(x);
        if (sx <= 4 || sx > width - 50) continue;
        const QString text = GridLabelText(x, g->spacing.X);
        const int half = metrics.horizontalAdvance(text) / 2;
        // A label that would run into the one before it is left out.
        if (sx - half - 2 <= lastRight + 4) continue;
        lastRight = sx + half + 1;
        painter.fillRect(
            QRect(QPoint(sx - half - 2, height - th - 4), QPoint(sx + half + 1, height - 3)),
            paper);
        drawTextAt(painter, sx - half, height - th - 3, text);
    }
    int lastTop = 1000000;
    for (auto it = g->ys.begin(); it != g->ys.end(); ++it) {
        const double y = *it;
        const int sy = view.WorldToAbsY(y);
        if (sy <= 14 || sy > height - 20) continue;
        if (sy + th / 2 >= lastTop - 2) continue;
        lastTop = sy - th / 2 - 1;
        const QString text = GridLabelText(y, g->spacing.Y);
        const int w = metrics.horizontalAdvance(text);
        painter.fillRect(QRect(QPoint(2, sy - th / 2 - 1), QPoint(w + 5, sy + th / 2)), paper);
        drawTextAt(painter, 4, sy - th / 2, text);
    }
    // The axes run over the labels.
    drawAxes(painter, view, night);
    painter.setBrush(Qt::NoBrush);
}

RenderStats CanvasRenderer::RenderPicture(QImage& image, CanvasDocument& doc,
                                          const RenderSettings& settings) {
    image.fill(toQRgb(ChartColour(settings.BackColor, settings.Night)));
    // The pixels are taken before the painter starts so that no detach can
    // happen while it draws.
    const DirectPixels direct = DirectPixels::Of(image);
    QPainter painter(&image);
    return render(painter, doc, settings, direct);
}

RenderStats CanvasRenderer::RenderPicture(QPainter& painter, CanvasDocument& doc,
                                          const RenderSettings& settings) {
    painter.fillRect(QRect(0, 0, std::max(1, doc.View.Width), std::max(1, doc.View.Height)),
                     toQColor(ChartColour(settings.BackColor, settings.Night)));
    return render(painter, doc, settings, DirectPixels{});
}

RenderStats CanvasRenderer::render(QPainter& painter, CanvasDocument& doc,
                                   const RenderSettings& settings, DirectPixels direct) {
    if (settings.GridOrder == 0) DrawGridLines(painter, doc, settings.Night);
    if (doc.ProductsLayer) doc.ProductsLayer->paintUnderShapes(painter, doc.View);
    shapes_.setBackground(settings.BackColor);
    shapes_.setNight(settings.Night);
    const RenderStats stats = drawShapes(painter, doc, direct, settings.FastPaths);
    if (doc.ProductsLayer) doc.ProductsLayer->paintOverShapes(painter, doc.View);
    if (settings.GridOrder == 1) DrawGridLines(painter, doc, settings.Night);
    // The labels in the margin over everything, so that no chart hides them.
    if (settings.GridOrder == 0 || settings.GridOrder == 1)
        DrawGridLabels(painter, doc, settings.Night);
    doc.Dirty = false;
    return stats;
}

RenderStats CanvasRenderer::DrawAllShapes(QPainter& painter, const CanvasDocument& doc,
                                          bool fastPaths) {
    return drawShapes(painter, doc, DirectPixels{}, fastPaths);
}

RenderStats CanvasRenderer::drawShapes(QPainter& painter, const CanvasDocument& doc,
                                       DirectPixels direct, bool fastPaths) {
    RenderStats stats;
    const int lastLayer = doc.NextLayerId();
    visibleLayers_.assign(static_cast<std::size_t>(lastLayer) + 1, 0);
    for (const auto& layer : doc.Layers()) {
        if (layer->Visible && layer->Id() >= 0 && layer->Id() <= lastLayer)
            visibleLayers_[static_cast<std::size_t>(layer->Id())] = 1;
    }

    const ViewWindow& view = doc.View;
    const double left = view.WorldLeft;
    const double right = view.WorldRight;
    const double top = view.WorldTop;
    const double bottom = view.WorldBottom;
    double worldWidth = right - left;
    if (!(worldWidth > 0.0)) worldWidth = 1.0;
    const double metresPerPixel = worldWidth / std::max(1, view.Width);
    const double sizeFloor = metresPerPixel / 2.0;

    shapes_.begin(painter, DrawWindow::FromView(view), direct, fastPaths);
    texts_.clear();
    int lastX = -9999;
    int lastY = -9999;
    for (const TNShape& s : doc.Shapes()) {
        if (stats.Drawn >= kMaxShapesPerRebuild) {
            ++stats.Capped;
            continue;
        }
        const int layer = s.Layer();
        if (!s.Visible || layer < 0 || layer > lastLayer ||
            !visibleLayers_[static_cast<std::size_t>(layer)]) {
            ++stats.Hidden;
            continue;
        }
        const ShapeBounds b = s.Bounds();
        if (b.MaxX < left || b.MinX > right || b.MaxY < bottom || b.MinY > top) {
            ++stats.Culled;
            continue;
        }
        const ShapeClass kind = s.Class();
        if (kind == ShapeClass::Point) {
            const auto& point = static_cast<const TNPoint&>(s);
            const int px = pixelOf((point.x - left) / metresPerPixel);
            const int py = pixelOf((top - point.y) / metresPerPixel);
            const long long dx = static_cast<long long>(px) - lastX;
            const long long dy = static_cast<long long>(py) - lastY;
            if (dx > -3 && dx < 3 && dy > -3 && dy < 3) {
                ++stats.Thinned;
                continue;
            }
            lastX = px;
            lastY = py;
        } else if (kind == ShapeClass::Text) {
            texts_.push_back(&s);
            continue;
        } else if (kind != ShapeClass::Rectangle && b.MaxX - b.MinX < sizeFloor &&
                   b.MaxY - b.MinY < sizeFloor) {
            ++stats.BelowFloor;
            continue;
        }
        shapes_.draw(s);
        ++stats.Drawn;
    }
    for (const TNShape* text : texts_) {
        if (stats.Drawn >= kMaxShapesPerRebuild) {
            ++stats.Capped;
            continue;
        }
        shapes_.draw(*text);
        ++stats.Drawn;
    }
    texts_.clear();
    shapes_.end();
    painter.setBrush(Qt::NoBrush);
    return stats;
}

}  // namespace nivora
