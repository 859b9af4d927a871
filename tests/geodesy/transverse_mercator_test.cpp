#include <gtest/gtest.h>

#include <string>

#include "core/scan.h"
#include "geodesy/geodesy_text.h"
#include "geodesy/transverse_mercator.h"

namespace nivora::geodesy {
namespace {

const std::string kIdentity =
    std::string(kWgs84IdentityPrefix) + "6378137.0 0.0033528106647474 0 0 0 0 0 0 0";
const std::string kWgs84Pair = std::string(kWgs84EllipsoidPrefix) + "6378137.0 0.0033528106647474";
const std::string kZone27 = "27 0 0.9996 500000 0";

struct EN {
    double e = 0, n = 0;
};

EN scanEN(const std::string& text) {
    EN r;
    EXPECT_EQ(scanFormatted(text, "%lf %lf", &r.e, &r.n), 2) << text;
    return r;
}

// Worked value on WGS-84, central meridian 27, k0 0.9996, FE 500000.
TEST(ProjectTM, PlacesTheWorkedExample) {
    const EN en = scanEN(ProjectTM("41 29", kIdentity, kZone27, kWgs84Pair));
    EXPECT_NEAR(en.e, 668207.885, 0.0005);
    EXPECT_NEAR(en.n, 4540683.529, 0.0005);
    EXPECT_NEAR(
        TMScaleOrConvergence("GrdConv", kWgs84.a, kWgs84.f, 41, 29, 27, 0, 0.9996L, 500000, 0),
        -1.3124L, 0.00005L);
}

// EPSG Guidance Note 7-2, Transverse Mercator example (OSGB 1936 / British
// National Grid, Airy 1830), published to 1 cm.
TEST(TransverseMercator, MatchesThePublishedBritishNationalGridExample) {
    const std::string pair = "x y 6377563.396 " + formatSignificant15(1 / 299.3249646L);
    const EN en = scanEN(TransverseMercator("50.5 0.5", "-2 49 0.9996012717 400000 -100000", pair));
    EXPECT_NEAR(en.e, 577274.99, 0.01);
    EXPECT_NEAR(en.n, 69740.50, 0.01);
}

TEST(TransverseMercator, OriginMapsExactlyToTheFalseOrigin) {
    EXPECT_EQ(TransverseMercator("38.5 31", "31 38.5 0.9996 500000 100", kWgs84Pair), "500000 100");
    const TransverseMercatorProjection tm({6378388, 1 / 297.0L}, {-3, -33.25L, 1, 0, 10000000});
    const GridPosition g = tm.forward(-33.25L, -3);
    EXPECT_EQ(g.easting, 0);
    EXPECT_EQ(g.northing, 10000000);
}

TEST(TransverseMercator, FailsOnShortTexts) {
    EXPECT_EQ(TransverseMercator("41", kZone27, kWgs84Pair), "0");
    EXPECT_EQ(TransverseMercator("41 29", "27 0 0.9996 500000", kWgs84Pair), "0");
    EXPECT_EQ(TransverseMercator("41 29", kZone27, "6378137.0 0.0033528106647474 6378137.0"), "0");
    // The first two tokens of the pair are skipped whatever they hold.
    EXPECT_EQ(TransverseMercator("41 29", kZone27, "a b 6378137.0 0.0033528106647474"),
              TransverseMercator("41 29", kZone27, kWgs84Pair));
}

TEST(ProjectTM, ForcesHeightZeroAndFailsWhereTheDatumShiftFails) {
    const std::string ed50 = std::string(kWgs84IdentityPrefix) +
                             "6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7";
    const std::string local = TransformDatum("BLH", "41.2 28.7 0", ed50);
    double lat, lon;
    ASSERT_EQ(scanFormatted(local, "%lf %lf", &lat, &lon), 2);
    const std::string pair = std::string(kWgs84EllipsoidPrefix) + "6378388 0.00336700336700337";
    EXPECT_EQ(ProjectTM("41.2 28.7", ed50, kZone27, pair),
              TransverseMercator(formatSignificant15(lat) + " " + formatSignificant15(lon), kZone27,
                                 pair));
    EXPECT_EQ(ProjectTM("41", ed50, kZone27, pair), "0");
    EXPECT_EQ(ProjectTM("90 0", kIdentity, kZone27, kWgs84Pair), "0");
    EXPECT_EQ(ProjectTM("41 29", std::string(kWgs84IdentityPrefix) + "6378388 0.0033670034",
                        kZone27, pair),
              "0");
}

TEST(TMScaleOrConvergence, OnTheCentralMeridian) {
    EXPECT_EQ(
        TMScaleOrConvergence("GrdConv", kWgs84.a, kWgs84.f, 41, 27, 27, 0, 0.9996L, 500000, 0), 0);
    EXPECT_EQ(
        TMScaleOrConvergence("PtScFac", kWgs84.a, kWgs84.f, 41, 27, 27, 0, 0.9996L, 500000, 0),
        0.9996L);
    EXPECT_EQ(TMScaleOrConvergence("Other", kWgs84.a, kWgs84.f, 41, 29, 27, 0, 0.9996L, 500000, 0),
              0);
    EXPECT_EQ(
        TMScaleOrConvergence("grdconv", kWgs84.a, kWgs84.f, 41, 29, 27, 0, 0.9996L, 500000, 0), 0);
}

TEST(TMScaleOrConvergence, SignFollowsSideAndHemisphere) {
    auto conv = [](Real lat, Real lon) {
        return TMScaleOrConvergence("GrdConv", kWgs84.a, kWgs84.f, lat, lon, 27, 0, 0.9996L, 500000,
                                    0);
    };
    EXPECT_LT(conv(41, 28), 0);
    EXPECT_GT(conv(41, 26), 0);
    EXPECT_GT(conv(-41, 28), 0);
    EXPECT_LT(conv(-41, 26), 0);
    EXPECT_NEAR(conv(41, 28), -conv(41, 26), 1e-15L);
    // Away from the central meridian the scale grows, symmetric on both sides.
    auto scale = [](Real lon) {
        return TMScaleOrConvergence("PtScFac", kWgs84.a, kWgs84.f, 41, lon, 27, 0, 0.9996L, 500000,
                                    0);
    };
    EXPECT_GT(scale(29), scale(28));
    EXPECT_GT(scale(28), 0.9996L);
    EXPECT_NEAR(scale(29), scale(25), 1e-15L);
}

}  // namespace
}  // namespace nivora::geodesy
