#pragma once

// The sound velocity profile: a probe file becomes velocity samples
// (Extract), one averaged velocity per whole metre (Average) and the mean
// velocity of the water column from the surface to each metre (Profile).
// Line i of the column is what the echosounder corrects a depth of i m with.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "config/config_host.h"
#include "config/ini_table.h"

namespace nivora {

class IniStore;

class SvpModel {
  public:
    static constexpr double kMinRawVelocity = 1350.0;  // m/s, accepted by Extract
    static constexpr double kMaxRawVelocity = 1600.0;
    static constexpr double kMinMeanVelocity = 1300.0;  // m/s, exclusive bounds of Profile
    static constexpr double kMaxMeanVelocity = 1700.0;
    // More one-metre lines than any sea is deep.
    static constexpr int kMaxDepthLimit = 12000;
    // A probe file is a few thousand lines; anything this large is not one.
    static constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    static constexpr qsizetype kMaxFileLines = 100000;

    // Memos, one line per entry.
    QStringList rawData;    // mRawSVData
    QStringList extracted;  // mRawSVExtracted
    QStringList averaged;   // mSortedAveragedSV
    QStringList column;     // mSVPColumn

    QString searchString = QStringLiteral("%*23s %lf,%lf");  // eSearchString
    QString maxDepth = QStringLiteral("200");                // eMaxDepth
    bool svFirst = true;                                     // rSVFirst
    bool depthFirst = false;                                 // rDFirst
    bool useSvp = true;                                      // cUseSVP
    bool useSvpEnabled = false;
    bool saveEnabled = false;  // "Save && Close"

    // The profile is in use only with a column to read velocities from.
    bool profileInUse() const { return useSvp && !column.isEmpty(); }
    void setUseSvp(bool ticked) { useSvp = ticked; }
    // The two order buttons exclude each other.
    bool svFirstChecked() const { return svFirst; }
    void setSvFirst(bool checked);
    bool depthFirstChecked() const { return depthFirst; }
    void setDepthFirst(bool checked);

    // Program start: the memo files, then section "SVP". Without a column
    // the profile box is cleared and disabled.
    void create(const IniStore& ini, const QString& memoBase);
    // Section "SVP": read at program start, written when the window closes.
    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<SvpModel>>& keys();

    // Defaults pop-up command (the pattern alone on a double click).
    void resetPattern() { searchString = QStringLiteral("%*23s %lf,%lf"); }
    void defaults();

    // Steps. `ask` shows a warning with OK and Cancel and returns true for OK.
    using AskOkCancel = std::function<bool(const QString&)>;
    void extract(const AskOkCancel& ask, Language language);
    // Returns the conversion error that ends the step, or empty.
    QString average();
    // Returns the message that stopped the profile, or empty on success.
    QString profile(Language language);
    // Max Depth as a line count, or the conversion error.
    bool maxDepthLines(int* lines, QString* error) const;

    // Memo files beside the settings file: `base` is its path without the
    // extension ("/x/NivoraDW" gives "/x/NivoraDW mRawSVData.ini" and
    // "/x/NivoraDWmSVPColumn.ini").
    static QStringList memoFilePaths(const QString& base);
    // Returns false with the reasons when a file could not be read.
    bool loadMemoFiles(const QString& base, QString* error);
    // Returns false with the reason when a file could not be written.
    bool saveMemoFiles(const QString& base, QString* error) const;
    // A probe file into the raw memo (the other memos are emptied).
    bool loadProbeFile(const QString& path, QString* error);

    // The names and texts of the four memos (for the day's profile copies).
    QList<QPair<QString, QString>> memoTexts() const;

  private:
    // Without a column the profile cannot be used: the box follows.
    void columnEmptied();
};

// Text of a memo (one line per entry) and back.
QString memoText(const QStringList& lines);
QStringList memoLines(const QString& text);

}  // namespace nivora
