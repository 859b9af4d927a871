#pragma once

// "Export Soundings": which days' coordinate logs, which format (XYZ,
// ESRI ASCII grid, GeoPackage), depths or elevations, the thinning or the
// grid's cell and statistic, the decimals and the file. It only gathers the
// request; the export itself runs as a job with progress and Cancel.

#include <QDialog>
#include <QStringList>

#include "products/export_formats.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace nivora {

struct ExportRequest {
    ExportFormat format = ExportFormat::Xyz;
    QStringList folders;  // day folders, log folders or log files
    QString path;
    ExportOptions options;
};

class ExportDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ExportDialog(QWidget* parent = nullptr);

    // The folders offered first (the survey's day), and a file name in it.
    void prepare(const QStringList& folders, const QString& suggestedFolder);
    ExportRequest request() const;
    // Why the request cannot run, empty when it can.
    QString problem() const;

    void accept() override;

  private:
    void formatChanged();
    void browse();
    void addFolder();

    QListWidget* folders_ = nullptr;
    QComboBox* format_ = nullptr;
    QComboBox* values_ = nullptr;
    QComboBox* thinning_ = nullptr;
    QLineEdit* cell_ = nullptr;
    QComboBox* statistic_ = nullptr;
    QSpinBox* decimals_ = nullptr;
    QLineEdit* path_ = nullptr;
    QLabel* status_ = nullptr;
    QString suggestedFolder_;
};

}  // namespace nivora
