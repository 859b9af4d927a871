#pragma once

// TFGPS, the "Settings" window: serial ports, echosounder message family,
// geodetic parameters, the I/O port monitor and the map's display settings.
// Its controls edit a DeviceSettingsModel; the main window and the survey
// read the model.

#include <QString>
#include <QWidget>
#include <string>

#include "config/config_host.h"
#include "config/device_settings.h"
#include "config/settings_changes.h"
#include "core/settings_file.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace nivora {

class ColorBox;

class TFGPS : public QWidget {
    Q_OBJECT

  public:
    // Shows the model as loaded at program start; `settings` is where a
    // lock click saves.
    TFGPS(DeviceSettingsModel& model, SettingsChanges& changes, ConfigHost& host,
          OperatorPrompts& prompts, const SettingsFile& settings, QWidget* parent = nullptr);

    DeviceSettingsModel& model() { return model_; }

    // "GPS Set" and "SBES Set": the tab's port settings into the reader.
    void GPSSetClick();
    void SBESSetClick();

    // A received line for the monitor (the decoders call it while the
    // window is visible and the monitor runs).
    void appendMonitorLine(PortRole role, const QString& line);
    // The GNSS monitor's colour: red after a GNSS timeout.
    void setGnssMonitorColour(TColor colour);
    // The RTK corrections' status under the GNSS monitor ("NTRIP off" while none run).
    void setCorrectionStatus(const QString& text);
    QString correctionStatus() const;

    // Shows the model's values in the controls.
    void syncFromModel();
    // Applies the chosen echosounder family's depth display again. The
    // pattern stays as the user set it: a family chosen again in the list
    // fills it, nothing else may.
    void reapplyFamilyDisplay();

    // The fields of a coordinate system chosen from the register ("From
    // EPSG..." opens the picker that calls this).
    void applyCrs(const geodesy::GeodeticParameters& filled);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void showCrsAndFlattening();
    struct PortControls {
        QComboBox* port;
        QComboBox* baudRate;
        QComboBox* dataWidth;
        QComboBox* stopBits;
        QComboBox* parity;
        QComboBox* priority;
        QComboBox* delay;
        QComboBox* nmeaLog;
        QComboBox* logTime;
        QComboBox* enableDtr;
        QComboBox* enableRts;
    };
    struct GeodeticEdit {
        QLineEdit* edit;
        std::string geodesy::GeodeticParameters::*field;
    };

    QWidget* buildPortTab(PortRole role);
    QWidget* buildGeodeticTab();
    QWidget* buildMonitorTab();
    QWidget* buildGlobalTab();
    QLineEdit* geodeticEdit(const char* name, std::string geodesy::GeodeticParameters::*field);
    QComboBox* choice(const QString& name, const QStringList& items, QString* bound);
    QLineEdit* textField(const char* name, QString* bound);
    void syncPort(const PortControls& c, const PortSettings& s);
    static void showPortKind(const PortControls& c);
    void syncLockState();

    void familyChosen(const QString& name);
    void lockClicked(bool ticked);
    void showGridClicked(bool ticked);
    void gridColourChosen(TColor colour);
    void autoScaleClicked(bool ticked);
    void applySettingsClicked();

    DeviceSettingsModel& model_;
    SettingsChanges& changes_;
    ConfigHost& host_;
    OperatorPrompts& prompts_;
    SettingsFile settings_;
    bool syncing_ = false;
    bool shownBefore_ = false;

    QTabWidget* tabs_ = nullptr;
    QWidget* tabPages_[5] = {};
    PortControls gpsControls_{};
    PortControls sensorControls_{};
    QCheckBox* GyroEnabled_ = nullptr;
    QCheckBox* SensorEnabled_ = nullptr;
    QComboBox* cSBESMessage_ = nullptr;
    QLineEdit* eSBESFormat_ = nullptr;
    std::vector<GeodeticEdit> geodeticEdits_;
    QLabel* lCrs_ = nullptr;         // the EPSG code the fields came from, or "typed"
    QLabel* lFlattening_ = nullptr;  // the flattening field read both ways
    QLineEdit* eLCCSP1_ = nullptr;
    QLineEdit* eLCCSP2_ = nullptr;
    QCheckBox* cbUseTMProjection_ = nullptr;
    QCheckBox* cbUseDTP_ = nullptr;
    QCheckBox* cbUseLCCProjection_ = nullptr;
    QCheckBox* cLambert1_ = nullptr;
    QCheckBox* LockStateCheck1_ = nullptr;
    QPlainTextEdit* MemoGPS_ = nullptr;
    QPlainTextEdit* MemoSensor_ = nullptr;
    QLabel* lCorrections_ = nullptr;
    MonitorLog gpsMonitor_;
    MonitorLog sensorMonitor_;
    QCheckBox* cbGridVisible_ = nullptr;
    QCheckBox* cbAutoGrid_ = nullptr;
    QLineEdit* edGridSpacingX_ = nullptr;
    QLineEdit* edGridSpacingY_ = nullptr;
    ColorBox* cbGridColor_ = nullptr;
    QCheckBox* cbShowDepthLabels_ = nullptr;
    QLineEdit* edDepthLabelSpacing_ = nullptr;
    QLineEdit* edDepthLabelFontName_ = nullptr;
    QLineEdit* edDepthLabelFontSize_ = nullptr;
    ColorBox* cbTextColor_ = nullptr;
    QLineEdit* edEventLabelFontSize_ = nullptr;
    ColorBox* cbEventLabelColor_ = nullptr;
};

}  // namespace nivora
