#include "crs/epsg_register.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cmath>
#include <functional>
#include <map>
#include <numbers>

#include "core/number_format.h"

namespace nivora::crs {
namespace {

constexpr int kTransverseMercator = 9807;
constexpr int kLambert1 = 9801;
constexpr int kLambert2 = 9802;
constexpr int kGeocentricTranslations = 9603;
constexpr int kPositionVector = 9606;
constexpr int kCoordinateFrame = 9607;
constexpr int kWgs84 = 4326;
constexpr int kMetre = 9001;
constexpr int kSexagesimalDms = 9110;
constexpr int kDegree = 9102;
constexpr double kArcSecond = std::numbers::pi / 180.0 / 3600.0;

bool projectionSupported(int method) {
    return method == kTransverseMercator || method == kLambert1 || method == kLambert2;
}
bool helmertSupported(int method) {
    return method == kGeocentricTranslations || method == kPositionVector ||
           method == kCoordinateFrame;
}

// One prepared statement; steps row by row.
class Query {
  public:
    Query(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &st_, nullptr) != SQLITE_OK) st_ = nullptr;
    }
    ~Query() { sqlite3_finalize(st_); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;
    bool ok() const { return st_ != nullptr; }
    void bind(int i, int v) { sqlite3_bind_int(st_, i, v); }
    void bind(int i, const QString& v) {
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(st_, i, u.constData(), static_cast<int>(u.size()), SQLITE_TRANSIENT);
    }
    bool next() { return st_ && sqlite3_step(st_) == SQLITE_ROW; }
    bool isNull(int c) const { return sqlite3_column_type(st_, c) == SQLITE_NULL; }
    int integer(int c) const { return sqlite3_column_int(st_, c); }
    double real(int c) const { return sqlite3_column_double(st_, c); }
    QString text(int c) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st_, c)));
    }

  private:
    sqlite3_stmt* st_ = nullptr;
};

struct Unit {
    QString name;
    QString type;
    std::optional<double> factor;  // to radians, metres or unity
};

Unit unitOf(sqlite3* db, int code) {
    Query q(db,
            "SELECT name, type, conv_factor FROM unit_of_measure "
            "WHERE auth_name = 'EPSG' AND code = ?");
    q.bind(1, code);
    if (!q.next()) return {QStringLiteral("unit %1").arg(code), {}, std::nullopt};
    return {q.text(0), q.text(1), q.isNull(2) ? std::nullopt : std::optional(q.real(2))};
}

// EPSG's sexagesimal DMS: DDD.MMSSsss as a number.
double fromSexagesimal(double v) {
    const double sign = v < 0 ? -1 : 1;
    v = std::abs(v);
    double degrees = std::floor(v);
    double rest = (v - degrees) * 100;
    double minutes = std::floor(rest + 1e-9);
    const double seconds = (rest - minutes) * 100;
    return sign * (degrees + minutes / 60 + seconds / 3600);
}

std::optional<double> toDegrees(sqlite3* db, double v, int uom, QString* error) {
    if (uom == kSexagesimalDms) return fromSexagesimal(v);
    if (uom == kDegree) return v;
    const Unit u = unitOf(db, uom);
    if (u.type != QLatin1String("angle") || !u.factor) {
        *error = QStringLiteral("the angle unit '%1' cannot be converted").arg(u.name);
        return std::nullopt;
    }
    return v * *u.factor * 180.0 / std::numbers::pi;
}

std::optional<double> inUnit(sqlite3* db, double v, int uom, const char* type, double per,
                             QString* error) {
    const Unit u = unitOf(db, uom);
    if (u.type != QLatin1String(type) || !u.factor) {
        *error = QStringLiteral("the unit '%1' cannot be converted").arg(u.name);
        return std::nullopt;
    }
    return v * *u.factor / per;
}

// Fifteen significant digits: a value converted between units loses the
// noise of the conversion (27 degrees, not 26.999999999999975).
std::string number(double v) {
    return formatGeneral15(v);
}

