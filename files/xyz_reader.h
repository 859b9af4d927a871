#pragma once

// XYZ sample files: lines of x, y, z (blanks, tabs or commas between) shown
// as small points coloured from red (low z) to blue (high z), or as cell
// outlines of the grid's size when the samples lie on a regular grid.

#include <cstdint>
#include <vector>

#include "core/colors.h"
#include "files/file_format.h"

namespace nivora {

class XyzReader final : public DrawingReader {
  public:
    // All shapes go to `layer` (used as given). The colour ramp runs from
    // zMin to zMax; both 0 means the smallest and largest z of the file.
    XyzReader(int layer, double zMin, double zMax) : layer_(layer), zMin_(zMin), zMax_(zMax) {}

    bool read(QIODevice& in, CanvasDocument& doc) override;
    bool readBytes(std::string_view file, CanvasDocument& doc);

    std::int64_t created() const { return created_; }

    struct Samples {
        std::vector<double> x, y, z;
    };
    struct Grid {
        bool detected = false;
        double gx = 0;
        double gy = 0;
    };
    // The samples of a file in file order; skipped lines are counted in the
    // report. Stops after the budget's number of shapes.
    Samples parse(std::string_view file);
    // Cell sizes and regularity from the first samples only.
    static Grid detectGrid(const Samples& s);

  private:
    int layer_;
    double zMin_;
    double zMax_;
    std::int64_t created_ = 0;
    bool tooMany_ = false;
};

// Red (t = 0) through yellow, green and cyan to blue (t = 1).
TColor rampColor(double z, double low, double high);

}  // namespace nivora
