// The exports against independent readers: GDAL's ogrinfo, gdalinfo,
// ogr2ogr and validate_gpkg.py read what was written, PROJ's cs2cs
// transforms with the written coordinate systems, and the thinning is
// worked out in the test from the rows it wrote.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <vector>

#include "geodesy/fix_projection.h"
#include "products/coverage_grid.h"
#include "products/export_formats.h"
#include "products/projection_wkt.h"

namespace nivora {
namespace {

// ---- The rows, as the survey writes them ------------------------------

struct Row {
    int second = 0;  // of the day, 2024-05-01
    double lat = 0, lon = 0, e = 0, n = 0, tide = 0, depthHi = 0, depthLo = 0;
    int fix = 4;
};

QByteArray text(const Row& r) {
    char line[400];
    const int s = r.second;
    std::snprintf(line, sizeof line,
                  "2024-05-01 %02d%02d%02d000,%.9f,%.9f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,"
                  "DESO 25,1500.00,0.50,%d,2.00,%.2f,0.00\n",
                  s / 3600, s / 60 % 60, s % 60, r.lat, r.lon, r.e, r.n, r.tide - r.depthHi,
                  r.tide - r.depthLo, r.depthHi, r.depthLo, r.depthHi, r.depthLo, r.fix, r.tide);
    return line;
}

const QByteArray kHeader =
    "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True Depth "
    "(Lo),Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK "
    "Antenna Height,Manual Tide,RTK Tide\n";

// Positions and depths on whole centimetres, so the rows hold them exactly.
std::vector<Row> rows(int count, unsigned seed, int firstSecond = 36000) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> cm(0, 4999), depth(150, 3000);
    std::vector<Row> out;
    for (int k = 0; k < count; ++k) {
        Row r;
        r.second = firstSecond + k;
        r.e = 585000 + cm(rng) / 100.0;
        r.n = 4430000 + cm(rng) / 100.0;
        r.lat = 40.0 + r.n * 1e-9;
        r.lon = 28.0 + r.e * 1e-9;
        r.tide = 0.35;
        r.depthHi = depth(rng) / 100.0;
        r.depthLo = r.depthHi + 0.1;
        out.push_back(r);
    }
    return out;
}

QString writeLog(const QString& path, const std::vector<Row>& rs, const QByteArray& extra = {}) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kHeader);
    for (const Row& r : rs)
        f.write(text(r));
    f.write(extra);
    return path;
}

// ---- The tools ----------------------------------------------------------

struct ToolRun {
    int exit = -1;
    QByteArray out;
};

ToolRun runTool(const QString& program, const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(program, args);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput() + p.readAllStandardError()};
}

bool have(const char* tool) {
    return !QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty();
}

#define NEED(tool) \
    if (!have(tool)) GTEST_SKIP() << tool << " is not installed"

const char* kValidator = "/usr/lib/python3/dist-packages/osgeo_utils/samples/validate_gpkg.py";

// ---- Coordinate systems -------------------------------------------------

geodesy::GeodeticParameters ed50Tm() {
    geodesy::GeodeticParameters p = geodesy::defaultGeodeticParameters();
    p.semiMajorAxis = "6378388";
    p.flattening = "0.00336700336700337";
    p.shiftX = "-84.1";
    p.shiftY = "-101.8";
    p.shiftZ = "-129.7";
    p.rotationX = "0.7";
    p.rotationY = "-1.2";
    p.rotationZ = "2.3";
    p.scalePpm = "1.05";
    p.centralMeridian = "27";
    p.referenceLatitude = "0";
    p.scaleFactor = "1";
    p.falseEasting = "500000";
    p.falseNorthing = "0";
    p.useTmProjection = "1";
    p.useLambert = "0";
    p.datumName = "ED50";
    return p;
}

geodesy::GeodeticParameters lambert(bool one) {
    geodesy::GeodeticParameters p = ed50Tm();
    p.useTmProjection = "0";
    p.useLambert = "1";
    p.useLambert1 = one ? "1" : "0";
    p.lccStandardParallel1 = "40";
    p.lccStandardParallel2 = "42";
    p.lccCentralParallel = one ? "41" : "39";
    p.lccCentralMeridian = "29";
    p.lccScaleFactor = one ? "0.9998" : "1";
    p.lccFalseEasting = "500000";
    p.lccFalseNorthing = "100000";
    return p;
}

