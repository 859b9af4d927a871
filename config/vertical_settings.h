#pragma once

// Vertical reduction settings (section "VERTICAL"): a geoid model for the
// separation where the receiver gives none (or always), and where the tide
// of each sounding comes from: the height typed in the Offsets window, a
// tide file, or the RTK tide.

#include <QString>
#include <vector>

#include "config/ini_table.h"

namespace nivora {

class IniStore;

enum class TideSource { Typed = 0, File = 1, Rtk = 2 };

struct VerticalSettings {
    QString geoidModel;  // a GTX grid: a path, or a name in PROJ's data folder ("egm96_15.gtx")
    bool geoidAlways = false;  // the model even where the receiver gives a separation
    int tideSource = 0;        // TideSource
    QString tideFile;
    QString tideMaxGap = QStringLiteral("30");  // minutes

    TideSource source() const;
    double tideMaxGapMinutes() const;  // 1 .. 1440, 30 for a text that is not one
    // The grid's file: the path as given, or the name in PROJ's data folder.
    QString geoidPath() const;
    // The first number field that is not a number in its range, in words; empty when none.
    QString problem() const;

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<VerticalSettings>>& keys();
};

}  // namespace nivora
