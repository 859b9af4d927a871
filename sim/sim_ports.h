#pragma once

// The simulator behind the serial readers: the port text "SIM" gives a
// transport whose bytes are what the simulated device sent up to the
// clock's present moment.

#include <QByteArray>
#include <deque>
#include <functional>
#include <memory>

#include "sensors/serial_transport.h"
#include "sim/simulator.h"

namespace nivora {
class Clock;
}

namespace nivora::sim {

enum class Device { Gnss, Sounder };

// Runs one simulator on a clock and hands each device's bytes to its port.
class SimulatorFeed {
  public:
    SimulatorFeed(Simulator simulator, const Clock& clock);

    // Brings the simulator up to the clock.
    void pump();
    // What a device sent that has reached its port by now: each line with
    // the moment it arrived (ms since 1970 UTC), the device's latency after
    // it was sent.
    struct Arrived {
        qint64 arrivedMs;
        QByteArray bytes;
    };
    std::deque<Arrived>& pending(Device d) { return d == Device::Gnss ? gnss_ : sounder_; }
    // How long a device's lines take to reach the port (ms, 0 by default):
    // the device measured what a line says that long before it arrives.
    void setLatency(Device d, qint64 ms) { latencyMs_[d == Device::Gnss ? 0 : 1] = ms; }
    Simulator& simulator() { return sim_; }
    // Receives the truth of each sounding as it happens.
    void setTruthSink(std::function<void(const TruthRow&)> sink) { truthSink_ = std::move(sink); }
    // Writes to the GNSS port (receiver commands), kept for inspection: the
    // last kMaxReceived bytes, as corrections stream there all day.
    static constexpr qsizetype kMaxReceived = 64 * 1024;
    QByteArray& received() { return received_; }

    // A factory for the serial readers: "SIM" opens a port on this feed, any
    // other device name goes to `fallback`.
    TransportFactory factory(Device device, TransportFactory fallback = {});

  private:
    Simulator sim_;
    const Clock& clock_;
    qint64 startMs_;  // the simulation's start, ms since 1970 UTC
    // Lines sent whose arrival is still to come, and those that arrived.
    std::deque<Arrived> inFlight_[2];
    std::deque<Arrived> gnss_;
    std::deque<Arrived> sounder_;
    qint64 latencyMs_[2] = {0, 0};
    QByteArray received_;
    std::function<void(const TruthRow&)> truthSink_;
};

}  // namespace nivora::sim
