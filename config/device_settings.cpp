#include "config/device_settings.h"

#include "core/ini_store.h"
#include "core/number_text.h"
#include "core/settings_file.h"
#include "sensors/echosounder.h"
#include "sensors/port_names.h"
#include "sensors/serial_gps.h"

namespace nivora {
namespace {

using Geo = geodesy::GeodeticParameters;
using Model = DeviceSettingsModel;
using Key = IniKey<Model>;

constexpr const char* kGps = "GPS1 COMUNICATION SETTINGS";
constexpr const char* kSensor = "SENSOR COMUNICATION SETTINGS";

QStringList numbers(std::initializer_list<int> values) {
    QStringList out;
    for (int v : values)
        out << QString::number(v);
    return out;
}

// The eleven keys of a port group; the two groups differ only in section.
const std::vector<IniKey<PortSettings>>& portKeys() {
    using P = PortSettings;
    static const std::vector<IniKey<P>> keys = {
        {nullptr, "Port No", IniKind::Text, &P::port, ""},
        {nullptr, "Baud Rate", IniKind::Text, &P::baudRate, ""},
        {nullptr, "Data Width", IniKind::Text, &P::dataWidth, ""},
        {nullptr, "Stop Bits", IniKind::Text, &P::stopBits, ""},
        {nullptr, "Parity", IniKind::Text, &P::parity, ""},
        {nullptr, "Priority", IniKind::Text, &P::priority, ""},
        {nullptr, "Delay", IniKind::Text, &P::delay, ""},
        {nullptr, "NMEA LOG", IniKind::Text, &P::nmeaLog, ""},
        {nullptr, "Log Time", IniKind::Text, &P::logTime, ""},
        {nullptr, "Enable DTR", IniKind::Text, &P::enableDtr, ""},
        {nullptr, "Enable RTS", IniKind::Text, &P::enableRts, ""},
    };
    return keys;
}

bool isFlag(std::string Geo::*field) {
    return field == &Geo::useTmProjection || field == &Geo::useDtp || field == &Geo::useLambert ||
           field == &Geo::useLambert1;
}

bool isTrue(const QString& text) {
    return text.trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

QString yesNo(bool v) {
    return v ? QStringLiteral("Yes") : QStringLiteral("No");
}

double numberOr(const QString& text, double fallback) {
    return toNumber(text).value_or(fallback);
}
int integerOr(const QString& text, int fallback) {
    return toInteger(text).value_or(fallback);
}

}  // namespace

namespace port_choices {

QStringList ports() {
    QStringList out;
    for (int i = 1; i <= 256; ++i)
        out << QStringLiteral("COM") + QString::number(i);
    return out;
}
QStringList baudRates() {
    return numbers({110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600,
                    115200, 128000, 256000});
}
QStringList dataWidths() {
    return numbers({5, 6, 7, 8});
}
QStringList stopBits() {
    return {QStringLiteral("1"), QStringLiteral("1.5"), QStringLiteral("2")};
}
QStringList parities() {
    return {QStringLiteral("Even"), QStringLiteral("Mark"), QStringLiteral("None"),
            QStringLiteral("Odd"), QStringLiteral("Space")};
}
QStringList priorities() {
    return {QStringLiteral("Higher"),      QStringLiteral("Highest"), QStringLiteral("Idle"),
            QStringLiteral("Lower"),       QStringLiteral("Lowest"),  QStringLiteral("Normal"),
            QStringLiteral("TimeCritical")};
}
QStringList delays() {
    return numbers({1,   5,   10,   100,  200,  300,  400,   500,   600,   700,
                    800, 900, 1000, 2000, 3000, 5000, 10000, 20000, 50000, 100000});
}
QStringList trueFalse() {
    return {QStringLiteral("True"), QStringLiteral("False")};
}
QStringList echosounderFamilies() {
    QStringList out;
    for (const auto& f : nivora::echosounderFamilies())
        out << QString::fromLatin1(f.name);
    return out;
}

}  // namespace port_choices

bool applyPortSettings(const PortSettings& s, TNivoraSerialGPS& reader, const QString& rawLogPath) {
    const PortSelection port = selectPort(s.port);
    if (port.kind == PortSelection::Kind::ComNumber) {
        reader.Port = port.number;
        reader.DevicePath.clear();
    } else {
        reader.DevicePath = port.path;
    }

    const auto baud = toInteger(s.baudRate);
    if (!baud) return false;
    reader.BaudRate = ValidBaudRate(static_cast<quint32>(*baud));

    const qsizetype width = port_choices::dataWidths().indexOf(s.dataWidth.trimmed());
    if (width >= 0) reader.DataBits = static_cast<qint32>(width + 1);
    const qsizetype stop = port_choices::stopBits().indexOf(s.stopBits.trimmed());
    if (stop >= 0) reader.StopBits = static_cast<quint32>(stop + 1);
    reader.Parity = 0;
    const qsizetype priority = port_choices::priorities().indexOf(s.priority.trimmed());
    if (priority >= 0) reader.Priority = static_cast<quint8>(priority + 1);

    const auto delay = toInteger(s.delay);
    if (!delay) return false;
    // A negative delay would wrap to an interval of weeks; below 1 means the default.
    reader.PollInterval = *delay < 1 ? 0u : static_cast<quint32>(*delay);

    reader.LogEnabled = isTrue(s.nmeaLog);
    reader.LogTimeStamp = isTrue(s.logTime);
    reader.EnableDTR = isTrue(s.enableDtr);
    reader.EnableRTS = isTrue(s.enableRts);
    reader.LogFileName = rawLogPath;
    return true;
}

// ---- Model ----

const char* const DeviceSettingsModel::kApplyMessage =
    "Settings applied! Use 'Save and Lock Settings' to save to INI.";

// The geodetic fields start with the window's own texts, which a missing key
// leaves in place.
DeviceSettingsModel::DeviceSettingsModel() : geodetic(geodesy::defaultGeodeticParameters()) {}

const std::vector<Key>& DeviceSettingsModel::deviceKeys() {
    static const std::vector<Key> keys = {
        {kSensor, "Sensor Enabled", IniKind::Boolean, &Model::sensorEnabled, "1"},
        {kSensor, "cSBESMessage", IniKind::Text, &Model::sbesMessage, "Nivora SMT"},
        {kSensor, "eSBESFormat", IniKind::Text, &Model::sbesFormat, "%*8s,%lf"},
        {"GYRO", "Gyro Enabled", IniKind::Boolean, &Model::gyroEnabled, "1"},
    };
    return keys;
}

const std::vector<Key>& DeviceSettingsModel::lockKeys() {
    static const std::vector<Key> keys = {
        {"LOCK SETTINGS", "Lock Settings", IniKind::Boolean,
         Key::BoolAccess{&Model::locked, &Model::restoreLock}, "0"},
        {"LOCK SETTINGS", "Settings Locked (true/false)", IniKind::Text,
         Key::TextAccess{&Model::settingsLockedText, &Model::applySettingsLockedText}, nullptr,
         false},
    };
    return keys;
}

const std::vector<Key>& DeviceSettingsModel::displayKeys() {
    static const std::vector<Key> keys = {
        {"GRID_SETTINGS", "GridVisible", IniKind::Boolean, &Model::gridVisible, "1"},
        {"GRID_SETTINGS", "AutoGrid", IniKind::Boolean, &Model::autoGrid, "0"},
        {"GRID_SETTINGS", "GridSpacingX", IniKind::Text, &Model::gridSpacingX, "100"},
        {"GRID_SETTINGS", "GridSpacingY", IniKind::Text, &Model::gridSpacingY, "100"},
        {"GRID_SETTINGS", "GridColor", IniKind::Colour, &Model::gridColor, "12632256"},
        {"DEPTH_LABEL_SETTINGS", "ShowDepthLabels", IniKind::Boolean, &Model::showDepthLabels, "1"},
        {"DEPTH_LABEL_SETTINGS", "LabelSpacing", IniKind::Text, &Model::depthLabelSpacing, "10"},
        {"DEPTH_LABEL_SETTINGS", "FontName", IniKind::Text, &Model::depthLabelFontName, "Arial"},
        {"DEPTH_LABEL_SETTINGS", "FontSize", IniKind::Text, &Model::depthLabelFontSize, "12"},
        {"DEPTH_LABEL_SETTINGS", "TextColor", IniKind::Colour, &Model::depthLabelColor, "0"},
        {"EVENT_LABEL_SETTINGS", "FontSize", IniKind::Text, &Model::eventLabelFontSize, "24"},
        {"EVENT_LABEL_SETTINGS", "TextColor", IniKind::Colour, &Model::eventLabelColor, "255"},
    };
    return keys;
}

QString DeviceSettingsModel::geodeticText(std::string Geo::*field) const {
    return QString::fromStdString(geodetic.*field);
}

void DeviceSettingsModel::setGeodeticText(std::string Geo::*field, const QString& text) {
    geodetic.*field = text.toStdString();
}

void DeviceSettingsModel::loadGeodetic(const IniStore& ini) {
    for (const geodesy::GeodeticKey& k : geodesy::kGeodeticKeys) {
        const QString section =
            QString::fromLatin1(k.section.data(), static_cast<qsizetype>(k.section.size()));
        const QString key = QString::fromLatin1(k.key.data(), static_cast<qsizetype>(k.key.size()));
        // A missing key leaves the field or box as it is.
        if (!ini.hasKey(section, key)) continue;
        const QString stored = ini.readString(section, key);
        if (!isFlag(k.field)) {
            geodetic.*k.field = stored.toStdString();
            continue;
        }
        const auto v = toInteger(stored);
        if (!v) continue;
        const bool ticked = *v != 0;
        if (k.field == &Geo::useTmProjection) setUseTmProjection(ticked);
        if (k.field == &Geo::useDtp) useDtp = ticked;
        if (k.field == &Geo::useLambert) setUseLambert(ticked);
        if (k.field == &Geo::useLambert1) lambert1 = ticked;
    }
}

void DeviceSettingsModel::applyGeodetic(const Geo& p) {
    for (const geodesy::GeodeticKey& k : geodesy::kGeodeticKeys) {
        if (!isFlag(k.field)) geodetic.*k.field = p.*k.field;
    }
    setUseTmProjection(p.tmSelected());
    setUseLambert(p.lambertSelected());
    lambert1 = p.lambert1Selected();
    useDtp = p.dtpSelected();
}

void DeviceSettingsModel::saveGeodetic(IniStore& ini) const {
    const Geo p = geodeticParameters();
    for (const geodesy::GeodeticKey& k : geodesy::kGeodeticKeys) {
        ini.writeString(
            QString::fromLatin1(k.section.data(), static_cast<qsizetype>(k.section.size())),
            QString::fromLatin1(k.key.data(), static_cast<qsizetype>(k.key.size())),
            QString::fromStdString(p.*k.field));
    }
}

geodesy::GeodeticParameters DeviceSettingsModel::geodeticParameters() const {
    Geo p = geodetic;
    const auto flag = [](bool v) { return std::string(v ? "1" : "0"); };
    p.useTmProjection = flag(useTmProjection());
    p.useDtp = flag(useDtp);
    p.useLambert = flag(useLambert());
    p.useLambert1 = flag(lambert1);
    return p;
}

void DeviceSettingsModel::load(const IniStore& ini) {
    loadIniKeys(ini, portKeys(), gps, QString::fromLatin1(kGps));
    loadIniKeys(ini, portKeys(), sensor, QString::fromLatin1(kSensor));
    loadIniKeys(ini, deviceKeys(), *this);
    loadGeodetic(ini);
    settingsLockedNumber_.reset();
    loadIniKeys(ini, lockKeys(), *this);
    loadIniKeys(ini, displayKeys(), *this);
    applyDisplayControls();
}

void DeviceSettingsModel::onShow() {
    const bool lock = settingsLockedNumber_.value_or(lockBox_);
    if (lock != lockBox_) restoreLock(lock);
    tabs_[static_cast<int>(SettingsTab::Global)] = !lock;
}

void DeviceSettingsModel::restoreLock(bool ticked) {
    lockBox_ = ticked;
    setAllSettingsTabs(!ticked);
}

void DeviceSettingsModel::applySettingsLockedText(const QString& text) {
    if (text == QLatin1String("true")) setAllSettingsTabs(false);
    if (text == QLatin1String("false")) setAllSettingsTabs(true);
    // Showing reads the same text as a number.
    if (const auto v = toInteger(text)) settingsLockedNumber_ = *v != 0;
}

void DeviceSettingsModel::setAllSettingsTabs(bool enabled) {
    for (SettingsTab t :
         {SettingsTab::Gps, SettingsTab::Sensor, SettingsTab::Geodetic, SettingsTab::Global}) {
        tabs_[static_cast<int>(t)] = enabled;
    }
}

bool DeviceSettingsModel::tabEnabled(SettingsTab tab) const {
    return tabs_[static_cast<int>(tab)];
}

void DeviceSettingsModel::lockClicked(bool ticked, IniStore& ini) {
    lockBox_ = ticked;
    saveIniKey(ini, lockKeys().front(), *this);
    if (ticked) {
        saveIniKeys(ini, portKeys(), gps, QString::fromLatin1(kGps));
        saveIniKeys(ini, portKeys(), sensor, QString::fromLatin1(kSensor));
        saveIniKeys(ini, deviceKeys(), *this);
        saveGeodetic(ini);
        saveIniKeys(ini, displayKeys(), *this);
    }
    setAllSettingsTabs(!ticked);
}

void DeviceSettingsModel::saveAndLock(bool ticked, const SettingsFile& settings, ConfigHost& host,
                                      OperatorPrompts& prompts) {
    QString error;
    if (!settings.update([this, ticked](IniStore& ini) { lockClicked(ticked, ini); }, &error)) {
        prompts.showError(error);
        restoreLock(false);
        return;
    }
    if (ticked) host.appendSettingsReport(settingsReport());
}

QStringList DeviceSettingsModel::settingsReport() const {
    const auto t = [this](std::string Geo::*f) { return geodeticText(f); };
    return {
        QStringLiteral("=== SETTINGS SAVED ==="),
        QStringLiteral("GPS: Port=") + gps.port + QStringLiteral(", Baud=") + gps.baudRate,
        QStringLiteral("Sensor: Port=") + sensor.port + QStringLiteral(", Baud=") +
            sensor.baudRate + QStringLiteral(", Enabled=") + yesNo(sensorEnabled),
        QStringLiteral("Datum: ") + t(&Geo::datumName) + QStringLiteral(", DTP=") + yesNo(useDtp),
        QStringLiteral("TM: CM=") + t(&Geo::centralMeridian) + QStringLiteral(", RefLat=") +
            t(&Geo::referenceLatitude) + QStringLiteral(", SF=") + t(&Geo::scaleFactor) +
            QStringLiteral(", FE=") + t(&Geo::falseEasting) + QStringLiteral(", FN=") +
            t(&Geo::falseNorthing),
        QStringLiteral("LCC: ") +
            (useLambert() ? QStringLiteral("Enabled") : QStringLiteral("Disabled")) +
            QStringLiteral(", SP1=") + t(&Geo::lccStandardParallel1) + QStringLiteral(", SP2=") +
            t(&Geo::lccStandardParallel2),
        QStringLiteral("======================"),
    };
}

std::optional<bool> DeviceSettingsModel::chooseFamily(const QString& name) {
    const EchosounderFamily* f = findEchosounderFamily(name);
    if (!f) return std::nullopt;
    sbesMessage = name;
    sbesFormat = QString::fromLatin1(f->defaultPattern);
    if (f->keys[0] == nullptr) return std::nullopt;  // "OTHER": the user types the pattern
    return f->lowFrequencyShown;
}

std::optional<bool> DeviceSettingsModel::familyDepthDisplay() const {
    const EchosounderFamily* f = findEchosounderFamily(sbesMessage);
    if (!f || f->keys[0] == nullptr) return std::nullopt;
    return f->lowFrequencyShown;
}

void DeviceSettingsModel::applyDisplayControls() {
    display_.GridVisibleSetting = gridVisible;
    display_.AutoGridSetting = autoGrid;
    display_.GridSpacingXSetting = numberOr(gridSpacingX, 100.0);
    display_.GridSpacingYSetting = numberOr(gridSpacingY, 100.0);
    display_.GridColorSetting = gridColor;
    display_.ShowDepthLabelsSetting = showDepthLabels;
    display_.DepthLabelSpacingSetting = numberOr(depthLabelSpacing, 10.0);
    display_.DepthLabelFontName = depthLabelFontName;
    display_.DepthLabelFontSize = integerOr(depthLabelFontSize, 12);
    display_.DepthLabelColor = depthLabelColor;
    display_.EventLabelFontSize = integerOr(eventLabelFontSize, 24);
    display_.EventLabelColor = eventLabelColor;
}

void DeviceSettingsModel::setShowGrid(bool ticked) {
    gridVisible = ticked;
    display_.GridVisibleSetting = ticked;
}

void DeviceSettingsModel::setGridColour(TColor colour) {
    gridColor = colour;
    display_.GridColorSetting = colour;
}

GridSpacingPair DeviceSettingsModel::setAutoScale(bool ticked) {
    autoGrid = ticked;
    display_.AutoGridSetting = ticked;
    if (ticked) return {0.0, 0.0};
    // The spacing typed is the chart's from here on.
    display_.GridSpacingXSetting = numberOr(gridSpacingX, 100.0);
    display_.GridSpacingYSetting = numberOr(gridSpacingY, 100.0);
    return {display_.GridSpacingXSetting, display_.GridSpacingYSetting};
}

void DeviceSettingsModel::setShowDepthLabelsBox(bool ticked) {
    showDepthLabels = ticked;
    display_.ShowDepthLabelsSetting = ticked;
}

void DeviceSettingsModel::setEventLabelFontSizeText(const QString& text) {
    eventLabelFontSize = text;
    display_.EventLabelFontSize = integerOr(text, 24);
}

void DeviceSettingsModel::setEventLabelColour(TColor colour) {
    eventLabelColor = colour;
    display_.EventLabelColor = colour;
}

GridSpacingPair DeviceSettingsModel::canvasGridSpacing() const {
    if (display_.AutoGridSetting) return {0.0, 0.0};
    return {display_.GridSpacingXSetting, display_.GridSpacingYSetting};
}

bool MonitorLog::append(const QString&) {
    if (++lines_ > kMaxLines) {
        lines_ = 0;
        return true;
    }
    return false;
}

}  // namespace nivora
