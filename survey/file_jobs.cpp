#include "survey/file_jobs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include "canvas/canvas_document.h"
#include "canvas/drawing_transfer.h"
#include "files/dxf_reader.h"
#include "files/dxf_writer.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"

namespace nivora {
namespace {

// Thrown from a reader's progress report to stop it; never leaves the job.
struct LoadCancelled {};

constexpr std::size_t kShapesPerCheck = 1024;
constexpr int kPollMs = 15;

// Runs `step` on up to `count` shapes at a time until it is done or the
// slice's time is up.
bool timedSlice(const std::function<bool(std::size_t)>& step) {
    QElapsedTimer clock;
    clock.start();
    while (!step(kShapesPerCheck)) {
        if (clock.elapsed() >= FileJobs::kSliceMs) return false;
    }
    return true;
}

double shareDone(std::size_t left, std::size_t total) {
    return total == 0 ? 1.0 : 1.0 - static_cast<double>(left) / static_cast<double>(total);
}

}  // namespace

FileJobs::FileJobs(CanvasDocument& doc) : doc_(doc) {}

FileJobs::~FileJobs() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void FileJobs::cancel() {
    if (running_) cancel_ = true;
}

void FileJobs::whenIdle(std::function<void()> f) {
    if (!running_) {
        f();
        return;
    }
    idle_.push_back(std::move(f));
}

void FileJobs::ended() {
    running_ = false;
    cancel_ = false;
    std::vector<std::function<void()>> waiting = std::move(idle_);
    idle_.clear();
    for (auto& f : waiting) {
        // From the event loop, once the command that ran the job has returned.
        if (QCoreApplication::instance())
            QTimer::singleShot(0, QCoreApplication::instance(), std::move(f));
        else
            f();
    }
}

void FileJobs::run(Phases& phases) {
    running_ = true;
    cancel_ = false;
    progress_ = 0.0;
    if (view_ && QCoreApplication::instance()) {
        runInBackground(phases);
    } else {
        while (!phases.prepare()) {
        }
        phases.work();
        while (!phases.finish()) {
        }
    }
    ended();
}

// The event loop turns while the phases run: slices of this thread's work
// on a zero timer, the worker watched every few milliseconds.
void FileJobs::runInBackground(Phases& phases) {
    enum class Step { Prepare, Work, Finish };
    Step step = Step::Prepare;
    std::atomic<bool> done{false};
    QEventLoop loop;
    QTimer pump;
    pump.setInterval(0);
    view_->jobStarted(phases.label, phases.cancellable ? std::function<void()>([this] { cancel(); })
                                                       : std::function<void()>());
    QObject::connect(&pump, &QTimer::timeout, &loop, [&] {
        switch (step) {
            case Step::Prepare:
                if (!phases.prepare()) break;
                step = Step::Work;
                pump.setInterval(kPollMs);
                worker_ = std::thread([&] {
                    phases.work();
                    done = true;
                });
                break;
            case Step::Work:
                if (!done) break;
                worker_.join();
                step = Step::Finish;
                pump.setInterval(0);
                break;
            case Step::Finish:
                if (!phases.finish()) break;
                pump.stop();
                loop.quit();
                return;
        }
        view_->jobProgress(progress_);
    });
    pump.start();
    loop.exec();
    // The application quitting ends every event loop; the job still ends
    // here, so that nothing the worker uses goes away under it. A load
    // stops; a save is written to its end.
    if (pump.isActive() && phases.cancellable) cancel_ = true;
    if (step == Step::Prepare) {
        while (!phases.prepare()) {
        }
        phases.work();
    } else if (worker_.joinable()) {
        worker_.join();
    }
    if (pump.isActive()) {
        pump.stop();
        while (!phases.finish()) {
        }
    }
    view_->jobFinished();
}

FileJobOutcome FileJobs::load(DrawingFormat format, const QString& path) {
    FileJobOutcome out;
    if (running_) {
        out.busy = true;
        return out;
    }
    auto scratch = std::make_unique<CanvasDocument>();
    DrawingMerge merge(doc_, *scratch);
    std::unique_ptr<DrawingReader> reader;
    if (format == DrawingFormat::Layout) {
        reader = std::make_unique<NwlReader>(true);
    } else {
        reader = std::make_unique<DxfReader>();
    }
    std::atomic<bool> stopped{false};
    reader->setProgress([this, &stopped](double share) {
        // Parsing is most of a load; reading and unpacking take the first tenth.
        progress_ = 0.1 + 0.8 * share;
        if (cancel_) {
            stopped = true;
            throw LoadCancelled{};
        }
    });
    std::size_t total = 0;
    bool adopted = false;
    Phases phases;
    phases.label = (format == DrawingFormat::Layout ? QStringLiteral("Opening %1")
                                                    : QStringLiteral("Importing %1"))
                       .arg(path);
    phases.cancellable = true;
    phases.prepare = [] { return true; };
    phases.work = [&] {
        out.ok = loadWith(*reader, *scratch, path, &out.report);
        if (format == DrawingFormat::Dxf && !out.ok && out.report.message.isEmpty() &&
            QFile::exists(path))
            out.report.message = QStringLiteral("DXF load failed: ") + out.report.error;
        // What a cancelled load made is freed here, not on the survey's thread.
        if (stopped) scratch->CadClearShapes(-1);
        total = scratch->ShapeCount();
    };
    phases.finish = [&] {
        if (stopped) {
            merge.abandon();
            return true;
        }
        if (!adopted) {
            merge.adoptStructure();
            adopted = true;
        }
        const bool all = timedSlice([&](std::size_t n) { return merge.moveShapes(n); });
        progress_ = 0.9 + 0.1 * shareDone(merge.shapesLeft(), total);
        if (!all) return false;
        // What the reader would have done last on the drawing itself.
        if (format == DrawingFormat::Layout) {
            if (merge.worldChanged()) merge.copyWorld();
        } else {
            doc_.WorldExtents();
        }
        doc_.Refresh();
        return true;
    };
    run(phases);
    if (stopped) {
        out = FileJobOutcome{};
        out.cancelled = true;
    }
    return out;
}

FileJobOutcome FileJobs::save(DrawingFormat format, const QString& path) {
    FileJobOutcome out;
    if (running_) {
        out.busy = true;
        return out;
    }
    auto copy = std::make_unique<CanvasDocument>();
    DrawingSnapshot snapshot(doc_, *copy);
    const std::size_t total = snapshot.shapesLeft();
    std::unique_ptr<DrawingWriter> writer;
    if (format == DrawingFormat::Layout) {
        writer = std::make_unique<NwlWriter>();
    } else {
        writer = std::make_unique<DxfWriter>();
    }
    Phases phases;
    phases.label = (format == DrawingFormat::Layout ? QStringLiteral("Saving %1")
                                                    : QStringLiteral("Exporting %1"))
                       .arg(path);
    phases.prepare = [&] {
        const bool all = timedSlice([&](std::size_t n) { return snapshot.copyShapes(n); });
        progress_ = 0.2 * shareDone(snapshot.shapesLeft(), total);
        return all;
    };
    phases.work = [&] {
        progress_ = -1.0;
        out.ok = saveWith(*writer, *copy, path, &out.report);
        // A million shapes take a while to free; not on the survey's thread.
        copy.reset();
    };
    phases.finish = [] { return true; };
    run(phases);
    return out;
}

}  // namespace nivora