// The largest distance between cs2cs with `crs` and the program's own fix,
// over points around the Sea of Marmara (WGS-84 latitude, longitude).
double worstAgainstEngine(const geodesy::GeodeticParameters& p, const QString& crs) {
    const std::pair<double, double> points[] = {
        {40.2, 27.5}, {40.9, 28.9}, {41.3, 29.8}, {39.8, 26.4}, {40.6, 30.2}};
    QByteArray input;
    for (const auto& [lat, lon] : points)
        input += QByteArray::number(lat, 'f', 9) + ' ' + QByteArray::number(lon, 'f', 9) + '\n';
    const ToolRun r = runTool(
        QStringLiteral("cs2cs"),
        {QStringLiteral("-f"), QStringLiteral("%.4f"), QStringLiteral("EPSG:4326"), crs}, input);
    EXPECT_EQ(r.exit, 0) << r.out.constData();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    EXPECT_EQ(lines.size(), 5) << r.out.constData();
    double worst = 0;
    for (qsizetype k = 0; k < lines.size() && k < 5; ++k) {
        const QList<QByteArray> f = lines[k].simplified().split(' ');
        const auto fix = geodesy::projectFix(p, points[k].first, points[k].second, 0);
        EXPECT_TRUE(fix.placed());
        worst = std::max({worst, std::abs(f.value(0).toDouble() - fix.easting),
                          std::abs(f.value(1).toDouble() - fix.northing)});
    }
    return worst;
}

TEST(ProjectionWkt, DescribesTheGridTheProgramComputes) {
    NEED("cs2cs");
    const std::pair<const char*, geodesy::GeodeticParameters> cases[] = {
        {"TM", ed50Tm()}, {"Lambert 1SP", lambert(true)}, {"Lambert 2SP", lambert(false)}};
    for (const auto& [name, p] : cases) {
        for (WktDialect d : {WktDialect::Esri, WktDialect::Ogc}) {
            const ProjectionWkt wkt = projectionWkt(p, d);
            ASSERT_TRUE(wkt.ok()) << name << ": " << wkt.error;
            // The program rounds the shifted position to 8 decimals (< 1 mm).
            EXPECT_LT(worstAgainstEngine(p, QString::fromStdString(wkt.text)), 0.003)
                << name << (d == WktDialect::Esri ? " ESRI " : " OGC ") << wkt.text;
        }
    }
}

TEST(ProjectionWkt, RotationsChangeConventionAndBadFieldsAreNamed) {
    const ProjectionWkt wkt = projectionWkt(ed50Tm(), WktDialect::Ogc);
    EXPECT_NE(wkt.text.find("TOWGS84[-84.1,-101.8,-129.7,-0.7,1.2,-2.3,1.05]"), std::string::npos)
        << wkt.text;
    geodesy::GeodeticParameters bad = ed50Tm();
    bad.centralMeridian = "27E";
    const ProjectionWkt none = projectionWkt(bad, WktDialect::Esri);
    EXPECT_FALSE(none.ok());
    EXPECT_NE(none.error.find("Central_Meridian"), std::string::npos) << none.error;
}

// ---- XYZ ----------------------------------------------------------------

struct Point {
    double e, n, z;
};

std::vector<Point> readXyz(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<Point> out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.isEmpty()) continue;
        const QList<QByteArray> v = line.split(' ');
        EXPECT_EQ(v.size(), 3) << line.constData();
        out.push_back({v.value(0).toDouble(), v.value(1).toDouble(), v.value(2).toDouble()});
    }
    return out;
}

class ExportTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const char* name) const { return dir_.filePath(QLatin1String(name)); }
    QStringList leftovers() const {
        return QDir(dir_.path())
            .entryList({QStringLiteral("*.part"), QStringLiteral("*~")},
                       QDir::Files | QDir::Hidden);
    }
    QTemporaryDir dir_;
};

