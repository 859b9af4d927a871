#include "survey/day_folders.h"

#include <QDir>
#include <QFileInfo>

#include "core/date_time_text.h"

namespace nivora {

DayFolders::DayFolders(const QString& dataRoot, const QDate& startDate)
    : root_(dataRoot), start_(startDate) {
    if (!root_.isEmpty() && !root_.endsWith(QLatin1Char('/')) &&
        !root_.endsWith(QLatin1Char('\\'))) {
        root_ += QLatin1Char('/');
    }
}

QString DayFolders::dayFolder() const {
    return root_ + dateText(start_) + QLatin1Char('/');
}
QString DayFolders::layoutsFolder() const {
    return dayFolder() + QLatin1String("NWL/");
}
QString DayFolders::logsFolder() const {
    return dayFolder() + QLatin1String("LOG/");
}
QString DayFolders::profilesFolder() const {
    return dayFolder() + QLatin1String("SVP/");
}

QString DayFolders::coordinateLogPath() const {
    return logsFolder() + dateText(start_) + QLatin1String(" Coordinates.csv");
}

QString DayFolders::eventsLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Events.log");
}

QString DayFolders::geodesyLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Geodesy.txt");
}

QString DayFolders::offsetsLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Offsets.log");
}

QString DayFolders::lineLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Lines.csv");
}

QString DayFolders::guidanceLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Guidance.csv");
}

QString DayFolders::alarmLogPath(const QDate& today) const {
    return logsFolder() + dateText(today) + QLatin1String(" Alarms.csv");
}

QString DayFolders::rawLogPath(RawLogKind kind, const QDate& today) const {
    return logsFolder() + dateText(today) +
           (kind == RawLogKind::Gnss ? QLatin1String(" NDW_GNSS_V3.log")
                                     : QLatin1String(" NDW_SBES_V3.log"));
}

QString DayFolders::snapshotPath(const QDateTime& now) const {
    return layoutsFolder() + dateText(now.date()) + QLatin1Char(' ') +
           formatTime(u"hhnn", now.time()) + QLatin1String(".nwl");
}

QString DayFolders::freeSnapshotPath(const QDateTime& now) const {
    const QString base = snapshotPath(now);
    if (!QFileInfo::exists(base)) return base;
    const QString stem = base.chopped(4);  // ".nwl"
    for (int n = 2;; ++n) {
        const QString name = stem + QLatin1Char('_') + QString::number(n) + QLatin1String(".nwl");
        if (!QFileInfo::exists(name)) return name;
    }
}

QString DayFolders::profileMemoPath(const QString& memo, const QDate& today) const {
    return profilesFolder() + dateText(today) + QLatin1Char(' ') + memo + QLatin1String(".INI");
}

QString DayFolders::createFailedMessage() const {
    return QStringLiteral(
               "Cannot create log folder %1. Check if you are authorized create folder at this "
               "address.")
        .arg(QDir::toNativeSeparators(logsFolder()));
}

bool DayFolders::create(QString* message) const {
    QDir dir;
    for (const QString& f : {root_, dayFolder(), layoutsFolder(), logsFolder(), profilesFolder()}) {
        if (QFileInfo(f).isDir()) continue;
        if (!dir.mkpath(f)) {
            if (message) *message = createFailedMessage();
            return false;
        }
    }
    return true;
}

}  // namespace nivora
