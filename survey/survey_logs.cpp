#include "survey/survey_logs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>

#include "core/clock.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "core/system_text.h"

namespace nivora {

QByteArray coordinateLogHeader() {
    return QByteArrayLiteral(
        "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth "
        "(Lo),"
        "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK "
        "Antenna Height,"
        "Manual Tide,RTK Tide\n");
}

QByteArray formatCoordinateRow(const CoordinateRow& r) {
    std::string s = dateTimeText(r.time).toStdString();
    auto fixed2 = [&s](double v) {
        s += ',';
        appendFixed(s, v, 2);
    };
    auto exact = [&s](double v) {
        s += ',';
        appendShortest(s, v);
    };
    exact(r.latitude);
    exact(r.longitude);
    fixed2(r.easting);
    fixed2(r.northing);
    fixed2(r.manualTide - r.trueDepthHi);
    fixed2(r.manualTide - r.trueDepthLo);
    fixed2(r.trueDepthHi);
    fixed2(r.trueDepthLo);
    exact(r.rawDepthHi);
    exact(r.rawDepthLo);
    s += ',';
    const QByteArray family = toSystemBytes(r.messageFormat);
    s.append(family.constData(), static_cast<std::size_t>(family.size()));
    fixed2(r.soundVelocity);
    fixed2(r.transducerDraft);
    s += ',' + std::to_string(r.fixQuality);
    fixed2(r.antennaHeight);
    fixed2(r.manualTide);
    fixed2(r.rtkTide);
    s += '\n';
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

QString numberedAlternate(const QString& path, int n) {
    const QFileInfo fi(path);
    const QString suffix = fi.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return stem + QLatin1Char('_') + QString::number(n) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

SurveyLogs::SurveyLogs(DayFolders folders, const Clock& clock, ErrorSink reportError)
    : folders_(std::move(folders)), clock_(clock), reportError_(std::move(reportError)) {}

bool SurveyLogs::createDayFolders() {
    QString message;
    if (folders_.create(&message)) return true;
    if (reportError_) reportError_(message);
    return false;
}

void SurveyLogs::reportCannotWrite(const QString& path, const QString& why) {
    if (reportError_) {
        reportError_(
            QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), why));
    }
}

bool SurveyLogs::appendBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        // The day folders may not be there yet: make them and try once more.
        folders_.create();
        if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
            reportCannotWrite(path, f.errorString());
            return false;
        }
    }
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        reportCannotWrite(path, f.errorString());
        return false;
    }
    return true;
}

void SurveyLogs::AppendEventLog(const QString& message) {
    appendEventsText(QStringLiteral("\nAuto Event:\t") + dateTimeText(clock_.now()) +
                     QLatin1Char('\t') + message);
}

void SurveyLogs::appendEventsText(const QString& text) {
    appendBytes(folders_.eventsLogPath(clock_.now().date()), toSystemBytes(text));
}

void SurveyLogs::appendSettingsReport(const QStringList& texts) {
    QString all;
    for (const QString& t : texts) {
        all +=
            QStringLiteral("\nAuto Event:\t") + dateTimeText(clock_.now()) + QLatin1Char('\t') + t;
    }
    appendEventsText(all);
}

QString SurveyLogs::appendCoordinateRow(const CoordinateRow& row) {
    const QString main = folders_.coordinateLogPath();
    // A sounding is never dropped for a missing folder.
    if (!QFileInfo(folders_.logsFolder()).isDir()) folders_.create();
    QFile f;
    QString used;
    for (int n = 0; n <= kMaxAlternates && used.isEmpty(); ++n) {
        const QString candidate = n == 0 ? main : numberedAlternate(main, n);
        f.setFileName(candidate);
        if (f.open(QIODevice::WriteOnly | QIODevice::Append)) used = candidate;
    }
    if (used.isEmpty()) {
        reportCannotWrite(
            main,
            QStringLiteral("neither the coordinate log nor any of its %1 alternates can be opened")
                .arg(kMaxAlternates));
        return {};
    }
    QByteArray bytes;
    if (f.size() == 0) bytes = coordinateLogHeader();
    if (row.rawDepthHi != 0 || row.rawDepthLo != 0) bytes += formatCoordinateRow(row);
    if (f.write(bytes) != bytes.size() || !f.flush()) {
        reportCannotWrite(used, f.errorString());
        return {};
    }
    return used;
}

