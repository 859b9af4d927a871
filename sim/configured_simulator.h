#pragma once

// A simulator set up from a survey's settings: the [SIMULATOR] section gives
// the area, line spacing, speed and fix script; the survey's own models give
// the water (sound velocity, draft, antenna height), the sounder family and
// the geodesy, so the right offsets give back the true depth.

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

#include "config/settings_models.h"
#include "geodesy/fix_projection.h"
#include "sim/geodesy_grid.h"
#include "sim/sim_ports.h"

namespace nivora {
class Clock;
class IniStore;
}  // namespace nivora

namespace nivora::sim {

class ConfiguredSimulator {
  public:
    // `base` carries what the settings do not (rates, noise, seed); its
    // start is the first epoch's time. Nothing, with the reason, when the
    // section or the geodesy cannot be used.
    static std::unique_ptr<ConfiguredSimulator> create(const IniStore& ini,
                                                       const SurveyModels& models,
                                                       const Clock& clock, SimulatorSettings base,
                                                       QString* error);

    // True when a port of the survey is "SIM".
    static bool wanted(const DeviceSettingsModel& device);

    SimulatorFeed& feed() { return *feed_; }
    const SimulatorSettings& settings() const { return settings_; }

  private:
    ConfiguredSimulator() = default;

    SimulatorSettings settings_;
    std::unique_ptr<GeodesyGridModel> grid_;
    std::unique_ptr<SimulatorFeed> feed_;
};

}  // namespace nivora::sim
