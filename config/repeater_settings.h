#pragma once

// NMEA output settings (section "REPEATER"): whether the survey repeats
// its sentences, where to ("udp://HOST:PORT" or "tcp-listen://[ADDRESS]:PORT"),
// which of its own sentences, the line guidance (APB, XTE, RMB while a
// survey line is active), and whether every accepted input line goes out
// as read. The survey takes them when real time starts.

#include <QString>
#include <QStringList>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

struct RepeaterSettings {
    bool enabled = false;
    QString destination;
    QString sentences = QStringLiteral("GGA,VTG,HDT,DPT,DBT");  // comma list
    bool echoInput = false;
    bool guidance = true;  // APB, XTE and RMB as the autopilot output builds them

    // The sentences the survey may send, in their order.
    static QStringList known();
    // Whether the comma list names `name` (case and blanks do not matter).
    bool sends(const QString& name) const;
    // What does not hold while it is on, in words; empty when all does.
    QString problem() const;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<RepeaterSettings>>& keys();
};

}  // namespace nivora
