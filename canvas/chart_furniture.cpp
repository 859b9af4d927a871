#include "canvas/chart_furniture.h"

#include <QFontMetrics>
#include <QPolygonF>
#include <cmath>

#include "canvas/chart_fonts.h"
#include "canvas/night_colours.h"
#include "canvas/qt_color.h"
#include "core/number_format.h"

namespace nivora {

namespace {

constexpr int kMaxBarPx = 180;

QFont furnitureFont(bool bold) {
    QFont font = chartFont(QStringLiteral("Arial"));
    font.setPointSize(9);
    font.setBold(bold);
    return font;
}

QString trimmed(double v, int decimals) {
    std::string s = formatFixed(v, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    return QString::fromStdString(s);
}

}  // namespace

QString ScaleLengthText(double metres) {
    if (metres >= 1000) return trimmed(metres / 1000, 3) + QStringLiteral(" km");
    if (metres >= 1) return trimmed(metres, 0) + QStringLiteral(" m");
    if (metres >= 0.01) return trimmed(metres * 100, 1) + QStringLiteral(" cm");
    return trimmed(metres * 1000, 2) + QStringLiteral(" mm");
}

ScaleBar ChooseScaleBar(double metresPerPixel, int maxPx) {
    ScaleBar bar;
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel) || maxPx < 1) return bar;
    const double most = metresPerPixel * maxPx;
    const double p = std::pow(10.0, std::floor(std::log10(most)));
    for (double m : {5.0, 2.0, 1.0}) {
        if (m * p <= most * (1 + 1e-12)) {
            bar.LengthM = m * p;
            break;
        }
    }
    if (bar.LengthM == 0) bar.LengthM = p;
    bar.Pixels = static_cast<int>(std::lround(bar.LengthM / metresPerPixel));
    bar.Label = ScaleLengthText(bar.LengthM);
    return bar;
}

QRect ScaleBarRect(const OverlayState& overlay, const ViewWindow& view, const ScaleBar& bar) {
    // Above the easting labels, and above the depth/speed box and the
    // position box when either shares the corner.
    int above = 26;
    if (overlay.DepthSpeedDisplayMode == 0 && (overlay.ShowDepth || overlay.ShowSpeed)) above += 44;
    if (overlay.GGAOverlayPosition == 3 && !overlay.PositionStatusText.isEmpty()) above += 40;
    const int bottom = view.Height - above;
    const int left = 60;
    return {left - 6, bottom - 34, bar.Pixels + 12, 34};
}

void DrawScaleBar(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    if (!overlay.Furniture.ScaleBar || view.Width < 200 || view.Height < 120) return;
    const double perPixel = view.GetWorldWidth() / std::max(1, view.Width);
    const ScaleBar bar = ChooseScaleBar(perPixel, std::min(kMaxBarPx, view.Width / 4));
    if (bar.Pixels < 10) return;
    const bool night = overlay.Night;
    const QColor ink = toQColor(ChartColour(colors::Black, night));
    const QColor paper = toQColor(ChartColour(colors::White, night));
    const QRect box = ScaleBarRect(overlay, view, bar);
    painter.save();
    painter.setFont(furnitureFont(true));
    QColor veil = paper;
    veil.setAlpha(200);
    painter.fillRect(box, veil);
    const int x0 = box.left() + 6, y = box.bottom() - 8;
    // Two halves, dark and light, as a chart's scale is drawn.
    const int half = bar.Pixels / 2;
    painter.fillRect(QRect(x0, y - 5, half, 5), ink);
    painter.setPen(QPen(ink, 0));
    painter.drawRect(QRect(x0, y - 5, bar.Pixels, 5));
    painter.drawLine(x0, y - 9, x0, y);
    painter.drawLine(x0 + bar.Pixels, y - 9, x0 + bar.Pixels, y);
    painter.drawText(QRect(box.left(), box.top() + 2, box.width(), 16), Qt::AlignHCenter,
                     bar.Label);
    painter.restore();
}

void DrawNorthArrow(QPainter& painter, const OverlayState& overlay, const ViewWindow& view) {
    if (!overlay.Furniture.NorthArrow || view.Width < 200 || view.Height < 160) return;
    const bool night = overlay.Night;
    const QColor ink = toQColor(ChartColour(colors::Black, night));
    const QColor paper = toQColor(ChartColour(colors::White, night));
    // Below a position box in the top right corner.
    const int top =
        overlay.GGAOverlayPosition == 1 && !overlay.PositionStatusText.isEmpty() ? 52 : 12;
    const QPointF centre(view.Width - 34, top + 34);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QColor veil = paper;
    veil.setAlpha(200);
    painter.setPen(Qt::NoPen);
    painter.setBrush(veil);
    painter.drawEllipse(centre, 28, 28);
    // Grid north: straight up, half filled.
    const QPolygonF left{centre + QPointF(0, -22), centre + QPointF(-7, 10), centre};
    const QPolygonF right{centre + QPointF(0, -22), centre + QPointF(7, 10), centre};
    painter.setPen(QPen(ink, 1));
    painter.setBrush(ink);
    painter.drawPolygon(left);
    painter.setBrush(paper);
    painter.drawPolygon(right);
    painter.setFont(furnitureFont(true));
    painter.drawText(QRectF(centre.x() - 20, centre.y() + 10, 40, 16), Qt::AlignHCenter,
                     QStringLiteral("N"));
    if (overlay.Furniture.ConvergenceDeg) {
        // True north lies the convergence clockwise of grid north: grid
        // bearing = true bearing + convergence.
        const double c = *overlay.Furniture.ConvergenceDeg;
        const double a = c * M_PI / 180.0;
        const QPointF tip = centre + QPointF(26 * std::sin(a), -26 * std::cos(a));
        painter.setPen(QPen(toQColor(ChartColour(colors::Red, night)), 1.5, Qt::DashLine));
        painter.drawLine(centre, tip);
        painter.setFont(furnitureFont(false));
        painter.setPen(ink);
        painter.drawText(QRectF(centre.x() - 60, centre.y() + 26, 90, 16), Qt::AlignRight,
                         QStringLiteral("conv. %1%2")
                             .arg(QString::fromStdString(formatFixed(c, 2)))
                             .arg(QChar(0x00B0)));
    }
    painter.restore();
}

}  // namespace nivora
