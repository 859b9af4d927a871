#pragma once

// Survey-line guidance settings (section "GUIDANCE"): when a line starts and
// ends on its own, what comes next, the helmsman's scale and the autopilot
// output. Numbers are kept as typed; the accessors give a usable value
// (the default for a text that is not a number, or out of range).

#include <QString>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

// What becomes the active line when the boat passes the end of one.
enum class NextLineRule { None = 0, PlanOrder = 1, Closest = 2 };

struct GuidanceSettings {
    bool autoStart = true;
    bool autoEnd = true;
    int nextLine = 1;  // NextLineRule
    QString runIn = QStringLiteral("10");
    QString runOut = QStringLiteral("10");
    QString offTrackLimit = QStringLiteral("10");
    QString offTrackTime = QStringLiteral("10");
    QString fullScale = QStringLiteral("10");
    QString deadBand = QStringLiteral("0.5");
    QString arrivalRadius = QStringLiteral("5");
    bool autopilot = false;
    QString autopilotPort = QStringLiteral("udp://127.0.0.1:10110");
    QString autopilotRate = QStringLiteral("1");
    QString autopilotSentences = QStringLiteral("APB,XTE,RMB");
    QString activeLine;  // the line active at the last close

    double runInM() const;
    double runOutM() const;
    double offTrackLimitM() const;
    double offTrackSeconds() const;
    double fullScaleM() const;
    double deadBandM() const;
    double arrivalRadiusM() const;
    double autopilotRateHz() const;  // 0.1 .. 10
    NextLineRule nextLineRule() const;
    // The first number field that is not a number in its range, in words;
    // empty when every one is.
    QString problem() const;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<GuidanceSettings>>& keys();
};

}  // namespace nivora
