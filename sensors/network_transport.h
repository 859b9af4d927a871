#pragma once

// Network sources under the reader: a TCP client, a TCP port one sender
// connects to, a UDP port (unicast, broadcast or a multicast group), and
// gpsd. None of them waits: open() answers "not yet" (opening() true) while
// a connection is being made, and the reader asks again at its next retry,
// as it does for a serial port that is not there.

#include <QByteArray>
#include <memory>

#include "sensors/network_source.h"
#include "sensors/serial_transport.h"

namespace nivora {

// What a network transport holds of received bytes at most: a TCP sender
// then waits for the reader, a datagram that does not fit is dropped.
inline constexpr qsizetype kNetworkBufferBytes = 1024 * 1024;
// A connection that neither stands nor fails by then is given up and tried
// again from the start.
inline constexpr int kConnectTimeoutMs = 10000;
// Bytes written to a TCP peer that may wait to go out; beyond it a write is
// refused, so that a peer that stopped reading cannot grow the queue.
inline constexpr qint64 kMaxUnsentBytes = 256 * 1024;

// Bytes received and not yet read, with when they arrived; bounded.
class ArrivalBuffer {
  public:
    explicit ArrivalBuffer(qsizetype capacity) : capacity_(capacity) {}
    qsizetype size() const { return data_.size() - readPos_; }
    qsizetype room() const { return capacity_ - size(); }
    // Keeps the bytes that arrived at `ms` (ms since 1970 UTC); false, and
    // none kept, when they do not fit.
    bool append(const char* data, qsizetype n, qint64 ms);
    // Reads at most `max` bytes that arrived together, their arrival in `ms`.
    qint64 read(char* out, qint64 max, qint64& ms);
    void clear();

  private:
    qsizetype capacity_;
    QByteArray data_;
    qsizetype readPos_ = 0;
    qint64 streamPos_ = 0;  // stream offset of data_[0]
    ArrivalMarks marks_;
};

// A network transport's reading side: the bytes received wait in a bounded
// buffer with their arrival, and the last error is kept for the reader.
class BufferedTransport : public SerialTransport {
  public:
    qint64 read(char* data, qint64 max) override {
        qint64 ms = 0;
        return readStamped(data, max, ms);
    }
    qint64 readStamped(char* data, qint64 max, qint64& arrivedMs) override {
        return buffer_.read(data, max, arrivedMs);
    }
    QString errorString() const override { return error_; }

  protected:
    ArrivalBuffer buffer_{kNetworkBufferBytes};
    QString error_;
};

// The transport for a source; a text that does not parse gives one whose
// open() fails with the reason.
std::unique_ptr<SerialTransport> makeNetworkTransport(const QString& text);
std::unique_ptr<SerialTransport> makeNetworkTransport(const NetworkSource& source);

}  // namespace nivora
