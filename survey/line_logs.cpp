#include "survey/line_logs.h"

#include <QDateTime>
#include <QDir>

#include "core/date_time_text.h"
#include "core/log_writer.h"
#include "core/number_format.h"
#include "survey/survey_logs.h"

namespace nivora {
namespace {

QDate dayOf(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).date();
}

void field(std::string& out, double v, int decimals) {
    out += ',';
    appendFixed(out, v, decimals);
}

// Names are the user's: a comma or quote would shift the columns.
std::string csvText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
        t.contains(QLatin1Char('\n')))
        t = QLatin1Char('"') + t + QLatin1Char('"');
    return t.toStdString();
}

}  // namespace

QByteArray lineLogHeader() {
    return "Line,Bearing,Start Time,Start Easting,Start Northing,End Time,End Easting,"
           "End Northing,Soundings,Mean abs XTE,Max abs XTE,End\n";
}

QByteArray guidanceLogHeader() {
    return "Date,Line,Cross-track,Along-track,To go,Easting,Northing\n";
}

QByteArray formatLineLogRow(const LineRunRecord& r) {
    std::string out = csvText(r.line);
    field(out, r.bearingDeg, 1);
    out += ',' + dateTimeText(QDateTime::fromMSecsSinceEpoch(r.startMs)).toStdString();
    field(out, r.startAt.x(), 3);
    field(out, r.startAt.y(), 3);
    out += ',' + dateTimeText(QDateTime::fromMSecsSinceEpoch(r.endMs)).toStdString();
    field(out, r.endAt.x(), 3);
    field(out, r.endAt.y(), 3);
    out += ',' + std::to_string(r.soundings);
    field(out, r.meanAbsCrossTrackM(), 3);
    field(out, r.maxAbsCrossTrackM, 3);
    out += ',' + lineEndReasonText(r.reason).toStdString() + '\n';
    return QByteArray::fromStdString(out);
}

QByteArray formatGuidanceRow(qint64 ms, const QString& line, const LineGuidance& g, double e,
                             double n) {
    std::string out = dateTimeText(QDateTime::fromMSecsSinceEpoch(ms)).toStdString();
    out += ',' + csvText(line);
    field(out, g.crossTrackM, 3);
    field(out, g.alongM, 3);
    field(out, g.toGoM, 3);
    field(out, e, 3);
    field(out, n, 3);
    out += '\n';
    return QByteArray::fromStdString(out);
}

// The two files, open between records on the writer thread.
struct LineLogs::Files {
    RecordFile lines;
    RecordFile guidance;
    SurveyLogs* logs = nullptr;
};

namespace {

qsizetype drainInto(RecordFile& file, const QByteArray& header, LogFileSystem& fs,
                    const std::vector<LogRecord>& records, SurveyLogs& logs) {
    qsizetype done = 0;
    while (done < static_cast<qsizetype>(records.size())) {
        const QString& path = records[static_cast<std::size_t>(done)].path;
        if (!file.isOpen() || file.path() != path) {
            file.close();
            QString error;
            if (!file.open(fs, path, header, &error)) {
                // The day folders may not be there yet: make them and try once more.
                logs.folders().create();
                if (!file.open(fs, path, header, &error)) {
                    logs.postReport(QStringLiteral("Cannot write %1: %2")
                                        .arg(QDir::toNativeSeparators(path), error));
                    // Line records are no soundings: they are reported, not kept.
                    return static_cast<qsizetype>(records.size());
                }
            }
        }
        // The run of records for this file.
        std::vector<LogRecord> run;
        for (qsizetype i = done; i < static_cast<qsizetype>(records.size()) &&
                                 records[static_cast<std::size_t>(i)].path == path;
             ++i)
            run.push_back(records[static_cast<std::size_t>(i)]);
        QString error;
        const qsizetype written = file.write(run, &error);
        if (written < static_cast<qsizetype>(run.size())) {
            logs.postReport(
                QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
            return static_cast<qsizetype>(records.size());
        }
        done += written;
    }
    return done;
}

}  // namespace

LineLogs::LineLogs(SurveyLogs& logs) : logs_(logs), files_(std::make_shared<Files>()) {
    files_->logs = &logs;
    lines_ = std::make_unique<LogQueue>(
        logs.writer(), 1000, [f = files_](LogFileSystem& fs, const std::vector<LogRecord>& r) {
            return drainInto(f->lines, lineLogHeader(), fs, r, *f->logs);
        });
    // An hour of epochs at 10 Hz may wait for a slow disk.
    guidance_ = std::make_unique<LogQueue>(
        logs.writer(), 36000, [f = files_](LogFileSystem& fs, const std::vector<LogRecord>& r) {
            return drainInto(f->guidance, guidanceLogHeader(), fs, r, *f->logs);
        });
}

LineLogs::~LineLogs() {
    close();
    logs_.writer().flush();
}

void LineLogs::appendRun(const LineRunRecord& record) {
    lines_->push({formatLineLogRow(record), logs_.folders().lineLogPath(dayOf(record.endMs))});
}

void LineLogs::appendGuidance(qint64 ms, const QString& line, const LineGuidance& g, double e,
                              double n) {
    guidance_->push(
        {formatGuidanceRow(ms, line, g, e, n), logs_.folders().guidanceLogPath(dayOf(ms))});
}

void LineLogs::close() {
    logs_.writer().post([f = files_](LogFileSystem&) {
        f->lines.close();
        f->guidance.close();
    });
}

}  // namespace nivora
