#include "survey/line_control.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "files/runlines.h"
#include "guidance/survey_line_layer.h"
#include "survey/autopilot_output.h"
#include "survey/chart_session.h"
#include "survey/line_logs.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

constexpr double kMetresPerSecondPerKnot = 1852.0 / 3600.0;

QString duration(double seconds) {
    const long long s = std::llround(seconds);
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

// The grid direction the boat makes good: the course over ground while it
// moves, else its heading when the receiver gives one.
std::optional<double> gridCourse(const GnssEpoch& e) {
    if (!e.grid) return std::nullopt;
    if (e.speedKnots >= 0.5) return e.courseDeg + e.grid->convergenceDeg;
    if (e.headingDeg != 0) return e.headingDeg + e.grid->convergenceDeg;
    return std::nullopt;
}

AutopilotChoice chosenSentences(const QString& text) {
    const QString t = text.toUpper();
    AutopilotChoice c{t.contains(QLatin1String("APB")), t.contains(QLatin1String("XTE")),
                      t.contains(QLatin1String("RMB"))};
    if (!c.apb && !c.xte && !c.rmb) c = AutopilotChoice{};
    return c;
}

}  // namespace

QString guidanceDistanceText(double m) {
    return std::abs(m) >= 1000 ? QStringLiteral("%1 km").arg(m / 1000, 0, 'f', 2)
                               : QStringLiteral("%1 m").arg(m, 0, 'f', 0);
}

LineControl::LineControl(ChartSession& chart, QObject* parent)
    : QObject(parent),
      chart_(chart),
      survey_(chart.survey()),
      logs_(std::make_unique<LineLogs>(chart.survey().logs())),
      autopilot_(std::make_unique<AutopilotOutput>(
          [this](const QString& text) { survey_.reportError(text); })) {
    connect(&survey_, &RealtimeSurvey::epochReceived, this, &LineControl::onEpoch);
    connect(&survey_, &RealtimeSurvey::soundingCorrected, this, &LineControl::onSounding);
    connect(&survey_, &RealtimeSurvey::realtimeStartedChanged, this, &LineControl::onRealtime);
    refresh();
    setActiveByName(survey_.models().guidance.activeLine);
}

LineControl::~LineControl() = default;

LineControl::LayerKey LineControl::currentKey() const {
    // The run-line layer alone: the track and labels the tick adds elsewhere
    // must not make every epoch read the lines again. A shape removed and
    // another added changes the sum of the ids (a new id is a larger one).
    const CanvasDocument& doc = chart_.document();
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    LayerKey key{layer, 0, 0};
    if (const auto* ids = layer >= 0 ? doc.LayerShapeIds(layer) : nullptr) {
        key.shapes = ids->size();
        for (std::int32_t id : *ids)
            key.idSum += static_cast<std::uint64_t>(id);
    }
    return key;
}

void LineControl::refreshIfChanged() {
    if (currentKey() != key_) {
        refresh();
        return;
    }
    // A line moved or edited keeps the layer's counts: the one steered by is
    // looked at every time.
    if (const SurveyLine* line = activeLine()) {
        std::vector<QPointF> now = lineVertices(chart_.document(), line->shapeId);
        now.erase(std::unique(now.begin(), now.end()), now.end());
        if (now != line->points) refresh();
    }
}

void LineControl::refresh() {
    // Before the first lines (the layout opens after start) the one active at the last close.
    const QString wasActive = activeLine() ? activeLine()->name : QString();
    const QString activeName = activeLine() ? wasActive : survey_.models().guidance.activeLine;
    CanvasDocument& doc = chart_.document();
    std::map<std::int32_t, std::pair<QString, QPointF>> before;
    for (const SurveyLine& l : lines_)
        before[l.shapeId] = {l.name, l.start()};
    lines_ = readSurveyLines(doc);
    // A line moved on the chart keeps its name: the name follows it.
    for (SurveyLine& l : lines_) {
        const auto it = before.find(l.shapeId);
        if (l.nameStored || it == before.end()) continue;
        SurveyLine named = l;
        named.name = it->second.first;
        if (moveSurveyLineName(doc, it->second.second, named)) {
            l.name = named.name;
            l.nameStored = true;
        }
    }
    nameSurveyLines(doc, lines_);
    index_ = LineIndex(lines_);
    key_ = currentKey();
    active_ = -1;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].name == activeName) active_ = static_cast<int>(i);
    }
    if (!activeName.isEmpty() && active_ < 0 && run_.running()) {
        if (auto r = run_.end(nowMs(), here(), LineEndReason::LineChanged)) ended(*r);
    }
    if (const SurveyLine* line = activeLine()) run_.setLine(line->name, line->bearingDeg());
    publish();
    emit linesChanged();
    const QString nowActive = activeLine() ? activeLine()->name : QString();
    if (nowActive != wasActive) emit activeLineChanged(nowActive);
}

