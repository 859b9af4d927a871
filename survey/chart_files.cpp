#include "survey/chart_files.h"

#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "core/interrupted_saves.h"
#include "files/drawing_files.h"
#include "files/layout_files.h"
#include "survey/chart_geography.h"
#include "survey/chart_session.h"
#include "survey/import_guard.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

const QString kOpenTitle = QStringLiteral("Dialog Open");
// Imports that can be taken back; each holds its shapes' ids.
constexpr std::size_t kUndoImports = 20;
constexpr double kDefaultFarImportKm = 50.0;
const QString kSaveTitle = QStringLiteral("Dialog Save");
constexpr int kUserShapeAction = 15;

ShapeBounds unite(const ShapeBounds& a, const ShapeBounds& b) {
    return ShapeBounds{std::min(a.MinX, b.MinX), std::min(a.MinY, b.MinY), std::max(a.MaxX, b.MaxX),
                       std::max(a.MaxY, b.MaxY)};
}

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

// ---- Imports and their undo ----

double ChartFiles::farImportMetres() const {
    const double km = chart_.survey().models().depthDisplay.importFarKmValue();
    return (km > 0.0 ? km : kDefaultFarImportKm) * 1000.0;
}

FileJobs::PlaceCheck ChartFiles::placeCheck(const QString& file) {
    return [this, file](const ShapeBounds& loaded) {
        CanvasDocument& doc = chart_.document();
        std::optional<ShapeBounds> survey;
        ShapeBounds box;
        if (doc.ShapeExtents(box)) survey = box;
        const VesselPlace& vessel = chart_.vessel();
        if (vessel.at.isValid()) {
            const ShapeBounds at{vessel.grid.easting, vessel.grid.northing, vessel.grid.easting,
                                 vessel.grid.northing};
            survey = survey ? unite(*survey, at) : at;
        }
        // The view counts once there is a survey to speak of: the operator
        // may have moved it to where the drawing belongs.
        if (survey) {
            const ViewWindow& v = doc.View;
            survey = unite(*survey, ShapeBounds{std::min(v.WorldLeft, v.WorldRight),
                                                std::min(v.WorldBottom, v.WorldTop),
                                                std::max(v.WorldLeft, v.WorldRight),
                                                std::max(v.WorldBottom, v.WorldTop)});
        }
        const ImportPlacement placement = judgeImport(loaded, survey, farImportMetres());
        if (!placement.far) return true;
        const QString centre = chart_.geography().readOut((loaded.MinX + loaded.MaxX) / 2.0,
                                                          (loaded.MinY + loaded.MaxY) / 2.0);
        const QString question = importQuestion(file, placement, loaded, centre);
        if (chart_.ask(question)) return true;
        logEvent(QStringLiteral("Import declined, far from the survey: ") + file);
        return false;
    };
}

void ChartFiles::remember(const QString& file, const FileJobOutcome& result) {
    if (!result.ok) return;
    imports_.push_back(Import{file, result.added});
    if (imports_.size() > kUndoImports) imports_.erase(imports_.begin());
    emit importsChanged();
}

void ChartFiles::forgetImports() {
    if (imports_.empty()) return;
    imports_.clear();
    emit importsChanged();
}

QString ChartFiles::lastImportName() const {
    return imports_.empty() ? QString() : imports_.back().file;
}

bool ChartFiles::undoImport() {
    if (jobRunning() || imports_.empty()) return false;
    const Import last = std::move(imports_.back());
    imports_.pop_back();
    const std::size_t taken = TakeBack(chart_.document(), last.added);
    logEvent(QStringLiteral("Import undone: %1 (%2 shapes)").arg(last.file).arg(taken));
    chart_.ensureLayers();
    chart_.document().Refresh();
    emit chart_.repaintRequested();
    emit importsChanged();
    return true;
}

bool ChartFiles::loadLayoutNow(const QString& path) {
    forgetImports();
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
    forgetImports();
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
    const auto done = [this, name](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (result.busy || result.cancelled) return;
        if (result.ok) {
            logEvent(QStringLiteral("Opened file: ") + name);
            remember(name, result);
        } else {
            reportError(
                QStringLiteral("Cannot open the layout %1: %2").arg(name, result.report.error));
        }
        afterLoad();
    };
    jobs().load(DrawingFormat::Layout, name, done, placeCheck(name));
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
    const auto done = [this, name, after](const FileJobOutcome& result) {
        lastOk_ = result.ok;
        if (result.ok) {
            logEvent(QStringLiteral("Imported DXF: ") + name);
            remember(name, result);
        } else if (!result.busy && !result.cancelled) {
            reportError(QStringLiteral("Cannot import %1: %2").arg(name, result.report.error));
        }
        after();
    };
    jobs().load(DrawingFormat::Dxf, name, done, placeCheck(name));
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
