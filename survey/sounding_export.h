#pragma once

// "Export Soundings": one of the product exports run on a worker thread,
// so the survey's timers and ports go on while a season's logs are read.
// The operator sees it through the same progress view as the file
// commands, with Cancel; a cancelled or failed export leaves no file.
// Without a view the export runs at once on the calling thread.

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "products/export_formats.h"

namespace nivora {

class FileJobView;

class SoundingExport : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(const ExportResult&)>;

    explicit SoundingExport(QObject* parent = nullptr);
    // A running export is cancelled and waited for.
    ~SoundingExport() override;

    void setView(FileJobView* view) { view_ = view; }
    bool running() const { return worker_.joinable(); }
    // False (and nothing started) while another export runs.
    bool start(ExportFormat format, const QStringList& logs, const QString& path,
               ExportOptions options, Done done);
    void cancel() { cancel_.store(true); }

  private:
    void poll();

    FileJobView* view_ = nullptr;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::atomic<qint64> done_{0};
    std::atomic<qint64> total_{0};
    ExportResult result_;
    Done onDone_;
    QTimer poll_;
};

}  // namespace nivora
