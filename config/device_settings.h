#pragma once

// The device settings ("Settings" window): the two serial ports, the
// echosounder message family, the geodetic parameters, the lock and the map
// display settings. The model holds the controls' texts and states; the INI
// file is their persistent copy.

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "config/config_host.h"
#include "config/ini_table.h"
#include "core/colors.h"
#include "geodesy/geodetic_parameters.h"

namespace nivora {

class IniStore;
class SettingsFile;
class TNivoraSerialGPS;

// The port group of one tab, as the choice lists show it (typed texts kept as typed).
struct PortSettings {
    QString port;
    QString baudRate = QStringLiteral("9600");
    QString dataWidth = QStringLiteral("8");
    QString stopBits = QStringLiteral("1");
    QString parity = QStringLiteral("None");
    QString priority = QStringLiteral("Normal");
    QString delay = QStringLiteral("5");
    QString nmeaLog = QStringLiteral("False");
    QString logTime = QStringLiteral("False");
    QString enableDtr = QStringLiteral("True");
    QString enableRts = QStringLiteral("True");
};

// Choice lists of the port groups.
namespace port_choices {
QStringList ports();  // "COM1" ... "COM256"
QStringList baudRates();
QStringList dataWidths();
QStringList stopBits();
QStringList parities();
QStringList priorities();
QStringList delays();
QStringList trueFalse();
QStringList echosounderFamilies();
}  // namespace port_choices

// Copies a tab's port settings into a reader ("GPS Set" / "SBES Set"). A baud
// rate or delay that is not a number ends the copy there, as an error inside
// the action is swallowed; returns false then. A data width, stop-bit or
// priority text that is not in its list leaves that reader setting alone.
bool applyPortSettings(const PortSettings& settings, TNivoraSerialGPS& reader,
                       const QString& rawLogPath);

// Program-wide display settings, read by the main window and the canvas.
struct DisplaySettings {
    bool GridVisibleSetting = true;
    bool AutoGridSetting = false;
    double GridSpacingXSetting = 100.0;
    double GridSpacingYSetting = 100.0;
    TColor GridColorSetting = colors::Silver;
    bool ShowDepthLabelsSetting = true;
    double DepthLabelSpacingSetting = 10.0;
    QString DepthLabelFontName = QStringLiteral("Arial");
    int DepthLabelFontSize = 12;
    TColor DepthLabelColor = colors::Black;
    int EventLabelFontSize = 24;
    TColor EventLabelColor = colors::Red;
};

enum class SettingsTab { Gps, Sensor, Geodetic, Monitor, Global };

struct GridSpacingPair {
    double x = 0;
    double y = 0;
};

class DeviceSettingsModel {
  public:
    DeviceSettingsModel();

    // ---- Controls ----
    PortSettings gps;
    PortSettings sensor;
    bool sensorEnabled = true;
    QString sbesMessage = QStringLiteral("Nivora SMT");
    QString sbesFormat = QStringLiteral("%*8s,%lf");
    bool gyroEnabled = true;

    // Geodetic fields as typed (the four flags live in the check boxes below).
    geodesy::GeodeticParameters geodetic;
    // Every geodetic field and box from `p` (a system chosen from the register).
    void applyGeodetic(const geodesy::GeodeticParameters& p);
    QString geodeticText(std::string geodesy::GeodeticParameters::*field) const;
    void setGeodeticText(std::string geodesy::GeodeticParameters::*field, const QString& text);

    // The TM and Lambert "Use Projection" boxes exclude each other.
    bool useTmProjection() const { return !lambertSelected_; }
    void setUseTmProjection(bool ticked) { lambertSelected_ = !ticked; }
    bool useLambert() const { return lambertSelected_; }
    void setUseLambert(bool ticked) { lambertSelected_ = ticked; }
    bool useDtp = true;
    bool lambert1 = false;
    // "Use Lambert 1" disables Standard Parallel 1 and 2.
    bool standardParallelsEnabled() const { return !lambert1; }

