#pragma once

// The WGS-84 position whose grid image, as the real-time cycle places a fix,
// is a given easting and northing: Newton steps on the forward
// transformation, so that going back and forth lands on the same point to a
// millimetre whatever datum shift and projection are in use.

#include <optional>

#include "geodesy/fix_projection.h"

namespace nivora::geodesy {

struct WgsPosition {
    double latitude = 0;
    double longitude = 0;
};

// `start` is any position within a few degrees of the answer; nothing when
// the steps do not come within a centimetre (or a fix there is abandoned).
std::optional<WgsPosition> gridToWgs84(FixProjector& projector, double easting, double northing,
                                       double height, WgsPosition start);

}  // namespace nivora::geodesy
