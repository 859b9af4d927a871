#pragma once

// Where a survey day's files go. The folders are fixed from the date the
// program started; a survey that runs past midnight keeps writing into them,
// while the events, geodesy, offsets and snapshot names take the new date and
// the coordinate log keeps its start-day name.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace nivora {

enum class RawLogKind { Gnss, Sounder };

class DayFolders {
  public:
    DayFolders() = default;
    // `dataRoot` ends with a separator ("c:\NWL\", "$HOME/NWL/").
    DayFolders(const QString& dataRoot, const QDate& startDate);

    const QString& dataRoot() const { return root_; }
    QDate startDate() const { return start_; }

    QString dayFolder() const;       // root + date + "/"
    QString layoutsFolder() const;   // day + "NWL/"
    QString logsFolder() const;      // day + "LOG/"
    QString profilesFolder() const;  // day + "SVP/"

    QString coordinateLogPath() const;                  // start date + " Coordinates.csv"
    QString eventsLogPath(const QDate& today) const;    // date + " Events.log"
    QString geodesyLogPath(const QDate& today) const;   // date + " Geodesy.txt"
    QString offsetsLogPath(const QDate& today) const;   // date + " Offsets.log"
    QString lineLogPath(const QDate& today) const;      // date + " Lines.csv"
    QString guidanceLogPath(const QDate& today) const;  // date + " Guidance.csv"
    QString alarmLogPath(const QDate& today) const;     // date + " Alarms.csv"
    QString rawLogPath(RawLogKind kind,
                       const QDate& today) const;  // date + " NDW_GNSS_V3.log" / " NDW_SBES_V3.log"
    QString snapshotPath(const QDateTime& now) const;  // layouts + date + " " + hhmm + ".nwl"
    // The snapshot name for `now` that no file has yet: a second snapshot in
    // the same minute (a second start, or Save again) takes "_2", "_3", ...
    // before the extension, so that no snapshot is ever written over.
    QString freeSnapshotPath(const QDateTime& now) const;
    // Profile memo files: profiles + date + " " + memo + ".INI" (memo "mRawSVData" and so on).
    QString profileMemoPath(const QString& memo, const QDate& today) const;

    // Makes the root, the day folder and its NWL, LOG and SVP folders where
    // they are missing. On failure returns false with the operator's message.
    bool create(QString* message = nullptr) const;

    // "Cannot create log folder <logs>. Check if you are authorized create folder at this address."
    QString createFailedMessage() const;

  private:
    QString root_;
    QDate start_;
};

}  // namespace nivora
