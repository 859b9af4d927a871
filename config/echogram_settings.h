#pragma once

// The echogram window's settings (section "ECHOGRAM"), kept here so that a
// sample count beyond the history is limited wherever it is read.

#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

// The sample count is limited to the 200 samples the history holds; a
// period below 1 ms would spin the timer or stop it.
struct EchogramSettings {
    static constexpr int kHistorySize = 200;
    int dataWidth = 50;  // DataWidth, 1 .. 200
    int interval = 100;  // Interval, ms

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static int clampDataWidth(int width);
    static const std::vector<IniKey<EchogramSettings>>& keys();
};

}  // namespace nivora
