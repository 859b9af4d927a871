#include "config/settings_models.h"

namespace nivora {

void SurveyModels::load(const SettingsFile& settings) {
    file = settings;
    const IniStore ini = settings.read();
    device.load(ini);
    offsets.load(ini);
    svp.create(ini, settings.companionBase());
    navigation.load(ini);
    vesselShape.load(ini);
    latency.load(ini);
    echogram.load(ini);
    guidance.load(ini);
    quality.load(ini);
    vertical.load(ini);
    repeater.load(ini);
    ntrip.load(ini);
    depthDisplay.load(ini);
    session.load(ini);
}

}  // namespace nivora
