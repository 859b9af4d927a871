#pragma once

// What the survey does with each echosounder line: the chosen family's
// sounding is corrected for sound velocity and draft into a sounding value,
// checked against the shallow-water alert depth, and a coordinate-log row
// is due for every sounding the family read. The alarm and the typed fields
// only warn: none of them decides whether a sounding is kept.

#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

#include "core/number_text.h"
#include "sensors/echosounder.h"
#include "survey/survey_values.h"

namespace nivora {

struct SounderLineInputs {
    QString family;                               // cSBESMessage
    QString pattern;                              // eSBESFormat
    QString alertDepthText;                       // edDepthAlert1
    QString offsetAText;                          // OffsetA
    bool useProfile = false;                      // cUseSVP
    const QStringList* velocityColumn = nullptr;  // mSVPColumn, one velocity per metre
    OffsetsSnapshot offsets;  // the survey's snapshot: its SV, and its draft until one is typed
};

struct SounderLineResult {
    bool familyApplied = false;  // the chosen family's key is in the line
    // Depths were read and corrected.
    std::optional<CorrectedSounding> sounding;
    // Something the operator must hear about: a pattern that cannot be used,
    // an unknown family, a typed field that is not a number (its last good
    // value was used), a profile that could not give a velocity.
    QString error;
};

class SounderLineHandler {
  public:
    // Lines of the family in a row that the pattern reads nothing from
    // before the operator hears of it (one is enough for an empty pattern).
    static constexpr int kUnreadLinesReported = 5;

    SounderLineResult handle(std::string_view line, const SounderLineInputs& in);

  private:
    // The typed value, or the last good one with the reason in `error`.
    double liveValue(NumberField& field, double& lastGood, const QString& text, const char* name,
                     QString& error);

    // A pattern that reads no depth from the family's lines is said once,
    // until a line is read again or the pattern changes.
    QString unreadPatternReport(const EchosounderFamily& family, const QString& pattern,
                                std::string_view line, bool scanned);

    EchosounderScanner scanner_;
    int unreadLines_ = 0;
    bool unreadSaid_ = false;
    QString unreadPattern_;
    NumberField alertDepth_;
    double lastAlertDepth_ = 0;
    NumberField offsetA_;
    double lastDraft_ = 0;
    bool draftSeen_ = false;
};

}  // namespace nivora