QString wordsCondition(int words) {
    QStringList parts;
    for (int i = 0; i < words; ++i) {
        parts << QStringLiteral(
                     "(CAST(p.code AS TEXT) LIKE ?%1 || '%' OR p.name LIKE '%' || ?%1 "
                     "|| '%' OR e.name LIKE '%' || ?%1 || '%')")
                     .arg(i + 1);
    }
    return parts.isEmpty() ? QStringLiteral("1") : parts.join(QStringLiteral(" AND "));
}

// The axes of a coordinate system all in metres.
constexpr const char* kMetreAxes =
    "(SELECT MIN(a.uom_code = 9001) FROM axis a WHERE a.coordinate_system_auth_name = "
    "p.coordinate_system_auth_name AND a.coordinate_system_code = p.coordinate_system_code)";

}  // namespace

QString EpsgRegister::defaultPath() {
    for (const char* var : {"PROJ_DATA", "PROJ_LIB"}) {
        const QString dir = qEnvironmentVariable(var);
        if (!dir.isEmpty() && QFileInfo::exists(QDir(dir).filePath(QStringLiteral("proj.db"))))
            return QDir(dir).filePath(QStringLiteral("proj.db"));
    }
    return QStringLiteral("/usr/share/proj/proj.db");
}

std::unique_ptr<EpsgRegister> EpsgRegister::open(const QString& path, QString* error) {
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("The EPSG register %1 is not there (PROJ's proj.db)").arg(path);
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        *error = QStringLiteral("Cannot read the EPSG register %1: %2")
                     .arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return nullptr;
    }
    Query probe(db, "SELECT COUNT(*) FROM projected_crs WHERE auth_name = 'EPSG'");
    if (!probe.ok() || !probe.next() || probe.integer(0) == 0) {
        *error = QStringLiteral("%1 holds no EPSG register").arg(path);
        sqlite3_close(db);
        return nullptr;
    }
    return std::unique_ptr<EpsgRegister>(new EpsgRegister(db));
}

EpsgRegister::~EpsgRegister() {
    sqlite3_close(db_);
}

std::vector<CrsMatch> EpsgRegister::search(const QString& text, int limit) const {
    QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& w : words) {
        if (w.startsWith(QLatin1String("EPSG:"), Qt::CaseInsensitive)) w = w.mid(5);
    }
    words.removeAll(QString());
    const QString sql =
        QStringLiteral(
            "SELECT p.code, p.name, c.method_code, c.method_name, MIN(e.code), e.name, "
            "e.south_lat, e.north_lat, e.west_lon, e.east_lon, %1 AS metres "
            "FROM projected_crs p JOIN conversion c ON c.auth_name = p.conversion_auth_name "
            "AND c.code = p.conversion_code "
            "LEFT JOIN usage u ON u.object_table_name = 'projected_crs' AND u.object_auth_name "
            "= p.auth_name AND u.object_code = p.code "
            "LEFT JOIN extent e ON e.auth_name = u.extent_auth_name AND e.code = u.extent_code "
            "WHERE p.auth_name = 'EPSG' AND p.deprecated = 0 AND %2 "
            "GROUP BY p.code "
            "ORDER BY (c.method_code IN (9807, 9801, 9802) AND metres) DESC, p.code LIMIT %3")
            .arg(QLatin1String(kMetreAxes), wordsCondition(static_cast<int>(words.size())))
            .arg(limit);
    Query q(db_, sql.toUtf8().constData());
    for (int i = 0; i < words.size(); ++i)
        q.bind(i + 1, words[i]);
    std::vector<CrsMatch> out;
    while (q.next()) {
        CrsMatch m{q.integer(0),
                   q.text(1),
                   q.text(5),
                   q.text(3),
                   projectionSupported(q.integer(2)) && q.integer(10) == 1,
                   std::nullopt};
        if (!q.isNull(6)) m.extent = Extent{q.real(6), q.real(7), q.real(8), q.real(9)};
        out.push_back(std::move(m));
    }
    return out;
}

