#pragma once

// The depth read-outs over the chart: the colour bar that explains the
// depth colours, and the placing of depth labels so that they keep clear of
// each other and of the track they stand on.

#include <QPainter>
#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

#include "canvas/overlay_state.h"
#include "canvas/view_window.h"

namespace nivora {

// The colour bar's outer box at the right edge of the client area, centred
// vertically; empty when the bar is not shown or the area is too small.
QRect DepthLegendRect(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                      int height);
void DrawDepthLegend(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);

// Where labels go. The anchors are the labels' points on screen in the order
// they were laid down (the track's order); consecutive anchors no farther
// apart than `trackGapPx` are taken as joined by the track. A label on such
// a track goes beside its anchor, across the track's direction (to its
// right, else its left); a label no track joins is centred on its anchor.
// It is drawn only where its box meets no earlier label's box and no piece
// of the track; otherwise it is left out. Anchors up to 50 pixels beyond
// the sides (20 beyond top and bottom) may still show part of a label.
struct LabelPlacement {
    std::vector<std::optional<QRect>> Boxes;  // one per anchor
    int Placed = 0;
};
LabelPlacement PlaceDepthLabels(const std::vector<QPoint>& anchors, const std::vector<QSize>& sizes,
                                int width, int height, double trackGapPx);

}  // namespace nivora
