// The main window's behaviour that needs no widget: first show and close,
// the "CANVAS" keys, the file and view commands, the canvas's mouse events
// and keys, and the settings the windows push into the canvas.

#include <QFileInfo>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "files/layout_files.h"
#include "sensors/receiver_presets.h"
#include "survey/file_jobs.h"
#include "survey/survey_session.h"

namespace nivora {
namespace {

const QString kOpenTitle = QStringLiteral("Dialog Open");
const QString kSaveTitle = QStringLiteral("Dialog Save");
constexpr int kUserShapeAction = 15;

QString fixed2(double v) {
    return QString::fromStdString(formatFixed(v, 2));
}

}  // namespace

// ---- Lifecycle ----

void SurveySession::firstShow() {
    EnsureLayers();
    const QString name = models_.session.lastFileSaved;
    // A missing or unreadable layout leaves the standard layers; the caption
    // still names it.
    if (!name.isEmpty()) loadLayout(name, false);
    EnsureLayers();
    removeVesselAndGrid();
    setCaptionFile(name);
    language_ = Language::English;
    applyCanvasKeys(models_.session.canvas);
    EnsureLayers();
}

QString SurveySession::closeSequence() {
    // The readers close whatever state they are in; nothing they say now
    // may stop the close.
    gnss_.Close();
    sounder_.Close();
    mapTimer_->stop();
    echogramTimer_->stop();
    state_.Running = false;
    const QString snapshot = saveSnapshotNow();
    models_.session.canvas = canvasKeys();
    SessionKeys& keys = models_.session;
    saveSettings([&keys](IniStore& ini) { keys.saveCanvas(ini); });
    flushLogs();
    return snapshot;
}

CanvasKeys SurveySession::canvasKeys() const {
    CanvasKeys k;
    k.planWorldLeft = doc_.View.WorldLeft;
    k.planWorldRight = doc_.View.WorldRight;
    k.planWorldTop = doc_.View.WorldTop;
    k.planWorldBottom = doc_.View.WorldBottom;
    k.gridAutoScale = doc_.Grid.GridAutoScale;
    k.depthSpeedDisplayMode = doc_.Overlay.DepthSpeedDisplayMode;
    k.ggaOverlayPosition = doc_.Overlay.GGAOverlayPosition;
    return k;
}

void SurveySession::applyCanvasKeys(const CanvasKeys& k) {
    doc_.WorldSet(k.planWorldLeft, k.planWorldTop, k.planWorldRight, k.planWorldBottom);
    doc_.Grid.GridAutoScale = k.gridAutoScale;
    // Corners outside 0..3 would place an overlay nowhere.
    doc_.Overlay.DepthSpeedDisplayMode = std::clamp(k.depthSpeedDisplayMode, 0, 3);
    doc_.Overlay.GGAOverlayPosition = std::clamp(k.ggaOverlayPosition, 0, 3);
    doc_.Dirty = true;
    emit canvasRepaintRequested();
}

void SurveySession::setCaptionFile(const QString& text) {
    caption_ = QLatin1String(kCaptionPrefix) + text;
    emit captionChanged(caption_);
}

// ---- File commands ----

void SurveySession::removeVesselAndGrid() {
    doc_.CadClearShapes(layers_.grid);
    doc_.CadClearShapes(layers_.vessel);
}

bool SurveySession::loadLayout(const QString& path, bool append) {
    FileReport report;
    if (CadLoad(doc_, path, -1, -1, append ? 1 : 0, &report)) return true;
    reportError(QStringLiteral("Cannot open the layout %1: %2").arg(path, report.error));
    return false;
}

bool SurveySession::newLayout() {
    if (fileJobRunning()) return false;
    if (!askYesNo(QStringLiteral("Entire layout will be cleared! Continue?"))) return false;
    for (const auto& layer : doc_.Layers())
        doc_.CadClearShapes(layer->Id());
    doc_.ClearDepthLabels();
    doc_.ClearEventLabels();
    logs_.AppendEventLog(QStringLiteral("New layout - cleared all shapes"));
    EnsureLayers();
    doc_.SetLayerAction(layers_.userShape, kUserShapeAction);
    doc_.Refresh();
    emit canvasRepaintRequested();
    return true;
}

// A command's result: true while its job runs, else how the job ended.
bool SurveySession::fileCommandResult() const {
    return fileJobRunning() || lastFileCommandOk_;
}

bool SurveySession::openLayout() {
    if (fileJobRunning()) return false;
    const QString name = chooseOpenFile(kOpenTitle, layoutFilter(), layoutFolder_);
    if (name.isEmpty()) return false;
    fileJobs().load(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastFileCommandOk_ = result.ok;
        if (result.busy || result.cancelled) return;
        if (result.ok) {
            logs_.AppendEventLog(QStringLiteral("Opened file: ") + name);
        } else {
            reportError(
                QStringLiteral("Cannot open the layout %1: %2").arg(name, result.report.error));
        }
        EnsureLayers();
        removeVesselAndGrid();
        doc_.SetLayerAction(layers_.userShape, kUserShapeAction);
        doc_.Refresh();
        emit canvasRepaintRequested();
    });
    return fileCommandResult();
}

