#include "sensors/echosounder.h"

#include <algorithm>
#include <cmath>

namespace nivora {

const std::array<EchosounderFamily, 8>& echosounderFamilies() {
    using V = EchosounderFamily::Values;
    static const std::array<EchosounderFamily, 8> kFamilies = {{
        {"Nivora SMT", {"SMT", nullptr}, "%*8s,%lf,%lf", V::HighAndBattery, false},
        {"NMEA DPT", {"DPT", nullptr}, "%*6s,%lf", V::High, false},
        {"NMEA DBT", {"DBT", nullptr}, "%*6s,%*lf,%*1s,%lf", V::High, false},
        {"Nivora XDR HI", {"XDHI", nullptr}, "%*8s,%lf", V::High, false},
        {"Nivora XDR LO", {"XDHI", "XDLO"}, "%*8s,%*lf,%*8s,%lf", V::LowOnly, true},
        {"Nivora XDR H/L", {"XDHI", "XDLO"}, "%*8s,%lf,%*8s,%lf", V::HighAndLow, true},
        {"ODC HI", {",B,", nullptr}, "%*42s,%lf", V::High, false},
        {"OTHER", {nullptr, nullptr}, "", V::High, false},
    }};
    return kFamilies;
}

const EchosounderFamily* findEchosounderFamily(const QString& name) {
    for (const auto& f : echosounderFamilies()) {
        if (name == QLatin1String(f.name)) return &f;
    }
    return nullptr;
}

SounderLineHandler::SounderLineHandler(RealtimeState& state) : state_(state) {}

bool SounderLineHandler::profileVelocity(const QStringList* column, double rawDepth, double& v,
                                         QString& error) const {
    if (!column || column->isEmpty()) {
        error = QStringLiteral("The sound velocity profile is in use but its velocity column is empty");
        return false;
    }
    const double index = std::floor(rawDepth + 0.5);
    if (!(index >= 0)) {
        error = QStringLiteral("The sound velocity column has no line for a depth of %1 m").arg(rawDepth);
        return false;
    }
    // Deeper than the column: its last line is the best velocity there is.
    const qsizetype i = index >= static_cast<double>(column->size()) ? column->size() - 1 : static_cast<qsizetype>(index);
    const auto value = toNumber(column->at(i));
    if (!value) {
        error = notANumberMessage(QStringLiteral("Sound velocity column line %1").arg(i), column->at(i));
        return false;
    }
    v = *value;
    return true;
}

SounderLineResult SounderLineHandler::handle(std::string_view line, const SounderLineInputs& in) {
    SounderLineResult r;

    const auto alert = alertDepth_.value(in.alertDepthText);
    if (!alert) {
        r.error = notANumberMessage(QStringLiteral("Depth alert"), in.alertDepthText);
        return r;
    }
    state_.AlertDepth = *alert;
    state_.RawDepthHi = 0;
    state_.RawDepthLo = 0;

    const auto draft = offsetA_.value(in.offsetAText);
    if (!draft) {
        r.error = notANumberMessage(QStringLiteral("Offset A"), in.offsetAText);
        return r;
    }

    const EchosounderFamily* family = findEchosounderFamily(in.family);
    if (!family) return r;
    for (const char* key : family->keys) {
        if (key && line.find(key) == std::string_view::npos) return r;
    }
    r.familyApplied = true;

    if (!patternSet_ || in.pattern != patternText_) {
        patternText_ = in.pattern;
        pattern_.assign(in.pattern.toLatin1().toStdString());
        patternSet_ = true;
    }
    if (!pattern_.valid()) {
        r.error = QStringLiteral("Echosounder pattern \"%1\" cannot be used: %2")
                      .arg(in.pattern, QString::fromStdString(pattern_.error()));
        return r;
    }

    using V = EchosounderFamily::Values;
    const std::size_t takes = family->values == V::HighAndBattery || family->values == V::HighAndLow ? 2 : 1;
    const auto& kinds = pattern_.valueKinds();
    const bool allNumbers = std::all_of(kinds.begin(), kinds.end(), [](ScanValueKind k) { return k == ScanValueKind::Double; });
    if (kinds.size() > takes || !allNumbers) {
        r.error = QStringLiteral("Echosounder pattern \"%1\" cannot be used: the family %2 reads %3 number(s) with %lf")
                      .arg(in.pattern, in.family)
                      .arg(takes);
        return r;
    }

    double second = 0;
    switch (family->values) {
        case V::HighAndBattery:
            r.scanned = pattern_(line, &state_.RawDepthHi, &second) == 2;
            if (r.scanned) r.batteryVoltage = second;
            break;
        case V::HighAndLow:
            r.scanned = pattern_(line, &state_.RawDepthHi, &state_.RawDepthLo) == 2;
            break;
        case V::LowOnly:
            r.scanned = pattern_(line, &state_.RawDepthLo) >= 1;
            break;
        case V::High:
            r.scanned = pattern_(line, &state_.RawDepthHi) >= 1;
            break;
    }
    // A depth is a finite number; "nan" or "inf" in a line is noise.
    if (!std::isfinite(state_.RawDepthHi) || !std::isfinite(state_.RawDepthLo)) r.scanned = false;
    if (!r.scanned) {
        // Half a line is no sounding: nothing from it may reach the log.
        state_.RawDepthHi = 0;
        state_.RawDepthLo = 0;
        return r;
    }

    if (!in.useProfile) {
        const double v = state_.Offsets.soundVelocity;
        state_.TrueDepthHi = state_.RawDepthHi * v / kSounderVelocity + *draft;
        state_.TrueDepthLo = state_.RawDepthLo * v / kSounderVelocity + *draft;
        state_.SoundVelocityUsed = v;
    } else {
        double v = 0;
        if (!profileVelocity(in.velocityColumn, state_.RawDepthLo, v, r.error)) return r;
        state_.TrueDepthLo = state_.RawDepthLo * v / kSounderVelocity + *draft;
        state_.SoundVelocityUsed = v;
        if (!profileVelocity(in.velocityColumn, state_.RawDepthHi, v, r.error)) return r;
        state_.TrueDepthHi = state_.RawDepthHi * v / kSounderVelocity + *draft;
        state_.SoundVelocityUsed = v;
    }
    state_.NewDepth = true;

    if (in.realtimeRunning) {
        const bool shallow = state_.TrueDepthHi <= state_.AlertDepth && state_.TrueDepthHi != kAlarmExcludedDepth;
        const TColor wanted = shallow ? colors::Red : in.chosenBackground;
        if (in.canvasBackground != wanted) r.newBackground = wanted;
        r.repaint = true;
    }

    r.rowDue = state_.RawDepthHi != 0;
    return r;
}

}  // namespace nivora
