#include "config/ui/small_windows.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/ui/config_widgets.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

TextSpinEdit* spin(const char* name, int minimum, int maximum, int step, QWidget* parent) {
    auto* s = new TextSpinEdit(minimum, maximum, step, parent);
    s->setObjectName(QLatin1String(name));
    return s;
}

}  // namespace

// ---- TNavset ----

TNavset::TNavset(NavigationSettings& model, SettingsChanges& changes, ConfigHost& host,
                 const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      model_(model),
      changes_(changes),
      host_(host),
      settings_(settings) {
    setObjectName(QStringLiteral("TNavset"));
    setWindowTitle(QStringLiteral("Navigation Settings"));

    VesselColor_ = colourBox("VesselColor", &NavigationSettings::vesselColor);
    VesselWidth_ = spin("VesselWidth", 0, 15, 1, this);
    fcadColor_ = colourBox("fcadColor", &NavigationSettings::backgroundColor);
    ColorTracklines1_ = colourBox("ColorTracklines1", &NavigationSettings::colorTracklines1);
    ColorTracklines0_ = colourBox("ColorTracklines0", &NavigationSettings::colorTracklines0);
    TrackWidth_ = spin("TrackWidth", 0, 15, 1, this);
    TrackInterval_ = spin("TrackInterval", 0, 500, 1, this);
    eUpdateRate_ = spin("eUpdateRate", NavigationSettings::kMinUpdatePeriodMs, 5000, 100, this);
    cLineOrDot_ = new QCheckBox(QStringLiteral("Track As Line"), this);
    cLineOrDot_->setObjectName(QStringLiteral("cLineOrDot"));
    edDepthAlert1_ = namedLineEdit("edDepthAlert1", this);
    GridColor_ = colourBox("GridColor", &NavigationSettings::gridColor);

    auto* vessel = new QGroupBox(QStringLiteral("Vessel"), this);
    auto* vesselRow = new QHBoxLayout(vessel);
    vesselRow->addWidget(new QLabel(QStringLiteral("Vessel C/W"), vessel));
    vesselRow->addWidget(VesselColor_, 1);
    vesselRow->addWidget(VesselWidth_);

    auto* canvas = new QGroupBox(QStringLiteral("Canvas"), this);
    auto* canvasForm = new QFormLayout(canvas);
    canvasForm->addRow(QStringLiteral("Background color"), fcadColor_);

    auto* tracks = new QGroupBox(QStringLiteral("Tracklines"), this);
    auto* trackForm = new QFormLayout(tracks);
    trackForm->addRow(new QLabel(QStringLiteral("Correction (1, 4 or 2/5)"), tracks));
    trackForm->addRow(QStringLiteral("Fixed Color"), ColorTracklines1_);
    trackForm->addRow(QStringLiteral("Float Color"), ColorTracklines0_);
    trackForm->addRow(QStringLiteral("Tracklines Width"), TrackWidth_);
    trackForm->addRow(QStringLiteral("Track Interval"), TrackInterval_);
    trackForm->addRow(QStringLiteral("Frequency(ms)"), eUpdateRate_);
    trackForm->addRow(cLineOrDot_);

    auto* alerts = new QGroupBox(QStringLiteral("Alerts && Grid"), this);
    auto* alertForm = new QFormLayout(alerts);
    alertForm->addRow(QStringLiteral("Shallow Depth Alert"), edDepthAlert1_);
    alertForm->addRow(QStringLiteral("Grid Color"), GridColor_);

    auto* layout = new QGridLayout(this);
    layout->addWidget(vessel, 0, 0);
    layout->addWidget(canvas, 1, 0);
    layout->addWidget(alerts, 2, 0);
    layout->addWidget(tracks, 0, 1, 3, 1);
    // Closing writes the fields: a button for it, not only the title bar's cross.
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("bClose"));
    layout->addWidget(closeButton, 3, 1, Qt::AlignRight);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    connect(fcadColor_, &ColorBox::colourChosen, this,
            [this](TColor c) { changes_.backgroundChanged(c); });
    connect(eUpdateRate_, &TextSpinEdit::textEdited, this, &TNavset::updateRateEdited);
    // Each guarded field hands its text to the model's setter, which puts
    // the replacement text in place of an empty one.
    connect(VesselWidth_, &TextSpinEdit::textEdited, this, [this](const QString& t) {
        model_.setVesselWidth(t);
        syncFromModel();
        changes_.navigationChanged();
    });
    connect(TrackWidth_, &TextSpinEdit::textEdited, this, [this](const QString& t) {
        model_.setTrackWidth(t);
        syncFromModel();
        changes_.navigationChanged();
    });
    connect(TrackInterval_, &TextSpinEdit::textEdited, this, [this](const QString& t) {
        model_.setTrackInterval(t);
        syncFromModel();
        changes_.navigationChanged();
    });
    connect(edDepthAlert1_, &QLineEdit::textEdited, this, [this](const QString& t) {
        model_.setDepthAlert(t);
        syncFromModel();
        changes_.navigationChanged();
    });
    connect(cLineOrDot_, &QCheckBox::clicked, this, [this](bool v) { model_.lineOrDot = v; });
    syncFromModel();
}

