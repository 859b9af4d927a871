#pragma once

// Owns the shapes of a document in paint order and finds them by id and by
// layer in constant time on average.
//
// - Paint order is a vector of owning slots. A removed shape leaves an empty
//   slot (skipped by iteration) instead of shifting a million pointers; the
//   vector is compacted once empty slots outnumber the shapes, so removals
//   stay O(1) amortised and the waste stays bounded. Free slots in front of
//   the first shape let a shape go to the back without shifting the rest.
// - Ids are given out in ascending order and never reused, so an id maps to
//   its slot through a paged direct table; a page is released when its last
//   shape goes, which bounds the table by the live shapes, not by every id
//   ever given out.
// - Each layer id has an unordered list of its shapes' ids; a shape knows its
//   position there, so it leaves the list by swapping with the last entry.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "canvas/shapes.h"

namespace nivora {

class ShapeStore {
  public:
    static constexpr std::uint32_t kNoSlot = 0xFFFFFFFFu;

    ShapeStore();
    ~ShapeStore();
    ShapeStore(const ShapeStore&) = delete;
    ShapeStore& operator=(const ShapeStore&) = delete;

    std::size_t size() const { return live_; }
    bool empty() const { return live_ == 0; }

    TNShape* find(std::int32_t id) const {
        const std::uint32_t slot = slotOf(id);
        return slot == kNoSlot ? nullptr : slots_[slot].get();
    }
    // Position in paint order, comparable between shapes until the next change.
    std::uint32_t slotOf(std::int32_t id) const;

    // Appends on top. The shape's id must be unused; its layer is `layer`.
    void append(std::unique_ptr<TNShape> shape, std::int32_t id, int layer);
    // Detaches the shape; null when the id is unknown.
    std::unique_ptr<TNShape> remove(std::int32_t id);
    // Destroys the shapes of the given ids (unknown ids are skipped).
    void destroy(std::vector<std::int32_t> ids);
    // Destroys every shape of a layer; returns how many.
    std::size_t destroyLayer(int layer);
    void clear();

    void moveToFront(std::int32_t id);
    void moveToBack(std::int32_t id);
    void setLayer(TNShape& shape, int layer);
    // Moves every shape of `from` to `to`.
    void moveLayer(int from, int to);
    // Paint order sorted by rank(layer), lowest first; shapes of one rank
    // keep their order.
    void restack(const std::function<int(int layer)>& rank);

    // Ids of the shapes on a layer, in no particular order; null for none.
    const std::vector<std::int32_t>* layerIds(int layer) const;
    std::size_t layerSize(int layer) const;
    // Calls f(TNShape&) for each shape on any of the layers, in paint order.
    template <class F>
    void forEachOnLayers(const std::vector<int>& layers, F&& f) const;

    // Slot access for iteration in paint order; empty slots are null.
    std::size_t slotBegin() const { return head_; }
    std::size_t slotEnd() const { return slots_.size(); }
    TNShape* slot(std::size_t index) const { return slots_[index].get(); }

  private:
    class IdTable;

    // Layer ids without repeats, sorted; total shapes on them.
    std::vector<int> distinctLayers(const std::vector<int>& layers, std::size_t& total) const;
    // Slots of the shapes on the layers, ascending.
    std::vector<std::uint32_t> slotsOfLayers(const std::vector<int>& layers,
                                             std::size_t total) const;

    std::vector<std::int32_t>* bucket(int layer);
    const std::vector<std::int32_t>* bucket(int layer) const;
    std::vector<std::int32_t>& bucketFor(int layer);
    // Takes a layer's list out of the index.
    std::vector<std::int32_t> takeBucket(int layer);
    void detachFromLayer(TNShape& shape);
    void attachToLayer(TNShape& shape, int layer);
    void trimEnds();
    void compactIfSparse();
    void rebuild(std::size_t headroom);

    std::vector<std::unique_ptr<TNShape>> slots_;
    std::size_t head_ = 0;   // slots before head_ are free room at the back
    std::size_t holes_ = 0;  // empty slots between head_ and the end
    std::size_t live_ = 0;
    std::unique_ptr<IdTable> ids_;
    // Per-layer id lists: layer ids 0..kDenseLayers-1 (the ones the document
    // gives out) index a vector; any other id a shape was moved to, a map.
    static constexpr int kDenseLayers = 4096;
    std::vector<std::vector<std::int32_t>> denseLayers_;
    std::unordered_map<int, std::vector<std::int32_t>> otherLayers_;
};

template <class F>
void ShapeStore::forEachOnLayers(const std::vector<int>& layers, F&& f) const {
    std::size_t total = 0;
    const std::vector<int> wanted = distinctLayers(layers, total);
    if (total == 0) return;
    if (total * 8 > live_) {
        // Much of the drawing: one pass in paint order, each shape looked at
        // while it is in the cache, beats sorting.
        for (std::size_t i = head_; i < slots_.size(); ++i) {
            TNShape* s = slots_[i].get();
            if (s && std::binary_search(wanted.begin(), wanted.end(), s->layer_)) f(*s);
        }
        return;
    }
    for (std::uint32_t slot : slotsOfLayers(wanted, total))
        f(*slots_[slot]);
}

// Iterates the shapes of a store in paint order (first painted first).
class ShapeRange {
  public:
    class Iterator {
      public:
        Iterator(const ShapeStore* store, std::size_t index) : store_(store), index_(index) {
            skip();
        }
        const TNShape& operator*() const { return *store_->slot(index_); }
        const TNShape* operator->() const { return store_->slot(index_); }
        Iterator& operator++() {
            ++index_;
            skip();
            return *this;
        }
        bool operator==(const Iterator& other) const { return index_ == other.index_; }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

      private:
        void skip() {
            while (index_ < store_->slotEnd() && !store_->slot(index_))
                ++index_;
        }
        const ShapeStore* store_;
        std::size_t index_;
    };

    explicit ShapeRange(const ShapeStore& store) : store_(&store) {}
    Iterator begin() const { return {store_, store_->slotBegin()}; }
    Iterator end() const { return {store_, store_->slotEnd()}; }

  private:
    const ShapeStore* store_;
};

}  // namespace nivora
