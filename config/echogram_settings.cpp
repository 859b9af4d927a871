#include "config/echogram_settings.h"

#include <algorithm>

#include "core/ini_store.h"

namespace nivora {

const std::vector<IniKey<EchogramSettings>>& EchogramSettings::keys() {
    static const std::vector<IniKey<EchogramSettings>> keys = {
        {"ECHOGRAM", "DataWidth", IniKind::Integer, &EchogramSettings::dataWidth, "50"},
        {"ECHOGRAM", "Interval", IniKind::Integer, &EchogramSettings::interval, "100"},
    };
    return keys;
}

int EchogramSettings::clampDataWidth(int width) {
    return std::clamp(width, 1, kHistorySize);
}

void EchogramSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
    dataWidth = clampDataWidth(dataWidth);
    // A timer period of 0 or less would spin or never fire.
    interval = std::max(interval, 1);
}

void EchogramSettings::save(IniStore& ini) const {
    EchogramSettings limited = *this;
    limited.dataWidth = clampDataWidth(dataWidth);
    limited.interval = std::max(interval, 1);
    saveIniKeys(ini, keys(), limited);
}

}  // namespace nivora
