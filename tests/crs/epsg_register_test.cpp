// Coordinate systems and transformations filled from the EPSG register,
// checked against PROJ (the independent reference, tests only): the
// program's own projection from the filled fields, and its datum shift
// from the filled Helmert parameters, within a millimetre of PROJ's.

#include <gtest/gtest.h>
#include <proj.h>

#include <QElapsedTimer>
#include <cmath>
#include <map>

#include "crs/epsg_register.h"
#include "geodesy/datum_chain.h"
#include "geodesy/fix_projection.h"

namespace nivora::crs {
namespace {

std::unique_ptr<EpsgRegister> openRegister() {
    QString error;
    auto r = EpsgRegister::open(EpsgRegister::defaultPath(), &error);
    EXPECT_TRUE(r) << error.toStdString();
    return r;
}

// A PROJ operation with longitude, latitude and easting, northing order.
class Reference {
  public:
    Reference(const std::string& from, const std::string& to) : ctx_(proj_context_create()) {
        PJ* raw = to.empty() ? proj_create(ctx_, from.c_str())
                             : proj_create_crs_to_crs(ctx_, from.c_str(), to.c_str(), nullptr);
        if (raw) {
            pj_ = proj_normalize_for_visualization(ctx_, raw);
            proj_destroy(raw);
        }
    }
    ~Reference() {
        if (pj_) proj_destroy(pj_);
        proj_context_destroy(ctx_);
    }
    bool ok() const { return pj_ != nullptr; }
    PJ_COORD run(PJ_DIRECTION d, double x, double y, double z = 0) const {
        return proj_trans(pj_, d, proj_coord(x, y, z, 0));
    }

