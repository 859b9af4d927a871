#pragma once

// The chart at night: every colour of the drawing mapped to a dark variant,
// light turned to dark and dark to light with its hue kept, so that a white
// chart becomes a dark one, black lines light grey, and red, green and blue
// stay red, green and blue. Stored colours are never changed; only the
// picture is.

#include "core/colors.h"

namespace nivora {

TColor NightColour(TColor day);

// The colour a drawing shows: as stored by day, mapped at night.
inline TColor ChartColour(TColor c, bool night) {
    return night ? NightColour(c) : c;
}

}  // namespace nivora
