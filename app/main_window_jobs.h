#pragma once

// The main window's view of a long file command: a window-modal progress
// dialog, shown only once the command has taken half a second, with Cancel
// for a load.

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <functional>

#include "survey/file_jobs.h"

namespace nivora {

class FileJobDialog final : public FileJobView {
  public:
    static constexpr int kShowAfterMs = 500;

    explicit FileJobDialog(QWidget* parent) : parent_(parent) {}
    ~FileJobDialog() override;

    void jobStarted(const QString& label, std::function<void()> cancel) override;
    void jobProgress(double share) override;
    void jobFinished() override;

    // The dialog while it is shown, else null.
    QProgressDialog* dialog() const { return dialog_; }
    // How long a job runs before the dialog shows (tests show it at once).
    void setShowAfter(int ms) { showAfterMs_ = ms; }

  private:
    void show();

    QWidget* parent_;
    QPointer<QProgressDialog> dialog_;
    QElapsedTimer since_;
    QString label_;
    std::function<void()> cancel_;
    int showAfterMs_ = kShowAfterMs;
};

}  // namespace nivora