  private:
    PJ_CONTEXT* ctx_;
    PJ* pj_ = nullptr;
};

double parse(const std::string& s) {
    return std::stod(s);
}

// Every method and unit the register gives a projected CRS in metres: the
// program's projection of the filled fields against PROJ's conversion of
// the same geographic position (on the CRS's own ellipsoid and prime
// meridian, so that no datum shift enters), at the centre of each area of
// use and towards its corner.
TEST(EpsgRegister, TwoHundredProjectedSystemsProjectAsProjDoes) {
    const auto reg = openRegister();
    ASSERT_TRUE(reg);
    std::vector<CrsMatch> all = reg->search(QString(), 20000);
    std::vector<CrsMatch> supported;
    for (const CrsMatch& m : all) {
        if (m.supported && m.extent) supported.push_back(m);
    }
    ASSERT_GT(supported.size(), 1500u);
    std::map<QString, int> byMethod;
    int compared = 0;
    double worst = 0;
    std::string worstCrs;
    const std::size_t step = supported.size() / 260;
    for (std::size_t i = 0; i < supported.size(); i += step) {
        const CrsMatch& m = supported[i];
        QString error;
        const auto filled = reg->fillProjection(m.code, {}, &error);
        ASSERT_TRUE(filled) << m.code << ": " << error.toStdString();
        const geodesy::GeodeticParameters& p = filled->parameters;
        auto projector = geodesy::FixProjector::take(p);
        ASSERT_TRUE(projector) << m.code;
        const double f = parse(p.flattening);
        const std::string source =
            "+proj=longlat +a=" + p.semiMajorAxis +
            (f > 0 ? " +rf=" + std::to_string(1.0 / f) : " +b=" + p.semiMajorAxis) +
            " +no_defs +type=crs";
        const Reference proj(source, "EPSG:" + std::to_string(m.code));
        ASSERT_TRUE(proj.ok()) << m.code;
        // Transverse Mercator as its series are meant: within 4 degrees of the
        // central meridian (zones of UTM's width and beyond it).
        const double cm =
            parse(p.useTmProjection == "1" ? p.centralMeridian : p.lccCentralMeridian);
        for (const double t : {0.5, 0.8}) {
            double lon = m.extent->longitudeAt(t);
            const double lat = m.extent->latitudeAt(t);
            if (p.useTmProjection == "1" && std::abs(std::remainder(lon - cm, 360.0)) > 4)
                lon = cm + (std::remainder(lon - cm, 360.0) > 0 ? 4 : -4);
            if (lon > 180) lon -= 360;
            const geodesy::FixResult mine = projector->projectLocal(lat, lon);
            const PJ_COORD ref = proj.run(PJ_FWD, lon, lat);
            if (!mine.placed() || !std::isfinite(ref.xy.x)) continue;
            const double d = std::hypot(mine.easting - ref.xy.x, mine.northing - ref.xy.y);
            if (d > worst) {
                worst = d;
                worstCrs = std::to_string(m.code) + " " + m.name.toStdString();
            }
            EXPECT_LT(d, 0.001) << "EPSG:" << m.code << " " << m.name.toStdString() << " at " << lat
                                << ", " << lon;
            ++compared;
        }
        ++byMethod[m.method];
    }
    EXPECT_GE(compared, 400);
    EXPECT_GE(byMethod[QStringLiteral("Transverse Mercator")], 100);
    EXPECT_GE(byMethod[QStringLiteral("Lambert Conic Conformal (2SP)")], 20);
    EXPECT_GE(byMethod[QStringLiteral("Lambert Conic Conformal (1SP)")], 5);
    RecordProperty("worst_mm", std::to_string(worst * 1000) + " " + worstCrs);
}

// A Helmert transformation in each unit the register gives its rotations
// and scale: the program's datum shift from the filled fields against PROJ
// running the same transformation backwards (WGS 84 to the local datum).
TEST(EpsgRegister, HelmertTransformationsInEveryUnitShiftAsProjDoes) {
    const auto reg = openRegister();
    ASSERT_TRUE(reg);
    // {transformation, a projected CRS on its datum}
    const std::pair<int, int> cases[] = {
        {1134, 23035},  // ED50: geocentric translations, metres
        {1311, 23035},  // ED50: position vector, arc-seconds and ppm
        {3904, 23035},  // ED50: position vector, microradians
        {1308, 26915},  // NAD83: coordinate frame, radians
    };
    for (const auto& [transformation, crsCode] : cases) {
        QString error;
        const auto filled = reg->fill(crsCode, transformation, {}, &error);
        if (!filled) {
            ADD_FAILURE() << transformation << ": " << error.toStdString();
            continue;
        }
        const auto params =
            geodesy::scanDatumParameters(geodesy::datumParameterText(filled->parameters));
        ASSERT_TRUE(params);
        const geodesy::DatumChain chain(*params, geodesy::StagePrecision::Exact);
        const Reference proj(
            "urn:ogc:def:coordinateOperation:EPSG::" + std::to_string(transformation), "");
        ASSERT_TRUE(proj.ok()) << transformation;
        // A point near the middle of the datum's use: the CRS's area.
        const auto matches = reg->search(QStringLiteral("%1").arg(crsCode), 5);
        ASSERT_FALSE(matches.empty());
        ASSERT_TRUE(matches.front().extent);
        const double lon = matches.front().extent->longitudeAt(0.5);
        const double lat = matches.front().extent->latitudeAt(0.5);
        const auto mine = chain.toLocalUnrounded({lat, lon, 0});
        ASSERT_TRUE(mine);
        const PJ_COORD ref = proj.run(PJ_INV, lon, lat, 0);
        const double north = (static_cast<double>(mine->latitude) - ref.lp.phi) * 111320.0;
        const double east = (static_cast<double>(mine->longitude) - ref.lp.lam) * 111320.0 *
                            std::cos(lat * M_PI / 180);
        EXPECT_LT(std::hypot(north, east), 0.001)
            << "EPSG:" << transformation << " " << filled->transformationName.toStdString();

        // And the whole way, as a fix is placed: WGS 84 to the grid of the
        // system, against PROJ's transformation followed by its conversion.
        // The datum step hands on its latitude and longitude to 8 decimals of
        // a degree (up to 0.6 mm each way), so the millimetre is rounded here.
        auto projector = geodesy::FixProjector::take(filled->parameters);
        ASSERT_TRUE(projector);
        const Reference conversion("EPSG:" + std::to_string(filled->geodeticCode),
                                   "EPSG:" + std::to_string(crsCode));
        ASSERT_TRUE(conversion.ok());
        for (const double t : {0.3, 0.5, 0.7}) {
            const double fixLat = matches.front().extent->latitudeAt(t);
            const double fixLon = matches.front().extent->longitudeAt(t);
            const geodesy::FixResult grid = projector->project(fixLat, fixLon, 0);
            ASSERT_TRUE(grid.placed());
            const PJ_COORD local = proj.run(PJ_INV, fixLon, fixLat, 0);
            const PJ_COORD expected = conversion.run(PJ_FWD, local.lp.lam, local.lp.phi);
            EXPECT_LT(std::hypot(grid.easting - expected.xy.x, grid.northing - expected.xy.y),
                      0.0015)
                << "EPSG:" << crsCode << " by EPSG:" << transformation << " at " << fixLat << ", "
                << fixLon;
        }
    }
}

TEST(EpsgRegister, MethodsThatCannotBeTakenAreRefusedByName) {
    const auto reg = openRegister();
    ASSERT_TRUE(reg);
    QString error;
    EXPECT_FALSE(reg->fill(28992, 1112, {}, &error)) << "Amersfoort / RD New";
    EXPECT_TRUE(error.contains(QStringLiteral("Oblique Stereographic"))) << error.toStdString();
    EXPECT_FALSE(reg->fill(23035, 15907, {}, &error)) << "a grid transformation";
    EXPECT_TRUE(error.contains(QStringLiteral("'NTv2'"))) << error.toStdString();
    EXPECT_FALSE(reg->fill(31254, 1471, {}, &error)) << "a scale of 2.4 (unity) for 2.4 ppm";
    EXPECT_TRUE(error.contains(QStringLiteral("scale difference"))) << error.toStdString();
    EXPECT_FALSE(reg->fill(2249, std::nullopt, {}, &error)) << "NAD83 / Massachusetts (ftUS)";
    EXPECT_TRUE(error.contains(QStringLiteral("metres"))) << error.toStdString();
    EXPECT_FALSE(reg->fill(4326, std::nullopt, {}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no projected"))) << error.toStdString();

    // Names, areas and codes find a system; a search is quick enough to follow typing.
    QElapsedTimer t;
    t.start();
    const auto found = reg->search(QStringLiteral("ED50 UTM 35"));
    const qint64 ms = t.elapsed();
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front().code, 23035);
    EXPECT_TRUE(reg->search(QStringLiteral("EPSG:2154"))
                    .front()
                    .name.endsWith(QStringLiteral("/ Lambert-93")));
    RecordProperty("search_ms", static_cast<int>(ms));
}

}  // namespace
}  // namespace nivora::crs
