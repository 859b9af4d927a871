#pragma once

// Navigation settings: vessel symbol, canvas background, track colours,
// width and interval, the real-time update period and the shallow-water
// alert. The controls are the live values; the INI file keeps them between
// runs.

#include <QString>
#include <optional>
#include <vector>

#include "config/ini_table.h"
#include "core/colors.h"

namespace nivora {

class IniStore;

class NavigationSettings {
  public:
    // The timer never runs faster than the update field allows.
    static constexpr int kMinUpdatePeriodMs = 100;
    static constexpr int kEmptyUpdatePeriodMs = 1000;
    static constexpr int kTrackIntervalBudget = 10000;  // ms; TrackInterval = budget / period

    TColor vesselColor = colors::Navy;             // VesselColor
    QString vesselWidth = QStringLiteral("2");     // VesselWidth, 0 .. 15
    TColor backgroundColor = colors::White;        // fcadColor
    TColor colorTracklines1 = colors::Green;       // "track_fix"
    TColor colorTracklines0 = colors::Yellow;      // "track_float"
    QString trackWidth = QStringLiteral("2");      // 0 .. 15
    QString trackInterval = QStringLiteral("20");  // 0 .. 500
    QString updateRate = QStringLiteral("1000");   // eUpdateRate, ms, 100 .. 5000
    bool lineOrDot = false;                        // "Draw as Line"
    QString depthAlert = QStringLiteral("0.5");    // edDepthAlert1, m
    TColor gridColor = colors::Silver;             // "track_nofix"

    // Program start: every key. The update field shows what the file
    // holds; the track interval is not recomputed from it. A missing key
    // gives the window's designed value: its colours, a 500 ms period.
    void load(const IniStore& ini);
    // Closing: every key in table order.
    void save(IniStore& ini) const;
    static const std::vector<IniKey<NavigationSettings>>& keys();

    // The real-time timer's period for the update field: a period below
    // 100 ms runs at 100 ms. Nothing, with the
    // conversion error, when the field is not a number.
    std::optional<int> timerIntervalMs(QString* error = nullptr) const;
    // The update field changed: an empty text becomes "1000" and the track
    // interval follows (10000 / period, with the period the timer runs at).
    // Returns the timer period, or nothing with the conversion error.
    std::optional<int> updateRateChanged(const QString& text, QString* error = nullptr);

    // Empty-text guards of the number fields.
    void setTrackInterval(const QString& text);
    void setTrackWidth(const QString& text);
    void setVesselWidth(const QString& text);
    void setDepthAlert(const QString& text);
};

}  // namespace nivora
