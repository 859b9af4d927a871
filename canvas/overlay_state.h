#pragma once

// Survey read-outs drawn over the chart: depth and event labels, the current
// depth and speed, the position status line and the distance measure. They
// are not shapes: not selectable, not saved, and changing them only asks for
// a repaint, never for a rebuild of the chart picture.

#include <QPointF>
#include <QString>
#include <optional>
#include <vector>

#include "canvas/depth_palette.h"
#include "core/colors.h"

namespace nivora {

struct DepthLabel {
    double x;
    double y;
    double depth;  // metres
};

struct EventLabel {
    double x;
    double y;
    int number;
};

// A survey line as the chart marks it: its direction, start and end, and
// whether it is the active one.
struct SurveyLineMark {
    std::vector<QPointF> Points;  // start first
    bool Active = false;
};

// The compact guidance strip at the top of the chart.
struct GuidanceStripState {
    bool Shown = false;
    QString Line;              // the active line's name
    bool HasGuidance = false;  // a position and a line; else Text says why
    double CrossTrack = 0;     // metres, + starboard
    bool WithinGate = true;
    QString Text;  // the rest of the strip: to go, speed, course error
    double FullScale = 10;
    double DeadBand = 0.5;
};

// The colour bar that explains the depth colours of soundings and grid.
struct DepthLegendState {
    bool Shown = false;
    DepthColours Colours;
    QString Title = QStringLiteral("Depth (m)");
};

// The scale bar and the north arrow; off until the host shows them.
struct ChartFurnitureState {
    bool ScaleBar = false;
    bool NorthArrow = false;
    // Grid convergence at the view's centre, degrees (grid bearing = true
    // bearing + convergence); none where the host cannot tell.
    std::optional<double> ConvergenceDeg;
};

struct OverlayState {
    static constexpr std::size_t kMaxDepthLabels = 10000;
    static constexpr std::size_t kDepthLabelsDropped = 1000;

    std::vector<DepthLabel> DepthLabels;  // oldest first
    bool DepthLabelsVisible = true;
    double DepthLabelSpacing = 10.0;  // minimum distance between two labels, world units
    QString LabelFontName = QStringLiteral("Arial");
    int LabelFontSize = 12;
    TColor LabelColor = colors::Black;

    std::vector<EventLabel> EventLabels;  // in the order added
    int EventLabelFontSize = 24;
    TColor EventLabelColor = colors::Red;

    double CurrentDepthHF = 0.0;
    double CurrentDepthLF = 0.0;
    bool ShowDepth = false;
    double CurrentSpeed = 0.0;  // knots
    bool ShowSpeed = false;
    int DepthSpeedDisplayMode = 0;  // corner 0..3: bottom-left, bottom-right, top-right, top-left
    int GGAOverlayPosition = 0;     // corner 0..3: top-left, top-right, bottom-right, bottom-left

    // Published by the host's real-time cycle; empty text shows no status box.
    QString PositionStatusText;
    int PositionFixQuality = 0;
    // The position's or the depth's values are older than the stale age:
    // their boxes are drawn in the stale colour.
    bool PositionStale = false;
    bool DepthStale = false;

    DepthLegendState DepthLegend;
    ChartFurnitureState Furniture;
    // The night chart: read-outs drawn in the night colours.
    bool Night = false;

    std::vector<SurveyLineMark> SurveyLines;
    GuidanceStripState GuidanceStrip;

    bool Measuring = false;
    QPointF MeasureStart;
    QPointF MeasureEnd;
    double MeasureDistance = 0.0;  // metres, from the host
    double MeasureBearing = 0.0;   // degrees, from the host

    // Appends unless a stored label lies closer than the spacing; past the cap
    // the oldest labels go. False when the label was dropped by the spacing.
    bool AddDepthLabel(double x, double y, double depth);

    // Text of the depth/speed box; empty when nothing is to be shown.
    QString DepthSpeedText() const;
};

// Fill colour of the position status box for a GGA fix quality.
TColor PositionStatusColor(int fixQuality);
// A read-out whose value is old: grey, unlike any fix colour.
inline constexpr TColor kStaleColor = colors::Gray;

// Steps a corner setting 0 -> 1 -> 2 -> 3 -> 0; any stored value lands in 0..3.
int NextCorner(int corner);

}  // namespace nivora
