#include "app/export_dialog.h"

#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/number_text.h"

namespace nivora {

namespace {

const XyzThinning kThinnings[] = {XyzThinning::All, XyzThinning::Shoalest, XyzThinning::Mean,
                                  XyzThinning::Nearest};
const GridStatistic kStatistics[] = {GridStatistic::Minimum, GridStatistic::Maximum,
                                     GridStatistic::Mean, GridStatistic::Count,
                                     GridStatistic::Last};
const DepthValue kValues[] = {DepthValue::Depth, DepthValue::Reduced, DepthValue::Elevation};

}  // namespace

ExportDialog::ExportDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Export Soundings"));
    folders_ = new QListWidget(this);
    folders_->setObjectName(QStringLiteral("lFolders"));
    folders_->setMinimumHeight(70);
    auto* add = new QPushButton(QStringLiteral("Add Folder..."), this);
    auto* remove = new QPushButton(QStringLiteral("Remove"), this);
    connect(add, &QPushButton::clicked, this, &ExportDialog::addFolder);
    connect(remove, &QPushButton::clicked, this, [this] { delete folders_->currentItem(); });

    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("cbFormat"));
    for (const ExportFormatInfo& f : exportFormats())
        format_->addItem(QString::fromLatin1(f.title));
    values_ = new QComboBox(this);
    values_->setObjectName(QStringLiteral("cbValues"));
    values_->addItems({QStringLiteral("True depth (+ down)"),
                       QStringLiteral("Depth reduced to the datum (+ down)"),
                       QStringLiteral("Elevation above the datum (+ up)")});
    thinning_ = new QComboBox(this);
    thinning_->setObjectName(QStringLiteral("cbThinning"));
    thinning_->addItems({QStringLiteral("Every sounding"),
                         QStringLiteral("One per cell: the shoalest"),
                         QStringLiteral("One per cell: the mean at the centre"),
                         QStringLiteral("One per cell: the nearest the centre")});
    cell_ = new QLineEdit(QStringLiteral("5"), this);
    cell_->setObjectName(QStringLiteral("eCell"));
    statistic_ = new QComboBox(this);
    statistic_->setObjectName(QStringLiteral("cbStatistic"));
    statistic_->addItems({QStringLiteral("Minimum"), QStringLiteral("Maximum"),
                          QStringLiteral("Mean"), QStringLiteral("Count"), QStringLiteral("Last")});
    statistic_->setCurrentIndex(2);
    decimals_ = new QSpinBox(this);
    decimals_->setObjectName(QStringLiteral("seDecimals"));
    decimals_->setRange(0, 9);
    decimals_->setValue(2);
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("ePath"));
    path_->setMinimumWidth(360);
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &ExportDialog::browse);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lStatus"));
    status_->setWordWrap(true);

    auto* folderButtons = new QVBoxLayout;
    folderButtons->addWidget(add);
    folderButtons->addWidget(remove);
    folderButtons->addStretch();
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folders_);
    folderRow->addLayout(folderButtons);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(path_);
    pathRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Coordinate logs of"), folderRow);
    form->addRow(QStringLiteral("Format"), format_);
    form->addRow(QStringLiteral("Values"), values_);
    form->addRow(QStringLiteral("Points"), thinning_);
    form->addRow(QStringLiteral("Cell size (m)"), cell_);
    form->addRow(QStringLiteral("Grid cells show"), statistic_);
    form->addRow(QStringLiteral("Decimals"), decimals_);
    form->addRow(QStringLiteral("File"), pathRow);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Export"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(buttons);
    connect(format_, &QComboBox::currentIndexChanged, this, &ExportDialog::formatChanged);
    connect(thinning_, &QComboBox::currentIndexChanged, this, &ExportDialog::formatChanged);
    formatChanged();
}

void ExportDialog::prepare(const QStringList& folders, const QString& suggestedFolder) {
    suggestedFolder_ = suggestedFolder;
    if (folders_->count() == 0) folders_->addItems(folders);
    if (path_->text().isEmpty()) formatChanged();
    status_->clear();
}

void ExportDialog::formatChanged() {
    const ExportFormatInfo& info = exportFormats()[static_cast<std::size_t>(
        std::clamp(format_->currentIndex(), 0, int(exportFormats().size()) - 1))];
    const bool xyz = info.format == ExportFormat::Xyz;
    const bool grid = info.format == ExportFormat::AsciiGrid;
    thinning_->setEnabled(xyz);
    cell_->setEnabled(grid || (xyz && thinning_->currentIndex() != 0));
    statistic_->setEnabled(grid);
    decimals_->setEnabled(xyz || grid);
    // The file follows the format while it is the suggested one.
    const QString ext = QString::fromLatin1(info.extension);
    QString path = path_->text();
    if (path.isEmpty() && !suggestedFolder_.isEmpty()) {
        path = QDir(suggestedFolder_)
                   .filePath(QDate::currentDate().toString(Qt::ISODate) +
                             QStringLiteral(" Soundings.") + ext);
    } else if (!path.isEmpty()) {
        const QFileInfo fi(path);
        if (findExportFormat(fi.suffix()))
            path = fi.path() + QLatin1Char('/') + fi.completeBaseName() + QLatin1Char('.') + ext;
    }
    path_->setText(QDir::toNativeSeparators(path));
}

void ExportDialog::browse() {
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Export Soundings"),
                                                        path_->text(), exportFileFilters());
    if (!chosen.isEmpty()) path_->setText(QDir::toNativeSeparators(chosen));
}

void ExportDialog::addFolder() {
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Coordinate logs"),
                                                          suggestedFolder_);
    if (!dir.isEmpty()) folders_->addItem(QDir::toNativeSeparators(dir));
}

ExportRequest ExportDialog::request() const {
    ExportRequest r;
    r.format = exportFormats()[static_cast<std::size_t>(std::clamp(
                                   format_->currentIndex(), 0, int(exportFormats().size()) - 1))]
                   .format;
    for (int k = 0; k < folders_->count(); ++k)
        r.folders << QDir::fromNativeSeparators(folders_->item(k)->text());
    r.path = QDir::fromNativeSeparators(path_->text().trimmed());
    r.options.values = kValues[std::clamp(values_->currentIndex(), 0, 2)];
    r.options.thinning = kThinnings[std::clamp(thinning_->currentIndex(), 0, 3)];
    r.options.statistic = kStatistics[std::clamp(statistic_->currentIndex(), 0, 4)];
    r.options.decimals = decimals_->value();
    r.options.cellSizeM = toNumber(cell_->text()).value_or(0);
    return r;
}

QString ExportDialog::problem() const {
    const ExportRequest r = request();
    if (r.folders.isEmpty()) return QStringLiteral("Add a folder with coordinate logs");
    if (r.path.isEmpty()) return QStringLiteral("Name the file to write");
    if (cell_->isEnabled() && !(r.options.cellSizeM >= CoverageGrid::kMinCellSize &&
                                r.options.cellSizeM <= CoverageGrid::kMaxCellSize))
        return QStringLiteral("Cell size: '%1' is not a number from 0.5 to 50").arg(cell_->text());
    return {};
}

void ExportDialog::accept() {
    const QString why = problem();
    if (!why.isEmpty()) {
        status_->setText(why);
        return;
    }
    QDialog::accept();
}

}  // namespace nivora
