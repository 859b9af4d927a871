#pragma once

// A small NTRIP caster for tests, on 127.0.0.1 only: it reads each
// request, checks its request line, Authorization and Ntrip-Version against
// what a real caster expects, answers as a 1.0 caster ("ICY 200 OK") or a
// 2.0 one (HTTP/1.1, chunked), or refuses (401, a source table), streams
// the bytes a test gives it, keeps what the client sends after its request
// (the GGA) and can drop the connection.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace nivora::test {

// "surveyor:Kx9-tide-Harbour" in base64, worked out once by hand (python's base64).
inline constexpr char kCasterUser[] = "surveyor";
inline constexpr char kCasterPassword[] = "Kx9-tide-Harbour";
inline constexpr char kCasterCredentials[] = "c3VydmV5b3I6S3g5LXRpZGUtSGFyYm91cg==";
inline constexpr char kCasterMount[] = "HARBOUR0";

class TestCaster {
  public:
    enum class Refusal { None, Unauthorized, SourceTable, EchoPassword };

    struct Request {
        QByteArray line;                       // "GET /HARBOUR0 HTTP/1.1"
        QMap<QByteArray, QByteArray> headers;  // names in lower case
    };

    TestCaster() {
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { take(); });
    }

    bool listen(quint16 port = 0) { return server_.listen(QHostAddress::LocalHost, port); }
    quint16 port() const { return server_.serverPort(); }
    void close() { server_.close(); }

    // What the next connection is answered.
    Refusal refusal = Refusal::None;

    QList<Request> requests;
    // Everything the client sent after its request's blank line.
    QByteArray received;
    // What was wrong with a request, one line per fault.
    QStringList faults;

    bool streaming() const { return client_ && streaming_; }
    bool connected() const {
        return client_ && client_->state() == QAbstractSocket::ConnectedState;
    }

    // Sends `bytes` as one chunk (2.0) or as they are (1.0); `splitAt` > 0
    // cuts the write after that many bytes of the coded form, with a flush
    // between, so that a chunk's size line or its data arrive in two reads.
    void send(const QByteArray& bytes, int splitAt = 0) {
        if (!streaming()) return;
        const QByteArray coded =
            version2_ ? QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n" : bytes;
        if (splitAt > 0 && splitAt < coded.size()) {
            client_->write(coded.left(splitAt));
            client_->flush();
            client_->waitForBytesWritten(1000);
            client_->write(coded.mid(splitAt));
        } else {
            client_->write(coded);
        }
        client_->flush();
    }
    // Raw bytes on the connection, whatever the version (a broken coding).
    void sendRaw(const QByteArray& bytes) {
        if (client_) {
            client_->write(bytes);
            client_->flush();
        }
    }
    // The connection goes, as when a caster restarts.
    void drop() {
        if (client_) client_->abort();
        if (client_) client_->deleteLater();
        client_ = nullptr;
        streaming_ = false;
    }

  private:
    void take() {
        while (QTcpSocket* s = server_.nextPendingConnection()) {
            drop();  // one client at a time
            client_ = s;
            head_.clear();
            streaming_ = false;
            answered_ = false;
            QObject::connect(s, &QTcpSocket::readyRead, [this, s] {
                if (s == client_) read();
            });
        }
    }

    void read() {
        const QByteArray bytes = client_->readAll();
        if (streaming_ || answered_) {
            received += bytes;
            return;
        }
        head_ += bytes;
        const qsizetype end = head_.indexOf("\r\n\r\n");
        if (end < 0) return;
        received += head_.mid(end + 4);
        answer(head_.left(end));
    }

    void answer(const QByteArray& head) {
        Request r;
        const QList<QByteArray> lines = head.split('\n');
        r.line = lines.value(0).trimmed();
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray l = lines[i].trimmed();
            const qsizetype colon = l.indexOf(':');
            if (colon > 0)
                r.headers[l.left(colon).trimmed().toLower()] = l.mid(colon + 1).trimmed();
        }
        requests << r;
        version2_ = r.headers.value("ntrip-version") == "Ntrip/2.0";
        const QByteArray wantLine =
            QByteArray("GET /") + kCasterMount + (version2_ ? " HTTP/1.1" : " HTTP/1.0");
        if (r.line != wantLine && refusal == Refusal::None)
            faults << QStringLiteral("request line '%1'").arg(QString::fromLatin1(r.line));
        if (r.headers.value("authorization") != QByteArray("Basic ") + kCasterCredentials)
            faults << QStringLiteral("authorization '%1'")
                          .arg(QString::fromLatin1(r.headers.value("authorization")));
        if (!r.headers.value("user-agent").startsWith("NTRIP "))
            faults << QStringLiteral("user agent '%1'")
                          .arg(QString::fromLatin1(r.headers.value("user-agent")));
        if (version2_ && !r.headers.contains("host")) faults << QStringLiteral("no Host header");

        answered_ = true;
        switch (refusal) {
            case Refusal::Unauthorized:
                client_->write(
                    "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"/HARBOUR0\"\r\n"
                    "Content-Length: 0\r\nConnection: close\r\n\r\n");
                client_->disconnectFromHost();
                return;
            case Refusal::SourceTable:
                client_->write(version2_ ? "HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\n"
                                           "Content-Type: gnss/sourcetable\r\n\r\n"
                                           "STR;OTHER0;Other;RTCM 3.2;;;;;;;;;;;;;;;;;\r\n"
                                           "ENDSOURCETABLE\r\n"
                                         : "SOURCETABLE 200 OK\r\nContent-Type: text/plain\r\n\r\n"
                                           "STR;OTHER0;Other;RTCM 3.2;;;;;;;;;;;;;;;;;\r\n"
                                           "ENDSOURCETABLE\r\n");
                client_->disconnectFromHost();
                return;
            case Refusal::EchoPassword:
                client_->write(QByteArray("HTTP/1.1 400 Bad ") + kCasterPassword + " " +
                               kCasterCredentials + "\r\n\r\n");
                client_->disconnectFromHost();
                return;
            case Refusal::None:
                break;
        }
        client_->write(version2_ ? "HTTP/1.1 200 OK\r\nNtrip-Version: Ntrip/2.0\r\n"
                                   "Content-Type: gnss/data\r\nCache-Control: no-store\r\n"
                                   "Transfer-Encoding: chunked\r\n\r\n"
                                 : "ICY 200 OK\r\n");
        client_->flush();
        streaming_ = true;
    }

    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QByteArray head_;
    bool streaming_ = false;
    bool answered_ = false;
    bool version2_ = false;
};

}  // namespace nivora::test
