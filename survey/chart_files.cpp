#include "survey/chart_files.h"

#include <QFileInfo>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "core/interrupted_saves.h"
#include "files/drawing_files.h"
#include "files/layout_files.h"
#include "survey/chart_session.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

const QString kOpenTitle = QStringLiteral("Dialog Open");
const QString kSaveTitle = QStringLiteral("Dialog Save");
constexpr int kUserShapeAction = 15;

}  // namespace

ChartFiles::ChartFiles(ChartSession& chart) : chart_(chart) {}

ChartFiles::~ChartFiles() = default;

void ChartFiles::reportError(const QString& text) {
    chart_.survey().reportError(text);
}

void ChartFiles::logEvent(const QString& text) {
    chart_.survey().logs().AppendEventLog(text);
}

void ChartFiles::setCaptionFile(const QString& text) {
    caption_ = QLatin1String(kCaptionPrefix) + text;
    emit captionChanged(caption_);
}

QString ChartFiles::layoutFilter() {
    return QLatin1String(drawingFormat(DrawingFormat::Layout).dialogFilter);
}

QString ChartFiles::dxfFilter() {
    return QLatin1String(drawingFormat(DrawingFormat::Dxf).dialogFilter);
}

QString ChartFiles::dialogFolder(const QString& lastFolder) const {
    const DayFolders& folders = chart_.survey().logs().folders();
    for (const QString& folder : {lastFolder, folders.layoutsFolder(), folders.dayFolder()}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    }
    return {};
}

QString ChartFiles::chooseOpenFile(const QString& filter, QString& lastFolder) {
    OperatorPrompts* prompts = chart_.prompts();
    if (!prompts) return {};
    const QString name = prompts->chooseOpenFile(kOpenTitle, filter, dialogFolder(lastFolder));
    if (!name.isEmpty()) lastFolder = QFileInfo(name).absolutePath();
    return name;
}

QString ChartFiles::chooseSaveFile(const QString& filter, QString& lastFolder,
                                   const QString& extension) {
    OperatorPrompts* prompts = chart_.prompts();
    if (!prompts) return {};
    QString name = prompts->chooseSaveFile(kSaveTitle, filter, dialogFolder(lastFolder));
    if (name.isEmpty()) return name;
    // Without it the dialog's own filter would hide the file next time.
    if (QFileInfo(name).suffix().isEmpty()) name += extension;
    lastFolder = QFileInfo(name).absolutePath();
    return name;
}

// ---- Jobs ----

FileJobs& ChartFiles::jobs() {
    if (!jobs_) {
        jobs_ = std::make_unique<FileJobs>(chart_.document());
        connect(jobs_.get(), &FileJobs::runningChanged, this, &ChartFiles::jobRunningChanged);
    }
    return *jobs_;
}

void ChartFiles::setJobView(FileJobView* view) {
    jobs().setView(view);
}

bool ChartFiles::jobRunning() const {
    return jobs_ && jobs_->running();
}

void ChartFiles::cancelJob() {
    if (jobs_) jobs_->cancel();
}

void ChartFiles::whenNoJob(std::function<void()> f) {
    jobs().whenIdle(std::move(f));
}

// A command's result: true while its job runs, else how the job ended.
bool ChartFiles::commandResult() const {
    return jobRunning() || lastOk_;
}

// ---- Commands ----

bool ChartFiles::loadLayoutNow(const QString& path) {
    FileReport report;
    if (CadLoad(chart_.document(), path, -1, -1, 0, &report)) return true;
    reportError(QStringLiteral("Cannot open the layout %1: %2").arg(path, report.error));
    return false;
}

void ChartFiles::afterLoad() {
    CanvasDocument& doc = chart_.document();
    chart_.ensureLayers();
    chart_.clearVesselAndGrid();
    doc.SetLayerAction(chart_.layers().userShape, kUserShapeAction);
    doc.Refresh();
    emit chart_.repaintRequested();
}

bool ChartFiles::newLayout() {
    if (jobRunning()) return false;
    if (!chart_.ask(QStringLiteral("Entire layout will be cleared! Continue?"))) return false;
    CanvasDocument& doc = chart_.document();
    for (const auto& layer : doc.Layers())
        doc.CadClearShapes(layer->Id());
    doc.ClearDepthLabels();
    doc.ClearEventLabels();
    logEvent(QStringLiteral("New layout - cleared all shapes"));
    chart_.ensureLayers();
    doc.SetLayerAction(chart_.layers().userShape, kUserShapeAction);
    doc.Refresh();
    emit chart_.repaintRequested();
    return true;
}

