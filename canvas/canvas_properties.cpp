// Layer and shape properties by id. Unknown ids give fixed defaults and
// change nothing.

#include "canvas/canvas_document.h"

namespace nivora {

// ---- Layers ----

int CanvasDocument::GetLayerAction(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->Action : 0;
}

void CanvasDocument::SetLayerAction(int layer, int value) {
    if (TNLayer* l = FindLayer(layer)) {
        l->Action = value;
        changed();
    }
}

TColor CanvasDocument::GetLayerPenFg(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->PenFg : colors::Black;
}

void CanvasDocument::SetLayerPenFg(int layer, TColor color) {
    TNLayer* l = FindLayer(layer);
    if (!l) return;
    l->PenFg = color;
    if (const auto* ids = store_.layerIds(layer)) {
        for (std::int32_t id : *ids)
            store_.find(id)->PenFg = color;
    }
    changed();
}

int CanvasDocument::GetLayerPenWidth(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->PenWidth : 1;
}

void CanvasDocument::SetLayerPenWidth(int layer, int width) {
    TNLayer* l = FindLayer(layer);
    if (!l) return;
    l->PenWidth = width;
    if (const auto* ids = store_.layerIds(layer)) {
        for (std::int32_t id : *ids)
            store_.find(id)->PenWidth = width;
    }
    changed();
}

int CanvasDocument::GetLayerPenStyle(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->PenStyle : 0;
}

void CanvasDocument::SetLayerPenStyle(int layer, int style) {
    if (TNLayer* l = FindLayer(layer)) {
        l->PenStyle = style;
        changed();
    }
}

TColor CanvasDocument::GetLayerBrushFg(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->BrushFg : colors::White;
}

void CanvasDocument::SetLayerBrushFg(int layer, TColor color) {
    if (TNLayer* l = FindLayer(layer)) {
        l->BrushFg = color;
        changed();
    }
}

TColor CanvasDocument::GetLayerBrushBg(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->BrushBg : colors::White;
}

void CanvasDocument::SetLayerBrushBg(int layer, TColor color) {
    if (TNLayer* l = FindLayer(layer)) {
        l->BrushBg = color;
        changed();
    }
}

int CanvasDocument::GetLayerBrushStyle(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->BrushStyle : kBrushClear;
}

void CanvasDocument::SetLayerBrushStyle(int layer, int style) {
    if (TNLayer* l = FindLayer(layer)) {
        l->BrushStyle = static_cast<std::uint8_t>(style);
        changed();
    }
}

int CanvasDocument::GetLayerBrushMode(int layer) const {
    const TNLayer* l = FindLayer(layer);
    return l ? l->BrushMode : 0;
}

void CanvasDocument::SetLayerBrushMode(int layer, int mode) {
    if (TNLayer* l = FindLayer(layer)) {
        l->BrushMode = mode;
        changed();
    }
}

// ---- Shapes ----

short CanvasDocument::GetShapeType(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? static_cast<short>(s->ShapeType()) : 0;
}

int CanvasDocument::GetShapeOnLayer(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->Layer() : -1;
}

bool CanvasDocument::GetShapeIsSelected(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s && s->Selected();
}

TColor CanvasDocument::GetShapePenFg(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->PenFg : colors::Black;
}

void CanvasDocument::SetShapePenFg(std::int32_t id, TColor color) {
    if (TNShape* s = store_.find(id)) {
        s->PenFg = color;
        changed();
    }
}

int CanvasDocument::GetShapePenWidth(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->PenWidth : 1;
}

void CanvasDocument::SetShapePenWidth(std::int32_t id, int width) {
    if (TNShape* s = store_.find(id)) {
        s->PenWidth = width;
        changed();
    }
}

int CanvasDocument::GetShapePenStyle(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->PenStyle : 0;
}

void CanvasDocument::SetShapePenStyle(std::int32_t id, int style) {
    if (TNShape* s = store_.find(id)) {
        s->PenStyle = style;
        changed();
    }
}

TColor CanvasDocument::GetShapeBrushFg(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->BrushFg : colors::White;
}

void CanvasDocument::SetShapeBrushFg(std::int32_t id, TColor color) {
    if (TNShape* s = store_.find(id)) {
        s->BrushFg = color;
        changed();
    }
}

// Unlike the layer's, the shape's brush style defaults to 0 for an unknown id.
int CanvasDocument::GetShapeBrushStyle(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->BrushStyle : 0;
}

void CanvasDocument::SetShapeBrushStyle(std::int32_t id, int style) {
    if (TNShape* s = store_.find(id)) {
        s->BrushStyle = static_cast<std::uint8_t>(style);
        changed();
    }
}

int CanvasDocument::GetShapeBrushMode(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->BrushMode() : 0;
}

void CanvasDocument::SetShapeBrushMode(std::int32_t id, int mode) {
    if (TNShape* s = store_.find(id)) {
        s->SetBrushMode(mode);
        changed();
    }
}

QString CanvasDocument::GetShapeText(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->Text() : QString();
}

// For a text shape only the label field changes, not the drawn string.
void CanvasDocument::SetShapeText(std::int32_t id, const QString& text) {
    if (TNShape* s = store_.find(id)) {
        s->SetText(text);
        changed();
    }
}

QString CanvasDocument::GetShapeNotes(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->Notes() : QString();
}

// Notes are not drawn, so the picture stays as it is.
void CanvasDocument::SetShapeNotes(std::int32_t id, const QString& notes) {
    if (TNShape* s = store_.find(id)) s->SetNotes(notes);
}

int CanvasDocument::GetShapeZOrder(std::int32_t id) const {
    const TNShape* s = store_.find(id);
    return s ? s->ZOrder() : 0;
}

void CanvasDocument::SetShapeZOrder(std::int32_t id, std::int32_t order) {
    if (TNShape* s = store_.find(id)) {
        s->SetZOrder(order);
        changed();
    }
}

}  // namespace nivora
