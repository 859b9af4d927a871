// Handing drawings between the live document and the ones a file job builds
// or writes.

#include "canvas/drawing_transfer.h"

#include <algorithm>
#include <utility>

namespace nivora {
namespace {

// The attributes a reader may set on a layer it did not create.
void copyChangedAttributes(const TNLayer& before, const TNLayer& after, TNLayer& to) {
    const auto take = [](const auto& b, const auto& a, auto& t) {
        if (a != b) t = a;
    };
    take(before.Visible, after.Visible, to.Visible);
    take(before.Locked, after.Locked, to.Locked);
    take(before.Action, after.Action, to.Action);
    take(before.PenFg, after.PenFg, to.PenFg);
    take(before.PenWidth, after.PenWidth, to.PenWidth);
    take(before.PenStyle, after.PenStyle, to.PenStyle);
    take(before.BrushFg, after.BrushFg, to.BrushFg);
    take(before.BrushBg, after.BrushBg, to.BrushBg);
    take(before.BrushStyle, after.BrushStyle, to.BrushStyle);
    take(before.BrushMode, after.BrushMode, to.BrushMode);
}

bool sameWorld(const ViewWindow& a, const ViewWindow& b) {
    return a.WorldLeft == b.WorldLeft && a.WorldRight == b.WorldRight && a.WorldTop == b.WorldTop &&
           a.WorldBottom == b.WorldBottom;
}

}  // namespace

// ---- DrawingMerge ----

DrawingMerge::DrawingMerge(CanvasDocument& live, CanvasDocument& scratch)
    : live_(live),
      scratch_(scratch),
      seededFonts_(live.fonts_.size()),
      lentBlocks_(live.blocks_.size()),
      seededCurrentLayer_(live.CurrentLayer),
      seededCurrentFont_(live.CurrentFont),
      seededHAlign_(live.TextHAlignDefault),
      seededVAlign_(live.TextVAlignDefault),
      seededView_(live.View) {
    scratch.store_.clear();
    scratch.layers_.clear();
    seeded_.reserve(live.layers_.size());
    for (const auto& layer : live.layers_) {
        seeded_.push_back(*layer);
        scratch.layers_.push_back(std::make_unique<TNLayer>(*layer));
    }
    scratch.nextLayerId_ = live.nextLayerId_;
    scratch.reindexLayers();
    scratch.nextShapeId_ = live.nextShapeId_;
    scratch.fonts_ = live.fonts_;
    scratch.CurrentLayer = live.CurrentLayer;
    scratch.CurrentFont = live.CurrentFont;
    scratch.TextHAlignDefault = live.TextHAlignDefault;
    scratch.TextVAlignDefault = live.TextVAlignDefault;
    scratch.View = live.View;
    // Only readers look at blocks, and a file job runs one reader at a time.
    scratch.blocks_ = std::move(live.blocks_);
    scratch.blockByName_ = std::move(live.blockByName_);
    live.blocks_.clear();
    live.blockByName_.clear();
}

DrawingMerge::~DrawingMerge() {
    if (!blocksBack_) returnBlocks(lentBlocks_);
}

void DrawingMerge::returnBlocks(std::size_t keep) {
    blocksBack_ = true;
    std::vector<std::unique_ptr<TNBlock>> blocks = std::move(scratch_.blocks_);
    scratch_.blocks_.clear();
    scratch_.blockByName_.clear();
    if (blocks.size() > keep) blocks.resize(keep);
    live_.blocks_.clear();
    live_.blockByName_.clear();
    for (auto& block : blocks)
        live_.AddBlock(std::move(block));
}

void DrawingMerge::abandon() {
    returnBlocks(lentBlocks_);
}

void DrawingMerge::adoptStructure() {
    const auto& layers = scratch_.layers_;
    layerMap_.assign(static_cast<std::size_t>(std::max(scratch_.nextLayerId_, 0)), -1);
    const int current = live_.CurrentLayer;
    const int firstNew = live_.nextLayerId_;
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const TNLayer& from = *layers[i];
        TNLayer* to = live_.FindLayer(from.Id());
        // The live drawing may have been reset, or have removed or opened
        // layers of its own meanwhile.
        const bool same = i < seeded_.size() && to && to->Name() == from.Name();
        if (!same) to = live_.FindLayer(live_.LayerOpen(from.Name()));
        if (to->Id() >= firstNew) createdLayers_.push_back(to->Id());
        if (from.Id() >= 0 && static_cast<std::size_t>(from.Id()) < layerMap_.size())
            layerMap_[static_cast<std::size_t>(from.Id())] = to->Id();
        if (i < seeded_.size()) {
            copyChangedAttributes(seeded_[i], from, *to);
        } else {
            const TNLayer fresh(0, from.Name());
            copyChangedAttributes(fresh, from, *to);
        }
    }
    live_.CurrentLayer = current;
    for (std::size_t i = seededFonts_; i < scratch_.fonts_.size(); ++i)
        live_.fonts_.push_back(scratch_.fonts_[i]);
    if (scratch_.CurrentLayer != seededCurrentLayer_)
        live_.CurrentLayer = mapLayer(scratch_.CurrentLayer);
    if (scratch_.CurrentFont != seededCurrentFont_) {
        const auto font = static_cast<std::size_t>(scratch_.CurrentFont);
        live_.CurrentFont =
            font < seededFonts_
                ? scratch_.CurrentFont
                : static_cast<int>(live_.fonts_.size() - scratch_.fonts_.size() + font);
    }
    if (scratch_.TextHAlignDefault != seededHAlign_)
        live_.TextHAlignDefault = scratch_.TextHAlignDefault;
    if (scratch_.TextVAlignDefault != seededVAlign_)
        live_.TextVAlignDefault = scratch_.TextVAlignDefault;
    returnBlocks(scratch_.blocks_.size());
    live_.changed();
}

