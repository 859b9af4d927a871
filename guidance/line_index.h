#pragma once

// The survey line nearest a position among many (ten thousand lines on a
// chart is a real plan): the segments are kept in a uniform grid of cells,
// and a search looks at rings of cells around the position until no nearer
// segment can lie further out.

#include <cstdint>
#include <optional>
#include <vector>

#include "guidance/survey_line.h"

namespace nivora {

class LineIndex {
  public:
    LineIndex() = default;
    explicit LineIndex(const std::vector<SurveyLine>& lines);

    struct Nearest {
        int line = -1;  // index into the lines given
        double distanceM = 0;
    };
    // Nothing when there are no lines. `skip` (an index) is passed over.
    std::optional<Nearest> nearest(double x, double y, int skip = -1) const;
    bool empty() const { return segments_.empty(); }

  private:
    struct Segment {
        double x0, y0, x1, y1;
        int line;
    };
    int cellX(double x) const;
    int cellY(double y) const;
    static double distance(const Segment& s, double x, double y);

    std::vector<Segment> segments_;
    double minX_ = 0, minY_ = 0, cell_ = 1;
    int columns_ = 0, rows_ = 0;
    // Segments of each cell: cellStart_[c] .. cellStart_[c + 1] in cellItems_.
    std::vector<std::uint32_t> cellStart_;
    std::vector<std::uint32_t> cellItems_;
    mutable std::vector<std::uint32_t> seen_;  // search stamp per segment
    mutable std::uint32_t stamp_ = 0;
};

}  // namespace nivora
