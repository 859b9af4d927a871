#include "canvas/depth_palette.h"

#include <QColor>
#include <algorithm>
#include <cmath>

namespace nivora {

QString depthPaletteName(DepthPaletteKind kind) {
    switch (kind) {
        case DepthPaletteKind::Ocean:
            return QStringLiteral("Ocean");
        case DepthPaletteKind::Contrast:
            return QStringLiteral("Contrast");
        case DepthPaletteKind::Rainbow:
            break;
    }
    return QStringLiteral("Rainbow");
}

DepthColours::DepthColours(DepthPaletteKind kind, bool night, double shallowM, double deepM)
    : kind_(kind), night_(night), shallow_(shallowM), deep_(deepM) {
    if (!std::isfinite(shallow_)) shallow_ = 0;
    if (!std::isfinite(deep_) || !(deep_ > shallow_)) deep_ = shallow_ + 1;
    rebuild();
}

namespace {

struct Stop {
    double at;
    int r, g, b;
};

// Control colours from shallow (0) to deep (1).
const std::vector<Stop>& stopsOf(DepthPaletteKind kind) {
    static const std::vector<Stop> rainbow = {{0.0, 215, 25, 28},  {0.25, 253, 174, 97},
                                              {0.5, 230, 230, 90}, {0.62, 120, 200, 110},
                                              {0.8, 43, 170, 200}, {1.0, 30, 60, 190}};
    static const std::vector<Stop> ocean = {
        {0.0, 200, 240, 245}, {0.35, 90, 190, 220}, {0.7, 30, 100, 170}, {1.0, 10, 30, 90}};
    static const std::vector<Stop> contrast = {{0.0, 250, 230, 35},
                                               {0.25, 120, 205, 90},
                                               {0.5, 33, 145, 140},
                                               {0.75, 60, 80, 140},
                                               {1.0, 70, 15, 85}};
    switch (kind) {
        case DepthPaletteKind::Ocean:
            return ocean;
        case DepthPaletteKind::Contrast:
            return contrast;
        case DepthPaletteKind::Rainbow:
            break;
    }
    return rainbow;
}

QRgb interpolate(const std::vector<Stop>& stops, double t, bool night) {
    t = std::clamp(t, 0.0, 1.0);
    std::size_t k = 1;
    while (k + 1 < stops.size() && stops[k].at < t)
        ++k;
    const Stop& a = stops[k - 1];
    const Stop& b = stops[k];
    const double f = b.at > a.at ? (t - a.at) / (b.at - a.at) : 0.0;
    double r = a.r + (b.r - a.r) * f;
    double g = a.g + (b.g - a.g) * f;
    double bl = a.b + (b.b - a.b) * f;
    if (night) {
        // Darker and with less blue, so the chart does not dazzle a dark-adapted
        // eye; the hue stays, so shallow and deep still read apart.
        QColor c = QColor::fromRgbF(float(r / 255), float(g / 255), float(bl / 255));
        float h = 0, s = 0, v = 0;
        c.getHsvF(&h, &s, &v);
        c = QColor::fromHsvF(h, std::min(1.0f, s * 1.05f), v * 0.55f);
        r = c.redF() * 255;
        g = c.greenF() * 255;
        bl = c.blueF() * 255 * 0.85;
    }
    return qRgb(int(std::lround(r)), int(std::lround(g)), int(std::lround(bl)));
}

}  // namespace

void DepthColours::rebuild() {
    scale_ = (kSteps - 1) / (deep_ - shallow_);
    const auto& stops = stopsOf(kind_);
    for (int i = 0; i < kSteps; ++i)
        lut_[static_cast<std::size_t>(i)] = interpolate(stops, double(i) / (kSteps - 1), night_);
}

QRgb DepthColours::colourAt(double fraction) const {
    return colourOf(shallow_ + fraction * (deep_ - shallow_));
}

namespace {

double niceStep(double span, int count) {
    const double raw = span / std::max(1, count);
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * p >= raw) return m * p;
    }
    return 10 * p;
}

}  // namespace

std::vector<double> DepthLegendTicks(double shallow, double deep, int count) {
    std::vector<double> ticks;
    if (!std::isfinite(shallow) || !std::isfinite(deep) || !(deep > shallow)) return ticks;
    const double step = niceStep(deep - shallow, count);
    // Counted in steps, so that no rounding error builds up along the bar.
    const double first = std::ceil(shallow / step - 1e-9);
    for (double n = first; n * step <= deep + step * 1e-9 && ticks.size() <= 100; n += 1)
        ticks.push_back(n == 0 ? 0.0 : n * step);
    return ticks;
}

std::pair<double, double> RoundDepthRange(double lo, double hi) {
    if (!std::isfinite(lo) || !std::isfinite(hi)) return {0, 1};
    if (hi < lo) std::swap(lo, hi);
    if (hi - lo < 1) {
        const double mid = (lo + hi) / 2;
        lo = mid - 0.5;
        hi = mid + 0.5;
    }
    const double step = niceStep(hi - lo, 5);
    return {std::floor(lo / step) * step, std::ceil(hi / step) * step};
}

}  // namespace nivora
