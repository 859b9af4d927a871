#pragma once

// The Offsets window's model: the vessel offsets and survey metadata the
// surveyor confirms before logging, their checks in the order the operator
// meets them, and the offsets record for the office.

#include <QString>
#include <vector>

#include "config/config_host.h"
#include "config/ini_table.h"
#include "core/settings_file.h"

namespace nivora {

class IniStore;

// The Offsets window's field texts, as the survey reads them on GNSS lines.
struct OffsetFieldTexts {
    QString offsetA;
    QString soundVelocity;
    QString offsetC;
    QString tideHeight;
};

enum class OffsetField {
    None,
    OffsetA,
    OffsetB,
    OffsetC,
    SV,
    TideHt,
    Location,
    SurveyBoat,
    Surveyor
};

// The first failing check: its message in the current language and the
// field that gets the focus.
struct OffsetsCheck {
    bool ok = true;
    QString message;
    OffsetField focus = OffsetField::None;
};

class OffsetsModel {
  public:
    // Field texts as typed.
    QString offsetA;
    QString offsetB;
    QString offsetC;
    QString soundVelocity;
    QString tideHeight;
    QString location;
    QString surveyBoat;
    QString surveyor;
    // The date and time label, refreshed every second.
    QString timeText;
    // Whether the window is on the screen (the GNSS handler snapshots the
    // fields only while it is not).
    bool windowVisible = false;

    OffsetFieldTexts fieldTexts() const { return {offsetA, soundVelocity, offsetC, tideHeight}; }
    QString text(OffsetField field) const;
    void setText(OffsetField field, const QString& text);

    // Program start: every key but "Time" (missing keys give empty texts).
    void load(const IniStore& ini);
    // "Realtime": every key in order, "Time" from the label.
    void save(IniStore& ini) const;

    // The warning for a time label that holds ":", or empty.
    QString timeFormatWarning(Language language) const;
    // Number, name, geometry and sound velocity checks; the first that fails wins.
    OffsetsCheck check(Language language) const;
    // Leaving a number field: the conversion error, or empty.
    QString fieldExitError(OffsetField field) const;

    // The record appended to the day's offsets log: an empty line, then one
    // line per value, each beginning with a line feed; no trailing line feed.
    QString record(bool profileUsed, Language language) const;

    static const std::vector<IniKey<OffsetsModel>>& keys();
};

// The caption of the Offsets window's profile button.
QString profileButtonCaption(bool profileUsed, Language language);

// The "Realtime" button up to closing the window: Save, the time warning,
// the day folders, the checks, the offsets record, the INI keys and the
// start of real time. Returns the check that stopped it (ok when the window
// may close). A record that cannot be written stops it too: the operator is
// told, nothing is stored and real time is not started.
struct RealtimeContext {
    ConfigHost& host;
    OperatorPrompts& prompts;
    SettingsFile settings;
    bool profileUsed = false;
};
OffsetsCheck confirmOffsetsAndStart(OffsetsModel& model, const RealtimeContext& context);

}  // namespace nivora
