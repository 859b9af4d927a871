#pragma once

// The simulator behind the serial readers: the port text "SIM" gives a
// transport whose bytes are what the simulated device sent up to the
// clock's present moment.

#include <QByteArray>
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
    QByteArray& pending(Device d) { return d == Device::Gnss ? gnss_ : sounder_; }
    Simulator& simulator() { return sim_; }
    // Receives the truth of each sounding as it happens.
    void setTruthSink(std::function<void(const TruthRow&)> sink) { truthSink_ = std::move(sink); }
    // Writes to the GNSS port (receiver commands), kept for inspection.
    QByteArray& received() { return received_; }

    // A factory for the serial readers: "SIM" opens a port on this feed, any
    // other device name goes to `fallback`.
    TransportFactory factory(Device device, TransportFactory fallback = {});

  private:
    Simulator sim_;
    const Clock& clock_;
    qint64 startMs_;  // the simulation's start, ms since 1970 UTC
    QByteArray gnss_;
    QByteArray sounder_;
    QByteArray received_;
    std::function<void(const TruthRow&)> truthSink_;
};

}  // namespace nivora::sim
