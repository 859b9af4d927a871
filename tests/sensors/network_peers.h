#pragma once

// Real network peers for tests, on the loopback only: socat and gpsd's
// gpsfake as child processes that end with the test.

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <functional>

#if defined(Q_OS_UNIX)
#include <signal.h>
#endif

namespace nivora::test {

inline QString findTool(const char* name) {
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// A loopback port nothing listens on just now.
inline quint16 freeTcpPort() {
    QTcpServer s;
    return s.listen(QHostAddress::LocalHost, 0) ? s.serverPort() : 0;
}
inline quint16 freeUdpPort() {
    QUdpSocket s;
    return s.bind(QHostAddress::LocalHost, 0) ? s.localPort() : 0;
}

// Runs the event loop until `done` or `ms` of wall time.
inline bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QTest::qWait(10);
    return done();
}

// A peer program, stopped when the test ends.
class Peer {
  public:
    Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer() { stop(); }

    bool start(const QString& program, const QStringList& args) {
        process.setProgram(program);
        process.setArguments(args);
        process.start();
        return process.waitForStarted(5000);
    }
    // gpsfake stops its own gpsd only on an interrupt.
    void interrupt() {
#if defined(Q_OS_UNIX)
        if (process.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        if (process.waitForFinished(5000)) return;
#endif
        stop();
    }
    void stop() {
        if (process.state() == QProcess::NotRunning) return;
        process.kill();
        process.waitForFinished(5000);
    }
    bool finish(int ms = 10000) {
        return process.waitForFinished(ms);
    }

    QProcess process;
};

}  // namespace nivora::test
