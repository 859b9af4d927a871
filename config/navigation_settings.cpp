#include "config/navigation_settings.h"

#include <algorithm>

#include "core/ini_store.h"
#include "core/number_text.h"

namespace nivora {
namespace {

using N = NavigationSettings;
constexpr const char* kNav = "NAVIGATION_SETTINGS";

QString orIfEmpty(const QString& text, const char* replacement) {
    return text.isEmpty() ? QString::fromLatin1(replacement) : text;
}

}  // namespace

const std::vector<IniKey<NavigationSettings>>& NavigationSettings::keys() {
    // Written in this order when the window closes. A missing colour keeps
    // the window's designed one (never black tracks on a black chart), and
    // a missing update period is the timer's own 500 ms, whose track
    // interval is the missing interval's 20.
    static const std::vector<IniKey<N>> keys = {
        {kNav, "VesselWidth", IniKind::Text, &N::vesselWidth, "3"},
        {kNav, "TrackWidth", IniKind::Text, &N::trackWidth, "3"},
        {kNav, "TrackInterval", IniKind::Text, &N::trackInterval, "20"},
        {kNav, "VesselColor", IniKind::Colour, &N::vesselColor, "8388608"},           // navy
        {kNav, "ColorTracklines1", IniKind::Colour, &N::colorTracklines1, "32768"},   // green
        {kNav, "ColorTracklines0", IniKind::Colour, &N::colorTracklines0, "65535"},   // yellow
        {kNav, "GridColor", IniKind::Colour, &N::gridColor, "12632256"},              // silver
        {kNav, "BackgroundColor", IniKind::Colour, &N::backgroundColor, "16777215"},  // white
        {kNav, "cLineOrDot", IniKind::Boolean, &N::lineOrDot, "1"},
        {kNav, "edDepthAlert", IniKind::Text, &N::depthAlert, "1"},
        {kNav, "eUpdateRate", IniKind::Text, &N::updateRate, "500"},
    };
    return keys;
}

void NavigationSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void NavigationSettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

std::optional<int> NavigationSettings::timerIntervalMs(QString* error) const {
    const auto period = toInteger(updateRate);
    if (!period) {
        if (error) *error = notANumberMessage(QStringLiteral("Update (ms.)"), updateRate);
        return std::nullopt;
    }
    return std::max(*period, kMinUpdatePeriodMs);
}

std::optional<int> NavigationSettings::updateRateChanged(const QString& text, QString* error) {
    updateRate = text.isEmpty() ? QString::number(kEmptyUpdatePeriodMs) : text;
    const auto period = timerIntervalMs(error);
    if (!period) return std::nullopt;
    trackInterval = QString::number(kTrackIntervalBudget / *period);
    return period;
}

void NavigationSettings::setTrackInterval(const QString& text) {
    trackInterval = orIfEmpty(text, "0");
}
void NavigationSettings::setTrackWidth(const QString& text) {
    trackWidth = orIfEmpty(text, "2");
}
void NavigationSettings::setVesselWidth(const QString& text) {
    vesselWidth = orIfEmpty(text, "2");
}
void NavigationSettings::setDepthAlert(const QString& text) {
    depthAlert = orIfEmpty(text, "0");
}

}  // namespace nivora
