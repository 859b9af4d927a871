#pragma once

// Long file work on another thread. A load builds into a scratch document
// that nobody else sees and hands the result over to the live one in slices;
// a save writes a copy of the live document taken in slices. Between slices
// the live document may change (the survey keeps drawing its track); both
// stay correct for that.

#include <cstdint>
#include <vector>

#include "canvas/canvas_document.h"

namespace nivora {

// A load into `live`, built in `scratch`: the scratch starts with live's
// layers (same ids and names), fonts, view and creation defaults, and
// borrows live's blocks, so that a reader sees what it would see in `live`.
// Readers only ever add shapes, so the hand-over is: the layers and fonts
// the reader added or changed, the blocks back, then the shapes on top in
// paint order, with fresh ids in `live`.
class DrawingMerge {
  public:
    DrawingMerge(CanvasDocument& live, CanvasDocument& scratch);
    // Gives the borrowed blocks back when neither adopt nor abandon ran.
    ~DrawingMerge();
    DrawingMerge(const DrawingMerge&) = delete;
    DrawingMerge& operator=(const DrawingMerge&) = delete;

    // Layers, layer attributes, fonts, the current layer and font, and the
    // blocks (the new ones too). Cheap; call once before moveShapes.
    void adoptStructure();
    // Moves up to `count` shapes; true once none is left.
    bool moveShapes(std::size_t count);
    std::size_t shapesLeft() const;
    // Nothing of the load is kept: the borrowed blocks go back as they were.
    void abandon();

    // What the load added to `live`, for taking it back: the ids its shapes
    // got, the layers it opened, and how many blocks there were before.
    const std::vector<std::int32_t>& movedIds() const { return movedIds_; }
    const std::vector<int>& createdLayers() const { return createdLayers_; }
    std::size_t blocksBefore() const { return lentBlocks_; }

    // The reader set the world window (a layout's WORLD record): its four
    // edges go to `live` as they are.
    bool worldChanged() const;
    void copyWorld();

  private:
    void returnBlocks(std::size_t keep);
    int mapLayer(int scratchLayer) const;

    CanvasDocument& live_;
    CanvasDocument& scratch_;
    std::vector<TNLayer> seeded_;
    std::size_t seededFonts_;
    std::size_t lentBlocks_;
    int seededCurrentLayer_;
    int seededCurrentFont_;
    int seededHAlign_;
    int seededVAlign_;
    ViewWindow seededView_;
    std::vector<int> layerMap_;  // scratch layer id -> live layer id, -1 for none
    std::vector<std::int32_t> movedIds_;
    std::vector<int> createdLayers_;
    bool blocksBack_ = false;
};

// What a load added to a drawing, to take it back: the ids its shapes got,
// the layers it opened, the blocks there were before and the view before.
struct DrawingAddition {
    std::vector<std::int32_t> shapeIds;
    std::vector<int> layers;
    std::size_t blocksBefore = 0;
    ViewWindow viewBefore;
};

// Takes an addition back: its shapes that are still there, the layers it
// opened once nothing else is on them, the blocks it brought (additions are
// taken back last first) and the view from before. Returns the shapes taken.
std::size_t TakeBack(CanvasDocument& doc, const DrawingAddition& added);

// A copy of `live` for a writer: layers, fonts and view at once, then the
// shapes in slices, in the paint order they had when the copy began. Shapes
// removed meanwhile are left out, shapes added meanwhile are not in it.
class DrawingSnapshot {
  public:
    DrawingSnapshot(const CanvasDocument& live, CanvasDocument& copy);
    // Copies up to `count` shapes; true once the copy is complete.
    bool copyShapes(std::size_t count);
    std::size_t shapesLeft() const { return ids_.size() - next_; }

  private:
    const CanvasDocument& live_;
    CanvasDocument& copy_;
    std::vector<std::int32_t> ids_;
    std::size_t next_ = 0;
};

}  // namespace nivora
