#include "config/ui/crs_picker.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace nivora {

CrsPicker::CrsPicker(const geodesy::GeodeticParameters& current, QWidget* parent)
    : QDialog(parent), current_(current) {
    setObjectName(QStringLiteral("CrsPicker"));
    setWindowTitle(QStringLiteral("Coordinate System from EPSG"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("eSearch"));
    search_->setPlaceholderText(QStringLiteral("Code, name or area: 23035, UTM 35N, Lambert-93"));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lbMatches"));
    list_->setMinimumSize(560, 260);
    transformation_ = new QComboBox(this);
    transformation_->setObjectName(QStringLiteral("cbTransformation"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lStatus"));
    status_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(search_, &QLineEdit::textEdited, this, &CrsPicker::search);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) { choose(row); });
    connect(transformation_, &QComboBox::currentIndexChanged, this, [this] { fillChoice(); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Search"), search_);
    form->addRow(list_);
    form->addRow(QStringLiteral("Datum to WGS 84"), transformation_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);

    QString error;
    register_ = crs::EpsgRegister::open(crs::EpsgRegister::defaultPath(), &error);
    if (!register_) {
        search_->setEnabled(false);
        status_->setText(error);
    }
}

CrsPicker::~CrsPicker() = default;

void CrsPicker::search(const QString& text) {
    if (!register_) return;
    found_ = register_->search(text, 100);
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const crs::CrsMatch& m : found_) {
        auto* item = new QListWidgetItem(
            QStringLiteral("EPSG:%1  %2  (%3)").arg(m.code).arg(m.name, m.method), list_);
        item->setToolTip(m.area);
        if (!m.supported) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    }
    chosen_.reset();
    ok_->setEnabled(false);
    status_->setText(found_.empty() ? QStringLiteral("Nothing in the register matches")
                                    : QStringLiteral("%1 found").arg(found_.size()));
}

int CrsPicker::matches() const {
    return static_cast<int>(found_.size());
}

bool CrsPicker::choose(int row) {
    if (row < 0 || row >= matches()) return false;
    if (list_->currentRow() != row) {
        const QSignalBlocker quiet(list_);
        list_->setCurrentRow(row);
    }
    chosenCode_ = found_[static_cast<std::size_t>(row)].code;
    showTransformations();
    fillChoice();
    return chosen_.has_value();
}

void CrsPicker::showTransformations() {
    transformations_ = register_->transformationsToWgs84(chosenCode_);
    const QSignalBlocker quiet(transformation_);
    transformation_->clear();
    transformation_->addItem(QStringLiteral("The best Helmert transformation"), 0);
    for (const crs::TransformationMatch& t : transformations_) {
        QString text = QStringLiteral("EPSG:%1  %2").arg(t.code).arg(t.name);
        if (t.accuracyM >= 0) text += QStringLiteral("  (%1 m)").arg(t.accuracyM);
        if (!t.supported) text += QStringLiteral("  [") + t.method + QLatin1Char(']');
        transformation_->addItem(text, t.code);
    }
}

void CrsPicker::fillChoice() {
    const int t = transformation_->currentData().toInt();
    QString error;
    chosen_ = register_->fill(chosenCode_, t ? std::optional(t) : std::nullopt, current_, &error);
    ok_->setEnabled(chosen_.has_value());
    if (!chosen_) {
        status_->setText(error);
        return;
    }
    const geodesy::GeodeticParameters& p = chosen_->parameters;
    status_->setText(
        QStringLiteral("%1\n%2\nshift %3, %4, %5 m; rotation %6, %7, %8\"; scale %9 ppm")
            .arg(chosen_->crsName,
                 chosen_->transformationName.isEmpty() ? QStringLiteral("No datum shift (WGS 84)")
                                                       : chosen_->transformationName,
                 QString::fromStdString(p.shiftX), QString::fromStdString(p.shiftY),
                 QString::fromStdString(p.shiftZ), QString::fromStdString(p.rotationX),
                 QString::fromStdString(p.rotationY), QString::fromStdString(p.rotationZ),
                 QString::fromStdString(p.scalePpm)));
}

QString CrsPicker::status() const {
    return status_->text();
}

}  // namespace nivora
