#pragma once

// Before a drawing is added to the chart: does it lie where the survey is?
// A DXF drawn in another coordinate system, or in degrees while the survey
// is in metres, would otherwise be added without a word and shrink the
// survey to a dot when the view is fitted to it.

#include <QString>
#include <optional>

#include "canvas/shapes.h"

namespace nivora {

struct ImportPlacement {
    bool far = false;
    // Its coordinates fit latitude and longitude while the survey's do not.
    bool degrees = false;
    double distanceM = 0;  // from the survey area's box to the drawing's, 0 when they meet
    QString direction;     // of the drawing from the survey area: "north-east", ...
};

// `survey`: the box of what is on the chart (the drawing's shapes and the
// vessel) and the view; none when the chart is empty and no position came,
// and then nothing is far.
ImportPlacement judgeImport(const ShapeBounds& drawing, const std::optional<ShapeBounds>& survey,
                            double farMetres);

// The operator's question, naming where the drawing lies; `centre` is the
// drawing's centre in words (a grid position, and latitude and longitude
// where they can be had).
QString importQuestion(const QString& file, const ImportPlacement& placement,
                       const ShapeBounds& drawing, const QString& centre);

}  // namespace nivora
