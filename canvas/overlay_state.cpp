#include "canvas/overlay_state.h"

#include <cmath>

#include "core/number_format.h"

namespace nivora {

bool OverlayState::AddDepthLabel(double x, double y, double depth) {
    for (const DepthLabel& label : DepthLabels) {
        const double dx = label.x - x;
        const double dy = label.y - y;
        if (std::sqrt(dx * dx + dy * dy) < DepthLabelSpacing) return false;
    }
    DepthLabels.push_back({x, y, depth});
    if (DepthLabels.size() > kMaxDepthLabels) {
        DepthLabels.erase(DepthLabels.begin(),
                          DepthLabels.begin() + static_cast<std::ptrdiff_t>(kDepthLabelsDropped));
    }
    return true;
}

// A depth that is not above 0 was not measured and is left out.
QString OverlayState::DepthSpeedText() const {
    std::string text;
    if (ShowDepth) {
        if (CurrentDepthHF > 0.0) text = "HF: " + formatFixed(CurrentDepthHF, 2) + " m";
        if (CurrentDepthLF > 0.0) {
            if (!text.empty()) text += "  ";
            text += "LF: " + formatFixed(CurrentDepthLF, 2) + " m";
        }
    }
    if (ShowSpeed) {
        if (!text.empty()) text += "  ";
        text += formatFixed(CurrentSpeed, 1) + " kn";
    }
    return QString::fromStdString(text);
}

TColor PositionStatusColor(int fixQuality) {
    switch (fixQuality) {
        case 1:
            return colors::Red;
        case 2:
            return colors::Aqua;
        case 4:
        case 7:
            return colors::Lime;
        case 0:
            // No fix (and no data, and real time stopped) must not look like a float.
            return colors::Silver;
        default:
            return colors::Yellow;
    }
}

int NextCorner(int corner) {
    return (corner % 4 + 5) % 4;
}

}  // namespace nivora
