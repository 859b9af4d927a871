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
    // them read so far (0..1), on the reading thread. It may throw to stop
    // the read; the drawing then holds what was read until then.
    void setProgress(std::function<void(double)> progress) { progress_ = std::move(progress); }
    const std::function<void(double)>& progress() const { return progress_; }

  protected:
    FileReport report_;
    LoadBudget budget_ = LoadBudget::forThisComputer();
    std::function<void(double)> progress_;
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
