// nivora project: where the real-time cycle would place the vessel for
// given WGS-84 positions, with the geodetic parameters of a settings file.

#include <QFileInfo>
#include <cstdio>
#include <iostream>
#include <set>
#include <string>

#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "geodesy/fix_projection.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

using geodesy::FixProjector;
using geodesy::FixResult;
using geodesy::FixStatus;

// Enough digits to compare with other software: micrometres, and degrees
// to 1e-10.
constexpr int kMetreDecimals = 6;
constexpr int kDegreeDecimals = 10;

QString fromView(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const char* reason(FixStatus s) {
    switch (s) {
        case FixStatus::ParameterNotANumber:
            return "a geodetic parameter is not a number";
        case FixStatus::DatumParametersIncomplete:
            return "the datum parameters hold fewer than 18 numbers (an empty or non-numeric "
                   "field)";
        case FixStatus::DatumShiftFailed:
            return "the datum shift gives no position";
        case FixStatus::ProjectionFailed:
            return "the projection gives no position";
        case FixStatus::Placed:
            break;
    }
    return "";
}

// "latitude longitude [height]"; blank lines and lines starting with '#'
// carry nothing.
bool parsePosition(std::string_view line, double v[3], int& count) {
    count = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() &&
               (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == ','))
            ++i;
        if (i == line.size()) break;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r' &&
               line[j] != ',')
            ++j;
        if (count == 3) return false;
        const auto n = parseNumber(line.substr(i, j - i));
        if (!n) return false;
        v[count++] = *n;
        i = j;
    }
    return count >= 2;
}

}  // namespace

int runProject(const Arguments& args) {
    const auto path = args.value(QStringLiteral("--ini"));
    if (!path) return usageError(QStringLiteral("project needs --ini FILE"));
    QString unreadable;
    if (!settingsReadable(*path, &unreadable)) return fail(unreadable);
    const IniStore ini(*path);
    const bool local = args.has(QStringLiteral("--local"));
    const bool geographic = args.has(QStringLiteral("--geographic"));
    if (local && geographic) {
        return usageError(QStringLiteral("--local and --geographic exclude each other"));
    }

    const geodesy::GeodeticParameters parameters = geodesy::readGeodeticParameters(
        [&](std::string_view section, std::string_view key) -> std::optional<std::string> {
            if (!ini.hasKey(fromView(section), fromView(key))) return std::nullopt;
            return ini.readString(fromView(section), fromView(key)).toStdString();
        });
    geodesy::ParameterConversionError error;
    std::optional<FixProjector> projector = FixProjector::take(parameters, &error);
    if (!projector) {
        const QString why =
            error.notANumber
                ? notANumberMessage(fromView(error.key), QString::fromStdString(error.text))
                : QStringLiteral("%1: '%2' is not a valid ellipsoid value")
                      .arg(fromView(error.key), QString::fromStdString(error.text));
        fail(why + QStringLiteral("; every fix is abandoned"));
    }

    std::set<FixStatus> told;
    std::string line, out;
    long long lineNo = 0;
    while (std::getline(std::cin, line)) {
        ++lineNo;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        double v[3] = {0, 0, 0};
        int count = 0;
        if (!parsePosition(line, v, count)) {
            std::fflush(stdout);
            return fail(
                QStringLiteral("line %1: expected \"latitude longitude [height]\"").arg(lineNo));
        }
        out.clear();
        FixResult r;
        if (!projector) {
            r.status = FixStatus::ParameterNotANumber;
        } else if (geographic) {
            if (const auto p = projector->toLocal(v[0], v[1], v[2])) {
                appendFixed(out, static_cast<double>(p->latitude), kDegreeDecimals);
                out += ' ';
                appendFixed(out, static_cast<double>(p->longitude), kDegreeDecimals);
                out += ' ';
                appendFixed(out, static_cast<double>(p->height), kMetreDecimals);
                r.status = FixStatus::Placed;
            } else {
                r.status = FixStatus::DatumShiftFailed;
            }
        } else {
            r = local ? projector->projectLocal(v[0], v[1]) : projector->project(v[0], v[1], v[2]);
            if (r.placed()) {
                appendFixed(out, r.easting, kMetreDecimals);
                out += ' ';
                appendFixed(out, r.northing, kMetreDecimals);
                out += ' ';
                appendFixed(out, *r.convergence, kDegreeDecimals);
            }
        }
        if (!r.placed()) {
            out = "abandoned";
            if (projector && told.insert(r.status).second) {
                std::fprintf(stderr, "nivora: line %lld: %s\n", lineNo, reason(r.status));
            }
        }
        out += '\n';
        std::fputs(out.c_str(), stdout);
    }
    return 0;
}

}  // namespace nivora::cli
