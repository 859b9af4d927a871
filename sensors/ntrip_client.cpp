#include "sensors/ntrip_client.h"

#include <QTcpSocket>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace nivora {
namespace {

constexpr char kUserAgent[] = "NTRIP NivoraDW/1.0";
// GGA bytes that may wait to go out; a caster that does not read gets no more.
constexpr qint64 kMaxUnsentGga = 4096;
constexpr int kRateSeconds = 5;

QString seconds1(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1);
}

QString rateText(double bytesPerSecond) {
    return QString::number(std::lround(bytesPerSecond)) + QStringLiteral(" B/s");
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value of a header of the answer ("transfer-encoding"), lower case;
// empty when it has none.
QByteArray headerValue(const QByteArray& head, const char* name) {
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray& line : head.split('\n')) {
        const QByteArray l = line.trimmed().toLower();
        if (l.startsWith(key)) return l.mid(key.size()).trimmed();
    }
    return {};
}

}  // namespace

QString NtripCaster::where() const {
    const QString h =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return h + QLatin1Char(':') + QString::number(port) + QLatin1Char('/') + mountpoint;
}

QString NtripStatus::text() const {
    switch (state) {
        case State::Off:
            return QStringLiteral("NTRIP off");
        case State::Connecting:
            return QStringLiteral("NTRIP %1: connecting").arg(where);
        case State::Failed:
            return QStringLiteral("NTRIP %1: %2; trying again in %3 s")
                .arg(where, problem)
                .arg(retryInS);
        case State::Connected:
            break;
    }
    QString t = QStringLiteral("NTRIP %1: connected, %2, ").arg(where, rateText(bytesPerSecond));
    t += correctionAgeMs < 0
             ? QStringLiteral("no correction yet")
             : QStringLiteral("last correction %1 s ago").arg(seconds1(correctionAgeMs));
    if (bytesNotTaken > 0)
        t += QStringLiteral(", %1 bytes not taken by the receiver").arg(bytesNotTaken);
    return t;
}

QString NtripStatus::shortText() const {
    switch (state) {
        case State::Off:
            return {};
        case State::Connecting:
            return QStringLiteral("NTRIP connecting");
        case State::Failed:
            return QStringLiteral("NTRIP error, retry in %1 s").arg(retryInS);
        case State::Connected:
            break;
    }
    if (correctionAgeMs < 0) return QStringLiteral("NTRIP connected");
    return QStringLiteral("NTRIP %1, %2 s")
        .arg(rateText(bytesPerSecond), seconds1(correctionAgeMs));
}

bool ChunkedDecoder::feed(const char* in, qsizetype n, QByteArray& out) {
    const auto sizeEnded = [this] {
        digits_ = 0;
        trailerRun_ = 0;
        state_ = left_ == 0 ? State::Trailer : State::Data;
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = in[i];
        switch (state_) {
            case State::Size: {
                const int v = hexValue(c);
                if (v >= 0 && digits_ < 8) {
                    left_ = left_ * 16 + v;
                    ++digits_;
                } else if (digits_ > 0 && (c == ';' || c == ' ' || c == '\t')) {
                    state_ = State::Extension;
                } else if (digits_ > 0 && c == '\r') {
                    state_ = State::SizeLf;
                } else if (digits_ > 0 && c == '\n') {
                    sizeEnded();
                } else {
                    state_ = State::Broken;
                }
                break;
            }
            case State::Extension:
                if (c == '\r') state_ = State::SizeLf;
                if (c == '\n') sizeEnded();
                if (++trailerRun_ > 1024) state_ = State::Broken;
                break;
            case State::SizeLf:
                if (c == '\n') {
                    sizeEnded();
                } else {
                    state_ = State::Broken;
                }
                break;
            case State::Data: {
                const qsizetype take = static_cast<qsizetype>(std::min<qint64>(left_, n - i));
                out.append(in + i, take);
                left_ -= take;
                i += take - 1;
                if (left_ == 0) state_ = State::DataCr;
                break;
            }
            case State::DataCr:
                state_ = c == '\r' ? State::DataLf : c == '\n' ? State::Size : State::Broken;
                break;
            case State::DataLf:
                state_ = c == '\n' ? State::Size : State::Broken;
                break;
            case State::Trailer:
                if (c == '\n') {
                    if (trailerRun_ == 0) state_ = State::Done;
                    trailerRun_ = 0;
                } else if (c != '\r' && ++trailerRun_ > 1024) {
                    state_ = State::Broken;
                }
                break;
            case State::Done:
                return true;
            case State::Broken:
                return false;
        }
    }
    return state_ != State::Broken;
}

