#pragma once

// The receiver's UTC against the arrival stamps: for each RMC or ZDA with a
// time and a date, how long after the time it names its first byte arrived.
// The mean over the last minute checks the GNSS latency setting (it holds
// the receiver's output delay, the line and the computer clock's error);
// the spread says how steady it is.

#include <QString>
#include <deque>
#include <optional>

#include "sensors/nmea.h"

namespace nivora {

// The UTC moment an RMC (time and date) or a ZDA names, ms since 1970; none
// for other sentences or fields that do not make a moment.
std::optional<qint64> receiverUtcMs(const NmeaSentence& sentence);

class ReceiverClock {
  public:
    static constexpr qint64 kWindowMs = 60000;

    void add(qint64 arrivedMs, qint64 utcMs);
    void clear() { offsets_.clear(); }

    struct Offset {
        double meanMs = 0;
        double spreadMs = 0;  // standard deviation
        int count = 0;
    };
    // Over the last minute before the newest; none before the first.
    std::optional<Offset> offset() const;
    // "87 ms (spread 4 ms, 60 times)", or "no RMC or ZDA yet".
    QString text() const;

  private:
    struct Sample {
        qint64 arrivedMs;
        qint64 offsetMs;
    };
    std::deque<Sample> offsets_;
};

}  // namespace nivora
