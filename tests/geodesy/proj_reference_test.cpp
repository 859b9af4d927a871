// Our geodesy against PROJ on seeded pseudo-random points inside realistic
// survey areas. Tolerances: geodetic <-> geocentric 0.1 mm; seven parameters
// (coordinate frame, full matrix, inverted) 1 mm; Lambert 0.1 mm; TM 1 mm
// within 3 degrees of the central meridian; convergence 1e-7 degrees and
// point scale factor 1e-8.

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/number_format.h"
#include "geodesy/datum_chain.h"
#include "geodesy/fix_projection.h"
#include "geodesy/geocentric.h"
#include "geodesy/helmert.h"
#include "geodesy/lambert.h"
#include "geodesy/transverse_mercator.h"
#include "tests/geodesy/proj_reference.h"

namespace nivora::geodesy {
namespace {

using test::ProjOperation;

constexpr double kPiD = 3.141592653589793;
constexpr double kRadToDeg = 180 / kPiD;

std::string num(double v) {
    return formatShortest(v);
}

// Keeps the largest difference in the test report (XML output).
void recordWorst(const std::string& what, double metres) {
    std::string key = "worst_" + what;
    for (char& c : key) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    ::testing::Test::RecordProperty(key, formatShortest(metres));
}

std::string ellipsoidArgs(double a, double f) {
    return " +a=" + num(a) + " +rf=" + num(1 / f);
}

struct Area {
    const char* name;
    double a, f;
    double latMin, latMax, lonMin, lonMax;
};

// Latitude and longitude pairs spread evenly over an area.
std::vector<std::pair<double, double>> pointsIn(const Area& area, int count, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> lat(area.latMin, area.latMax),
        lon(area.lonMin, area.lonMax);
    std::vector<std::pair<double, double>> out;
    for (int i = 0; i < count; ++i)
        out.emplace_back(lat(rng), lon(rng));
    return out;
}

constexpr double kWgs84F = 0.0033528106647474;
constexpr double kIntlF = 1 / 297.0;
constexpr double kClarke66F = 1 / 294.97869821;
constexpr double kGrs80F = 1 / 298.257222101;

TEST(ReferenceGeocentric, AgreesWithProjCartToATenthOfAMillimetre) {
    for (const Area& area :
         {Area{"global WGS-84", 6378137, kWgs84F, -89, 89, -180, 180},
          Area{"global International 1924", 6378388, kIntlF, -89, 89, -180, 180}}) {
        const ProjOperation cart("+proj=cart" + ellipsoidArgs(area.a, area.f));
        const Ellipsoid el{area.a, static_cast<Real>(area.f)};
        std::mt19937_64 rng(41);
        std::uniform_real_distribution<double> height(-200, 6000);
        double worst = 0;
        for (const auto& [lat, lon] : pointsIn(area, 3000, 43)) {
            const double h = height(rng);
            const PJ_COORD ref = cart.forward(proj_torad(lon), proj_torad(lat), h);
            const GeocentricPosition g = geodeticToGeocentric({lat, lon, h}, el);
            worst = std::max({worst, std::fabs(static_cast<double>(g.x) - ref.xyz.x),
                              std::fabs(static_cast<double>(g.y) - ref.xyz.y),
                              std::fabs(static_cast<double>(g.z) - ref.xyz.z)});

            const PJ_COORD back = cart.inverse(ref.xyz.x, ref.xyz.y, ref.xyz.z);
            const auto ours = geocentricToGeodetic({ref.xyz.x, ref.xyz.y, ref.xyz.z}, el);
            ASSERT_TRUE(ours);
            const double dNorth = (static_cast<double>(ours->latitude) - proj_todeg(back.lpz.phi)) /
                                  kRadToDeg * area.a;
            const double dEast = (static_cast<double>(ours->longitude) - proj_todeg(back.lpz.lam)) /
                                 kRadToDeg * area.a * std::cos(lat / kRadToDeg);
            worst = std::max({worst, std::fabs(dNorth), std::fabs(dEast),
                              std::fabs(static_cast<double>(ours->height) - back.lpz.z)});
        }
        EXPECT_LT(worst, 1e-4) << area.name;
        recordWorst(area.name, worst);
    }
}

// Rotations of a few arc-seconds, shifts of hundreds of metres, a scale of
// a few ppm; PROJ's helmert with the coordinate-frame convention and the
// exact rotation matrix, applied inverted from WGS-84 to the local frame.
TEST(ReferenceHelmert, AgreesWithProjHelmertToAMillimetre) {
    std::mt19937_64 rng(47);
    std::uniform_real_distribution<double> rot(-5, 5), ppm(-10, 10), shift(-600, 600),
        coord(-6.4e6, 6.4e6);
    double worst = 0;
    for (int set = 0; set < 50; ++set) {
        const HelmertParameters p{ppm(rng),   rot(rng),   rot(rng),  rot(rng),
                                  shift(rng), shift(rng), shift(rng)};
        const std::string args = " +x=" + num(p.shiftX) + " +y=" + num(p.shiftY) +
                                 " +z=" + num(p.shiftZ) + " +rx=" + num(p.rotationX) +
                                 " +ry=" + num(p.rotationY) + " +rz=" + num(p.rotationZ) +
                                 " +s=" + num(p.scalePpm) + " +exact";
        const ProjOperation cf("+proj=helmert" + args + " +convention=coordinate_frame");
        const ProjOperation pv("+proj=helmert" + args + " +convention=position_vector");
        const SevenParameterTransform ours(p, RotationConvention::CoordinateFrame);
        const SevenParameterTransform oursPv(p, RotationConvention::PositionVector);
        for (int i = 0; i < 60; ++i) {
            const double x = coord(rng), y = coord(rng), z = coord(rng);
            const PJ_COORD toLocal = cf.inverse(x, y, z);
            const GeocentricPosition l = ours.apply(HelmertDirection::Wgs84ToLocal, {x, y, z});
            const PJ_COORD toWgs = cf.forward(x, y, z);
            const GeocentricPosition w = ours.apply(HelmertDirection::LocalToWgs84, {x, y, z});
            const PJ_COORD pvWgs = pv.forward(x, y, z);
            const GeocentricPosition wp = oursPv.apply(HelmertDirection::LocalToWgs84, {x, y, z});
            for (const auto& [o, r] :
                 {std::pair{l, toLocal}, std::pair{w, toWgs}, std::pair{wp, pvWgs}}) {
                worst = std::max({worst, std::fabs(static_cast<double>(o.x) - r.xyz.x),
                                  std::fabs(static_cast<double>(o.y) - r.xyz.y),
                                  std::fabs(static_cast<double>(o.z) - r.xyz.z)});
            }
        }
    }
    EXPECT_LT(worst, 1e-3);
    recordWorst(::testing::UnitTest::GetInstance()->current_test_info()->name(), worst);
}

// The whole datum shift: PROJ's cart -> inverted helmert -> inverse cart.
TEST(ReferenceDatumShift, AgreesWithTheProjPipeline) {
    const std::string local = "6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7";
    const auto params = scanDatumParameters("6378137.0 0.0033528106647474 0 0 0 0 0 0 0 " + local);
    ASSERT_TRUE(params);
    const ProjOperation pipeline(
        "+proj=pipeline +step +proj=cart" + ellipsoidArgs(6378137, kWgs84F) +
        " +step +inv +proj=helmert +x=-84.1 +y=-101.8 +z=-129.7 +rx=0.7 +ry=-1.2 +rz=2.3 +s=1.05"
        " +convention=coordinate_frame +exact +step +inv +proj=cart" +
        ellipsoidArgs(6378388, 0.00336700336700337));
    const DatumChain exact(*params, StagePrecision::Exact);
    const DatumChain program(*params, StagePrecision::FifteenDigits);
    std::mt19937_64 rng(53);
    std::uniform_real_distribution<double> height(-50, 500);
    double worst = 0;
    for (const auto& [lat, lon] :
         pointsIn({"Aegean to Black Sea", 0, 0, 35, 43, 25, 41}, 3000, 59)) {
        const double h = height(rng);
        const PJ_COORD ref = pipeline.forward(proj_torad(lon), proj_torad(lat), h);
        const double refLat = proj_todeg(ref.lpz.phi), refLon = proj_todeg(ref.lpz.lam);
        const auto e = exact.toLocalUnrounded({lat, lon, h});
        ASSERT_TRUE(e);
        const double mPerDeg = 6378388 / kRadToDeg;
        worst = std::max({worst, std::fabs(static_cast<double>(e->latitude) - refLat) * mPerDeg,
                          std::fabs(static_cast<double>(e->longitude) - refLon) * mPerDeg,
                          std::fabs(static_cast<double>(e->height) - ref.lpz.z)});
        // The program's result differs only by its rounding to 8 and 2 decimals.
        const auto r = program.toLocal({lat, lon, h});
        ASSERT_TRUE(r);
        ASSERT_LE(std::fabs(static_cast<double>(r->latitude) - refLat), 0.5e-8 + 1e-11);
        ASSERT_LE(std::fabs(static_cast<double>(r->longitude) - refLon), 0.5e-8 + 1e-11);
        ASSERT_LE(std::fabs(static_cast<double>(r->height) - ref.lpz.z), 0.005 + 1e-6);
    }
    EXPECT_LT(worst, 1e-3);
    recordWorst(::testing::UnitTest::GetInstance()->current_test_info()->name(), worst);
}

struct TmArea {
    Area area;
    TmParameters tm;
};

const TmArea kTmAreas[] = {
    {{"Marmara, ED50 3-degree zone", 6378388, kIntlF, 39.5, 42, 27, 33}, {30, 0, 1, 500000, 0}},
    {{"North Sea, UTM 31", 6378137, kWgs84F, 51.5, 56, 0, 6}, {3, 0, 0.9996L, 500000, 0}},
    {{"Gulf of Mexico, NAD27 UTM 15", 6378206.4, kClarke66F, 26, 30, -96, -90},
     {-93, 0, 0.9996L, 500000, 0}},
    {{"Bass Strait, MGA 55", 6378137, kGrs80F, -40, -37.5, 144, 150},
     {147, 0, 0.9996L, 500000, 10000000}},
    {{"Persian Gulf, UTM 39", 6378137, kWgs84F, 24, 30, 48, 54}, {51, 0, 0.9996L, 500000, 0}},
    {{"English Channel, British National Grid", 6377563.396, 1 / 299.3249646, 49.9, 52, -5, 1},
     {-2, 49, 0.9996012717L, 400000, -100000}},
};

std::string tmercArgs(const TmArea& t, bool approx) {
    return std::string("+proj=tmerc") + (approx ? " +approx" : "") +
           " +lat_0=" + num(static_cast<double>(t.tm.referenceLatitude)) +
           " +lon_0=" + num(static_cast<double>(t.tm.centralMeridian)) +
           " +k_0=" + num(static_cast<double>(t.tm.scaleFactor)) +
           " +x_0=" + num(static_cast<double>(t.tm.falseEasting)) +
           " +y_0=" + num(static_cast<double>(t.tm.falseNorthing)) +
           ellipsoidArgs(t.area.a, t.area.f);
}

TEST(ReferenceTransverseMercator, AgreesWithProjWithinThreeDegrees) {
    for (const TmArea& t : kTmAreas) {
        const ProjOperation exact(tmercArgs(t, false));
        const TransverseMercatorProjection ours({t.area.a, static_cast<Real>(t.area.f)}, t.tm);
        double worst = 0, worstConv = 0, worstScale = 0;
        for (const auto& [lat, lon] : pointsIn(t.area, 1000, 61)) {
            ASSERT_LE(std::fabs(lon - static_cast<double>(t.tm.centralMeridian)), 3.0);
            const PJ_COORD ref = exact.forward(proj_torad(lon), proj_torad(lat));
            const GridPosition g = ours.forward(lat, lon);
            worst = std::max({worst, std::fabs(static_cast<double>(g.easting) - ref.enu.e),
                              std::fabs(static_cast<double>(g.northing) - ref.enu.n)});
            // PROJ gives the convergence with the usual sign, positive east of
            // the central meridian in the north; ours is its negative.
            const PJ_FACTORS f = exact.factors(lon, lat);
            worstConv =
                std::max(worstConv, std::fabs(static_cast<double>(ours.gridConvergence(lat, lon)) +
                                              f.meridian_convergence * kRadToDeg));
            worstScale = std::max(worstScale,
                                  std::fabs(static_cast<double>(ours.pointScaleFactor(lat, lon)) -
                                            f.meridional_scale));
        }
        EXPECT_LT(worst, 1e-3) << t.area.name;
        EXPECT_LT(worstConv, 1e-7) << t.area.name;
        EXPECT_LT(worstScale, 1e-8) << t.area.name;
        recordWorst(t.area.name, worst);
        recordWorst(std::string(t.area.name) + " convergence degrees", worstConv);
        recordWorst(std::string(t.area.name) + " scale", worstScale);
    }
}

// The program's fix, datum shift included, against PROJ's pipeline: the
// difference is the 8-decimal rounding of the shifted position (at most
// 0.6 mm) plus the series.
TEST(ReferenceFix, PlacesFixesWithinAMillimetreOfProj) {
    const std::string local = "6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7";
    GeodeticParameters p;
    p.semiMajorAxis = "6378388";
    p.flattening = "0.00336700336700337";
    p.scalePpm = "1.05";
    p.rotationX = "0.7";
    p.rotationY = "-1.2";
    p.rotationZ = "2.3";
    p.shiftX = "-84.1";
    p.shiftY = "-101.8";
    p.shiftZ = "-129.7";
    p.centralMeridian = "30";
    p.referenceLatitude = "0";
    p.scaleFactor = "1";
    p.falseEasting = "500000";
    p.falseNorthing = "0";
    for (std::string* lcc :
         {&p.lccStandardParallel1, &p.lccStandardParallel2, &p.lccScaleFactor,
          &p.lccCentralParallel, &p.lccCentralMeridian, &p.lccFalseEasting, &p.lccFalseNorthing}) {
        *lcc = "1";
    }
    auto fix = FixProjector::take(p);
    ASSERT_TRUE(fix);
    const ProjOperation pipeline(
        "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart" +
        ellipsoidArgs(6378137, kWgs84F) +
        " +step +inv +proj=helmert +x=-84.1 +y=-101.8 +z=-129.7 +rx=0.7 +ry=-1.2 +rz=2.3 +s=1.05"
        " +convention=coordinate_frame +exact +step +inv +proj=cart" +
        ellipsoidArgs(6378388, 0.00336700336700337) +
        " +step +proj=tmerc +lon_0=30 +k_0=1 +x_0=500000" +
        ellipsoidArgs(6378388, 0.00336700336700337));
    double worst = 0;
    for (const auto& [lat, lon] : pointsIn({"Marmara", 0, 0, 39.5, 42, 27.05, 32.95}, 3000, 67)) {
        const FixResult r = fix->project(lat, lon, 0);
        ASSERT_TRUE(r.placed());
        const PJ_COORD ref = pipeline.forward(lon, lat, 0);
        worst =
            std::max({worst, std::fabs(r.easting - ref.enu.e), std::fabs(r.northing - ref.enu.n)});
    }
    EXPECT_LT(worst, 1e-3);
    recordWorst(::testing::UnitTest::GetInstance()->current_test_info()->name(), worst);
}

struct LccCase {
    Area area;
    bool oneParallel;
    double phi0OrF, lon0, phi1, phi2, k0, fe, fn;  // degrees
};

const LccCase kLccCases[] = {
    {{"France, Lambert-93", 6378137, kGrs80F, 42, 51, -4.5, 8},
     false,
     46.5,
     3,
     49,
     44,
     1,
     700000,
     6600000},
    {{"Texas South Central", 6378206.4, kClarke66F, 27.5, 30.5, -101, -95},
     false,
     27 + 50 / 60.0,
     -99,
     28 + 23 / 60.0,
     30 + 17 / 60.0,
     1,
     609601.2192,
     0},
    {{"Australia, southern cone", 6378137, kGrs80F, -38, -12, 114, 153},
     false,
     0,
     134,
     -18,
     -36,
     1,
     0,
     0},
    {{"Marmara, two parallels", 6378388, kIntlF, 39, 43, 26, 33},
     false,
     39,
     29,
     40,
     42,
     1,
     500000,
     0},
    {{"Jamaica, one parallel", 6378206.4, kClarke66F, 17.5, 18.6, -78.5, -76},
     true,
     18,
     -77,
     0,
     0,
     1,
     250000,
     150000},
    {{"New South Wales, southern one parallel", 6378137, kGrs80F, -35, -31, 149, 153},
     true,
     -33,
     151,
     0,
     0,
     0.9999,
     300000,
     7000000},
    {{"France, one parallel", 6378249.2, 1 / 293.466021, 43, 49, -4, 8},
     true,
     46.8,
     2.337229167,
     0,
     0,
     0.99987742,
     600000,
     2200000},
};

TEST(ReferenceLambert, AgreesWithProjToATenthOfAMillimetre) {
    const double d = kPiD / 180;
    for (const LccCase& c : kLccCases) {
        const std::string def = c.oneParallel
                                    ? "+proj=lcc +lat_1=" + num(c.phi0OrF) +
                                          " +lat_0=" + num(c.phi0OrF) + " +k_0=" + num(c.k0)
                                    : "+proj=lcc +lat_1=" + num(c.phi1) + " +lat_2=" + num(c.phi2) +
                                          " +lat_0=" + num(c.phi0OrF);
        const ProjOperation proj(def + " +lon_0=" + num(c.lon0) + " +x_0=" + num(c.fe) +
                                 " +y_0=" + num(c.fn) + ellipsoidArgs(c.area.a, c.area.f));
        LambertConformalConic ours;
        if (c.oneParallel) {
            ours.SetLambert1Parameters(c.area.a, c.area.f, c.phi0OrF * d, c.lon0 * d, c.fe, c.fn,
                                       c.k0);
        } else {
            ours.SetLambert2Parameters(c.area.a, c.area.f, c.phi0OrF * d, c.lon0 * d, c.phi1 * d,
                                       c.phi2 * d, c.fe, c.fn);
        }
        ASSERT_EQ(ours.lastSetErrors(), 0u) << c.area.name;
        double worst = 0;
        for (const auto& [lat, lon] : pointsIn(c.area, 1000, 71)) {
            double e, n;
            const unsigned bits = c.oneParallel ? ours.GeodeticToLambert1(lat * d, lon * d, e, n)
                                                : ours.GeodeticToLambert2(lat * d, lon * d, e, n);
            ASSERT_EQ(bits, 0u);
            const PJ_COORD ref = proj.forward(proj_torad(lon), proj_torad(lat));
            worst = std::max({worst, std::fabs(e - ref.enu.e), std::fabs(n - ref.enu.n)});
        }
        EXPECT_LT(worst, 1e-4) << c.area.name;
        recordWorst(c.area.name, worst);
    }
}

// Belgian Lambert 1972 as the EPSG registry defines it (false origin at the
// north pole), through PROJ's own EPSG:4313 -> EPSG:31370 conversion.
TEST(ReferenceLambert, BelgianLambert72FromTheRegistry) {
    const ProjOperation proj("EPSG:4313", "EPSG:31370");
    const double d = kPiD / 180;
    LambertConformalConic ours;
    ours.SetLambert2Parameters(6378388, kIntlF, 90 * d, 4.36748666666667 * d, 51.1666672333333 * d,
                               49.8333339 * d, 150000.013, 5400088.438);
    ASSERT_EQ(ours.lastSetErrors(), 0u);
    double worst = 0;
    for (const auto& [lat, lon] : pointsIn({"Belgium", 0, 0, 49.5, 51.5, 2.5, 6.4}, 2000, 73)) {
        double e, n;
        ASSERT_EQ(ours.GeodeticToLambert2(lat * d, lon * d, e, n), 0u);
        const PJ_COORD ref = proj.forward(lat, lon);  // EPSG:4313 is latitude first
        worst = std::max({worst, std::fabs(e - ref.xy.x), std::fabs(n - ref.xy.y)});
    }
    EXPECT_LT(worst, 1e-4);
    recordWorst(::testing::UnitTest::GetInstance()->current_test_info()->name(), worst);
}

}  // namespace
}  // namespace nivora::geodesy
