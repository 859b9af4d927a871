#include "products/geopackage_writer.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "products/projection_wkt.h"

namespace nivora {

namespace {

constexpr int kApplicationId = 0x47504B47;  // "GPKG"
constexpr int kUserVersion = 10200;
constexpr int kOwnSrsId = 100000;
constexpr bool kLittleEndian = std::endian::native == std::endian::little;

struct Extent {
    double minX = std::numeric_limits<double>::infinity();
    double minY = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    double maxY = -std::numeric_limits<double>::infinity();
    bool empty() const { return minX > maxX; }
    void add(double x, double y) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
};

class Statement {
  public:
    Statement() = default;
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool prepare(sqlite3* db, const std::string& sql) {
        sqlite3_finalize(s_);
        s_ = nullptr;
        return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s_, nullptr) ==
               SQLITE_OK;
    }
    sqlite3_stmt* get() const { return s_; }
    // Runs the bound statement once and makes it ready for the next row.
    bool step() {
        const int rc = sqlite3_step(s_);
        sqlite3_reset(s_);
        return rc == SQLITE_DONE;
    }
    void finalize() {
        sqlite3_finalize(s_);
        s_ = nullptr;
    }

  private:
    sqlite3_stmt* s_ = nullptr;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
void civilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// "2024-05-01T09:30:07.250": the logs' local time, so no zone is claimed.
int isoTime(std::int64_t ms, char out[32]) {
    std::int64_t days = ms / 86400000;
    std::int64_t rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    int y = 0, m = 0, d = 0;
    civilFromDays(days, y, m, d);
    const int msec = static_cast<int>(rest % 1000);
    const int sec = static_cast<int>(rest / 1000);
    if (y < 0 || y > 9999) y = 0;
    char* p = out;
    auto two = [&p](int v) {
        *p++ = static_cast<char>('0' + v / 10);
        *p++ = static_cast<char>('0' + v % 10);
    };
    two(y / 100);
    two(y % 100);
    *p++ = '-';
    two(m);
    *p++ = '-';
    two(d);
    *p++ = 'T';
    two(sec / 3600);
    *p++ = ':';
    two(sec / 60 % 60);
    *p++ = ':';
    two(sec % 60);
    *p++ = '.';
    *p++ = static_cast<char>('0' + msec / 100);
    two(msec % 100);
    return static_cast<int>(p - out);
}

// GeoPackage binary: "GP", version 0, flags (byte order; envelope), srs_id,
// the envelope, then the WKB in the same byte order.
class GeometryBlob {
  public:
    void point(int srsId, double x, double y) {
        b_.clear();
        header(srsId, false);
        wkbHeader(1);
        put(x);
        put(y);
    }
    void lineString(int srsId, const std::vector<double>& xy) {
        b_.clear();
        header(srsId, true);
        Extent e;
        for (std::size_t i = 0; i + 1 < xy.size(); i += 2)
            e.add(xy[i], xy[i + 1]);
        put(e.minX);
        put(e.maxX);
        put(e.minY);
        put(e.maxY);
        wkbHeader(2);
        put(static_cast<std::uint32_t>(xy.size() / 2));
        const std::size_t at = b_.size();
        b_.resize(at + xy.size() * sizeof(double));
        std::memcpy(b_.data() + at, xy.data(), xy.size() * sizeof(double));
    }
    const unsigned char* data() const { return b_.data(); }
    int size() const { return static_cast<int>(b_.size()); }

  private:
    void header(int srsId, bool envelope) {
        b_.push_back('G');
        b_.push_back('P');
        b_.push_back(0);
        b_.push_back(static_cast<unsigned char>((kLittleEndian ? 1 : 0) | (envelope ? 2 : 0)));
        put(static_cast<std::int32_t>(srsId));
    }
    void wkbHeader(std::uint32_t type) {
        b_.push_back(kLittleEndian ? 1 : 0);
        put(type);
    }
    template <typename T>
    void put(T v) {
        const std::size_t at = b_.size();
        b_.resize(at + sizeof v);
        std::memcpy(b_.data() + at, &v, sizeof v);
    }
    std::vector<unsigned char> b_;
};

// The spatial index written as SQLite's rtree module keeps it, node by node
// in the order the soundings come: a survey's rows follow the boat, so 51
// consecutive soundings make a small box, and the index is built in one
// pass with a few nodes in memory. Inserting into the virtual table instead
// costs some 8 us a row, four times all the rest of the writing.
class PackedRtree {
  public:
    static constexpr std::size_t kCells = 51;  // the module's most per node