std::vector<TransformationMatch> EpsgRegister::transformationsToWgs84(int projectedCode) const {
    Query q(db_,
            "SELECT h.code, h.name, h.method_code, h.method_name, h.accuracy "
            "FROM projected_crs p JOIN helmert_transformation h "
            "ON h.source_crs_auth_name = p.geodetic_crs_auth_name "
            "AND h.source_crs_code = p.geodetic_crs_code "
            "WHERE p.auth_name = 'EPSG' AND p.code = ? AND h.auth_name = 'EPSG' "
            "AND h.target_crs_auth_name = 'EPSG' AND h.target_crs_code = 4326 "
            "AND h.deprecated = 0 "
            "ORDER BY h.method_code IN (9603, 9606, 9607) DESC, h.accuracy IS NULL, h.accuracy, "
            "h.code");
    q.bind(1, projectedCode);
    std::vector<TransformationMatch> out;
    while (q.next()) {
        out.push_back({q.integer(0), q.text(1), q.text(3), q.isNull(4) ? -1.0 : q.real(4),
                       helmertSupported(q.integer(2))});
    }
    return out;
}

std::optional<Filled> EpsgRegister::fill(int code, std::optional<int> transformation,
                                         const geodesy::GeodeticParameters& base,
                                         QString* error) const {
    std::optional<Filled> out = fillProjection(code, base, error);
    if (!out || !fillDatum(*out, code, transformation, error)) return std::nullopt;
    return out;
}

