#pragma once

// The survey's own files: coordinate log, events log, geodesy log, offsets
// log, settings report and profile memos. Each file is opened, appended and
// closed at every write, so office software can read it while the survey
// runs. A missing day folder is made rather than losing a record; a file that
// still cannot be written is reported through the error path, never written
// through a stream that did not open.

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

#include "geodesy/geodetic_parameters.h"
#include "survey/day_folders.h"

namespace nivora {

class Clock;
class IniStore;

// One coordinate-log row: a sounding with its position and corrections.
struct CoordinateRow {
    QDateTime time;
    double latitude = 0;
    double longitude = 0;
    double easting = 0;
    double northing = 0;
    double trueDepthHi = 0;
    double trueDepthLo = 0;
    double rawDepthHi = 0;
    double rawDepthLo = 0;
    QString messageFormat;  // the echosounder family
    double soundVelocity = 0;
    double transducerDraft = 0;
    int fixQuality = 0;
    double antennaHeight = 0;
    double manualTide = 0;  // TideHt of the offsets snapshot
    double rtkTide = 0;     // GnssTide
};

// "Date,Lat,Lon,...,RTK Tide" and a line feed.
QByteArray coordinateLogHeader();
// The 18 comma-separated fields and a line feed.
QByteArray formatCoordinateRow(const CoordinateRow& row);
// "... Coordinates.csv" -> "... Coordinates_3.csv"
QString numberedAlternate(const QString& path, int n);

class SurveyLogs {
  public:
    using ErrorSink = std::function<void(const QString&)>;
    static constexpr int kMaxAlternates = 99;

    SurveyLogs(DayFolders folders, const Clock& clock, ErrorSink reportError);

    const DayFolders& folders() const { return folders_; }

    // CreateDayFolders; the operator is told when it fails.
    bool createDayFolders();

    // "\nAuto Event:\t" + date and time + "\t" + message.
    void AppendEventLog(const QString& message);
    // Text appended to the day's events log as it stands (event records).
    void appendEventsText(const QString& text);
    // One events-log entry per text, in order.
    void appendSettingsReport(const QStringList& texts);

    // Header once, then the row (when it holds a raw depth).
    // A file that cannot be opened moves the row to the first numbered
    // alternate that can. Returns the file written, empty when none could be.
    QString appendCoordinateRow(const CoordinateRow& row);

    // The block written at each real-time start: the parameters the survey uses.
    bool appendGeodesyLog(const geodesy::GeodeticParameters& parameters);
    // The offsets record, as composed by the Offsets window.
    bool appendOffsetsRecord(const QString& record);
    // Profile memos (name such as "mSVPColumn", text) saved beside the day's profiles.
    bool saveProfileMemos(const QList<QPair<QString, QString>>& memos);

  private:
    bool appendBytes(const QString& path, const QByteArray& bytes);
    void reportCannotWrite(const QString& path, const QString& why);

    DayFolders folders_;
    const Clock& clock_;
    ErrorSink reportError_;
};

}  // namespace nivora
