#include "canvas/shape_store.h"

#include <algorithm>
#include <array>
#include <utility>

namespace nivora {

// id -> slot, in pages of 4096 ids.
class ShapeStore::IdTable {
  public:
    std::uint32_t get(std::int32_t id) const {
        if (id <= 0) return kNoSlot;
        const std::size_t page = static_cast<std::uint32_t>(id) >> kBits;
        if (page >= pages_.size() || !pages_[page]) return kNoSlot;
        return pages_[page]->entries[static_cast<std::uint32_t>(id) & kMask];
    }

    void insert(std::int32_t id, std::uint32_t slot) {
        const std::size_t page = static_cast<std::uint32_t>(id) >> kBits;
        if (page >= pages_.size()) pages_.resize(page + 1);
        if (!pages_[page]) pages_[page] = std::make_unique<Page>();
        pages_[page]->entries[static_cast<std::uint32_t>(id) & kMask] = slot;
        ++pages_[page]->used;
    }

    void update(std::int32_t id, std::uint32_t slot) {
        pages_[static_cast<std::uint32_t>(id) >> kBits]
            ->entries[static_cast<std::uint32_t>(id) & kMask] = slot;
    }

    void erase(std::int32_t id) {
        const std::size_t page = static_cast<std::uint32_t>(id) >> kBits;
        Page& p = *pages_[page];
        p.entries[static_cast<std::uint32_t>(id) & kMask] = kNoSlot;
        // Ids are never given out twice, so an emptied page is never needed again
        // except for ids not yet given out, which find a fresh page.
        if (--p.used == 0) pages_[page].reset();
    }

    void clear() { std::vector<std::unique_ptr<Page>>().swap(pages_); }