ColorBox* TNavset::colourBox(const char* name, TColor NavigationSettings::*member) {
    auto* box = new ColorBox(this);
    box->setObjectName(QLatin1String(name));
    connect(box, &ColorBox::colourChosen, this, [this, member](TColor c) { model_.*member = c; });
    return box;
}

void TNavset::syncFromModel() {
    VesselColor_->setColour(model_.vesselColor);
    VesselWidth_->setFieldText(model_.vesselWidth);
    fcadColor_->setColour(model_.backgroundColor);
    ColorTracklines1_->setColour(model_.colorTracklines1);
    ColorTracklines0_->setColour(model_.colorTracklines0);
    TrackWidth_->setFieldText(model_.trackWidth);
    TrackInterval_->setFieldText(model_.trackInterval);
    eUpdateRate_->setFieldText(model_.updateRate);
    cLineOrDot_->setChecked(model_.lineOrDot);
    if (edDepthAlert1_->text() != model_.depthAlert) edDepthAlert1_->setText(model_.depthAlert);
    GridColor_->setColour(model_.gridColor);
}

void TNavset::updateRateEdited(const QString& text) {
    QString error;
    const auto period = model_.updateRateChanged(text, &error);
    syncFromModel();
    changes_.navigationChanged();  // the track interval follows the period
    if (!period) {
        host_.reportError(error);
        return;
    }
    changes_.updatePeriodChanged(*period);
}

void TNavset::savePlacement() {
    QString error;
    if (!SaveWindowPlacement(*this, settings_, &error)) host_.reportError(error);
}

void TNavset::showEvent(QShowEvent* event) {
    RestoreWindowPlacement(*this, settings_);
    syncFromModel();
    QWidget::showEvent(event);
}

void TNavset::hideEvent(QHideEvent* event) {
    savePlacement();
    QWidget::hideEvent(event);
}

void TNavset::closeEvent(QCloseEvent* event) {
    QString error;
    if (!settings_.update([this](IniStore& ini) { model_.save(ini); }, &error))
        host_.reportError(error);
    savePlacement();
    QWidget::closeEvent(event);
}

// ---- TfLatency ----

TfLatency::TfLatency(LatencyModel& model, ConfigHost& host, const SettingsFile& settings,
                     QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), host_(host), settings_(settings) {
    setObjectName(QStringLiteral("TfLatency"));
    setWindowTitle(QStringLiteral("Latency"));

    group_ = new QGroupBox(QStringLiteral("Latency (milisecond)"), this);
    group_->setObjectName(QStringLiteral("gLatency"));
    group_->setAutoFillBackground(true);
    eCurrentLatency_ = namedLineEdit("eCurrentLatency", group_);
    eLatencyAveraged_ = namedLineEdit("eLatencyAveraged", group_);
    eLatencyTol_ = namedLineEdit("eLatencyTol", group_);
    eCurrentLatency_->setReadOnly(true);
    eLatencyAveraged_->setReadOnly(true);
    auto* form = new QFormLayout(group_);
    form->addRow(QStringLiteral("Current"), eCurrentLatency_);
    form->addRow(QStringLiteral("Averaged"), eLatencyAveraged_);
    form->addRow(QStringLiteral("Tolerence"), eLatencyTol_);
    auto* receiver = new QGroupBox(QStringLiteral("GNSS line after its UTC (last minute)"), this);
    eReceiverOffset_ = namedLineEdit("eReceiverOffset", receiver);
    eReceiverOffset_->setReadOnly(true);
    eReceiverOffset_->setMinimumWidth(220);
    eReceiverOffset_->setToolTip(
        QStringLiteral("How long after the time its RMC or ZDA names each line arrived: a check "
                       "on the GNSS latency setting (it includes the computer clock's error)"));
    (new QVBoxLayout(receiver))->addWidget(eReceiverOffset_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group_);
    layout->addWidget(receiver);

    connect(eLatencyTol_, &QLineEdit::textEdited, this, &TfLatency::toleranceEdited);
    syncFromModel();
}

