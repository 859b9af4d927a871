#include "config/ui/depth_display_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "config/depth_display_settings.h"
#include "config/settings_changes.h"
#include "config/ui/config_widgets.h"

namespace nivora {

namespace {

QCheckBox* namedCheckBox(const char* name, const QString& text, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QComboBox* namedCombo(const char* name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->addItems(items);
    return combo;
}

}  // namespace

TDepthDisplaySettings::TDepthDisplaySettings(DepthDisplaySettings& model, SettingsChanges& changes,
                                             const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), changes_(changes), settings_(settings) {
    setObjectName(QStringLiteral("TDepthDisplaySettings"));
    setWindowTitle(QStringLiteral("Depth Colours and Grid"));
    soundings_ =
        namedCheckBox("cShowSoundings", QStringLiteral("Soundings as coloured dots"), this);
    grid_ = namedCheckBox("cShowGrid", QStringLiteral("Coverage grid under the track"), this);
    legend_ = namedCheckBox("cShowLegend", QStringLiteral("Colour bar"), this);
    palette_ = namedCombo(
        "cbPalette",
        {QStringLiteral("Rainbow"), QStringLiteral("Ocean"), QStringLiteral("Contrast")}, this);
    colourBy_ = namedCombo(
        "cbColourBy",
        {QStringLiteral("True depth"), QStringLiteral("Depth reduced to the datum (depth - tide)")},
        this);
    autoRange_ =
        namedCheckBox("cAutoRange", QStringLiteral("Range from the survey's depths"), this);
    shallow_ = namedLineEdit("eShallow", this);
    deep_ = namedLineEdit("eDeep", this);
    cellSize_ = namedLineEdit("eCellSize", this);
    cellSize_->setPlaceholderText(QStringLiteral("0.5 to 50"));
    statistic_ = namedCombo("cbStatistic",
                            {QStringLiteral("Minimum (shoalest)"), QStringLiteral("Maximum"),
                             QStringLiteral("Mean"), QStringLiteral("Last")},
                            this);
    pointSize_ = new QSpinBox(this);
    pointSize_->setObjectName(QStringLiteral("sePointSize"));
    pointSize_->setRange(1, 12);
    pointSize_->setSuffix(QStringLiteral(" px"));
    importFar_ = namedLineEdit("eImportFarKm", this);
    importFar_->setPlaceholderText(QStringLiteral("0.1 to 20000"));

    auto* form = new QFormLayout;
    form->addRow(soundings_);
    form->addRow(grid_);
    form->addRow(legend_);
    form->addRow(QStringLiteral("Palette"), palette_);
    form->addRow(QStringLiteral("Colour by"), colourBy_);
    form->addRow(autoRange_);
    form->addRow(QStringLiteral("Shallow end (m)"), shallow_);
    form->addRow(QStringLiteral("Deep end (m)"), deep_);
    form->addRow(QStringLiteral("Grid cell size (m)"), cellSize_);
    form->addRow(QStringLiteral("Cells show"), statistic_);
    form->addRow(QStringLiteral("Dot size"), pointSize_);
    form->addRow(QStringLiteral("Ask before importing a drawing farther than (km)"), importFar_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(
        QStringLiteral("A new cell size builds the grid again from the soundings shown."), this));
    layout->addLayout(saveCloseRow(*this, status_, [this] { SaveClick(); }));
    connect(autoRange_, &QCheckBox::toggled, this, [this] { enableFields(); });
    syncFromModel();
}

void TDepthDisplaySettings::showEvent(QShowEvent* event) {
    syncFromModel();
    QWidget::showEvent(event);
}

void TDepthDisplaySettings::enableFields() {
    shallow_->setEnabled(!autoRange_->isChecked());
    deep_->setEnabled(!autoRange_->isChecked());
}

void TDepthDisplaySettings::syncFromModel() {
    soundings_->setChecked(model_.showSoundings);
    grid_->setChecked(model_.showGrid);
    legend_->setChecked(model_.showLegend);
    palette_->setCurrentIndex(std::clamp(model_.palette, 0, 2));
    colourBy_->setCurrentIndex(model_.colourBy == 1 ? 1 : 0);
    autoRange_->setChecked(model_.autoRange);
    shallow_->setText(model_.shallow);
    deep_->setText(model_.deep);
    cellSize_->setText(model_.cellSize);
    statistic_->setCurrentIndex(std::clamp(model_.statistic, 0, 3));
    pointSize_->setValue(std::clamp(model_.pointSize, 1, 12));
    importFar_->setText(model_.importFarKm);
    enableFields();
    status_->clear();
}

bool TDepthDisplaySettings::SaveClick() {
    DepthDisplaySettings d = model_;
    d.showSoundings = soundings_->isChecked();
    d.showGrid = grid_->isChecked();
    d.showLegend = legend_->isChecked();
    d.palette = palette_->currentIndex();
    d.colourBy = colourBy_->currentIndex();
    d.autoRange = autoRange_->isChecked();
    d.shallow = shallow_->text().trimmed();
    d.deep = deep_->text().trimmed();
    d.cellSize = cellSize_->text().trimmed();
    d.statistic = statistic_->currentIndex();
    d.pointSize = pointSize_->value();
    d.importFarKm = importFar_->text().trimmed();
    const bool saved = saveEditedModel(
        model_, d, d.problem(), settings_, [&d](IniStore& ini) { d.save(ini); }, status_);
    if (saved) emit changes_.depthColoursChanged();
    return saved;
}

QString TDepthDisplaySettings::status() const {
    return status_->text();
}

}  // namespace nivora
