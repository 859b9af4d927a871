#pragma once

// The per-day logs of survey lines: the line log, one row per line run
// (name, direction, start and end with time and position, soundings logged,
// mean and largest absolute cross-track error, why it ended), and the
// guidance log, one row per epoch while a line is active. Both are CSV files
// beside the coordinate log, written by the logs' writer thread; a file that
// cannot be written is reported, and the coordinate log is never touched.

#include <QByteArray>
#include <QString>
#include <memory>

#include "guidance/line_guidance.h"
#include "guidance/line_run.h"

namespace nivora {

class CsvDayLog;
class SurveyLogs;

// "Line,Bearing,Start Time,..." with a line feed.
QByteArray lineLogHeader();
QByteArray guidanceLogHeader();
QByteArray formatLineLogRow(const LineRunRecord& record);
QByteArray formatGuidanceRow(qint64 ms, const QString& line, const LineGuidance& g, double easting,
                             double northing);

class LineLogs {
  public:
    explicit LineLogs(SurveyLogs& logs);
    ~LineLogs();
    void appendRun(const LineRunRecord& record);
    void appendGuidance(qint64 ms, const QString& line, const LineGuidance& g, double easting,
                        double northing);
    // Closes the files (the next row opens them again).
    void close();

  private:
    SurveyLogs& logs_;
    std::unique_ptr<CsvDayLog> lines_;
    std::unique_ptr<CsvDayLog> guidance_;
};

}  // namespace nivora
