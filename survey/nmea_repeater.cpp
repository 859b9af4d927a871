#include "survey/nmea_repeater.h"

#include <QDateTime>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

#include "core/number_format.h"
#include "guidance/autopilot_sentences.h"
#include "sensors/network_source.h"
#include "sensors/nmea.h"
#include "survey/survey_values.h"

namespace nivora {
namespace {

constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerFathom = 1.8288;

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

std::string optionalFixed(const std::optional<double>& v, int decimals) {
    return v ? formatFixed(*v, decimals) : std::string();
}

std::string line(const std::string& body) {
    return withNmeaChecksum(body) + "\r\n";
}

// hhmmss.ss of the GGA; the epoch's own time when the receiver gave none.
std::string ggaTime(const GnssEpoch& e) {
    double t = e.utcTime;
    if (t <= 0) {
        const QTime c = QDateTime::fromMSecsSinceEpoch(e.timeMs, Qt::UTC).time();
        t = c.hour() * 10000 + c.minute() * 100 + c.second() + c.msec() / 1000.0;
    }
    return padded(formatFixed(t, 2), 9);
}

}  // namespace

std::string repeaterGga(const GnssEpoch& e) {
    std::string lat, lon;
    char ns[2] = {}, ew[2] = {};
    if (e.hasPosition()) {
        lat = nmeaLatitude(e.latitudeDeg, ns);
        lon = nmeaLongitude(e.longitudeDeg, ew);
    }
    return line("$GPGGA," + ggaTime(e) + ',' + lat + ',' + ns + ',' + lon + ',' + ew + ',' +
                std::to_string(e.fixQuality) + ',' + padded(std::to_string(e.satellites), 2) + ',' +
                optionalFixed(e.hdop, 1) + ',' + formatFixed(e.altitudeM, 3) + ",M," +
                optionalFixed(e.geoidSeparationM, 3) + ",M," + optionalFixed(e.correctionAgeS, 1) +
                ',');
}

std::string repeaterVtg(double courseDeg, double speedKnots) {
    const double kmh = speedKnots * kMetresPerNauticalMile / 1000.0;
    return line("$GPVTG," + formatFixed(courseDeg, 2) + ",T,,M," + formatFixed(speedKnots, 2) +
                ",N," + formatFixed(kmh, 2) + ",K,A");
}

std::string repeaterHdt(double headingDeg) {
    return line("$GPHDT," + formatFixed(headingDeg, 2) + ",T");
}

std::string repeaterDpt(double trueDepthM) {
    return line("$SDDPT," + formatFixed(trueDepthM, 2) + ",0.0");
}

std::string repeaterDbt(double trueDepthM) {
    return line("$SDDBT," + formatFixed(trueDepthM / kMetresPerFoot, 1) + ",f," +
                formatFixed(trueDepthM, 2) + ",M," + formatFixed(trueDepthM / kMetresPerFathom, 2) +
                ",F");
}

NmeaRepeater::NmeaRepeater(ErrorSink reportError, qint64 clientQueueBytes)
    : reportError_(std::move(reportError)), clientQueueBytes_(clientQueueBytes) {}

NmeaRepeater::~NmeaRepeater() {
    close();
}

void NmeaRepeater::configure(const QString& destination) {
    if (destination.trimmed() == destination_) return;
    close();
    destination_ = destination.trimmed();
    said_.clear();
    retryAtMs_ = 0;
}

void NmeaRepeater::close() {
    for (const QPointer<QTcpSocket>& c : clients_) {
        if (c) c->abort();
    }
    clients_.clear();
    server_.reset();  // its clients are its children
    udp_.reset();
}

quint16 NmeaRepeater::listeningPort() const {
    return server_ ? server_->serverPort() : 0;
}

void NmeaRepeater::failed(const QString& why, qint64 nowMs) {
    retryAtMs_ = nowMs + 2000;
    const QString text =
        QStringLiteral("NMEA output %1 cannot be opened: %2").arg(destination_, why);
    if (text != said_ && reportError_) reportError_(text);
    said_ = text;
}

bool NmeaRepeater::openDestination(qint64 nowMs) {
    if (open()) return true;
    if (destination_.isEmpty() || nowMs < retryAtMs_) return false;
    QString why;
    const std::optional<NetworkSource> src = parseNetworkSource(destination_, &why);
    if (!src) {
        failed(why, nowMs);
        return false;
    }
    const QHostAddress address(src->host);
    if (src->kind == NetworkSource::Kind::Udp) {
        if (address.isNull()) {
            failed(QStringLiteral("it needs udp://ADDRESS:PORT"), nowMs);
            return false;
        }
        host_ = address;
        port_ = src->port;
        udp_ = std::make_unique<QUdpSocket>();
    } else if (src->kind == NetworkSource::Kind::TcpListen) {
        auto server = std::make_unique<QTcpServer>();
        if (!server->listen(src->host.isEmpty() ? QHostAddress(QHostAddress::Any) : address,
                            src->port)) {
            failed(server->errorString(), nowMs);
            return false;
        }
        server_ = std::move(server);
    } else {
        failed(QStringLiteral("it must be udp://HOST:PORT or tcp-listen://:PORT"), nowMs);
        return false;
    }
    said_.clear();
    return true;
}

void NmeaRepeater::takeClients() {
    if (!server_) return;
    while (server_->hasPendingConnections()) {
        QTcpSocket* c = server_->nextPendingConnection();
        clients_.emplace_back(c);
    }
    // Clients that went away leave; the server, their parent, deletes them later.
    std::erase_if(clients_, [](const QPointer<QTcpSocket>& c) {
        if (c && c->state() == QAbstractSocket::ConnectedState) return false;
        if (c) c->deleteLater();
        return true;
    });
}

int NmeaRepeater::clientCount() {
    takeClients();
    return static_cast<int>(clients_.size());
}

void NmeaRepeater::sendToClients(const std::string& bytes) {
    takeClients();
    const auto n = static_cast<qint64>(bytes.size());
    std::erase_if(clients_, [&](const QPointer<QTcpSocket>& c) {
        // A full queue: the client stopped reading, and nobody waits for it.
        if (c->bytesToWrite() + n > clientQueueBytes_) {
            if (reportError_) {
                reportError_(QStringLiteral("NMEA output: client %1 dropped, it does not read")
                                 .arg(c->peerAddress().toString()));
            }
            c->abort();
            c->deleteLater();
            ++dropped_;
            return true;
        }
        c->write(bytes.data(), n);
        return false;
    });
}

bool NmeaRepeater::send(const std::vector<std::string>& sentences, qint64 nowMs) {
    if (sentences.empty() || !openDestination(nowMs)) return false;
    if (server_) {
        std::string bytes;
        for (const std::string& s : sentences)
            bytes += s;
        sendToClients(bytes);
    } else {
        // As many whole sentences to a datagram as fit.
        std::string datagram;
        const auto flush = [&] {
            if (!datagram.empty())
                udp_->writeDatagram(datagram.data(), static_cast<qint64>(datagram.size()), host_,
                                    port_);
            datagram.clear();
        };
        for (const std::string& s : sentences) {
            if (!datagram.empty() && datagram.size() + s.size() > kDatagramBytes) flush();
            datagram += s;
        }
        flush();
    }
    sent_ += static_cast<qint64>(sentences.size());
    return true;
}

}  // namespace nivora
