#pragma once

namespace nivora::sim {

// A rectangle in grid coordinates (metres).
struct SurveyArea {
    double minEasting = 0;
    double minNorthing = 0;
    double maxEasting = 1000;
    double maxNorthing = 1000;

    double width() const { return maxEasting - minEasting; }
    double height() const { return maxNorthing - minNorthing; }
};

}  // namespace nivora::sim
