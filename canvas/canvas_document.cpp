// Model state: layers, fonts, blocks, ids and shape creation.

#include "canvas/canvas_document.h"

#include <algorithm>
#include <climits>

#include "core/number_text.h"

namespace nivora {

CanvasDocument::CanvasDocument() {
    fonts_.push_back(TNFont{QStringLiteral("Arial"), 10, false, false});
    LayerOpen(layer_names::Default);
}

CanvasDocument::~CanvasDocument() = default;

void CanvasDocument::requestRepaint(RepaintRequest request) {
    if (RepaintRequested) RepaintRequested(request);
}

// ---- Layers ----

TNLayer* CanvasDocument::FindLayer(int id) {
    return const_cast<TNLayer*>(static_cast<const CanvasDocument*>(this)->FindLayer(id));
}

// Layers take ids 0, 1, 2 ... in creation order and keep them when another
// is removed or moved, so an id finds its layer through a direct table.
const TNLayer* CanvasDocument::FindLayer(int id) const {
    const int position = LayerPosition(id);
    return position < 0 ? nullptr : layers_[static_cast<std::size_t>(position)].get();
}

int CanvasDocument::LayerPosition(int id) const {
    if (id < 0 || static_cast<std::size_t>(id) >= layerSlot_.size()) return -1;
    return layerSlot_[static_cast<std::size_t>(id)];
}

void CanvasDocument::reindexLayers() {
    layerByName_.clear();
    layerSlot_.assign(static_cast<std::size_t>(std::max(nextLayerId_, 0)), -1);
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        const TNLayer& layer = *layers_[i];
        if (!layerByName_.contains(layer.Name())) layerByName_.insert(layer.Name(), layer.Id());
        if (layer.Id() >= 0 && static_cast<std::size_t>(layer.Id()) < layerSlot_.size())
            layerSlot_[static_cast<std::size_t>(layer.Id())] = static_cast<int>(i);
    }
}

int CanvasDocument::LayerOpen(const QString& name) {
    const auto it = layerByName_.constFind(name);
    if (it != layerByName_.cend()) {
        CurrentLayer = it.value();
        return CurrentLayer;
    }
    const int id = nextLayerId_++;
    layers_.push_back(std::make_unique<TNLayer>(id, name));
    layerByName_.insert(name, id);
    layerSlot_.resize(static_cast<std::size_t>(nextLayerId_), -1);
    layerSlot_[static_cast<std::size_t>(id)] = static_cast<int>(layers_.size() - 1);
    CurrentLayer = id;
    changed();
    return id;
}

int CanvasDocument::LayerFindByName(const QString& name) const {
    return layerByName_.value(name, -1);
}

int CanvasDocument::resolveLayer(int layer) {
    return FindLayer(layer) ? layer : LayerOpen(layer_names::Default);
}

void CanvasDocument::LayerCopy(int from, int to, int mode) {
    if (mode == 1) store_.moveLayer(from, to);
    changed();
}

void CanvasDocument::LayerSelectShapes(int layer, bool add) {
    if (!add) ClearSelection();
    store_.forEachOnLayers({layer}, [this](TNShape& s) { markSelected(s); });
    changed();
}

void CanvasDocument::LayerDeselectShapes(int layer) {
    unselectLayer(layer);
    changed();
}

// ---- Fonts ----

int CanvasDocument::FontOpen(const QString& description, int) {
    TNFont font;
    const qsizetype comma = description.indexOf(QLatin1Char(','));
    if (comma < 0) {
        font.Name = description;
    } else {
        font.Name = description.left(comma);
        const QString rest = description.mid(comma + 1);
        const qsizetype second = rest.indexOf(QLatin1Char(','));
        font.Size = toInteger(second < 0 ? rest : rest.left(second)).value_or(10);
        if (second >= 0) {
            const QString styles = rest.mid(second + 1).toUpper();
            font.Bold = styles.contains(QLatin1Char('B'));
            font.Italic = styles.contains(QLatin1Char('I'));
        }
    }
    // The usual default font of CAD drawings.
    if (font.Name.toUpper() == QLatin1String("TXT")) font.Name = QStringLiteral("Arial");
    fonts_.push_back(font);
    CurrentFont = static_cast<int>(fonts_.size() - 1);
    return CurrentFont;
}

void CanvasDocument::CadFontBehaviorReset() {
    TextHAlignDefault = 0;
    TextVAlignDefault = 0;
}

// ---- Blocks ----

TNBlock* CanvasDocument::FindBlock(const QString& name) {
    const auto it = blockByName_.constFind(name);
    return it == blockByName_.cend() ? nullptr : blocks_[it.value()].get();
}