const SurveyLine* LineControl::activeLine() const {
    return active_ >= 0 && active_ < static_cast<int>(lines_.size())
               ? &lines_[static_cast<std::size_t>(active_)]
               : nullptr;
}

qint64 LineControl::nowMs() const {
    return survey_.clock().msecsSinceEpoch();
}

QPointF LineControl::here() const {
    if (lastEpoch_ && lastEpoch_->grid)
        return {lastEpoch_->grid->easting, lastEpoch_->grid->northing};
    const VesselPlace& v = chart_.vessel();
    return {v.grid.easting, v.grid.northing};
}

void LineControl::setActive(int index) {
    if (index < -1 || index >= static_cast<int>(lines_.size())) return;
    if (index == active_) return;
    if (run_.running()) {
        if (auto r = run_.end(nowMs(), here(), LineEndReason::LineChanged)) ended(*r);
    }
    active_ = index;
    saveActive();
    const QString name = activeLine() ? activeLine()->name : QString();
    if (activeLine())
        run_.setLine(name, activeLine()->bearingDeg());
    else
        run_.setLine(QString(), 0);
    last_.line = name;
    last_.guidance.reset();
    publish();
    emit activeLineChanged(name);
}

bool LineControl::setActiveByName(const QString& name) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (!name.isEmpty() && lines_[i].name == name) {
            setActive(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

bool LineControl::activateAt(double x, double y, double tolerance) {
    refreshIfChanged();
    const auto n = index_.nearest(x, y);
    if (!n || n->distanceM > tolerance) return false;
    setActive(n->line);
    return true;
}

void LineControl::next() {
    refreshIfChanged();
    if (!lines_.empty()) setActive(std::min(active_ + 1, static_cast<int>(lines_.size()) - 1));
}

void LineControl::previous() {
    refreshIfChanged();
    if (!lines_.empty()) setActive(std::max(active_ - 1, 0));
}

void LineControl::closest() {
    refreshIfChanged();
    const QPointF p = here();
    if (const auto n = index_.nearest(p.x(), p.y())) setActive(n->line);
}

void LineControl::swapActive() {
    if (!activeLine()) return;
    if (run_.running()) {
        if (auto r = run_.end(nowMs(), here(), LineEndReason::LineChanged)) ended(*r);
    }
    SurveyLine& line = lines_[static_cast<std::size_t>(active_)];
    if (!swapSurveyLine(chart_.document(), line)) return;
    line.swap();
    index_ = LineIndex(lines_);
    key_ = currentKey();
    run_.setLine(line.name, line.bearingDeg());
    survey_.message(QStringLiteral("Line %1 swapped: now run towards %2°")
                        .arg(line.name)
                        .arg(line.bearingDeg(), 0, 'f', 1));
    publish();
    emit activeLineChanged(line.name);
}

void LineControl::startLine() {
    const SurveyLine* line = activeLine();
    if (!line) {
        survey_.message(QStringLiteral("No survey line is active: choose one first"));
        return;
    }
    if (run_.running()) return;
    run_.start(line->name, line->bearingDeg(), nowMs(), here());
    survey_.message(QStringLiteral("Line %1 started").arg(line->name));
    emit runChanged(true);
}

void LineControl::endLine() {
    if (auto r = run_.end(nowMs(), here(), LineEndReason::Key)) ended(*r);
}

void LineControl::ended(const LineRunRecord& r) {
    logs_->appendRun(r);
    survey_.message(
        QStringLiteral("Line %1 ended (%2): %3 soundings, mean |XTE| %4 m, largest %5 m")
            .arg(r.line, lineEndReasonText(r.reason))
            .arg(r.soundings)
            .arg(r.meanAbsCrossTrackM(), 0, 'f', 2)
            .arg(r.maxAbsCrossTrackM, 0, 'f', 2));
    emit runChanged(false);
}

void LineControl::afterEnd() {
    const NextLineRule rule = survey_.models().guidance.nextLineRule();
    const int before = active_;
    const QPointF p = here();
    if (rule == NextLineRule::PlanOrder && active_ + 1 < static_cast<int>(lines_.size())) {
        setActive(active_ + 1);
    } else if (rule == NextLineRule::Closest) {
        if (const auto n = index_.nearest(p.x(), p.y(), active_)) setActive(n->line);
    }
    // Lines are run back and forth: the next one starts at its end nearer the boat.
    if (active_ == before || !activeLine()) return;
    const SurveyLine& next = *activeLine();
    const double toStart = std::hypot(next.start().x() - p.x(), next.start().y() - p.y());
    const double toEnd = std::hypot(next.end().x() - p.x(), next.end().y() - p.y());
    if (toEnd < toStart) swapActive();
}

int LineControl::markSelected() {
    CanvasDocument& doc = chart_.document();
    int marked = 0;
    for (std::int32_t id : doc.GetShapeSelectNumbers()) {
        if (doc.GetShapeOnLayer(id) == doc.LayerFindByName(kRunlineLayerName)) continue;
        if (markAsSurveyLine(doc, id)) ++marked;
    }
    refresh();
    survey_.message(marked ? QStringLiteral("%1 shapes marked as survey lines").arg(marked)
                           : QStringLiteral("No line or open polyline is selected"));
    return marked;
}

void LineControl::rename(int index, const QString& name) {
    const QString n = name.trimmed();
    if (index < 0 || index >= static_cast<int>(lines_.size()) || n.isEmpty()) return;
    for (const SurveyLine& l : lines_) {
        if (l.name == n) return;  // names stay unique
    }
    renameSurveyLine(chart_.document(), lines_[static_cast<std::size_t>(index)], n);
    const bool wasActive = index == active_;
    lines_[static_cast<std::size_t>(index)].name = n;
    refresh();
    if (wasActive) setActiveByName(n);
}

std::optional<LineGuidance> LineControl::guide(double e, double n, std::optional<double> course,
                                               double speedMps) const {
    const SurveyLine* line = activeLine();
    if (!line) return std::nullopt;
    return guideAlong(*line, e, n, course, speedMps);
}

void LineControl::onEpoch(const GnssEpoch& epoch) {
    refreshIfChanged();
    lastEpoch_ = epoch;
    const GuidanceSettings& settings = survey_.models().guidance;
    GuidanceUpdate u;
    u.atMs = epoch.receivedAtMs;
    u.hasPosition = epoch.grid.has_value();
    u.speedKnots = epoch.speedKnots;
    const SurveyLine* line = activeLine();
    if (line) u.line = line->name;
    if (line && epoch.grid) {
        const double e = epoch.grid->easting, n = epoch.grid->northing;
        const LineGuidance g =
            guideAlong(*line, e, n, gridCourse(epoch), epoch.speedKnots * kMetresPerSecondPerKnot);
        u.guidance = g;
        const LineRunSettings rs{settings.autoStart,        settings.autoEnd,
                                 settings.runInM(),         settings.runOutM(),
                                 settings.offTrackLimitM(), settings.offTrackSeconds()};
        logs_->appendGuidance(epoch.receivedAtMs, line->name, g, e, n);
        const LineRun::Change change = run_.update(g, epoch.receivedAtMs, QPointF(e, n), rs);
        if (change == LineRun::Change::Started) {
            survey_.message(QStringLiteral("Line %1 started").arg(line->name));
            emit runChanged(true);
        }
        // One set of sentences for the autopilot (its choice, at its rate)
        // and, all three each epoch, for the NMEA output.
        const bool repeat = survey_.repeatsGuidance();
        if (settings.autopilot || repeat) {
            const AutopilotFix f = autopilotFix(epoch, g);
            if (settings.autopilot) {
                autopilot_->configure(settings.autopilotPort, settings.autopilotRateHz());
                autopilot_->offer(
                    autopilotSentences(f, chosenSentences(settings.autopilotSentences)),
                    epoch.receivedAtMs);
            }
            if (repeat) survey_.repeatGuidance(autopilotSentences(f, AutopilotChoice{}));
        }
        if (change == LineRun::Change::Ended) {
            const auto record = run_.takeEnded();
            if (record) ended(*record);
            if (record && record->reason == LineEndReason::PassedEnd) afterEnd();
        }
    }
    u.running = run_.running();
    survey_.observeCrossTrack(u.running && u.guidance ? std::optional(u.guidance->crossTrackM)
                                                      : std::nullopt);
    // A line change above has said its own; the update carries the line now active.
    if (activeLine() && activeLine()->name != u.line) {
        u.line = activeLine()->name;
        u.guidance.reset();
    }
    last_ = u;
    publish(false);
    emit guidanceUpdated(u);
}

void LineControl::onSounding(const CorrectedSounding& sounding) {
    if (sounding.rowDue) run_.countSounding(survey_.alarms().anyActive());
}

void LineControl::onRealtime(bool running) {
    if (running) return;
    if (auto r = run_.end(nowMs(), here(), LineEndReason::Stopped)) ended(*r);
    logs_->close();
    autopilot_->close();
}

AutopilotFix LineControl::autopilotFix(const GnssEpoch& epoch, const LineGuidance& g) {
    const GuidanceSettings& s = survey_.models().guidance;
    const SurveyLine& line = *activeLine();
    const double convergence = epoch.grid->convergenceDeg;
    const QPointF end = line.end();
    const double dx = end.x() - epoch.grid->easting, dy = end.y() - epoch.grid->northing;
    AutopilotFix f;
    f.valid = true;
    f.mode = epoch.fixQuality == 2 || epoch.fixQuality == 4 || epoch.fixQuality == 5 ? 'D' : 'A';
    f.crossTrackM = g.crossTrackM;
    // Grid bearing = true bearing + convergence.
    f.trackTrueDeg = g.bearingDeg - convergence;
    f.toDestTrueDeg = gridBearingDeg(dx, dy) - convergence;
    f.rangeM = std::hypot(dx, dy);
    if (const auto course = gridCourse(epoch)) {
        f.closingKnots = epoch.speedKnots *
                         std::cos((*course - gridBearingDeg(dx, dy)) * std::numbers::pi / 180.0);
    }
    f.arrived = g.pastEnd || g.toGoM <= s.arrivalRadiusM();
    f.passedEnd = g.pastEnd;
    f.origin = line.name + QLatin1Char('S');
    f.destination = line.name + QLatin1Char('E');
    if (!destination_ || destination_->end != end) {
        destination_.reset();
        const double height = epoch.altitudeM + epoch.geoidSeparationM.value_or(0.0);
        if (const auto wgs = survey_.placer().toWgs84(end.x(), end.y(), height, epoch.latitudeDeg,
                                                      epoch.longitudeDeg))
            destination_ = Destination{end, wgs->first, wgs->second};
    }
    if (destination_) {
        f.destinationLatitude = destination_->latitude;
        f.destinationLongitude = destination_->longitude;
    }
    return f;
}

void LineControl::saveActive() {
    GuidanceSettings& g = survey_.models().guidance;
    const QString name = activeLine() ? activeLine()->name : QString();
    if (g.activeLine == name) return;
    g.activeLine = name;
    chart_.saveSettings([&g](IniStore& ini) { g.save(ini); });
}

void LineControl::publish(bool marks) {
    OverlayState& o = chart_.document().Overlay;
    if (marks) {
        o.SurveyLines.resize(lines_.size());
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            o.SurveyLines[i].Points = lines_[i].points;
            o.SurveyLines[i].Active = static_cast<int>(i) == active_;
        }
    }
    const GuidanceSettings& s = survey_.models().guidance;
    GuidanceStripState& strip = o.GuidanceStrip;
    strip.Shown = activeLine() != nullptr;
    strip.Line = activeLine() ? activeLine()->name : QString();
    strip.FullScale = s.fullScaleM();
    strip.DeadBand = s.deadBandM();
    strip.HasGuidance = last_.guidance.has_value();
    if (last_.guidance) {
        const LineGuidance& g = *last_.guidance;
        strip.CrossTrack = g.crossTrackM;
        strip.WithinGate = g.withinGate;
        QString t = g.beforeStart ? QStringLiteral("to start ") + guidanceDistanceText(g.toStartM)
                                  : QStringLiteral("to go ") + guidanceDistanceText(g.toGoM);
        if (g.timeToGoS) t += QStringLiteral("  ") + duration(*g.timeToGoS);
        t += QStringLiteral("  %1 kn").arg(last_.speedKnots, 0, 'f', 1);
        if (run_.running()) t += QStringLiteral("  REC");
        strip.Text = t;
    } else {
        strip.Text = last_.hasPosition || !activeLine() ? QString() : QStringLiteral("no position");
    }
    chart_.requestRepaint();
}

}  // namespace nivora