TEST_F(ExportTest, XyzHoldsEveryRowWithTheChosenSignAndSkipsCorruptRows) {
    const std::vector<Row> rs = rows(200, 1);
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rs,
                                 "2024-05-01 100000000,40.1,28.1,oops\n2024-05-01 1000");
    for (DepthValue v : {DepthValue::Depth, DepthValue::Elevation, DepthValue::Reduced}) {
        ExportOptions o;
        o.values = v;
        const ExportResult r = exportXyz({log}, path("all.xyz"), o);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.rowsRead, 200);
        EXPECT_EQ(r.rowsSkipped, 2);
        const std::vector<Point> pts = readXyz(path("all.xyz"));
        ASSERT_EQ(pts.size(), rs.size());
        for (std::size_t k = 0; k < rs.size(); ++k) {
            const double want = v == DepthValue::Depth       ? rs[k].depthHi
                                : v == DepthValue::Elevation ? rs[k].tide - rs[k].depthHi
                                                             : rs[k].depthHi - rs[k].tide;
            EXPECT_NEAR(pts[k].e, rs[k].e, 1e-9);
            EXPECT_NEAR(pts[k].n, rs[k].n, 1e-9);
            ASSERT_NEAR(pts[k].z, want, 0.0051) << "row " << k;
        }
    }
}

// One point per cell, worked out here from the rows.
std::map<std::pair<long long, long long>, Point> thinned(const std::vector<Row>& rs, double size,
                                                         XyzThinning t, bool elevation) {
    std::map<std::pair<long long, long long>, std::vector<Point>> cells;
    for (const Row& r : rs) {
        const double z = elevation ? r.tide - r.depthHi : r.depthHi;
        cells[{static_cast<long long>(std::floor(r.e / size)),
               static_cast<long long>(std::floor(r.n / size))}]
            .push_back({r.e, r.n, z});
    }
    std::map<std::pair<long long, long long>, Point> out;
    for (const auto& [key, pts] : cells) {
        const double ce = (key.first + 0.5) * size, cn = (key.second + 0.5) * size;
        Point best = pts[0];
        double sum = 0;
        for (const Point& p : pts) {
            sum += p.z;
            const bool shoaler = elevation ? p.z > best.z : p.z < best.z;
            const bool nearer =
                std::hypot(p.e - ce, p.n - cn) < std::hypot(best.e - ce, best.n - cn);
            if ((t == XyzThinning::Shoalest && shoaler) || (t == XyzThinning::Nearest && nearer))
                best = p;
        }
        if (t == XyzThinning::Mean) best = {ce, cn, sum / static_cast<double>(pts.size())};
        out[key] = best;
    }
    return out;
}

TEST_F(ExportTest, XyzThinningKeepsOnePointPerCellAsWorkedOutFromTheRows) {
    const std::vector<Row> rs = rows(3000, 2);
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rs);
    for (XyzThinning t : {XyzThinning::Shoalest, XyzThinning::Mean, XyzThinning::Nearest}) {
        for (bool elevation : {false, true}) {
            ExportOptions o;
            o.thinning = t;
            o.cellSizeM = 4.0;
            o.decimals = 3;
            o.values = elevation ? DepthValue::Elevation : DepthValue::Depth;
            const ExportResult r = exportXyz({log}, path("thin.xyz"), o);
            ASSERT_TRUE(r.ok) << r.error.toStdString();
            const auto want = thinned(rs, 4.0, t, elevation);
            const std::vector<Point> got = readXyz(path("thin.xyz"));
            ASSERT_EQ(got.size(), want.size()) << xyzThinningWord(t);
            EXPECT_EQ(r.cells, static_cast<std::int64_t>(want.size()));
            for (const Point& p : got) {
                // A cell centre lies inside its cell; so does a sounding.
                const auto it = want.find({static_cast<long long>(std::floor(p.e / 4.0)),
                                           static_cast<long long>(std::floor(p.n / 4.0))});
                ASSERT_NE(it, want.end());
                EXPECT_NEAR(p.e, it->second.e, 0.0006);
                EXPECT_NEAR(p.n, it->second.n, 0.0006);
                ASSERT_NEAR(p.z, it->second.z, 0.0006)
                    << xyzThinningWord(t) << (elevation ? " elevation" : " depth");
            }
        }
    }
}

// ---- ESRI ASCII grid ----------------------------------------------------

