#pragma once

// RTK correction settings (section "NTRIP"): whether the survey takes
// corrections from a caster while real time runs, the caster, its port and
// mountpoint, the user and password, the protocol version, and whether the
// receiver's GGA goes to the caster (a network mountpoint needs it) and how
// often. The survey takes them when real time starts.

#include <QString>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;
struct NtripCaster;

struct NtripSettings {
    bool enabled = false;
    QString host;
    QString port = QStringLiteral("2101");
    QString mountpoint;
    QString user;
    QString password;
    int version = 2;  // 1 or 2
    bool sendGga = true;
    QString ggaInterval = QStringLiteral("10");  // seconds

    quint16 portNumber() const;   // 1 .. 65535, 2101 for a text that is not one
    double ggaIntervalS() const;  // 1 .. 600, 10 for a text that is not one
    // The caster as the client takes it.
    NtripCaster caster() const;
    // What does not hold while it is on, in words; empty when all does.
    QString problem() const;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<NtripSettings>>& keys();
};

}  // namespace nivora