std::optional<Filled> EpsgRegister::fillProjection(int code,
                                                   const geodesy::GeodeticParameters& base,
                                                   QString* error) const {
    Query crs(db_,
              "SELECT p.name, p.geodetic_crs_code, c.method_code, c.method_name, "
              "g.name, d.name, el.semi_major_axis, el.uom_code, el.inv_flattening, "
              "el.semi_minor_axis, pm.longitude, pm.uom_code, c.code, p.deprecated, "
              "p.coordinate_system_auth_name, p.coordinate_system_code "
              "FROM projected_crs p "
              "JOIN conversion c ON c.auth_name = p.conversion_auth_name "
              "AND c.code = p.conversion_code "
              "JOIN geodetic_crs g ON g.auth_name = p.geodetic_crs_auth_name "
              "AND g.code = p.geodetic_crs_code "
              "JOIN geodetic_datum d ON d.auth_name = g.datum_auth_name AND d.code = g.datum_code "
              "JOIN ellipsoid el ON el.auth_name = d.ellipsoid_auth_name "
              "AND el.code = d.ellipsoid_code "
              "JOIN prime_meridian pm ON pm.auth_name = d.prime_meridian_auth_name "
              "AND pm.code = d.prime_meridian_code "
              "WHERE p.auth_name = 'EPSG' AND p.code = ?");
    crs.bind(1, code);
    if (!crs.next()) {
        *error = QStringLiteral(
                     "EPSG:%1 is no projected coordinate system of the register "
                     "(a datum ensemble or a geographic system cannot be used)")
                     .arg(code);
        return std::nullopt;
    }
    Filled out;
    out.crsName = crs.text(0);
    const int geodeticCode = crs.integer(1);
    const int method = crs.integer(2);
    if (!projectionSupported(method)) {
        *error = QStringLiteral(
                     "EPSG:%1 (%2) uses the method '%3'; the program projects with "
                     "Transverse Mercator and Lambert Conic Conformal (1SP, 2SP) only")
                     .arg(code)
                     .arg(out.crsName, crs.text(3));
        return std::nullopt;
    }
    {
        Query axes(db_,
                   "SELECT MIN(uom_code = 9001) FROM axis WHERE coordinate_system_auth_name "
                   "= ? AND coordinate_system_code = ?");
        axes.bind(1, crs.text(14));
        axes.bind(2, crs.integer(15));
        if (!axes.next() || axes.integer(0) != 1) {
            *error = QStringLiteral("EPSG:%1 (%2) is not in metres; the program's grid is")
                         .arg(code)
                         .arg(out.crsName);
            return std::nullopt;
        }
    }
    geodesy::GeodeticParameters p = base;
    // The ellipsoid.
    const auto a = inUnit(db_, crs.real(6), crs.integer(7), "length", 1.0, error);
    if (!a) return std::nullopt;
    double f = 0;
    if (!crs.isNull(8) && crs.real(8) != 0) {
        f = 1.0 / crs.real(8);
    } else if (!crs.isNull(9)) {
        const auto b = inUnit(db_, crs.real(9), crs.integer(7), "length", 1.0, error);
        if (!b) return std::nullopt;
        f = (*a - *b) / *a;
    }
    p.semiMajorAxis = number(*a);
    p.flattening = formatGeneral15(f);
    p.datumName = crs.text(5).toStdString();
    // The prime meridian: the program's longitudes are from Greenwich.
    const auto primeMeridian = toDegrees(db_, crs.real(10), crs.integer(11), error);
    if (!primeMeridian) return std::nullopt;

    // The conversion's parameters by their EPSG codes, in degrees, metres or unity.
    std::map<int, double> values;
    Query params(db_,
                 "SELECT param1_code, param1_value, param1_uom_code, param2_code, "
                 "param2_value, param2_uom_code, param3_code, param3_value, param3_uom_code, "
                 "param4_code, param4_value, param4_uom_code, param5_code, param5_value, "
                 "param5_uom_code, param6_code, param6_value, param6_uom_code, param7_code, "
                 "param7_value, param7_uom_code FROM conversion_table "
                 "WHERE auth_name = 'EPSG' AND code = ?");
    params.bind(1, crs.integer(12));
    if (!params.next()) {
        *error = QStringLiteral("EPSG:%1: its conversion is not in the register").arg(code);
        return std::nullopt;
    }
    for (int i = 0; i < 7; ++i) {
        if (params.isNull(3 * i)) continue;
        const int param = params.integer(3 * i);
        const double v = params.real(3 * i + 1);
        const int uom = params.integer(3 * i + 2);
        const Unit u = unitOf(db_, uom);
        std::optional<double> converted;
        if (u.type == QLatin1String("angle") || uom == kSexagesimalDms) {
            converted = toDegrees(db_, v, uom, error);
        } else if (u.type == QLatin1String("length")) {
            converted = inUnit(db_, v, uom, "length", 1.0, error);
        } else {
            converted = inUnit(db_, v, uom, "scale", 1.0, error);
        }
        if (!converted) return std::nullopt;
        values[param] = *converted;
    }
    const auto value = [&values](int param) {
        const auto it = values.find(param);
        return it == values.end() ? 0.0 : it->second;
    };
    const auto longitude = [&](int param) { return number(value(param) + *primeMeridian); };
    if (method == kTransverseMercator) {
        p.referenceLatitude = number(value(8801));
        p.centralMeridian = longitude(8802);
        p.scaleFactor = number(values.count(8805) ? value(8805) : 1.0);
        p.falseEasting = number(value(8806));
        p.falseNorthing = number(value(8807));
        p.useTmProjection = "1";
        p.useLambert = "0";
    } else if (method == kLambert1) {
        p.lccCentralParallel = number(value(8801));
        p.lccCentralMeridian = longitude(8802);
        p.lccScaleFactor = number(values.count(8805) ? value(8805) : 1.0);
        p.lccFalseEasting = number(value(8806));
        p.lccFalseNorthing = number(value(8807));
        p.useTmProjection = "0";
        p.useLambert = "1";
        p.useLambert1 = "1";
    } else {
        p.lccCentralParallel = number(value(8821));
        p.lccCentralMeridian = longitude(8822);
        p.lccStandardParallel1 = number(value(8823));
        p.lccStandardParallel2 = number(value(8824));
        p.lccFalseEasting = number(value(8826));
        p.lccFalseNorthing = number(value(8827));
        p.useTmProjection = "0";
        p.useLambert = "1";
        p.useLambert1 = "0";
    }

    out.geodeticCode = geodeticCode;
    p.epsgCode = QStringLiteral("EPSG:%1").arg(code).toStdString();
    p.epsgTransformation.clear();
    out.parameters = p;
    return out;
}