TEST_F(ExportTest, AsciiGridReadsInGdalWithItsOriginCellAndRange) {
    NEED("gdalinfo");
    const std::vector<Row> rs = rows(2000, 3);
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rs);
    ExportOptions o;
    o.cellSizeM = 5.0;
    o.statistic = GridStatistic::Maximum;
    o.parameters = ed50Tm();
    const ExportResult r = exportAsciiGrid({log}, path("max.asc"), o);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_TRUE(QFile::exists(path("max.prj")));

    long long minI = 1LL << 60, maxI = -minI, minJ = minI, maxJ = -minI;
    std::map<std::pair<long long, long long>, double> maxOf;
    for (const Row& row : rs) {
        const long long i = static_cast<long long>(std::floor(row.e / 5)),
                        j = static_cast<long long>(std::floor(row.n / 5));
        minI = std::min(minI, i), maxI = std::max(maxI, i);
        minJ = std::min(minJ, j), maxJ = std::max(maxJ, j);
        auto [it, fresh] = maxOf.try_emplace({i, j}, row.depthHi);
        if (!fresh) it->second = std::max(it->second, row.depthHi);
    }
    double lo = 1e300, hi = -1e300;
    for (const auto& [key, v] : maxOf)
        lo = std::min(lo, v), hi = std::max(hi, v);

    const ToolRun info =
        runTool(QStringLiteral("gdalinfo"), {QStringLiteral("-mm"), path("max.asc")});
    ASSERT_EQ(info.exit, 0) << info.out.constData();
    const QByteArray out = info.out;
    char want[200];
    std::snprintf(want, sizeof want, "Size is %lld, %lld", maxI - minI + 1, maxJ - minJ + 1);
    EXPECT_TRUE(out.contains(want)) << out.constData();
    std::snprintf(want, sizeof want, "Origin = (%.15f,%.15f)", minI * 5.0, (maxJ + 1) * 5.0);
    EXPECT_TRUE(out.contains(want)) << out.constData();
    EXPECT_TRUE(out.contains("Pixel Size = (5.000000000000000,-5.000000000000000)"));
    EXPECT_TRUE(out.contains("NoData Value=-9999"));
    std::snprintf(want, sizeof want, "Computed Min/Max=%.3f,%.3f", lo, hi);
    EXPECT_TRUE(out.contains(want)) << want << "\n" << out.constData();
    EXPECT_TRUE(out.contains("Transverse Mercator") || out.contains("Transverse_Mercator"))
        << out.constData();
}

TEST(AsciiGrid, RefusesAGridBeyondTheLimitAndAnEmptyOne) {
    CoverageGrid grid(0.5);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QString error;
    EXPECT_FALSE(writeAsciiGrid(grid, GridStatistic::Mean, 2, buffer, &error));
    EXPECT_TRUE(error.contains(QLatin1String("no soundings"))) << error.toStdString();
    grid.add(0, 0, 5);
    grid.add(6000, 5000, 6);  // 12001 x 10001 cells of 0.5 m
    EXPECT_FALSE(writeAsciiGrid(grid, GridStatistic::Mean, 2, buffer, &error));
    EXPECT_TRUE(error.contains(QLatin1String("larger cell"))) << error.toStdString();
    EXPECT_EQ(buffer.size(), 0);
}

// ---- GeoPackage ---------------------------------------------------------

