#include "config/ui/ntrip_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/ntrip_settings.h"
#include "config/ui/config_widgets.h"

namespace nivora {

TNtripSettings::TNtripSettings(NtripSettings& model, const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), settings_(settings) {
    setObjectName(QStringLiteral("TNtripSettings"));
    setWindowTitle(QStringLiteral("NTRIP Corrections"));
    enabled_ = new QCheckBox(QStringLiteral("Take RTK corrections from a caster"), this);
    enabled_->setObjectName(QStringLiteral("cEnabled"));
    host_ = namedLineEdit("eHost", this);
    host_->setPlaceholderText(QStringLiteral("caster.example.net"));
    port_ = namedLineEdit("ePort", this);
    mountpoint_ = namedLineEdit("eMountpoint", this);
    user_ = namedLineEdit("eUser", this);
    password_ = namedLineEdit("ePassword", this);
    password_->setEchoMode(QLineEdit::Password);
    version_ = new QComboBox(this);
    version_->setObjectName(QStringLiteral("cVersion"));
    version_->addItem(QStringLiteral("NTRIP 2.0"), 2);
    version_->addItem(QStringLiteral("NTRIP 1.0"), 1);
    sendGga_ = new QCheckBox(QStringLiteral("Send the receiver's GGA (network mountpoints)"), this);
    sendGga_->setObjectName(QStringLiteral("cSendGGA"));
    ggaInterval_ = namedLineEdit("eGGAInterval", this);
    auto* ggaRow = new QHBoxLayout;
    ggaRow->addWidget(ggaInterval_);
    ggaRow->addWidget(new QLabel(QStringLiteral("s"), this));
    auto* form = new QFormLayout;
    form->addRow(enabled_);
    form->addRow(QStringLiteral("Caster"), host_);
    form->addRow(QStringLiteral("Port"), port_);
    form->addRow(QStringLiteral("Mountpoint"), mountpoint_);
    form->addRow(QStringLiteral("User"), user_);
    form->addRow(QStringLiteral("Password"), password_);
    form->addRow(QStringLiteral("Protocol"), version_);
    form->addRow(sendGga_);
    form->addRow(QStringLiteral("GGA every"), ggaRow);
    clientStatus_ = new QLabel(QStringLiteral("NTRIP off"), this);
    clientStatus_->setObjectName(QStringLiteral("lClientStatus"));
    clientStatus_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("These apply when real time next starts."), this));
    layout->addWidget(clientStatus_);
    layout->addLayout(saveCloseRow(*this, status_, [this] { SaveClick(); }));
    connect(sendGga_, &QCheckBox::toggled, ggaInterval_, &QWidget::setEnabled);
    syncFromModel();
}

void TNtripSettings::showEvent(QShowEvent* event) {
    syncFromModel();
    QWidget::showEvent(event);
}

void TNtripSettings::syncFromModel() {
    enabled_->setChecked(model_.enabled);
    host_->setText(model_.host);
    port_->setText(model_.port);
    mountpoint_->setText(model_.mountpoint);
    user_->setText(model_.user);
    password_->setText(model_.password);
    version_->setCurrentIndex(model_.version == 1 ? 1 : 0);
    sendGga_->setChecked(model_.sendGga);
    ggaInterval_->setText(model_.ggaInterval);
    ggaInterval_->setEnabled(model_.sendGga);
    status_->clear();
}

bool TNtripSettings::SaveClick() {
    NtripSettings n = model_;
    n.enabled = enabled_->isChecked();
    n.host = host_->text().trimmed();
    n.port = port_->text().trimmed();
    n.mountpoint = mountpoint_->text().trimmed();
    n.user = user_->text();
    n.password = password_->text();
    n.version = version_->currentData().toInt();
    n.sendGga = sendGga_->isChecked();
    n.ggaInterval = ggaInterval_->text().trimmed();
    return saveEditedModel(
        model_, n, n.problem(), settings_, [&n](IniStore& ini) { n.save(ini); }, status_);
}

QString TNtripSettings::status() const {
    return status_->text();
}

void TNtripSettings::showClientStatus(const QString& text) {
    clientStatus_->setText(text);
}

QString TNtripSettings::clientStatus() const {
    return clientStatus_->text();
}

}  // namespace nivora