  private:
    static constexpr unsigned kBits = 12;
    static constexpr std::uint32_t kMask = (1u << kBits) - 1;
    struct Page {
        Page() { entries.fill(kNoSlot); }
        std::array<std::uint32_t, (1u << kBits)> entries;
        std::uint32_t used = 0;
    };
    std::vector<std::unique_ptr<Page>> pages_;
};

ShapeStore::ShapeStore() : ids_(std::make_unique<IdTable>()) {}
ShapeStore::~ShapeStore() = default;

std::uint32_t ShapeStore::slotOf(std::int32_t id) const {
    return ids_->get(id);
}

void ShapeStore::append(std::unique_ptr<TNShape> shape, std::int32_t id, int layer) {
    TNShape& s = *shape;
    s.id_ = id;
    slots_.push_back(std::move(shape));
    ids_->insert(id, static_cast<std::uint32_t>(slots_.size() - 1));
    attachToLayer(s, layer);
    ++live_;
}

std::unique_ptr<TNShape> ShapeStore::remove(std::int32_t id) {
    const std::uint32_t slot = slotOf(id);
    if (slot == kNoSlot) return nullptr;
    std::unique_ptr<TNShape> shape = std::move(slots_[slot]);
    detachFromLayer(*shape);
    ids_->erase(id);
    ++holes_;
    --live_;
    trimEnds();
    compactIfSparse();
    return shape;
}

void ShapeStore::destroy(std::vector<std::int32_t> ids) {
    // Ids follow creation order, which is roughly address order: sorted, the
    // batch walks memory forwards instead of jumping about.
    std::sort(ids.begin(), ids.end());
    for (std::int32_t id : ids) {
        const std::uint32_t slot = slotOf(id);
        if (slot == kNoSlot) continue;
        std::unique_ptr<TNShape> shape = std::move(slots_[slot]);
        detachFromLayer(*shape);
        ids_->erase(id);
        ++holes_;
        --live_;
    }
    trimEnds();
    compactIfSparse();
}

std::size_t ShapeStore::destroyLayer(int layer) {
    const std::vector<std::int32_t> ids = takeBucket(layer);
    for (std::int32_t id : ids) {
        slots_[slotOf(id)].reset();
        ids_->erase(id);
        ++holes_;
        --live_;
    }
    if (!ids.empty()) {
        trimEnds();
        compactIfSparse();
    }
    return ids.size();
}

void ShapeStore::clear() {
    std::vector<std::unique_ptr<TNShape>>().swap(slots_);
    head_ = holes_ = live_ = 0;
    ids_->clear();
    std::vector<std::vector<std::int32_t>>().swap(denseLayers_);
    otherLayers_.clear();
}

void ShapeStore::moveToFront(std::int32_t id) {
    const std::uint32_t slot = slotOf(id);
    if (slot == kNoSlot || slot + 1 == slots_.size()) return;
    slots_.push_back(std::move(slots_[slot]));
    ids_->update(id, static_cast<std::uint32_t>(slots_.size() - 1));
    ++holes_;
    trimEnds();
    compactIfSparse();
}

void ShapeStore::moveToBack(std::int32_t id) {
    const std::uint32_t slot = slotOf(id);
    if (slot == kNoSlot || slot == head_) return;
    std::unique_ptr<TNShape> shape = std::move(slots_[slot]);
    ++holes_;
    trimEnds();
    // Room in front for this and later moves, so that repeated moves to the
    // back cost O(1) amortised.
    if (head_ == 0) rebuild(live_ / 8 + 16);
    --head_;
    slots_[head_] = std::move(shape);
    ids_->update(id, static_cast<std::uint32_t>(head_));
    compactIfSparse();
}

void ShapeStore::setLayer(TNShape& shape, int layer) {
    if (shape.layer_ == layer) return;
    detachFromLayer(shape);
    attachToLayer(shape, layer);
}

void ShapeStore::moveLayer(int from, int to) {
    if (from == to) return;
    const std::vector<std::int32_t> ids = takeBucket(from);
    if (ids.empty()) return;
    std::vector<std::int32_t>& target = bucketFor(to);
    target.reserve(target.size() + ids.size());
    for (std::int32_t id : ids) {
        TNShape& shape = *find(id);
        shape.layer_ = to;
        shape.layerSlot_ = static_cast<std::uint32_t>(target.size());
        target.push_back(id);
    }
}

const std::vector<std::int32_t>* ShapeStore::layerIds(int layer) const {
    const std::vector<std::int32_t>* ids = bucket(layer);
    return ids && !ids->empty() ? ids : nullptr;
}

std::size_t ShapeStore::layerSize(int layer) const {
    const auto* ids = bucket(layer);
    return ids ? ids->size() : 0;
}

std::vector<int> ShapeStore::distinctLayers(const std::vector<int>& layers,
                                            std::size_t& total) const {
    std::vector<int> wanted = layers;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    total = 0;
    for (int layer : wanted)
        total += layerSize(layer);
    return wanted;
}

std::vector<std::uint32_t> ShapeStore::slotsOfLayers(const std::vector<int>& layers,
                                                     std::size_t total) const {
    std::vector<std::uint32_t> found;
    found.reserve(total);
    for (int layer : layers) {
        if (const auto* ids = layerIds(layer)) {
            for (std::int32_t id : *ids)
                found.push_back(slotOf(id));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::int32_t>* ShapeStore::bucket(int layer) {
    return const_cast<std::vector<std::int32_t>*>(std::as_const(*this).bucket(layer));
}

const std::vector<std::int32_t>* ShapeStore::bucket(int layer) const {
    if (layer >= 0 && layer < kDenseLayers) {
        const auto index = static_cast<std::size_t>(layer);
        return index < denseLayers_.size() ? &denseLayers_[index] : nullptr;
    }
    const auto it = otherLayers_.find(layer);
    return it == otherLayers_.end() ? nullptr : &it->second;
}

std::vector<std::int32_t>& ShapeStore::bucketFor(int layer) {
    if (layer >= 0 && layer < kDenseLayers) {
        const auto index = static_cast<std::size_t>(layer);
        if (index >= denseLayers_.size()) denseLayers_.resize(index + 1);
        return denseLayers_[index];
    }
    return otherLayers_[layer];
}

std::vector<std::int32_t> ShapeStore::takeBucket(int layer) {
    std::vector<std::int32_t> ids;
    if (layer >= 0 && layer < kDenseLayers) {
        if (std::vector<std::int32_t>* b = bucket(layer)) ids.swap(*b);
    } else if (const auto it = otherLayers_.find(layer); it != otherLayers_.end()) {
        ids.swap(it->second);
        otherLayers_.erase(it);
    }
    return ids;
}

void ShapeStore::detachFromLayer(TNShape& shape) {
    std::vector<std::int32_t>& ids = *bucket(shape.layer_);
    const std::int32_t last = ids.back();
    if (last != shape.id_) {
        ids[shape.layerSlot_] = last;
        find(last)->layerSlot_ = shape.layerSlot_;
    }
    ids.pop_back();
    if (ids.empty()) {
        if (shape.layer_ >= 0 && shape.layer_ < kDenseLayers) {
            std::vector<std::int32_t>().swap(ids);
        } else {
            otherLayers_.erase(shape.layer_);
        }
    }
}

void ShapeStore::attachToLayer(TNShape& shape, int layer) {
    std::vector<std::int32_t>& ids = bucketFor(layer);
    shape.layer_ = layer;
    shape.layerSlot_ = static_cast<std::uint32_t>(ids.size());
    ids.push_back(shape.id_);
}

// Keeps the first and last slot occupied, so the back and the front of the
// paint order are found at once.
void ShapeStore::trimEnds() {
    if (live_ == 0) {
        std::vector<std::unique_ptr<TNShape>>().swap(slots_);
        head_ = holes_ = 0;
        return;
    }
    while (!slots_.back()) {
        slots_.pop_back();
        --holes_;
    }
    while (!slots_[head_]) {
        ++head_;
        --holes_;
    }
}

void ShapeStore::restack(const std::function<int(int layer)>& rank) {
    std::vector<std::unique_ptr<TNShape>> order;
    order.reserve(live_);
    for (std::size_t i = head_; i < slots_.size(); ++i) {
        if (slots_[i]) order.push_back(std::move(slots_[i]));
    }
    std::vector<int> ranks(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        ranks[i] = rank(order[i]->layer_);
    std::vector<std::size_t> index(order.size());
    for (std::size_t i = 0; i < index.size(); ++i)
        index[i] = i;
    std::stable_sort(index.begin(), index.end(),
                     [&ranks](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
    slots_.clear();
    slots_.reserve(order.size() + 1);
    for (std::size_t i : index) {
        ids_->update(order[i]->id_, static_cast<std::uint32_t>(slots_.size()));
        slots_.push_back(std::move(order[i]));
    }
    head_ = 0;
    holes_ = 0;
}

void ShapeStore::compactIfSparse() {
    if (holes_ > 1024 && holes_ > live_) rebuild(0);
}

void ShapeStore::rebuild(std::size_t headroom) {
    std::vector<std::unique_ptr<TNShape>> fresh;
    fresh.reserve(headroom + live_ + 1);
    fresh.resize(headroom);
    for (std::size_t i = head_; i < slots_.size(); ++i) {
        if (!slots_[i]) continue;
        ids_->update(slots_[i]->id_, static_cast<std::uint32_t>(fresh.size()));
        fresh.push_back(std::move(slots_[i]));
    }
    slots_.swap(fresh);
    head_ = headroom;
    holes_ = 0;
}

}  // namespace nivora
