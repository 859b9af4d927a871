#include "sensors/network_transport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>
#include <cstring>

#include "sensors/gpsd_transport.h"

namespace nivora {

bool ArrivalBuffer::append(const char* data, qsizetype n, qint64 ms) {
    if (n <= 0) return true;
    if (n > room()) return false;
    // Read bytes go before the buffer doubles, not on every read.
    if (readPos_ > 0 && readPos_ >= data_.size() / 2) {
        data_.remove(0, readPos_);
        streamPos_ += readPos_;
        readPos_ = 0;
    }
    data_.append(data, n);
    marks_.mark(streamPos_ + data_.size(), ms);
    return true;
}

qint64 ArrivalBuffer::read(char* out, qint64 max, qint64& ms) {
    qint64 run = 0;
    ms = marks_.arrivalAt(streamPos_ + readPos_, run);
    const qint64 n = std::min<qint64>({max, run > 0 ? run : max, size()});
    if (n <= 0) return 0;
    std::memcpy(out, data_.constData() + readPos_, static_cast<size_t>(n));
    readPos_ += n;
    marks_.consumed(streamPos_ + readPos_);
    if (readPos_ == data_.size()) {
        streamPos_ += data_.size();
        data_.clear();
        readPos_ = 0;
    }
    return n;
}

void ArrivalBuffer::clear() {
    data_.clear();
    streamPos_ += readPos_;
    readPos_ = 0;
    marks_.clear();
}

namespace {

QString endpoint(const QString& host, quint16 port) {
    const QString h =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port);
}

// Moves what a connected socket has received into the buffer, as far as
// it has room; the rest waits in the socket, whose own buffer is bounded,
// so the sender waits too.
void pull(QTcpSocket& socket, ArrivalBuffer& buffer) {
    char chunk[16 * 1024];
    while (buffer.room() > 0 && socket.bytesAvailable() > 0) {
        const qint64 n =
            socket.read(chunk, std::min<qint64>(static_cast<qint64>(sizeof chunk), buffer.room()));
        if (n <= 0) break;
        buffer.append(chunk, n, QDateTime::currentMSecsSinceEpoch());
    }
}

QString lostText(const QTcpSocket& socket) {
    if (socket.error() == QAbstractSocket::RemoteHostClosedError ||
        socket.error() == QAbstractSocket::UnknownSocketError)
        return QStringLiteral("the other end closed the connection");
    return socket.errorString();
}

void prepare(QTcpSocket& socket) {
    socket.setReadBufferSize(kNetworkBufferBytes);
    // Commands and corrections go out at once; a peer that vanished
    // without closing is found in the end.
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
}

qint64 writeTo(QTcpSocket* socket, const char* data, qint64 size, QString& error) {
    if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
        error = QStringLiteral("the connection is not open");
        return -1;
    }
    if (socket->bytesToWrite() + size > kMaxUnsentBytes) {
        error = QStringLiteral("the other end does not take the bytes (%1 wait to be sent)")
                    .arg(socket->bytesToWrite());
        return -1;
    }
    const qint64 n = socket->write(data, size);
    if (n < 0) error = socket->errorString();
    return n;
}

// A source the text could not name: it never opens, and says why.
class UnusableTransport final : public SerialTransport {
  public:
    explicit UnusableTransport(QString why) : why_(std::move(why)) {}
    bool open(const SerialSettings&) override { return false; }
    void close() override {}
    qint64 bytesAvailable() override { return -1; }
    qint64 read(char*, qint64) override { return -1; }
    qint64 write(const char*, qint64) override { return -1; }
    QString errorString() const override { return why_; }

  private:
    QString why_;
};

class TcpClientTransport final : public BufferedTransport {
  public:
    explicit TcpClientTransport(NetworkSource source) : source_(std::move(source)) {
        prepare(socket_);
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { pull(socket_, buffer_); });
    }

    bool open(const SerialSettings&) override {
        opening_ = false;
        // A peer that sent and closed before the reader came is read all the same.
        pull(socket_, buffer_);
        if (buffer_.size() > 0) return true;
        switch (socket_.state()) {
            case QAbstractSocket::ConnectedState:
                return true;
            case QAbstractSocket::HostLookupState:
            case QAbstractSocket::ConnectingState:
                if (since_.elapsed() < kConnectTimeoutMs) break;
                socket_.abort();
                error_ =
                    QStringLiteral("%1 did not answer").arg(endpoint(source_.host, source_.port));
                return false;
            default:
                if (since_.isValid()) {
                    error_ = socket_.errorString();
                    return false;
                }
                buffer_.clear();
                socket_.connectToHost(source_.host, source_.port);
                since_.start();
                break;
        }
        opening_ = true;
        error_ = QStringLiteral("connecting to %1").arg(endpoint(source_.host, source_.port));
        return false;
    }
    bool opening() const override { return opening_; }
    void close() override {
        socket_.abort();
        buffer_.clear();
    }
    qint64 bytesAvailable() override {
        pull(socket_, buffer_);
        if (buffer_.size() > 0) return buffer_.size();
        if (socket_.state() != QAbstractSocket::ConnectedState) {
            error_ = lostText(socket_);
            return -1;
        }
        return 0;
    }
    qint64 write(const char* data, qint64 size) override {
        return writeTo(&socket_, data, size, error_);
    }

  private:
    NetworkSource source_;
    QTcpSocket socket_;
    QElapsedTimer since_;
    bool opening_ = false;
};

