#pragma once

// The autopilot sentences on their way out: to a UDP address
// ("udp://HOST:PORT") or a serial port ("DEVICE" or "DEVICE,BAUD", 4800 baud
// when none is given), at most at the set rate. A target that cannot be
// opened is said once, and tried again at the next sentence after 2 s.

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sensors/serial_transport.h"

#include <QHostAddress>

class QUdpSocket;

namespace nivora {

class AutopilotOutput {
  public:
    using ErrorSink = std::function<void(const QString&)>;
    explicit AutopilotOutput(ErrorSink reportError,
                             TransportFactory serial = makeSerialPortTransport);
    ~AutopilotOutput();

    // The target and the rate (Hz); a change closes what was open.
    void configure(const QString& target, double rateHz);
    // Sends when a period has passed since the last send; true when sent.
    bool offer(const std::vector<std::string>& sentences, qint64 nowMs);
    qint64 sentencesSent() const { return sent_; }
    void close();

  private:
    bool open(qint64 nowMs);

    ErrorSink reportError_;
    TransportFactory serialFactory_;
    QString target_;
    double periodMs_ = 1000;
    qint64 lastSendMs_ = 0;
    bool sentOnce_ = false;
    qint64 retryAtMs_ = 0;
    QString said_;  // the last failure said
    std::unique_ptr<QUdpSocket> udp_;
    QHostAddress host_;
    quint16 port_ = 0;
    std::unique_ptr<SerialTransport> serial_;
    qint64 sent_ = 0;
};

}  // namespace nivora
