#pragma once

// Survey lines over the chart (direction arrows, start and end marks, the
// active line highlighted), the compact guidance strip, and the left/right
// steering bar that the strip and the helmsman's display share. The bar is
// drawn as seen looking along the line: the boat to starboard of it is right
// of the centre. Red: the boat is to port and must steer to starboard;
// green: it is to starboard; within the dead band: on line.

#include <QPainter>
#include <QRect>

#include "canvas/overlay_state.h"
#include "canvas/view_window.h"

namespace nivora {

struct SteeringBarStyle {
    QColor background;
    QColor frame;
    QColor text;
    QColor port = QColor(220, 30, 30);       // red
    QColor starboard = QColor(20, 170, 60);  // green
    QColor onLine = QColor(240, 240, 240);
};
SteeringBarStyle dayBarStyle();
SteeringBarStyle nightBarStyle();

// The colour the bar gives a cross-track error.
QColor steeringColour(const SteeringBarStyle& style, double crossTrackM, double deadBandM);

// The bar in `area`: a scale of +-fullScale with ticks, the dead band, and a
// filled part from the centre to the boat's offset (clamped at the ends,
// with an arrow where it is clamped).
void drawSteeringBar(QPainter& painter, const QRect& area, double crossTrackM, double fullScaleM,
                     double deadBandM, const SteeringBarStyle& style);

void DrawSurveyLinesOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);
void DrawGuidanceStrip(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);

}  // namespace nivora
