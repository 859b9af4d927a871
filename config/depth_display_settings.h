#pragma once

// How the survey's depths show on the chart (section "DEPTH_DISPLAY"): the
// soundings as depth-coloured dots, the coverage grid under the track, the
// colour bar, the palette and its range, the grid's cell size and the
// statistic its cells are coloured by.

#include <QString>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

struct DepthDisplaySettings {
    bool showSoundings = true;
    bool showGrid = true;
    bool showLegend = true;
    int palette = 0;  // 0 rainbow, 1 ocean, 2 contrast
    bool autoRange = true;
    QString shallow = QStringLiteral("0");  // metres, the set range
    QString deep = QStringLiteral("30");
    QString cellSize = QStringLiteral("5");  // metres, 0.5 .. 50
    int statistic = 2;                       // 0 minimum, 1 maximum, 2 mean, 3 last
    int colourBy = 0;                        // 0 true depth, 1 depth reduced to the datum
    int pointSize = 4;                       // pixels
    // A drawing imported farther than this from the survey area is asked about.
    QString importFarKm = QStringLiteral("50");  // km, 0.1 .. 20000

    double shallowM() const;
    double deepM() const;
    double cellSizeM() const;
    double importFarKmValue() const;
    // The first number field that is not a number in its range (or a range
    // whose shallow end is not above its deep end), in words; empty when none.
    QString problem() const;

    bool operator==(const DepthDisplaySettings&) const = default;
    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<DepthDisplaySettings>>& keys();
};

}  // namespace nivora
