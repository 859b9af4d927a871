#include "survey/chart_session.h"

#include "canvas/canvas_document.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "survey/chart_files.h"
#include "survey/chart_geography.h"
#include "survey/depth_layer.h"
#include "survey/realtime_survey.h"
#include "survey/track_selection.h"
#include "survey/vessel_symbol.h"

namespace nivora {
namespace {

QString fixed(double v, int decimals) {
    return QString::fromStdString(formatFixed(v, decimals));
}

}  // namespace

ChartSession::ChartSession(RealtimeSurvey& survey, CanvasDocument& doc, OperatorPrompts* prompts,
                           QObject* parent)
    : QObject(parent),
      survey_(survey),
      doc_(doc),
      prompts_(prompts),
      background_(survey.models().navigation.backgroundColor) {
    // Ticks may come before any show (a survey without a window).
    ensureLayers();
    selection_ = std::make_unique<TrackSelection>(*this);
    files_ = std::make_unique<ChartFiles>(*this);
    depths_ = std::make_unique<DepthLayer>(survey, doc);
    geography_ = std::make_unique<ChartGeography>(survey.models());
    doc_.Overlay.Furniture.ScaleBar = true;
    doc_.Overlay.Furniture.NorthArrow = true;
    SettingsChanges& changes = survey.models().changes;
    readNavigationNumbers();
    connect(&changes, &SettingsChanges::navigationChanged, this,
            &ChartSession::readNavigationNumbers);
    connect(&changes, &SettingsChanges::backgroundChanged, this, &ChartSession::setBackground);

    connect(&survey.cycle(), &RealtimeCycle::ticked, this, &ChartSession::onTick);
    connect(&survey, &RealtimeSurvey::soundingCorrected, this, &ChartSession::onSounding);
    connect(&survey, &RealtimeSurvey::gnssWentStale, this,
            [this](const QString& text) { showOverlayOnly(text, survey_.epoch().speedKnots); });
    connect(&survey, &RealtimeSurvey::realtimeStartedChanged, this, [this](bool running) {
        if (running) return;
        showOverlayOnly(QStringLiteral("Realtime stopped"), 0);
        doc_.SetCurrentDepth(0, 0, false);
    });
    connect(&survey, &RealtimeSurvey::gnssConnectedChanged, this, [this](bool connected) {
        if (connected) doc_.SetLayerAction(doc_.LayerFindByName(layer_names::Vessel), 1);
    });
    connect(&survey, &RealtimeSurvey::statusChanged, this,
            [this](const QString& text) { emit statusPanelChanged(6, text); });
}

ChartSession::~ChartSession() = default;

void ChartSession::ensureLayers() {
    layers_ = EnsureLayers(doc_);
}

bool ChartSession::ask(const QString& question) {
    return prompts_ && prompts_->askYesNo(question);
}

void ChartSession::saveSettings(const std::function<void(IniStore&)>& change) {
    QString error;
    if (!survey_.models().file.update(change, &error)) survey_.reportError(error);
}

void ChartSession::readNavigationNumbers() {
    // A typo in a field must not stop the tick: the last good value serves,
    // and the operator hears of it.
    const NavigationSettings& nav = survey_.models().navigation;
    const auto read = [this](int& value, const QString& text, const char* name) {
        if (const auto v = toInteger(text)) {
            value = *v;
        } else {
            survey_.reportError(notANumberMessage(QLatin1String(name), text) +
                                QStringLiteral("; %1 is used").arg(value));
        }
    };
    read(numbers_.vesselWidth, nav.vesselWidth, "Vessel width");
    read(numbers_.trackWidth, nav.trackWidth, "Track width");
    read(numbers_.trackInterval, nav.trackInterval, "Track interval");
}

void ChartSession::setBackground(TColor colour) {
    background_ = colour;
    emit backgroundChanged(colour);
}

void ChartSession::showOverlayOnly(const QString& text, double speedKnots) {
    doc_.SetPositionStatus(text, 0);
    doc_.SetCurrentSpeed(speedKnots, false);
    emit repaintRequested();
}

void ChartSession::onSounding(const CorrectedSounding& s) {
    if (!survey_.running()) return;
    // No depth, no alarm either way: the background stays as it is.
    if (s.depth()) {
        const TColor wanted = s.shallow ? colors::Red : survey_.models().navigation.backgroundColor;
        if (background_ != wanted) setBackground(wanted);
    }
    emit repaintRequested();
}

void ChartSession::onTick(const TickValues& v) {
    const SurveyModels& models = survey_.models();
    doc_.SetPositionStatus(v.overlayText, v.fixQuality);
    doc_.SetDataStale(v.gnssStale, v.depthStale);
    updateNorthArrow();
    if (!v.complete) return;
    if (v.placed) {
        vessel_ = {*v.placed, v.gridHeadingDeg, survey_.clock().now()};
        const ViewWindow& view = doc_.View;
        if (followVessel_) {
            doc_.WorldPan(v.placed->easting - (view.WorldLeft + view.WorldRight) / 2,
                          v.placed->northing - (view.WorldTop + view.WorldBottom) / 2);
        } else {
            doc_.Refresh();
        }
        drawVesselSymbol(doc_, layers_.vessel, v.placed->easting, v.placed->northing,
                         v.gridHeadingDeg, survey_.placer().vesselShape(),
                         models.navigation.vesselColor, numbers_.vesselWidth);
    }
    // A selection's prompt or result holds panel 0 until the selection ends.
    if (!selection_->holdsPromptPanel())
        emit statusPanelChanged(0, QStringLiteral("Lat: ") + fixed(v.latitudeDeg, 8));
    emit statusPanelChanged(1, QStringLiteral("Lon: ") + fixed(v.longitudeDeg, 8));
    emit statusPanelChanged(2, QStringLiteral("E: ") + fixed(vessel_.grid.easting, 2));
    emit statusPanelChanged(3, QStringLiteral("N: ") + fixed(vessel_.grid.northing, 2));

    if (v.placed) {
        TrackSettings track;
        track.fixedColor = models.navigation.colorTracklines1;
        track.floatColor = models.navigation.colorTracklines0;
        track.noFixColor = models.navigation.gridColor;
        track.width = numbers_.trackWidth;
        track.interval = numbers_.trackInterval;
        track.drawAsLine = models.navigation.lineOrDot;
        track_.tick(doc_, layers_, track, v.fixQuality, v.placed->easting, v.placed->northing);

        const DisplaySettings& display = models.device.display();
        // An old depth is no depth of this place.
        if (display.ShowDepthLabelsSetting && v.depth && !v.depthStale &&
            !(v.placed->easting == 0 && v.placed->northing == 0)) {
            doc_.SetDepthLabelSettings(display.ShowDepthLabelsSetting,
                                       display.DepthLabelSpacingSetting, display.DepthLabelFontName,
                                       display.DepthLabelFontSize, display.DepthLabelColor);
            doc_.AddDepthLabel(v.placed->easting, v.placed->northing, *v.depth);
        }
    }
    doc_.SetCurrentDepth(v.boxHi, v.boxLo, true);
    doc_.SetCurrentSpeed(v.speedKnots, true);
}

void ChartSession::firstShow() {
    SurveyModels& models = survey_.models();
    const QString name = models.session.lastFileSaved;
    // A missing or unreadable layout leaves the standard layers; the caption
    // still names it.
    if (!name.isEmpty()) files_->loadLayoutNow(name);
    ensureLayers();
    clearVesselAndGrid();
    files_->setCaptionFile(name);
    applyCanvasKeys(models.session.canvas);
    // The day's soundings so far, when the program starts again mid-survey.
    depths_->rebuildFromLogs();
    updateNorthArrow();
}

void ChartSession::updateNorthArrow() {
    const ViewWindow& v = doc_.View;
    doc_.Overlay.Furniture.ConvergenceDeg = geography_->convergenceAt(
        (v.WorldLeft + v.WorldRight) / 2, (v.WorldTop + v.WorldBottom) / 2);
}

QString ChartSession::closeSequence() {
    // The readers close whatever state they are in; nothing they say now
    // may stop the close.
    survey_.closeReaders();
    const QString snapshot = files_->saveSnapshotNow();
    SessionKeys& keys = survey_.models().session;
    keys.canvas = canvasKeys();
    saveSettings([&keys](IniStore& ini) { keys.saveCanvas(ini); });
    survey_.flushLogs();
    return snapshot;
}

CanvasKeys ChartSession::canvasKeys() const {
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

void ChartSession::applyCanvasKeys(const CanvasKeys& k) {
    doc_.WorldSet(k.planWorldLeft, k.planWorldTop, k.planWorldRight, k.planWorldBottom);
    doc_.Grid.GridAutoScale = k.gridAutoScale;
    // Corners outside 0..3 would place an overlay nowhere.
    doc_.Overlay.DepthSpeedDisplayMode = std::clamp(k.depthSpeedDisplayMode, 0, 3);
    doc_.Overlay.GGAOverlayPosition = std::clamp(k.ggaOverlayPosition, 0, 3);
    doc_.Dirty = true;
    emit repaintRequested();
}

void ChartSession::clearVesselAndGrid() {
    doc_.CadClearShapes(layers_.grid);
    doc_.CadClearShapes(layers_.vessel);
}

void ChartSession::zoomIn() {
    const ViewWindow& v = doc_.View;
    doc_.WorldZoom(0, 0.2, (v.WorldLeft + v.WorldRight) / 2, (v.WorldTop + v.WorldBottom) / 2);
}

void ChartSession::zoomOut() {
    const ViewWindow& v = doc_.View;
    doc_.WorldZoom(0, -0.2, (v.WorldLeft + v.WorldRight) / 2, (v.WorldTop + v.WorldBottom) / 2);
}

void ChartSession::zoomExtents() {
    doc_.WorldExtents();
}

void ChartSession::pointClicked(double x, double y) {
    emit statusPanelChanged(4, QStringLiteral("Click E: ") + fixed(x, 2));
    emit statusPanelChanged(5, QStringLiteral("Click N: ") + fixed(y, 2));
}

int ChartSession::markEvent() {
    SessionKeys& keys = survey_.models().session;
    const int number = ++keys.eventNumber;
    // The event takes the last position there is; the operator hears when
    // that is not where the boat is now.
    const bool live = survey_.running() && !survey_.gnssStale() && vessel_.at.isValid();
    if (!live) {
        const QString why = !survey_.running()    ? QStringLiteral("real time is stopped")
                            : survey_.gnssStale() ? QStringLiteral("no GPS data")
                                                  : QStringLiteral("no position yet");
        const QString where = vessel_.at.isValid()
                                  ? QStringLiteral("the last position, of ") +
                                        vessel_.at.time().toString(QStringLiteral("HH:mm:ss"))
                                  : QStringLiteral("0, 0");
        survey_.message(QStringLiteral("Event %1 has no current position (%2): it is marked at %3")
                            .arg(number)
                            .arg(why, where));
    }
    doc_.AddEventLabel(vessel_.grid.easting, vessel_.grid.northing, number);
    saveSettings([&keys](IniStore& ini) { keys.saveEventNumber(ini); });
    const std::optional<CorrectedSounding>& s = survey_.sounding();
    const QString record =
        QStringLiteral("\nEvent No:") + QString::number(number) + QStringLiteral(",Date & Time:") +
        dateTimeText(survey_.clock().now()) + QStringLiteral(",Easting:") +
        fixed(vessel_.grid.easting, 2) + QStringLiteral(",Northing:") +
        fixed(vessel_.grid.northing, 2) + QStringLiteral(",True Depth:") +
        depthText(s ? s->shownHi() : std::nullopt) + QStringLiteral(",True Depth:") +
        depthText(s ? s->shownLo() : std::nullopt) + QStringLiteral(",Heading:") +
        fixed(vessel_.gridHeadingDeg, 2);
    survey_.logs().appendEventsText(record);
    emit repaintRequested();
    return number;
}

bool ChartSession::resetEventNumbering() {
    if (!ask(QStringLiteral("Event ID will restart from 1 again. Continue?"))) return false;
    SessionKeys& keys = survey_.models().session;
    keys.eventNumber = 0;
    saveSettings([&keys](IniStore& ini) { keys.saveEventNumber(ini); });
    survey_.logs().AppendEventLog(QStringLiteral("Event number was reset."));
    return true;
}

}  // namespace nivora
