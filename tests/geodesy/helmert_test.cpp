#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/scan.h"
#include "geodesy/geodesy_text.h"
#include "geodesy/helmert.h"
#include "tests/geodesy/real_near.h"

namespace nivora::geodesy {
namespace {

GeocentricPosition scanXyz(const std::string& text) {
    double x = 0, y = 0, z = 0;
    EXPECT_EQ(scanFormatted(text, "%lf %lf %lf", &x, &y, &z), 3) << text;
    return {x, y, z};
}

// EPSG Guidance Note 7-2, Coordinate Frame rotation example (WGS 72 to
// WGS 84: tz = +4.5 m, rz = -0.554", +0.219 ppm), published to 1 cm. The
// parameters take the source frame to WGS 84, so it is the "WGS" direction.
TEST(HelmertTransform, MatchesThePublishedCoordinateFrameExample) {
    const GeocentricPosition g = scanXyz(
        HelmertTransform("WGS", "3657660.66 255768.55 5201382.11 0.219 0 0 -0.554 0 0 4.5"));
    EXPECT_NEAR(g.x, 3657660.78L, 0.01L);
    EXPECT_NEAR(g.y, 255778.43L, 0.01L);
    EXPECT_NEAR(g.z, 5201387.75L, 0.01L);
    // The position-vector form of the same example has the opposite rotation sign.
    const SevenParameterTransform pv({0.219L, 0, 0, 0.554L, 0, 0, 4.5L},
                                     RotationConvention::PositionVector);
    const GeocentricPosition p =
        pv.apply(HelmertDirection::LocalToWgs84, {3657660.66L, 255768.55L, 5201382.11L});
    EXPECT_NEAR(p.x, g.x, 1e-6L);
    EXPECT_NEAR(p.y, g.y, 1e-6L);
    EXPECT_NEAR(p.z, g.z, 1e-6L);
}

TEST(HelmertTransform, OtherDirectionsUndoTheWgsDirection) {
    const char* params = " 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7";
    const std::string in = "4213422.5 2331208.25 4177915.75";
    const std::string there = HelmertTransform("WGS", in + params);
    const GeocentricPosition back = scanXyz(HelmertTransform("Local", there + params));
    EXPECT_NEAR(back.x, 4213422.5L, 1e-6L);
    EXPECT_NEAR(back.y, 2331208.25L, 1e-6L);
    EXPECT_NEAR(back.z, 4177915.75L, 1e-6L);
    // Any text but "WGS" is the inverse, "Local" only by convention.
    EXPECT_EQ(HelmertTransform("anything", there + params),
              HelmertTransform("Local", there + params));
    EXPECT_NE(HelmertTransform("wgs", in + params), there);
}

TEST(HelmertTransform, NeedsTenNumbers) {
    EXPECT_EQ(HelmertTransform("WGS", "1 2 3 4 5 6 7 8 9"), "0");
    EXPECT_EQ(HelmertTransform("WGS", "1 2 3 4 5 6 7 8 9 x"), "0");
    EXPECT_EQ(HelmertTransform("WGS", ""), "0");
    // Further numbers are ignored.
    EXPECT_EQ(HelmertTransform("WGS", "1 2 3 0 0 0 0 10 20 30 99 99"), "11\t22\t33");
    // A result that is not a finite number is never written.
    EXPECT_EQ(HelmertTransform("Local", "1 2 3 -1000000 0 0 0 0 0 0"), "0");
    EXPECT_EQ(HelmertTransform("WGS", "nan 2 3 0 0 0 0 0 0 0"), "0");
}

TEST(HelmertTransform, UnitsAreArcSecondsAndPartsPerMillion) {
    // 3600" about z is one degree: (1, 0, 0) seen from a frame turned by +1 degree.
    const GeocentricPosition r = scanXyz(HelmertTransform("WGS", "1000000 0 0 0 0 0 3600 0 0 0"));
    EXPECT_NEAR(r.x, 1e6L * std::cos(kPi / 180), 1e-6L);
    EXPECT_NEAR(r.y, -1e6L * std::sin(kPi / 180), 1e-6L);
    // 0 ppm is a scale of exactly 1; 10 ppm adds 10 mm per 1000 m.
    EXPECT_EQ(HelmertTransform("WGS", "1000 2000 3000 0 0 0 0 0 0 0"), "1000\t2000\t3000");
    EXPECT_EQ(HelmertTransform("WGS", "1000 2000 3000 10 0 0 0 0 0 0"),
              "1000.01\t2000.02\t3000.03");
}

// The inverse is taken by elimination, not as the transpose, yet for any
// scaled rotation the two must agree.
TEST(SevenParameterTransform, NumericInverseEqualsTransposeOverScale) {
    std::mt19937_64 rng(23);
    std::uniform_real_distribution<double> rot(-30, 30), ppm(-20, 20), shift(-500, 500);
    for (int i = 0; i < 2000; ++i) {
        const HelmertParameters p{ppm(rng),   rot(rng),   rot(rng),  rot(rng),
                                  shift(rng), shift(rng), shift(rng)};
        const SevenParameterTransform t(p, RotationConvention::CoordinateFrame);
        const Real s = 1 + p.scalePpm * 1e-6L;
        for (std::size_t r = 0; r < 3; ++r) {
            for (std::size_t c = 0; c < 3; ++c) {
                ASSERT_REAL_NEAR(t.inverse()[r][c], t.scaledRotation()[c][r] / (s * s), 1e-17L);
            }
        }
    }
}

TEST(SevenParameterTransform, FullMatrixReducesToTheSmallAngleForm) {
    // Equal up to the products of two angles (about 1e-10 for arc-seconds).
    const Real sec = kPi / 180 / 3600;
    const SevenParameterTransform t({0, 1, 2, 3, 0, 0, 0}, RotationConvention::CoordinateFrame);
    const Matrix3& m = t.scaledRotation();
    EXPECT_NEAR(m[0][1], 3 * sec, 2e-10L);
    EXPECT_NEAR(m[0][2], -2 * sec, 2e-10L);
    EXPECT_NEAR(m[1][0], -3 * sec, 2e-10L);
    EXPECT_NEAR(m[1][2], 1 * sec, 2e-10L);
    EXPECT_NEAR(m[2][0], 2 * sec, 2e-10L);
    EXPECT_NEAR(m[2][1], -1 * sec, 2e-10L);
    EXPECT_TRUE(SevenParameterTransform({}, RotationConvention::CoordinateFrame).isIdentity());
    EXPECT_FALSE(t.isIdentity());
}

}  // namespace
}  // namespace nivora::geodesy
