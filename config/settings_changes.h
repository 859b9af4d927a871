#pragma once

// What changes in the settings while the program runs, announced once where
// it changes. The windows edit the models and say so here; the survey, the
// chart (through the binder in app/) and the read-out windows follow. The
// models stay plain values; this is their one voice.

#include <QObject>

#include "core/colors.h"

namespace nivora {

class SettingsChanges : public QObject {
    Q_OBJECT

  signals:
    // The map display settings (DeviceSettingsModel::display()): the grid
    // and the depth and event labels.
    void displayChanged();
    // The chart background chosen in the navigation settings.
    void backgroundChanged(nivora::TColor colour);
    // The real-time update period, ms.
    void updatePeriodChanged(int ms);
    // The chosen echosounder family shows the low-frequency depth, or not.
    void depthDisplayChanged(bool lowFrequencyShown);
    // A navigation field the survey reads as a number (widths, track
    // interval, shallow-water alert).
    void navigationChanged();
    // The guidance settings (line changes, helmsman scale, autopilot output).
    void guidanceChanged();
    // The alarms, data age and timing settings (alarms and latencies apply
    // at the next start of real time; the sound and the stale age at once).
    void qualityChanged();
    // How the depths show on the chart: colours, grid, legend.
    void depthColoursChanged();
};

}  // namespace nivora
