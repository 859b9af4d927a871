#include "config/ui/vertical_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "config/ui/config_widgets.h"
#include "config/vertical_settings.h"
#include "geodesy/geoid_grid.h"

namespace nivora {

TVerticalSettings::TVerticalSettings(VerticalSettings& model, const SettingsFile& settings,
                                     QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), settings_(settings) {
    setObjectName(QStringLiteral("TVerticalSettings"));
    setWindowTitle(QStringLiteral("Vertical Reduction"));
    geoid_ = namedLineEdit("eGeoidModel", this);
    geoid_->setPlaceholderText(QStringLiteral("none; egm96_15.gtx or a path to a GTX grid"));
    geoidAlways_ =
        new QCheckBox(QStringLiteral("Use it even where the receiver gives a separation"), this);
    geoidAlways_->setObjectName(QStringLiteral("cGeoidAlways"));
    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("cbTideSource"));
    source_->addItems({QStringLiteral("The height typed in the Offsets window"),
                       QStringLiteral("A tide file"), QStringLiteral("The RTK tide")});
    tideFile_ = namedLineEdit("eTideFile", this);
    tideFile_->setPlaceholderText(QStringLiteral("lines of \"YYYY-MM-DD HH:MM height\""));
    maxGap_ = namedLineEdit("eTideMaxGap", this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Geoid model"), geoid_);
    form->addRow(geoidAlways_);
    form->addRow(QStringLiteral("Tide"), source_);
    form->addRow(QStringLiteral("Tide file"), tideFile_);
    form->addRow(QStringLiteral("Longest gap in the file (min)"), maxGap_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("These apply when real time next starts."), this));
    layout->addLayout(saveCloseRow(*this, status_, [this] { SaveClick(); }));
    syncFromModel();
}

void TVerticalSettings::showEvent(QShowEvent* event) {
    syncFromModel();
    QWidget::showEvent(event);
}

void TVerticalSettings::syncFromModel() {
    geoid_->setText(model_.geoidModel);
    geoidAlways_->setChecked(model_.geoidAlways);
    source_->setCurrentIndex(static_cast<int>(model_.source()));
    tideFile_->setText(model_.tideFile);
    maxGap_->setText(model_.tideMaxGap);
    status_->clear();
}

bool TVerticalSettings::SaveClick() {
    VerticalSettings v = model_;
    v.geoidModel = geoid_->text().trimmed();
    v.geoidAlways = geoidAlways_->isChecked();
    v.tideSource = source_->currentIndex();
    v.tideFile = tideFile_->text().trimmed();
    v.tideMaxGap = maxGap_->text().trimmed();
    QString why = v.problem();
    if (why.isEmpty() && !v.geoidModel.isEmpty()) {
        std::string error;
        if (!geodesy::GeoidGrid::load(v.geoidPath().toStdString(), &error))
            why = QString::fromStdString(error);
    }
    if (why.isEmpty() && v.source() == TideSource::File && !QFileInfo(v.tideFile).isFile())
        why = QStringLiteral("The tide file '%1' is not there").arg(v.tideFile);
    return saveEditedModel(
        model_, v, why, settings_, [&v](IniStore& ini) { v.save(ini); }, status_);
}

QString TVerticalSettings::status() const {
    return status_->text();
}

}  // namespace nivora
