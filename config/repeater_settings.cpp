#include "config/repeater_settings.h"

#include "core/ini_store.h"
#include "sensors/network_source.h"

namespace nivora {

QStringList RepeaterSettings::known() {
    return {QStringLiteral("GGA"), QStringLiteral("VTG"), QStringLiteral("HDT"),
            QStringLiteral("DPT"), QStringLiteral("DBT")};
}

bool RepeaterSettings::sends(const QString& name) const {
    for (const QString& s : sentences.split(QLatin1Char(','))) {
        if (s.trimmed().compare(name, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

QString RepeaterSettings::problem() const {
    if (!enabled) return {};
    QString why;
    const auto src = parseNetworkSource(destination.trimmed(), &why);
    if (!src) return QStringLiteral("Destination: ") + why;
    if (src->kind != NetworkSource::Kind::Udp && src->kind != NetworkSource::Kind::TcpListen)
        return QStringLiteral("Destination: udp://HOST:PORT or tcp-listen://:PORT");
    return {};
}

const std::vector<IniKey<RepeaterSettings>>& RepeaterSettings::keys() {
    using R = RepeaterSettings;
    static const std::vector<IniKey<R>> keys = {
        {"REPEATER", "Enabled", IniKind::Boolean, &R::enabled, "0"},
        {"REPEATER", "Destination", IniKind::Text, &R::destination, ""},
        {"REPEATER", "Sentences", IniKind::Text, &R::sentences, "GGA,VTG,HDT,DPT,DBT"},
        {"REPEATER", "EchoInput", IniKind::Boolean, &R::echoInput, "0"},
        {"REPEATER", "Guidance", IniKind::Boolean, &R::guidance, "1"},
    };
    return keys;
}

void RepeaterSettings::load(const IniStore& ini) {
    loadIniKeys(ini, keys(), *this);
}

void RepeaterSettings::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

}  // namespace nivora
