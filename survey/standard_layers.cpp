#include "survey/standard_layers.h"

#include "canvas/canvas_document.h"

namespace nivora {

StandardLayers EnsureLayers(CanvasDocument& doc) {
    auto ensure = [&doc](const QString& name) {
        const int id = doc.LayerFindByName(name);
        return id >= 0 ? id : doc.LayerOpen(name);
    };
    StandardLayers l;
    l.grid = ensure(layer_names::Grid);
    l.trackFix = ensure(layer_names::TrackFix);
    l.trackNoFix = ensure(layer_names::TrackNoFix);
    l.trackFloat = ensure(layer_names::TrackFloat);
    l.tempShape = ensure(layer_names::TempShape);
    l.userShape = ensure(layer_names::UserShape);
    l.eventNumber = ensure(layer_names::EventNumber);
    l.vessel = ensure(layer_names::Vessel);
    return l;
}

int trackLayerFor(const StandardLayers& layers, int fixQuality) {
    switch (fixQuality) {
        case 4:
            return layers.trackFix;
        case 5:
        case 2:
        case 3:
            return layers.trackFloat;
        default:
            return layers.trackNoFix;
    }
}

}  // namespace nivora
