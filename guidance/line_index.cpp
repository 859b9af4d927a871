#include "guidance/line_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nivora {

namespace {
// Cells per side are bounded so that a plan spread over a huge area with a
// few lines cannot ask for millions of empty cells.
constexpr int kMaxCellsPerSide = 1024;
}  // namespace

LineIndex::LineIndex(const std::vector<SurveyLine>& lines) {
    double maxX = -std::numeric_limits<double>::infinity(), maxY = maxX;
    minX_ = minY_ = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& p = lines[i].points;
        for (std::size_t k = 0; k + 1 < p.size(); ++k) {
            segments_.push_back(
                {p[k].x(), p[k].y(), p[k + 1].x(), p[k + 1].y(), static_cast<int>(i)});
        }
        for (const QPointF& q : p) {
            minX_ = std::min(minX_, q.x());
            minY_ = std::min(minY_, q.y());
            maxX = std::max(maxX, q.x());
            maxY = std::max(maxY, q.y());
        }
    }
    if (segments_.empty()) return;
    // About one segment per cell on average.
    const double w = std::max(maxX - minX_, 1.0), h = std::max(maxY - minY_, 1.0);
    cell_ = std::max({std::sqrt(w * h / static_cast<double>(segments_.size())),
                      w / kMaxCellsPerSide, h / kMaxCellsPerSide, 1e-3});
    columns_ = std::max(1, static_cast<int>(std::ceil(w / cell_)) + 1);
    rows_ = std::max(1, static_cast<int>(std::ceil(h / cell_)) + 1);
    const std::size_t cells = static_cast<std::size_t>(columns_) * rows_;
    // Two passes: count per cell, then fill (one flat array, no per-cell vectors).
    std::vector<std::uint32_t> count(cells + 1, 0);
    auto forCells = [&](const Segment& s, auto&& f) {
        const int c0 = cellX(std::min(s.x0, s.x1)), c1 = cellX(std::max(s.x0, s.x1));
        const int r0 = cellY(std::min(s.y0, s.y1)), r1 = cellY(std::max(s.y0, s.y1));
        const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
        const double len = std::hypot(dx, dy);
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                // A long diagonal segment passes through few of its box's
                // cells: keep those whose centre lies within a cell of it.
                if (len > 0 && (c1 > c0 + 1 && r1 > r0 + 1)) {
                    const double cx = minX_ + (c + 0.5) * cell_, cy = minY_ + (r + 0.5) * cell_;
                    if (std::abs((cx - s.x0) * dy - (cy - s.y0) * dx) / len > cell_) continue;
                }
                f(static_cast<std::size_t>(r) * columns_ + c);
            }
        }
    };
    for (const Segment& s : segments_)
        forCells(s, [&](std::size_t c) { ++count[c + 1]; });
    for (std::size_t c = 0; c < cells; ++c)
        count[c + 1] += count[c];
    cellStart_ = count;
    cellItems_.resize(cellStart_.back());
    std::vector<std::uint32_t> fill(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t i = 0; i < segments_.size(); ++i)
        forCells(segments_[i],
                 [&](std::size_t c) { cellItems_[fill[c]++] = static_cast<std::uint32_t>(i); });
    seen_.assign(segments_.size(), 0);
}

int LineIndex::cellX(double x) const {
    return std::clamp(static_cast<int>(std::floor((x - minX_) / cell_)), 0, columns_ - 1);
}

int LineIndex::cellY(double y) const {
    return std::clamp(static_cast<int>(std::floor((y - minY_) / cell_)), 0, rows_ - 1);
}

double LineIndex::distance(const Segment& s, double x, double y) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((x - s.x0) * dx + (y - s.y0) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(x - (s.x0 + t * dx), y - (s.y0 + t * dy));
}

std::optional<LineIndex::Nearest> LineIndex::nearest(double x, double y, int skip) const {
    if (segments_.empty()) return std::nullopt;
    if (++stamp_ == 0) {
        std::fill(seen_.begin(), seen_.end(), 0);
        stamp_ = 1;
    }
    Nearest best{-1, std::numeric_limits<double>::infinity()};
    // A position outside the grid starts at the nearest border cell; every
    // cell is at least the distance to the grid away.
    const int cx = cellX(x), cy = cellY(y);
    const double outsideX = std::max({minX_ - x, x - (minX_ + columns_ * cell_), 0.0});
    const double outsideY = std::max({minY_ - y, y - (minY_ + rows_ * cell_), 0.0});
    const double outside = std::hypot(outsideX, outsideY);
    const int maxRing = std::max(columns_, rows_);
    for (int ring = 0; ring <= maxRing; ++ring) {
        // Everything in rings beyond this one lies at least this far away.
        if (best.line >= 0 && best.distanceM <= std::max(outside, (ring - 1) * cell_)) break;
        for (int r = cy - ring; r <= cy + ring; ++r) {
            if (r < 0 || r >= rows_) continue;
            const bool edgeRow = r == cy - ring || r == cy + ring;
            for (int c = cx - ring; c <= cx + ring; c += (edgeRow || ring == 0) ? 1 : 2 * ring) {
                if (c < 0 || c >= columns_) continue;
                const std::size_t cell = static_cast<std::size_t>(r) * columns_ + c;
                for (std::uint32_t k = cellStart_[cell]; k < cellStart_[cell + 1]; ++k) {
                    const std::uint32_t i = cellItems_[k];
                    if (seen_[i] == stamp_) continue;
                    seen_[i] = stamp_;
                    const Segment& s = segments_[i];
                    if (s.line == skip) continue;
                    const double d = distance(s, x, y);
                    if (d < best.distanceM) best = {s.line, d};
                }
            }
        }
    }
    if (best.line < 0) return std::nullopt;
    return best;
}

}  // namespace nivora
