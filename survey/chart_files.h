#pragma once

// The chart's file commands: a new layout, Open, the layout snapshot
// ("Save"), Save As, DXF import and export, and the caption that names the
// file. A command asks for its file, starts its job and returns; the job
// goes on in the background when there is a view for it, and its result is
// said (events log, caption, error report) when it ends. While a job runs
// the commands that would start another are refused here and switched off
// in the window.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "survey/file_jobs.h"

namespace nivora {

class ChartSession;

class ChartFiles : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kCaptionPrefix = "Nivora Depthwright - ";

    explicit ChartFiles(ChartSession& chart);
    ~ChartFiles() override;

    // Commands return false when nothing was started or the job, done at
    // once, failed; true while it runs.
    bool newLayout();
    bool openLayout();
    // The layout snapshot: the file it writes (empty when it could not
    // start or, done at once, failed).
    QString saveSnapshot();
    // The snapshot written now, on this thread, for the close: the file,
    // empty on failure.
    QString saveSnapshotNow();
    bool saveLayoutAs();
    bool importDxf();
    bool exportDxf();
    // Takes the last import (a DXF, or a layout opened into the drawing) back:
    // its shapes, the layers it opened, the view from before. False when
    // there is none to take back or a file job runs.
    bool undoImport();
    // The file of the import undoImport would take back; empty for none.
    QString lastImportName() const;
    // An import farther than this from the survey area is asked about.
    double farImportMetres() const;
    // A layout read now, on this thread, replacing the drawing (the first
    // show's last layout); false, reported, when it could not be read.
    bool loadLayoutNow(const QString& path);

    const QString& caption() const { return caption_; }
    // The caption's file name after a load or save.
    void setCaptionFile(const QString& text);
    static QString layoutFilter();
    static QString dxfFilter();

    void setJobView(FileJobView* view);
    bool jobRunning() const;
    // Stops a running load; a save goes on to its end.
    void cancelJob();
    // Runs `f` from the event loop once no file job runs (at once when none does).
    void whenNoJob(std::function<void()> f);

  signals:
    void captionChanged(const QString& caption);
    void jobRunningChanged(bool running);
    // An import was added or taken back.
    void importsChanged();

  private:
    FileJobs& jobs();
    bool commandResult() const;
    QString snapshotName();
    void snapshotWritten(const QString& name, const FileJobOutcome& result);
    void afterLoad();
    // Asks before a drawing that lies away from the survey is added.
    FileJobs::PlaceCheck placeCheck(const QString& file);
    void remember(const QString& file, const FileJobOutcome& result);
    void forgetImports();
    // File dialogs start in the folder last used for that kind of file,
    // else in the day's layouts folder; a name to write typed without an
    // extension gets the one of its format.
    QString chooseOpenFile(const QString& filter, QString& lastFolder);
    QString chooseSaveFile(const QString& filter, QString& lastFolder, const QString& extension);
    QString dialogFolder(const QString& lastFolder) const;
    void reportError(const QString& text);
    void logEvent(const QString& text);

    ChartSession& chart_;
    std::unique_ptr<FileJobs> jobs_;
    bool lastOk_ = false;
    QString caption_;
    QString layoutFolder_, dxfFolder_;  // where the last layout and DXF dialogs ended
    struct Import {
        QString file;
        DrawingAddition added;
    };
    std::vector<Import> imports_;  // oldest first
};

}  // namespace nivora
