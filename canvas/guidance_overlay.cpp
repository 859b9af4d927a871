#include "canvas/guidance_overlay.h"

#include "canvas/overlay_painter.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace nivora {
namespace {

QPointF toPixelF(const ViewWindow& view, double x, double y) {
    const double kx = view.Width / std::max(1e-12, view.GetWorldWidth());
    const double ky = view.Height / std::max(1e-12, view.GetWorldHeight());
    return {(x - view.WorldLeft) * kx, (view.WorldTop - y) * ky};
}

// A line wholly outside the view (with a margin for its marks) is not drawn.
bool outsideView(const std::vector<QPointF>& p, const ViewWindow& v) {
    double minX = p[0].x(), maxX = minX, minY = p[0].y(), maxY = minY;
    for (const QPointF& q : p) {
        minX = std::min(minX, q.x());
        maxX = std::max(maxX, q.x());
        minY = std::min(minY, q.y());
        maxY = std::max(maxY, q.y());
    }
    const double mx = v.GetWorldWidth() * 0.05, my = v.GetWorldHeight() * 0.05;
    return maxX < v.WorldLeft - mx || minX > v.WorldRight + mx || maxY < v.WorldBottom - my ||
           minY > v.WorldTop + my;
}

void arrowHead(QPainter& painter, QPointF tip, QPointF from, double size) {
    const double dx = tip.x() - from.x(), dy = tip.y() - from.y();
    const double len = std::hypot(dx, dy);
    if (len < 1e-9) return;
    const double ux = dx / len, uy = dy / len;
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(tip.x() - size * ux + size * 0.5 * uy, tip.y() - size * uy - size * 0.5 * ux);
    head.lineTo(tip.x() - size * ux - size * 0.5 * uy, tip.y() - size * uy + size * 0.5 * ux);
    head.closeSubpath();
    painter.drawPath(head);
}

}  // namespace

SteeringBarStyle dayBarStyle() {
    SteeringBarStyle s;
    s.background = QColor(255, 255, 255, 230);
    s.frame = QColor(40, 40, 40);
    s.text = QColor(0, 0, 0);
    return s;
}

SteeringBarStyle nightBarStyle() {
    SteeringBarStyle s;
    s.background = QColor(20, 20, 24, 235);
    s.frame = QColor(150, 150, 150);
    s.text = QColor(230, 230, 230);
    // Dimmer, so that the display does not blind the helmsman at night,
    // and still told apart by anyone who tells red from green.
    s.port = QColor(200, 40, 40);
    s.starboard = QColor(30, 160, 70);
    s.onLine = QColor(120, 120, 120);
    return s;
}

QColor steeringColour(const SteeringBarStyle& style, double crossTrackM, double deadBandM) {
    if (std::abs(crossTrackM) <= deadBandM) return style.onLine;
    return crossTrackM < 0 ? style.port : style.starboard;
}

