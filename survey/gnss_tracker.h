#pragma once

// The survey's side of each GNSS line, after the reader decoded it once: the
// offsets snapshot (taken on every line while the Offsets window is hidden),
// the heading, the motion, the RTK antenna height and tide, the fix
// indicator, and at every accepted GGA the epoch. A field of the Offsets
// window that is not a number ends the line's handling after its position
// and motion: the height, the tide and the indicator wait for a good one.

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

#include "config/offsets_model.h"
#include "core/clock.h"
#include "core/colors.h"
#include "core/number_text.h"
#include "sensors/gnss_decoder.h"
#include "survey/survey_values.h"

namespace nivora {

struct GnssLineOutcome {
    bool epoch = false;         // an accepted GGA: current() is the new epoch
    bool speedChanged = false;  // current().speedKnots is new
    std::optional<TColor> fixIndicator;
    QString error;  // the offsets field that is not a number
};

class GnssTracker {
  public:
    // `offsets`: the Offsets window's fields, or null while it is shown
    // (the operator may be editing them; the snapshot stays).
    // `arrivedMs`: when the line's first byte arrived; the epoch's own time
    // is that less the receiver's `latencyMs`.
    GnssLineOutcome apply(const GnssReading& reading, qint64 arrivedMs, qint64 latencyMs,
                          const OffsetFieldTexts* offsets);

    // The offsets snapshot from the field texts; false with the conversion
    // error of the first field that is not a number (fields before it are taken).
    bool takeOffsets(const OffsetFieldTexts& texts, QString& error);
    bool offsetsTaken() const { return offsetsTaken_; }
    const OffsetsSnapshot& offsets() const { return offsets_; }

    // A geoid model for the separation of RTK fixed heights: used where
    // the receiver gives none, or always; none: the receiver's as today.
    using GeoidModel = std::function<std::optional<double>(double latitude, double longitude)>;
    void setGeoidModel(GeoidModel model, bool always) {
        geoid_ = std::move(model);
        geoidAlways_ = always;
    }

    // The last epoch with the motion given since.
    const GnssEpoch& current() const { return current_; }
    void setGrid(std::optional<GridPosition> grid) { current_.grid = grid; }
    // A GPS gap or a lost port: no position until the next epoch; the fix
    // quality, satellites and course are the reader's (0 after a lost port).
    void positionLost(const NavValues& nav);

  private:
    GnssEpoch current_;
    GeoidModel geoid_;
    bool geoidAlways_ = false;
    OffsetsSnapshot offsets_;
    NumberField offsetFields_[4];
    bool offsetsTaken_ = false;
    int shownFixQuality_ = 0;
};

}  // namespace nivora
