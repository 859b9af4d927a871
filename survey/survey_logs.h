#pragma once

// The survey's own files: coordinate log, events log, geodesy log, offsets
// log, settings report and profile memos. A missing day folder is made
// rather than losing a record; a file that still cannot be written is
// reported through the error path, never written through a stream that did
// not open.
//
// The coordinate, events and geodesy logs are written by the writer thread:
// the caller formats the record and queues it. Coordinate rows are whole or
// absent, and rows the disk refuses wait, in order, in a bounded queue until
// the log takes them; rows beyond it are counted and reported. The events
// log is opened, appended and closed at each write, so office software can
// read it while the survey runs; the coordinate log stays open between rows
// and is closed at flush().

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/log_writer.h"
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
    // Called on the thread that made the logs, never on the writer's.
    using ErrorSink = std::function<void(const QString&)>;
    static constexpr int kMaxAlternates = 99;
    // Ten minutes of soundings at 20 Hz may wait for a disk that refuses them.
    static constexpr qsizetype kCoordinateQueueRows = 12000;
    static constexpr qsizetype kEventsQueueEntries = 10000;

    // `writer` (shared with the raw logs) must outlive the logs; null: the
    // logs run a writer of their own.
    SurveyLogs(DayFolders folders, const Clock& clock, ErrorSink reportError,
               LogWriter* writer = nullptr, qsizetype coordinateQueueRows = kCoordinateQueueRows);
    ~SurveyLogs();
    SurveyLogs(const SurveyLogs&) = delete;
    SurveyLogs& operator=(const SurveyLogs&) = delete;

    const DayFolders& folders() const { return folders_; }

    // CreateDayFolders; the operator is told when it fails.
    bool createDayFolders();

    // "\nAuto Event:\t" + date and time + "\t" + message.
    void AppendEventLog(const QString& message);
    // Text appended to the day's events log as it stands (event records).
    void appendEventsText(const QString& text);
    // One events-log entry per text, in order.
    void appendSettingsReport(const QStringList& texts);

    // Header once, then the row (when it holds a raw depth). A file that
    // cannot be opened moves the rows to the first numbered alternate that
    // can; when none can, the rows wait.
    void appendCoordinateRow(const CoordinateRow& row);

    // Returns when every record queued so far is written or waits for a
    // disk that refuses it; the coordinate log is closed (the next row opens
    // it again) and the writer's reports are passed on.
    void flush();
    // The file the last rows went to (empty before any).
    QString coordinateLogFile() const;
    qsizetype waitingCoordinateRows() const { return coordinates_->waiting(); }
    quint64 lostCoordinateRows() const { return coordinates_->lost(); }
    // Rows taken into the queue since construction (written, or waiting).
    quint64 queuedCoordinateRows() const { return queuedRows_; }

    // The writer the logs share, and their report path (for logs beside these).
    LogWriter& writer() { return writer_; }
    void postReport(const QString& text) { reports_.post(text); }

    // The block written at each real-time start: the parameters the survey uses.
    void appendGeodesyLog(const geodesy::GeodeticParameters& parameters);
    // The offsets record, as composed by the Offsets window.
    bool appendOffsetsRecord(const QString& record);
    // Profile memos (name such as "mSVPColumn", text) saved beside the day's profiles.
    bool saveProfileMemos(const QList<QPair<QString, QString>>& memos);

  private:
    struct CoordinateFile;
    bool appendBytes(const QString& path, const QByteArray& bytes);
    void reportCannotWrite(const QString& path, const QString& why);

    DayFolders folders_;
    const Clock& clock_;
    ErrorSink reportError_;
    // Receives the writer's reports on this thread.
    QObject reportContext_;
    ReportRelay reports_;
    std::unique_ptr<LogWriter> ownWriter_;
    LogWriter& writer_;
    std::shared_ptr<CoordinateFile> coordinateFile_;
    std::unique_ptr<LogQueue> coordinates_;
    std::unique_ptr<LogQueue> events_;
    quint64 queuedRows_ = 0;
};

}  // namespace nivora
