#include "survey/file_jobs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>

#include "canvas/canvas_document.h"
#include "canvas/drawing_transfer.h"
#include "files/layout_files.h"

namespace nivora {
namespace {

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

// One job: a slice of work on this thread before the worker's part, the
// worker's part, and slices after it. Its state lives as long as it does.
struct FileJobs::Job {
    virtual ~Job() = default;
    virtual bool prepare() = 0;  // a slice; true when done
    virtual void work() = 0;     // on the worker
    virtual bool finish() = 0;   // a slice; true when done
    QString label;
    bool cancellable = false;
    std::atomic<bool> cancel{false};
    std::atomic<double> progress{0.0};
    FileJobOutcome outcome;
    Done done;
};

struct FileJobs::LoadJob final : FileJobs::Job {
    LoadJob(CanvasDocument& doc, DrawingFormat f, const QString& p)
        : live(doc), format(f), path(p), merge(doc, scratch) {
        reader = drawingFormat(format).reader(scratch, true);
        // Parsing is most of a load; reading and unpacking take the first tenth.
        reader->setProgress([this](double share) {
            progress = 0.1 + 0.8 * share;
            return !cancel;
        });
    }
    bool prepare() override { return true; }
    void work() override {
        outcome.ok = loadWith(*reader, scratch, path, &outcome.report);
        if (format == DrawingFormat::Dxf && !outcome.ok && outcome.report.message.isEmpty() &&
            QFile::exists(path))
            outcome.report.message = QStringLiteral("DXF load failed: ") + outcome.report.error;
        stopped = cancel || reader->stopped();
        // What a cancelled load made is freed here, not on the survey's thread.
        if (stopped) scratch.CadClearShapes(-1);
        total = scratch.ShapeCount();
        if (check && !stopped) hasBox = scratch.ShapeExtents(box);
    }
    bool finish() override {
        if (!stopped && !adopted && check && hasBox && !check(box)) {
            stopped = true;
            declined = true;
        }
        if (stopped) {
            merge.abandon();
            outcome = FileJobOutcome{};
            outcome.cancelled = true;
            outcome.declined = declined;
            return true;
        }
        if (!adopted) {
            viewBefore = live.View;
            merge.adoptStructure();
            adopted = true;
        }
        const bool all = timedSlice([&](std::size_t n) { return merge.moveShapes(n); });
        progress = 0.9 + 0.1 * shareDone(merge.shapesLeft(), total);
        if (!all) return false;
        // What the reader would have done last on the drawing itself.
        if (format == DrawingFormat::Layout) {
            if (merge.worldChanged()) merge.copyWorld();
        } else {
            live.WorldExtents();
        }
        live.Refresh();
        outcome.added = DrawingAddition{merge.movedIds(), merge.createdLayers(),
                                        merge.blocksBefore(), viewBefore};
        return true;
    }

    CanvasDocument& live;
    DrawingFormat format;
    QString path;
    CanvasDocument scratch;
    DrawingMerge merge;
    std::unique_ptr<DrawingReader> reader;
    std::size_t total = 0;
    bool adopted = false;
    bool stopped = false;
    PlaceCheck check;
    bool hasBox = false;
    ShapeBounds box{};
    bool declined = false;
    ViewWindow viewBefore;
};

struct FileJobs::SaveJob final : FileJobs::Job {
    SaveJob(const CanvasDocument& doc, DrawingFormat f, const QString& p)
        : path(p),
          copy(std::make_unique<CanvasDocument>()),
          snapshot(doc, *copy),
          total(snapshot.shapesLeft()),
          writer(drawingFormat(f).writer()) {}
    bool prepare() override {
        const bool all = timedSlice([&](std::size_t n) { return snapshot.copyShapes(n); });
        progress = 0.2 * shareDone(snapshot.shapesLeft(), total);
        return all;
    }
    void work() override {
        progress = -1.0;
        outcome.ok = saveWith(*writer, *copy, path, &outcome.report);
        // A million shapes take a while to free; not on the survey's thread.
        copy.reset();
    }
    bool finish() override { return true; }

