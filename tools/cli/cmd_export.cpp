// nivora export and nivora grid: the day's soundings as products, and the
// coverage grid's figures, from the coordinate logs of the given folders.

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "files/drawing_files.h"
#include "guidance/survey_line_layer.h"
#include "products/coverage_grid.h"
#include "products/export_formats.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

const QStringList kValueOptions = {
    QStringLiteral("--from"),     QStringLiteral("--format"), QStringLiteral("--cell"),
    QStringLiteral("--stat"),     QStringLiteral("--thin"),   QStringLiteral("--values"),
    QStringLiteral("--decimals"), QStringLiteral("--ini"),    QStringLiteral("--layout")};

QString fromView(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Every value of an option that may be given more than once.
QStringList values(const Arguments& args, const QString& option) {
    QStringList out;
    const QStringList& all = args.all();
    for (qsizetype i = 0; i + 1 < all.size(); ++i)
        if (all[i] == option) out << all[++i];
    return out;
}

// The coordinate logs of the --from paths; false with the exit status set
// when a path is missing or holds none.
bool logsFrom(const Arguments& args, const QString& command, QStringList& logs, int& status) {
    const QStringList from = values(args, QStringLiteral("--from"));
    if (from.isEmpty()) {
        status = usageError(command + QStringLiteral(" needs --from DIR (a day, LOG or data "
                                                     "folder, or a coordinate log)"));
        return false;
    }
    QStringList missing;
    logs = coordinateLogFiles(from, &missing);
    if (!missing.isEmpty()) {
        status = fail(QStringLiteral("no such file or folder: %1")
                          .arg(QDir::toNativeSeparators(missing.join(QStringLiteral(", ")))));
        return false;
    }
    if (logs.isEmpty()) {
        status = fail(QStringLiteral("no coordinate logs (* Coordinates*.csv) in %1")
                          .arg(QDir::toNativeSeparators(from.join(QStringLiteral(", ")))));
        return false;
    }
    return true;
}

bool optionalNumber(const Arguments& args, const QString& option, double& out, int& status) {
    const auto text = args.value(option);
    if (!text) return true;
    const auto v = parseNumber(text->toStdString());
    if (!v) {
        status = usageError(QStringLiteral("%1 needs a number, not '%2'").arg(option, *text));
        return false;
    }
    out = *v;
    return true;
}

bool depthValues(const Arguments& args, DepthValue& out, int& status) {
    const auto text = args.value(QStringLiteral("--values"));
    if (text && !parseDepthValue(*text, out)) {
        status = usageError(
            QStringLiteral("--values is depth, reduced or elevation, not '%1'").arg(*text));
        return false;
    }
    return true;
}

bool cellSize(const Arguments& args, double& out, int& status) {
    if (!optionalNumber(args, QStringLiteral("--cell"), out, status)) return false;
    if (out < CoverageGrid::kMinCellSize || out > CoverageGrid::kMaxCellSize) {
        status = usageError(QStringLiteral("--cell is %1 to %2 m")
                                .arg(CoverageGrid::kMinCellSize)
                                .arg(CoverageGrid::kMaxCellSize));
        return false;
    }
    return true;
}

}  // namespace

