// Layer management: removing, restacking and measuring layers, and taking
// back what an import added.

#include <algorithm>

#include "canvas/canvas_document.h"

namespace nivora {

bool CanvasDocument::LayerRemove(int id) {
    const int position = LayerPosition(id);
    if (position < 0 || layers_[static_cast<std::size_t>(position)]->Name() == layer_names::Default)
        return false;
    unselectLayer(id);
    store_.destroyLayer(id);
    layers_.erase(layers_.begin() + position);
    reindexLayers();
    if (CurrentLayer == id) CurrentLayer = LayerFindByName(layer_names::Default);
    changed();
    return true;
}

void CanvasDocument::restackLayer(int id, bool front) {
    const int position = LayerPosition(id);
    if (position < 0) return;
    store_.restack([id, front](int layer) { return layer != id ? 0 : (front ? 1 : -1); });
    auto layer = std::move(layers_[static_cast<std::size_t>(position)]);
    layers_.erase(layers_.begin() + position);
    layers_.insert(front ? layers_.end() : layers_.begin(), std::move(layer));
    reindexLayers();
    changed();
}

void CanvasDocument::LayerToFront(int id) {
    restackLayer(id, true);
}

void CanvasDocument::LayerToBack(int id) {
    restackLayer(id, false);
}

bool CanvasDocument::LayerExtents(int id, ShapeBounds& box) const {
    const std::vector<std::int32_t>* ids = store_.layerIds(id);
    if (!ids) return false;
    bool any = false;
    for (std::int32_t shapeId : *ids) {
        const TNShape* s = store_.find(shapeId);
        if (!s || !s->HasExtent()) continue;
        const ShapeBounds b = s->Bounds();
        if (!any) {
            box = b;
            any = true;
            continue;
        }
        box.MinX = std::min(box.MinX, b.MinX);
        box.MinY = std::min(box.MinY, b.MinY);
        box.MaxX = std::max(box.MaxX, b.MaxX);
        box.MaxY = std::max(box.MaxY, b.MaxY);
    }
    return any;
}

bool CanvasDocument::LayerPickable(int id) const {
    const TNLayer* layer = FindLayer(id);
    // A shape on a layer that does not exist was always pickable.
    return !layer || !layer->Locked;
}

std::size_t CanvasDocument::RemoveShapes(std::vector<std::int32_t> ids) {
    std::erase_if(ids, [this](std::int32_t id) { return store_.find(id) == nullptr; });
    for (std::int32_t id : ids) {
        TNShape* s = store_.find(id);
        if (s->selected_) {
            s->selected_ = false;
            --selectedCount_;
        }
    }
    if (selectedCount_ < static_cast<int>(selectedIds_.size()))
        std::erase_if(selectedIds_, [this](std::int32_t id) {
            const TNShape* s = store_.find(id);
            return !s || !s->selected_;
        });
    const std::size_t count = ids.size();
    store_.destroy(std::move(ids));
    changed();
    return count;
}

void CanvasDocument::TruncateBlocks(std::size_t count) {
    if (blocks_.size() <= count) return;
    blocks_.resize(count);
    blockByName_.clear();
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (!blockByName_.contains(blocks_[i]->Name())) blockByName_.insert(blocks_[i]->Name(), i);
    }
}

}  // namespace nivora
