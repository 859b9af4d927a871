#pragma once

// Track marks laid by the real-time cycle: every `interval` ticks a point,
// or a line from the previous mark, on the layer of the current fix class.
// The memory lives for the whole program run; clearing a layer does not
// move the previous mark.

#include <cstdint>

#include "core/colors.h"

namespace nivora {

class CanvasDocument;
struct StandardLayers;

struct TrackSettings {
    TColor fixedColor = colors::Green;   // "track_fix"
    TColor floatColor = colors::Yellow;  // "track_float"
    TColor noFixColor = colors::Silver;  // "track_nofix"
    int width = 2;
    int interval = 20;  // ticks between marks; 0 behaves like 1
    bool drawAsLine = false;
};

class TrackRecorder {
  public:
    // One tick at grid position (e, n). Returns the id of the mark laid, or 0.
    std::int32_t tick(CanvasDocument& doc, const StandardLayers& layers,
                      const TrackSettings& settings, int fixQuality, double e, double n);

    bool started() const { return !first_; }
    int counter() const { return counter_; }

  private:
    bool first_ = true;
    double previousE_ = 0;
    double previousN_ = 0;
    int counter_ = 0;
};

}  // namespace nivora
