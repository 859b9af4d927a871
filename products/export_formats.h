#pragma once

// The exports of the day's soundings: XYZ points (all of them, or one per
// cell), an ESRI ASCII grid of a coverage-grid statistic with its .prj, and
// a GeoPackage. Every export reads the coordinate logs once, reports
// progress and can be cancelled, and writes through a temporary file that
// takes the final name only when it is whole: a failed or cancelled export
// leaves no file behind (and an older file of that name as it was).

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "geodesy/geodetic_parameters.h"
#include "guidance/survey_line.h"
#include "products/coverage_grid.h"
#include "products/sounding_records.h"

namespace nivora {

enum class ExportFormat { Xyz, AsciiGrid, GeoPackage };

// One entry per format: the CLI's list and a file dialog's filters.
struct ExportFormatInfo {
    ExportFormat format;
    const char* word;       // as the command line names it
    const char* extension;  // without the dot
    const char* title;
    QString filter() const;  // "GeoPackage (*.gpkg)"
};
const std::array<ExportFormatInfo, 3>& exportFormats();
// By word or extension, any case; null when no format has it.
const ExportFormatInfo* findExportFormat(QStringView wordOrExtension);
const ExportFormatInfo& exportFormatInfo(ExportFormat f);
// Every format's filter, joined by ";;" as a file dialog takes them.
QString exportFileFilters();

// How an XYZ export picks the points of a cell.
enum class XyzThinning {
    All,       // every sounding, in log order
    Shoalest,  // "min": the shoalest sounding at its own position; the least
               // depth, or with elevations the highest seabed: safe to chart
    Mean,      // the cell's centre with the mean of its values
    Nearest,   // the sounding nearest the cell's centre, at its own position
};
// "all", "min", "mean", "nearest"; false for any other word.
bool parseXyzThinning(QStringView word, XyzThinning& out);
const char* xyzThinningWord(XyzThinning t);

// Bytes of the logs read and bytes in all; the steps after the reading
// report done == total. Return false to cancel.
using ExportProgress = std::function<bool(qint64 done, qint64 total)>;

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    QString error;              // why not ok, naming the file or folder
    std::int64_t rowsRead = 0;  // rows of the logs that read
    std::int64_t rowsSkipped = 0;
    std::int64_t rowsUnplaced = 0;  // rows logged without a grid position, left out
    std::int64_t rowsWritten = 0;   // XYZ lines, grid cells with a value, GeoPackage soundings
    std::int64_t cells = 0;         // cells of a thinned XYZ or of the grid (columns x rows)
    std::int64_t tracks = 0;        // GeoPackage: track lines
    std::int64_t surveyLines = 0;   // GeoPackage: survey lines
    QStringList files;              // what was written
};

struct ExportOptions {
    DepthValue values = DepthValue::Depth;
    int decimals = 2;  // of every number in XYZ and grid values, 0..9
    // XYZ thinning and ASCII grid cell, metres.
    double cellSizeM = 5.0;
    XyzThinning thinning = XyzThinning::All;
    GridStatistic statistic = GridStatistic::Mean;
    // The grid for the .prj and the GeoPackage's coordinate system; without
    // them no .prj is written and the package's system is undefined.
    std::optional<geodesy::GeodeticParameters> parameters;
    std::vector<SurveyLine> surveyLines;  // GeoPackage only
};

// The largest ASCII grid written; a larger one asks for a larger cell.
inline constexpr std::int64_t kMaxAsciiGridCells = 100'000'000;

ExportResult exportSoundings(ExportFormat format, const QStringList& logs, const QString& path,
                             const ExportOptions& options, const ExportProgress& progress = {});
ExportResult exportXyz(const QStringList& logs, const QString& path, const ExportOptions& options,
                       const ExportProgress& progress = {});
ExportResult exportAsciiGrid(const QStringList& logs, const QString& path,
                             const ExportOptions& options, const ExportProgress& progress = {});
ExportResult exportGeoPackage(const QStringList& logs, const QString& path,
                              const ExportOptions& options, const ExportProgress& progress = {});

// A grid that is already filled (the chart's coverage grid) as an ESRI
// ASCII grid: rows from north to south, cells without soundings -9999.
// False with `error` for an empty or too large grid, a failed write or a
// cancel (`progress` gets rows written and rows in all).
bool writeAsciiGrid(const CoverageGrid& grid, GridStatistic statistic, int decimals, QIODevice& out,
                    QString* error, const std::function<bool(qint64, qint64)>& progress = {});

// One line for the operator: rows read and skipped, what was written where.
QString exportSummary(const ExportResult& r, ExportFormat format);

}  // namespace nivora