    QString path;
    std::unique_ptr<CanvasDocument> copy;
    DrawingSnapshot snapshot;
    std::size_t total;
    std::unique_ptr<DrawingWriter> writer;
};

FileJobs::FileJobs(CanvasDocument& doc, QObject* parent) : QObject(parent), doc_(doc) {
    pump_.setInterval(0);
    connect(&pump_, &QTimer::timeout, this, &FileJobs::step);
}

FileJobs::~FileJobs() {
    if (!job_) return;
    // The program ends: a load stops, a save is written to its end, so that
    // nothing the worker uses goes away under it.
    pump_.stop();
    job_->cancel = true;
    if (worker_.joinable()) {
        worker_.join();
    } else if (workDone_ == false) {
        while (!job_->prepare()) {
        }
        job_->work();
    }
    if (view_) view_->jobFinished();
}

void FileJobs::load(DrawingFormat format, const QString& path, Done done, PlaceCheck check) {
    if (running()) {
        FileJobOutcome busy;
        busy.busy = true;
        if (done) done(busy);
        return;
    }
    auto job = std::make_unique<LoadJob>(doc_, format, path);
    job->label = QStringLiteral("%1 %2").arg(QLatin1String(drawingFormat(format).loadLabel), path);
    job->cancellable = true;
    job->check = std::move(check);
    job->done = std::move(done);
    start(std::move(job), view_ && QCoreApplication::instance());
}

void FileJobs::save(DrawingFormat format, const QString& path, Done done) {
    startSave(format, path, std::move(done), view_ && QCoreApplication::instance());
}

FileJobOutcome FileJobs::saveNow(DrawingFormat format, const QString& path) {
    FileJobOutcome out;
    startSave(
        format, path, [&out](const FileJobOutcome& o) { out = o; }, false);
    return out;
}

void FileJobs::startSave(DrawingFormat format, const QString& path, Done done, bool inBackground) {
    if (running()) {
        FileJobOutcome busy;
        busy.busy = true;
        if (done) done(busy);
        return;
    }
    auto job = std::make_unique<SaveJob>(doc_, format, path);
    job->label = QStringLiteral("%1 %2").arg(QLatin1String(drawingFormat(format).saveLabel), path);
    job->done = std::move(done);
    start(std::move(job), inBackground);
}

void FileJobs::start(std::unique_ptr<Job> job, bool inBackground) {
    job_ = std::move(job);
    workDone_ = false;
    emit runningChanged(true);
    if (!inBackground) {
        while (!job_->prepare()) {
        }
        job_->work();
        while (!job_->finish()) {
        }
        finish();
        return;
    }
    Job* j = job_.get();
    view_->jobStarted(j->label, j->cancellable ? std::function<void()>([this] { cancel(); })
                                               : std::function<void()>());
    pump_.setInterval(0);
    pump_.start();
}

// One turn of the job from the event loop: a slice of this thread's work on
// a zero timer, the worker watched every few milliseconds.
void FileJobs::step() {
    // The placement check's question turns the event loop, and this timer with it.
    if (stepping_) return;
    stepping_ = true;
    const auto done = qScopeGuard([this] { stepping_ = false; });
    Job& j = *job_;
    if (!worker_.joinable() && !workDone_) {
        if (j.prepare()) {
            pump_.setInterval(kPollMs);
            worker_ = std::thread([this, &j] {
                j.work();
                workDone_ = true;
            });
        }
    } else if (worker_.joinable()) {
        if (workDone_) {
            worker_.join();
            pump_.setInterval(0);
        }
    } else if (j.finish()) {
        pump_.stop();
        if (view_) view_->jobFinished();
        finish();
        return;
    }
    if (view_) view_->jobProgress(j.progress);
}

void FileJobs::finish() {
    std::unique_ptr<Job> job = std::move(job_);
    emit runningChanged(false);
    if (job->done) job->done(job->outcome);
    std::vector<std::function<void()>> waiting = std::move(idle_);
    idle_.clear();
    for (auto& f : waiting) {
        // From the event loop, once the command that ran the job has returned.
        if (QCoreApplication::instance())
            QTimer::singleShot(0, this, std::move(f));
        else
            f();
    }
}

void FileJobs::cancel() {
    if (job_ && job_->cancellable) job_->cancel = true;
}

void FileJobs::whenIdle(std::function<void()> f) {
    if (!running()) {
        f();
        return;
    }
    idle_.push_back(std::move(f));
}

}  // namespace nivora
