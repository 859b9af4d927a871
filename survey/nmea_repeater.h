#pragma once

// The survey's own sentences, and if asked every accepted input line, on
// their way to a chart plotter or a second computer: datagrams to
// "udp://HOST:PORT", or any number of TCP clients on "tcp-listen://[ADDRESS]:PORT".
// Nothing here waits: a datagram is handed to the system, and a TCP client
// has a bounded queue of its own; one that lets it fill stopped reading and
// is dropped. A destination that cannot be opened is said once and tried
// again quietly every 2 s.

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QHostAddress>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace nivora {

struct GnssEpoch;

// Each with its checksum and CR LF. Position and heading under the GNSS
// talker "GP", depth under the sounder's "SD".
// GGA from the epoch as the survey holds it (its separation may be the
// geoid model's); no position gives empty position fields.
std::string repeaterGga(const GnssEpoch& epoch);
// VTG: course over ground (true, degrees), speed in knots and km/h, mode A.
std::string repeaterVtg(double courseDeg, double speedKnots);
std::string repeaterHdt(double headingDeg);
// DPT carries depth below the transducer plus an offset; this sends the
// true depth below the surface with offset 0, so both mean the same depth.
std::string repeaterDpt(double trueDepthM);
// DBT: the true depth in feet, metres and fathoms.
std::string repeaterDbt(double trueDepthM);

class NmeaRepeater {
  public:
    using ErrorSink = std::function<void(const QString&)>;
    // What a TCP client may have waiting to go out before it is dropped.
    static constexpr qint64 kClientQueueBytes = 256 * 1024;
    // Datagrams stay below a common path MTU.
    static constexpr std::size_t kDatagramBytes = 1400;

    explicit NmeaRepeater(ErrorSink reportError, qint64 clientQueueBytes = kClientQueueBytes);
    ~NmeaRepeater();

    // The destination text; an empty one sends nothing. A change closes
    // what was open.
    void configure(const QString& destination);
    // Sends the sentences (each a whole line with CR LF), opening the
    // destination when it is due; false when nothing went out.
    bool send(const std::vector<std::string>& sentences, qint64 nowMs);
    void close();

    bool open() const { return udp_ || server_; }
    // TCP: the port listened on, and the clients taken so far.
    quint16 listeningPort() const;
    int clientCount();
    qint64 sentencesSent() const { return sent_; }
    qint64 clientsDropped() const { return dropped_; }

  private:
    bool openDestination(qint64 nowMs);
    void failed(const QString& why, qint64 nowMs);
    void takeClients();
    void sendToClients(const std::string& bytes);

    ErrorSink reportError_;
    qint64 clientQueueBytes_;
    QString destination_;
    qint64 retryAtMs_ = 0;
    QString said_;  // the last failure said, until the destination opens
    std::unique_ptr<QUdpSocket> udp_;
    QHostAddress host_;
    quint16 port_ = 0;
    std::unique_ptr<QTcpServer> server_;
    std::vector<QPointer<QTcpSocket>> clients_;
    qint64 sent_ = 0;
    qint64 dropped_ = 0;
};

}  // namespace nivora
