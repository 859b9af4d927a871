#include "sensors/gpsd_transport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <cstring>

#include "sensors/network_transport.h"

namespace nivora {

QByteArray GpsdStream::feed(const char* data, qsizetype size) {
    QByteArray nmea;
    qsizetype at = 0;
    while (at < size) {
        const char* end = static_cast<const char*>(std::memchr(data + at, '\n', size - at));
        const qsizetype n = end ? end - (data + at) + 1 : size - at;
        if (!skipping_) partial_.append(data + at, n);
        at += n;
        if (!end) {
            if (partial_.size() > kMaxLineBytes) {
                partial_.clear();
                skipping_ = true;
                ++dropped_;
            }
            break;
        }
        if (!skipping_) takeLine(partial_, nmea);
        partial_.clear();
        skipping_ = false;
    }
    return nmea;
}

void GpsdStream::takeLine(const QByteArray& line, QByteArray& nmea) {
    const QByteArray t = line.trimmed();
    if (t.startsWith('{')) {
        takeJson(t);
    } else {
        nmea += line;
    }
}

void GpsdStream::takeJson(const QByteArray& line) {
    // Positions, skies and the like come many times a second and the NMEA
    // carries them already: only the reports about devices are parsed.
    if (!line.contains("\"DEVICE") && !line.contains("\"ERROR")) return;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        ++dropped_;
        return;
    }
    const QJsonObject o = doc.object();
    const QString cls = o.value(QLatin1String("class")).toString();
    // An active device carries its activation time; a closed one carries
    // "activated":0 or none at all.
    const auto isActive = [](const QJsonObject& d) {
        const QJsonValue a = d.value(QLatin1String("activated"));
        return a.isString() ? !a.toString().isEmpty() && a.toString() != QLatin1String("0")
                            : a.isDouble() && a.toDouble() != 0;
    };
    if (cls == QLatin1String("DEVICE")) {
        deviceReport(o.value(QLatin1String("path")).toString(), isActive(o));
    } else if (cls == QLatin1String("DEVICES")) {
        const QSet<QString> before = active_;
        active_.clear();
        for (const QJsonValue& v : o.value(QLatin1String("devices")).toArray()) {
            const QJsonObject d = v.toObject();
            const QString path = d.value(QLatin1String("path")).toString();
            if (isActive(d) && (device_.isEmpty() || path == device_)) active_.insert(path);
        }
        if (!before.isEmpty() && active_.isEmpty()) {
            lost_ = true;
            lostPath_ = *before.begin();
        }
    } else if (cls == QLatin1String("ERROR")) {
        lastError_ = o.value(QLatin1String("message")).toString();
    }
}

void GpsdStream::deviceReport(const QString& path, bool active) {
    if (!device_.isEmpty() && path != device_) return;
    if (active) {
        active_.insert(path);
        return;
    }
    if (!active_.remove(path) || !active_.isEmpty()) return;
    lost_ = true;
    lostPath_ = path;
}

QByteArray GpsdStream::watchRequest() const {
    QJsonObject watch{{QStringLiteral("enable"), true},
                      {QStringLiteral("json"), true},
                      {QStringLiteral("nmea"), true}};
    if (!device_.isEmpty()) watch.insert(QStringLiteral("device"), device_);
    return "?WATCH=" + QJsonDocument(watch).toJson(QJsonDocument::Compact) + '\n';
}

namespace {

// Open once gpsd has answered and names an active device; until then the
// reader keeps asking, quietly, as for a receiver not switched on yet.
class GpsdTransport final : public BufferedTransport {
  public:
    explicit GpsdTransport(NetworkSource source)
        : source_(std::move(source)), stream_(source_.device) {
        socket_.setReadBufferSize(kNetworkBufferBytes);
        QObject::connect(&socket_, &QTcpSocket::connected,
                         [this] { socket_.write(stream_.watchRequest()); });
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { pull(); });
    }

    bool open(const SerialSettings&) override {
        opening_ = false;
        pull();
        switch (socket_.state()) {
            case QAbstractSocket::ConnectedState:
                if (stream_.hasDevice()) return true;
                if (stream_.deviceLost()) {
                    error_ = lostText();
                    return false;
                }
                opening_ = true;
                error_ = stream_.lastError().isEmpty()
                             ? QStringLiteral("gpsd has no active device")
                             : QStringLiteral("gpsd says: ") + stream_.lastError();
                return false;
            case QAbstractSocket::HostLookupState:
            case QAbstractSocket::ConnectingState:
                if (since_.elapsed() < kConnectTimeoutMs) break;
                socket_.abort();
                error_ = QStringLiteral("gpsd did not answer");
                return false;
            default:
                if (since_.isValid()) {
                    error_ = socket_.errorString();
                    return false;
                }
                socket_.connectToHost(source_.host, source_.port);
                since_.start();
                break;
        }
        opening_ = true;
        error_ = QStringLiteral("connecting to gpsd");
        return false;
    }
    bool opening() const override { return opening_; }
    void close() override {
        socket_.abort();
        buffer_.clear();
    }
    qint64 bytesAvailable() override {
        pull();
        if (buffer_.size() > 0) return buffer_.size();
        if (stream_.deviceLost()) {
            error_ = lostText();
            return -1;
        }
        if (socket_.state() != QAbstractSocket::ConnectedState) {
            error_ = socket_.error() == QAbstractSocket::RemoteHostClosedError
                         ? QStringLiteral("gpsd closed the connection")
                         : socket_.errorString();
            return -1;
        }
        return 0;
    }
    qint64 write(const char*, qint64) override {
        error_ = QStringLiteral("gpsd relays what its devices send; commands go to them directly");
        return -1;
    }

  private:
    QString lostText() const {
        return QStringLiteral("gpsd reports that %1 went away").arg(stream_.lostDevice());
    }

    // NMEA goes on to the reader as far as the buffer has room; the rest
    // waits in the socket.
    void pull() {
        char chunk[16 * 1024];
        while (buffer_.room() >= static_cast<qsizetype>(sizeof chunk) &&
               socket_.bytesAvailable() > 0) {
            const qint64 n = socket_.read(chunk, sizeof chunk);
            if (n <= 0) break;
            const QByteArray nmea = stream_.feed(chunk, n);
            buffer_.append(nmea.constData(), nmea.size(), QDateTime::currentMSecsSinceEpoch());
        }
    }

    NetworkSource source_;
    GpsdStream stream_;
    QTcpSocket socket_;
    QElapsedTimer since_;
    bool opening_ = false;
};

}  // namespace

std::unique_ptr<SerialTransport> makeGpsdTransport(const NetworkSource& source) {
    return std::make_unique<GpsdTransport>(source);
}

}  // namespace nivora