void TfLatency::showEvent(QShowEvent* event) {
    // The models are shared: show what this one holds now.
    syncFromModel();
    QWidget::showEvent(event);
}

void TfLatency::syncFromModel() {
    if (model_.count() > 0) {
        eCurrentLatency_->setText(model_.currentText());
        eLatencyAveraged_->setText(model_.averagedText());
    }
    if (eLatencyTol_->text() != model_.tolerance) eLatencyTol_->setText(model_.tolerance);
    if (const auto c = model_.colour()) {
        QPalette p = group_->palette();
        p.setColor(QPalette::Window, toQColor(*c));
        group_->setPalette(p);
    }
}

void TfLatency::recordLatency(qint64 ms) {
    model_.record(ms);
    syncFromModel();
}

void TfLatency::showReceiverOffset(const QString& text) {
    eReceiverOffset_->setText(text);
}

QString TfLatency::receiverOffset() const {
    return eReceiverOffset_->text();
}

void TfLatency::toleranceEdited(const QString& text) {
    if (!model_.setToleranceText(text)) return;
    QString error;
    if (!settings_.update([this](IniStore& ini) { model_.save(ini); }, &error))
        host_.reportError(error);
}

// ---- TFShape ----

TFShape::TFShape(VesselShapeModel& model, OperatorPrompts& prompts, const SettingsFile& settings,
                 QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), prompts_(prompts), settings_(settings) {
    setObjectName(QStringLiteral("TFShape"));
    setWindowTitle(QStringLiteral("Vessel Geometry"));

    auto* note = new QLabel(QStringLiteral("Changes requires restart of program."), this);
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);

    auto* pole = new QGroupBox(QStringLiteral("All in one pole"), this);
    edAmount_ = field("edAmount", &VesselShapeModel::circles);
    edInterval_ = field("edInterval", &VesselShapeModel::circleInterval);
    edRadious_ = field("edRadious", &VesselShapeModel::firstRadius);
    edBArrow_ = field("edBArrow", &VesselShapeModel::bowLength);
    edLArrow_ = field("edLArrow", &VesselShapeModel::sideLength);
    auto* form = new QFormLayout(pole);
    form->addRow(QStringLiteral("Total number of circles"), edAmount_);
    form->addRow(QStringLiteral("Offset to next circle"), edInterval_);
    form->addRow(QStringLiteral("Radius of first circle"), edRadious_);
    form->addRow(QStringLiteral("Arrow's longitude length"), edBArrow_);
    form->addRow(QStringLiteral("Arrow's sideward length"), edLArrow_);

    auto* defaults = new QPushButton(QStringLiteral("Default"), this);
    defaults->setObjectName(QStringLiteral("bDefault"));
    auto* save = new QPushButton(QStringLiteral("Save && Hide"), this);
    save->setObjectName(QStringLiteral("bSaveHide"));
    connect(defaults, &QPushButton::clicked, this, &TFShape::DefaultClick);
    connect(save, &QPushButton::clicked, this, &TFShape::SaveAndHideClick);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(defaults);
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(pole);
    layout->addLayout(buttons);

    syncFromModel();
}

void TFShape::showEvent(QShowEvent* event) {
    // The models are shared: show what this one holds now.
    syncFromModel();
    QWidget::showEvent(event);
}

QLineEdit* TFShape::field(const char* name, QString VesselShapeModel::*member) {
    QLineEdit* e = namedLineEdit(name, this);
    connect(e, &QLineEdit::textEdited, this,
            [this, member](const QString& t) { model_.*member = t; });
    return e;
}

void TFShape::syncFromModel() {
    edAmount_->setText(model_.circles);
    edInterval_->setText(model_.circleInterval);
    edRadious_->setText(model_.firstRadius);
    edBArrow_->setText(model_.bowLength);
    edLArrow_->setText(model_.sideLength);
}

void TFShape::DefaultClick() {
    model_.defaults();
    syncFromModel();
}

void TFShape::SaveAndHideClick() {
    QString error;
    if (!settings_.update([this](IniStore& ini) { model_.save(ini); }, &error)) {
        prompts_.showError(error);
        return;
    }
    hide();
}

}  // namespace nivora
