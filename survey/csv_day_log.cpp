#include "survey/csv_day_log.h"

#include <QDir>

#include "core/log_writer.h"
#include "survey/survey_logs.h"

namespace nivora {

struct CsvDayLog::File {
    RecordFile file;
    QByteArray header;
    SurveyLogs* logs = nullptr;
};

namespace {

qsizetype drainInto(CsvDayLog::File& f, LogFileSystem& fs, const std::vector<LogRecord>& records);

}  // namespace

std::string csvText(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QLatin1String("\"\""));
    if (t.contains(QLatin1Char(',')) || t.contains(QLatin1Char('"')) ||
        t.contains(QLatin1Char('\n')))
        t = QLatin1Char('"') + t + QLatin1Char('"');
    return t.toStdString();
}

CsvDayLog::CsvDayLog(SurveyLogs& logs, QByteArray header, qsizetype capacity)
    : logs_(logs), file_(std::make_shared<File>()) {
    file_->header = std::move(header);
    file_->logs = &logs;
    queue_ = std::make_unique<LogQueue>(
        logs.writer(), capacity, [f = file_](LogFileSystem& fs, const std::vector<LogRecord>& r) {
            return drainInto(*f, fs, r);
        });
}

CsvDayLog::~CsvDayLog() {
    close();
    logs_.writer().flush();
}

void CsvDayLog::append(QByteArray row, const QString& path) {
    queue_->push({std::move(row), path});
}

void CsvDayLog::close() {
    logs_.writer().post([f = file_](LogFileSystem&) { f->file.close(); });
}

namespace {

qsizetype drainInto(CsvDayLog::File& f, LogFileSystem& fs, const std::vector<LogRecord>& records) {
    RecordFile& file = f.file;
    SurveyLogs& logs = *f.logs;
    qsizetype done = 0;
    while (done < static_cast<qsizetype>(records.size())) {
        const QString& path = records[static_cast<std::size_t>(done)].path;
        if (!file.isOpen() || file.path() != path) {
            file.close();
            QString error;
            if (!file.open(fs, path, f.header, &error)) {
                // The day folders may not be there yet: make them and try once more.
                logs.folders().create();
                if (!file.open(fs, path, f.header, &error)) {
                    logs.postReport(QStringLiteral("Cannot write %1: %2")
                                        .arg(QDir::toNativeSeparators(path), error));
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
}  // namespace nivora
