#pragma once

// The display settings on the chart: the grid (shown, spacing or
// automatic, colour) and the depth and event labels, applied at start and
// whenever the settings window announces a change.

#include <QObject>

namespace nivora {

class DeviceSettingsModel;
class SettingsChanges;
class TNivoraCanvas;

class CanvasSettingsBinder : public QObject {
    Q_OBJECT

  public:
    CanvasSettingsBinder(const DeviceSettingsModel& settings, SettingsChanges& changes,
                         TNivoraCanvas& canvas, QObject* parent = nullptr);

    void apply();

  private:
    const DeviceSettingsModel& settings_;
    TNivoraCanvas& canvas_;
};

}  // namespace nivora
