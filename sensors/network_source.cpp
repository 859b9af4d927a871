#include "sensors/network_source.h"

#include <QByteArray>
#include <array>

namespace nivora {
namespace {

struct Scheme {
    const char* prefix;
    NetworkSource::Kind kind;
};

constexpr std::array<Scheme, 4> kSchemes = {{
    {"tcp://", NetworkSource::Kind::TcpClient},
    {"tcp-listen://", NetworkSource::Kind::TcpListen},
    {"udp://", NetworkSource::Kind::Udp},
    {"gpsd://", NetworkSource::Kind::Gpsd},
}};

const Scheme* schemeOf(const QString& text) {
    for (const Scheme& s : kSchemes) {
        if (text.startsWith(QLatin1String(s.prefix), Qt::CaseInsensitive)) return &s;
    }
    return nullptr;
}

std::optional<NetworkSource> failed(QString* error, const QString& why) {
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

bool isNetworkSource(const QString& text) {
    return schemeOf(text.trimmed()) != nullptr;
}

std::optional<NetworkSource> parseNetworkSource(const QString& text, QString* error) {
    const QString t = text.trimmed();
    const Scheme* scheme = schemeOf(t);
    if (!scheme) return failed(error, QStringLiteral("not a network source"));
    NetworkSource src;
    src.kind = scheme->kind;
    QString rest = t.mid(static_cast<qsizetype>(qstrlen(scheme->prefix)));
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString path;
    if (slash >= 0) {
        path = rest.mid(slash);
        rest.truncate(slash);
    }
    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0) return failed(error, QStringLiteral("an address in brackets lacks its ]"));
        src.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return failed(error, QStringLiteral("a port follows the address after a colon"));
        portText = after.mid(1);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0 && rest.indexOf(QLatin1Char(':')) != colon)
            return failed(error, QStringLiteral("an IPv6 address goes in brackets: [::1]:5000"));
        src.host = colon >= 0 ? rest.left(colon) : rest;
        if (colon >= 0) portText = rest.mid(colon + 1);
        if (colon >= 0 && portText.isEmpty())
            return failed(error, QStringLiteral("the port number is missing"));
    }
    if (portText.isEmpty()) {
        if (src.kind != NetworkSource::Kind::Gpsd)
            return failed(error, QStringLiteral("a port number is needed"));
        src.port = kGpsdDefaultPort;
    } else {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return failed(error, QStringLiteral("the port must be a number from 1 to 65535"));
        src.port = static_cast<quint16>(port);
    }
    const bool needsHost =
        src.kind == NetworkSource::Kind::TcpClient || src.kind == NetworkSource::Kind::Gpsd;
    if (needsHost && src.host.isEmpty())
        return failed(error, QStringLiteral("the host to connect to is missing"));
    if (src.kind == NetworkSource::Kind::Gpsd) {
        if (path.size() > 1) src.device = path;
    } else if (path.size() > 1) {
        return failed(error, QStringLiteral("nothing may follow the port"));
    }
    return src;
}

}  // namespace nivora
