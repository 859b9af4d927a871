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
        qint64 n = -taken_;
        for (const SimulatorFeed::Arrived& a : feed_.pending(device_))
            n += a.bytes.size();
        return n;
    }
    qint64 read(char* data, qint64 max) override {
        qint64 arrived = 0;
        return readStamped(data, max, arrived);
    }
    // A line at a time, with the moment it reached the port.
    qint64 readStamped(char* data, qint64 max, qint64& arrivedMs) override {
        auto& pending = feed_.pending(device_);
        arrivedMs = -1;
        if (pending.empty()) return 0;
        const QByteArray& line = pending.front().bytes;
        arrivedMs = pending.front().arrivedMs;
        const qint64 n = std::min<qint64>(max, line.size() - taken_);
        std::memcpy(data, line.constData() + taken_, static_cast<std::size_t>(n));
        taken_ += n;
        if (taken_ == line.size()) {
            pending.pop_front();
            taken_ = 0;
        }
        return n;
    }
    qint64 write(const char* data, qint64 size) override {
        QByteArray& kept = feed_.received();
        kept.append(data, size);
        if (kept.size() > SimulatorFeed::kMaxReceived)
            kept.remove(0, kept.size() - SimulatorFeed::kMaxReceived / 2);
        return size;
    }
    QString errorString() const override { return {}; }

  private:
    SimulatorFeed& feed_;
    Device device_;
    bool open_ = false;
    qint64 taken_ = 0;  // bytes of the first pending line read already
};

}  // namespace

SimulatorFeed::SimulatorFeed(Simulator simulator, const Clock& clock)
    : sim_(std::move(simulator)),
      clock_(clock),
      startMs_(sim_.settings().start.toMSecsSinceEpoch()) {}

void SimulatorFeed::pump() {
    // Polled at every read: milliseconds, not a local date and time.
    const qint64 now = clock_.msecsSinceEpoch();
    sim_.runUntil(now - startMs_);
    for (int d = 0; d < 2; ++d) {
        for (auto& l : d == 0 ? sim_.takeGnss() : sim_.takeSounder())
            inFlight_[d].push_back({startMs_ + l.elapsedMs + latencyMs_[d], std::move(l.bytes)});
        std::deque<Arrived>& arrived = d == 0 ? gnss_ : sounder_;
        while (!inFlight_[d].empty() && inFlight_[d].front().arrivedMs <= now) {
            arrived.push_back(std::move(inFlight_[d].front()));
            inFlight_[d].pop_front();
        }
    }
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
