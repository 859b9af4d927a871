#pragma once

// The live settings of a run of the program: every model the windows edit
// and the survey reads, loaded once from the settings file at start and
// handed to the survey, its chart and every window. Windows edit these models and
// save through the settings file; nobody loads them again.

#include "config/depth_display_settings.h"
#include "config/device_settings.h"
#include "config/echogram_settings.h"
#include "config/guidance_settings.h"
#include "config/latency_shape.h"
#include "config/navigation_settings.h"
#include "config/ntrip_settings.h"
#include "config/offsets_model.h"
#include "config/quality_settings.h"
#include "config/repeater_settings.h"
#include "config/session_keys.h"
#include "config/settings_changes.h"
#include "config/svp_model.h"
#include "config/vertical_settings.h"
#include "core/settings_file.h"

namespace nivora {

struct SurveyModels {
    SettingsFile file;
    DeviceSettingsModel device;
    OffsetsModel offsets;
    SvpModel svp;
    NavigationSettings navigation;
    VesselShapeModel vesselShape;
    LatencyModel latency;
    EchogramSettings echogram;
    GuidanceSettings guidance;
    QualitySettings quality;
    VerticalSettings vertical;
    RepeaterSettings repeater;
    NtripSettings ntrip;
    DepthDisplaySettings depthDisplay;
    SessionKeys session;
    // Said by the windows that edit the models; heard by their users.
    SettingsChanges changes;

    // Everything from the settings file, once per start.
    void load(const SettingsFile& settings);
};

}  // namespace nivora
