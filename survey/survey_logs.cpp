#include "survey/survey_logs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <atomic>
#include <mutex>
#include <string>

#include "core/clock.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/system_text.h"

namespace nivora {

QByteArray coordinateLogHeader() {
    return QByteArrayLiteral(
        "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth "
        "(Lo),"
        "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK "
        "Antenna Height,"
        "Manual Tide,RTK Tide\n");
}

QByteArray formatCoordinateRow(const CoordinateRow& r) {
    std::string s = dateTimeText(r.time).toStdString();
    auto fixed2 = [&s](double v) {
        s += ',';
        appendFixed(s, v, 2);
    };
    auto exact = [&s](double v) {
        s += ',';
        appendShortest(s, v);
    };
    exact(r.latitude);
    exact(r.longitude);
    fixed2(r.easting);
    fixed2(r.northing);
    fixed2(r.manualTide - r.trueDepthHi);
    fixed2(r.manualTide - r.trueDepthLo);
    fixed2(r.trueDepthHi);
    fixed2(r.trueDepthLo);
    exact(r.rawDepthHi);
    exact(r.rawDepthLo);
    s += ',';
    const QByteArray family = toSystemBytes(r.messageFormat);
    s.append(family.constData(), static_cast<std::size_t>(family.size()));
    fixed2(r.soundVelocity);
    fixed2(r.transducerDraft);
    s += ',' + std::to_string(r.fixQuality);
    fixed2(r.antennaHeight);
    fixed2(r.manualTide);
    fixed2(r.rtkTide);
    s += '\n';
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

QString numberedAlternate(const QString& path, int n) {
    const QFileInfo fi(path);
    const QString suffix = fi.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return stem + QLatin1Char('_') + QString::number(n) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

// The coordinate log as the writer thread keeps it.
struct SurveyLogs::CoordinateFile {
    DayFolders folders;
    ReportRelay* reports = nullptr;
    RecordFile file;
    bool outage = false;  // rows are refused; said once
    quint64 lostReported = 0;
    std::atomic<quint64> lost{0};
    std::atomic<bool> lossAnnounced{false};
    mutable std::mutex usedMutex;
    QString used;

    QString usedFile() const {
        std::lock_guard lock(usedMutex);
        return used;
    }

    bool ensureOpen(LogFileSystem& files, QString* why) {
        // A log removed while the survey runs is made again, with its header.
        if (file.isOpen() && !QFileInfo::exists(file.path())) file.close();
        if (file.isOpen()) return true;
        // A sounding is never dropped for a missing folder.
        if (!QFileInfo(folders.logsFolder()).isDir()) folders.create();
        const QString main = folders.coordinateLogPath();
        for (int n = 0; n <= kMaxAlternates; ++n) {
            const QString candidate = n == 0 ? main : numberedAlternate(main, n);
            if (file.open(files, candidate, coordinateLogHeader(), nullptr)) {
                std::lock_guard lock(usedMutex);
                used = candidate;
                return true;
            }
        }
        *why =
            QStringLiteral("neither the coordinate log nor any of its %1 alternates can be opened")
                .arg(kMaxAlternates);
        return false;
    }

    qsizetype write(LogFileSystem& files, const std::vector<LogRecord>& rows) {
        QString why;
        qsizetype n = 0;
        if (ensureOpen(files, &why)) n = file.write(rows, &why);
        const QString path = file.path().isEmpty() ? folders.coordinateLogPath() : file.path();
        if (n < static_cast<qsizetype>(rows.size())) {
            if (!outage) {
                outage = true;
                reports->post(QStringLiteral("Cannot write %1: %2; the soundings are kept until it "
                                             "can be written")
                                  .arg(QDir::toNativeSeparators(path), why));
            }
            return n;
        }
        const quint64 lostNow = lost;
        if (lostNow > lostReported) {
            reports->post(QStringLiteral("%1 soundings were lost while %2 could not be written")
                              .arg(lostNow - lostReported)
                              .arg(QDir::toNativeSeparators(path)));
            lostReported = lostNow;
        }
        outage = false;
        lossAnnounced = false;
        return n;
    }
};

namespace {

// Events-log entries, each run of one file opened, appended and closed.
qsizetype writeEvents(LogFileSystem& files, const DayFolders& folders, ReportRelay& reports,
                      const std::vector<LogRecord>& entries) {
    const auto count = static_cast<qsizetype>(entries.size());
    for (qsizetype i = 0; i < count;) {
        const QString& path = entries[static_cast<std::size_t>(i)].path;
        QByteArray bytes;
        qsizetype j = i;
        for (; j < count && entries[static_cast<std::size_t>(j)].path == path; ++j)
            bytes += entries[static_cast<std::size_t>(j)].bytes;
        i = j;
        QString why;
        auto file = files.openAppend(path, &why);
        if (!file) {
            // The day folders may not be there yet: make them and try once more.
            folders.create();
            file = files.openAppend(path, &why);
        }
        if (file && file->write(bytes.constData(), bytes.size()) == bytes.size()) continue;
        if (file) why = file->errorString();
        reports.post(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), why));
    }
    // An entry that could not be written is reported, not kept: events are
    // no soundings.
    return count;
}

}  // namespace

SurveyLogs::SurveyLogs(DayFolders folders, const Clock& clock, ErrorSink reportError,
                       LogWriter* writer, qsizetype coordinateQueueRows)
    : folders_(std::move(folders)),
      clock_(clock),
      reportError_(std::move(reportError)),
      reports_(&reportContext_,
               [this](const QString& text) {
                   if (reportError_) reportError_(text);
               }),
      ownWriter_(writer ? nullptr : std::make_unique<LogWriter>()),
      writer_(writer ? *writer : *ownWriter_),
      coordinateFile_(std::make_shared<CoordinateFile>()) {
    coordinateFile_->folders = folders_;
    coordinateFile_->reports = &reports_;
    coordinates_ = std::make_unique<LogQueue>(
        writer_, coordinateQueueRows,
        [f = coordinateFile_](LogFileSystem& files, const std::vector<LogRecord>& rows) {
            return f->write(files, rows);
        });
    events_ = std::make_unique<LogQueue>(
        writer_, kEventsQueueEntries,
        [folders = folders_, reports = &reports_](LogFileSystem& files,
                                                  const std::vector<LogRecord>& entries) {
            return writeEvents(files, folders, *reports, entries);
        });
}

SurveyLogs::~SurveyLogs() {
    // The writer's jobs use this object's relay: none may be left.
    writer_.post([f = coordinateFile_](LogFileSystem&) { f->file.close(); });
    writer_.flush();
}

void SurveyLogs::flush() {
    // Rows that wait for a disk that refused get one more try.
    coordinates_->retry();
    events_->retry();
    writer_.post([f = coordinateFile_](LogFileSystem&) { f->file.close(); });
    writer_.flush();
    if (const qsizetype waiting = coordinates_->waiting()) {
        reports_.post(QStringLiteral("%1 soundings wait to be written to %2")
                          .arg(waiting)
                          .arg(QDir::toNativeSeparators(folders_.coordinateLogPath())));
    }
    // A report goes to the events log too: let that reach the file.
    for (int round = 0; round < 3 && reports_.deliver() > 0; ++round)
        writer_.flush();
}

QString SurveyLogs::coordinateLogFile() const {
    return coordinateFile_->usedFile();
}

bool SurveyLogs::createDayFolders() {
    QString message;
    if (folders_.create(&message)) return true;
    if (reportError_) reportError_(message);
    return false;
}

void SurveyLogs::reportCannotWrite(const QString& path, const QString& why) {
    if (reportError_) {
        reportError_(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), why));
    }
}

