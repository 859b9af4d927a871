#pragma once

// The byte pipe under a serial reader: a real port (QSerialPort), the
// built-in simulator, or memory in tests.

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

namespace nivora {

struct SerialSettings {
    quint32 baudRate = 9600;
    int dataBits = 8;  // 5..8
    enum class Stop { One, OneAndHalf, Two } stopBits = Stop::One;
    // 0 none, 1 odd, 2 even, 3 mark, 4 space; other values keep the driver's parity.
    quint32 parity = 0;
    bool dtr = false;
    bool rts = false;
};

class SerialTransport {
  public:
    virtual ~SerialTransport() = default;
    // False when the port is missing, busy or refuses the settings; errorString() says why.
    virtual bool open(const SerialSettings& settings) = 0;
    // After open() said false: the transport is still getting ready (a
    // network connection being made) and open() is to be asked again, on
    // this same transport; false when it failed.
    virtual bool opening() const { return false; }
    virtual void close() = 0;
    // Bytes waiting to be read; negative when the port failed.
    virtual qint64 bytesAvailable() = 0;
    // Reads what is waiting, at most `max` bytes; negative on a read error.
    virtual qint64 read(char* data, qint64 max) = 0;
    // As read(), but no further than the bytes that arrived together, with
    // when they arrived (ms since 1970 UTC) in `arrivedMs`; -1 there when
    // the transport cannot tell, and the reader takes its poll's time.
    virtual qint64 readStamped(char* data, qint64 max, qint64& arrivedMs) {
        arrivedMs = -1;
        return read(data, max);
    }
    // Sends all bytes within one second; returns how many went out, negative on error.
    virtual qint64 write(const char* data, qint64 size) = 0;
    // As write(), but never waits: the bytes are queued for the device, or
    // refused (negative) when too many wait already. A stream that flows
    // all the time (RTK corrections) takes this path.
    virtual qint64 writeQueued(const char* data, qint64 size) { return write(data, size); }
    virtual QString errorString() const = 0;
};

// When the bytes of a stream arrived: runs of bytes, by their offset since
// the stream began, with one arrival time each.
class ArrivalMarks {
  public:
    // The bytes up to `end` (the stream's offset after them) arrived at `ms`;
    // bytes marked already keep their time.
    void mark(qint64 end, qint64 ms);
    // The arrival of the byte at `offset` and how many bytes from it share
    // that time; -1 and 0 for a byte not marked.
    qint64 arrivalAt(qint64 offset, qint64& run) const;
    // The bytes before `offset` are read: their marks go.
    void consumed(qint64 offset);
    void clear() { marks_.clear(); }

  private:
    struct Mark {
        qint64 end;
        qint64 ms;
    };
    std::deque<Mark> marks_;
};

// Makes the transport for a device name ("COM3", "/dev/ttyUSB0", "SIM",
// "tcp://192.168.1.10:5017").
using TransportFactory = std::function<std::unique_ptr<SerialTransport>(const QString& device)>;

// A transport on QSerialPort, or for a network source (tcp://, tcp-listen://,
// udp://, gpsd://) the network transport it names.
std::unique_ptr<SerialTransport> makeSerialPortTransport(const QString& device);

// Bytes in memory, for tests and replay: push() what the device sends,
// written() holds what the program sent.
class MemoryTransport final : public SerialTransport {
  public:
    bool open(const SerialSettings& settings) override;
    void close() override { open_ = false; }
    qint64 bytesAvailable() override;
    qint64 read(char* data, qint64 max) override;
    qint64 readStamped(char* data, qint64 max, qint64& arrivedMs) override;
    qint64 write(const char* data, qint64 size) override;
    QString errorString() const override { return error_; }

    // A factory that makes memory ports and points `current` at the last one made.
    static TransportFactory factory(MemoryTransport*& current);

    // What the device sends; with `arrivedMs` (ms since 1970 UTC) the bytes
    // carry that arrival, else the reader's poll time stamps them.
    void push(const QByteArray& bytes, qint64 arrivedMs = -1);
    bool isOpen() const { return open_; }
    const QByteArray& written() const { return written_; }
    const SerialSettings& settings() const { return settings_; }

    // Failure switches for tests.
    bool failOpen = false;
    bool failRead = false;
    qint64 writeLimit = -1;  // accept at most this many bytes per write (-1: all)

  private:
    bool open_ = false;
    QByteArray incoming_;
    qsizetype readPos_ = 0;
    qint64 streamPos_ = 0;  // offset of incoming_'s first byte in the stream
    ArrivalMarks arrivals_;
    QByteArray written_;
    SerialSettings settings_;
    QString error_;
};

}  // namespace nivora
