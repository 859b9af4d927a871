#include "sensors/echosounder.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"

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
    const QString wanted = name.trimmed();
    for (const auto& f : echosounderFamilies()) {
        if (wanted.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0) return &f;
    }
    return nullptr;
}

Sounding EchosounderScanner::scan(std::string_view line, const EchosounderFamily& family,
                                  const QString& pattern, QString* error) {
    Sounding s;
    for (const char* key : family.keys) {
        if (key && line.find(key) == std::string_view::npos) return s;
    }
    s.familyApplied = true;

    if (!patternSet_ || pattern != patternText_) {
        patternText_ = pattern;
        pattern_.assign(pattern.toLatin1().toStdString());
        patternSet_ = true;
    }
    if (!pattern_.valid()) {
        if (error) {
            *error = QStringLiteral("Echosounder pattern \"%1\" cannot be used: %2")
                         .arg(pattern, QString::fromStdString(pattern_.error()));
        }
        return s;
    }

    using V = EchosounderFamily::Values;
    const std::size_t takes =
        family.values == V::HighAndBattery || family.values == V::HighAndLow ? 2 : 1;
    const auto& kinds = pattern_.valueKinds();
    const bool allNumbers = std::all_of(kinds.begin(), kinds.end(),
                                        [](ScanValueKind k) { return k == ScanValueKind::Double; });
    if (kinds.size() > takes || !allNumbers) {
        if (error) {
            *error = QStringLiteral(
                         "Echosounder pattern \"%1\" cannot be used: the family %2 reads %3 "
                         "number(s) with %lf")
                         .arg(pattern, QLatin1String(family.name))
                         .arg(takes);
        }
        return s;
    }

    double second = 0;
    switch (family.values) {
        case V::HighAndBattery:
            s.scanned = pattern_(line, &s.rawHi, &second) == 2;
            if (s.scanned) s.batteryVoltage = second;
            break;
        case V::HighAndLow:
            s.scanned = pattern_(line, &s.rawHi, &s.rawLo) == 2;
            break;
        case V::LowOnly:
            s.scanned = pattern_(line, &s.rawLo) >= 1;
            break;
        case V::High:
            s.scanned = pattern_(line, &s.rawHi) >= 1;
            break;
    }
    // A depth is a finite number; "nan" or "inf" in a line is noise.
    if (!std::isfinite(s.rawHi) || !std::isfinite(s.rawLo)) s.scanned = false;
    if (!s.scanned) {
        // Half a line is no sounding: nothing from it may be used.
        s.rawHi = 0;
        s.rawLo = 0;
        s.batteryVoltage.reset();
    }
    return s;
}

std::optional<double> profileVelocity(const QStringList& column, double rawDepth, QString* error) {
    if (column.isEmpty()) {
        if (error)
            *error = QStringLiteral(
                "The sound velocity profile is in use but its velocity column is empty");
        return std::nullopt;
    }
    const double index = std::floor(rawDepth + 0.5);
    if (!(index >= 0)) {
        if (error)
            *error = QStringLiteral("The sound velocity column has no line for a depth of %1 m")
                         .arg(rawDepth);
        return std::nullopt;
    }
    // Deeper than the column: its last line is the best velocity there is.
    const qsizetype i = index >= static_cast<double>(column.size()) ? column.size() - 1
                                                                    : static_cast<qsizetype>(index);
    const auto value = toNumber(column.at(i));
    if (!value) {
        if (error)
            *error = notANumberMessage(QStringLiteral("Sound velocity column line %1").arg(i),
                                       column.at(i));
        return std::nullopt;
    }
    return value;
}

}  // namespace nivora
