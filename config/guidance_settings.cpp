#include "config/guidance_settings.h"

#include <algorithm>

#include "config/ranged_numbers.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

const RangedNumber<GuidanceSettings> kNumbers[] = {
    {"Run-in", &GuidanceSettings::runIn, 10, 0, 10000},
    {"Run-out", &GuidanceSettings::runOut, 10, 0, 10000},
    {"Off-track limit", &GuidanceSettings::offTrackLimit, 10, 0.01, 10000},
    {"Off-track time", &GuidanceSettings::offTrackTime, 10, 0, 3600},
    {"Full scale", &GuidanceSettings::fullScale, 10, 0.1, 10000},
    {"Dead band", &GuidanceSettings::deadBand, 0.5, 0, 10000},
    {"Arrival radius", &GuidanceSettings::arrivalRadius, 5, 0, 10000},
    {"Autopilot rate", &GuidanceSettings::autopilotRate, 1, 0.1, 10},
};

double value(const GuidanceSettings& g, QString GuidanceSettings::*member) {
    return rangedValue(kNumbers, g, member);
}

}  // namespace

QString GuidanceSettings::problem() const {
    return rangedProblem(kNumbers, *this);
}

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
    return value(*this, &GuidanceSettings::runIn);
}
double GuidanceSettings::runOutM() const {
    return value(*this, &GuidanceSettings::runOut);
}
double GuidanceSettings::offTrackLimitM() const {
    return value(*this, &GuidanceSettings::offTrackLimit);
}
double GuidanceSettings::offTrackSeconds() const {
    return value(*this, &GuidanceSettings::offTrackTime);
}
double GuidanceSettings::fullScaleM() const {
    return value(*this, &GuidanceSettings::fullScale);
}
double GuidanceSettings::deadBandM() const {
    return std::min(value(*this, &GuidanceSettings::deadBand), fullScaleM());
}
double GuidanceSettings::arrivalRadiusM() const {
    return value(*this, &GuidanceSettings::arrivalRadius);
}
double GuidanceSettings::autopilotRateHz() const {
    return value(*this, &GuidanceSettings::autopilotRate);
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
