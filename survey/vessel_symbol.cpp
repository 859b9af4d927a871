#include "survey/vessel_symbol.h"

#include "canvas/canvas_document.h"

namespace nivora {

void drawVesselSymbol(CanvasDocument& doc, int layer, double e, double n, double gridHeadingDegrees,
                      const VesselShape& shape, TColor colour, int width) {
    doc.CadClearShapes(layer);
    if (e == 0 && n == 0) return;
    doc.SetLayerPenFg(layer, colour);
    doc.SetLayerPenWidth(layer, width);
    const VesselSymbol symbol = vesselSymbol(e, n, gridHeadingDegrees, shape);
    for (const auto& l : symbol.lines)
        doc.DrawLine(l.x1, l.y1, l.x2, l.y2, layer);
    for (double r : symbol.radii)
        doc.DrawCircle(e, n, r, layer);
}

}  // namespace nivora
