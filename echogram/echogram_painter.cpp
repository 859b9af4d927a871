#include "echogram/echogram_painter.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <algorithm>

#include "core/number_format.h"

namespace nivora {
namespace {

QColor qcolor(TColor c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

QFont sized(const QFont& base, int points, bool bold) {
    QFont f(base);
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

// Texts are placed by their top-left corner, as the positions are given.
void textAt(QPainter& p, int x, int y, const QString& text) {
    p.drawText(QPointF(x, y + QFontMetrics(p.font()).ascent()), text);
}

}  // namespace

void paintEchogram(QPainter& p, const EchogramHistory& h, QSize size, const QFont& font) {
    const int W = size.width();
    const int H = size.height();
    p.save();
    // Whole pixels, as the positions are computed: no smoothing of edges.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, W, H), qcolor(echogram_colors::Background));
    if (!h.hasUpdate()) {
        p.restore();
        return;
    }
    const int n = h.count();
    const double w = echogramColumnWidth(W, n);
    const auto rowOf = [&](int j) { return std::clamp(h.row(j), 0, H); };

    // Water from the surface down to each depth, the floor in red.
    const QColor water = qcolor(echogram_colors::Water);
    const QPen floorPen(qcolor(echogram_colors::Floor), 3, Qt::SolidLine, Qt::FlatCap);
    p.setPen(floorPen);
    for (int j = 0; j < n; ++j) {
        if (!echogramSampleValid(h.depth(j))) continue;
        const int row = rowOf(j);
        const int x0 = echogramRound(j * w);
        const int x1 = echogramRound((j + 1) * w);
        p.fillRect(QRect(x0, 0, x1 - x0, row), water);
        p.drawLine(x0, row, x1, row);
    }

    // The profile joins neighbouring valid samples through column centres.
    p.setPen(
        QPen(qcolor(echogram_colors::Profile), 2, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    for (int k = 1; k < n; ++k) {
        if (!echogramSampleValid(h.depth(k - 1)) || !echogramSampleValid(h.depth(k))) continue;
        p.drawLine(echogramRound((k - 0.5) * w), rowOf(k - 1), echogramRound((k + 0.5) * w),
                   rowOf(k));
    }

    // Depth grid.
    p.setBrush(Qt::NoBrush);
    const std::vector<EchogramGridLine> grid = echogramGrid(h.scale(), H);
    p.setPen(QPen(qcolor(echogram_colors::Grid), 1, Qt::DotLine));
    for (const EchogramGridLine& g : grid)
        p.drawLine(0, g.row, W, g.row);
    p.setFont(sized(font, 9, true));
    p.setPen(qcolor(echogram_colors::Text));
    for (const EchogramGridLine& g : grid)
        textAt(p, 3, g.row + 2, QString::fromStdString(g.label));

    // Latest depth: the box, and a pointer down to it from the floor when
    // the floor is clear of the top and of the box.
    const double d = h.latestDepth();
    if (echogramSampleValid(d)) {
        const int r = h.row(n - 1);
        if (5 < r && r < H - 30) {
            p.setPen(QPen(qcolor(echogram_colors::Profile), 1, Qt::SolidLine));
            p.drawLine(W - 40, r, W - 40, H - 28);
        }
        p.fillRect(QRect(QPoint(W - 78, H - 26), QPoint(W - 3, H - 3)),
                   qcolor(echogram_colors::LatestBox));
        p.setFont(sized(font, 12, true));
        p.setPen(qcolor(echogram_colors::Text));
        textAt(p, W - 75, H - 24, QString::fromStdString(formatFixed(d, 1) + "m"));
    }
    p.restore();
}

}  // namespace nivora