void drawSteeringBar(QPainter& painter, const QRect& area, double xte, double fullScale,
                     double deadBand, const SteeringBarStyle& style) {
    if (area.width() < 10 || area.height() < 4) return;
    fullScale = std::max(fullScale, 1e-3);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(style.background);
    painter.drawRect(area);
    const double cx = area.left() + area.width() / 2.0;
    const double half = area.width() / 2.0 - 2;
    // The dead band, a lighter strip about the centre.
    const double band = std::min(deadBand / fullScale, 1.0) * half;
    QColor bandColour = style.onLine;
    bandColour.setAlpha(90);
    painter.setBrush(bandColour);
    painter.drawRect(QRectF(cx - band, area.top(), 2 * band, area.height()));
    // The boat's offset, from the centre.
    const double f = std::clamp(xte / fullScale, -1.0, 1.0);
    painter.setBrush(steeringColour(style, xte, deadBand));
    const double x = cx + f * half;
    const QRectF fill(std::min(cx, x), area.top() + area.height() * 0.15, std::abs(x - cx),
                      area.height() * 0.7);
    painter.drawRect(fill);
    // Clamped: an arrow says it is further out than the scale.
    if (std::abs(xte) > fullScale) {
        const double tipX = f > 0 ? area.right() - 1 : area.left() + 1;
        const double size = std::min(area.height() * 0.6, half * 0.2);
        painter.setBrush(style.text);
        arrowHead(painter, QPointF(tipX, area.center().y()),
                  QPointF(tipX - (f > 0 ? 1 : -1), area.center().y()), size);
    }
    // Ticks at each fifth of the scale, the centre taller.
    painter.setPen(QPen(style.frame, 1));
    for (int i = -5; i <= 5; ++i) {
        const double tx = cx + i / 5.0 * half;
        const double h = i == 0 ? area.height() : area.height() * 0.25;
        painter.drawLine(QPointF(tx, area.top()), QPointF(tx, area.top() + h));
        painter.drawLine(QPointF(tx, area.bottom() + 1 - h), QPointF(tx, area.bottom() + 1));
    }
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(area).adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

void DrawSurveyLinesOverlay(QPainter& painter, const OverlayState& overlay,
                            const ViewWindow& view) {
    if (overlay.SurveyLines.empty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    // See-through, so that the track run along it still shows.
    const QColor activeColour(255, 0, 200, 130);
    const QColor markColour(0, 90, 200);
    for (const SurveyLineMark& line : overlay.SurveyLines) {
        if (line.Points.size() < 2 || outsideView(line.Points, view)) continue;
        std::vector<QPointF> px;
        px.reserve(line.Points.size());
        double screenLength = 0;
        for (const QPointF& p : line.Points) {
            px.push_back(toPixelF(view, p.x(), p.y()));
            if (px.size() > 1) {
                const QPointF d = px.back() - px[px.size() - 2];
                screenLength += std::hypot(d.x(), d.y());
            }
        }
        const QColor colour = line.Active ? activeColour : markColour;
        if (line.Active) {
            painter.setPen(QPen(colour, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawPolyline(px.data(), static_cast<int>(px.size()));
        }
        // Marks only where the line is long enough on screen to carry them.
        if (screenLength < 24) continue;
        painter.setPen(QPen(colour, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(px.front(), 5, 5);  // start
        const QPointF e = px.back();
        painter.drawRect(QRectF(e.x() - 4.5, e.y() - 4.5, 9, 9));  // end
        // The direction: an arrow half way along the first segment.
        const QPointF a = px[0], b = px[1];
        const QPointF mid = (a + b) / 2;
        painter.setBrush(colour);
        arrowHead(painter, mid, a, line.Active ? 14 : 10);
        painter.setBrush(Qt::NoBrush);
    }
    painter.restore();
}

void DrawGuidanceStrip(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    const GuidanceStripState& g = overlay.GuidanceStrip;
    if (!g.Shown) return;
    painter.save();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    const SteeringBarStyle style = overlay.Night ? nightBarStyle() : dayBarStyle();
    const QFontMetrics m(font);
    // The side only for an error that shows as more than nought.
    const double shown = std::round(std::abs(g.CrossTrack) * 10) / 10;
    const QString side = shown == 0         ? QString()
                         : g.CrossTrack > 0 ? QStringLiteral("stbd")
                                            : QStringLiteral("port");
    const QString xte = !g.HasGuidance  ? QString()
                        : !g.WithinGate ? QStringLiteral("off line")
                                        : QStringLiteral("%1 m %2").arg(shown, 0, 'f', 1).arg(side);
    const QString text = g.Line + QStringLiteral("   ") + xte + QStringLiteral("   ") + g.Text;
    const int barWidth = 180;
    const int w = std::min(view.Width - 8, m.horizontalAdvance(text) + barWidth + 28);
    const int h = m.height() + 10;
    QRect box((view.Width - w) / 2, 4, w, h);
    // Below the position status box when that sits in the way.
    const QRect status =
        GGAOverlayRect(overlay, QFontMetrics(GGAOverlayFont()), view.Width, view.Height);
    if (!status.isEmpty() && status.intersects(box)) box.moveTop(status.bottom() + 4);
    painter.setPen(QPen(style.frame, 1));
    painter.setBrush(style.background);
    painter.drawRect(box);
    const QRect bar(box.left() + 6, box.top() + 4, barWidth, h - 8);
    if (g.HasGuidance && g.WithinGate) {
        drawSteeringBar(painter, bar, g.CrossTrack, g.FullScale, g.DeadBand, style);
    }
    painter.setPen(style.text);
    painter.drawText(QRect(bar.right() + 12, box.top(), box.right() - bar.right() - 12, h),
                     Qt::AlignVCenter | Qt::AlignLeft, text);
    painter.restore();
}

}  // namespace nivora
