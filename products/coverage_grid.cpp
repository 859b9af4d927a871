#include "products/coverage_grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace nivora {

double GridCell::value(GridStatistic s) const {
    switch (s) {
        case GridStatistic::Count:
            return count;
        case GridStatistic::Minimum:
            return minimum;
        case GridStatistic::Maximum:
            return maximum;
        case GridStatistic::Mean:
            return mean();
        case GridStatistic::Last:
            break;
    }
    return last;
}

double CoverageGrid::clampedCellSize(double m) {
    if (!std::isfinite(m)) return 5.0;
    return std::clamp(m, kMinCellSize, kMaxCellSize);
}

CoverageGrid::CoverageGrid(double cellSizeM)
    : size_(clampedCellSize(cellSizeM)), inverse_(1.0 / size_) {}

std::int64_t CoverageGrid::cellIndex(double coordinate) const {
    // Grid coordinates stay far inside +-2^53 cells; floor keeps the cells
    // below zero as wide as the others.
    return static_cast<std::int64_t>(std::floor(coordinate * inverse_));
}

CoverageGrid::Tile* CoverageGrid::tileFor(std::int64_t ti, std::int64_t tj, bool make) {
    if (lastTile_ && lastTile_->ti == ti && lastTile_->tj == tj) return lastTile_;
    const auto it = tiles_.find(key(ti, tj));
    if (it != tiles_.end()) return lastTile_ = it->second.get();
    if (!make) return nullptr;
    auto tile = std::make_unique<Tile>();
    tile->ti = ti;
    tile->tj = tj;
    Tile* raw = tile.get();
    tiles_.emplace(key(ti, tj), std::move(tile));
    order_.push_back(raw);
    return lastTile_ = raw;
}

void CoverageGrid::grow(std::int64_t i, std::int64_t j) {
    if (extent_.empty()) {
        extent_ = {i, i, j, j};
        return;
    }
    extent_.minI = std::min(extent_.minI, i);
    extent_.maxI = std::max(extent_.maxI, i);
    extent_.minJ = std::min(extent_.minJ, j);
    extent_.maxJ = std::max(extent_.maxJ, j);
}

void CoverageGrid::add(double easting, double northing, double depth) {
    if (!std::isfinite(easting) || !std::isfinite(northing) || !std::isfinite(depth)) return;
    // Beyond this no grid position is real, and the indices would overflow.
    constexpr double kFar = 1.0e12;
    if (std::abs(easting) > kFar || std::abs(northing) > kFar) return;
    const std::int64_t i = cellIndex(easting);
    const std::int64_t j = cellIndex(northing);
    Tile* tile = tileFor(i >> kTileShift, j >> kTileShift, true);
    GridCell& c = tile->cells[(j & (kTileCells - 1)) * kTileCells + (i & (kTileCells - 1))];
    const float d = static_cast<float>(depth);
    if (c.count == 0) {
        c.minimum = c.maximum = d;
        ++tile->filled;
        ++cellsFilled_;
        grow(i, j);
    } else {
        c.minimum = std::min(c.minimum, d);
        c.maximum = std::max(c.maximum, d);
    }
    if (c.count < std::numeric_limits<std::uint32_t>::max()) {
        ++c.count;
        c.sum += depth;
    }
    c.last = d;
    ++soundings_;
    ++version_;
}

bool CoverageGrid::mergeOlder(const CoverageGrid& older) {
    if (older.size_ != size_) return false;
    for (const Tile* from : older.order_) {
        Tile* to = tileFor(from->ti, from->tj, true);
        for (int k = 0; k < kTileCells * kTileCells; ++k) {
            const GridCell& o = from->cells[k];
            if (o.count == 0) continue;
            GridCell& c = to->cells[k];
            if (c.count == 0) {
                c = o;
                ++to->filled;
                ++cellsFilled_;
                grow(from->ti * kTileCells + (k % kTileCells),
                     from->tj * kTileCells + (k / kTileCells));
                continue;
            }
            c.minimum = std::min(c.minimum, o.minimum);
            c.maximum = std::max(c.maximum, o.maximum);
            const std::uint64_t n = std::uint64_t(c.count) + o.count;
            c.count = static_cast<std::uint32_t>(
                std::min<std::uint64_t>(n, std::numeric_limits<std::uint32_t>::max()));
            c.sum += o.sum;
        }
    }
    soundings_ += older.soundings_;
    ++version_;
    return true;
}

void CoverageGrid::clear() {
    tiles_.clear();
    order_.clear();
    lastTile_ = nullptr;
    soundings_ = 0;
    cellsFilled_ = 0;
    extent_ = {};
    ++version_;
}

const GridCell* CoverageGrid::cell(std::int64_t i, std::int64_t j) const {
    const auto it = tiles_.find(key(i >> kTileShift, j >> kTileShift));
    if (it == tiles_.end()) return nullptr;
    const GridCell& c = it->second->at(static_cast<int>(i & (kTileCells - 1)),
                                       static_cast<int>(j & (kTileCells - 1)));
    return c.count ? &c : nullptr;
}

std::size_t CoverageGrid::memoryBytes() const {
    // The tiles, the index's nodes and buckets, and the order list.
    const std::size_t node = sizeof(void*) * 2 + sizeof(std::uint64_t) + sizeof(void*);
    return tiles_.size() * (sizeof(Tile) + node) + tiles_.bucket_count() * sizeof(void*) +
           order_.capacity() * sizeof(Tile*);
}

std::optional<std::pair<double, double>> CoverageGrid::depthRange() const {
    if (cellsFilled_ == 0) return std::nullopt;
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const Tile* t : order_) {
        for (const GridCell& c : t->cells) {
            if (!c.count) continue;
            lo = std::min(lo, double(c.minimum));
            hi = std::max(hi, double(c.maximum));
        }
    }
    return std::make_pair(lo, hi);
}

void CoverageGrid::forEachCell(
    const std::function<void(std::int64_t, std::int64_t, const GridCell&)>& fn) const {
    for (const Tile* t : order_) {
        for (int cj = 0; cj < kTileCells; ++cj) {
            for (int ci = 0; ci < kTileCells; ++ci) {
                const GridCell& c = t->at(ci, cj);
                if (c.count) fn(t->ti * kTileCells + ci, t->tj * kTileCells + cj, c);
            }
        }
    }
}

bool parseGridStatistic(const char* word, GridStatistic& out) {
    for (GridStatistic s : {GridStatistic::Count, GridStatistic::Minimum, GridStatistic::Maximum,
                            GridStatistic::Mean, GridStatistic::Last}) {
        if (std::strcmp(word, gridStatisticWord(s)) == 0) {
            out = s;
            return true;
        }
    }
    return false;
}

const char* gridStatisticWord(GridStatistic s) {
    switch (s) {
        case GridStatistic::Count:
            return "count";
        case GridStatistic::Minimum:
            return "min";
        case GridStatistic::Maximum:
            return "max";
        case GridStatistic::Mean:
            return "mean";
        case GridStatistic::Last:
            break;
    }
    return "last";
}

}  // namespace nivora
