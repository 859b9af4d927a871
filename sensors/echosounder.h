#pragma once

// What the main window does with each echosounder line: the chosen message
// family's pattern yields raw high- and low-frequency depths, which are
// corrected for sound velocity and draft (raw x v / 1500 + draft), checked
// against the shallow-water alarm, and decide whether a coordinate-log row
// is due. The result is plain data; the window shows it.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <string_view>

#include "core/colors.h"
#include "core/number_text.h"
#include "core/scan.h"
#include "sensors/realtime_state.h"

namespace nivora {

struct EchosounderFamily {
    enum class Values { HighAndBattery, High, LowOnly, HighAndLow };
    const char* name;           // the family choice's text
    std::array<const char*, 2> keys;  // texts a line must hold (null: none)
    const char* defaultPattern;
    Values values;
    bool lowFrequencyShown;     // the real-time window shows the low depth
};

// The eight families in the order of the choice list.
const std::array<EchosounderFamily, 8>& echosounderFamilies();
const EchosounderFamily* findEchosounderFamily(const QString& name);

// The sound velocity the echosounder assumes, m/s.
inline constexpr double kSounderVelocity = 1500.0;
// Never produced by the program, and excluded from the alarm.
inline constexpr double kAlarmExcludedDepth = 0.0000001;

struct SounderLineInputs {
    QString family;                              // cSBESMessage
    QString pattern;                             // eSBESFormat
    QString alertDepthText;                      // edDepthAlert1
    QString offsetAText;                         // OffsetA
    bool useProfile = false;                     // cUseSVP
    const QStringList* velocityColumn = nullptr; // mSVPColumn, one velocity per metre
    bool realtimeRunning = false;
    TColor canvasBackground = colors::White;     // as the canvas is now
    TColor chosenBackground = colors::White;     // fcadColor
};

struct SounderLineResult {
    bool familyApplied = false;  // the chosen family's key is in the line
    bool scanned = false;        // depths were read and corrected
    std::optional<double> batteryVoltage;
    std::optional<TColor> newBackground;  // set the canvas background to this
    bool repaint = false;
    bool rowDue = false;  // append a coordinate-log row
    // A field or pattern that cannot be used ended the handling of this line.
    QString error;
};

class SounderLineHandler {
public:
    explicit SounderLineHandler(RealtimeState& state);
    SounderLineResult handle(std::string_view line, const SounderLineInputs& in);

private:
    bool profileVelocity(const QStringList* column, double rawDepth, double& v, QString& error) const;

    RealtimeState& state_;
    ScanPattern pattern_;
    QString patternText_;
    bool patternSet_ = false;
    NumberField alertDepth_;
    NumberField offsetA_;
};

}  // namespace nivora