int runExport(const Arguments& args) {
    const QStringList out = args.positional(kValueOptions);
    if (out.size() != 1) return usageError(QStringLiteral("export needs one output file"));
    int status = 2;
    QStringList logs;
    if (!logsFrom(args, QStringLiteral("export"), logs, status)) return status;

    const auto formatText = args.value(QStringLiteral("--format"));
    const ExportFormatInfo* format =
        findExportFormat(formatText ? QStringView(*formatText) : QFileInfo(out[0]).suffix());
    if (!format) {
        QStringList words;
        for (const ExportFormatInfo& f : exportFormats())
            words << QLatin1String(f.word);
        return usageError(QStringLiteral("--format is %1 (or the output's extension says it)")
                              .arg(words.join(QLatin1Char('|'))));
    }

    ExportOptions o;
    if (!depthValues(args, o.values, status) || !cellSize(args, o.cellSizeM, status)) return status;
    if (const auto d = args.value(QStringLiteral("--decimals"))) {
        const auto n = parseInteger(d->toStdString());
        if (!n || *n < 0 || *n > 9)
            return usageError(QStringLiteral("--decimals is 0 to 9, not '%1'").arg(*d));
        o.decimals = *n;
    }
    if (const auto t = args.value(QStringLiteral("--thin"))) {
        if (format->format != ExportFormat::Xyz)
            return usageError(QStringLiteral("--thin is for xyz"));
        if (!parseXyzThinning(*t, o.thinning))
            return usageError(
                QStringLiteral("--thin is all, min, mean or nearest, not '%1'").arg(*t));
    }
    if (const auto s = args.value(QStringLiteral("--stat"))) {
        if (format->format != ExportFormat::AsciiGrid)
            return usageError(QStringLiteral("--stat is for asc"));
        if (!parseGridStatistic(s->toUtf8().constData(), o.statistic))
            return usageError(
                QStringLiteral("--stat is count, min, max, mean or last, not '%1'").arg(*s));
    }
    if (const auto ini = args.value(QStringLiteral("--ini"))) {
        QString unreadable;
        if (!settingsReadable(*ini, &unreadable)) return fail(unreadable);
        const IniStore store(*ini);
        o.parameters = geodesy::readGeodeticParameters(
            [&](std::string_view section, std::string_view key) -> std::optional<std::string> {
                if (!store.hasKey(fromView(section), fromView(key))) return std::nullopt;
                return store.readString(fromView(section), fromView(key)).toStdString();
            });
    }
    if (const auto layout = args.value(QStringLiteral("--layout"))) {
        if (format->format != ExportFormat::GeoPackage)
            return usageError(QStringLiteral("--layout is for gpkg"));
        CanvasDocument doc;
        QString error;
        if (!loadDrawingFile(*layout, doc, false, &error)) return fail(error);
        o.surveyLines = readSurveyLines(doc);
    }

    const ExportResult r = exportSoundings(format->format, logs, out[0], o);
    if (!r.ok) return fail(r.error);
    std::printf("%s\n", exportSummary(r, format->format).toLocal8Bit().constData());
    if (!o.parameters && format->format != ExportFormat::Xyz)
        std::fprintf(stderr, "nivora: no --ini: the %s carries no coordinate system\n",
                     format->format == ExportFormat::AsciiGrid ? "grid" : "package");
    return 0;
}

int runGrid(const Arguments& args) {
    int status = 2;
    QStringList logs;
    if (!logsFrom(args, QStringLiteral("grid"), logs, status)) return status;
    if (!args.positional(kValueOptions).isEmpty())
        return usageError(QStringLiteral("grid takes no file; name the logs with --from"));
    double cell = 5.0;
    DepthValue values = DepthValue::Depth;
    if (!cellSize(args, cell, status) || !depthValues(args, values, status)) return status;
    CoverageGrid grid(cell);
    const ReadSummary read = readCoordinateLogs(logs, [&](const SoundingRecord& s) {
        grid.add(s.easting, s.northing, valueOf(s, values));
        return true;
    });
    if (!read.unreadable.isEmpty())
        return fail(QStringLiteral("cannot read %1")
                        .arg(QDir::toNativeSeparators(read.unreadable.join(QStringLiteral(", ")))));
    const GridExtent x = grid.extent();
    std::printf("logs            %lld\n", static_cast<long long>(logs.size()));
    std::printf("soundings       %llu\n", static_cast<unsigned long long>(grid.soundings()));
    std::printf("rows skipped    %lld\n", static_cast<long long>(read.skipped));
    std::printf("no position     %lld\n", static_cast<long long>(read.unplaced));
    std::printf("cells filled    %llu\n", static_cast<unsigned long long>(grid.cellsFilled()));
    std::printf("cell size       %s m\n", formatShortest(cell).c_str());
    if (x.empty()) {
        std::printf("extent          none\n");
    } else {
        double meanSum = 0;
        grid.forEachCell(
            [&](std::int64_t, std::int64_t, const GridCell& c) { meanSum += c.mean(); });
        const auto range = grid.depthRange();
        std::printf("extent          %lld x %lld cells, %s x %s m, from %s, %s to %s, %s\n",
                    static_cast<long long>(x.columns()), static_cast<long long>(x.rows()),
                    formatShortest(static_cast<double>(x.columns()) * cell).c_str(),
                    formatShortest(static_cast<double>(x.rows()) * cell).c_str(),
                    formatFixed(static_cast<double>(x.minI) * cell, 2).c_str(),
                    formatFixed(static_cast<double>(x.minJ) * cell, 2).c_str(),
                    formatFixed(static_cast<double>(x.maxI + 1) * cell, 2).c_str(),
                    formatFixed(static_cast<double>(x.maxJ + 1) * cell, 2).c_str());
        std::printf("%-15s min %s, max %s, mean of cells %s\n",
                    depthValueWord(values).toLocal8Bit().constData(),
                    formatFixed(range ? range->first : 0.0, 2).c_str(),
                    formatFixed(range ? range->second : 0.0, 2).c_str(),
                    formatFixed(meanSum / static_cast<double>(grid.cellsFilled()), 2).c_str());
    }
    std::printf("memory          %s MB in %zu tiles\n",
                formatFixed(static_cast<double>(grid.memoryBytes()) / (1024.0 * 1024.0), 2).c_str(),
                grid.tileCount());
    return 0;
}

}  // namespace nivora::cli
