#pragma once

// The navigation settings, latency and vessel geometry windows.

#include <QString>
#include <QWidget>

#include "config/config_host.h"
#include "config/latency_shape.h"
#include "config/navigation_settings.h"
#include "config/settings_changes.h"
#include "core/settings_file.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;

namespace nivora {

class ColorBox;
class TextSpinEdit;

// TNavset, "Navigation Settings".
class TNavset : public QWidget {
    Q_OBJECT

  public:
    // Shows the model; closing saves it to `settings`.
    TNavset(NavigationSettings& model, SettingsChanges& changes, ConfigHost& host,
            const SettingsFile& settings, QWidget* parent = nullptr);

    NavigationSettings& model() { return model_; }
    void syncFromModel();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    ColorBox* colourBox(const char* name, TColor NavigationSettings::*member);
    void updateRateEdited(const QString& text);
    void savePlacement();

    NavigationSettings& model_;
    SettingsChanges& changes_;
    ConfigHost& host_;
    SettingsFile settings_;

    ColorBox* VesselColor_ = nullptr;
    TextSpinEdit* VesselWidth_ = nullptr;
    ColorBox* fcadColor_ = nullptr;
    ColorBox* ColorTracklines1_ = nullptr;
    ColorBox* ColorTracklines0_ = nullptr;
    TextSpinEdit* TrackWidth_ = nullptr;
    TextSpinEdit* TrackInterval_ = nullptr;
    TextSpinEdit* eUpdateRate_ = nullptr;
    QCheckBox* cLineOrDot_ = nullptr;
    QLineEdit* edDepthAlert1_ = nullptr;
    ColorBox* GridColor_ = nullptr;
};

// TfLatency, "Latency".
class TfLatency : public QWidget {
    Q_OBJECT

  public:
    // Shows the model; a tolerance that is a number is saved to `settings`.
    TfLatency(LatencyModel& model, ConfigHost& host, const SettingsFile& settings,
              QWidget* parent = nullptr);

    LatencyModel& model() { return model_; }
    // One measured real-time cycle, ms (while the window is visible).
    void recordLatency(qint64 ms);
    // The receiver's UTC against the arrival stamps ("87 ms (spread 4 ms, ...)").
    void showReceiverOffset(const QString& text);
    QString receiverOffset() const;
    void syncFromModel();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void toleranceEdited(const QString& text);

    LatencyModel& model_;
    ConfigHost& host_;
    SettingsFile settings_;
    QGroupBox* group_ = nullptr;
    QLineEdit* eCurrentLatency_ = nullptr;
    QLineEdit* eLatencyAveraged_ = nullptr;
    QLineEdit* eLatencyTol_ = nullptr;
    QLineEdit* eReceiverOffset_ = nullptr;
};

// TFShape, "Vessel Geometry".
class TFShape : public QWidget {
    Q_OBJECT

  public:
    // Shows the model; "Save && Hide" saves it to `settings`.
    TFShape(VesselShapeModel& model, OperatorPrompts& prompts, const SettingsFile& settings,
            QWidget* parent = nullptr);

    VesselShapeModel& model() { return model_; }
    void DefaultClick();
    void SaveAndHideClick();
    void syncFromModel();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLineEdit* field(const char* name, QString VesselShapeModel::*member);

    VesselShapeModel& model_;
    OperatorPrompts& prompts_;
    SettingsFile settings_;
    QLineEdit* edAmount_ = nullptr;
    QLineEdit* edInterval_ = nullptr;
    QLineEdit* edRadious_ = nullptr;
    QLineEdit* edBArrow_ = nullptr;
    QLineEdit* edLArrow_ = nullptr;
};

}  // namespace nivora
