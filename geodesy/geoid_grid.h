#pragma once

// A geoid model as a grid of separations (the geoid's height above the
// ellipsoid, metres) in the GTX format PROJ's data ships (egm96_15.gtx): a
// big-endian header of the south-west node, the spacing and the node
// counts, then float rows from the south. The separation at a position is
// interpolated bilinearly between the four nodes around it; a global grid
// wraps round in longitude.

#include <optional>
#include <string>
#include <vector>

namespace nivora::geodesy {

class GeoidGrid {
  public:
    // Nothing, with why in `error`, for a file that is missing, short or not a grid.
    static std::optional<GeoidGrid> load(const std::string& path, std::string* error);

    // The separation at a latitude and longitude (degrees); nothing outside
    // the grid or beside a node without a value.
    std::optional<double> separation(double latitude, double longitude) const;

    int rows() const { return rows_; }
    int columns() const { return columns_; }

  private:
    double south_ = 0, west_ = 0, dLat_ = 0, dLon_ = 0;
    int rows_ = 0, columns_ = 0;
    bool global_ = false;  // the columns go all the way round
    std::vector<float> values_;
};

}  // namespace nivora::geodesy
