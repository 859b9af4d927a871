#include "products/export_formats.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "core/number_format.h"
#include "products/geopackage_writer.h"
#include "products/projection_wkt.h"

namespace nivora {

namespace {

constexpr std::array<ExportFormatInfo, 3> kFormats = {{
    {ExportFormat::Xyz, "xyz", "xyz", "XYZ soundings"},
    {ExportFormat::AsciiGrid, "asc", "asc", "ESRI ASCII grid"},
    {ExportFormat::GeoPackage, "gpkg", "gpkg", "GeoPackage"},
}};

constexpr qint64 kFlushBytes = 1 << 20;
// Beyond this no grid position is real, and a cell index would overflow.
constexpr double kFarM = 1.0e12;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

int clampedDecimals(int d) {
    return std::clamp(d, 0, 9);
}

// Reads the logs one file at a time, so a caller can tell where one ends;
// progress counts bytes over all of them.
struct LogPass {
    std::int64_t rows = 0, skipped = 0, unplaced = 0;
    bool cancelled = false;
    QString error;
    qint64 bytes = 0;  // in all the logs
};

LogPass readLogs(const QStringList& files, const std::function<bool(const SoundingRecord&)>& each,
                 const std::function<void()>& newFile, const ExportProgress& progress) {
    LogPass pass;
    qint64 total = 0;
    for (const QString& f : files)
        total += QFileInfo(f).size();
    pass.bytes = total;
    qint64 before = 0;
    for (const QString& f : files) {
        if (newFile) newFile();
        const qint64 size = QFileInfo(f).size();
        const ReadSummary s = readCoordinateLogs({f}, each, [&](qint64 done, qint64) {
            return !progress || progress(before + std::min(done, size), total);
        });
        pass.rows += s.rows;
        pass.skipped += s.skipped;
        pass.unplaced += s.unplaced;
        if (!s.unreadable.isEmpty()) {
            pass.error = QStringLiteral("cannot read %1").arg(native(f));
            return pass;
        }
        if (s.cancelled) {
            pass.cancelled = true;
            return pass;
        }
        before += size;
    }
    // Small logs never reach the reader's own progress calls: one chance
    // to cancel after the reading, whatever the size.
    if (progress && !progress(total, total)) pass.cancelled = true;
    return pass;
}

ExportResult failed(ExportResult r, const QString& error) {
    r.ok = false;
    r.error = error;
    return r;
}

ExportResult cancelledResult(ExportResult r) {
    r.ok = false;
    r.cancelled = true;
    r.error = QStringLiteral("cancelled; nothing was written");
    return r;
}

bool openSave(QSaveFile& file, QString* error) {
    if (file.open(QIODevice::WriteOnly)) return true;
    *error =
        QStringLiteral("cannot write %1 (%2)").arg(native(file.fileName()), file.errorString());
    return false;
}

bool commit(QSaveFile& file, QString* error) {
    if (file.commit()) return true;
    *error =
        QStringLiteral("cannot write %1 (%2)").arg(native(file.fileName()), file.errorString());
    return false;
}

bool flush(QIODevice& out, std::string& buffer) {
    const auto size = static_cast<qint64>(buffer.size());
    const bool ok = out.write(buffer.data(), size) == size;
    buffer.clear();
    return ok;
}

void appendXyz(std::string& out, double e, double n, double z, int decimals) {
    appendFixed(out, e, decimals);
    out += ' ';
    appendFixed(out, n, decimals);
    out += ' ';
    appendFixed(out, z, decimals);
    out += '\n';
}

struct CellKey {
    std::int64_t i, j;
    bool operator==(const CellKey&) const = default;
};
struct CellKeyHash {
    std::size_t operator()(const CellKey& k) const {
        return std::hash<std::uint64_t>()(static_cast<std::uint64_t>(k.i) * 0x9E3779B97F4A7C15ULL ^
                                          static_cast<std::uint64_t>(k.j));
    }
};

// What a thinned cell keeps of its soundings.
struct CellPick {
    double e = 0, n = 0, value = 0;  // the sounding picked (shoalest, nearest)
    double distance2 = 0;            // nearest: from the centre
    double sum = 0;                  // mean
    std::int64_t count = 0;
};

std::optional<std::string> prjText(const ExportOptions& o, QString* error) {
    if (!o.parameters) return std::string();
    const ProjectionWkt wkt = projectionWkt(*o.parameters, WktDialect::Esri);
    if (!wkt.ok()) {
        *error = QStringLiteral("the geodetic parameters describe no grid: %1")
                     .arg(QString::fromStdString(wkt.error));
        return std::nullopt;
    }
    return wkt.text;
}

}  // namespace

QString ExportFormatInfo::filter() const {
    return QStringLiteral("%1 (*.%2)").arg(QLatin1String(title), QLatin1String(extension));
}

const std::array<ExportFormatInfo, 3>& exportFormats() {
    return kFormats;
}

const ExportFormatInfo* findExportFormat(QStringView word) {
    for (const ExportFormatInfo& f : kFormats) {
        if (word.compare(QLatin1String(f.word), Qt::CaseInsensitive) == 0 ||
            word.compare(QLatin1String(f.extension), Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

const ExportFormatInfo& exportFormatInfo(ExportFormat format) {
    for (const ExportFormatInfo& f : kFormats)
        if (f.format == format) return f;
    return kFormats[0];
}

QString exportFileFilters() {
    QStringList filters;
    for (const ExportFormatInfo& f : kFormats)
        filters << f.filter();
    return filters.join(QStringLiteral(";;"));
}

bool parseXyzThinning(QStringView word, XyzThinning& out) {
    for (XyzThinning t :
         {XyzThinning::All, XyzThinning::Shoalest, XyzThinning::Mean, XyzThinning::Nearest}) {
        if (word.compare(QLatin1String(xyzThinningWord(t)), Qt::CaseInsensitive) == 0) {
            out = t;
            return true;
        }
    }
    return false;
}

const char* xyzThinningWord(XyzThinning t) {
    switch (t) {
        case XyzThinning::Shoalest:
            return "min";
        case XyzThinning::Mean:
            return "mean";
        case XyzThinning::Nearest:
            return "nearest";
        case XyzThinning::All:
            break;
    }
    return "all";
}

ExportResult exportXyz(const QStringList& logs, const QString& path, const ExportOptions& o,
                       const ExportProgress& progress) {
    ExportResult r;
    const int decimals = clampedDecimals(o.decimals);
    const double size = o.cellSizeM;
    if (o.thinning != XyzThinning::All && !(size > 0 && std::isfinite(size)))
        return failed(r, QStringLiteral("a thinned XYZ needs a cell size above 0 m"));
    QSaveFile file(path);
    if (!openSave(file, &r.error)) return r;
    std::string buffer;
    buffer.reserve(kFlushBytes + 256);
    bool writeFailed = false;
    std::unordered_map<CellKey, CellPick, CellKeyHash> cells;
    // Elevations are + up: the shoalest is the highest.
    const double shoalSign = o.values == DepthValue::Elevation ? -1.0 : 1.0;

    const LogPass pass = readLogs(
        logs,
        [&](const SoundingRecord& s) {
            const double v = valueOf(s, o.values);
            if (o.thinning == XyzThinning::All) {
                appendXyz(buffer, s.easting, s.northing, v, decimals);
                ++r.rowsWritten;
                if (static_cast<qint64>(buffer.size()) >= kFlushBytes && !flush(file, buffer)) {
                    writeFailed = true;
                    return false;
                }
                return true;
            }
            if (std::abs(s.easting) > kFarM || std::abs(s.northing) > kFarM) {
                ++r.rowsSkipped;
                return true;
            }
            const CellKey key{static_cast<std::int64_t>(std::floor(s.easting / size)),
                              static_cast<std::int64_t>(std::floor(s.northing / size))};
            auto [it, fresh] = cells.try_emplace(key);
            CellPick& c = it->second;
            const double ce = (static_cast<double>(key.i) + 0.5) * size;
            const double cn = (static_cast<double>(key.j) + 0.5) * size;
            const double d2 =
                (s.easting - ce) * (s.easting - ce) + (s.northing - cn) * (s.northing - cn);
            // Ties keep the earlier sounding.
            const bool take =
                fresh ||
                (o.thinning == XyzThinning::Shoalest && shoalSign * v < shoalSign * c.value) ||
                (o.thinning == XyzThinning::Nearest && d2 < c.distance2);
            if (take) {
                c.e = s.easting;
                c.n = s.northing;
                c.value = v;
                c.distance2 = d2;
            }
            c.sum += v;
            ++c.count;
            return true;
        },
        {}, progress);
    r.rowsRead = pass.rows;
    r.rowsSkipped += pass.skipped;
    r.rowsUnplaced = pass.unplaced;
    if (!pass.error.isEmpty()) return failed(r, pass.error);
    if (pass.cancelled && !writeFailed) return cancelledResult(r);

    if (o.thinning != XyzThinning::All) {
        std::vector<std::pair<CellKey, const CellPick*>> order;
        order.reserve(cells.size());
        for (const auto& [key, pick] : cells)
            order.emplace_back(key, &pick);
        // South to north, west to east: the same file for the same logs.
        std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
            return a.first.j != b.first.j ? a.first.j < b.first.j : a.first.i < b.first.i;
        });
        r.cells = static_cast<std::int64_t>(order.size());
        for (const auto& [key, c] : order) {
            if (o.thinning == XyzThinning::Mean) {
                appendXyz(buffer, (static_cast<double>(key.i) + 0.5) * size,
                          (static_cast<double>(key.j) + 0.5) * size,
                          c->sum / static_cast<double>(c->count), decimals);
            } else {
                appendXyz(buffer, c->e, c->n, c->value, decimals);
            }
            ++r.rowsWritten;
            if (static_cast<qint64>(buffer.size()) >= kFlushBytes) {
                if (!flush(file, buffer)) {
                    writeFailed = true;
                    break;
                }
                if (progress && !progress(pass.bytes, pass.bytes)) return cancelledResult(r);
            }
        }
    }
    if (writeFailed || !flush(file, buffer))
        return failed(r,
                      QStringLiteral("cannot write %1 (%2)").arg(native(path), file.errorString()));
    if (!commit(file, &r.error)) return r;
    r.files << path;
    r.ok = true;
    return r;
}

bool writeAsciiGrid(const CoverageGrid& grid, GridStatistic statistic, int decimals, QIODevice& out,
                    QString* error, const std::function<bool(qint64, qint64)>& progress) {
    const GridExtent x = grid.extent();
    if (x.empty()) {
        *error = QStringLiteral("no soundings to grid");
        return false;
    }
    const std::int64_t columns = x.columns(), rows = x.rows();
    if (columns > kMaxAsciiGridCells / rows) {
        *error = QStringLiteral(
                     "the grid would be %1 x %2 cells, more than the %3 an ASCII grid is "
                     "written with; choose a larger cell than %4 m")
                     .arg(columns)
                     .arg(rows)
                     .arg(kMaxAsciiGridCells)
                     .arg(grid.cellSize());
        return false;
    }
    using Tile = CoverageGrid::Tile;
    constexpr int kShift = CoverageGrid::kTileShift;
    constexpr std::int64_t kMask = CoverageGrid::kTileCells - 1;
    const std::int64_t minTi = x.minI >> kShift, maxTi = x.maxI >> kShift;
    std::unordered_map<std::int64_t, std::vector<const Tile*>> tileRows;
    for (const Tile* t : grid.tiles()) {
        auto& row = tileRows[t->tj];
        if (row.empty()) row.assign(static_cast<std::size_t>(maxTi - minTi + 1), nullptr);
        row[static_cast<std::size_t>(t->ti - minTi)] = t;
    }
    const double size = grid.cellSize();
    const int places = statistic == GridStatistic::Count ? 0 : std::clamp(decimals, 0, 9);
    std::string buffer;
    buffer.reserve(kFlushBytes + 4096);
    buffer += "ncols         " + std::to_string(columns) + "\nnrows         " +
              std::to_string(rows) + "\nxllcorner     " +
              formatShortest(static_cast<double>(x.minI) * size) + "\nyllcorner     " +
              formatShortest(static_cast<double>(x.minJ) * size) + "\ncellsize      " +
              formatShortest(size) + "\nNODATA_value  -9999\n";
    const std::vector<const Tile*> none;
    for (std::int64_t j = x.maxJ; j >= x.minJ; --j) {
        const auto found = tileRows.find(j >> kShift);
        const std::vector<const Tile*>& row = found == tileRows.end() ? none : found->second;
        const int cj = static_cast<int>(j & kMask);
        for (std::int64_t i = x.minI; i <= x.maxI; ++i) {
            if (i != x.minI) buffer += ' ';
            const Tile* t =
                row.empty() ? nullptr : row[static_cast<std::size_t>((i >> kShift) - minTi)];
            const GridCell* c = t ? &t->at(static_cast<int>(i & kMask), cj) : nullptr;
            if (c && c->count) {
                appendFixed(buffer, c->value(statistic), places);
            } else {
                buffer += "-9999";
            }
        }
        buffer += '\n';
        if (static_cast<qint64>(buffer.size()) >= kFlushBytes) {
            if (!flush(out, buffer)) {
                *error = QStringLiteral("cannot write the grid (%1)").arg(out.errorString());
                return false;
            }
            if (progress && !progress(x.maxJ - j + 1, rows)) {
                *error = QStringLiteral("cancelled");
                return false;
            }
        }
    }
    if (!flush(out, buffer)) {
        *error = QStringLiteral("cannot write the grid (%1)").arg(out.errorString());
        return false;
    }
    return true;
}

ExportResult exportAsciiGrid(const QStringList& logs, const QString& path, const ExportOptions& o,
                             const ExportProgress& progress) {
    ExportResult r;
    const double size = o.cellSizeM;
    if (!(size >= CoverageGrid::kMinCellSize && size <= CoverageGrid::kMaxCellSize))
        return failed(r, QStringLiteral("a grid cell is %1 to %2 m, not %3")
                             .arg(CoverageGrid::kMinCellSize)
                             .arg(CoverageGrid::kMaxCellSize)
                             .arg(size));
    const auto prj = prjText(o, &r.error);
    if (!prj) return r;
    CoverageGrid grid(size);
    const LogPass pass = readLogs(
        logs,
        [&](const SoundingRecord& s) {
            grid.add(s.easting, s.northing, valueOf(s, o.values));
            return true;
        },
        {}, progress);
    r.rowsRead = pass.rows;
    r.rowsSkipped = pass.skipped;
    r.rowsUnplaced = pass.unplaced;
    if (!pass.error.isEmpty()) return failed(r, pass.error);
    if (pass.cancelled) return cancelledResult(r);
    r.cells = grid.extent().columns() * grid.extent().rows();
    r.rowsWritten = static_cast<std::int64_t>(grid.cellsFilled());

    QSaveFile file(path);
    if (!openSave(file, &r.error)) return r;
    QString error;
    bool cancelled = false;
    if (!writeAsciiGrid(grid, o.statistic, o.decimals, file, &error, [&](qint64, qint64) {
            cancelled = progress && !progress(pass.bytes, pass.bytes);
            return !cancelled;
        })) {
        if (cancelled) return cancelledResult(r);
        return failed(r, QStringLiteral("%1: %2").arg(native(path), error));
    }
    std::optional<QSaveFile> prjFile;
    if (!prj->empty()) {
        const QFileInfo info(path);
        prjFile.emplace(info.path() + QLatin1Char('/') + info.completeBaseName() +
                        QStringLiteral(".prj"));
        if (!openSave(*prjFile, &r.error)) return r;
        const auto n = static_cast<qint64>(prj->size());
        if (prjFile->write(prj->data(), n) != n)
            return failed(r, QStringLiteral("cannot write %1 (%2)")
                                 .arg(native(prjFile->fileName()), prjFile->errorString()));
    }
    if (!commit(file, &r.error)) return r;
    r.files << path;
    if (prjFile) {
        if (!commit(*prjFile, &r.error)) return r;
        r.files << prjFile->fileName();
    }
    r.ok = true;
    return r;
}

ExportResult exportGeoPackage(const QStringList& logs, const QString& path, const ExportOptions& o,
                              const ExportProgress& progress) {
    ExportResult r;
    GeoPackageCrs crs;
    if (o.parameters) {
        std::string why;
        if (!GeoPackageCrs::fromParameters(*o.parameters, crs, &why))
            return failed(r, QStringLiteral("the geodetic parameters describe no grid: %1")
                                 .arg(QString::fromStdString(why)));
    }
    GeoPackageWriter writer;
    if (!writer.open(path, o.values, crs)) return failed(r, writer.errorString());
    bool writeFailed = false;
    const LogPass pass = readLogs(
        logs,
        [&](const SoundingRecord& s) {
            if (writer.addSounding(s)) return true;
            writeFailed = true;
            return false;
        },
        [&] { writer.breakTrack(); }, progress);
    r.rowsRead = pass.rows;
    r.rowsSkipped = pass.skipped;
    r.rowsUnplaced = pass.unplaced;
    if (writeFailed) return failed(r, writer.errorString());
    if (!pass.error.isEmpty()) return failed(r, pass.error);
    if (pass.cancelled) return cancelledResult(r);
    for (const SurveyLine& line : o.surveyLines)
        if (!writer.addSurveyLine(line)) return failed(r, writer.errorString());
    if (progress && !progress(pass.bytes, pass.bytes)) return cancelledResult(r);
    if (!writer.finish()) return failed(r, writer.errorString());
    r.rowsWritten = writer.soundings();
    r.tracks = writer.tracks();
    r.surveyLines = writer.surveyLines();
    r.files << path;
    r.ok = true;
    return r;
}

ExportResult exportSoundings(ExportFormat format, const QStringList& logs, const QString& path,
                             const ExportOptions& options, const ExportProgress& progress) {
    switch (format) {
        case ExportFormat::AsciiGrid:
            return exportAsciiGrid(logs, path, options, progress);
        case ExportFormat::GeoPackage:
            return exportGeoPackage(logs, path, options, progress);
        case ExportFormat::Xyz:
            break;
    }
    return exportXyz(logs, path, options, progress);
}

QString exportSummary(const ExportResult& r, ExportFormat format) {
    QString written;
    switch (format) {
        case ExportFormat::Xyz:
            written = r.cells ? QStringLiteral("%1 points (one per cell)").arg(r.rowsWritten)
                              : QStringLiteral("%1 points").arg(r.rowsWritten);
            break;
        case ExportFormat::AsciiGrid:
            written = QStringLiteral("%1 of %2 cells").arg(r.rowsWritten).arg(r.cells);
            break;
        case ExportFormat::GeoPackage:
            written = QStringLiteral("%1 soundings, %2 track lines and %3 survey lines")
                          .arg(r.rowsWritten)
                          .arg(r.tracks)
                          .arg(r.surveyLines);
            break;
    }
    const QString unplaced =
        r.rowsUnplaced ? QStringLiteral(", %1 without a grid position").arg(r.rowsUnplaced)
                       : QString();
    return QStringLiteral("%1 rows read, %2 skipped%3; %4 written to %5")
        .arg(r.rowsRead)
        .arg(r.rowsSkipped)
        .arg(unplaced, written,
             r.files.isEmpty() ? QString() : native(r.files.join(QStringLiteral(", "))));
}

}  // namespace nivora