NtripClient::NtripClient(Clock& clock, TimerSource& timers, QObject* parent)
    : QObject(parent),
      clock_(clock),
      retryTimer_(timers.createTimer()),
      ggaTimer_(timers.createTimer()),
      watchTimer_(timers.createTimer()) {
    retryTimer_->setCallback([this] { retryTick(); });
    ggaTimer_->setCallback([this] { ggaTick(); });
    watchTimer_->setInterval(1000);
    watchTimer_->setCallback([this] { watchTick(); });
}

NtripClient::~NtripClient() {
    dropSocket();
}

void NtripClient::start(const NtripCaster& caster) {
    stop();
    caster_ = caster;
    while (caster_.mountpoint.startsWith(QLatin1Char('/')))
        caster_.mountpoint.remove(0, 1);
    started_ = true;
    retryMs_ = kFirstRetryMs;
    said_.clear();
    notTakenSaid_ = false;
    status_ = NtripStatus{};
    status_.where = caster_.where();
    ggaTimer_->setInterval(std::max(1000, caster_.ggaIntervalMs));
    watchTimer_->start();
    connectNow();
}

void NtripClient::stop() {
    started_ = false;
    dropSocket();
    retryTimer_->stop();
    ggaTimer_->stop();
    watchTimer_->stop();
    seconds_.clear();
    if (status_.state != NtripStatus::State::Off) {
        status_.state = NtripStatus::State::Off;
        emit statusChanged(status_);
    }
}

void NtripClient::setGga(const QByteArray& sentence) {
    const QByteArray s = sentence.trimmed();
    if (!s.startsWith('$') || s.size() > 200) return;
    gga_ = s + "\r\n";
    // The first GGA of a connection goes as soon as there is one.
    const bool inStream =
        phase_ == Phase::Stream || (caster_.version == 1 && phase_ == Phase::Answer);
    if (inStream && caster_.sendGga && !ggaSentSinceConnect_) sendGga();
}

void NtripClient::dropSocket() {
    if (!socket_) return;
    socket_->disconnect(this);
    socket_->abort();
    // It may be the sender of the signal being handled.
    socket_.release()->deleteLater();
    phase_ = Phase::Idle;
}

void NtripClient::connectNow() {
    dropSocket();
    socket_ = std::make_unique<QTcpSocket>();
    // Our own reads take each batch as it comes; the socket keeps no more than this.
    socket_->setReadBufferSize(64 * 1024);
    connect(socket_.get(), &QTcpSocket::connected, this, &NtripClient::onConnected);
    connect(socket_.get(), &QTcpSocket::readyRead, this, &NtripClient::onReadyRead);
    connect(socket_.get(), &QTcpSocket::disconnected, this, &NtripClient::onClosed);
    connect(socket_.get(), &QTcpSocket::errorOccurred, this, &NtripClient::onClosed);
    phase_ = Phase::Connecting;
    phaseSinceMs_ = now();
    head_.clear();
    chunked_ = false;
    chunks_ = ChunkedDecoder{};
    ggaSentSinceConnect_ = false;
    status_.state = NtripStatus::State::Connecting;
    publish();
    socket_->connectToHost(caster_.host, caster_.port);
}

