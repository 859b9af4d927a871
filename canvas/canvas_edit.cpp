// Editing by id: geometry, paint order, polyline vertices, selection and
// deletion.
//
// Selection bookkeeping: a shape's Selected flag is set exactly when its id
// is in SelectedIds (possibly more than once), so the selected shapes are
// always found through the list, never by walking the whole drawing.

#include <algorithm>

#include "canvas/canvas_document.h"

namespace nivora {

namespace {

TNPolyline* asPolyline(TNShape* shape) {
    return shape && shape->Class() == ShapeClass::Polyline ? static_cast<TNPolyline*>(shape)
                                                           : nullptr;
}

}  // namespace

// ---- Geometry ----

void CanvasDocument::ShapeTranslate(std::int32_t id, double dx, double dy) {
    if (TNShape* s = store_.find(id)) {
        s->Translate(dx, dy);
        changed();
    }
}

void CanvasDocument::ShapeScale(std::int32_t id, double cx, double cy, double sx, double sy) {
    if (TNShape* s = store_.find(id)) {
        s->Scale(sx, sy, {cx, cy});
        changed();
    }
}

void CanvasDocument::ShapeRotate(std::int32_t id, double angle, double cx, double cy) {
    if (TNShape* s = store_.find(id)) {
        s->Rotate(angle, cx, cy);
        changed();
    }
}

void CanvasDocument::ShapeReflect(std::int32_t id, int axis, double x, double y) {
    TNShape* s = store_.find(id);
    if (!s) return;
    if (axis == 0) s->Scale(-1.0, 1.0, {x, y});
    if (axis == 1) s->Scale(1.0, -1.0, {x, y});
    changed();
}

// A shape listed twice in the selection still moves once: its flag is
// cleared while it is collected and set again afterwards.
void CanvasDocument::ShapeSelectMoveDelta(double dx, double dy) {
    std::vector<TNShape*> shapes;
    shapes.reserve(static_cast<std::size_t>(selectedCount_));
    for (std::int32_t id : selectedIds_) {
        TNShape* s = store_.find(id);
        if (s && s->selected_) {
            s->selected_ = false;
            shapes.push_back(s);
        }
    }
    for (TNShape* s : shapes) {
        s->selected_ = true;
        s->Translate(dx, dy);
    }
    changed();
}

void CanvasDocument::ShapeToLayer(std::int32_t id, int layer) {
    if (TNShape* s = store_.find(id)) {
        store_.setLayer(*s, layer);
        changed();
    }
}

// ---- Paint order ----

void CanvasDocument::ShapeToFront(std::int32_t id) {
    store_.moveToFront(id);
    changed();
}

void CanvasDocument::ShapeToBack(std::int32_t id) {
    store_.moveToBack(id);
    changed();
}

void CanvasDocument::ShapeZOrderJump(std::int32_t id, std::int32_t n) {
    if (n > 0) store_.moveToFront(id);
    if (n < 0) store_.moveToBack(id);
    changed();
}

// ---- Polyline vertices ----

int CanvasDocument::ShapePointCount(std::int32_t id) const {
    const TNPolyline* p = asPolyline(store_.find(id));
    return p ? static_cast<int>(p->Points.size()) : 0;
}

double CanvasDocument::ShapePointGetX(std::int32_t id, int index) const {
    const TNPolyline* p = asPolyline(store_.find(id));
    if (!p || index < 0 || static_cast<std::size_t>(index) >= p->Points.size()) return 0.0;
    return p->Points[static_cast<std::size_t>(index)].x();
}

double CanvasDocument::ShapePointGetY(std::int32_t id, int index) const {
    const TNPolyline* p = asPolyline(store_.find(id));
    if (!p || index < 0 || static_cast<std::size_t>(index) >= p->Points.size()) return 0.0;
    return p->Points[static_cast<std::size_t>(index)].y();
}

void CanvasDocument::ShapePointSet(std::int32_t id, int index, double x, double y) {
    TNPolyline* p = asPolyline(store_.find(id));
    if (!p) return;
    if (index >= 0 && static_cast<std::size_t>(index) < p->Points.size()) {
        p->Points[static_cast<std::size_t>(index)] = QPointF(x, y);
        p->UpdateBounds();
    }
    changed();
}

void CanvasDocument::ShapePointInsert(std::int32_t id, int index, double x, double y) {
    TNPolyline* p = asPolyline(store_.find(id));
    if (!p) return;
    if (index >= 0 && static_cast<std::size_t>(index) <= p->Points.size()) {
        p->Points.insert(p->Points.begin() + index, QPointF(x, y));
        p->UpdateBounds();
    }
    changed();
}

void CanvasDocument::ShapePointDelete(std::int32_t id, int index) {
    TNPolyline* p = asPolyline(store_.find(id));
    if (!p) return;
    if (index >= 0 && static_cast<std::size_t>(index) < p->Points.size()) {
        p->Points.erase(p->Points.begin() + index);
        p->UpdateBounds();
    }
    changed();
}

// ---- Selection ----

void CanvasDocument::markSelected(TNShape& shape) {
    if (!shape.selected_) {
        shape.selected_ = true;
        ++selectedCount_;
    }
    selectedIds_.push_back(shape.id_);
}

void CanvasDocument::ClearSelection() {
    for (std::int32_t id : selectedIds_) {
        if (TNShape* s = store_.find(id)) s->selected_ = false;
    }
    if (selectedIds_.capacity() > 4096) {
        std::vector<std::int32_t>().swap(selectedIds_);
    } else {
        selectedIds_.clear();
    }
    selectedCount_ = 0;
}

void CanvasDocument::unselectLayer(int layer) {
    if (selectedCount_ == 0) return;
    const std::vector<std::int32_t>* onLayer = store_.layerIds(layer);
    if (!onLayer) return;
    // Walk whichever list is shorter: the layer's shapes or the selection.
    if (onLayer->size() < selectedIds_.size()) {
        bool any = false;
        for (std::int32_t id : *onLayer) {
            TNShape* s = store_.find(id);
            if (s->selected_) {
                s->selected_ = false;
                --selectedCount_;
                any = true;
            }
        }
        if (!any) return;
    }
    std::erase_if(selectedIds_, [&](std::int32_t id) {
        TNShape* s = store_.find(id);
        if (!s) return true;
        if (s->layer_ != layer) return false;
        if (s->selected_) {
            s->selected_ = false;
            --selectedCount_;
        }
        return true;
    });
}

void CanvasDocument::ShapeSelect(std::int32_t id, bool add) {
    TNShape* s = store_.find(id);
    if (!s) return;
    if (!add) ClearSelection();
    markSelected(*s);
    changed();
}

void CanvasDocument::ShapeDeselect(std::int32_t id) {
    TNShape* s = store_.find(id);
    if (!s) return;
    if (s->selected_) {
        s->selected_ = false;
        --selectedCount_;
        std::erase(selectedIds_, id);
    }
    changed();
}

void CanvasDocument::CadSelectShapes() {
    selectedIds_.reserve(selectedIds_.size() + store_.size());
    for (std::size_t i = store_.slotBegin(); i < store_.slotEnd(); ++i) {
        if (TNShape* s = store_.slot(i)) markSelected(*s);
    }
    changed();
}

void CanvasDocument::CadDeselectShapes() {
    ClearSelection();
    changed();
}

void CanvasDocument::SelectShapesOnLayers(const std::vector<int>& layers) {
    ClearSelection();
    store_.forEachOnLayers(layers, [this](TNShape& s) { markSelected(s); });
    requestRepaint(RepaintRequest::Invalidate);
}

// ---- Deletion ----

void CanvasDocument::ShapeDelete(std::int32_t id) {
    TNShape* s = store_.find(id);
    if (!s) return;
    if (s->selected_) {
        --selectedCount_;
        std::erase(selectedIds_, id);
    }
    store_.remove(id);
    changed();
}

void CanvasDocument::CadClearShapes(int layer) {
    if (layer == -1) {
        store_.clear();
        std::vector<std::int32_t>().swap(selectedIds_);
        selectedCount_ = 0;
        reservedIds_.clear();
        nextShapeId_ = 1;
    } else {
        unselectLayer(layer);
        store_.destroyLayer(layer);
    }
    changed();
    requestRepaint(RepaintRequest::Immediate);
}

// Collects each selected shape once (clearing its flag marks it as taken),
// then destroys them in one batch.
void CanvasDocument::deleteSelected() {
    std::vector<std::int32_t> doomed;
    doomed.reserve(static_cast<std::size_t>(selectedCount_));
    for (std::int32_t id : selectedIds_) {
        TNShape* s = store_.find(id);
        if (s && s->selected_) {
            s->selected_ = false;
            doomed.push_back(id);
        }
    }
    std::vector<std::int32_t>().swap(selectedIds_);
    selectedCount_ = 0;
    store_.destroy(std::move(doomed));
    changed();
}

void CanvasDocument::CadClearSelectedShapes() {
    deleteSelected();
    requestRepaint(RepaintRequest::Immediate);
}

void CanvasDocument::ShapeSelectDelete() {
    deleteSelected();
    requestRepaint(RepaintRequest::Invalidate);
}

void CanvasDocument::DeleteSelectedShapes() {
    deleteSelected();
    requestRepaint(RepaintRequest::Invalidate);
}

}  // namespace nivora