bool SurveyLogs::appendBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // The day folders may not be there yet: make them and try once more.
        folders_.create();
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
            reportCannotWrite(path, f.errorString());
            return false;
        }
    }
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        reportCannotWrite(path, f.errorString());
        return false;
    }
    return true;
}

void SurveyLogs::AppendEventLog(const QString& message) {
    appendEventsText(QStringLiteral("\nAuto Event:\t") + dateTimeText(clock_.now()) +
                     QLatin1Char('\t') + message);
}

void SurveyLogs::appendEventsText(const QString& text) {
    if (!events_->push({toSystemBytes(text), folders_.eventsLogPath(clock_.now().date())})) {
        reports_.post(QStringLiteral("An events-log entry was lost: %1 entries wait to be written")
                          .arg(events_->waiting()));
    }
}

void SurveyLogs::appendSettingsReport(const QStringList& texts) {
    QString all;
    for (const QString& t : texts) {
        all +=
            QStringLiteral("\nAuto Event:\t") + dateTimeText(clock_.now()) + QLatin1Char('\t') + t;
    }
    appendEventsText(all);
}

void SurveyLogs::appendCoordinateRow(const CoordinateRow& row) {
    if (row.rawDepthHi == 0 && row.rawDepthLo == 0) return;
    if (coordinates_->push({formatCoordinateRow(row), {}})) {
        ++queuedRows_;
        return;
    }
    CoordinateFile& f = *coordinateFile_;
    ++f.lost;
    if (!f.lossAnnounced.exchange(true)) {
        reports_.post(QStringLiteral("The coordinate log is %1 soundings behind; new soundings are "
                                     "lost until %2 can be written")
                          .arg(coordinates_->waiting())
                          .arg(QDir::toNativeSeparators(folders_.coordinateLogPath())));
    }
}

