#include "echogram/echogram_history.h"

#include <algorithm>
#include <cmath>

#include "core/number_format.h"

namespace nivora {

bool echogramSampleValid(double depthM) {
    return std::isfinite(depthM) && depthM > 0;
}

EchogramScale echogramScale(const double* depthsM, int count, double defaultTopM,
                            double defaultBottomM) {
    double minimum = 1e30;
    double maximum = -1e30;
    int valid = 0;
    for (int i = 0; i < count; ++i) {
        const double d = depthsM[i];
        if (!echogramSampleValid(d)) continue;
        minimum = std::min(minimum, d);
        maximum = std::max(maximum, d);
        ++valid;
    }
    EchogramScale s;
    if (valid > 3 && minimum < maximum) {
        const double margin = std::max(0.1 * (maximum - minimum), 0.3);
        s.topM = std::max(minimum - margin, 0.0);
        s.bottomM = maximum + margin;
    } else {
        s.topM = defaultTopM;
        s.bottomM = defaultBottomM;
    }
    s.spanM = s.bottomM - s.topM;
    // Also catches a span that overflowed to infinity or NaN.
    if (!(s.spanM > 0) || !std::isfinite(s.spanM)) s.spanM = 1.0;
    return s;
}

int echogramRound(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::lround(std::clamp(value, -1e9, 1e9)));
}

int echogramRow(double depthM, const EchogramScale& scale, int heightPx) {
    return echogramRound((depthM - scale.topM) * heightPx / scale.spanM);
}

double echogramColumnWidth(int widthPx, int count) {
    return std::max(static_cast<double>(widthPx) / std::max(count, 1), 1.0);
}

double echogramGridStep(double spanM) {
    const double quarter = spanM / 4;
    if (!(quarter > 0) || !std::isfinite(quarter)) return 0.0;
    const double m = std::pow(10.0, std::floor(std::log10(quarter)));
    const double r = quarter / m;
    const double f = r <= 1 ? 1 : r <= 2 ? 2 : r <= 2.5 ? 2.5 : r <= 5 ? 5 : 10;
    const double step = m * f;
    return std::isfinite(step) && step > 0 ? step : 0.0;
}

std::string echogramGridLabel(double valueM, double stepM) {
    const int decimals = stepM < 0.1 ? 2 : stepM < 1 ? 1 : 0;
    return formatFixed(valueM, decimals) + "m";
}

std::vector<EchogramGridLine> echogramGrid(const EchogramScale& scale, int heightPx) {
    std::vector<EchogramGridLine> lines;
    const double step = echogramGridStep(scale.spanM);
    if (step <= 0) return lines;
    // Multiples of the step rather than a running sum, so that no rounding
    // drift adds or drops the last line. The step is at least a quarter of
    // the span: five lines at most, the bound only guards odd numbers.
    const double first = std::ceil(scale.topM / step);
    for (int k = 0; k < 64; ++k) {
        const double value = (first + k) * step;
        if (value > scale.bottomM) break;
        const int row = echogramRow(value, scale, heightPx);
        if (row >= 0 && row <= heightPx) lines.push_back({row, echogramGridLabel(value, step)});
    }
    return lines;
}

void EchogramHistory::add(double depthM, int count, int heightPx, double defaultTopM,
                          double defaultBottomM) {
    const int n = EchogramSettings::clampDataWidth(count);
    std::copy(depths_.begin() + 1, depths_.begin() + n, depths_.begin());
    depths_[static_cast<std::size_t>(n - 1)] = depthM;
    latest_ = depthM;
    count_ = n;
    height_ = heightPx;
    defaultTop_ = defaultTopM;
    defaultBottom_ = defaultBottomM;
    updated_ = true;
    computeRows();
}

void EchogramHistory::rescale(int heightPx) {
    if (!updated_) return;
    height_ = heightPx;
    computeRows();
}

void EchogramHistory::computeRows() {
    scale_ = echogramScale(depths_.data(), count_, defaultTop_, defaultBottom_);
    for (int i = 0; i < count_; ++i) {
        const double d = depths_[static_cast<std::size_t>(i)];
        rows_[static_cast<std::size_t>(i)] =
            echogramSampleValid(d) ? echogramRow(d, scale_, height_) : 0;
    }
}

}  // namespace nivora
