#pragma once

// The echogram's depth history and the arithmetic of its picture: the depth
// scale with its margin, the screen rows, the column positions and the
// rounded grid step with its labels. No drawing here, so every number the
// picture is made of can be checked without a screen.

#include <array>
#include <string>
#include <vector>

#include "config/echogram_settings.h"

namespace nivora {

inline constexpr double kEchogramDefaultTopM = 0.0;
inline constexpr double kEchogramDefaultBottomM = 50.0;

// A depth that is not above 0 is a missing sample. So is one that is not
// finite: a sounder line may carry "inf" or "nan", and neither has a row.
bool echogramSampleValid(double depthM);

// The depth range shown, metres downwards from the top edge of the window.
struct EchogramScale {
    double topM = kEchogramDefaultTopM;
    double bottomM = kEchogramDefaultBottomM;
    double spanM = kEchogramDefaultBottomM - kEchogramDefaultTopM;
};

// The scale of the first `count` samples: with more than three valid samples
// at more than one depth, their range widened by a tenth of it on each side
// (at least 0.3 m) and never above the surface; otherwise the default range.
// A span that is not positive becomes 1 m.
EchogramScale echogramScale(const double* depthsM, int count, double defaultTopM = 0.0,
                            double defaultBottomM = 50.0);

// Nearest whole number, kept within +-1e9 (NaN gives 0) so that no depth,
// however wild, overflows a pixel position.
int echogramRound(double value);

// The screen row of a depth: round((depth - top) * height / span).
int echogramRow(double depthM, const EchogramScale& scale, int heightPx);

// Column width in pixels: width / count, never below 1.
double echogramColumnWidth(int widthPx, int count);

// The rounded grid step of a span: span / 4 rounded up to 1, 2, 2.5, 5 or
// 10 times a power of ten. Zero when the span gives no usable step.
double echogramGridStep(double spanM);

// "12m", "12.5m", "12.25m": 2 decimals below a step of 0.1 m, 1 below 1 m.
std::string echogramGridLabel(double valueM, double stepM);

struct EchogramGridLine {
    int row = 0;
    std::string label;
};

// The grid lines that fall inside the window (0 <= row <= height), from
// the first multiple of the step at or below the top downwards.
std::vector<EchogramGridLine> echogramGrid(const EchogramScale& scale, int heightPx);

// The history of depths and their rows. It lives for the whole run and is
// never cleared; hiding the window does not touch it.
class EchogramHistory {
  public:
    static constexpr int kCapacity = EchogramSettings::kHistorySize;

    // One update with a new depth: the first `count` samples (limited to
    // 1..200) move one place towards the start, the depth becomes the last
    // of them, and the scale and rows are computed for a window `heightPx`
    // pixels high.
    void add(double depthM, int count, int heightPx, double defaultTopM = kEchogramDefaultTopM,
             double defaultBottomM = kEchogramDefaultBottomM);
    // The scale and rows again for another window height, history unchanged
    // (the window was resized). Nothing happens before the first update.
    void rescale(int heightPx);

    bool hasUpdate() const { return updated_; }
    // The sample count, scale and latest depth of the last update.
    int count() const { return count_; }
    const EchogramScale& scale() const { return scale_; }
    double latestDepth() const { return latest_; }
    int heightPx() const { return height_; }

    double depth(int i) const { return depths_[static_cast<std::size_t>(i)]; }
    int row(int i) const { return rows_[static_cast<std::size_t>(i)]; }

  private:
    void computeRows();

    std::array<double, kCapacity> depths_{};
    std::array<int, kCapacity> rows_{};
    EchogramScale scale_;
    double defaultTop_ = kEchogramDefaultTopM;
    double defaultBottom_ = kEchogramDefaultBottomM;
    double latest_ = 0.0;
    int count_ = 1;
    int height_ = 0;
    bool updated_ = false;
};

}  // namespace nivora
