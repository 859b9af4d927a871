#pragma once

// TfCanvas, "Acoustic Waterfall": the scrolling history of echosounder
// depths. Each update draws the whole picture once into an off-screen
// image; a repaint only copies it, so an exposed window costs a blit.

#include <QImage>
#include <QWidget>
#include <functional>

#include "config/config_host.h"
#include "config/echogram_settings.h"
#include "core/colors.h"
#include "core/settings_file.h"
#include "echogram/echogram_history.h"

namespace nivora {

class TfCanvas : public QWidget {
    Q_OBJECT

  public:
    static constexpr const char* kSensorDisabledMessage =
        "Sensor is not enabled. Enable sensor in GPS settings to view echogram.";

    // `settings` is the run's model of section "ECHOGRAM"; `file` is where it
    // and the placement are stored when the window closes.
    TfCanvas(EchogramSettings& settings, const SettingsFile& file, OperatorPrompts& prompts,
             QWidget* parent = nullptr);

    // One update with a new depth in metres (the survey's echogram feed).
    void addDepth(double depth);

    // "Echogram...": shows the window only with the echosounder enabled.
    void EchogramClick(bool sensorEnabled);
    // "Acoustics Waterfall...": shows it in any case.
    void AcousticsWaterfallClick();

    // The navigation settings' background colour; the window takes it the
    // next time it is shown.
    void setBackgroundColour(TColor c);
    TColor windowColour() const { return windowColour_; }

    // Writes DataWidth and Interval and the placement (the close query);
    // false when the settings file could not be written, which is shown
    // (or, with a report set, reported without waiting for a click).
    bool FormCloseQuery();
    bool saveKeysAndPlacement(QString* error);
    // Where a failed write is reported instead of a message box: in the
    // program's close nothing may wait for a click.
    void setErrorReport(std::function<void(const QString&)> report) { report_ = std::move(report); }

    const EchogramHistory& history() const { return history_; }
    // The picture of the last update, as a repaint shows it.
    const QImage& picture() const { return picture_; }

  signals:
    // Shown or hidden (not minimised): the survey feeds only a visible window.
    void visibilityChanged(bool visible);
    // The redraw period in ms (Interval), announced on every show.
    void intervalChanged(int ms);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void render();
    void showWindow();

    EchogramSettings& settings_;
    SettingsFile file_;
    OperatorPrompts& prompts_;
    std::function<void(const QString&)> report_;
    EchogramHistory history_;
    QImage picture_;
    TColor windowColour_ = colors::White;
    TColor chosenColour_ = colors::White;
};

}  // namespace nivora