TNBlock* CanvasDocument::AddBlock(std::unique_ptr<TNBlock> block) {
    if (!block) return nullptr;
    // The first block of a name is the one found.
    if (!blockByName_.contains(block->Name())) blockByName_.insert(block->Name(), blocks_.size());
    blocks_.push_back(std::move(block));
    return blocks_.back().get();
}

// ---- Ids and shapes ----

// Ids are never reused, so once the counter reaches the top of its range no
// further shape can be made (rather than wrapping into ids still in use).
std::int32_t CanvasDocument::allocateId() {
    if (nextShapeId_ == INT32_MAX) return -1;
    return nextShapeId_++;
}

std::int32_t CanvasDocument::TakeShapeId() {
    const std::int32_t id = allocateId();
    if (id < 0) return id;
    // Only a shape or two is ever being drawn at a time.
    if (reservedIds_.size() >= 16) reservedIds_.erase(reservedIds_.begin());
    reservedIds_.push_back(id);
    return id;
}

void CanvasDocument::ReleaseShapeId(std::int32_t id) {
    std::erase(reservedIds_, id);
}

std::int32_t CanvasDocument::AddShape(std::unique_ptr<TNShape> shape, int layer,
                                      std::int32_t reservedId) {
    if (!shape) return -1;
    std::int32_t id = -1;
    const auto reserved = std::find(reservedIds_.begin(), reservedIds_.end(), reservedId);
    if (reservedId > 0 && reserved != reservedIds_.end()) {
        id = reservedId;
        reservedIds_.erase(reserved);
    } else {
        id = allocateId();
    }
    if (id < 0) return -1;
    shape->UpdateBounds();
    store_.append(std::move(shape), id, layer);
    changed();
    return id;
}

std::int32_t CanvasDocument::addCreated(std::unique_ptr<TNShape> shape, int layer) {
    return AddShape(std::move(shape), layer);
}

void CanvasDocument::ResetDrawing() {
    store_.clear();
    std::vector<std::int32_t>().swap(selectedIds_);
    selectedCount_ = 0;
    reservedIds_.clear();
    layers_.clear();
    layerByName_.clear();
    layerSlot_.clear();
    nextLayerId_ = 0;
    nextShapeId_ = 1;
    LayerOpen(layer_names::Default);
    changed();
}

// ---- Creation ----

std::int32_t CanvasDocument::DrawLine(double x1, double y1, double x2, double y2, int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNLine>(x1, y1, x2, y2);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawCircle(double cx, double cy, double radius, int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNCircle>(cx, cy, radius);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    shape->BrushFg = on.BrushFg;
    shape->BrushStyle = on.BrushStyle;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawRectangle(double x1, double y1, double x2, double y2, int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNRectangle>(x1, y1, x2, y2);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    shape->BrushFg = on.BrushFg;
    shape->BrushStyle = on.BrushStyle;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawPoint(double x, double y, int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNPoint>(x, y);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawTwoPointEllipse(double x1, double y1, double x2, double y2,
                                                 int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNEllipse>(x1, y1, x2, y2);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawThreePointArc(double x1, double y1, double x2, double y2,
                                               double x3, double y3, int layer) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNArc>(x1, y1, x2, y2, x3, y3);
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::TextAdd(int layer, const QString& text, double x, double y,
                                     int fontIndex) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape = std::make_unique<TNText>(x, y, text);
    shape->SetText(text);
    shape->HAlign = TextHAlignDefault;
    shape->VAlign = TextVAlignDefault;
    shape->PenFg = on.PenFg;
    if (fontIndex >= 0 && static_cast<std::size_t>(fontIndex) < fonts_.size()) {
        const TNFont& font = fonts_[static_cast<std::size_t>(fontIndex)];
        shape->FontIndex = fontIndex;
        shape->FontName = font.Name;
        shape->Height = font.Size;
        shape->Bold = font.Bold;
        shape->Italic = font.Italic;
    }
    return addCreated(std::move(shape), l);
}

std::int32_t CanvasDocument::DrawPolyline(const std::vector<QPointF>& points, int layer,
                                          bool closed) {
    const int l = resolveLayer(layer);
    const TNLayer& on = *FindLayer(l);
    auto shape =
        std::make_unique<TNPolyline>(closed ? shape_type::Polygon : shape_type::Polyline, closed);
    shape->Points = points;
    shape->PenFg = on.PenFg;
    shape->PenWidth = on.PenWidth;
    shape->PenStyle = on.PenStyle;
    shape->BrushFg = on.BrushFg;
    shape->BrushStyle = on.BrushStyle;
    return addCreated(std::move(shape), l);
}

}  // namespace nivora