    // Global Setting controls.
    bool gridVisible = true;
    bool autoGrid = false;
    QString gridSpacingX = QStringLiteral("100");
    QString gridSpacingY = QStringLiteral("100");
    TColor gridColor = colors::Silver;
    bool showDepthLabels = true;
    QString depthLabelSpacing = QStringLiteral("10");
    QString depthLabelFontName = QStringLiteral("Arial");
    QString depthLabelFontSize = QStringLiteral("12");
    TColor depthLabelColor = colors::Black;
    QString eventLabelFontSize = QStringLiteral("24");
    TColor eventLabelColor = colors::Red;
    bool gridSpacingEnabled() const { return !autoGrid; }

    // ---- Lock ----
    bool locked() const { return lockBox_; }
    // Sets the box as loading or showing finds it, with the tabs a lock
    // click leaves, but without saving anything.
    void restoreLock(bool ticked);
    bool tabEnabled(SettingsTab tab) const;

    // ---- Loading, showing, saving ----
    // Program start: every key in table order; then the display settings
    // are taken from the controls.
    void load(const IniStore& ini);
    // Showing: the lock from "Settings Locked (true/false)" as loaded, read
    // as a Boolean (default: the box); the Global Setting tab follows it.
    // The program never writes that key, so the loaded text is the file's.
    void onShow();
    // A lock box click: writes "Lock Settings" and, when ticked, every
    // other key; the tabs follow the box. The caller saves the store.
    void lockClicked(bool ticked, IniStore& ini);
    // The whole click with the store opened and saved: a settings file that
    // cannot be written is reported and the box is left clear (nothing was
    // locked in); a saved lock appends the settings report.
    void saveAndLock(bool ticked, const SettingsFile& settings, ConfigHost& host,
                     OperatorPrompts& prompts);

    // Texts of the settings report, one events-log entry each.
    QStringList settingsReport() const;

    // ---- Echosounder family ----
    // Fills the pattern with the family's; returns whether the real-time
    // window shows the low-frequency depth ("OTHER": empty pattern, no change).
    std::optional<bool> chooseFamily(const QString& name);
    // Whether the real-time window shows the low-frequency depth for the
    // chosen family, the pattern left as the user set it (nothing for
    // "OTHER" or an unknown family: no change).
    std::optional<bool> familyDepthDisplay() const;

    // ---- Display settings ----
    const DisplaySettings& display() const { return display_; }
    // Copies every Global Setting control ("Apply Settings", loading).
    void applyDisplayControls();
    // Immediate controls: each sets its display setting too.
    void setShowGrid(bool ticked);
    void setGridColour(TColor colour);
    // Returns the spacing for the canvas: (0, 0) when ticked, else the fields (non-numbers 100).
    GridSpacingPair setAutoScale(bool ticked);
    void setShowDepthLabelsBox(bool ticked);
    void setEventLabelFontSizeText(const QString& text);
    void setEventLabelColour(TColor colour);
    // The canvas spacing from the display settings: (0, 0) when automatic.
    GridSpacingPair canvasGridSpacing() const;

    // The geodetic parameters as the real-time cycle takes them (flags "1"/"0").
    geodesy::GeodeticParameters geodeticParameters() const;

    static const char* const kApplyMessage;

  private:
    QString settingsLockedText() const { return {}; }
    void applySettingsLockedText(const QString& text);
    void setAllSettingsTabs(bool enabled);
    void loadGeodetic(const IniStore& ini);
    void saveGeodetic(IniStore& ini) const;

    static const std::vector<IniKey<DeviceSettingsModel>>& deviceKeys();
    static const std::vector<IniKey<DeviceSettingsModel>>& lockKeys();
    static const std::vector<IniKey<DeviceSettingsModel>>& displayKeys();

    bool lambertSelected_ = false;
    bool lockBox_ = false;
    // "Settings Locked (true/false)" as a number, when it holds one.
    std::optional<bool> settingsLockedNumber_;
    bool tabs_[5] = {true, true, true, true, true};
    DisplaySettings display_;
};

// The I/O monitor's memo: emptied when it would hold more than 100 lines.
class MonitorLog {
  public:
    static constexpr int kMaxLines = 100;
    // Returns true when the memo was emptied by this line.
    bool append(const QString& line);
    void clear() { lines_ = 0; }
    int lineCount() const { return lines_; }

  private:
    int lines_ = 0;
};

}  // namespace nivora
