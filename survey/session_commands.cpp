// Operator commands of the survey: track layers, polygon selection, event
// marks and the layout snapshot.

#include <QFileInfo>

#include "canvas/canvas_document.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "files/layout_files.h"
#include "survey/survey_session.h"

namespace nivora {

void SurveySession::EnsureLayers() {
    layers_ = nivora::EnsureLayers(doc_);
}

bool SurveySession::clearTracks(TrackClass which) {
    struct Command {
        const char* question;
        int layer;
        const char* logLine;
    };
    // Each question names the class its layer holds (fix quality 4; 5, 2
    // and 3; anything else).
    const Command c = which == TrackClass::Fixed
                          ? Command{"RTK Fixed tracking points to be cleared. Continue?",
                                    layers_.trackFix, "Cleared RTK Fixed tracklines"}
                      : which == TrackClass::Float
                          ? Command{"RTK Float/DGPS tracking points to be cleared. Continue?",
                                    layers_.trackFloat, "Cleared RTK Float/DGPS tracklines"}
                          : Command{"Autonomous/No Fix tracking points to be cleared. Continue?",
                                    layers_.trackNoFix, "Cleared NoFix tracklines"};
    if (!askYesNo(QLatin1String(c.question))) return false;
    doc_.CadClearShapes(c.layer);
    doc_.Refresh();
    emit canvasRepaintRequested();
    logs_.AppendEventLog(QLatin1String(c.logLine));
    return true;
}

bool SurveySession::clearUserShapes() {
    if (!askYesNo(QStringLiteral("User added shapes to be deleted! Continue?"))) return false;
    doc_.CadClearShapes(layers_.userShape);
    doc_.Refresh();
    return true;
}

void SurveySession::startSelectionPolygon(const QString& prompt) {
    const int existing = doc_.LayerFindByName(layer_names::SelectPoly);
    if (existing >= 0) {
        doc_.CadClearShapes(existing);
        doc_.CurrentLayer = existing;
    } else {
        doc_.LayerOpen(layer_names::SelectPoly);
    }
    emit toolRequested(tool::Polygon);
    setSelectionPrompt(prompt);
}

void SurveySession::setSelectionPrompt(const QString& text) {
    selectionPrompt_ = text;
    emit statusPanelChanged(0, text);
}

void SurveySession::selectTracks() {
    trackSelectMode_ = true;
    deleteButtonUsed_ = false;
    emit deleteShortcutOnTrackItem(true);
    startSelectionPolygon(QStringLiteral("Draw polygon to select tracks (right-click to finish)"));
}

void SurveySession::selectShapes() {
    shapeSelectMode_ = true;
    trackSelectMode_ = false;
    startSelectionPolygon(QStringLiteral("Draw polygon to select shapes (right-click to finish)"));
}

void SurveySession::drawBegan() {
    // A selection polygon is drawn on its own layer, which the end of the
    // selection empties; anything else the operator draws is a user shape.
    if (!trackSelectMode_ && !shapeSelectMode_) doc_.CurrentLayer = layers_.userShape;
    // The vessel does not move while the operator draws.
    mapTimer_->stop();
    drawing_ = true;
}

void SurveySession::finishSelection(const std::vector<int>& layerIds, bool allLayers,
                                    const QString& what) {
    const std::vector<QPointF> polygon = doc_.GetLastPolylinePoints();
    const int selectPoly = doc_.LayerFindByName(layer_names::SelectPoly);
    if (selectPoly >= 0) doc_.CadClearShapes(selectPoly);
    if ((allLayers || !layerIds.empty()) && polygon.size() > 2) {
        if (allLayers) {
            doc_.SelectAllShapesInPolygon(polygon);
        } else {
            doc_.SelectShapesInPolygon(polygon, layerIds);
        }
        emit canvasRepaintRequested();
        const int n = doc_.SelectedShapeCount();
        setSelectionPrompt(n > 0 ? QString::number(n) + what : QString());
    }
    emit toolRequested(tool::Select);
}

void SurveySession::drawEnded(int shapeType) {
    if (shapeType == 6 && trackSelectMode_) {
        trackSelectMode_ = false;
        std::vector<int> ids;
        for (const QString& name :
             {layer_names::TrackFix, layer_names::TrackNoFix, layer_names::TrackFloat}) {
            const int id = doc_.LayerFindByName(name);
            if (id >= 0) ids.push_back(id);
        }
        finishSelection(ids, false, QStringLiteral(" track(s) selected. Press Delete to remove."));
    } else if (shapeType == 6 && shapeSelectMode_) {
        shapeSelectMode_ = false;
        finishSelection({}, true, QStringLiteral(" shape(s) selected. Press Delete to remove."));
    } else if ((shapeType == 3 || shapeType == 5 || shapeType == 6) && runlineVisible_) {
        const std::vector<QPointF> points = doc_.GetLastPolylinePoints();
        if (points.size() >= 2) emit routeDrawn(points);
    }
    drawing_ = false;
    mapTimer_->start();
}

void SurveySession::deleteSelected() {
    if (doc_.SelectedShapeCount() <= 0) return;
    doc_.CadClearSelectedShapes();
    doc_.Refresh();
    emit canvasRepaintRequested();
    if (!selectionPrompt_.isEmpty()) setSelectionPrompt(QString());
}

void SurveySession::selectionDeleted() {
    doc_.Refresh();
    emit canvasRepaintRequested();
    if (!selectionPrompt_.isEmpty()) setSelectionPrompt(QString());
}

void SurveySession::cancelSelection() {
    trackSelectMode_ = false;
    shapeSelectMode_ = false;
    doc_.ClearSelection();
    setSelectionPrompt(QString());
    emit canvasRepaintRequested();
}

void SurveySession::shapeNumberSelected(std::int32_t id) {
    if (!deleteButtonUsed_) return;
    const auto width = toInteger(models_.navigation.trackWidth);
    if (!width) return;
    if (doc_.GetShapePenWidth(id) == *width) {
        doc_.SetShapePenWidth(id, 0);
    } else {
        doc_.SetShapePenWidth(id, *width);
        doc_.ShapeDeselect(id);
    }
}

int SurveySession::markEvent() {
    SessionKeys& keys = models_.session;
    const int number = ++keys.eventNumber;
    // The event takes the last position there is; the operator hears when
    // that is not where the boat is now.
    const bool live = state_.Running && !gnssStale_ && lastPlaced_.isValid();
    if (!live) {
        const QString why = !state_.Running ? QStringLiteral("real time is stopped")
                            : gnssStale_    ? QStringLiteral("no GPS data")
                                            : QStringLiteral("no position yet");
        const QString where = lastPlaced_.isValid()
                                  ? QStringLiteral("the last position, of ") +
                                        lastPlaced_.time().toString(QStringLiteral("HH:mm:ss"))
                                  : QStringLiteral("0, 0");
        message(QStringLiteral("Event %1 has no current position (%2): it is marked at %3")
                    .arg(number)
                    .arg(why, where));
    }
    doc_.AddEventLabel(state_.GridEasting, state_.GridNorthing, number);
    saveSettings([&keys](IniStore& ini) { keys.saveEventNumber(ini); });
    const QString record =
        QStringLiteral("\nEvent No:") + QString::number(number) + QStringLiteral(",Date & Time:") +
        dateTimeText(clock_.now()) + QStringLiteral(",Easting:") +
        QString::fromStdString(formatFixed(state_.GridEasting, 2)) + QStringLiteral(",Northing:") +
        QString::fromStdString(formatFixed(state_.GridNorthing, 2)) +
        QStringLiteral(",True Depth:") + depthHighText_ + QStringLiteral(",True Depth:") +
        depthLowText_ + QStringLiteral(",Heading:") +
        QString::fromStdString(formatFixed(state_.GridHeading, 2));
    logs_.appendEventsText(record);
    emit canvasRepaintRequested();
    return number;
}

bool SurveySession::resetEventNumbering() {
    if (!askYesNo(QStringLiteral("Event ID will restart from 1 again. Continue?"))) return false;
    SessionKeys& keys = models_.session;
    keys.eventNumber = 0;
    saveSettings([&keys](IniStore& ini) { keys.saveEventNumber(ini); });
    logs_.AppendEventLog(QStringLiteral("Event number was reset."));
    return true;
}

QString SurveySession::snapshotName() {
    // A snapshot is never written over: a second one in the same minute
    // (a second start, or Save again) takes the next free name.
    const QString name = logs_.folders().freeSnapshotPath(clock_.now());
    // The snapshot must not be lost for a missing folder.
    if (!QFileInfo(logs_.folders().layoutsFolder()).isDir()) logs_.createDayFolders();
    removeVesselAndGrid();
    return name;
}

void SurveySession::snapshotWritten(const QString& name, const FileJobOutcome& result) {
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
    logs_.AppendEventLog(QStringLiteral("Auto-saved: ") + name);
    SessionKeys& keys = models_.session;
    keys.lastFileSaved = name;
    saveSettings([&keys](IniStore& ini) { keys.saveLastFile(ini); });
    setCaptionFile(name);
    if (models_.svp.profileInUse()) logs_.saveProfileMemos(models_.svp.memoTexts());
}

QString SurveySession::saveSnapshot() {
    const QString name = snapshotName();
    fileJobs().save(DrawingFormat::Layout, name, [this, name](const FileJobOutcome& result) {
        lastFileCommandOk_ = result.ok;
        snapshotWritten(name, result);
    });
    return fileCommandResult() ? name : QString();
}

QString SurveySession::saveSnapshotNow() {
    const QString name = snapshotName();
    const FileJobOutcome result = fileJobs().saveNow(DrawingFormat::Layout, name);
    snapshotWritten(name, result);
    return result.ok ? name : QString();
}

}  // namespace nivora