QHostAddress listenAddress(const QString& host, QString& error) {
    if (host.isEmpty()) return QHostAddress(QHostAddress::Any);
    QHostAddress a;
    if (!a.setAddress(host)) error = QStringLiteral("%1 is not a numeric address").arg(host);
    return a;
}

// One sender at a time: the port stops listening once it has one, so a
// second is refused; when the first goes, the reader listens again.
class TcpListenTransport final : public BufferedTransport {
  public:
    explicit TcpListenTransport(NetworkSource source) : source_(std::move(source)) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { take(); });
    }
    ~TcpListenTransport() override { close(); }

    bool open(const SerialSettings&) override {
        opening_ = false;
        if (client_) {
            // A sender that sent and closed before the reader came is read all the same.
            pull(*client_, buffer_);
            if (client_->state() == QAbstractSocket::ConnectedState || buffer_.size() > 0)
                return true;
            client_.reset();  // gone without a word
        }
        if (!server_.isListening()) {
            QString why;
            const QHostAddress address = listenAddress(source_.host, why);
            if (!why.isEmpty() || !server_.listen(address, source_.port)) {
                error_ = why.isEmpty() ? server_.errorString() : why;
                return false;
            }
        }
        opening_ = true;
        error_ = QStringLiteral("waiting for a sender on port %1").arg(source_.port);
        return false;
    }
    bool opening() const override { return opening_; }
    void close() override {
        server_.close();
        if (client_) client_->abort();
        client_.reset();
        buffer_.clear();
    }
    qint64 bytesAvailable() override {
        if (!client_) return -1;
        pull(*client_, buffer_);
        if (buffer_.size() > 0) return buffer_.size();
        if (client_->state() != QAbstractSocket::ConnectedState) {
            error_ = lostText(*client_);
            return -1;
        }
        return 0;
    }
    qint64 write(const char* data, qint64 size) override {
        return writeTo(client_.get(), data, size, error_);
    }

  private:
    void take() {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            if (client_) {
                s->abort();
                s->deleteLater();
                continue;
            }
            s->setParent(nullptr);
            client_.reset(s);
            prepare(*client_);
            buffer_.clear();
            QObject::connect(client_.get(), &QTcpSocket::readyRead,
                             [this] { pull(*client_, buffer_); });
            server_.close();
        }
    }

    NetworkSource source_;
    QTcpServer server_;
    std::unique_ptr<QTcpSocket> client_;
    bool opening_ = false;
};

class UdpTransport final : public BufferedTransport {
  public:
    explicit UdpTransport(NetworkSource source) : source_(std::move(source)) {
        QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { pull(); });
    }

    bool open(const SerialSettings&) override {
        if (socket_.state() == QAbstractSocket::BoundState) return true;
        QString why;
        const QHostAddress address = listenAddress(source_.host, why);
        if (!why.isEmpty()) {
            error_ = why;
            return false;
        }
        const bool group = address.isMulticast();
        const QHostAddress bindTo = !group ? address
                                    : address.protocol() == QAbstractSocket::IPv6Protocol
                                        ? QHostAddress(QHostAddress::AnyIPv6)
                                        : QHostAddress(QHostAddress::AnyIPv4);
        // Shared, so that a chart plotter on the same computer can listen too.
        if (!socket_.bind(bindTo, source_.port,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) ||
            (group && !socket_.joinMulticastGroup(address))) {
            error_ = socket_.errorString();
            socket_.abort();
            return false;
        }
        // Datagrams that come while the thread is busy wait in the system.
        socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                                static_cast<int>(kNetworkBufferBytes));
        buffer_.clear();
        return true;
    }
    void close() override {
        socket_.abort();
        buffer_.clear();
    }
    qint64 bytesAvailable() override {
        pull();
        if (socket_.state() != QAbstractSocket::BoundState) {
            error_ = socket_.errorString();
            return -1;
        }
        return buffer_.size();
    }
    qint64 write(const char*, qint64) override {
        error_ = QStringLiteral("a UDP source only listens; nothing can be sent to it");
        return -1;
    }

  private:
    // Each datagram as it came; one that does not fit is dropped whole, never cut.
    void pull() {
        while (socket_.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket_.receiveDatagram();
            if (!d.isValid()) break;
            const QByteArray bytes = d.data();
            buffer_.append(bytes.constData(), bytes.size(), QDateTime::currentMSecsSinceEpoch());
        }
    }

    NetworkSource source_;
    QUdpSocket socket_;
};

}  // namespace

std::unique_ptr<SerialTransport> makeNetworkTransport(const NetworkSource& source) {
    switch (source.kind) {
        case NetworkSource::Kind::TcpClient:
            return std::make_unique<TcpClientTransport>(source);
        case NetworkSource::Kind::TcpListen:
            return std::make_unique<TcpListenTransport>(source);
        case NetworkSource::Kind::Udp:
            return std::make_unique<UdpTransport>(source);
        case NetworkSource::Kind::Gpsd:
            return makeGpsdTransport(source);
    }
    return nullptr;
}

std::unique_ptr<SerialTransport> makeNetworkTransport(const QString& text) {
    QString why;
    const auto source = parseNetworkSource(text, &why);
    if (!source) return std::make_unique<UnusableTransport>(why);
    return makeNetworkTransport(*source);
}

}  // namespace nivora
