#include "survey/sounding_timeline.h"

#include <algorithm>
#include <cmath>

namespace nivora {
namespace {

// Epochs kept: more than any latency and wait apart from the newest.
constexpr std::size_t kMaxHistory = 256;
constexpr qint64 kHistoryMs = 20000;

double lerp(double a, double b, double f) {
    return a + (b - a) * f;
}

// The shorter way round, in degrees 0..360.
double lerpAngle(double a, double b, double f) {
    const double d = std::remainder(b - a, 360.0);
    const double v = std::fmod(a + d * f, 360.0);
    return v < 0 ? v + 360.0 : v;
}

}  // namespace

GnssEpoch interpolateEpoch(const GnssEpoch& a, const GnssEpoch& b, qint64 timeMs) {
    const qint64 span = b.timeMs - a.timeMs;
    const double f = span > 0 ? std::clamp(double(timeMs - a.timeMs) / double(span), 0.0, 1.0) : 0;
    GnssEpoch e = f < 0.5 ? a : b;
    e.latitudeDeg = lerp(a.latitudeDeg, b.latitudeDeg, f);
    // Across the antimeridian the short way.
    e.longitudeDeg = a.longitudeDeg + std::remainder(b.longitudeDeg - a.longitudeDeg, 360.0) * f;
    if (e.longitudeDeg > 180) e.longitudeDeg -= 360;
    if (e.longitudeDeg < -180) e.longitudeDeg += 360;
    e.altitudeM = lerp(a.altitudeM, b.altitudeM, f);
    e.antennaHeightM = lerp(a.antennaHeightM, b.antennaHeightM, f);
    e.rtkTideM = lerp(a.rtkTideM, b.rtkTideM, f);
    e.headingDeg = lerpAngle(a.headingDeg, b.headingDeg, f);
    e.courseDeg = lerpAngle(a.courseDeg, b.courseDeg, f);
    e.speedKnots = lerp(a.speedKnots, b.speedKnots, f);
    e.timeMs = timeMs;
    e.grid.reset();
    return e;
}

void SoundingTimeline::addEpoch(const GnssEpoch& epoch) {
    current_ = epoch;
    current_.grid.reset();
    if (!epoch.hasPosition()) return;
    // Stamps run forward; one that does not (a clock set back) starts afresh.
    if (!history_.empty() && epoch.timeMs < history_.back().timeMs) history_.clear();
    history_.push_back(current_);
    while (history_.size() > kMaxHistory ||
           (history_.size() > 2 && history_.front().timeMs < epoch.timeMs - kHistoryMs))
        history_.pop_front();
}

void SoundingTimeline::positionLost(const GnssEpoch& now) {
    // What waited takes the last fix, as it would have when it came.
    for (Waiting& w : queue_) {
        if (!w.settled) w.settled = settle(w.sounding, true);
    }
    history_.clear();
    current_ = now;
    current_.grid.reset();
}

void SoundingTimeline::addSounding(const CorrectedSounding& s) {
    Waiting w{s, std::nullopt};
    // Without interpolation, or without a position, the sounding is placed
    // as it comes.
    if (!options_.interpolate || !current_.hasPosition())
        w.settled = Placed{s, current_, current_.hasPosition() ? How::LastFix : How::NoPosition};
    queue_.push_back(std::move(w));
}

std::optional<SoundingTimeline::Placed> SoundingTimeline::settle(const CorrectedSounding& s,
                                                                 bool final) const {
    if (history_.empty()) return Placed{s, current_, How::NoPosition};
    const qint64 t = s.timeMs;
    const auto after =
        std::lower_bound(history_.begin(), history_.end(), t,
                         [](const GnssEpoch& e, qint64 ms) { return e.timeMs < ms; });
    if (after == history_.end()) {
        // Taken after the last epoch: the next one is awaited.
        if (!final) return std::nullopt;
        return Placed{s, history_.back(), How::LastFix};
    }
    if (after->timeMs == t) return Placed{s, *after, How::Interpolated};
    if (after == history_.begin()) return Placed{s, *after, How::LastFix};
    const GnssEpoch& before = *(after - 1);
    if (after->timeMs - before.timeMs > options_.maxSpanMs) return Placed{s, before, How::LastFix};
    return Placed{s, interpolateEpoch(before, *after, t), How::Interpolated};
}

std::vector<SoundingTimeline::Placed> SoundingTimeline::drain(qint64 nowMs, bool all) {
    std::vector<Placed> out;
    while (!queue_.empty()) {
        Waiting& w = queue_.front();
        if (!w.settled) {
            const bool final = all || nowMs - w.sounding.timeMs >= options_.maxWaitMs;
            w.settled = settle(w.sounding, final);
            if (!w.settled) break;
        }
        ++counts_[static_cast<int>(w.settled->how)];
        out.push_back(std::move(*w.settled));
        queue_.pop_front();
    }
    return out;
}

std::vector<SoundingTimeline::Placed> SoundingTimeline::take(qint64 nowMs) {
    return drain(nowMs, false);
}

std::vector<SoundingTimeline::Placed> SoundingTimeline::takeAll() {
    return drain(0, true);
}

}  // namespace nivora
