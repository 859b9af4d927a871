#pragma once

// The coverage grid: square cells of a set size on the survey's grid, each
// holding the count, minimum, maximum, mean and last of the depths that fell
// in it. Cells live in tiles of 16 x 16 that are made only where a sounding
// falls, so the memory follows the area covered, never the chart's extent.
// Cell (i, j) covers [i * size, (i + 1) * size) in easting and the same in
// northing, so grids of one size line up across days and restarts.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace nivora {

enum class GridStatistic { Count, Minimum, Maximum, Mean, Last };

struct GridCell {
    std::uint32_t count = 0;
    float minimum = 0;
    float maximum = 0;
    float last = 0;
    double sum = 0;  // for the mean

    double mean() const { return count ? sum / count : 0.0; }
    double value(GridStatistic s) const;
};

// The extent of the cells that hold a sounding.
struct GridExtent {
    std::int64_t minI = 0, maxI = -1, minJ = 0, maxJ = -1;  // cell indices, inclusive
    bool empty() const { return maxI < minI; }
    std::int64_t columns() const { return empty() ? 0 : maxI - minI + 1; }
    std::int64_t rows() const { return empty() ? 0 : maxJ - minJ + 1; }
};

class CoverageGrid {
  public:
    static constexpr int kTileShift = 4;
    static constexpr int kTileCells = 1 << kTileShift;  // per side
    static constexpr double kMinCellSize = 0.5;
    static constexpr double kMaxCellSize = 50.0;

    struct Tile {
        std::int64_t ti = 0, tj = 0;  // tile indices: cells ti*16 .. ti*16+15
        GridCell cells[kTileCells * kTileCells];
        std::uint32_t filled = 0;  // cells with a count
        // Cell (ci, cj) of the tile, 0..15 each; cj counts northwards.
        const GridCell& at(int ci, int cj) const { return cells[cj * kTileCells + ci]; }
    };

    // The size is held within 0.5 .. 50 m.
    explicit CoverageGrid(double cellSizeM = 5.0);
    CoverageGrid(CoverageGrid&&) noexcept = default;
    CoverageGrid& operator=(CoverageGrid&&) noexcept = default;

    double cellSize() const { return size_; }
    static double clampedCellSize(double m);

    // A depth at a grid position (metres); non-finite values are left out.
    void add(double easting, double northing, double depth);
    // Takes in `older`'s cells as if its soundings had come before this
    // grid's: counts, sums, extremes add; this grid's last depths stay.
    // Both must have the same cell size (false otherwise, nothing merged).
    bool mergeOlder(const CoverageGrid& older);
    void clear();

    std::int64_t cellIndex(double coordinate) const;
    // The cell at indices, or null where no sounding fell.
    const GridCell* cell(std::int64_t i, std::int64_t j) const;
    const GridCell* cellAt(double easting, double northing) const {
        return cell(cellIndex(easting), cellIndex(northing));
    }

    std::uint64_t soundings() const { return soundings_; }
    std::uint64_t cellsFilled() const { return cellsFilled_; }
    std::size_t tileCount() const { return tiles_.size(); }
    std::size_t memoryBytes() const;
    GridExtent extent() const { return extent_; }
    // Lowest and highest of the cells' minimum and maximum depths.
    std::optional<std::pair<double, double>> depthRange() const;
    // Grows on every change; a drawing kept for an older one is stale.
    std::uint64_t version() const { return version_; }

    // The tiles in the order they were made.
    const std::vector<Tile*>& tiles() const { return order_; }
    // Every filled cell, tile by tile: fn(i, j, cell).
    void forEachCell(
        const std::function<void(std::int64_t, std::int64_t, const GridCell&)>& fn) const;

  private:
    static std::uint64_t key(std::int64_t ti, std::int64_t tj) {
        return (static_cast<std::uint64_t>(ti) << 32) ^ static_cast<std::uint32_t>(tj);
    }
    Tile* tileFor(std::int64_t ti, std::int64_t tj, bool make);
    void grow(std::int64_t i, std::int64_t j);

    double size_;
    double inverse_;
    std::unordered_map<std::uint64_t, std::unique_ptr<Tile>> tiles_;
    std::vector<Tile*> order_;
    Tile* lastTile_ = nullptr;  // most soundings fall in the tile of the one before
    std::uint64_t soundings_ = 0;
    std::uint64_t cellsFilled_ = 0;
    std::uint64_t version_ = 0;
    GridExtent extent_;
};

// "count", "min", "max", "mean", "last"; false for any other word.
bool parseGridStatistic(const char* word, GridStatistic& out);
const char* gridStatisticWord(GridStatistic s);

}  // namespace nivora
