#pragma once

// The echogram picture of the history's last update, on any QPainter: the
// window's off-screen image, a test's QImage, a benchmark.

#include <QFont>
#include <QSize>

#include "core/colors.h"
#include "echogram/echogram_history.h"

class QPainter;

namespace nivora {

// The picture's own colours; they do not follow the palette, so a depth
// reads the same by day and by night.
namespace echogram_colors {
inline constexpr TColor Background = 0xFFF8F0;
inline constexpr TColor Water = 16757860;  // 0xFFB464
inline constexpr TColor Floor = colors::Red;
inline constexpr TColor Profile = colors::Black;
inline constexpr TColor Grid = colors::Gray;
inline constexpr TColor LatestBox = colors::Yellow;
inline constexpr TColor Text = colors::Black;
}  // namespace echogram_colors

// Paints the area `size` from the painter's origin: background, one water
// column and sea-floor line per valid sample, the profile line, the depth
// grid with its labels and the latest-depth box with its indicator. The
// rows are the history's, computed for its height; `size` should have that
// height. `font` gives the family of the texts (sizes are fixed).
void paintEchogram(QPainter& painter, const EchogramHistory& history, QSize size,
                   const QFont& font);

}  // namespace nivora
