#include "config/ui/svp_profile_view.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "config/svp_model.h"
#include "core/number_text.h"

namespace nivora {
namespace {

// The accents read on the day palette and on the night palette alike.
const QColor kSampleColour(0xE6, 0x7E, 0x22);
const QColor kAveragedColour(0x2F, 0x8A, 0xE0);
const QColor kColumnColour(0x2F, 0xAA, 0x4F);

// The numbers of a memo line split at commas, or nothing when one is not a number.
std::vector<double> numbers(const QString& line) {
    std::vector<double> out;
    if (line.trimmed().isEmpty()) return out;
    for (const QString& field : line.split(QLatin1Char(','))) {
        const std::optional<double> v = toNumber(field);
        if (!v || !std::isfinite(*v)) return {};
        out.push_back(*v);
    }
    return out;
}

// A round tick step giving about `ticks` intervals over `range`.
double tickStep(double range, int ticks) {
    const double raw = range / ticks;
    const double m = std::pow(10.0, std::floor(std::log10(raw)));
    const double r = raw / m;
    return m * (r <= 1 ? 1 : r <= 2 ? 2 : r <= 2.5 ? 2.5 : r <= 5 ? 5 : 10);
}

QString tickText(double value, double step) {
    return QString::number(value, 'f', step < 1 ? (step < 0.1 ? 2 : 1) : 0);
}

}  // namespace

SvpProfile svpProfileOf(const SvpModel& model) {
    SvpProfile p;
    for (const QString& line : model.extracted) {
        const std::vector<double> v = numbers(line);
        if (v.size() == 2) p.samples.push_back({v[0], v[1]});
    }
    for (const QString& line : model.averaged) {
        const std::vector<double> v = numbers(line);
        if (v.size() == 3 && v[2] > 0) p.averaged.push_back({v[0], v[1]});
    }
    for (qsizetype i = 0; i < model.column.size(); ++i) {
        const std::vector<double> v = numbers(model.column[i]);
        if (v.size() == 1) p.column.push_back({static_cast<double>(i), v[0]});
    }
    return p;
}

SvpProfileView::SvpProfileView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SvpProfileView"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void SvpProfileView::setProfile(SvpProfile profile) {
    profile_ = std::move(profile);
    update();
}

void SvpProfileView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), pal.color(QPalette::Base));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    QFont small = font();
    small.setPixelSize(10);
    p.setFont(small);
    const QFontMetrics fm(small);
    const QColor text = pal.color(QPalette::Text);

    if (profile_.empty()) {
        p.setPen(pal.color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("No profile"));
        return;
    }

    // Depth down to the deepest sample; the column runs to Max Depth and is
    // cut there so that a short cast fills the view. Without samples the
    // column alone sets the depth.
    double deepest = 0;
    for (const auto* set : {&profile_.samples, &profile_.averaged})
        for (const SvpProfilePoint& s : *set)
            deepest = std::max(deepest, s.depthM);
    if (deepest <= 0)
        for (const SvpProfilePoint& s : profile_.column)
            deepest = std::max(deepest, s.depthM);
    deepest = std::max(deepest, 1.0);
    double vMin = 1e30, vMax = -1e30;
    for (const auto* set : {&profile_.samples, &profile_.averaged, &profile_.column}) {
        for (const SvpProfilePoint& s : *set) {
            if (s.depthM > deepest) continue;
            vMin = std::min(vMin, s.velocity);
            vMax = std::max(vMax, s.velocity);
        }
    }
    if (vMin > vMax) vMin = vMax = 1500;
    // At least 2 m/s across, so a flat profile stays a straight line in the middle.
    const double pad = std::max((vMax - vMin) * 0.08, 1.0);
    vMin -= pad;
    vMax += pad;

    const QRectF plot(
        QPointF(fm.horizontalAdvance(QStringLiteral("0000")) + 10, fm.height() * 3 + 6),
        QPointF(width() - 10, height() - 8));
    if (plot.width() < 20 || plot.height() < 20) return;
    const auto at = [&](double depth, double v) {
        return QPointF(plot.left() + (v - vMin) / (vMax - vMin) * plot.width(),
                       plot.top() + depth / deepest * plot.height());
    };

    // Grid and ticks: velocity along the top, depth down the left.
    QPen gridPen(pal.color(QPalette::Mid), 1, Qt::DotLine);
    const double vStep = tickStep(vMax - vMin, 5);
    for (double v = std::ceil(vMin / vStep) * vStep; v <= vMax; v += vStep) {
        const double x = at(0, v).x();
        p.setPen(gridPen);
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        p.setPen(text);
        const QString t = tickText(v, vStep);
        p.drawText(QPointF(x - fm.horizontalAdvance(t) / 2.0, plot.top() - 4), t);
    }
    const double dStep = tickStep(deepest, 5);
    for (double d = 0; d <= deepest + 1e-9; d += dStep) {
        const double y = at(d, vMin).y();
        p.setPen(gridPen);
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(text);
        const QString t = tickText(d, dStep);
        p.drawText(QPointF(plot.left() - 4 - fm.horizontalAdvance(t), y + fm.ascent() / 2.0), t);
    }
    p.setPen(text);
    p.drawText(QPointF(2, plot.top() - 4), QStringLiteral("m"));
    p.drawText(QPointF(plot.right() - fm.horizontalAdvance(QStringLiteral("m/s")),
                       plot.top() - 4 - fm.height()),
               QStringLiteral("m/s"));
    p.setPen(pal.color(QPalette::Mid));
    p.drawRect(plot);

    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(plot.adjusted(-3, -3, 3, 3));
    const auto line = [&](const std::vector<SvpProfilePoint>& points, const QPen& pen) {
        QPainterPath path;
        for (const SvpProfilePoint& s : points) {
            if (path.elementCount() == 0)
                path.moveTo(at(s.depthM, s.velocity));
            else
                path.lineTo(at(s.depthM, s.velocity));
        }
        p.strokePath(path, pen);
    };
    line(profile_.column, QPen(kColumnColour, 1.5, Qt::DashLine));
    line(profile_.averaged, QPen(kAveragedColour, 2));
    p.setPen(Qt::NoPen);
    p.setBrush(kSampleColour);
    for (const SvpProfilePoint& s : profile_.samples)
        p.drawEllipse(at(s.depthM, s.velocity), 2.5, 2.5);
    p.setClipping(false);

    // Legend along the top.
    struct Key {
        QColor colour;
        QString name;
        bool dot;
        Qt::PenStyle style;
    };
    const Key keys[] = {{kSampleColour, QStringLiteral("Raw"), true, Qt::SolidLine},
                        {kAveragedColour, QStringLiteral("Averaged"), false, Qt::SolidLine},
                        {kColumnColour, QStringLiteral("Column"), false, Qt::DashLine}};
    double x = 6;
    const double y = fm.height() * 0.5 + 3;
    for (const Key& k : keys) {
        if (k.dot) {
            p.setPen(Qt::NoPen);
            p.setBrush(k.colour);
            p.drawEllipse(QPointF(x + 6, y), 2.5, 2.5);
        } else {
            p.setPen(QPen(k.colour, 2, k.style));
            p.drawLine(QPointF(x, y), QPointF(x + 12, y));
        }
        p.setPen(text);
        p.drawText(QPointF(x + 15, y + fm.ascent() / 2.0 - 1), k.name);
        x += 15 + fm.horizontalAdvance(k.name) + 8;
    }
}

}  // namespace nivora
