#pragma once

// The benches' client chart: a million shapes over the demo harbour, one in
// five a short line, the rest points, on ten layers.

#include <QString>
#include <random>
#include <vector>

#include "canvas/canvas_document.h"

namespace nivora::bench {

inline void drawMillionShapeChart(CanvasDocument& doc, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> e(415000, 416500), n(4540500, 4541800);
    std::vector<int> layers;
    for (int l = 0; l < 10; ++l)
        layers.push_back(doc.LayerOpen(QStringLiteral("chart %1").arg(l)));
    for (int i = 0; i < 1000000; ++i) {
        const double x = e(rng), y = n(rng);
        if (i % 5 == 0) {
            doc.DrawLine(x, y, x + 3, y + 3, layers[i % 10]);
        } else {
            doc.DrawPoint(x, y, layers[i % 10]);
        }
    }
}

}  // namespace nivora::bench