QByteArray NtripClient::request() const {
    const QByteArray mount = QUrl::toPercentEncoding(caster_.mountpoint, "-_.~");
    QByteArray r = "GET /" + mount + (caster_.version == 1 ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
    r += "Host: " + caster_.host.toUtf8() + ':' + QByteArray::number(caster_.port) + "\r\n";
    if (caster_.version != 1) r += "Ntrip-Version: Ntrip/2.0\r\n";
    r += QByteArray("User-Agent: ") + kUserAgent + "\r\n";
    r += "Accept: */*\r\nConnection: close\r\n";
    if (!caster_.user.isEmpty()) {
        r += "Authorization: Basic " +
             (caster_.user + QLatin1Char(':') + caster_.password).toUtf8().toBase64() + "\r\n";
    }
    if (caster_.version != 1 && caster_.sendGga && !gga_.isEmpty())
        r += "Ntrip-GGA: " + gga_.trimmed() + "\r\n";
    return r + "\r\n";
}

void NtripClient::onConnected() {
    if (!socket_) return;
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket_->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
    socket_->write(request());
    phase_ = Phase::Answer;
    phaseSinceMs_ = now();
    if (caster_.sendGga && !gga_.isEmpty()) {
        if (caster_.version == 1) {
            sendGga();
        } else {
            ggaSentSinceConnect_ = true;  // in the header
            ggaTimer_->start();
        }
    }
}

void NtripClient::onReadyRead() {
    char buf[16 * 1024];
    while (socket_ && socket_->bytesAvailable() > 0) {
        const qint64 n = socket_->read(buf, sizeof buf);
        if (n <= 0) break;
        if (phase_ == Phase::Answer) {
            head_.append(buf, static_cast<qsizetype>(n));
            if (!readHead()) return;
        } else if (phase_ == Phase::Stream) {
            if (!chunked_) {
                forward(buf, static_cast<qsizetype>(n));
                continue;
            }
            QByteArray payload;
            const bool ok = chunks_.feed(buf, static_cast<qsizetype>(n), payload);
            forward(payload.constData(), payload.size());
            if (!ok) {
                failed(QStringLiteral("the caster's chunked stream is broken"));
            } else if (chunks_.finished()) {
                failed(QStringLiteral("the caster ended the stream"));
            }
        }
    }
}

bool NtripClient::readHead() {
    const qsizetype lineEnd = head_.indexOf('\n');
    if (lineEnd < 0) {
        if (head_.size() > kMaxHeaderBytes) {
            failed(QStringLiteral("the caster's answer is not NTRIP"));
            return false;
        }
        return true;
    }
    const QByteArray status = head_.left(lineEnd).trimmed();
    qsizetype bodyAt = -1;
    if (status.startsWith("ICY 200")) {
        bodyAt = lineEnd + 1;
    } else if (status.startsWith("SOURCETABLE")) {
        failed(QStringLiteral("mountpoint %1 not found (the caster sent its source table)")
                   .arg(caster_.mountpoint));
        return false;
    } else if (status.startsWith("HTTP/")) {
        const qsizetype end = head_.indexOf("\r\n\r\n");
        const qsizetype endLf = head_.indexOf("\n\n");
        if (end < 0 && endLf < 0) {
            if (head_.size() > kMaxHeaderBytes) {
                failed(QStringLiteral("the caster's answer is too long"));
                return false;
            }
            return true;
        }
        bodyAt = end >= 0 && (endLf < 0 || end < endLf) ? end + 4 : endLf + 2;
        const QByteArray head = head_.left(bodyAt);
        const QList<QByteArray> parts = status.split(' ');
        const int code = parts.value(1).toInt();
        if (code == 401 || code == 403) {
            failed(QStringLiteral("the caster refused the user or password"));
            return false;
        }
        if (code == 404 ||
            (code == 200 && headerValue(head, "content-type").contains("sourcetable"))) {
            failed(QStringLiteral("mountpoint %1 not found").arg(caster_.mountpoint));
            return false;
        }
        if (code != 200) {
            failed(QStringLiteral("the caster answered \"%1\"")
                       .arg(QString::fromLatin1(status.left(80))));
            return false;
        }
        chunked_ = headerValue(head, "transfer-encoding").contains("chunked");
    } else {
        failed(QStringLiteral("the caster's answer is not NTRIP"));
        return false;
    }
    // The stream begins.
    phase_ = Phase::Stream;
    streamSinceMs_ = lastByteMs_ = now();
    ++connections_;
    said_.clear();
    status_.state = NtripStatus::State::Connected;
    status_.problem.clear();
    status_.correctionAgeMs = -1;
    seconds_.clear();
    emit messagePosted(
        clean(QStringLiteral("NTRIP connected to %1 (NTRIP %2)")
                  .arg(caster_.where(),
                       caster_.version == 1 ? QStringLiteral("1.0") : QStringLiteral("2.0"))));
    if (caster_.sendGga && !gga_.isEmpty() && !ggaSentSinceConnect_) sendGga();
    const QByteArray rest = head_.mid(bodyAt);
    head_.clear();
    if (!rest.isEmpty()) {
        if (chunked_) {
            QByteArray payload;
            const bool ok = chunks_.feed(rest.constData(), rest.size(), payload);
            forward(payload.constData(), payload.size());
            if (!ok) {
                failed(QStringLiteral("the caster's chunked stream is broken"));
                return false;
            }
        } else {
            forward(rest.constData(), rest.size());
        }
    }
    publish();
    return true;
}

void NtripClient::forward(const char* data, qsizetype n) {
    if (n <= 0) return;
    const qint64 t = now();
    lastByteMs_ = t;
    if (seconds_.empty() || seconds_.back().second != t / 1000) seconds_.push_back({t / 1000, 0});
    seconds_.back().bytes += n;
    while (seconds_.size() > kRateSeconds + 1)
        seconds_.pop_front();
    const qint64 taken = sink_ ? sink_(data, n) : -1;
    status_.bytesForwarded += static_cast<quint64>(std::max<qint64>(taken, 0));
    if (taken < n) {
        status_.bytesNotTaken += static_cast<quint64>(n - std::max<qint64>(taken, 0));
        // Said once, until the receiver takes a whole batch again.
        if (!notTakenSaid_)
            emit errorPosted(QStringLiteral("NTRIP corrections are not taken by the GPS port"));
        notTakenSaid_ = true;
    } else {
        notTakenSaid_ = false;
    }
    status_.correctionAgeMs = 0;
}

void NtripClient::sendGga() {
    if (!socket_ || gga_.isEmpty() || socket_->bytesToWrite() > kMaxUnsentGga) return;
    socket_->write(gga_);
    ggaSentSinceConnect_ = true;
    ggaTimer_->start();  // the next a full interval after this one
}

void NtripClient::ggaTick() {
    if (phase_ == Phase::Stream && caster_.sendGga) sendGga();
}

void NtripClient::onClosed() {
    if (!socket_) return;
    const bool closedByPeer = socket_->error() == QAbstractSocket::RemoteHostClosedError ||
                              socket_->error() == QAbstractSocket::UnknownSocketError;
    failed(closedByPeer ? QStringLiteral("the caster closed the connection")
                        : socket_->errorString());
}

void NtripClient::failed(const QString& why) {
    const bool stood = phase_ == Phase::Stream && now() - streamSinceMs_ >= kStoodMs;
    dropSocket();
    ggaTimer_->stop();
    if (!started_) return;
    if (stood) retryMs_ = kFirstRetryMs;
    status_.state = NtripStatus::State::Failed;
    status_.problem = clean(why);
    status_.retryInS = retryMs_ / 1000;
    const QString text =
        clean(QStringLiteral("NTRIP %1: %2; trying again").arg(caster_.where(), why));
    if (text != said_) emit errorPosted(text);
    said_ = text;
    retryTimer_->setInterval(retryMs_);
    retryTimer_->start();
    retryMs_ = std::min(retryMs_ * 2, kLongestRetryMs);
    publish();
}

void NtripClient::retryTick() {
    retryTimer_->stop();
    if (started_) connectNow();
}

void NtripClient::watchTick() {
    if (!started_) return;
    const qint64 t = now();
    if ((phase_ == Phase::Connecting || phase_ == Phase::Answer) &&
        t - phaseSinceMs_ >= kAnswerTimeoutMs) {
        failed(QStringLiteral("no answer from the caster"));
        return;
    }
    if (phase_ == Phase::Stream && t - lastByteMs_ >= kSilenceTimeoutMs) {
        failed(QStringLiteral("no corrections for %1 s").arg(kSilenceTimeoutMs / 1000));
        return;
    }
    publish();
}

QString NtripClient::clean(QString text) const {
    // A password of a few letters would blank ordinary words; none says it anyway.
    if (caster_.password.size() >= 4) text.replace(caster_.password, QStringLiteral("***"));
    if (!caster_.user.isEmpty()) {
        const QString encoded = QString::fromLatin1(
            (caster_.user + QLatin1Char(':') + caster_.password).toUtf8().toBase64());
        text.replace(encoded, QStringLiteral("***"));
    }
    return text;
}

void NtripClient::publish() {
    if (status_.state == NtripStatus::State::Connected) {
        const qint64 t = now();
        if (status_.correctionAgeMs >= 0) status_.correctionAgeMs = t - lastByteMs_;
        qint64 bytes = 0;
        for (const Second& s : seconds_) {
            if (s.second > t / 1000 - kRateSeconds) bytes += s.bytes;
        }
        const double span = std::clamp(static_cast<double>(t - streamSinceMs_) / 1000.0, 1.0,
                                       static_cast<double>(kRateSeconds));
        status_.bytesPerSecond = static_cast<double>(bytes) / span;
    }
    emit statusChanged(status_);
}

}  // namespace nivora
