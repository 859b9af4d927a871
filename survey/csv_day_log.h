#pragma once

// One per-day CSV log beside the coordinate log (lines, guidance, alarms):
// rows handed to the logs' writer thread, the header first into an empty
// file, a new file when the day changes. A file that cannot be written is
// reported and its rows given up: these are records about the survey, not
// soundings, and the coordinate log is never touched.

#include <QByteArray>
#include <QString>
#include <memory>

namespace nivora {

class LogQueue;
class SurveyLogs;

class CsvDayLog {
  public:
    // `capacity`: rows that may wait for a slow disk.
    CsvDayLog(SurveyLogs& logs, QByteArray header, qsizetype capacity);
    ~CsvDayLog();
    void append(QByteArray row, const QString& path);
    // Closes the file (the next row opens it again).
    void close();

    struct File;  // the open file, on the writer thread

  private:
    SurveyLogs& logs_;
    std::shared_ptr<File> file_;
    std::unique_ptr<LogQueue> queue_;
};

// A text as one CSV field: quoted when a comma, quote or line end would
// shift the columns.
std::string csvText(const QString& text);

}  // namespace nivora
