#pragma once

// File commands that may take seconds (a layout of a million shapes, a large
// DXF): the reading, parsing and writing run on a worker thread while the
// event loop keeps turning, so the survey's timers, the serial ports and the
// painting go on. A command starts its job and returns; the job says by
// signal (and by the command's own callback) when it has finished. Only the
// drawing itself is touched on this thread, in slices short enough for the
// 50 ms the survey may wait.
//
// A load builds into a scratch drawing and is handed over to the drawing in
// slices; a save writes a copy taken in slices. One job runs at a time, and
// while it runs the commands that would start another are switched off.
// Without a view (the command line, tests without a window) or without an
// event loop, the same steps run at once on the calling thread.

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "canvas/drawing_transfer.h"
#include "files/drawing_files.h"

namespace nivora {

class CanvasDocument;

// Shows a job to the operator (the main window's progress dialog).
class FileJobView {
  public:
    virtual ~FileJobView() = default;
    // A job began; `cancel` is empty when it cannot be stopped (a save must
    // finish or leave the old file as it was).
    virtual void jobStarted(const QString& label, std::function<void()> cancel) = 0;
    // Called every few tens of milliseconds: the share done (0..1), or a
    // negative value while it is not known.
    virtual void jobProgress(double share) = 0;
    virtual void jobFinished() = 0;
};

struct FileJobOutcome {
    bool ok = false;
    bool busy = false;       // refused: another job runs
    bool cancelled = false;  // stopped by the operator; the drawing is as it was
    bool declined = false;   // cancelled, because the placement check said no
    FileReport report;
    DrawingAddition added;  // a load's shapes and layers, to take them back
};

class FileJobs : public QObject {
    Q_OBJECT

  public:
    using Done = std::function<void(const FileJobOutcome&)>;
    // Asked with the box of a loaded drawing's shapes before it is added:
    // false leaves the drawing as it was. It may wait for the operator.
    using PlaceCheck = std::function<bool(const ShapeBounds& loaded)>;

    explicit FileJobs(CanvasDocument& doc, QObject* parent = nullptr);
    // A running load stops; a running save is written to its end.
    ~FileJobs() override;
    FileJobs(const FileJobs&) = delete;
    FileJobs& operator=(const FileJobs&) = delete;

    void setView(FileJobView* view) { view_ = view; }
    bool running() const { return job_ != nullptr; }

    // Adds a layout or a DXF drawing to the drawing; `done` is called once
    // it has ended (before this returns when the job ran at once). While a
    // job runs another is refused (busy).
    void load(DrawingFormat format, const QString& path, Done done = {}, PlaceCheck check = {});
    // Writes the layout or the DXF of the drawing.
    void save(DrawingFormat format, const QString& path, Done done = {});
    // Writes at once on this thread, whatever the view: for the close,
    // which must know what was written before the program ends.
    FileJobOutcome saveNow(DrawingFormat format, const QString& path);
    // Stops a running load; a save goes on.
    void cancel();
    // Runs `f` from the event loop once no job runs (at once when none does).
    void whenIdle(std::function<void()> f);

    // The longest a slice of work on this thread should take.
    static constexpr int kSliceMs = 8;

  signals:
    // A job started or ended: the conflicting commands follow it.
    void runningChanged(bool running);

  private:
    struct Job;
    struct LoadJob;
    struct SaveJob;
    void startSave(DrawingFormat format, const QString& path, Done done, bool inBackground);
    void start(std::unique_ptr<Job> job, bool inBackground);
    void step();
    void finish();

    CanvasDocument& doc_;
    FileJobView* view_ = nullptr;
    std::unique_ptr<Job> job_;
    QTimer pump_;
    std::thread worker_;
    std::atomic<bool> workDone_{false};
    bool stepping_ = false;  // a step waits for the operator (the placement check)
    std::vector<std::function<void()>> idle_;
};

}  // namespace nivora
