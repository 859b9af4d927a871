#pragma once

// Port texts that name a network source instead of a serial device:
// "tcp://HOST:PORT", "tcp-listen://[ADDRESS]:PORT", "udp://[ADDRESS|GROUP]:PORT"
// and "gpsd://HOST[:PORT][/DEVICE]".

#include <QString>
#include <optional>

namespace nivora {

struct NetworkSource {
    enum class Kind { TcpClient, TcpListen, Udp, Gpsd } kind = Kind::TcpClient;
    // The peer to connect to; for the listening forms the local address to
    // listen on, empty for every address.
    QString host;
    quint16 port = 0;
    // gpsd: the one device to watch ("/dev/ttyUSB0"); empty for all of them.
    QString device;
};

inline constexpr quint16 kGpsdDefaultPort = 2947;

// True when the text begins with one of the network schemes, whether or not
// the rest is well formed (a malformed one must not open a serial device).
bool isNetworkSource(const QString& text);
// The source a text names; nullopt with the reason in `error` when it is
// not one or is malformed.
std::optional<NetworkSource> parseNetworkSource(const QString& text, QString* error = nullptr);

}  // namespace nivora
