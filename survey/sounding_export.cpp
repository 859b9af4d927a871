#include "survey/sounding_export.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "survey/file_jobs.h"

namespace nivora {

SoundingExport::SoundingExport(QObject* parent) : QObject(parent) {
    poll_.setInterval(50);
    connect(&poll_, &QTimer::timeout, this, &SoundingExport::poll);
}

SoundingExport::~SoundingExport() {
    if (worker_.joinable()) {
        cancel_.store(true);
        worker_.join();
    }
    if (view_ && poll_.isActive()) view_->jobFinished();
}

bool SoundingExport::start(ExportFormat format, const QStringList& logs, const QString& path,
                           ExportOptions options, Done done) {
    if (worker_.joinable()) return false;
    cancel_.store(false);
    finished_.store(false);
    done_.store(0);
    total_.store(0);
    onDone_ = std::move(done);
    auto progress = [this](qint64 d, qint64 t) {
        done_.store(d, std::memory_order_relaxed);
        total_.store(t, std::memory_order_relaxed);
        return !cancel_.load(std::memory_order_relaxed);
    };
    if (!view_ || !QCoreApplication::instance()) {
        const ExportResult r = exportSoundings(format, logs, path, options, progress);
        if (onDone_) onDone_(r);
        return true;
    }
    view_->jobStarted(QStringLiteral("Exporting soundings to %1").arg(QFileInfo(path).fileName()),
                      [this] { cancel(); });
    worker_ = std::thread([this, format, logs, path, options = std::move(options), progress] {
        result_ = exportSoundings(format, logs, path, options, progress);
        finished_.store(true, std::memory_order_release);
    });
    poll_.start();
    return true;
}

void SoundingExport::poll() {
    if (!finished_.load(std::memory_order_acquire)) {
        const qint64 t = total_.load(std::memory_order_relaxed);
        view_->jobProgress(t > 0 ? double(done_.load(std::memory_order_relaxed)) / double(t)
                                 : -1.0);
        return;
    }
    poll_.stop();
    worker_.join();
    view_->jobFinished();
    Done done = std::move(onDone_);
    onDone_ = {};
    if (done) done(result_);
}

}  // namespace nivora
