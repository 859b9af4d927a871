#include "sensors/port_names.h"

#include <array>

#include "core/number_format.h"

namespace nivora {

quint32 ParsePortName(const QString& text) {
    QString t = text.toUpper();
    if (t.startsWith(QLatin1String("COM"))) t.remove(0, 3);
    const int n = parseInteger(t.toStdString()).value_or(1);
    if (n < 1) return 1;
    if (n > 20) return 20;
    return static_cast<quint32>(n);
}

QString PortName(quint32 port) {
    return QStringLiteral("COM") + QString::number(port);
}

quint32 ValidBaudRate(quint32 baud) {
    static constexpr std::array<quint32, 12> kRates = {110,   300,   600,   1200,  2400,   4800,
                                                       14400, 19200, 38400, 57600, 115200, 230400};
    for (quint32 r : kRates) {
        if (r == baud) return baud;
    }
    return 9600;
}

PortSelection selectPort(const QString& text) {
    PortSelection s;
    const QString t = text.trimmed();
    if (t.compare(kSimulatorPort, Qt::CaseInsensitive) == 0) {
        s.kind = PortSelection::Kind::Simulator;
        s.path = kSimulatorPort;
    } else if (t.contains(QLatin1Char('/')) || t.contains(QLatin1Char('\\'))) {
        s.kind = PortSelection::Kind::DevicePath;
        s.path = t;
    } else {
        s.number = ParsePortName(t);
    }
    return s;
}

QString comDeviceName(quint32 port) {
#ifdef Q_OS_WIN
    return PortName(port);
#else
    return QStringLiteral("/dev/ttyS") + QString::number(port == 0 ? 0 : port - 1);
#endif
}

}  // namespace nivora
