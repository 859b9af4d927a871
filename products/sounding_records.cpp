#include "products/sounding_records.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <string_view>

#include "core/number_format.h"

namespace nivora {

double valueOf(const SoundingRecord& r, DepthValue v) {
    switch (v) {
        case DepthValue::Reduced:
            return -r.elevationHi;
        case DepthValue::Elevation:
            return r.elevationHi;
        case DepthValue::Depth:
            break;
    }
    return r.depthHi;
}

bool parseDepthValue(QStringView word, DepthValue& out) {
    for (DepthValue v : {DepthValue::Depth, DepthValue::Reduced, DepthValue::Elevation}) {
        if (word.compare(depthValueWord(v), Qt::CaseInsensitive) == 0) {
            out = v;
            return true;
        }
    }
    return false;
}

QString depthValueWord(DepthValue v) {
    switch (v) {
        case DepthValue::Reduced:
            return QStringLiteral("reduced");
        case DepthValue::Elevation:
            return QStringLiteral("elevation");
        case DepthValue::Depth:
            break;
    }
    return QStringLiteral("depth");
}

QString depthValueTitle(DepthValue v) {
    switch (v) {
        case DepthValue::Reduced:
            return QStringLiteral("Reduced depth (m)");
        case DepthValue::Elevation:
            return QStringLiteral("Elevation (m)");
        case DepthValue::Depth:
            break;
    }
    return QStringLiteral("Depth (m)");
}

namespace {

constexpr int kColumns = 18;

bool digits(std::string_view s, int& out) {
    if (s.empty()) return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe - 719468;
}

// "2024-05-01 093007250", or the date alone at midnight.
bool parseDateTime(std::string_view s, std::int64_t& ms) {
    int y = 0, mo = 0, d = 0;
    if (s.size() < 10 || s[4] != '-' || s[7] != '-' || !digits(s.substr(0, 4), y) ||
        !digits(s.substr(5, 2), mo) || !digits(s.substr(8, 2), d) || mo < 1 || mo > 12 || d < 1 ||
        d > 31)
        return false;
    std::int64_t dayMs = 0;
    if (s.size() > 10) {
        int hh = 0, nn = 0, ss = 0, zzz = 0;
        if (s.size() != 20 || s[10] != ' ' || !digits(s.substr(11, 2), hh) ||
            !digits(s.substr(13, 2), nn) || !digits(s.substr(15, 2), ss) ||
            !digits(s.substr(17, 3), zzz) || hh > 23 || nn > 59 || ss > 60)
            return false;
        dayMs = ((hh * 60 + nn) * 60 + ss) * 1000LL + zzz;
    }
    ms = daysFromCivil(y, mo, d) * 86400000LL + dayMs;
    return true;
}

}  // namespace

bool parseCoordinateRow(const char* begin, const char* end, SoundingRecord& out) {
    std::array<std::string_view, 64> fields;
    int n = 0;
    const char* start = begin;
    for (const char* p = begin;; ++p) {
        if (p == end || *p == ',') {
            if (n == static_cast<int>(fields.size())) return false;
            fields[static_cast<std::size_t>(n++)] =
                std::string_view(start, static_cast<std::size_t>(p - start));
            if (p == end) break;
            start = p + 1;
        }
    }
    // The family text may itself hold commas: the columns after it are
    // counted from the end.
    if (n < kColumns) return false;
    auto left = [&](int i) { return fields[static_cast<std::size_t>(i)]; };
    auto right = [&](int i) { return fields[static_cast<std::size_t>(n - (kColumns - i))]; };
    if (!parseDateTime(left(0), out.timeMs)) return false;
    const auto lat = parseNumber(left(1));
    const auto lon = parseNumber(left(2));
    const auto e = parseNumber(left(3));
    const auto north = parseNumber(left(4));
    const auto elev = parseNumber(left(5));
    const auto dHi = parseNumber(left(7));
    const auto dLo = parseNumber(left(8));
    const auto fix = parseInteger(right(14));
    const auto tide = parseNumber(right(16));
    if (!lat || !lon || !e || !north || !elev || !dHi || !dLo || !fix || !tide) return false;
    out.latitude = *lat;
    out.longitude = *lon;
    out.easting = *e;
    out.northing = *north;
    out.elevationHi = *elev;
    out.depthHi = *dHi;
    out.depthLo = *dLo;
    out.fixQuality = *fix;
    out.tide = *tide;
    return true;
}

bool CoordinateLogReader::next(SoundingRecord& out) {
    // Rows are short; a line past this is not a row and is read in pieces.
    char buffer[4096];
    while (true) {
        const qint64 got = device_.readLine(buffer, sizeof buffer);
        if (got <= 0) return false;
        ++line_;
        qint64 len = got;
        const bool whole = buffer[len - 1] == '\n' || device_.atEnd();
        while (len > 0 && (buffer[len - 1] == '\n' || buffer[len - 1] == '\r'))
            --len;
        if (!whole) {
            // The rest of an overlong line.
            while (true) {
                const qint64 more = device_.readLine(buffer, sizeof buffer);
                if (more <= 0 || buffer[more - 1] == '\n') break;
            }
            ++skipped_;
            continue;
        }
        if (len == 0) continue;
        if (std::string_view(buffer, static_cast<std::size_t>(len)).starts_with("Date,")) continue;
        if (parseCoordinateRow(buffer, buffer + len, out)) return true;
        ++skipped_;
    }
}

namespace {

void appendLogsOf(const QDir& dir, QStringList& out) {
    const QStringList names =
        dir.entryList({QStringLiteral("* Coordinates*.csv")}, QDir::Files, QDir::Name);
    for (const QString& name : names)
        out << dir.filePath(name);
}

}  // namespace

QStringList coordinateLogFiles(const QStringList& paths, QStringList* missing) {
    QStringList files;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isFile()) {
            files << info.filePath();
            continue;
        }
        if (!info.isDir()) {
            if (missing) *missing << path;
            continue;
        }
        const QDir dir(path);
        appendLogsOf(dir, files);
        if (dir.exists(QStringLiteral("LOG")))
            appendLogsOf(QDir(dir.filePath(QStringLiteral("LOG"))), files);
        // A data folder: its day folders, in date order.
        const QStringList days = dir.entryList({QStringLiteral("\?\?\?\?-\?\?-\?\?")},
                                               QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& day : days)
            appendLogsOf(QDir(dir.filePath(day + QStringLiteral("/LOG"))), files);
    }
    files.removeDuplicates();
    return files;
}

ReadSummary readCoordinateLogs(const QStringList& files,
                               const std::function<bool(const SoundingRecord&)>& onRecord,
                               const std::function<bool(qint64, qint64)>& progress) {
    ReadSummary summary;
    qint64 total = 0;
    for (const QString& f : files)
        total += QFileInfo(f).size();
    qint64 before = 0;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            summary.unreadable << path;
            continue;
        }
        CoordinateLogReader reader(file);
        SoundingRecord r;
        std::int64_t count = 0;
        while (reader.next(r)) {
            if (!hasGridPosition(r)) {
                ++summary.unplaced;
                continue;
            }
            ++summary.rows;
            if (!onRecord(r)) {
                summary.cancelled = true;
                break;
            }
            if (progress && (++count & 0xFFFF) == 0 && !progress(before + file.pos(), total)) {
                summary.cancelled = true;
                break;
            }
        }
        summary.skipped += reader.skipped();
        before += file.size();
        if (summary.cancelled) break;
    }
    if (progress && !summary.cancelled) progress(total, total);
    return summary;
}

}  // namespace nivora
