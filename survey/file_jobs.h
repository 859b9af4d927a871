#pragma once

// File commands that may take seconds (a layout of a million shapes, a large
// DXF): the reading, parsing and writing run on a worker thread while the
// event loop keeps turning, so the survey's timers, the serial ports and the
// painting go on. The command still returns its result when the work is
// done, as it always has; only the drawing itself is touched on this thread,
// in slices short enough for the 50 ms the survey may wait.
//
// A load builds into a scratch drawing and is handed over to the drawing in
// slices; a save writes a copy taken in slices. One job runs at a time.
// Without a view (the command line, tests without a window) or without an
// event loop, the same steps run at once on the calling thread.

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "files/file_format.h"

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

enum class DrawingFormat { Layout, Dxf };

struct FileJobOutcome {
    bool ok = false;
    bool busy = false;       // refused: another job runs
    bool cancelled = false;  // stopped by the operator; the drawing is as it was
    FileReport report;
};

class FileJobs {
  public:
    explicit FileJobs(CanvasDocument& doc);
    ~FileJobs();
    FileJobs(const FileJobs&) = delete;
    FileJobs& operator=(const FileJobs&) = delete;

    void setView(FileJobView* view) { view_ = view; }
    bool running() const { return running_; }

    // Adds a layout (CadLoad in adding mode) or a DXF drawing (DXFLoad).
    FileJobOutcome load(DrawingFormat format, const QString& path);
    // Writes the layout (CadSave) or the DXF (DXFSave) of the drawing.
    FileJobOutcome save(DrawingFormat format, const QString& path);
    // Stops a running load; a save goes on.
    void cancel();
    // Runs `f` from the event loop once no job runs (at once when none does).
    void whenIdle(std::function<void()> f);

    // The longest a slice of work on this thread should take.
    static constexpr int kSliceMs = 8;

  private:
    struct Phases {
        QString label;
        bool cancellable = false;
        std::function<bool()> prepare;  // a slice on this thread; true when done
        std::function<void()> work;     // on the worker
        std::function<bool()> finish;   // a slice on this thread; true when done
    };
    void run(Phases& phases);
    void runInBackground(Phases& phases);
    void ended();

    CanvasDocument& doc_;
    FileJobView* view_ = nullptr;
    bool running_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<double> progress_{0.0};
    std::thread worker_;
    std::vector<std::function<void()>> idle_;
};

}  // namespace nivora
