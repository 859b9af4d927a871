#include "config/ui/guidance_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/guidance_settings.h"
#include "config/settings_changes.h"
#include "config/ui/config_widgets.h"
#include "core/settings_file.h"

namespace nivora {

TGuidanceSettings::TGuidanceSettings(GuidanceSettings& model, SettingsChanges& changes,
                                     const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), changes_(changes), settings_(settings) {
    setObjectName(QStringLiteral("TGuidanceSettings"));
    setWindowTitle(QStringLiteral("Guidance Settings"));
    const auto check = [this](const char* name, const QString& text) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(QLatin1String(name));
        return c;
    };

    auto* lines = new QGroupBox(QStringLiteral("Survey lines"), this);
    auto* lineForm = new QFormLayout(lines);
    autoStart_ = check("cAutoStart", QStringLiteral("Start a line on its own"));
    autoEnd_ = check("cAutoEnd", QStringLiteral("End a line on its own"));
    nextLine_ = new QComboBox(lines);
    nextLine_->setObjectName(QStringLiteral("cbNextLine"));
    nextLine_->addItems({QStringLiteral("Stay on the line"), QStringLiteral("Next in plan order"),
                         QStringLiteral("Closest line")});
    runIn_ = namedLineEdit("eRunIn", lines);
    runOut_ = namedLineEdit("eRunOut", lines);
    offTrackLimit_ = namedLineEdit("eOffTrackLimit", lines);
    offTrackTime_ = namedLineEdit("eOffTrackTime", lines);
    lineForm->addRow(autoStart_);
    lineForm->addRow(autoEnd_);
    lineForm->addRow(QStringLiteral("When a line is done"), nextLine_);
    lineForm->addRow(QStringLiteral("Run-in (m)"), runIn_);
    lineForm->addRow(QStringLiteral("Run-out (m)"), runOut_);
    lineForm->addRow(QStringLiteral("Off-track limit (m)"), offTrackLimit_);
    lineForm->addRow(QStringLiteral("Off-track time (s)"), offTrackTime_);

    auto* helm = new QGroupBox(QStringLiteral("Helmsman"), this);
    auto* helmForm = new QFormLayout(helm);
    fullScale_ = namedLineEdit("eFullScale", helm);
    deadBand_ = namedLineEdit("eDeadBand", helm);
    helmForm->addRow(QStringLiteral("Full scale (m)"), fullScale_);
    helmForm->addRow(QStringLiteral("Dead band (m)"), deadBand_);

    auto* pilot = new QGroupBox(QStringLiteral("Autopilot output"), this);
    auto* pilotForm = new QFormLayout(pilot);
    autopilot_ = check("cAutopilot", QStringLiteral("Send APB, XTE and RMB"));
    autopilotPort_ = namedLineEdit("eAutopilotPort", pilot);
    autopilotPort_->setToolTip(QStringLiteral("udp://ADDRESS:PORT, or a serial port: DEVICE,BAUD"));
    autopilotRate_ = namedLineEdit("eAutopilotRate", pilot);
    arrivalRadius_ = namedLineEdit("eArrivalRadius", pilot);
    apb_ = check("cApb", QStringLiteral("APB"));
    xte_ = check("cXte", QStringLiteral("XTE"));
    rmb_ = check("cRmb", QStringLiteral("RMB"));
    auto* sentences = new QHBoxLayout;
    for (QCheckBox* c : {apb_, xte_, rmb_})
        sentences->addWidget(c);
    pilotForm->addRow(autopilot_);
    pilotForm->addRow(QStringLiteral("Send to"), autopilotPort_);
    pilotForm->addRow(QStringLiteral("Rate (Hz)"), autopilotRate_);
    pilotForm->addRow(QStringLiteral("Arrival radius (m)"), arrivalRadius_);
    pilotForm->addRow(QStringLiteral("Sentences"), sentences);

    QHBoxLayout* buttons = saveCloseRow(*this, status_, [this] { SaveClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines);
    layout->addWidget(helm);
    layout->addWidget(pilot);
    layout->addLayout(buttons);
    syncFromModel();
}

void TGuidanceSettings::showEvent(QShowEvent* event) {
    // The helmsman's fields and the menu change the same settings.
    syncFromModel();
    QWidget::showEvent(event);
}

void TGuidanceSettings::syncFromModel() {
    const GuidanceSettings& g = model_;
    autoStart_->setChecked(g.autoStart);
    autoEnd_->setChecked(g.autoEnd);
    nextLine_->setCurrentIndex(static_cast<int>(g.nextLineRule()));
    runIn_->setText(g.runIn);
    runOut_->setText(g.runOut);
    offTrackLimit_->setText(g.offTrackLimit);
    offTrackTime_->setText(g.offTrackTime);
    fullScale_->setText(g.fullScale);
    deadBand_->setText(g.deadBand);
    arrivalRadius_->setText(g.arrivalRadius);
    autopilot_->setChecked(g.autopilot);
    autopilotPort_->setText(g.autopilotPort);
    autopilotRate_->setText(g.autopilotRate);
    const QString chosen = g.autopilotSentences.toUpper();
    apb_->setChecked(chosen.contains(QLatin1String("APB")));
    xte_->setChecked(chosen.contains(QLatin1String("XTE")));
    rmb_->setChecked(chosen.contains(QLatin1String("RMB")));
    status_->clear();
}

bool TGuidanceSettings::SaveClick() {
    GuidanceSettings g = model_;
    g.autoStart = autoStart_->isChecked();
    g.autoEnd = autoEnd_->isChecked();
    g.nextLine = nextLine_->currentIndex();
    g.runIn = runIn_->text().trimmed();
    g.runOut = runOut_->text().trimmed();
    g.offTrackLimit = offTrackLimit_->text().trimmed();
    g.offTrackTime = offTrackTime_->text().trimmed();
    g.fullScale = fullScale_->text().trimmed();
    g.deadBand = deadBand_->text().trimmed();
    g.arrivalRadius = arrivalRadius_->text().trimmed();
    g.autopilot = autopilot_->isChecked();
    g.autopilotPort = autopilotPort_->text().trimmed();
    g.autopilotRate = autopilotRate_->text().trimmed();
    QStringList chosen;
    for (QCheckBox* c : {apb_, xte_, rmb_}) {
        if (c->isChecked()) chosen << c->text();
    }
    g.autopilotSentences = chosen.join(QLatin1Char(','));
    QString why = g.problem();
    if (why.isEmpty() && g.autopilot && chosen.isEmpty())
        why = QStringLiteral("Choose at least one sentence to send");
    if (why.isEmpty() && g.autopilot && g.autopilotPort.isEmpty())
        why = QStringLiteral("Say where the autopilot sentences go");
    if (!saveEditedModel(
            model_, g, why, settings_, [&g](IniStore& ini) { g.save(ini); }, status_))
        return false;
    emit changes_.guidanceChanged();
    return true;
}

QString TGuidanceSettings::status() const {
    return status_->text();
}

}  // namespace nivora
