#pragma once

// The vessel symbol on its layer, redrawn every tick.

#include "config/latency_shape.h"
#include "core/colors.h"

namespace nivora {

class CanvasDocument;

// Clears `layer` and, unless the position is 0, 0, draws the symbol there
// with the layer's pen set to `colour` and `width`.
void drawVesselSymbol(CanvasDocument& doc, int layer, double e, double n, double gridHeadingDegrees,
                      const VesselShape& shape, TColor colour, int width);

}  // namespace nivora
