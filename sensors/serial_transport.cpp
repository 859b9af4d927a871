#include "sensors/serial_transport.h"

#include <QDateTime>
#include <QSerialPort>
#include <algorithm>
#include <cstring>

#include "sensors/network_source.h"
#include "sensors/network_transport.h"

namespace nivora {
namespace {

class SerialPortTransport final : public SerialTransport {
  public:
    explicit SerialPortTransport(const QString& device) {
        port_.setPortName(device);
        // The driver's bytes are stamped as the event loop hands them to
        // the port, not at the reader's next poll, up to a poll later.
        QObject::connect(&port_, &QSerialPort::readyRead, [this] { noteArrival(); });
    }

    bool open(const SerialSettings& s) override {
        error_.clear();
        if (s.dataBits < 5 || s.dataBits > 8) {
            error_ = QStringLiteral("unsupported data width of %1 bits").arg(s.dataBits);
            return false;
        }
        if (!port_.open(QIODevice::ReadWrite)) return fail();
        bool ok = port_.setBaudRate(static_cast<qint32>(s.baudRate)) &&
                  port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
                  port_.setStopBits(s.stopBits == SerialSettings::Stop::Two ? QSerialPort::TwoStop
                                    : s.stopBits == SerialSettings::Stop::OneAndHalf
                                        ? QSerialPort::OneAndHalfStop
                                        : QSerialPort::OneStop) &&
                  port_.setFlowControl(QSerialPort::NoFlowControl);
        if (ok && s.parity <= 4) {
            static constexpr QSerialPort::Parity kParity[] = {
                QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
                QSerialPort::MarkParity, QSerialPort::SpaceParity};
            ok = port_.setParity(kParity[s.parity]);
        }
        // Devices without modem lines (USB gadgets, pseudo-terminals) refuse
        // to set them; that only matters when a line is asked to be on.
        if (ok && !port_.setDataTerminalReady(s.dtr)) {
            ok = !s.dtr;
            port_.clearError();
        }
        if (ok && !port_.setRequestToSend(s.rts)) {
            ok = !s.rts;
            port_.clearError();
        }
        if (!ok) {
            fail();
            port_.close();
            return false;
        }
        port_.clear(QSerialPort::AllDirections);
        readTotal_ = 0;
        arrivals_.clear();
        return true;
    }

    void close() override {
        if (port_.isOpen()) port_.close();
        arrivals_.clear();
    }

    qint64 bytesAvailable() override {
        if (!port_.isOpen()) return -1;
        // A device that went away (unplugged, a hung-up line) fails its
        // reads from then on; the reader opens it again.
        switch (port_.error()) {
            case QSerialPort::ResourceError:
            case QSerialPort::ReadError:
            case QSerialPort::DeviceNotFoundError:
                return -1;
            default:
                break;
        }
        return port_.bytesAvailable();
    }

    qint64 read(char* data, qint64 max) override {
        const qint64 n = port_.read(data, max);
        if (n > 0) {
            readTotal_ += n;
            arrivals_.consumed(readTotal_);
        }
        return n;
    }

    qint64 readStamped(char* data, qint64 max, qint64& arrivedMs) override {
        noteArrival();
        qint64 run = 0;
        arrivedMs = arrivals_.arrivalAt(readTotal_, run);
        return read(data, run > 0 ? std::min(max, run) : max);
    }

    qint64 write(const char* data, qint64 size) override {
        const qint64 n = port_.write(data, size);
        if (n < 0) {
            fail();
            return n;
        }
        // The bytes count as sent once the driver has taken them, within the
        // one-second write time-out.
        if (port_.bytesToWrite() > 0 && !port_.waitForBytesWritten(1000)) {
            fail();
            return size - port_.bytesToWrite();
        }
        return n;
    }

