#include "survey/realtime_cycle.h"

#include <QElapsedTimer>

#include "core/number_format.h"
#include "sensors/echosounder.h"
#include "sensors/fix_quality.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

QString fixed(double v, int decimals) {
    return QString::fromStdString(formatFixed(v, decimals));
}

}  // namespace

RealtimeCycle::RealtimeCycle(RealtimeSurvey& survey, TimerSource& timers)
    : survey_(survey), mapTimer_(timers.createTimer()), echogramTimer_(timers.createTimer()) {
    mapTimer_->setInterval(kInitialMapIntervalMs);
    mapTimer_->setCallback([this] { tick(); });
    echogramTimer_->setInterval(kEchogramIntervalMs);
    echogramTimer_->setCallback([this] { echogramTick(); });
    SurveyModels& models = survey.models();
    // A saved update period applies from the start, not when its window opens.
    if (const auto ms = models.navigation.timerIntervalMs()) setInterval(*ms);
    connect(&models.changes, &SettingsChanges::updatePeriodChanged, this,
            &RealtimeCycle::setInterval);
    connect(&survey, &RealtimeSurvey::soundingCorrected, this, [this] { newDepth_ = true; });
}

RealtimeCycle::~RealtimeCycle() = default;

void RealtimeCycle::start() {
    mapTimer_->start();
}
void RealtimeCycle::stop() {
    mapTimer_->stop();
}
bool RealtimeCycle::active() const {
    return mapTimer_->isActive();
}
int RealtimeCycle::interval() const {
    return mapTimer_->interval();
}
void RealtimeCycle::setInterval(int ms) {
    mapTimer_->setInterval(std::max(1, ms));
}

void RealtimeCycle::setDrawing(bool drawing) {
    drawing_ = drawing;
    if (drawing) {
        mapTimer_->stop();
    } else {
        mapTimer_->start();
    }
}

void RealtimeCycle::startEchogram() {
    echogramTimer_->start();
}
void RealtimeCycle::stopEchogram() {
    echogramTimer_->stop();
}
bool RealtimeCycle::echogramActive() const {
    return echogramTimer_->isActive();
}
int RealtimeCycle::echogramInterval() const {
    return echogramTimer_->interval();
}
void RealtimeCycle::setEchogramInterval(int ms) {
    echogramTimer_->setInterval(std::max(1, ms));
}

void RealtimeCycle::echogramTick() {
    // No depth is a gap in the echogram.
    if (survey_.windowShown(SurveyWindow::Echogram) && newDepth_ && survey_.sounding())
        emit echogramDepthAdded(survey_.sounding()->depth().value_or(0.0));
    newDepth_ = false;
}

void RealtimeCycle::tick() {
    QElapsedTimer latency;
    const bool measureLatency = survey_.windowShown(SurveyWindow::Latency);
    if (measureLatency) latency.start();

    // Soundings whose epoch is late take the last fix once they waited long enough.
    survey_.settleRows();
    const SurveyModels& models = survey_.models();
    const GnssEpoch& e = survey_.epoch();
    const std::optional<CorrectedSounding>& sounding = survey_.sounding();
    TickValues v;
    v.fixQuality = e.fixQuality;
    v.latitudeDeg = e.latitudeDeg;
    v.longitudeDeg = e.longitudeDeg;
    v.speedKnots = e.speedKnots;
    v.readouts.fixed = QString::number(e.fixQuality);
    v.readouts.antennaHeight = fixed(e.antennaHeightM, 2);
    v.readouts.tideHeight =
        survey_.windowShown(SurveyWindow::Offsets) ? QStringLiteral("-") : fixed(e.rtkTideM, 2);
    v.readouts.satellites = QString::number(e.satellites);
    v.overlayText =
        QStringLiteral("%1 | Spd: %2 kn | SV: %3 | Ant: %4 m | Tide: %5 m")
            .arg(fixQualityName(e.fixQuality), fixed(e.speedKnots, 1), v.readouts.satellites,
                 v.readouts.antennaHeight, v.readouts.tideHeight);
    // Values older than the stale age are shown as old, never as current.
    const qint64 now = survey_.clock().msecsSinceEpoch();
    const double staleMs = models.quality.staleAfterS() * 1000.0;
    v.gnssStale = e.receivedAtMs != 0 && now - e.receivedAtMs > staleMs;
    v.depthStale = sounding && now - sounding->receivedAtMs > staleMs;
    if (v.gnssStale) {
        v.overlayText += QStringLiteral(" | %1 s old").arg((now - e.receivedAtMs) / 1000);
    }
    if (sounding) v.depth = sounding->depth();
    if (models.device.sensorEnabled && v.depth)
        v.overlayText += QStringLiteral(" | Depth: ") + fixed(*v.depth, 2) + QStringLiteral(" m");

    // Parameters are taken once; changes need a restart. No position is not
    // a position: before the first fix and after a gap the map stays.
    v.complete = survey_.placer().take(models);
    if (v.complete && e.hasPosition()) {
        v.placed =
            e.grid ? e.grid : survey_.placer().place(e.latitudeDeg, e.longitudeDeg, e.altitudeM);
        v.complete = v.placed.has_value();
        const double heading = models.device.gyroEnabled ? e.headingDeg : e.courseDeg;
        if (v.placed) v.gridHeadingDeg = heading + v.placed->convergenceDeg;
    }
    // A depth not measured is no depth in the box (0 shows nothing).
    const EchosounderFamily* family = findEchosounderFamily(models.device.sbesMessage);
    const bool lowShown = models.device.sensorEnabled && family && family->lowFrequencyShown;
    if (sounding) {
        v.boxHi = sounding->shownHi().value_or(0);
        v.boxLo = lowShown ? sounding->shownLo().value_or(0) : 0;
    }
    emit ticked(v);

    if (measureLatency) {
        const qint64 ms = latency.elapsed();
        survey_.models().latency.record(ms);
        emit latencyMeasured(ms);
    }
}

}  // namespace nivora