bool ChartFiles::openLayout() {
    if (jobRunning()) return false;
    const QString name = chooseOpenFile(layoutFilter(), layoutFolder_);
    if (name.isEmpty()) return false;
    jobs().load(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (result.busy || result.cancelled) return;
        if (result.ok) {
            logEvent(QStringLiteral("Opened file: ") + name);
        } else {
            reportError(
                QStringLiteral("Cannot open the layout %1: %2").arg(name, result.report.error));
        }
        afterLoad();
    });
    return commandResult();
}

QString ChartFiles::snapshotName() {
    const DayFolders& folders = chart_.survey().logs().folders();
    // A snapshot is never written over: a second one in the same minute
    // (a second start, or Save again) takes the next free name.
    const QString name = folders.freeSnapshotPath(chart_.survey().clock().now());
    // The snapshot must not be lost for a missing folder.
    if (!QFileInfo(folders.layoutsFolder()).isDir()) chart_.survey().logs().createDayFolders();
    // Snapshots cut off by a kill under other names: their temporaries go.
    removeInterruptedSavesIn(folders.layoutsFolder(), QStringLiteral("*.nwl"));
    chart_.clearVesselAndGrid();
    return name;
}

void ChartFiles::snapshotWritten(const QString& name, const FileJobOutcome& result) {
    if (result.busy) {
        reportError(QStringLiteral("Cannot save the layout %1: another file command is still "
                                   "running")
                        .arg(name));
        return;
    }
    if (!result.ok) {
        reportError(QStringLiteral("Cannot save the layout %1: %2").arg(name, result.report.error));
        return;
    }
    logEvent(QStringLiteral("Auto-saved: ") + name);
    SurveyModels& models = chart_.survey().models();
    SessionKeys& keys = models.session;
    keys.lastFileSaved = name;
    chart_.saveSettings([&keys](IniStore& ini) { keys.saveLastFile(ini); });
    setCaptionFile(name);
    if (models.svp.profileInUse()) chart_.survey().logs().saveProfileMemos(models.svp.memoTexts());
}

QString ChartFiles::saveSnapshot() {
    const QString name = snapshotName();
    jobs().save(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        snapshotWritten(name, result);
    });
    return commandResult() ? name : QString();
}

QString ChartFiles::saveSnapshotNow() {
    const QString name = snapshotName();
    const FileJobOutcome result = jobs().saveNow(DrawingFormat::Layout, name);
    snapshotWritten(name, result);
    return result.ok ? name : QString();
}

bool ChartFiles::saveLayoutAs() {
    if (jobRunning()) return false;
    const QString name = chooseSaveFile(layoutFilter(), layoutFolder_, QStringLiteral(".nwl"));
    if (name.isEmpty()) return false;
    chart_.clearVesselAndGrid();
    jobs().save(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (result.busy) return;
        if (!result.ok) {
            reportError(
                QStringLiteral("Cannot save the layout %1: %2").arg(name, result.report.error));
            return;
        }
        caption_ = QStringLiteral("Nivora Depthwright  <") + name + QLatin1Char('>');
        emit captionChanged(caption_);
        logEvent(QStringLiteral("Saved As: ") + name);
    });
    return commandResult();
}

bool ChartFiles::importDxf() {
    if (jobRunning()) return false;
    const QString name = chooseOpenFile(dxfFilter(), dxfFolder_);
    const auto after = [this] {
        chart_.ensureLayers();
        chart_.document().Refresh();
        emit chart_.repaintRequested();
    };
    if (name.isEmpty()) {
        after();
        return false;
    }
    jobs().load(DrawingFormat::Dxf, name, [this, name, after](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (result.ok) {
            logEvent(QStringLiteral("Imported DXF: ") + name);
        } else if (!result.busy && !result.cancelled) {
            reportError(QStringLiteral("Cannot import %1: %2").arg(name, result.report.error));
        }
        after();
    });
    return commandResult();
}

bool ChartFiles::exportDxf() {
    if (jobRunning()) return false;
    const QString name = chooseSaveFile(dxfFilter(), dxfFolder_, QStringLiteral(".dxf"));
    if (name.isEmpty()) return false;
    jobs().save(DrawingFormat::Dxf, name, [this, name](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (!result.ok && !result.busy)
            reportError(QStringLiteral("Cannot export %1: %2").arg(name, result.report.error));
    });
    return commandResult();
}

}  // namespace nivora
