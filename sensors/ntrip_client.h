#pragma once

// RTK corrections from an NTRIP caster: NTRIP 1.0 ("ICY 200 OK") or 2.0
// (HTTP/1.1, chunked) with Basic authentication; the bytes of the stream go
// to the receiver as they came. For a network mountpoint the receiver's
// latest GGA goes to the caster (1.0: in the stream after the request; 2.0:
// the Ntrip-GGA header, then in the stream) and again every interval. A lost
// or refused connection is said once and tried again after 2 s, doubling to
// 60 s; a connection that stood starts the wait at 2 s again. Nothing here
// waits: the socket is read as its bytes come, and nothing the caster sends
// is kept beyond what one read holds. The password never appears in a text
// this client says.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>

#include "core/clock.h"

class QTcpSocket;

namespace nivora {

struct NtripCaster {
    QString host;
    quint16 port = 2101;
    QString mountpoint;
    QString user;
    QString password;
    int version = 2;  // 1 or 2
    bool sendGga = true;
    int ggaIntervalMs = 10000;

    // "caster.example.net:2101/MOUNT", for messages.
    QString where() const;
};

struct NtripStatus {
    enum class State { Off, Connecting, Connected, Failed };
    State state = State::Off;
    QString where;
    QString problem;  // why the last attempt failed, while Failed
    int retryInS = 0;
    double bytesPerSecond = 0;    // over the last few seconds
    qint64 correctionAgeMs = -1;  // since the last correction byte; -1 before the first
    quint64 bytesForwarded = 0;   // since the start, to the receiver
    quint64 bytesNotTaken = 0;    // the receiver's port refused them

    // "NTRIP host:2101/MOUNT: connected, 512 B/s, last correction 0.4 s ago".
    QString text() const;
    // The same in a few words for a narrow window ("NTRIP 512 B/s, 0.4 s").
    QString shortText() const;
};

// Undoes HTTP chunked transfer coding as the bytes come.
class ChunkedDecoder {
  public:
    // Appends the payload of `in` to `out`; false when the coding is broken
    // (then nothing more is decoded).
    bool feed(const char* in, qsizetype n, QByteArray& out);
    // The zero-size chunk that ends the body has come.
    bool finished() const { return state_ == State::Done; }

  private:
    enum class State { Size, Extension, SizeLf, Data, DataCr, DataLf, Trailer, Done, Broken };
    State state_ = State::Size;
    qint64 left_ = 0;
    int digits_ = 0;
    int trailerRun_ = 0;  // characters of the current trailer line
};

class NtripClient : public QObject {
    Q_OBJECT

  public:
    static constexpr int kFirstRetryMs = 2000;
    static constexpr int kLongestRetryMs = 60000;
    // A connection that delivered corrections this long counts as one that
    // stood: the next wait starts short again.
    static constexpr int kStoodMs = 30000;
    // No answer, or no byte of a stream that stood, for this long: the
    // connection is given up and made again.
    static constexpr int kAnswerTimeoutMs = 10000;
    static constexpr int kSilenceTimeoutMs = 30000;
    // What the caster's answer (status line and headers) may hold.
    static constexpr qsizetype kMaxHeaderBytes = 8192;

    // Where the corrections go: returns the bytes taken, negative when the
    // receiver's port is not open or refused them.
    using Sink = std::function<qint64(const char* data, qint64 size)>;

    NtripClient(Clock& clock, TimerSource& timers, QObject* parent = nullptr);
    ~NtripClient() override;

    void setSink(Sink sink) { sink_ = std::move(sink); }
    // Connects and keeps connecting until stop(); a change of caster starts over.
    void start(const NtripCaster& caster);
    void stop();
    bool started() const { return started_; }

    // The receiver's latest GGA (a whole sentence, with or without CR LF).
    void setGga(const QByteArray& sentence);

    const NtripStatus& status() const { return status_; }
    // Connections that got a stream, since construction.
    int connections() const { return connections_; }
    // The wait before the next attempt (ms), as it stands.
    int retryDelayMs() const { return retryMs_; }

    // The timers' handlers: the retry, the GGA and the watch over the connection.
    void retryTick();
    void ggaTick();
    void watchTick();

  signals:
    void statusChanged(const nivora::NtripStatus& status);
    // Things to say: connected, lost (messages); refused, failed (errors).
    void messagePosted(const QString& text);
    void errorPosted(const QString& text);

  private:
    void connectNow();
    void onConnected();
    void onReadyRead();
    void onClosed();
    // The answer's head, once whole; false when it refuses the stream.
    bool readHead();
    void forward(const char* data, qsizetype n);
    void failed(const QString& why);
    void dropSocket();
    void sendGga();
    QByteArray request() const;
    // The text with the password (and its encoded form) blanked out.
    QString clean(QString text) const;
    void publish();
    qint64 now() const { return clock_.msecsSinceEpoch(); }

    Clock& clock_;
    std::unique_ptr<Timer> retryTimer_;
    std::unique_ptr<Timer> ggaTimer_;
    std::unique_ptr<Timer> watchTimer_;
    Sink sink_;
    NtripCaster caster_;
    bool started_ = false;
    std::unique_ptr<QTcpSocket> socket_;
    enum class Phase { Idle, Connecting, Answer, Stream } phase_ = Phase::Idle;
    QByteArray head_;  // the answer so far, before the stream
    bool chunked_ = false;
    ChunkedDecoder chunks_;
    QByteArray gga_;  // with CR LF
    bool ggaSentSinceConnect_ = false;
    qint64 phaseSinceMs_ = 0;
    qint64 streamSinceMs_ = 0;
    qint64 lastByteMs_ = 0;
    int retryMs_ = kFirstRetryMs;
    QString said_;  // the last failure said, until a stream comes
    bool notTakenSaid_ = false;
    int connections_ = 0;
    // Bytes per whole second, for the rate.
    struct Second {
        qint64 second;
        qint64 bytes;
    };
    std::deque<Second> seconds_;
    NtripStatus status_;
};

}  // namespace nivora
