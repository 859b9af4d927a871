#include "sim/sim_ports.h"

#include <cstring>

#include "core/clock.h"
#include "sensors/port_names.h"

namespace nivora::sim {
namespace {

class SimulatorPort final : public SerialTransport {
  public:
    SimulatorPort(SimulatorFeed& feed, Device device) : feed_(feed), device_(device) {}

    // The simulated device starts with its port: what it sent from the
    // feed's start on is waiting, as on a port opened when the device starts.
    bool open(const SerialSettings&) override {
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    qint64 bytesAvailable() override {
        if (!open_) return -1;
        feed_.pump();
        return feed_.pending(device_).size();
    }
    qint64 read(char* data, qint64 max) override {
        QByteArray& p = feed_.pending(device_);
        const qint64 n = std::min<qint64>(max, p.size());
        std::memcpy(data, p.constData(), static_cast<std::size_t>(n));
        p.remove(0, n);
        return n;
    }
    qint64 write(const char* data, qint64 size) override {
        feed_.received().append(data, size);
        return size;
    }
    QString errorString() const override { return {}; }

  private:
    SimulatorFeed& feed_;
    Device device_;
    bool open_ = false;
};

}  // namespace

SimulatorFeed::SimulatorFeed(Simulator simulator, const Clock& clock)
    : sim_(std::move(simulator)),
      clock_(clock),
      startMs_(sim_.settings().start.toMSecsSinceEpoch()) {}

void SimulatorFeed::pump() {
    // Polled at every read: milliseconds, not a local date and time.
    sim_.runUntil(clock_.msecsSinceEpoch() - startMs_);
    for (auto& l : sim_.takeGnss())
        gnss_ += l.bytes;
    for (auto& l : sim_.takeSounder())
        sounder_ += l.bytes;
    for (const TruthRow& t : sim_.takeTruth()) {
        if (truthSink_) truthSink_(t);
    }
}

TransportFactory SimulatorFeed::factory(Device device, TransportFactory fallback) {
    return [this, device, fallback](const QString& name) -> std::unique_ptr<SerialTransport> {
        if (name.compare(kSimulatorPort, Qt::CaseInsensitive) == 0)
            return std::make_unique<SimulatorPort>(*this, device);
        return fallback ? fallback(name) : makeSerialPortTransport(name);
    };
}

}  // namespace nivora::sim
