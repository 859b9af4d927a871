#pragma once

// A pseudo-terminal pair for tests of real serial devices: the reader opens
// the slave through QSerialPort, the test plays the device on the master.

#include <QByteArray>
#include <QString>

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace nivora::test {

class PtyPair {
  public:
    PtyPair() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        slaveName = QString::fromLocal8Bit(name);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        closeMaster();
        closeSlave();
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master >= 0; }
    // False when not every byte went out.
    bool send(const QByteArray& b) const {
        return master >= 0 && ::write(master, b.constData(), b.size()) == b.size();
    }
    // What the reader wrote so far.
    QByteArray receive() const {
        QByteArray out;
        char buf[256];
        ssize_t n;
        while (master >= 0 && (n = ::read(master, buf, sizeof buf)) > 0)
            out.append(buf, n);
        return out;
    }
    // The device goes away: the reader's side hangs up.
    void closeMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    // Leaves the slave to the reader alone, as a real device node is.
    void closeSlave() {
        if (slave >= 0) ::close(slave);
        slave = -1;
    }

    int master = -1;
    int slave = -1;
    QString slaveName;
};

}  // namespace nivora::test
#endif