int DrawingMerge::mapLayer(int scratchLayer) const {
    // A shape may name a layer that does not exist; it keeps the number.
    if (scratchLayer < 0 || static_cast<std::size_t>(scratchLayer) >= layerMap_.size())
        return scratchLayer;
    const int mapped = layerMap_[static_cast<std::size_t>(scratchLayer)];
    return mapped < 0 ? scratchLayer : mapped;
}

bool DrawingMerge::moveShapes(std::size_t count) {
    ShapeStore& from = scratch_.store_;
    for (std::size_t n = 0; n < count && !from.empty(); ++n) {
        const TNShape* first = from.slot(from.slotBegin());
        const int layer = mapLayer(first->Layer());
        std::unique_ptr<TNShape> shape = from.remove(first->Id());
        const std::int32_t id = live_.AddShape(std::move(shape), layer);
        if (id > 0) movedIds_.push_back(id);
    }
    return from.empty();
}

std::size_t DrawingMerge::shapesLeft() const {
    return scratch_.store_.size();
}

bool DrawingMerge::worldChanged() const {
    return !sameWorld(seededView_, scratch_.View);
}

void DrawingMerge::copyWorld() {
    live_.View.WorldLeft = scratch_.View.WorldLeft;
    live_.View.WorldRight = scratch_.View.WorldRight;
    live_.View.WorldBottom = scratch_.View.WorldBottom;
    live_.View.WorldTop = scratch_.View.WorldTop;
    live_.changed();
}

std::size_t TakeBack(CanvasDocument& doc, const DrawingAddition& added) {
    const std::size_t taken = doc.RemoveShapes(added.shapeIds);
    for (int layer : added.layers) {
        if (doc.LayerShapeCount(layer) == 0) doc.LayerRemove(layer);
    }
    doc.TruncateBlocks(added.blocksBefore);
    const ViewWindow& v = added.viewBefore;
    doc.WorldSet(v.WorldLeft, v.WorldTop, v.WorldRight, v.WorldBottom);
    return taken;
}

// ---- DrawingSnapshot ----

DrawingSnapshot::DrawingSnapshot(const CanvasDocument& live, CanvasDocument& copy)
    : live_(live), copy_(copy) {
    copy.store_.clear();
    copy.layers_.clear();
    for (const auto& layer : live.layers_)
        copy.layers_.push_back(std::make_unique<TNLayer>(*layer));
    copy.nextLayerId_ = live.nextLayerId_;
    copy.reindexLayers();
    copy.nextShapeId_ = live.nextShapeId_;
    copy.fonts_ = live.fonts_;
    copy.CurrentLayer = live.CurrentLayer;
    copy.CurrentFont = live.CurrentFont;
    copy.View = live.View;
    copy.Grid = live.Grid;
    ids_.reserve(live.store_.size());
    for (const TNShape& s : live.Shapes())
        ids_.push_back(s.Id());
}

bool DrawingSnapshot::copyShapes(std::size_t count) {
    const std::size_t end = std::min(ids_.size(), next_ + count);
    for (; next_ < end; ++next_) {
        const TNShape* s = live_.FindShape(ids_[next_]);
        if (!s) continue;
        copy_.store_.append(CopyShape(*s), s->Id(), s->Layer());
    }
    return next_ == ids_.size();
}

}  // namespace nivora