namespace {

using Geo = geodesy::GeodeticParameters;

// The geodesy log's lines: a caption and the fields it shows, joined by
// their separators. Fields are named by member, so the keys stay spelled
// once, in the parameters' key table.
struct GeodesyLogLine {
    const char* caption;  // null: a plain text line (heading or blank)
    std::vector<std::pair<const char*, std::string Geo::*>> fields;  // separator before, field
    bool flag = false;                                               // "Yes"/"No"
};

const std::vector<GeodesyLogLine>& geodesyLogLines() {
    static const std::vector<GeodesyLogLine> lines = {
        {"", {}},
        {"--- ELLIPSOID ---", {}},
        {"Semi-Major Axis: ", {{"", &Geo::semiMajorAxis}}},
        {"Inverse Flattening: ", {{"", &Geo::flattening}}},
        {"", {}},
        {"--- DATUM TRANSFORMATION ---", {}},
        {"Name of Datum: ", {{"", &Geo::datumName}}},
        {"Use DTP: ", {{"", &Geo::useDtp}}, true},
        {"X/Y/Z Rotation: ",
         {{"", &Geo::rotationX}, {", ", &Geo::rotationY}, {", ", &Geo::rotationZ}}},
        {"X/Y/Z Shift: ", {{"", &Geo::shiftX}, {", ", &Geo::shiftY}, {", ", &Geo::shiftZ}}},
        {"Scale PPM: ", {{"", &Geo::scalePpm}}},
        {"", {}},
        {"--- TRANSVERSE MERCATOR ---", {}},
        {"Use TM: ", {{"", &Geo::useTmProjection}}, true},
        {"CM: ",
         {{"", &Geo::centralMeridian},
          {", Ref Lat: ", &Geo::referenceLatitude},
          {", SF: ", &Geo::scaleFactor}}},
        {"FE: ", {{"", &Geo::falseEasting}, {", FN: ", &Geo::falseNorthing}}},
        {"", {}},
        {"--- LAMBERT CONFORMAL CONIC ---", {}},
        {"Use LCC: ", {{"", &Geo::useLambert}}, true},
        {"SP1: ", {{"", &Geo::lccStandardParallel1}, {", SP2: ", &Geo::lccStandardParallel2}}},
        {"CP: ", {{"", &Geo::lccCentralParallel}, {", CM: ", &Geo::lccCentralMeridian}}},
        {"FE: ", {{"", &Geo::lccFalseEasting}, {", FN: ", &Geo::lccFalseNorthing}}},
        {"", {}},
    };
    return lines;
}

}  // namespace

bool SurveyLogs::appendGeodesyLog(const geodesy::GeodeticParameters& p) {
    const QDateTime now = clock_.now();
    const QString path = folders_.geodesyLogPath(now.date());
    QStringList lines;
    lines << QStringLiteral("=== SESSION START: ") + formatTime(u"hhnnsszzz", now.time()) +
                 QStringLiteral(" ===");
    for (const GeodesyLogLine& l : geodesyLogLines()) {
        QString text = QLatin1String(l.caption);
        for (const auto& [separator, field] : l.fields) {
            const QString value = QString::fromStdString(p.*field);
            text += QLatin1String(separator) +
                    (l.flag ? (toInteger(value).value_or(0) != 0 ? QStringLiteral("Yes")
                                                                 : QStringLiteral("No"))
                            : value);
        }
        lines << text;
    }
    lines << QString(40, QLatin1Char('-')) << QString();

    QByteArray content;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            reportCannotWrite(path, existing.errorString());
            return false;
        }
        content = existing.readAll();
        existing.close();
    } else {
        content = toSystemBytes(QStringLiteral("GEODETIC PARAMETERS LOG - ") +
                                dateText(now.date()) + QLatin1Char('\n') +
                                QString(40, QLatin1Char('=')) + QStringLiteral("\n\n"));
    }
    content += toSystemBytes(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    if (!QFileInfo(folders_.logsFolder()).isDir()) folders_.create();
    // Rewriting the whole file goes through a temporary file, so a failed
    // write cannot cost the blocks already there.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() || !out.commit()) {
        reportCannotWrite(path, out.errorString());
        return false;
    }
    return true;
}

bool SurveyLogs::appendOffsetsRecord(const QString& record) {
    return appendBytes(folders_.offsetsLogPath(clock_.now().date()), toSystemBytes(record));
}

bool SurveyLogs::saveProfileMemos(const QList<QPair<QString, QString>>& memos) {
    bool ok = true;
    const QDate today = clock_.now().date();
    for (const auto& [name, text] : memos) {
        const QString path = folders_.profileMemoPath(name, today);
        if (!QFileInfo(folders_.profilesFolder()).isDir()) folders_.create();
        QSaveFile f(path);
        const QByteArray bytes = toSystemBytes(text);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
            reportCannotWrite(path, f.errorString());
            ok = false;
        }
    }
    return ok;
}

}  // namespace nivora
