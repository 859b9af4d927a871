#pragma once

// The soundings of a survey as the products read them back from the day's
// coordinate logs: one record per row, with the columns the grid and the
// exports need. A row that does not read (a torn last line, a field that is
// not a number) is skipped and counted, never guessed at.

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace nivora {

struct SoundingRecord {
    std::int64_t timeMs = 0;  // local date and time of the row, ms since 1970 as written
    double latitude = 0;      // degrees, WGS-84
    double longitude = 0;
    double easting = 0;  // grid metres
    double northing = 0;
    double elevationHi = 0;  // tide - true depth (high frequency), metres, + up
    double depthHi = 0;      // true depth, metres, + down
    double depthLo = 0;
    int fixQuality = 0;
    double tide = 0;  // the tide the row was reduced with ("Manual Tide" column)
};

// Which number of a sounding a product carries.
enum class DepthValue {
    Depth,      // the true depth below the surface, + down
    Reduced,    // the depth below the vertical datum (true depth - tide), + down
    Elevation,  // the seabed's height above the datum (tide - true depth), + up
};

double valueOf(const SoundingRecord& r, DepthValue v);
// "depth", "reduced", "elevation"; false for any other word.
bool parseDepthValue(QStringView word, DepthValue& out);
QString depthValueWord(DepthValue v);
// "Depth (m)", "Reduced depth (m)", "Elevation (m)".
QString depthValueTitle(DepthValue v);

// Reads the rows of one coordinate log. The header line is recognised by its
// first column and skipped wherever it appears (a log appended after a
// restart may hold it twice).
class CoordinateLogReader {
  public:
    explicit CoordinateLogReader(QIODevice& device) : device_(device) {}
    // The next row that reads; false at the end.
    bool next(SoundingRecord& out);
    std::int64_t skipped() const { return skipped_; }
    std::int64_t lineNumber() const { return line_; }

  private:
    QIODevice& device_;
    std::int64_t skipped_ = 0;
    std::int64_t line_ = 0;
};

// One row's text (no line end) into a record; false when it is not a row.
bool parseCoordinateRow(const char* begin, const char* end, SoundingRecord& out);

// The coordinate logs to read for the given paths: a file is taken as it is;
// a folder gives its own coordinate logs, those of its LOG folder, and those
// of the day folders under it (a data folder), each folder's in name order.
// A path that does not exist is named in `missing`.
QStringList coordinateLogFiles(const QStringList& paths, QStringList* missing = nullptr);

// A row logged while the fix could not be placed on the grid (no position,
// or parameters that were refused) holds easting and northing 0.
inline bool hasGridPosition(const SoundingRecord& r) {
    return !(r.easting == 0 && r.northing == 0);
}

// Every row of the files that has a grid position, in order; rows without
// one are counted, not handed on. `onRecord` returns false to stop
// (cancel); `progress` gets bytes read and bytes in all, now and then.
struct ReadSummary {
    std::int64_t rows = 0;      // handed on
    std::int64_t skipped = 0;   // did not read
    std::int64_t unplaced = 0;  // read, without a grid position
    QStringList unreadable;     // files that did not open
    bool cancelled = false;
};
ReadSummary readCoordinateLogs(const QStringList& files,
                               const std::function<bool(const SoundingRecord&)>& onRecord,
                               const std::function<bool(qint64 done, qint64 total)>& progress = {});

}  // namespace nivora
