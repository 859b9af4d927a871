#pragma once

#include <QString>

#include "core/colors.h"

namespace nivora {

// "No Fix", "GPS", "DGPS", "RTK Fix", "RTK Float", or "Fix:" + n.
QString fixQualityName(int quality);
// Colour of the fix indicator: red for 0 and 1, aqua for DGPS, lime for RTK
// fixed, yellow for RTK float and anything else.
TColor fixQualityColor(int quality);

}  // namespace nivora
