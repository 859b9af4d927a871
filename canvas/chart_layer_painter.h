#pragma once

// A layer the host draws into the chart picture itself, beside the shapes:
// the coverage grid under them, the depth-coloured soundings over them. It
// is not made of shapes (a survey's hundreds of thousands of soundings would
// swamp the shape list), is not saved in the layout and cannot be selected.
// Its drawing is part of the cached picture: the host marks the document
// dirty when what it draws has changed.

#include <QPainter>

#include "canvas/view_window.h"

namespace nivora {

class ChartLayerPainter {
  public:
    virtual ~ChartLayerPainter() = default;
    // After the background and the grid under the shapes.
    virtual void paintUnderShapes(QPainter& painter, const ViewWindow& view) = 0;
    // After the shapes, before the overlays.
    virtual void paintOverShapes(QPainter& painter, const ViewWindow& view) = 0;
};

}  // namespace nivora
