#pragma once

// Echosounder decoding: the message families, the chosen family's scan
// pattern reading raw high- and low-frequency depths from a line, and the
// depth correction (raw x v / 1500 + draft). Plain values in, plain values
// out; the survey applies them.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string_view>

#include "core/scan.h"

namespace nivora {

struct EchosounderFamily {
    enum class Values { HighAndBattery, High, LowOnly, HighAndLow };
    const char* name;                 // the family choice's text
    std::array<const char*, 2> keys;  // texts a line must hold (null: none)
    const char* defaultPattern;
    Values values;
    bool lowFrequencyShown;  // the real-time window shows the low depth

    bool readsHigh() const { return values != Values::LowOnly; }
    bool readsLow() const { return values == Values::LowOnly || values == Values::HighAndLow; }
};

// The eight families in the order of the choice list.
const std::array<EchosounderFamily, 8>& echosounderFamilies();
// The family of a choice text; case and surrounding blanks do not matter,
// since a name typed into the settings file must not lose every sounding.
const EchosounderFamily* findEchosounderFamily(const QString& name);

// The sound velocity the echosounder assumes, m/s.
inline constexpr double kSounderVelocity = 1500.0;
// Never produced by the program, and excluded from the alarm.
inline constexpr double kAlarmExcludedDepth = 0.0000001;

// What one line gave.
struct Sounding {
    bool familyApplied = false;  // the family's keys are in the line
    bool scanned = false;        // the depths the family reads were read
    double rawHi = 0;            // metres at 1500 m/s; 0 when the family does not read it
    double rawLo = 0;
    std::optional<double> batteryVoltage;
    // The depth the family logs: the high one, or the low one for a family
    // that reads only that.
    double loggedRaw(const EchosounderFamily& f) const {
        return f.values == EchosounderFamily::Values::LowOnly ? rawLo : rawHi;
    }
};

// Reads soundings with the chosen family's pattern, compiled once per text.
class EchosounderScanner {
  public:
    // Error: a pattern that cannot serve the family (reported by the caller).
    Sounding scan(std::string_view line, const EchosounderFamily& family, const QString& pattern,
                  QString* error);

  private:
    ScanPattern pattern_;
    QString patternText_;
    bool patternSet_ = false;
};

inline double correctedDepth(double raw, double velocity, double draft) {
    return raw * velocity / kSounderVelocity + draft;
}

// The profile's velocity for a raw depth: line round(depth) of the column
// (one velocity per metre), its last line below it. Nothing, with the
// reason, when the column is empty or the line is not a number.
std::optional<double> profileVelocity(const QStringList& column, double rawDepth, QString* error);

// The shallow-water alarm: at or above the alert depth.
inline bool shallowWater(double trueDepth, double alertDepth) {
    return trueDepth <= alertDepth && trueDepth != kAlarmExcludedDepth;
}

}  // namespace nivora
