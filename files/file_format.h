#pragma once

// The one shape every drawing reader and writer shares: it works on a
// QIODevice (a file, or a QBuffer in tests) and reports back instead of
// showing anything. The host decides what the operator sees.

#include <QString>
#include <functional>

#include "files/load_budget.h"

class QIODevice;

namespace nivora {

class CanvasDocument;

struct FileReport {
    QString error;    // one line: why the operation failed; empty on success
    QString message;  // text for the operator, when the operation has one
    QString warning;  // something was off but the operation went on
    qint64 line = 0;  // 1-based line of the error or warning; 0 when none applies
};

class DrawingReader {
  public:
    virtual ~DrawingReader() = default;
    // Reads the whole device into `doc`; false when nothing usable was read.
    // A file beyond the budget is refused before the drawing changes.
    virtual bool read(QIODevice& in, CanvasDocument& doc) = 0;
    const FileReport& report() const { return report_; }

    const LoadBudget& budget() const { return budget_; }
    void setBudget(const LoadBudget& budget) { budget_ = budget; }

    // Called now and then while the records are read, with the share of
    // them read so far (0..1), on the reading thread. Returning false stops
    // the read (read() then returns false with stopped() set); the drawing
    // holds what was read until then.
    using Progress = std::function<bool(double share)>;
    void setProgress(Progress progress) { progress_ = std::move(progress); }
    bool stopped() const { return stopped_; }

  protected:
    FileReport report_;
    LoadBudget budget_ = LoadBudget::forThisComputer();
    Progress progress_;
    bool stopped_ = false;
    // For the readers' loops: false once the read is to stop.
    bool goOn(double share) {
        if (stopped_) return false;
        if (progress_ && !progress_(share)) stopped_ = true;
        return !stopped_;
    }
};

class DrawingWriter {
  public:
    virtual ~DrawingWriter() = default;
    // Writes `doc` to the device; false (with report().error) on any failure.
    virtual bool write(QIODevice& out, const CanvasDocument& doc) = 0;
    const FileReport& report() const { return report_; }

  protected:
    FileReport report_;
};

}  // namespace nivora