    bool prepare(sqlite3* db, const std::string& rtree) {
        return node_.prepare(db, "INSERT OR REPLACE INTO " + rtree + "_node VALUES (?, ?)") &&
               rowid_.prepare(db, "INSERT INTO " + rtree + "_rowid VALUES (?, ?)") &&
               parent_.prepare(db, "INSERT INTO " + rtree + "_parent VALUES (?, ?)");
    }
    void finalize() {
        node_.finalize();
        rowid_.finalize();
        parent_.finalize();
    }
    bool add(std::int64_t id, double minX, double maxX, double minY, double maxY) {
        if (levels_.empty()) levels_.resize(1);
        levels_[0].push_back({id, {down(minX), up(maxX), down(minY), up(maxY)}});
        return levels_[0].size() < kCells || write(0, false);
    }
    // The nodes still open, up to the root (node 1).
    bool finish() {
        for (std::size_t l = 0; l < levels_.size(); ++l) {
            const bool top = l + 1 == levels_.size();
            if (top && written_.size() <= l) return levels_[l].empty() || write(l, true);
            if (!levels_[l].empty() && !write(l, false)) return false;
        }
        return true;
    }

  private:
    struct Cell {
        std::int64_t id;
        float box[4];  // min x, max x, min y, max y
    };
    // Boxes of floats that hold the doubles, as the module rounds them.
    static float down(double v) {
        float f = static_cast<float>(v);
        return static_cast<double>(f) > v ? std::nextafter(f, -HUGE_VALF) : f;
    }
    static float up(double v) {
        float f = static_cast<float>(v);
        return static_cast<double>(f) < v ? std::nextafter(f, HUGE_VALF) : f;
    }
    template <typename T>
    static void putBig(unsigned char*& p, T v) {
        unsigned char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        for (std::size_t i = 0; i < sizeof v; ++i)
            *p++ = kLittleEndian ? b[sizeof v - 1 - i] : b[i];
    }

    bool write(std::size_t level, bool root) {
        std::vector<Cell>& cells = levels_[level];
        const std::int64_t number = root ? 1 : next_++;
        unsigned char blob[4 + kCells * 24] = {};
        unsigned char* p = blob;
        putBig(p, static_cast<std::uint16_t>(root ? level : 0));
        putBig(p, static_cast<std::uint16_t>(cells.size()));
        Cell box{number, {HUGE_VALF, -HUGE_VALF, HUGE_VALF, -HUGE_VALF}};
        for (const Cell& c : cells) {
            putBig(p, c.id);
            for (float v : c.box)
                putBig(p, v);
            box.box[0] = std::min(box.box[0], c.box[0]);
            box.box[1] = std::max(box.box[1], c.box[1]);
            box.box[2] = std::min(box.box[2], c.box[2]);
            box.box[3] = std::max(box.box[3], c.box[3]);
            // Leaves say where each feature is; inner nodes where each child is.
            Statement& link = level == 0 ? rowid_ : parent_;
            sqlite3_bind_int64(link.get(), 1, c.id);
            sqlite3_bind_int64(link.get(), 2, number);
            if (!link.step()) return false;
        }
        sqlite3_bind_int64(node_.get(), 1, number);
        // The module reads every node at its full size.
        sqlite3_bind_blob(node_.get(), 2, blob, sizeof blob, SQLITE_STATIC);
        if (!node_.step()) return false;
        cells.clear();
        if (root) return true;
        if (written_.size() <= level) written_.resize(level + 1, 0);
        ++written_[level];
        if (levels_.size() <= level + 1) levels_.resize(level + 2);
        levels_[level + 1].push_back(box);
        return levels_[level + 1].size() < kCells || write(level + 1, false);
    }

