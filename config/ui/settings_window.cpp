#include "config/ui/settings_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "config/ui/config_widgets.h"
#include "config/ui/crs_picker.h"
#include "sensors/network_source.h"

namespace nivora {
namespace {

using Geo = geodesy::GeodeticParameters;

QCheckBox* checkBox(const char* name, const QString& caption, QWidget* parent) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(QLatin1String(name));
    return c;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

QGroupBox* group(const QString& title, QWidget* parent) {
    return new QGroupBox(title, parent);
}

}  // namespace

TFGPS::TFGPS(DeviceSettingsModel& model, SettingsChanges& changes, ConfigHost& host,
             OperatorPrompts& prompts, const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      model_(model),
      changes_(changes),
      host_(host),
      prompts_(prompts),
      settings_(settings) {
    setObjectName(QStringLiteral("TFGPS"));
    setWindowTitle(QStringLiteral("Settings"));

    tabs_ = new QTabWidget(this);
    tabs_->setUsesScrollButtons(false);  // every tab caption in view
    tabPages_[static_cast<int>(SettingsTab::Gps)] = buildPortTab(PortRole::Gnss);
    tabPages_[static_cast<int>(SettingsTab::Sensor)] = buildPortTab(PortRole::Sounder);
    tabPages_[static_cast<int>(SettingsTab::Geodetic)] = buildGeodeticTab();
    tabPages_[static_cast<int>(SettingsTab::Monitor)] = buildMonitorTab();
    tabPages_[static_cast<int>(SettingsTab::Global)] = buildGlobalTab();
    tabs_->addTab(tabPages_[0], QStringLiteral("GPS Settings"));
    tabs_->addTab(tabPages_[1], QStringLiteral("Sensor (SBES) Settings"));
    tabs_->addTab(tabPages_[2], QStringLiteral("Godetic Parameters"));
    tabs_->addTab(tabPages_[3], QStringLiteral("I/O Port Monitor"));
    tabs_->addTab(tabPages_[4], QStringLiteral("Global Setting"));

    // The lock box sits below the tabs: inside a tab it would be disabled
    // together with that tab, and a locked window could never be unlocked.
    LockStateCheck1_ = checkBox("LockStateCheck1", QStringLiteral("Save and lock settings"), this);
    connect(LockStateCheck1_, &QCheckBox::clicked, this, &TFGPS::lockClicked);
    auto* close = button("bClose", QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LockStateCheck1_);
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    syncFromModel();
}

// ---- Building ----

QComboBox* TFGPS::choice(const QString& name, const QStringList& items, QString* bound) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    c->setMaxVisibleItems(16);
    connect(c, &QComboBox::currentTextChanged, this, [this, bound](const QString& t) {
        if (!syncing_) *bound = t;
    });
    return c;
}

QLineEdit* TFGPS::textField(const char* name, QString* bound) {
    QLineEdit* e = namedLineEdit(name, this);
    connect(e, &QLineEdit::textEdited, this, [bound](const QString& t) { *bound = t; });
    return e;
}

QWidget* TFGPS::buildPortTab(PortRole role) {
    const bool gnss = role == PortRole::Gnss;
    PortSettings& s = gnss ? model_.gps : model_.sensor;
    PortControls& c = gnss ? gpsControls_ : sensorControls_;
    // The echosounder's controls carry an "S" before the same names.
    const auto n = [gnss](const char* name) {
        return gnss ? QString::fromLatin1(name) : QString(QLatin1Char('S') + QLatin1String(name));
    };

    auto* page = new QWidget(this);
    c.port = choice(n("Port"), port_choices::ports(), &s.port);
    // The network forms head the list, to be edited into the boat's own addresses.
    const QStringList network = {
        QStringLiteral("tcp://192.168.1.10:5017"), QStringLiteral("tcp-listen://:10110"),
        QStringLiteral("udp://:10110"), QStringLiteral("udp://239.192.0.1:10110"),
        QStringLiteral("gpsd://localhost:2947")};
    c.port->insertItems(0, network);
    c.port->insertSeparator(static_cast<int>(network.size()));
    c.port->setToolTip(QStringLiteral(
        "A serial port (COM3, /dev/ttyUSB0), SIM, or a network source: tcp://HOST:PORT, "
        "tcp-listen://:PORT, udp://:PORT, udp://GROUP:PORT, gpsd://HOST[:PORT]"));
    c.baudRate = choice(n("BaudRate"), port_choices::baudRates(), &s.baudRate);
    c.dataWidth = choice(n("DataWidth"), port_choices::dataWidths(), &s.dataWidth);
    c.stopBits = choice(n("StopBits"), port_choices::stopBits(), &s.stopBits);
    c.parity = choice(n("Parity"), port_choices::parities(), &s.parity);
    c.priority = choice(n("Priority"), port_choices::priorities(), &s.priority);
    c.delay = choice(n("Delay"), port_choices::delays(), &s.delay);
    c.nmeaLog = choice(n("NMEALog"), port_choices::trueFalse(), &s.nmeaLog);
    c.logTime = choice(n("LogTime"), port_choices::trueFalse(), &s.logTime);
    c.enableDtr = choice(n("EnableDTR"), port_choices::trueFalse(), &s.enableDtr);
    c.enableRts = choice(n("EnableRTS"), port_choices::trueFalse(), &s.enableRts);

    connect(c.port, &QComboBox::currentTextChanged, this, [&c] { showPortKind(c); });

    auto* portGroup = group(
        gnss ? QStringLiteral("GPS Port Settings") : QStringLiteral("SBES Port Settings"), page);
    auto* portForm = new QFormLayout(portGroup);
    portForm->addRow(QStringLiteral("Port No"), c.port);
    portForm->addRow(QStringLiteral("Baud Rate"), c.baudRate);
    portForm->addRow(QStringLiteral("Data Width"), c.dataWidth);
    portForm->addRow(QStringLiteral("Stop Bits"), c.stopBits);
    portForm->addRow(QStringLiteral("Parity"), c.parity);

    auto* optionGroup = group(QStringLiteral("Optional Settings"), page);
    auto* optionForm = new QFormLayout(optionGroup);
    optionForm->addRow(QStringLiteral("Priority"), c.priority);
    optionForm->addRow(QStringLiteral("Delay"), c.delay);
    optionForm->addRow(QStringLiteral("NMEA Log"), c.nmeaLog);
    optionForm->addRow(QStringLiteral("Log Time"), c.logTime);
    optionForm->addRow(QStringLiteral("Enable DTR"), c.enableDtr);
    optionForm->addRow(QStringLiteral("Enable RTS"), c.enableRts);

    auto* grid = new QGridLayout(page);
    grid->addWidget(portGroup, 0, 0);
    grid->addWidget(optionGroup, 0, 1);

    if (gnss) {
        GyroEnabled_ = checkBox("GyroEnabled", QStringLiteral("Enable Gyro"), page);
        connect(GyroEnabled_, &QCheckBox::toggled, this, [this](bool v) {
            if (!syncing_) model_.gyroEnabled = v;
        });
        auto* set = button("bGPSSet", QStringLiteral("GPS Set"), page);
        connect(set, &QPushButton::clicked, this, &TFGPS::GPSSetClick);
        grid->setRowStretch(1, 1);
        grid->addWidget(GyroEnabled_, 2, 0);
        grid->addWidget(set, 2, 1, Qt::AlignRight);
        return page;
    }

    SensorEnabled_ = checkBox("SensorEnabled", QStringLiteral("Sensor Enabled"), page);
    connect(SensorEnabled_, &QCheckBox::toggled, this, [this](bool v) {
        if (!syncing_) model_.sensorEnabled = v;
    });
    cSBESMessage_ = choice(QStringLiteral("cSBESMessage"), port_choices::echosounderFamilies(),
                           &model_.sbesMessage);
    connect(cSBESMessage_, &QComboBox::activated, this,
            [this](int index) { familyChosen(cSBESMessage_->itemText(index)); });
    eSBESFormat_ = textField("eSBESFormat", &model_.sbesFormat);
    auto* messageGroup = group(QStringLiteral("SBESMessage"), page);
    auto* messageForm = new QFormLayout(messageGroup);
    messageForm->addRow(QStringLiteral("Message"), cSBESMessage_);
    messageForm->addRow(QStringLiteral("Format"), eSBESFormat_);
    auto* set = button("bSBESSet", QStringLiteral("SBES Set"), page);
    connect(set, &QPushButton::clicked, this, &TFGPS::SBESSetClick);
    grid->addWidget(SensorEnabled_, 1, 0);
    grid->addWidget(messageGroup, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    grid->addWidget(set, 4, 1, Qt::AlignRight);
    return page;
}

QLineEdit* TFGPS::geodeticEdit(const char* name, std::string Geo::*field) {
    QLineEdit* e = namedLineEdit(name, this);
    connect(e, &QLineEdit::textEdited, this, [this, field](const QString& t) {
        model_.setGeodeticText(field, t);
        // Typed by hand: the fields are no longer the register's.
        if (field != &Geo::datumName) {
            model_.geodetic.epsgCode.clear();
            model_.geodetic.epsgTransformation.clear();
        }
        showCrsAndFlattening();
    });
    geodeticEdits_.push_back({e, field});
    return e;
}

QWidget* TFGPS::buildGeodeticTab() {
    auto* page = new QWidget(this);

    auto* tm = group(QStringLiteral("TM Parameters"), page);
    auto* tmForm = new QFormLayout(tm);
    tmForm->addRow(QStringLiteral("Central Meridian"), geodeticEdit("edCM", &Geo::centralMeridian));
    tmForm->addRow(QStringLiteral("Reference Latitude"),
                   geodeticEdit("edRL", &Geo::referenceLatitude));
    tmForm->addRow(QStringLiteral("Scale Factor"), geodeticEdit("edSF", &Geo::scaleFactor));
    tmForm->addRow(QStringLiteral("False Easting"), geodeticEdit("edFE", &Geo::falseEasting));
    tmForm->addRow(QStringLiteral("False Northing"), geodeticEdit("edFN", &Geo::falseNorthing));
    cbUseTMProjection_ = checkBox("cbUseTMProjection", QStringLiteral("Use Projection"), tm);
    tmForm->addRow(cbUseTMProjection_);

    auto* datum = group(QStringLiteral("Datum"), page);
    auto* ellipsoid = group(QStringLiteral("Ellipsoid"), datum);
    auto* ellipsoidForm = new QFormLayout(ellipsoid);
    ellipsoidForm->addRow(QStringLiteral("Semi Major Axis"),
                          geodeticEdit("edSMA", &Geo::semiMajorAxis));
    ellipsoidForm->addRow(QStringLiteral("Flattening"), geodeticEdit("edIF", &Geo::flattening));
    lFlattening_ = new QLabel(ellipsoid);
    lFlattening_->setObjectName(QStringLiteral("lFlattening"));
    ellipsoidForm->addRow(QString(), lFlattening_);
    auto* helmert = group(QStringLiteral("Transformation Parameters from WGS-84"), datum);
    auto* helmertForm = new QFormLayout(helmert);
    helmertForm->addRow(QStringLiteral("X Rotation (\")"), geodeticEdit("edRX", &Geo::rotationX));
    helmertForm->addRow(QStringLiteral("Y Rotation (\")"), geodeticEdit("edRY", &Geo::rotationY));
    helmertForm->addRow(QStringLiteral("Z Rotation (\")"), geodeticEdit("edRZ", &Geo::rotationZ));
    helmertForm->addRow(QStringLiteral("X Shift (m)"), geodeticEdit("edSX", &Geo::shiftX));
    helmertForm->addRow(QStringLiteral("Y Shift (m)"), geodeticEdit("edSY", &Geo::shiftY));
    helmertForm->addRow(QStringLiteral("Z Shift (m)"), geodeticEdit("edSZ", &Geo::shiftZ));
    helmertForm->addRow(QStringLiteral("Scale Factor (ppm)"),
                        geodeticEdit("edPPM", &Geo::scalePpm));
    cbUseDTP_ = checkBox("cbUseDTP", QStringLiteral("Use DTP"), datum);
    auto* datumName = geodeticEdit("edNameOfDatum", &Geo::datumName);
    auto* datumLayout = new QGridLayout(datum);
    lCrs_ = new QLabel(datum);
    lCrs_->setObjectName(QStringLiteral("lCrs"));
    lCrs_->setWordWrap(true);
    auto* fromEpsg = new QPushButton(QStringLiteral("From EPSG..."), datum);
    fromEpsg->setObjectName(QStringLiteral("bFromEpsg"));
    connect(fromEpsg, &QPushButton::clicked, this, [this] {
        CrsPicker picker(model_.geodeticParameters(), this);
        if (picker.exec() == QDialog::Accepted && picker.chosen())
            applyCrs(picker.chosen()->parameters);
    });
    auto* crsRow = new QHBoxLayout;
    crsRow->addWidget(lCrs_, 1);
    crsRow->addWidget(fromEpsg);
    datumLayout->addLayout(crsRow, 3, 0);
    datumLayout->addWidget(ellipsoid, 0, 0);
    datumLayout->addWidget(helmert, 1, 0);
    auto* nameRow = new QFormLayout;
    nameRow->addRow(cbUseDTP_);
    nameRow->addRow(QStringLiteral("Name of Datum"), datumName);
    datumLayout->addLayout(nameRow, 2, 0);

    auto* lcc = group(QStringLiteral("LCC Parameters"), page);
    auto* lccForm = new QFormLayout(lcc);
    eLCCSP1_ = geodeticEdit("eLCCSP1", &Geo::lccStandardParallel1);
    eLCCSP2_ = geodeticEdit("eLCCSP2", &Geo::lccStandardParallel2);
    lccForm->addRow(QStringLiteral("Standard Parallel 1"), eLCCSP1_);
    lccForm->addRow(QStringLiteral("Standard Parallel 2"), eLCCSP2_);
    lccForm->addRow(QStringLiteral("Scale Factor"), geodeticEdit("eLCCSF", &Geo::lccScaleFactor));
    lccForm->addRow(QStringLiteral("Central Parallel"),
                    geodeticEdit("eLCCCP", &Geo::lccCentralParallel));
    lccForm->addRow(QStringLiteral("Central Meridian"),
                    geodeticEdit("eLCCM", &Geo::lccCentralMeridian));
    lccForm->addRow(QStringLiteral("False Easting"), geodeticEdit("eLCCFE", &Geo::lccFalseEasting));
    lccForm->addRow(QStringLiteral("False Northing"),
                    geodeticEdit("eLCCFN", &Geo::lccFalseNorthing));
    cbUseLCCProjection_ = checkBox("cbUseLCCProjection", QStringLiteral("Use Projection"), lcc);
    cLambert1_ = checkBox("cLambert1", QStringLiteral("Use Lambert 1"), lcc);
    lccForm->addRow(cbUseLCCProjection_);
    lccForm->addRow(cLambert1_);

    connect(cbUseTMProjection_, &QCheckBox::clicked, this, [this](bool v) {
        model_.setUseTmProjection(v);
        syncFromModel();
    });
    connect(cbUseLCCProjection_, &QCheckBox::clicked, this, [this](bool v) {
        model_.setUseLambert(v);
        syncFromModel();
    });
    connect(cbUseDTP_, &QCheckBox::clicked, this, [this](bool v) { model_.useDtp = v; });
    connect(cLambert1_, &QCheckBox::clicked, this, [this](bool v) {
        model_.lambert1 = v;
        syncFromModel();
    });

    auto* grid = new QGridLayout(page);
    grid->addWidget(tm, 0, 0);
    grid->addWidget(lcc, 1, 0);
    grid->addWidget(datum, 0, 1, 2, 1);
    return page;
}

QWidget* TFGPS::buildMonitorTab() {
    auto* page = new QWidget(this);
    const auto memo = [this, page](const char* name) {
        auto* m = new QPlainTextEdit(page);
        m->setObjectName(QLatin1String(name));
        m->setReadOnly(true);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        m->viewport()->installEventFilter(this);
        return m;
    };
    MemoGPS_ = memo("MemoGPS");
    MemoSensor_ = memo("MemoSensor");
    auto* gpsGroup = group(QStringLiteral("(NMEA POSITION DATA)"), page);
    (new QVBoxLayout(gpsGroup))->addWidget(MemoGPS_);
    auto* sensorGroup = group(QStringLiteral("(NMEA SENSOR DATA)"), page);
    (new QVBoxLayout(sensorGroup))->addWidget(MemoSensor_);
    // The corrections that go to the receiver, beside what it sends.
    lCorrections_ = new QLabel(QStringLiteral("NTRIP off"), page);
    lCorrections_->setObjectName(QStringLiteral("lCorrections"));
    lCorrections_->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(gpsGroup);
    layout->addWidget(lCorrections_);
    layout->addWidget(sensorGroup);
    return page;
}

QWidget* TFGPS::buildGlobalTab() {
    auto* page = new QWidget(this);

    auto* gridGroup = group(QStringLiteral("Grid Settings"), page);
    cbGridVisible_ = checkBox("cbGridVisible", QStringLiteral("Show Grid"), gridGroup);
    cbAutoGrid_ = checkBox("cbAutoGrid", QStringLiteral("Auto Scale"), gridGroup);
    edGridSpacingX_ = textField("edGridSpacingX", &model_.gridSpacingX);
    edGridSpacingY_ = textField("edGridSpacingY", &model_.gridSpacingY);
    cbGridColor_ = new ColorBox(gridGroup);
    cbGridColor_->setObjectName(QStringLiteral("cbGridColor"));
    auto* gridForm = new QFormLayout(gridGroup);
    gridForm->addRow(cbGridVisible_);
    gridForm->addRow(cbAutoGrid_);
    gridForm->addRow(QStringLiteral("Spacing X (m)"), edGridSpacingX_);
    gridForm->addRow(QStringLiteral("Spacing Y (m)"), edGridSpacingY_);
    gridForm->addRow(QStringLiteral("Grid Color"), cbGridColor_);

    auto* depthGroup = group(QStringLiteral("Depth Labels"), page);
    cbShowDepthLabels_ =
        checkBox("cbShowDepthLabels", QStringLiteral("Show Depth Labels"), depthGroup);
    edDepthLabelSpacing_ = textField("edDepthLabelSpacing", &model_.depthLabelSpacing);
    edDepthLabelFontName_ = textField("edDepthLabelFontName", &model_.depthLabelFontName);
    edDepthLabelFontSize_ = textField("edDepthLabelFontSize", &model_.depthLabelFontSize);
    cbTextColor_ = new ColorBox(depthGroup);
    cbTextColor_->setObjectName(QStringLiteral("cbTextColor"));
    auto* depthForm = new QFormLayout(depthGroup);
    depthForm->addRow(cbShowDepthLabels_);
    depthForm->addRow(QStringLiteral("Label Spacing (m)"), edDepthLabelSpacing_);
    depthForm->addRow(QStringLiteral("Font Name"), edDepthLabelFontName_);
    depthForm->addRow(QStringLiteral("Font Size"), edDepthLabelFontSize_);
    depthForm->addRow(QStringLiteral("Text Color"), cbTextColor_);

    auto* eventGroup = group(QStringLiteral("Event Labels"), page);
    edEventLabelFontSize_ = namedLineEdit("edEventLabelFontSize", this);
    cbEventLabelColor_ = new ColorBox(eventGroup);
    cbEventLabelColor_->setObjectName(QStringLiteral("cbEventLabelColor"));
    auto* eventForm = new QFormLayout(eventGroup);
    eventForm->addRow(QStringLiteral("Font Size"), edEventLabelFontSize_);
    eventForm->addRow(QStringLiteral("Text Color"), cbEventLabelColor_);

    auto* apply = button("bApplySettings", QStringLiteral("Apply Settings"), page);

    connect(cbGridVisible_, &QCheckBox::clicked, this, &TFGPS::showGridClicked);
    connect(cbGridColor_, &ColorBox::colourChosen, this, &TFGPS::gridColourChosen);
    connect(cbAutoGrid_, &QCheckBox::clicked, this, &TFGPS::autoScaleClicked);
    connect(cbShowDepthLabels_, &QCheckBox::clicked, this, [this](bool v) {
        model_.setShowDepthLabelsBox(v);
        changes_.displayChanged();
    });
    connect(cbTextColor_, &ColorBox::colourChosen, this,
            [this](TColor c) { model_.depthLabelColor = c; });
    connect(edEventLabelFontSize_, &QLineEdit::textEdited, this, [this](const QString& t) {
        model_.setEventLabelFontSizeText(t);
        changes_.displayChanged();
    });
    connect(cbEventLabelColor_, &ColorBox::colourChosen, this, [this](TColor c) {
        model_.setEventLabelColour(c);
        changes_.displayChanged();
    });
    connect(apply, &QPushButton::clicked, this, &TFGPS::applySettingsClicked);

    auto* grid = new QGridLayout(page);
    grid->addWidget(gridGroup, 0, 0, 2, 1);
    grid->addWidget(depthGroup, 0, 1);
    grid->addWidget(eventGroup, 1, 1);
    grid->addWidget(apply, 2, 1, Qt::AlignRight);
    return page;
}

// ---- Model to controls ----

void TFGPS::syncPort(const PortControls& c, const PortSettings& s) {
    c.port->setCurrentText(s.port);
    c.baudRate->setCurrentText(s.baudRate);
    c.dataWidth->setCurrentText(s.dataWidth);
    c.stopBits->setCurrentText(s.stopBits);
    c.parity->setCurrentText(s.parity);
    c.priority->setCurrentText(s.priority);
    c.delay->setCurrentText(s.delay);
    c.nmeaLog->setCurrentText(s.nmeaLog);
    c.logTime->setCurrentText(s.logTime);
    c.enableDtr->setCurrentText(s.enableDtr);
    c.enableRts->setCurrentText(s.enableRts);
    showPortKind(c);
}

void TFGPS::showPortKind(const PortControls& c) {
    // A network source has no line settings: they stay as they were, greyed out.
    const bool serial = !isNetworkSource(c.port->currentText());
    for (QComboBox* line :
         {c.baudRate, c.dataWidth, c.stopBits, c.parity, c.enableDtr, c.enableRts})
        line->setEnabled(serial);
}

void TFGPS::syncFromModel() {
    syncing_ = true;
    syncPort(gpsControls_, model_.gps);
    syncPort(sensorControls_, model_.sensor);
    GyroEnabled_->setChecked(model_.gyroEnabled);
    SensorEnabled_->setChecked(model_.sensorEnabled);
    cSBESMessage_->setCurrentText(model_.sbesMessage);
    eSBESFormat_->setText(model_.sbesFormat);

    for (const GeodeticEdit& g : geodeticEdits_)
        g.edit->setText(model_.geodeticText(g.field));
    showCrsAndFlattening();
    cbUseTMProjection_->setChecked(model_.useTmProjection());
    cbUseLCCProjection_->setChecked(model_.useLambert());
    cbUseDTP_->setChecked(model_.useDtp);
    cLambert1_->setChecked(model_.lambert1);
    eLCCSP1_->setEnabled(model_.standardParallelsEnabled());
    eLCCSP2_->setEnabled(model_.standardParallelsEnabled());

    cbGridVisible_->setChecked(model_.gridVisible);
    cbAutoGrid_->setChecked(model_.autoGrid);
    edGridSpacingX_->setText(model_.gridSpacingX);
    edGridSpacingY_->setText(model_.gridSpacingY);
    edGridSpacingX_->setEnabled(model_.gridSpacingEnabled());
    edGridSpacingY_->setEnabled(model_.gridSpacingEnabled());
    cbGridColor_->setColour(model_.gridColor);
    cbShowDepthLabels_->setChecked(model_.showDepthLabels);
    edDepthLabelSpacing_->setText(model_.depthLabelSpacing);
    edDepthLabelFontName_->setText(model_.depthLabelFontName);
    edDepthLabelFontSize_->setText(model_.depthLabelFontSize);
    cbTextColor_->setColour(model_.depthLabelColor);
    edEventLabelFontSize_->setText(model_.eventLabelFontSize);
    cbEventLabelColor_->setColour(model_.eventLabelColor);
    syncing_ = false;
    syncLockState();
}

void TFGPS::applyCrs(const geodesy::GeodeticParameters& filled) {
    model_.applyGeodetic(filled);
    syncFromModel();
}

void TFGPS::showCrsAndFlattening() {
    const Geo& g = model_.geodetic;
    lCrs_->setText(g.epsgCode.empty() ? QStringLiteral("Coordinate system: typed by hand")
                                      : QStringLiteral("Coordinate system: %1\n%2")
                                            .arg(QString::fromStdString(g.epsgCode),
                                                 QString::fromStdString(g.epsgTransformation)));
    // The field is named for the inverse but stored files hold the flattening: show both.
    const auto f = geodesy::flatteningOf(g.flattening);
    lFlattening_->setText(
        !f        ? QStringLiteral("neither a flattening nor an inverse one")
        : *f == 0 ? QStringLiteral("a sphere")
                  : QStringLiteral("f = %1, 1/f = %2").arg(*f, 0, 'g', 12).arg(1 / *f, 0, 'f', 6));
}

void TFGPS::syncLockState() {
    LockStateCheck1_->setChecked(model_.locked());
    for (SettingsTab t : {SettingsTab::Gps, SettingsTab::Sensor, SettingsTab::Geodetic,
                          SettingsTab::Monitor, SettingsTab::Global}) {
        tabPages_[static_cast<int>(t)]->setEnabled(model_.tabEnabled(t));
    }
}

// ---- Actions ----

void TFGPS::GPSSetClick() {
    if (TNivoraSerialGPS* r = host_.reader(PortRole::Gnss)) {
        applyPortSettings(model_.gps, *r, host_.rawLogPath(PortRole::Gnss));
    }
}

void TFGPS::SBESSetClick() {
    if (TNivoraSerialGPS* r = host_.reader(PortRole::Sounder)) {
        applyPortSettings(model_.sensor, *r, host_.rawLogPath(PortRole::Sounder));
    }
}

void TFGPS::familyChosen(const QString& name) {
    const auto lowShown = model_.chooseFamily(name);
    syncing_ = true;
    eSBESFormat_->setText(model_.sbesFormat);
    syncing_ = false;
    if (lowShown) changes_.depthDisplayChanged(*lowShown);
}

void TFGPS::reapplyFamilyDisplay() {
    if (const auto lowShown = model_.familyDepthDisplay()) changes_.depthDisplayChanged(*lowShown);
}

void TFGPS::lockClicked(bool ticked) {
    model_.saveAndLock(ticked, settings_, host_, prompts_);
    syncLockState();
}

void TFGPS::showGridClicked(bool ticked) {
    model_.setShowGrid(ticked);
    changes_.displayChanged();
}

void TFGPS::gridColourChosen(TColor colour) {
    model_.setGridColour(colour);
    changes_.displayChanged();
}

void TFGPS::autoScaleClicked(bool ticked) {
    model_.setAutoScale(ticked);
    edGridSpacingX_->setEnabled(model_.gridSpacingEnabled());
    edGridSpacingY_->setEnabled(model_.gridSpacingEnabled());
    changes_.displayChanged();
}

void TFGPS::applySettingsClicked() {
    model_.applyDisplayControls();
    changes_.displayChanged();
    prompts_.showMessage(QString::fromLatin1(DeviceSettingsModel::kApplyMessage));
}

void TFGPS::appendMonitorLine(PortRole role, const QString& line) {
    MonitorLog& log = role == PortRole::Gnss ? gpsMonitor_ : sensorMonitor_;
    QPlainTextEdit* memo = role == PortRole::Gnss ? MemoGPS_ : MemoSensor_;
    if (log.append(line)) {
        memo->clear();
    } else {
        memo->appendPlainText(line);
    }
}

// ---- Window events ----

void TFGPS::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownBefore_) {
        shownBefore_ = true;
        if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    }
    model_.onShow();
    // The models are shared: show what they hold now.
    syncFromModel();
}

void TFGPS::closeEvent(QCloseEvent* event) {
    MemoGPS_->clear();
    MemoSensor_->clear();
    gpsMonitor_.clear();
    sensorMonitor_.clear();
    QWidget::closeEvent(event);
}

bool TFGPS::eventFilter(QObject* watched, QEvent* event) {
    // Holding a mouse button on a monitor memo pauses it, so a line can be read.
    if (watched == MemoGPS_->viewport() || watched == MemoSensor_->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) host_.setMonitorPaused(true);
        if (event->type() == QEvent::MouseButtonRelease) host_.setMonitorPaused(false);
    }
    return QWidget::eventFilter(watched, event);
}

void TFGPS::setCorrectionStatus(const QString& text) {
    lCorrections_->setText(text);
}

QString TFGPS::correctionStatus() const {
    return lCorrections_->text();
}

void TFGPS::setGnssMonitorColour(TColor colour) {
    QPalette p = MemoGPS_->palette();
    p.setColor(QPalette::Base, toQColor(colour));
    MemoGPS_->setPalette(p);
}

}  // namespace nivora
