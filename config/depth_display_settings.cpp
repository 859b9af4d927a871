#include "config/depth_display_settings.h"

#include "config/ranged_numbers.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

using D = DepthDisplaySettings;
const RangedNumber<D> kNumbers[] = {
    {"Shallow", &D::shallow, 0, -1000, 12000},
    {"Deep", &D::deep, 30, -1000, 12000},
    {"Cell size", &D::cellSize, 5, 0.5, 50},
    {"Far import", &D::importFarKm, 50, 0.1, 20000},
};

}  // namespace

double DepthDisplaySettings::shallowM() const {
    return rangedValue(kNumbers, *this, &D::shallow);
}

double DepthDisplaySettings::deepM() const {
    return rangedValue(kNumbers, *this, &D::deep);
}

double DepthDisplaySettings::cellSizeM() const {
    return rangedValue(kNumbers, *this, &D::cellSize);
}

double DepthDisplaySettings::importFarKmValue() const {
    return rangedValue(kNumbers, *this, &D::importFarKm);
}

QString DepthDisplaySettings::problem() const {
    const QString p = rangedProblem(kNumbers, *this);
    if (!p.isEmpty()) return p;
    if (!autoRange && !(deepM() > shallowM()))
        return QStringLiteral("Deep: %1 m is not deeper than the shallow end, %2 m")
            .arg(deepM())
            .arg(shallowM());
    return {};
}

const std::vector<IniKey<DepthDisplaySettings>>& DepthDisplaySettings::keys() {
    static const std::vector<IniKey<D>> keys = {
        {"DEPTH_DISPLAY", "ShowSoundings", IniKind::Boolean, &D::showSoundings, "1"},
        {"DEPTH_DISPLAY", "ShowGrid", IniKind::Boolean, &D::showGrid, "1"},
        {"DEPTH_DISPLAY", "ShowLegend", IniKind::Boolean, &D::showLegend, "1"},
        {"DEPTH_DISPLAY", "Palette", IniKind::Integer, &D::palette, "0"},
        {"DEPTH_DISPLAY", "AutoRange", IniKind::Boolean, &D::autoRange, "1"},
        {"DEPTH_DISPLAY", "Shallow", IniKind::Text, &D::shallow, "0"},
        {"DEPTH_DISPLAY", "Deep", IniKind::Text, &D::deep, "30"},
        {"DEPTH_DISPLAY", "CellSize", IniKind::Text, &D::cellSize, "5"},
        {"DEPTH_DISPLAY", "Statistic", IniKind::Integer, &D::statistic, "2"},
        {"DEPTH_DISPLAY", "ColourBy", IniKind::Integer, &D::colourBy, "0"},
        {"DEPTH_DISPLAY", "PointSize", IniKind::Integer, &D::pointSize, "4"},
        {"DEPTH_DISPLAY", "ImportFarKm", IniKind::Text, &D::importFarKm, "50"},
    };
    return keys;
}

void DepthDisplaySettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void DepthDisplaySettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
