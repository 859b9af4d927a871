#include "survey/track_recorder.h"

#include "canvas/canvas_document.h"
#include "survey/standard_layers.h"

namespace nivora {

std::int32_t TrackRecorder::tick(CanvasDocument& doc, const StandardLayers& layers,
                                 const TrackSettings& s, int fixQuality, double e, double n) {
    std::int32_t id = 0;
    if (first_) {
        first_ = false;
        previousE_ = e;
        previousN_ = n;
    } else if (counter_ >= s.interval) {
        const int layer = trackLayerFor(layers, fixQuality);
        id = s.drawAsLine ? doc.DrawLine(previousE_, previousN_, e, n, layer)
                          : doc.DrawPoint(e, n, layer);
        const TColor colour = layer == layers.trackFix     ? s.fixedColor
                              : layer == layers.trackFloat ? s.floatColor
                                                           : s.noFixColor;
        doc.SetLayerPenFg(layer, colour);
        doc.SetLayerPenWidth(layer, s.width);
        counter_ = 0;
        previousE_ = e;
        previousN_ = n;
    }
    ++counter_;
    return id;
}

}  // namespace nivora
