#include "app/main_window_jobs.h"

#include "survey/chart_files.h"

namespace nivora {

FileJobDialog::~FileJobDialog() {
    delete dialog_.data();
}

void FileJobDialog::jobStarted(const QString& label, std::function<void()> cancel) {
    label_ = label;
    cancel_ = std::move(cancel);
    since_.start();
}

void FileJobDialog::show() {
    auto* d = new QProgressDialog(label_, QStringLiteral("Cancel"), 0, 1000, parent_);
    d->setObjectName(QStringLiteral("FileJobProgress"));
    d->setWindowTitle(QLatin1String(ChartFiles::kCaptionPrefix).chopped(3));
    d->setWindowModality(Qt::WindowModal);
    d->setAutoClose(false);
    d->setAutoReset(false);
    d->setMinimumDuration(0);
    d->setMinimumWidth(420);
    if (cancel_) {
        QObject::connect(d, &QProgressDialog::canceled, d, [this] {
            if (cancel_) cancel_();
            if (dialog_) dialog_->setLabelText(label_ + QStringLiteral("\nCancelling..."));
        });
    } else {
        // A save finishes or leaves the old file; there is nothing to stop.
        d->setCancelButton(nullptr);
        d->setWindowFlags(d->windowFlags() & ~Qt::WindowCloseButtonHint);
    }
    dialog_ = d;
    d->show();
}

void FileJobDialog::jobProgress(double share) {
    if (!dialog_) {
        if (since_.elapsed() < showAfterMs_) return;
        show();
    }
    if (share < 0) {
        dialog_->setRange(0, 0);
    } else {
        dialog_->setRange(0, 1000);
        dialog_->setValue(static_cast<int>(share * 1000));
    }
}

void FileJobDialog::jobFinished() {
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater();
    }
    dialog_ = nullptr;
    cancel_ = {};
}

}  // namespace nivora