    Statement node_, rowid_, parent_;
    std::vector<std::vector<Cell>> levels_;  // cells waiting for their node, leaves first
    std::vector<std::int64_t> written_;      // nodes written at each level
    std::int64_t next_ = 2;                  // node 1 is the root
};

std::string sqlText(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string rtreeTriggers(const std::string& t) {
    const std::string r = "rtree_" + t + "_geom";
    const std::string insert = "INSERT OR REPLACE INTO " + r +
                               " VALUES (NEW.fid, ST_MinX(NEW.geom), ST_MaxX(NEW.geom), "
                               "ST_MinY(NEW.geom), ST_MaxY(NEW.geom));";
    return "CREATE TRIGGER " + r + "_insert AFTER INSERT ON " + t +
           " WHEN (new.geom NOT NULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN " + insert +
           " END;"
           "CREATE TRIGGER " +
           r + "_update1 AFTER UPDATE OF geom ON " + t +
           " WHEN OLD.fid = NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN " +
           insert +
           " END;"
           "CREATE TRIGGER " +
           r + "_update2 AFTER UPDATE OF geom ON " + t +
           " WHEN OLD.fid = NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN "
           "DELETE FROM " +
           r +
           " WHERE id = OLD.fid; END;"
           "CREATE TRIGGER " +
           r + "_update3 AFTER UPDATE OF geom ON " + t +
           " WHEN OLD.fid != NEW.fid AND (NEW.geom NOTNULL AND NOT ST_IsEmpty(NEW.geom)) BEGIN "
           "DELETE FROM " +
           r + " WHERE id = OLD.fid; " + insert +
           " END;"
           "CREATE TRIGGER " +
           r + "_update4 AFTER UPDATE ON " + t +
           " WHEN OLD.fid != NEW.fid AND (NEW.geom ISNULL OR ST_IsEmpty(NEW.geom)) BEGIN "
           "DELETE FROM " +
           r +
           " WHERE id IN (OLD.fid, NEW.fid); END;"
           "CREATE TRIGGER " +
           r + "_delete AFTER DELETE ON " + t + " WHEN old.geom NOT NULL BEGIN DELETE FROM " + r +
           " WHERE id = OLD.fid; END;";
}

struct Layer {
    const char* table;
    const char* geometryType;
    const char* description;
};

constexpr Layer kSoundingsLayer{"soundings", "POINT", "Soundings of the coordinate logs"};
constexpr Layer kTracksLayer{"tracks", "LINESTRING",
                             "The boat's track, a line for each continuous run of soundings"};
constexpr Layer kLinesLayer{"survey_lines", "LINESTRING", "The planned survey lines"};

}  // namespace

const char* geoPackageValueColumn(DepthValue v) {
    switch (v) {
        case DepthValue::Reduced:
            return "reduced_depth";
        case DepthValue::Elevation:
            return "elevation";
        case DepthValue::Depth:
            break;
    }
    return "depth";
}

bool GeoPackageCrs::fromParameters(const geodesy::GeodeticParameters& p, GeoPackageCrs& out,
                                   std::string* error) {
    const ProjectionWkt wkt = projectionWkt(p, WktDialect::Ogc);
    if (!wkt.ok()) {
        if (error) *error = wkt.error;
        return false;
    }
    GeoPackageCrs crs;
    crs.definition = wkt.text;
    crs.name = p.datumName.empty() ? std::string("Survey grid") : p.datumName + " survey grid";
    crs.description = "The grid the survey placed its soundings in";
    int code = 0;
    const std::string prefix = "EPSG:";
    if (p.epsgCode.size() > prefix.size() && p.epsgCode.compare(0, prefix.size(), prefix) == 0) {
        const std::string digits = p.epsgCode.substr(prefix.size());
        if (digits.size() < 9 &&
            std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
            code = std::stoi(digits);
    }
    // srs_id 4326 is WGS-84 itself; a projected code never collides with it.
    if (code > 0 && code != 4326) {
        crs.srsId = code;
        crs.organization = "EPSG";
        crs.organizationId = code;
        if (!p.epsgTransformation.empty())
            crs.description += ", shifted to WGS 84 by " + p.epsgTransformation;
    } else {
        crs.srsId = kOwnSrsId;
        crs.organization = "NONE";
        crs.organizationId = kOwnSrsId;
    }
    out = crs;
    return true;
}

struct GeoPackageWriter::Db {
    sqlite3* db = nullptr;
    int srsId = -1;
    Statement insertSounding, insertTrack, insertLine;
    PackedRtree rtreeSoundings, rtreeTracks, rtreeLines;
    GeometryBlob blob;
    Extent soundingsExtent, tracksExtent, linesExtent;

    // The track being collected.
    std::vector<double> track;  // x, y, x, y...
    std::int64_t trackStartMs = 0, trackEndMs = 0, trackSoundings = 0;
    bool trackOpen = false;

    ~Db() { close(); }
    void close() {
        for (Statement* s : {&insertSounding, &insertTrack, &insertLine})
            s->finalize();
        for (PackedRtree* r : {&rtreeSoundings, &rtreeTracks, &rtreeLines})
            r->finalize();
        if (db) sqlite3_close(db);
        db = nullptr;
    }
    bool exec(const std::string& sql) {
        return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    QString message() const {
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("no database");
    }
};

GeoPackageWriter::GeoPackageWriter() = default;

GeoPackageWriter::~GeoPackageWriter() {
    discard();
}

void GeoPackageWriter::discard() {
    if (db_) db_->close();
    db_.reset();
    if (!tempPath_.isEmpty()) QFile::remove(tempPath_);
    tempPath_.clear();
}

bool GeoPackageWriter::fail(const QString& what) {
    error_ = db_ ? QStringLiteral("%1: %2 (%3)")
                       .arg(QDir::toNativeSeparators(path_), what, db_->message())
                 : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path_), what);
    discard();
    return false;
}

bool GeoPackageWriter::open(const QString& path, DepthValue values, const GeoPackageCrs& crs) {
    discard();
    error_.clear();
    path_ = path;
    soundings_ = tracks_ = surveyLines_ = 0;
    const QFileInfo info(path);
    if (info.isDir()) return fail(QStringLiteral("is a folder"));
    if (!info.absoluteDir().exists())
        return fail(QStringLiteral("the folder %1 does not exist")
                        .arg(QDir::toNativeSeparators(info.absolutePath())));
    // A fresh name beside the final one, made with the folder's usual
    // permissions (a temporary file's would be the owner's alone).
    for (int attempt = 0; attempt < 16 && tempPath_.isEmpty(); ++attempt) {
        const QString name =
            info.absoluteFilePath() +
            QStringLiteral(".%1.part")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QFile temp(name);
        if (temp.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            tempPath_ = name;
        } else if (QFile::exists(name)) {
            continue;
        } else {
            return fail(
                QStringLiteral("cannot write in %1 (%2)")
                    .arg(QDir::toNativeSeparators(info.absolutePath()), temp.errorString()));
        }
    }
    if (tempPath_.isEmpty()) return fail(QStringLiteral("cannot make a temporary file"));
    db_ = std::make_unique<Db>();
    db_->srsId = crs.srsId;
    if (sqlite3_open_v2(QFile::encodeName(tempPath_).constData(), &db_->db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("cannot open"));
    // Nobody else sees the temporary file, and a failure throws it away:
    // no journal and no syncs until it is whole.
    const std::string pragmas = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                                ";PRAGMA user_version = " + std::to_string(kUserVersion) +
                                ";PRAGMA journal_mode = OFF;PRAGMA synchronous = OFF;"
                                "PRAGMA locking_mode = EXCLUSIVE;PRAGMA cache_size = -65536;";
    if (!db_->exec(pragmas)) return fail(QStringLiteral("cannot set up the database"));
    if (!db_->exec("BEGIN")) return fail(QStringLiteral("cannot begin"));

    std::string schema =
        "CREATE TABLE gpkg_spatial_ref_sys (srs_name TEXT NOT NULL, srs_id INTEGER NOT NULL "
        "PRIMARY KEY, organization TEXT NOT NULL, organization_coordsys_id INTEGER NOT NULL, "
        "definition TEXT NOT NULL, description TEXT);"
        "CREATE TABLE gpkg_contents (table_name TEXT NOT NULL PRIMARY KEY, data_type TEXT NOT "
        "NULL, identifier TEXT UNIQUE, description TEXT DEFAULT '', last_change DATETIME NOT "
        "NULL DEFAULT (strftime('%Y-%m-%dT%H:%M:%fZ','now')), min_x DOUBLE, min_y DOUBLE, "
        "max_x DOUBLE, max_y DOUBLE, srs_id INTEGER, CONSTRAINT fk_gc_r_srs_id FOREIGN KEY "
        "(srs_id) REFERENCES gpkg_spatial_ref_sys(srs_id));"
        "CREATE TABLE gpkg_geometry_columns (table_name TEXT NOT NULL, column_name TEXT NOT "
        "NULL, geometry_type_name TEXT NOT NULL, srs_id INTEGER NOT NULL, z TINYINT NOT NULL, "
        "m TINYINT NOT NULL, CONSTRAINT pk_geom_cols PRIMARY KEY (table_name, column_name), "
        "CONSTRAINT uk_gc_table_name UNIQUE (table_name), CONSTRAINT fk_gc_tn FOREIGN KEY "
        "(table_name) REFERENCES gpkg_contents(table_name), CONSTRAINT fk_gc_srs FOREIGN KEY "
        "(srs_id) REFERENCES gpkg_spatial_ref_sys (srs_id));"
        "CREATE TABLE gpkg_extensions (table_name TEXT, column_name TEXT, extension_name TEXT "
        "NOT NULL, definition TEXT NOT NULL, scope TEXT NOT NULL, CONSTRAINT ge_tce UNIQUE "
        "(table_name, column_name, extension_name));"
        "INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined cartesian SRS', -1, 'NONE', -1, "
        "'undefined', 'undefined cartesian coordinate reference system');"
        "INSERT INTO gpkg_spatial_ref_sys VALUES ('Undefined geographic SRS', 0, 'NONE', 0, "
        "'undefined', 'undefined geographic coordinate reference system');"
        "INSERT INTO gpkg_spatial_ref_sys VALUES ('WGS 84 geodetic', 4326, 'EPSG', 4326, " +
        sqlText(std::string(wgs84GeographicWkt())) +
        ", 'longitude/latitude coordinates in decimal degrees on the WGS 84 spheroid');";
    if (crs.srsId != -1 && crs.srsId != 0 && crs.srsId != 4326) {
        schema += "INSERT INTO gpkg_spatial_ref_sys VALUES (" + sqlText(crs.name) + ", " +
                  std::to_string(crs.srsId) + ", " + sqlText(crs.organization) + ", " +
                  std::to_string(crs.organizationId) + ", " + sqlText(crs.definition) + ", " +
                  sqlText(crs.description) + ");";
    }
    const std::string value = geoPackageValueColumn(values);
    schema +=
        "CREATE TABLE soundings (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, geom POINT, "
        "time TEXT, latitude DOUBLE, longitude DOUBLE, " +
        value +
        " DOUBLE, depth_hi DOUBLE, depth_lo DOUBLE, tide DOUBLE, fix_quality MEDIUMINT);"
        "CREATE TABLE tracks (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, geom LINESTRING, "
        "start_time TEXT, end_time TEXT, soundings INTEGER, length DOUBLE);"
        "CREATE TABLE survey_lines (fid INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL, geom "
        "LINESTRING, name TEXT, length DOUBLE);";
    for (const Layer& l : {kSoundingsLayer, kTracksLayer, kLinesLayer}) {
        const std::string t = l.table;
        schema +=
            "INSERT INTO gpkg_contents (table_name, data_type, identifier, description, "
            "srs_id) VALUES ('" +
            t + "', 'features', '" + t + "', " + sqlText(l.description) + ", " +
            std::to_string(crs.srsId) +
            ");"
            "INSERT INTO gpkg_geometry_columns VALUES ('" +
            t + "', 'geom', '" + l.geometryType + "', " + std::to_string(crs.srsId) +
            ", 0, 0);"
            "CREATE VIRTUAL TABLE rtree_" +
            t +
            "_geom USING rtree(id, minx, maxx, miny, maxy);"
            "INSERT INTO gpkg_extensions VALUES ('" +
            t +
            "', 'geom', 'gpkg_rtree_index', "
            "'http://www.geopackage.org/spec120/#extension_rtree', 'write-only');";
    }
    if (!db_->exec(schema)) return fail(QStringLiteral("cannot create the tables"));
    const bool prepared =
        db_->insertSounding.prepare(
            db_->db, "INSERT INTO soundings (geom, time, latitude, longitude, " + value +
                         ", depth_hi, depth_lo, tide, fix_quality) VALUES "
                         "(?, ?, ?, ?, ?, ?, ?, ?, ?)") &&
        db_->insertTrack.prepare(db_->db,
                                 "INSERT INTO tracks (geom, start_time, end_time, soundings, "
                                 "length) VALUES (?, ?, ?, ?, ?)") &&
        db_->insertLine.prepare(db_->db,
                                "INSERT INTO survey_lines (geom, name, length) VALUES (?, ?, ?)") &&
        db_->rtreeSoundings.prepare(db_->db, "rtree_soundings_geom") &&
        db_->rtreeTracks.prepare(db_->db, "rtree_tracks_geom") &&
        db_->rtreeLines.prepare(db_->db, "rtree_survey_lines_geom");
    if (!prepared) return fail(QStringLiteral("cannot prepare the inserts"));
    valueMode_ = values;
    return true;
}

namespace {

double lengthOf(const std::vector<double>& xy) {
    double sum = 0;
    for (std::size_t i = 2; i + 1 < xy.size(); i += 2)
        sum += std::hypot(xy[i] - xy[i - 2], xy[i + 1] - xy[i - 1]);
    return sum;
}

}  // namespace

bool GeoPackageWriter::addSounding(const SoundingRecord& r) {
    if (!db_) return false;
    Db& d = *db_;
    if (d.trackOpen &&
        (r.timeMs - d.trackEndMs > kTrackGapMs || r.timeMs < d.trackEndMs - kTrackGapMs)) {
        if (!flushTrack()) return false;
    }
    sqlite3_stmt* s = d.insertSounding.get();
    d.blob.point(d.srsId, r.easting, r.northing);
    char time[32];
    const int timeLength = isoTime(r.timeMs, time);
    sqlite3_bind_blob(s, 1, d.blob.data(), d.blob.size(), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, time, timeLength, SQLITE_STATIC);
    sqlite3_bind_double(s, 3, r.latitude);
    sqlite3_bind_double(s, 4, r.longitude);
    sqlite3_bind_double(s, 5, valueOf(r, valueMode_));
    sqlite3_bind_double(s, 6, r.depthHi);
    sqlite3_bind_double(s, 7, r.depthLo);
    sqlite3_bind_double(s, 8, r.tide);
    sqlite3_bind_int(s, 9, r.fixQuality);
    if (!d.insertSounding.step()) return fail(QStringLiteral("cannot write a sounding"));
    const sqlite3_int64 fid = sqlite3_last_insert_rowid(d.db);
    if (!d.rtreeSoundings.add(fid, r.easting, r.easting, r.northing, r.northing))
        return fail(QStringLiteral("cannot index a sounding"));
    d.soundingsExtent.add(r.easting, r.northing);
    ++soundings_;

    // The echosounder pings faster than the receiver fixes: a position
    // repeated draws nothing new.
    const std::size_t n = d.track.size();
    if (!d.trackOpen) {
        d.trackOpen = true;
        d.trackStartMs = r.timeMs;
        d.trackSoundings = 0;
    }
    if (n < 2 || d.track[n - 2] != r.easting || d.track[n - 1] != r.northing) {
        d.track.push_back(r.easting);
        d.track.push_back(r.northing);
    }
    d.trackEndMs = r.timeMs;
    ++d.trackSoundings;
    if (d.track.size() / 2 >= kMaxTrackVertices) {
        const double x = d.track[d.track.size() - 2], y = d.track.back();
        const std::int64_t end = d.trackEndMs;
        if (!flushTrack()) return false;
        // The next piece starts where this one ended.
        d.track = {x, y};
        d.trackOpen = true;
        d.trackStartMs = end;
        d.trackEndMs = end;
        d.trackSoundings = 0;
    }
    return true;
}

void GeoPackageWriter::breakTrack() {
    if (db_ && db_->trackOpen) flushTrack();
}

bool GeoPackageWriter::flushTrack() {
    Db& d = *db_;
    d.trackOpen = false;
    // A run that never moved draws no line.
    if (d.track.size() < 4) {
        d.track.clear();
        return true;
    }
    sqlite3_stmt* s = d.insertTrack.get();
    d.blob.lineString(d.srsId, d.track);
    char start[32], end[32];
    const int startLength = isoTime(d.trackStartMs, start);
    const int endLength = isoTime(d.trackEndMs, end);
    sqlite3_bind_blob(s, 1, d.blob.data(), d.blob.size(), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, start, startLength, SQLITE_STATIC);
    sqlite3_bind_text(s, 3, end, endLength, SQLITE_STATIC);
    sqlite3_bind_int64(s, 4, d.trackSoundings);
    sqlite3_bind_double(s, 5, lengthOf(d.track));
    if (!d.insertTrack.step()) return fail(QStringLiteral("cannot write a track"));
    Extent e;
    for (std::size_t i = 0; i + 1 < d.track.size(); i += 2)
        e.add(d.track[i], d.track[i + 1]);
    if (!d.rtreeTracks.add(sqlite3_last_insert_rowid(d.db), e.minX, e.maxX, e.minY, e.maxY))
        return fail(QStringLiteral("cannot index a track"));
    d.tracksExtent.add(e.minX, e.minY);
    d.tracksExtent.add(e.maxX, e.maxY);
    d.track.clear();
    ++tracks_;
    return true;
}

bool GeoPackageWriter::addSurveyLine(const SurveyLine& line) {
    if (!db_) return false;
    Db& d = *db_;
    std::vector<double> xy;
    xy.reserve(line.points.size() * 2);
    Extent e;
    for (const QPointF& p : line.points) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) continue;
        xy.push_back(p.x());
        xy.push_back(p.y());
        e.add(p.x(), p.y());
    }
    if (xy.size() < 4) return true;  // no line to draw
    sqlite3_stmt* s = d.insertLine.get();
    d.blob.lineString(d.srsId, xy);
    const QByteArray name = line.name.toUtf8();
    sqlite3_bind_blob(s, 1, d.blob.data(), d.blob.size(), SQLITE_STATIC);
    sqlite3_bind_text(s, 2, name.constData(), static_cast<int>(name.size()), SQLITE_STATIC);
    sqlite3_bind_double(s, 3, lengthOf(xy));
    if (!d.insertLine.step()) return fail(QStringLiteral("cannot write a survey line"));
    if (!d.rtreeLines.add(sqlite3_last_insert_rowid(d.db), e.minX, e.maxX, e.minY, e.maxY))
        return fail(QStringLiteral("cannot index a survey line"));
    d.linesExtent.add(e.minX, e.minY);
    d.linesExtent.add(e.maxX, e.maxY);
    ++surveyLines_;
    return true;
}

bool GeoPackageWriter::finish() {
    if (!db_) return false;
    Db& d = *db_;
    if (d.trackOpen && !flushTrack()) return false;
    std::string sql;
    const std::pair<const Layer*, const Extent*> layers[] = {{&kSoundingsLayer, &d.soundingsExtent},
                                                             {&kTracksLayer, &d.tracksExtent},
                                                             {&kLinesLayer, &d.linesExtent}};
    for (const auto& [layer, e] : layers) {
        const std::string t = layer->table;
        if (!e->empty()) {
            char numbers[160];
            std::snprintf(numbers, sizeof numbers,
                          "min_x = %.17g, min_y = %.17g, max_x = %.17g, max_y = %.17g", e->minX,
                          e->minY, e->maxX, e->maxY);
            sql += "UPDATE gpkg_contents SET " + std::string(numbers) + " WHERE table_name = '" +
                   t + "';";
        }
        // The triggers keep the index current for whoever edits the package
        // later; our own rows are indexed by the packed tree.
        sql += rtreeTriggers(t);
    }
    if (!d.rtreeSoundings.finish() || !d.rtreeTracks.finish() || !d.rtreeLines.finish())
        return fail(QStringLiteral("cannot write the spatial index"));
    if (!d.exec(sql)) return fail(QStringLiteral("cannot write the extents"));
    if (!d.exec("COMMIT")) return fail(QStringLiteral("cannot commit"));
    d.close();
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(tempPath_.toStdU16String()),
                            std::filesystem::path(path_.toStdU16String()), ec);
    if (ec) {
        error_ = QStringLiteral("%1: cannot put the package in place (%2)")
                     .arg(QDir::toNativeSeparators(path_), QString::fromStdString(ec.message()));
        discard();
        return false;
    }
    tempPath_.clear();
    db_.reset();
    return true;
}

}  // namespace nivora
