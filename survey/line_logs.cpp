#include "survey/line_logs.h"

#include <QDateTime>

#include "core/date_time_text.h"
#include "core/number_format.h"
#include "survey/csv_day_log.h"
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

}  // namespace

QByteArray lineLogHeader() {
    return "Line,Bearing,Start Time,Start Easting,Start Northing,End Time,End Easting,"
           "End Northing,Soundings,Mean abs XTE,Max abs XTE,End,Under Alarm\n";
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
    out += ',' + lineEndReasonText(r.reason).toStdString();
    out += ',' + std::to_string(r.soundingsUnderAlarm) + '\n';
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

LineLogs::LineLogs(SurveyLogs& logs)
    : logs_(logs),
      lines_(std::make_unique<CsvDayLog>(logs, lineLogHeader(), 1000)),
      // An hour of epochs at 10 Hz may wait for a slow disk.
      guidance_(std::make_unique<CsvDayLog>(logs, guidanceLogHeader(), 36000)) {}

LineLogs::~LineLogs() = default;

void LineLogs::appendRun(const LineRunRecord& record) {
    lines_->append(formatLineLogRow(record), logs_.folders().lineLogPath(dayOf(record.endMs)));
}

void LineLogs::appendGuidance(qint64 ms, const QString& line, const LineGuidance& g, double e,
                              double n) {
    guidance_->append(formatGuidanceRow(ms, line, g, e, n),
                      logs_.folders().guidanceLogPath(dayOf(ms)));
}

void LineLogs::close() {
    lines_->close();
    guidance_->close();
}

}  // namespace nivora