TEST_F(ExportTest, GeoPackageValidatesAndGdalReadsEveryLayerAndValue) {
    NEED("ogrinfo");
    NEED("ogr2ogr");
    // Two logs; the first with a 40 s gap: three runs, so three tracks.
    std::vector<Row> first = rows(50, 4);
    for (std::size_t k = 25; k < first.size(); ++k)
        first[k].second += 40;
    const std::vector<Row> second = rows(30, 5, 50000);
    QDir(dir_.path()).mkpath(QStringLiteral("2024-05-01/LOG"));
    writeLog(path("2024-05-01/LOG/2024-05-01 Coordinates.csv"), first, "not,a,row\n");
    writeLog(path("2024-05-01/LOG/2024-05-01 Coordinates_1.csv"), second);
    const QStringList logs = coordinateLogFiles({dir_.path()});
    ASSERT_EQ(logs.size(), 2);

    ExportOptions o;
    o.values = DepthValue::Elevation;
    o.parameters = ed50Tm();
    o.surveyLines = {
        {QStringLiteral("L001"), {{585000, 4430000}, {585050, 4430050}}},
        {QStringLiteral("L002"), {{585000, 4430010}, {585025, 4430020}, {585050, 4430060}}}};
    const QString out = path("day.gpkg");
    const ExportResult r = exportGeoPackage(logs, out, o);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.rowsRead, 80);
    EXPECT_EQ(r.rowsSkipped, 1);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();

    const ToolRun info =
        runTool(QStringLiteral("ogrinfo"), {QStringLiteral("-so"), QStringLiteral("-al"), out});
    ASSERT_EQ(info.exit, 0) << info.out.constData();
    for (const char* want :
         {"Layer name: soundings", "Layer name: tracks", "Layer name: survey_lines",
          "Feature Count: 80", "Feature Count: 3", "Feature Count: 2", "elevation: Real",
          "depth_hi: Real", "depth_lo: Real", "tide: Real", "fix_quality: Integer", "time: String",
          "latitude: Real", "longitude: Real", "name: String"})
        EXPECT_TRUE(info.out.contains(want)) << want << "\n" << info.out.constData();

    // Every sounding where its row put it, with its own values.
    const ToolRun csv = runTool(
        QStringLiteral("ogr2ogr"),
        {QStringLiteral("-f"), QStringLiteral("CSV"), QStringLiteral("/vsistdout/"), out,
         QStringLiteral("soundings"), QStringLiteral("-lco"), QStringLiteral("GEOMETRY=AS_XY")});
    ASSERT_EQ(csv.exit, 0) << csv.out.constData();
    const QList<QByteArray> lines = csv.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 81);
    EXPECT_EQ(lines[0].trimmed(),
              "X,Y,time,latitude,longitude,elevation,depth_hi,depth_lo,tide,fix_quality");
    std::vector<Row> all = first;
    all.insert(all.end(), second.begin(), second.end());
    for (std::size_t k = 0; k < all.size(); ++k) {
        const QList<QByteArray> f = lines[static_cast<qsizetype>(k + 1)].trimmed().split(',');
        ASSERT_EQ(f.size(), 10);
        EXPECT_DOUBLE_EQ(f[0].toDouble(), all[k].e);
        EXPECT_DOUBLE_EQ(f[1].toDouble(), all[k].n);
        const int s = all[k].second;
        char time[40];
        std::snprintf(time, sizeof time, "2024-05-01T%02d:%02d:%02d.000", s / 3600, s / 60 % 60,
                      s % 60);
        EXPECT_EQ(f[2], time);
        EXPECT_NEAR(f[5].toDouble(), all[k].tide - all[k].depthHi, 0.0051);
        EXPECT_NEAR(f[6].toDouble(), all[k].depthHi, 1e-9);
        EXPECT_EQ(QByteArray(f[9]).replace('"', "").toInt(), all[k].fix);  // quoted by GDAL
    }

    if (have("python3") && QFile::exists(QLatin1String(kValidator))) {
        const ToolRun valid = runTool(QStringLiteral("/usr/bin/python3"),
                                      {QLatin1String(kValidator), QStringLiteral("--extra"),
                                       QStringLiteral("--warning-as-error"), out});
        EXPECT_EQ(valid.exit, 0) << valid.out.constData();
    }
}

// Three levels of index nodes (more than 51 x 51 soundings): SQLite's own
// check of the tree, and GDAL's area query through it against a count of
// the rows in that area.
TEST_F(ExportTest, GeoPackageSpatialIndexHoldsEverySounding) {
    NEED("ogrinfo");
    const std::vector<Row> rs = rows(6000, 8);
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rs);
    ASSERT_TRUE(exportGeoPackage({log}, path("index.gpkg"), {}).ok);
    const ToolRun check = runTool(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); "
                        "print(*[c.execute(\"SELECT rtreecheck('rtree_%s_geom')\" % t)"
                        ".fetchone()[0] for t in ('soundings', 'tracks', 'survey_lines')])"),
         path("index.gpkg")});
    EXPECT_EQ(check.out.trimmed(), "ok ok ok") << check.out.constData();
    const double box[4] = {585010.5, 4430012.25, 585031.75, 4430040};
    long long inside = 0;
    for (const Row& r : rs)
        inside += r.e >= box[0] && r.e <= box[2] && r.n >= box[1] && r.n <= box[3];
    // ogr2ogr tests each candidate the index gives against the area itself.
    QStringList args = {QStringLiteral("-f"),          QStringLiteral("CSV"),
                        QStringLiteral("/vsistdout/"), path("index.gpkg"),
                        QStringLiteral("soundings"),   QStringLiteral("-spat")};
    for (double v : box)
        args << QString::number(v, 'f', 2);
    const ToolRun query = runTool(QStringLiteral("ogr2ogr"), args);
    EXPECT_EQ(query.out.trimmed().count('\n'), inside);  // less the header line
}

