#pragma once

// Colours of depth along a palette, for the soundings, the coverage grid and
// the colour bar that explains them. Shallow water is warm and deep water
// cold, as charts and survey software colour it; each palette has a night
// variant that is darker and lower in blue light but keeps its hues apart.

#include <QRgb>
#include <QString>
#include <array>
#include <vector>

namespace nivora {

enum class DepthPaletteKind {
    Rainbow,   // red - yellow - green - cyan - blue
    Ocean,     // light cyan to deep navy: one hue, reads as depth at a glance
    Contrast,  // a perceptually even ramp (dark purple - teal - yellow), reversed so shallow is
               // bright
};

inline constexpr int kDepthPaletteCount = 3;

// "Rainbow", "Ocean", "Contrast".
QString depthPaletteName(DepthPaletteKind kind);

class DepthColours {
  public:
    static constexpr int kSteps = 256;

    DepthColours() { rebuild(); }
    DepthColours(DepthPaletteKind kind, bool night, double shallowM, double deepM);

    DepthPaletteKind kind() const { return kind_; }
    bool night() const { return night_; }
    // The range the palette spans; values beyond take the end colours. A
    // range that is empty or inverted is widened to one metre.
    double shallow() const { return shallow_; }
    double deep() const { return deep_; }

    QRgb colourOf(double value) const {
        double t = (value - shallow_) * scale_;
        if (!(t > 0)) t = 0;  // NaN too
        if (t > kSteps - 1) t = kSteps - 1;
        return lut_[static_cast<std::size_t>(t)];
    }
    // The colour at a fraction of the range, 0 shallow .. 1 deep.
    QRgb colourAt(double fraction) const;
    bool operator==(const DepthColours& o) const {
        return kind_ == o.kind_ && night_ == o.night_ && shallow_ == o.shallow_ && deep_ == o.deep_;
    }

  private:
    void rebuild();

    DepthPaletteKind kind_ = DepthPaletteKind::Rainbow;
    bool night_ = false;
    double shallow_ = 0;
    double deep_ = 50;
    double scale_ = 0;
    std::array<QRgb, kSteps> lut_{};
};

// Round values for the colour bar's ticks between shallow and deep: about
// `count` of them, on steps of 1, 2 or 5 times a power of ten.
std::vector<double> DepthLegendTicks(double shallow, double deep, int count);

// A range that starts and ends on a round depth and holds [lo, hi].
std::pair<double, double> RoundDepthRange(double lo, double hi);

}  // namespace nivora
