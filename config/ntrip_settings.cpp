#include "config/ntrip_settings.h"

#include <cmath>

#include "config/ranged_numbers.h"
#include "core/ini_store.h"
#include "sensors/ntrip_client.h"

namespace nivora {
namespace {

using N = NtripSettings;
const RangedNumber<N> kNumbers[] = {{"Port", &N::port, 2101, 1, 65535},
                                    {"GGA interval", &N::ggaInterval, 10, 1, 600}};

}  // namespace

quint16 NtripSettings::portNumber() const {
    return static_cast<quint16>(rangedValue(kNumbers, *this, &N::port));
}

double NtripSettings::ggaIntervalS() const {
    return rangedValue(kNumbers, *this, &N::ggaInterval);
}

NtripCaster NtripSettings::caster() const {
    NtripCaster c;
    c.host = host.trimmed();
    c.port = portNumber();
    c.mountpoint = mountpoint.trimmed();
    c.user = user;
    c.password = password;
    c.version = version == 1 ? 1 : 2;
    c.sendGga = sendGga;
    c.ggaIntervalMs = static_cast<int>(std::lround(ggaIntervalS() * 1000.0));
    return c;
}

QString NtripSettings::problem() const {
    if (!enabled) return {};
    if (host.trimmed().isEmpty()) return QStringLiteral("Caster: no host is set");
    if (mountpoint.trimmed().isEmpty()) return QStringLiteral("Mountpoint: none is set");
    if (version != 1 && version != 2) return QStringLiteral("Version: 1 or 2");
    return rangedProblem(kNumbers, *this);
}

const std::vector<IniKey<NtripSettings>>& NtripSettings::keys() {
    static const std::vector<IniKey<N>> keys = {
        {"NTRIP", "Enabled", IniKind::Boolean, &N::enabled, "0"},
        {"NTRIP", "Host", IniKind::Text, &N::host, ""},
        {"NTRIP", "Port", IniKind::Text, &N::port, "2101"},
        {"NTRIP", "Mountpoint", IniKind::Text, &N::mountpoint, ""},
        {"NTRIP", "User", IniKind::Text, &N::user, ""},
        {"NTRIP", "Password", IniKind::Text, &N::password, ""},
        {"NTRIP", "Version", IniKind::Integer, &N::version, "2"},
        {"NTRIP", "SendGGA", IniKind::Boolean, &N::sendGga, "1"},
        {"NTRIP", "GGAInterval", IniKind::Text, &N::ggaInterval, "10"},
    };
    return keys;
}

void NtripSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void NtripSettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