bool SurveySession::saveLayoutAs() {
    if (fileJobRunning()) return false;
    const QString name =
        chooseSaveFile(kSaveTitle, layoutFilter(), layoutFolder_, QStringLiteral(".nwl"));
    if (name.isEmpty()) return false;
    removeVesselAndGrid();
    fileJobs().save(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastFileCommandOk_ = result.ok;
        if (result.busy) return;
        if (!result.ok) {
            reportError(
                QStringLiteral("Cannot save the layout %1: %2").arg(name, result.report.error));
            return;
        }
        caption_ = QStringLiteral("Nivora Depthwright  <") + name + QLatin1Char('>');
        emit captionChanged(caption_);
        logs_.AppendEventLog(QStringLiteral("Saved As: ") + name);
    });
    return fileCommandResult();
}

bool SurveySession::importDxf() {
    if (fileJobRunning()) return false;
    const QString name = chooseOpenFile(kOpenTitle, dxfFilter(), dxfFolder_);
    const auto after = [this] {
        EnsureLayers();
        doc_.Refresh();
        emit canvasRepaintRequested();
    };
    if (name.isEmpty()) {
        after();
        return false;
    }
    fileJobs().load(DrawingFormat::Dxf, name, [this, name, after](const FileJobOutcome& result) {
        lastFileCommandOk_ = result.ok;
        if (result.ok) {
            logs_.AppendEventLog(QStringLiteral("Imported DXF: ") + name);
        } else if (!result.busy && !result.cancelled) {
            reportError(QStringLiteral("Cannot import %1: %2").arg(name, result.report.error));
        }
        after();
    });
    return fileCommandResult();
}

bool SurveySession::exportDxf() {
    if (fileJobRunning()) return false;
    const QString name =
        chooseSaveFile(kSaveTitle, dxfFilter(), dxfFolder_, QStringLiteral(".dxf"));
    if (name.isEmpty()) return false;
    fileJobs().save(DrawingFormat::Dxf, name, [this, name](const FileJobOutcome& result) {
        lastFileCommandOk_ = result.ok;
        if (!result.ok && !result.busy)
            reportError(QStringLiteral("Cannot export %1: %2").arg(name, result.report.error));
    });
    return fileCommandResult();
}

QString SurveySession::layoutFilter() {
    return QLatin1String(drawingFormat(DrawingFormat::Layout).dialogFilter);
}

QString SurveySession::dxfFilter() {
    return QLatin1String(drawingFormat(DrawingFormat::Dxf).dialogFilter);
}

// ---- Long file commands ----

FileJobs& SurveySession::fileJobs() {
    if (!fileJobs_) {
        fileJobs_ = std::make_unique<FileJobs>(doc_);
        connect(fileJobs_.get(), &FileJobs::runningChanged, this,
                &SurveySession::fileJobRunningChanged);
    }
    return *fileJobs_;
}

void SurveySession::setFileJobView(FileJobView* view) {
    fileJobs().setView(view);
}

bool SurveySession::fileJobRunning() const {
    return fileJobs_ && fileJobs_->running();
}

void SurveySession::cancelFileJob() {
    if (fileJobs_) fileJobs_->cancel();
}

void SurveySession::whenNoFileJob(std::function<void()> f) {
    fileJobs().whenIdle(std::move(f));
}

// ---- View commands ----

void SurveySession::zoomIn() {
    const ViewWindow& v = doc_.View;
    doc_.WorldZoom(0, 0.2, (v.WorldLeft + v.WorldRight) / 2, (v.WorldTop + v.WorldBottom) / 2);
}

void SurveySession::zoomOut() {
    const ViewWindow& v = doc_.View;
    doc_.WorldZoom(0, -0.2, (v.WorldLeft + v.WorldRight) / 2, (v.WorldTop + v.WorldBottom) / 2);
}

void SurveySession::zoomExtents() {
    doc_.WorldExtents();
}

void SurveySession::setFollowVessel(bool follow) {
    state_.FollowVessel = follow;
}

// ---- Canvas events ----

void SurveySession::pointClicked(double x, double y) {
    emit statusPanelChanged(4, QStringLiteral("Click E: ") + fixed2(x));
    emit statusPanelChanged(5, QStringLiteral("Click N: ") + fixed2(y));
}

// ---- Tools ----

bool SurveySession::sendReceiverPreset(const QString& caption) {
    const ReceiverPreset* preset = findReceiverPreset(caption);
    if (!preset) return false;
    nivora::sendReceiverPreset(gnss_, *preset);
    return true;
}

QString SurveySession::logFolder() const {
    return QFileInfo(logs_.folders().rawLogPath(RawLogKind::Gnss, clock_.now().date()))
        .absolutePath();
}

}  // namespace nivora