bool EpsgRegister::fillDatum(Filled& out, int code, std::optional<int> transformation,
                             QString* error) const {
    geodesy::GeodeticParameters& p = out.parameters;
    const int geodeticCode = out.geodeticCode;
    // The datum shift: WGS-84 itself needs none.
    if (geodeticCode == kWgs84 && !transformation) {
        for (std::string* s : {&p.scalePpm, &p.rotationX, &p.rotationY, &p.rotationZ, &p.shiftX,
                               &p.shiftY, &p.shiftZ})
            *s = "0";
        return true;
    }
    if (!transformation) {
        for (const TransformationMatch& t : transformationsToWgs84(code)) {
            if (t.supported) {
                transformation = t.code;
                break;
            }
        }
        if (!transformation) {
            *error = QStringLiteral(
                         "EPSG:%1 (%2): the register has no Helmert transformation of "
                         "its datum to WGS 84")
                         .arg(code)
                         .arg(out.crsName);
            return false;
        }
    }
    Query h(db_,
            "SELECT name, method_code, method_name, source_crs_code, target_crs_code, tx, ty, tz, "
            "translation_uom_code, rx, ry, rz, rotation_uom_code, scale_difference, "
            "scale_difference_uom_code FROM helmert_transformation "
            "WHERE auth_name = 'EPSG' AND code = ?");
    h.bind(1, *transformation);
    if (!h.next()) {
        Query other(db_,
                    "SELECT name, method_name FROM coordinate_operation_view "
                    "WHERE auth_name = 'EPSG' AND code = ?");
        other.bind(1, *transformation);
        *error = other.next() ? QStringLiteral(
                                    "EPSG:%1 (%2) uses the method '%3'; the program shifts the "
                                    "datum with Helmert transformations only")
                                    .arg(*transformation)
                                    .arg(other.text(0), other.text(1))
                              : QStringLiteral("EPSG:%1 is no transformation of the register")
                                    .arg(*transformation);
        return false;
    }
    out.transformationName = h.text(0);
    p.epsgTransformation = out.transformationName.toStdString();
    const int hm = h.integer(1);
    if (!helmertSupported(hm)) {
        *error = QStringLiteral(
                     "EPSG:%1 (%2) uses the method '%3'; the program takes geocentric "
                     "translations, position vector and coordinate frame "
                     "transformations")
                     .arg(*transformation)
                     .arg(out.transformationName, h.text(2));
        return false;
    }
    if (h.integer(3) != geodeticCode || h.integer(4) != kWgs84) {
        *error = QStringLiteral("EPSG:%1 (%2) does not go from the datum of EPSG:%3 to WGS 84")
                     .arg(*transformation)
                     .arg(out.transformationName)
                     .arg(code);
        return false;
    }
    double shift[3], rotation[3] = {0, 0, 0}, ppm = 0;
    for (int i = 0; i < 3; ++i) {
        const auto t = inUnit(db_, h.real(5 + i), h.integer(8), "length", 1.0, error);
        if (!t) return false;
        shift[i] = *t;
    }
    if (hm != kGeocentricTranslations) {
        for (int i = 0; i < 3; ++i) {
            const auto r = inUnit(db_, h.real(9 + i), h.integer(12), "angle", kArcSecond, error);
            if (!r) return false;
            // The program's rotations follow the coordinate frame convention.
            rotation[i] = hm == kPositionVector ? -*r : *r;
        }
        const auto s = inUnit(db_, h.real(13), h.integer(14), "scale", 1e-6, error);
        if (!s) return false;
        ppm = *s;
        // A datum's scale differs by a few ppm; thousands are a unit the register got wrong.
        if (std::abs(ppm) > 1000) {
            *error = QStringLiteral(
                         "EPSG:%1 (%2) gives a scale difference of %3 ppm, which no "
                         "datum has; check the transformation")
                         .arg(*transformation)
                         .arg(out.transformationName)
                         .arg(ppm);
            return false;
        }
    }
    p.shiftX = number(shift[0]);
    p.shiftY = number(shift[1]);
    p.shiftZ = number(shift[2]);
    p.rotationX = number(rotation[0] == 0 ? 0.0 : rotation[0]);
    p.rotationY = number(rotation[1] == 0 ? 0.0 : rotation[1]);
    p.rotationZ = number(rotation[2] == 0 ? 0.0 : rotation[2]);
    p.scalePpm = number(ppm == 0 ? 0.0 : ppm);
    return true;
}

}  // namespace nivora::crs
