#include "config/guidance_settings.h"

#include <algorithm>

#include "core/ini_store.h"

namespace nivora {
namespace {

double numberIn(const QString& text, double fallback, double lo, double hi) {
    const auto v = toNumber(text);
    return v && *v >= lo && *v <= hi ? *v : fallback;
}

}  // namespace

const std::vector<IniKey<GuidanceSettings>>& GuidanceSettings::keys() {
    using G = GuidanceSettings;
    static const std::vector<IniKey<G>> keys = {
        {"GUIDANCE", "AutoStart", IniKind::Boolean, &G::autoStart, "1"},
        {"GUIDANCE", "AutoEnd", IniKind::Boolean, &G::autoEnd, "1"},
        {"GUIDANCE", "NextLine", IniKind::Integer, &G::nextLine, "1"},
        {"GUIDANCE", "RunIn", IniKind::Text, &G::runIn, "10"},
        {"GUIDANCE", "RunOut", IniKind::Text, &G::runOut, "10"},
        {"GUIDANCE", "OffTrackLimit", IniKind::Text, &G::offTrackLimit, "10"},
        {"GUIDANCE", "OffTrackTime", IniKind::Text, &G::offTrackTime, "10"},
        {"GUIDANCE", "FullScale", IniKind::Text, &G::fullScale, "10"},
        {"GUIDANCE", "DeadBand", IniKind::Text, &G::deadBand, "0.5"},
        {"GUIDANCE", "ArrivalRadius", IniKind::Text, &G::arrivalRadius, "5"},
        {"GUIDANCE", "Autopilot", IniKind::Boolean, &G::autopilot, "0"},
        {"GUIDANCE", "AutopilotPort", IniKind::Text, &G::autopilotPort, "udp://127.0.0.1:10110"},
        {"GUIDANCE", "AutopilotRate", IniKind::Text, &G::autopilotRate, "1"},
        {"GUIDANCE", "AutopilotSentences", IniKind::Text, &G::autopilotSentences, "APB,XTE,RMB"},
        {"GUIDANCE", "ActiveLine", IniKind::Text, &G::activeLine, ""},
    };
    return keys;
}

double GuidanceSettings::runInM() const {
    return numberIn(runIn, 10, 0, 10000);
}
double GuidanceSettings::runOutM() const {
    return numberIn(runOut, 10, 0, 10000);
}
double GuidanceSettings::offTrackLimitM() const {
    return numberIn(offTrackLimit, 10, 0.01, 10000);
}
double GuidanceSettings::offTrackSeconds() const {
    return numberIn(offTrackTime, 10, 0, 3600);
}
double GuidanceSettings::fullScaleM() const {
    return numberIn(fullScale, 10, 0.1, 10000);
}
double GuidanceSettings::deadBandM() const {
    return std::min(numberIn(deadBand, 0.5, 0, 10000), fullScaleM());
}
double GuidanceSettings::arrivalRadiusM() const {
    return numberIn(arrivalRadius, 5, 0, 10000);
}
double GuidanceSettings::autopilotRateHz() const {
    return numberIn(autopilotRate, 1, 0.1, 10);
}
NextLineRule GuidanceSettings::nextLineRule() const {
    return nextLine == 2   ? NextLineRule::Closest
           : nextLine == 0 ? NextLineRule::None
                           : NextLineRule::PlanOrder;
}

void GuidanceSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void GuidanceSettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
