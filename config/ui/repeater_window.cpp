#include "config/ui/repeater_window.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/repeater_settings.h"
#include "config/ui/config_widgets.h"

namespace nivora {

TRepeaterSettings::TRepeaterSettings(RepeaterSettings& model, const SettingsFile& settings,
                                     QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), settings_(settings) {
    setObjectName(QStringLiteral("TRepeaterSettings"));
    setWindowTitle(QStringLiteral("NMEA Output"));
    enabled_ = new QCheckBox(QStringLiteral("Send NMEA sentences"), this);
    enabled_->setObjectName(QStringLiteral("cEnabled"));
    destination_ = namedLineEdit("eDestination", this);
    destination_->setPlaceholderText(QStringLiteral("udp://HOST:PORT or tcp-listen://:PORT"));
    auto* row = new QHBoxLayout;
    for (const QString& name : RepeaterSettings::known()) {
        auto* box = new QCheckBox(name, this);
        box->setObjectName(QStringLiteral("c") + name);
        sentences_.push_back(box);
        row->addWidget(box);
    }
    row->addStretch();
    guidance_ = new QCheckBox(QStringLiteral("Line guidance (APB, XTE, RMB)"), this);
    guidance_->setObjectName(QStringLiteral("cGuidance"));
    echo_ = new QCheckBox(QStringLiteral("Every accepted input line"), this);
    echo_->setObjectName(QStringLiteral("cEchoInput"));
    auto* form = new QFormLayout;
    form->addRow(enabled_);
    form->addRow(QStringLiteral("Destination"), destination_);
    form->addRow(QStringLiteral("Sentences"), row);
    form->addRow(guidance_);
    form->addRow(echo_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("These apply when real time next starts."), this));
    layout->addLayout(saveCloseRow(*this, status_, [this] { SaveClick(); }));
    syncFromModel();
}

void TRepeaterSettings::showEvent(QShowEvent* event) {
    syncFromModel();
    QWidget::showEvent(event);
}

void TRepeaterSettings::syncFromModel() {
    enabled_->setChecked(model_.enabled);
    destination_->setText(model_.destination);
    for (QCheckBox* box : sentences_)
        box->setChecked(model_.sends(box->objectName().mid(1)));
    guidance_->setChecked(model_.guidance);
    echo_->setChecked(model_.echoInput);
    status_->clear();
}

bool TRepeaterSettings::SaveClick() {
    RepeaterSettings r = model_;
    r.enabled = enabled_->isChecked();
    r.destination = destination_->text().trimmed();
    QStringList chosen;
    for (QCheckBox* box : sentences_) {
        if (box->isChecked()) chosen << box->objectName().mid(1);
    }
    r.sentences = chosen.join(QLatin1Char(','));
    r.guidance = guidance_->isChecked();
    r.echoInput = echo_->isChecked();
    return saveEditedModel(
        model_, r, r.problem(), settings_, [&r](IniStore& ini) { r.save(ini); }, status_);
}

QString TRepeaterSettings::status() const {
    return status_->text();
}

}  // namespace nivora
