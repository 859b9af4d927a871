#pragma once

// The position of each sounding at its own time. A sounding taken between
// two GNSS epochs takes the position, height and heading interpolated
// between them; one taken after the last epoch waits for the next, for a
// set time at most, and then takes the last fix, as it would without
// interpolation (counted). Rows leave in the order the soundings came.
// Nothing is interpolated across a GPS gap: the position lost, the
// soundings waiting take the last fix and those after it none, until the
// next epoch.

#include <deque>
#include <vector>

#include "survey/survey_values.h"

namespace nivora {

class SoundingTimeline {
  public:
    struct Options {
        bool interpolate = true;
        qint64 maxWaitMs = 1500;
        // Epochs further apart are a gap, not a track to interpolate along.
        qint64 maxSpanMs = 3000;
    };
    enum class How { Interpolated, LastFix, NoPosition };
    struct Placed {
        CorrectedSounding sounding;
        GnssEpoch epoch;  // at the sounding's time; no grid (it is placed next)
        How how;
    };

    void setOptions(const Options& options) { options_ = options; }
    const Options& options() const { return options_; }

    // An accepted epoch with its position and time.
    void addEpoch(const GnssEpoch& epoch);
    // The position is lost; `now` is the epoch as it stands without one.
    void positionLost(const GnssEpoch& now);
    void addSounding(const CorrectedSounding& sounding);

    // The soundings settled by `nowMs`, in the order they came.
    std::vector<Placed> take(qint64 nowMs);
    // Every sounding still waiting, settled now (the end of real time).
    std::vector<Placed> takeAll();
    bool waiting() const { return !queue_.empty(); }

    long long interpolated() const { return counts_[0]; }
    long long lastFix() const { return counts_[1]; }
    long long noPosition() const { return counts_[2]; }

  private:
    struct Waiting {
        CorrectedSounding sounding;
        std::optional<Placed> settled;
    };
    std::optional<Placed> settle(const CorrectedSounding& s, bool final) const;
    std::vector<Placed> drain(qint64 nowMs, bool all);

    Options options_;
    std::deque<GnssEpoch> history_;  // epochs with a position since the last gap, by time
    GnssEpoch current_;              // the last epoch, or none after a gap
    std::deque<Waiting> queue_;
    long long counts_[3] = {0, 0, 0};
};

// The epoch between `a` and `b` at `timeMs` (a's time <= timeMs <= b's):
// position, heights, heading, course and speed interpolated; the rest
// (fix quality, satellites, ...) from the nearer one.
GnssEpoch interpolateEpoch(const GnssEpoch& a, const GnssEpoch& b, qint64 timeMs);

}  // namespace nivora
