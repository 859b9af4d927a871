#pragma once

// What a chart needs besides its drawing to be read: a scale bar of a round
// length that follows the zoom, and a north arrow that shows grid north and,
// where the host knows it, true north by the convergence at the view's
// centre.

#include <QPainter>
#include <QString>

#include "canvas/overlay_state.h"
#include "canvas/view_window.h"

namespace nivora {

struct ScaleBar {
    double LengthM = 0;  // 1, 2 or 5 times a power of ten
    int Pixels = 0;
    QString Label;  // "500 m", "2 km", "50 cm"
};

// The longest round length that fits in `maxPx` pixels at this scale; a
// zero length for a scale that is no number.
ScaleBar ChooseScaleBar(double metresPerPixel, int maxPx);
// "500 m", "1.5 km", "20 cm", "5 mm".
QString ScaleLengthText(double metres);

// The bar at the bottom left, above the grid labels and clear of the
// depth/speed box when that sits in the same corner.
QRect ScaleBarRect(const OverlayState& overlay, const ViewWindow& view, const ScaleBar& bar);
void DrawScaleBar(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);
// The arrow at the top right, below the position box when that sits there.
void DrawNorthArrow(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);

}  // namespace nivora