namespace {

using Geo = geodesy::GeodeticParameters;

// The geodesy log's lines: a caption and the fields it shows, joined by
// their separators. Fields are named by member, so the keys stay spelled
// once, in the parameters' key table.
struct GeodesyLogLine {
    const char* caption;  // null: a plain text line (heading or blank)
    std::vector<std::pair<const char*, std::string Geo::*>> fields;  // separator before, field
    bool flag = false;                                               // "Yes"/"No"
    bool whenSet = false;  // left out while its fields are empty (typed by hand)
};

const std::vector<GeodesyLogLine>& geodesyLogLines() {
    static const std::vector<GeodesyLogLine> lines = {
        {"", {}},
        {"--- ELLIPSOID ---", {}},
        {"Semi-Major Axis: ", {{"", &Geo::semiMajorAxis}}},
        {"Inverse Flattening: ", {{"", &Geo::flattening}}},
        {"", {}},
        {"--- DATUM TRANSFORMATION ---", {}},
        {"Name of Datum: ", {{"", &Geo::datumName}}},
        {"Coordinate System: ",
         {{"", &Geo::epsgCode}, {", ", &Geo::epsgTransformation}},
         false,
         true},
        {"Use DTP: ", {{"", &Geo::useDtp}}, true},
        {"X/Y/Z Rotation: ",
         {{"", &Geo::rotationX}, {", ", &Geo::rotationY}, {", ", &Geo::rotationZ}}},
        {"X/Y/Z Shift: ", {{"", &Geo::shiftX}, {", ", &Geo::shiftY}, {", ", &Geo::shiftZ}}},
        {"Scale PPM: ", {{"", &Geo::scalePpm}}},
        {"", {}},
        {"--- TRANSVERSE MERCATOR ---", {}},
        {"Use TM: ", {{"", &Geo::useTmProjection}}, true},
        {"CM: ",
         {{"", &Geo::centralMeridian},
          {", Ref Lat: ", &Geo::referenceLatitude},
          {", SF: ", &Geo::scaleFactor}}},
        {"FE: ", {{"", &Geo::falseEasting}, {", FN: ", &Geo::falseNorthing}}},
        {"", {}},
        {"--- LAMBERT CONFORMAL CONIC ---", {}},
        {"Use LCC: ", {{"", &Geo::useLambert}}, true},
        {"SP1: ", {{"", &Geo::lccStandardParallel1}, {", SP2: ", &Geo::lccStandardParallel2}}},
        {"CP: ", {{"", &Geo::lccCentralParallel}, {", CM: ", &Geo::lccCentralMeridian}}},
        {"FE: ", {{"", &Geo::lccFalseEasting}, {", FN: ", &Geo::lccFalseNorthing}}},
        {"", {}},
    };
    return lines;
}

}  // namespace

void SurveyLogs::appendGeodesyLog(const geodesy::GeodeticParameters& p) {
    const QDateTime now = clock_.now();
    const QString path = folders_.geodesyLogPath(now.date());
    QStringList lines;
    lines << QStringLiteral("=== SESSION START: ") + formatTime(u"hhnnsszzz", now.time()) +
                 QStringLiteral(" ===");
    for (const GeodesyLogLine& l : geodesyLogLines()) {
        if (l.whenSet && p.epsgCode.empty()) continue;
        QString text = QLatin1String(l.caption);
        for (const auto& [separator, field] : l.fields) {
            const QString value = QString::fromStdString(p.*field);
            text += QLatin1String(separator) +
                    (l.flag ? (toInteger(value).value_or(0) != 0 ? QStringLiteral("Yes")
                                                                 : QStringLiteral("No"))
                            : value);
        }
        lines << text;
    }
    lines << QString(40, QLatin1Char('-')) << QString();
    const QByteArray block = toSystemBytes(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    const QByteArray heading =
        toSystemBytes(QStringLiteral("GEODETIC PARAMETERS LOG - ") + dateText(now.date()) +
                      QLatin1Char('\n') + QString(40, QLatin1Char('=')) + QStringLiteral("\n\n"));

    writer_.post([path, block, heading, folders = folders_, reports = &reports_](LogFileSystem&) {
        const auto cannot = [&](const QString& why) {
            reports->post(
                QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), why));
        };
        QByteArray content;
        QFile existing(path);
        if (existing.exists()) {
            if (!existing.open(QIODevice::ReadOnly)) return cannot(existing.errorString());
            content = existing.readAll();
            existing.close();
        } else {
            content = heading;
        }
        content += block;
        if (!QFileInfo(folders.logsFolder()).isDir()) folders.create();
        // Rewriting the whole file goes through a temporary file, so a failed
        // write cannot cost the blocks already there.
        QSaveFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() ||
            !out.commit()) {
            cannot(out.errorString());
        }
    });
}

bool SurveyLogs::appendOffsetsRecord(const QString& record) {
    return appendBytes(folders_.offsetsLogPath(clock_.now().date()), toSystemBytes(record));
}

bool SurveyLogs::saveProfileMemos(const QList<QPair<QString, QString>>& memos) {
    bool ok = true;
    const QDate today = clock_.now().date();
    for (const auto& [name, text] : memos) {
        const QString path = folders_.profileMemoPath(name, today);
        if (!QFileInfo(folders_.profilesFolder()).isDir()) folders_.create();
        QSaveFile f(path);
        const QByteArray bytes = toSystemBytes(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            reportCannotWrite(path, f.errorString());
            ok = false;
        }
    }
    return ok;
}

}  // namespace nivora