    qint64 writeQueued(const char* data, qint64 size) override {
        // A few seconds of corrections at 9600 baud; more waiting means the
        // port does not keep up, and old corrections are worth nothing.
        constexpr qint64 kMaxQueued = 8 * 1024;
        if (port_.bytesToWrite() + size > kMaxQueued) {
            error_ = QStringLiteral("%1 bytes wait to go out").arg(port_.bytesToWrite());
            return -1;
        }
        const qint64 n = port_.write(data, size);
        if (n < 0) fail();
        return n;
    }

    QString errorString() const override { return error_.isEmpty() ? port_.errorString() : error_; }

  private:
    bool fail() {
        error_ = port_.errorString();
        return false;
    }

    void noteArrival() {
        if (port_.isOpen())
            arrivals_.mark(readTotal_ + port_.bytesAvailable(),
                           QDateTime::currentMSecsSinceEpoch());
    }

    QSerialPort port_;
    QString error_;
    qint64 readTotal_ = 0;  // bytes read since the open
    ArrivalMarks arrivals_;
};

}  // namespace

void ArrivalMarks::mark(qint64 end, qint64 ms) {
    if (!marks_.empty() && end <= marks_.back().end) return;
    if (!marks_.empty() && marks_.back().ms == ms) {
        marks_.back().end = end;
    } else {
        marks_.push_back({end, ms});
    }
}

qint64 ArrivalMarks::arrivalAt(qint64 offset, qint64& run) const {
    for (const Mark& m : marks_) {
        if (offset < m.end) {
            run = m.end - offset;
            return m.ms;
        }
    }
    run = 0;
    return -1;
}

void ArrivalMarks::consumed(qint64 offset) {
    while (!marks_.empty() && marks_.front().end <= offset)
        marks_.pop_front();
}

std::unique_ptr<SerialTransport> makeSerialPortTransport(const QString& device) {
    if (isNetworkSource(device)) return makeNetworkTransport(device);
    return std::make_unique<SerialPortTransport>(device);
}

TransportFactory MemoryTransport::factory(MemoryTransport*& current) {
    return [&current](const QString&) {
        auto t = std::make_unique<MemoryTransport>();
        current = t.get();
        return t;
    };
}

bool MemoryTransport::open(const SerialSettings& settings) {
    if (failOpen) {
        error_ = QStringLiteral("The device does not exist");
        return false;
    }
    settings_ = settings;
    open_ = true;
    incoming_.clear();
    readPos_ = 0;
    streamPos_ = 0;
    arrivals_.clear();
    return true;
}

void MemoryTransport::push(const QByteArray& bytes, qint64 arrivedMs) {
    incoming_ += bytes;
    if (arrivedMs >= 0) arrivals_.mark(streamPos_ + incoming_.size(), arrivedMs);
}

qint64 MemoryTransport::readStamped(char* data, qint64 max, qint64& arrivedMs) {
    qint64 run = 0;
    arrivedMs = arrivals_.arrivalAt(streamPos_ + readPos_, run);
    return read(data, run > 0 ? std::min(max, run) : max);
}

qint64 MemoryTransport::bytesAvailable() {
    if (!open_ || failRead) return -1;
    return incoming_.size() - readPos_;
}

qint64 MemoryTransport::read(char* data, qint64 max) {
    if (!open_ || failRead) return -1;
    const qint64 n = std::min<qint64>(max, incoming_.size() - readPos_);
    std::memcpy(data, incoming_.constData() + readPos_, static_cast<size_t>(n));
    readPos_ += n;
    arrivals_.consumed(streamPos_ + readPos_);
    if (readPos_ == incoming_.size()) {
        streamPos_ += incoming_.size();
        incoming_.clear();
        readPos_ = 0;
    }
    return n;
}

qint64 MemoryTransport::write(const char* data, qint64 size) {
    if (!open_) {
        error_ = QStringLiteral("The port is not open");
        return -1;
    }
    const qint64 n = writeLimit < 0 ? size : std::min(size, writeLimit);
    written_.append(data, n);
    if (n < size) error_ = QStringLiteral("Write time-out");
    return n;
}

}  // namespace nivora
