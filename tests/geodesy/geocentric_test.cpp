#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/scan.h"
#include "geodesy/geocentric.h"
#include "geodesy/geodesy_text.h"

namespace nivora::geodesy {
namespace {

// The iteration written out with the library's trigonometry, as a second
// opinion on the trigonometry-free evaluation.
GeodeticPosition literalIteration(Real x, Real y, Real z, const Ellipsoid& el) {
    const Real e2 = el.e2();
    const Real p = std::sqrt(x * x + y * y);
    Real phi = 0, h = 0, previous = 1e-9L, lam = 0;
    while (std::fabs(phi - previous) > 1e-12L) {
        previous = phi;
        const Real n = el.a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
        phi = std::atan((z / p) / (1 - e2 * n / (n + h)));
        lam = std::atan2(y, x);
        h = p / std::cos(phi) - el.a / std::sqrt(1 - e2 * std::sin(phi) * std::sin(phi));
    }
    return {phi * 180 / kPi, lam * 180 / kPi, h};
}

TEST(ConvertAngle, TakesTheUnitLetterInEitherCase) {
    EXPECT_EQ(ConvertAngle(180, "R"), kPi);
    EXPECT_EQ(ConvertAngle(180, "r"), kPi);
    EXPECT_EQ(ConvertAngle(kPi, "D"), 180);
    EXPECT_EQ(ConvertAngle(kPi / 2, "d"), 90);
    EXPECT_EQ(ConvertAngle(45, "x"), 0);
    EXPECT_EQ(ConvertAngle(45, ""), 0);
    EXPECT_EQ(ConvertAngle(45, "Rad"), 0);
    // pi is the program's 3.141592653589793, not the extended constant.
    EXPECT_NE(ConvertAngle(180, "R"), 3.14159265358979323846264338327950288L);
}

// EPSG Guidance Note 7-2, geographic/geocentric conversions example (WGS 84),
// published to the millimetre.
TEST(GeodeticToGeocentric, MatchesThePublishedExample) {
    const Ellipsoid wgs84{6378137.0L, 1 / 298.257223563L};
    const Real lat = 53 + 48 / 60.0L + 33.820L / 3600;
    const Real lon = 2 + 7 / 60.0L + 46.380L / 3600;
    const GeocentricPosition g = geodeticToGeocentric({lat, lon, 73.0L}, wgs84);
    EXPECT_NEAR(g.x, 3771793.968L, 0.001L);
    EXPECT_NEAR(g.y, 140253.342L, 0.001L);
    EXPECT_NEAR(g.z, 5124304.349L, 0.001L);
    const auto back = geocentricToGeodetic(g, wgs84);
    ASSERT_TRUE(back);
    // The iteration stops at a latitude step of 1e-12 rad.
    EXPECT_NEAR(back->latitude, lat, 1e-11L);
    EXPECT_NEAR(back->longitude, lon, 1e-13L);
    EXPECT_NEAR(back->height, 73.0L, 1e-6L);
}

TEST(GeodeticToGeocentric, WritesTabSeparatedFifteenDigits) {
    const std::string text = GeodeticToGeocentric(41, 29, 0, kWgs84.a, kWgs84.f);
    ASSERT_EQ(std::count(text.begin(), text.end(), '\t'), 2) << text;
    const GeocentricPosition g = geodeticToGeocentric({41, 29, 0}, kWgs84);
    EXPECT_EQ(text, formatSignificant15(g.x) + "\t" + formatSignificant15(g.y) + "\t" +
                        formatSignificant15(g.z));
}

TEST(GeocentricToGeodetic, AgreesWithTheIterationWrittenOut) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> lat(-89.9, 89.9), lon(-180, 180), h(-500, 9000);
    const Ellipsoid intl{6378388.0L, 1 / 297.0L};
    for (int i = 0; i < 5000; ++i) {
        const GeodeticPosition in{lat(rng), lon(rng), h(rng)};
        GeodeticHint hint;
        const GeocentricPosition g = geodeticToGeocentric(in, intl, &hint);
        const GeodeticPosition ref = literalIteration(g.x, g.y, g.z, intl);
        for (const GeodeticHint* withHint :
             {static_cast<const GeodeticHint*>(nullptr), static_cast<const GeodeticHint*>(&hint)}) {
            const auto ours = geocentricToGeodetic(g, intl, withHint);
            ASSERT_TRUE(ours);
            ASSERT_NEAR(ours->latitude, ref.latitude, 1e-13L) << in.latitude << " " << in.longitude;
            ASSERT_NEAR(ours->longitude, ref.longitude, 1e-13L);
            ASSERT_NEAR(ours->height, ref.height, 1e-8L);
            // Within a tenth of a millimetre of the point itself.
            ASSERT_NEAR(ours->latitude, in.latitude, 1e-9L);
            ASSERT_NEAR(ours->height, in.height, 1e-4L);
        }
    }
}

TEST(GeocentricToGeodetic, FindsTheLongitudeInEveryQuadrant) {
    for (Real lon : {10.0L, 100.0L, 179.5L, -179.5L, -100.0L, -10.0L, 180.0L}) {
        const GeocentricPosition g = geodeticToGeocentric({-35, lon, 12}, kWgs84);
        const std::string text = GeocentricToGeodetic(g.x, g.y, g.z, kWgs84.a, kWgs84.f);
        double la, lo, h;
        ASSERT_EQ(scanFormatted(text, "%lf %lf %lf", &la, &lo, &h), 3) << text;
        EXPECT_NEAR(la, -35, 1e-8);
        EXPECT_NEAR(std::remainder(lo - static_cast<double>(lon), 360.0), 0, 1e-8) << text;
        EXPECT_NEAR(h, 12, 0.005);
    }
}

TEST(GeocentricToGeodetic, WritesEightAndTwoDecimals) {
    const GeocentricPosition g =
        geodeticToGeocentric({41.123456789L, 29.987654321L, 55.555L}, kWgs84);
    EXPECT_EQ(GeocentricToGeodetic(g.x, g.y, g.z, kWgs84.a, kWgs84.f),
              "41.12345679 29.98765432 55.55");
}

TEST(GeocentricToGeodetic, GivesNothingOnThePolarAxis) {
    // Both poles and the centre: no longitude exists there.
    for (Real z : {6356752.0L, -6356752.0L, 0.0L}) {
        EXPECT_EQ(GeocentricToGeodetic(0, 0, z, kWgs84.a, kWgs84.f), "") << z;
        EXPECT_FALSE(geocentricToGeodetic({0, 0, z}, kWgs84));
    }
    // A latitude of exactly 90 degrees is a pole as well, south or north.
    for (Real lat : {90.0L, -90.0L}) {
        const GeocentricPosition g = geodeticToGeocentric({lat, 29, 0}, kWgs84);
        EXPECT_EQ(GeocentricToGeodetic(g.x, g.y, g.z, kWgs84.a, kWgs84.f), "") << lat;
    }
    // A metre off the axis is an ordinary point.
    double la = 0, lo = 0, h = 0;
    ASSERT_EQ(scanFormatted(GeocentricToGeodetic(1, 0, 6356752.0L, kWgs84.a, kWgs84.f),
                            "%lf %lf %lf", &la, &lo, &h),
              3);
    EXPECT_NEAR(la, 90 - 1 / 6.4e6 * 180 / kPi, 1e-6);
    EXPECT_EQ(lo, 0);
}

TEST(GeocentricToGeodetic, NeverWritesNonFiniteNumbers) {
    const Real inf = INFINITY;
    const Real nan = NAN;
    EXPECT_EQ(GeocentricToGeodetic(nan, 1, 1, kWgs84.a, kWgs84.f), "");
    EXPECT_EQ(GeocentricToGeodetic(inf, 1, 1, kWgs84.a, kWgs84.f), "");
    EXPECT_EQ(GeocentricToGeodetic(1e6, 1e6, 1e6, kWgs84.a, nan), "");
    EXPECT_EQ(GeodeticToGeocentric(nan, 0, 0, kWgs84.a, kWgs84.f), "0");
    // Near the centre the iteration does not settle; it stops and says so.
    const std::string deep = GeocentricToGeodetic(3, 2, 1, kWgs84.a, kWgs84.f);
    EXPECT_TRUE(deep.empty() || deep.find("nan") == std::string::npos) << deep;
}

}  // namespace
}  // namespace nivora::geodesy
