#pragma once

// Port texts as the settings window holds them.

#include <QString>

namespace nivora {

// "COM7", "com7" and "7" give 7; "COM0", "abc" and "" give 1; "COM25" gives 20.
quint32 ParsePortName(const QString& text);
// "COM" + number, as every connect and disconnect message names the port.
QString PortName(quint32 port);
// The rate when it is one the reader supports, otherwise 9600.
quint32 ValidBaudRate(quint32 baud);

// What a port text selects: a COM number, a device path typed as it stands
// ("/dev/ttyUSB0"), or the built-in simulator ("SIM").
struct PortSelection {
    enum class Kind { ComNumber, DevicePath, Simulator } kind = Kind::ComNumber;
    quint32 number = 1;
    QString path;
};
PortSelection selectPort(const QString& text);

// The operating system's device for a COM number: "COMn" on Windows,
// "/dev/ttyS(n-1)" elsewhere.
QString comDeviceName(quint32 port);

inline const QString kSimulatorPort = QStringLiteral("SIM");

}  // namespace nivora