TEST_F(ExportTest, GeoPackageCoordinateSystemIsTheProgramsGrid) {
    NEED("cs2cs");
    NEED("ogrinfo");
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rows(10, 6));
    ExportOptions o;
    o.parameters = ed50Tm();
    ASSERT_TRUE(exportGeoPackage({log}, path("own.gpkg"), o).ok);
    // GDAL's reading of the package's system, through PROJ, against the
    // engine. The layer dies with its data source: keep both. GDAL drops
    // the shift of a datum it knows by name unless told not to.
    const ToolRun srs =
        runTool(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"),
                 QStringLiteral("import sys; from osgeo import gdal, ogr; "
                                "gdal.SetConfigOption('OSR_STRIP_TOWGS84', 'NO'); "
                                "ds = ogr.Open(sys.argv[1]); "
                                "print(ds.GetLayer('soundings').GetSpatialRef().ExportToWkt())"),
                 path("own.gpkg")});
    if (srs.exit != 0) GTEST_SKIP() << "python3-gdal: " << srs.out.constData();
    EXPECT_TRUE(srs.out.contains("TOWGS84[")) << srs.out.constData();
    EXPECT_LT(worstAgainstEngine(*o.parameters, QString::fromUtf8(srs.out.trimmed())), 0.003);

    // From the register: organisation EPSG and the code.
    o.parameters->epsgCode = "EPSG:23035";
    ASSERT_TRUE(exportGeoPackage({log}, path("epsg.gpkg"), o).ok);
    const ToolRun rows =
        runTool(QStringLiteral("ogrinfo"),
                {path("epsg.gpkg"), QStringLiteral("-sql"),
                 QStringLiteral("SELECT organization, organization_coordsys_id "
                                "FROM gpkg_spatial_ref_sys WHERE srs_id = 23035")});
    EXPECT_TRUE(rows.out.contains("organization (String) = EPSG")) << rows.out.constData();
    EXPECT_TRUE(rows.out.contains("organization_coordsys_id (Integer") &&
                rows.out.contains(") = 23035"))
        << rows.out.constData();
}

// ---- Cancel and failures ------------------------------------------------

TEST_F(ExportTest, CancelledOrFailedExportsLeaveNoFileAndKeepAnOlderOne) {
    // More rows than the reader reports progress for, so the cancel comes
    // in the middle of the reading.
    const QString log = writeLog(path("2024-05-01 Coordinates.csv"), rows(70000, 7));
    for (const ExportFormatInfo& f : exportFormats()) {
        const QString fresh = path("fresh.") + QLatin1String(f.extension);
        const QString older = path("older.") + QLatin1String(f.extension);
        QFile keep(older);
        ASSERT_TRUE(keep.open(QIODevice::WriteOnly));
        keep.write("older");
        keep.close();
        int calls = 0;
        const auto cancel = [&calls](qint64 done, qint64 total) {
            ++calls;
            return done < total / 2;
        };
        ExportOptions o;
        for (const QString& out : {fresh, older}) {
            calls = 0;
            const ExportResult r = exportSoundings(f.format, {log}, out, o, cancel);
            EXPECT_FALSE(r.ok) << f.word;
            EXPECT_TRUE(r.cancelled) << f.word;
            EXPECT_GT(calls, 0);
        }
        EXPECT_FALSE(QFile::exists(fresh)) << f.word;
        QFile again(older);
        ASSERT_TRUE(again.open(QIODevice::ReadOnly));
        EXPECT_EQ(again.readAll(), "older") << f.word;
        EXPECT_TRUE(leftovers().isEmpty()) << f.word;

        // An output folder that is not there is named.
        const QString nowhere = path("missing/out.") + QLatin1String(f.extension);
        const ExportResult r = exportSoundings(f.format, {log}, nowhere, o);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(QLatin1String("missing"))) << r.error.toStdString();
        EXPECT_FALSE(QFile::exists(nowhere));
    }
    // A log that is not there is named too.
    const ExportResult r = exportXyz({path("gone.csv")}, path("x.xyz"), {});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QLatin1String("gone.csv"))) << r.error.toStdString();
}

TEST(ExportFormats, TableGivesEachFormatByWordAndExtensionAndAFilter) {
    const QString filters = exportFileFilters();
    for (const ExportFormatInfo& f : exportFormats()) {
        EXPECT_EQ(findExportFormat(QString::fromLatin1(f.extension).toUpper()), &f);
        EXPECT_TRUE(filters.contains(QStringLiteral("(*.%1)").arg(QLatin1String(f.extension))));
    }
    EXPECT_EQ(findExportFormat(u"shp"), nullptr);
}

}  // namespace
}  // namespace nivora
