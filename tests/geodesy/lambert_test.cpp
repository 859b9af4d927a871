#include <gtest/gtest.h>

#include <cmath>

#include "geodesy/lambert.h"

namespace nivora::geodesy {
namespace {

constexpr double kDeg = 3.141592653589793 / 180;
constexpr double kA = 6378137.0;
constexpr double kF = 0.0033528106647474;

struct EN {
    unsigned bits = 0;
    double e = 0, n = 0;
};

EN toLambert2(LambertConformalConic& l, double latDeg, double lonDeg) {
    EN r;
    r.bits = l.GeodeticToLambert2(latDeg * kDeg, lonDeg * kDeg, r.e, r.n);
    return r;
}

EN toLambert1(const LambertConformalConic& l, double latDeg, double lonDeg) {
    EN r;
    r.bits = l.GeodeticToLambert1(latDeg * kDeg, lonDeg * kDeg, r.e, r.n);
    return r;
}

// Worked value: WGS-84, parallels 40 and 42, false origin 39 N 29 E.
TEST(Lambert2, PlacesTheWorkedExample) {
    LambertConformalConic l;
    const double n =
        l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 500000, 0);
    EXPECT_NEAR(n, 0.656093, 5e-7);
    EXPECT_EQ(l.lastSetErrors(), 0u);
    const EN p = toLambert2(l, 41, 30);
    EXPECT_EQ(p.bits, 0u);
    EXPECT_NEAR(p.e, 584120.581, 0.0005);
    EXPECT_NEAR(p.n, 222562.009, 0.0005);
}

TEST(Lambert2, FalseOriginMapsToFalseEastingAndNorthing) {
    LambertConformalConic l;
    l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 500000, 250000);
    const EN p = toLambert2(l, 39, 29);
    EXPECT_NEAR(p.e, 500000, 1e-9);
    EXPECT_NEAR(p.n, 250000, 1e-8);
}

TEST(Lambert1, OriginMapsToFalseEastingAndNorthing) {
    LambertConformalConic l;
    const double n =
        l.SetLambert1Parameters(kA, kF, -33 * kDeg, 151 * kDeg, 300000, 7000000, 0.9999);
    EXPECT_EQ(n, std::sin(-33 * kDeg));
    const EN p = toLambert1(l, -33, 151);
    EXPECT_EQ(p.bits, 0u);
    EXPECT_EQ(p.e, 300000);
    EXPECT_NEAR(p.n, 7000000, 1e-8);
}

// EPSG Guidance Note 7-2 examples, published to 1 cm: Lambert 1SP
// (JAD69 / Jamaica National Grid, Clarke 1866) and Lambert 2SP (NAD27 /
// Texas South Central, US survey feet).
TEST(Lambert, MatchesThePublishedExamples) {
    const double clarkeF = 1 / 294.97869821;
    LambertConformalConic l;
    l.SetLambert1Parameters(6378206.4, clarkeF, 18 * kDeg, -77 * kDeg, 250000, 150000, 1.0);
    const EN j = toLambert1(l, 17 + 55 / 60.0 + 55.80 / 3600, -(76 + 56 / 60.0 + 37.26 / 3600));
    EXPECT_NEAR(j.e, 255966.58, 0.01);
    EXPECT_NEAR(j.n, 142493.51, 0.01);

    const double ftUs = 1200.0 / 3937;
    l.SetLambert2Parameters(6378206.4, clarkeF, (27 + 50 / 60.0) * kDeg, -99 * kDeg,
                            (28 + 23 / 60.0) * kDeg, (30 + 17 / 60.0) * kDeg, 2000000 * ftUs, 0);
    const EN t = toLambert2(l, 28.5, -96);
    EXPECT_NEAR(t.e / ftUs, 2963503.91, 0.01);
    EXPECT_NEAR(t.n / ftUs, 254759.80, 0.01);
}

TEST(Lambert2, CoincidentParallelsAreTheOneParallelFormWithUnitScale) {
    LambertConformalConic two, one;
    const double n =
        two.SetLambert2Parameters(kA, kF, 35 * kDeg, 29 * kDeg, 41 * kDeg, 41 * kDeg, 500000, 1000);
    one.SetLambert1Parameters(kA, kF, 41 * kDeg, 29 * kDeg, 500000, 1000, 1.0);
    EXPECT_EQ(n, std::sin(41 * kDeg));
    for (double lat : {38.0, 41.0, 44.5}) {
        const EN a = toLambert2(two, lat, 31.5);
        const EN b = toLambert1(one, lat, 31.5);
        EXPECT_EQ(a.e, b.e);
        EXPECT_EQ(a.n, b.n);  // false northing at the parallel, not at the false origin
    }
}

TEST(Lambert, CentralMeridianAbovePiIsStoredWestOfGreenwich) {
    LambertConformalConic a, b;
    a.SetLambert1Parameters(kA, kF, 45 * kDeg, 200 * kDeg, 0, 0, 1.0);
    b.SetLambert1Parameters(kA, kF, 45 * kDeg, -160 * kDeg, 0, 0, 1.0);
    const EN pa = toLambert1(a, 46, -158);
    const EN pb = toLambert1(b, 46, -158);
    EXPECT_NEAR(pa.e, pb.e, 1e-6);
    EXPECT_NEAR(pa.n, pb.n, 1e-6);
    EXPECT_NEAR(toLambert1(a, 45, -160).e, 0, 1e-6);
}

TEST(Lambert, LongitudeDifferenceIsWrappedIntoHalfATurn) {
    LambertConformalConic l;
    l.SetLambert1Parameters(kA, kF, 45 * kDeg, 170 * kDeg, 0, 0, 1.0);
    // 175 E and 185 E (= 175 W) lie either side of 180, 5 and 15 degrees east.
    const EN east = toLambert1(l, 45, 185);
    const EN west = toLambert1(l, 45, -175);
    EXPECT_NEAR(east.e, west.e, 1e-6);
    EXPECT_GT(west.e, 0);
}

TEST(Lambert, InverseFlatteningIsRejectedAndTheOldParametersStay) {
    LambertConformalConic l;
    const double n0 = l.SetLambert1Parameters(kA, kF, 45 * kDeg, 10 * kDeg, 0, 0, 1.0);
    const EN before = toLambert1(l, 46, 11);
    EXPECT_EQ(l.SetLambert1Parameters(kA, 298.257, 30 * kDeg, 0, 0, 0, 1.0), n0);
    EXPECT_EQ(l.lastSetErrors(), lambert1_error::kFlattening);
    EXPECT_EQ(toLambert1(l, 46, 11).e, before.e);

    const double n2 =
        l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 0, 0);
    EXPECT_EQ(
        l.SetLambert2Parameters(kA, 298.257, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 0, 0),
        l.coneConstant());
    EXPECT_EQ(l.lastSetErrors(), lambert2_error::kFlattening);
    EXPECT_NEAR(l.coneConstant(), n2, 1e-15);
}

TEST(Lambert1, RejectionBits) {
    using namespace lambert1_error;
    LambertConformalConic l;
    EXPECT_EQ(l.SetLambert1Parameters(0, kF, 45 * kDeg, 0, 0, 0, 1),
              0.0);  // nothing stored yet: n = 0
    EXPECT_EQ(l.lastSetErrors(), kSemiMajorAxis);
    l.SetLambert1Parameters(kA, kF, 0, 0, 0, 0, 1);
    EXPECT_EQ(l.lastSetErrors(), kOriginLatitude);
    l.SetLambert1Parameters(kA, kF, kLambertMaxLatitude + 1e-9, 0, 0, 0, 1);
    EXPECT_EQ(l.lastSetErrors(), kOriginLatitude);
    l.SetLambert1Parameters(kA, kF, 45 * kDeg, 2 * 3.141592653589793 + 1e-9, 0, 0, 1);
    EXPECT_EQ(l.lastSetErrors(), kCentralMeridian);
    l.SetLambert1Parameters(kA, kF, 45 * kDeg, 0, 0, 0, 3.01);
    EXPECT_EQ(l.lastSetErrors(), kScaleFactor);
    l.SetLambert1Parameters(-1, 1.0 / 200, 0, -4, 0, 0, 0.2);
    EXPECT_EQ(l.lastSetErrors(),
              kSemiMajorAxis | kFlattening | kOriginLatitude | kCentralMeridian | kScaleFactor);
    // Not-a-number arguments are out of range too.
    l.SetLambert1Parameters(NAN, kF, 45 * kDeg, 0, 0, 0, NAN);
    EXPECT_EQ(l.lastSetErrors(), kSemiMajorAxis | kScaleFactor);
}

TEST(Lambert2, RejectionBits) {
    using namespace lambert2_error;
    LambertConformalConic l;
    l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 0, 0, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), kBothParallelsZero | kOppositeParallels);
    l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 30 * kDeg, -30 * kDeg, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), kOppositeParallels);
    l.SetLambert2Parameters(0, 0, 1.6, 7, 1.6, -1.6, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), kSemiMajorAxis | kFlattening | kFalseOriginLatitude | kParallel1 |
                                     kParallel2 | kOppositeParallels | kCentralMeridian);
    // Coinciding parallels on the equator make a cone the one-parallel form refuses.
    l.SetLambert2Parameters(kA, kF, 0, 0, 0, 1e-11, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), kDerivedCone);
}

TEST(Lambert, ConversionErrorBits) {
    using namespace lambert_conversion_error;
    LambertConformalConic l;
    double e = -1, n = -1;
    // Nothing set yet: no position, rather than the zeroed state's (0, 0).
    EXPECT_EQ(l.GeodeticToLambert1(0.7, 0.5, e, n), kNoParameters);
    EXPECT_EQ(l.GeodeticToLambert2(0.7, 0.5, e, n), kNoParameters);
    EXPECT_EQ(e, -1);
    l.SetLambert1Parameters(kA, kF, 45 * kDeg, 0, 0, 0, 1);
    EXPECT_EQ(l.GeodeticToLambert1(1.6, 0.5, e, n), kLatitude);
    EXPECT_EQ(l.GeodeticToLambert1(0.7, 7, e, n), kLongitude);
    EXPECT_EQ(l.GeodeticToLambert1(-1.6, -4, e, n), kLatitude | kLongitude);
    // The pole of the cone projects to its apex; the other pole to infinity.
    EXPECT_EQ(l.GeodeticToLambert1(3.141592653589793 / 2, 0.5, e, n), 0u);
    EXPECT_EQ(e, 0);
    EXPECT_EQ(l.GeodeticToLambert1(-3.141592653589793 / 2, 0.5, e, n), kLatitude);
    EXPECT_EQ(e, 0);
}

// The two forms share one set of one-parallel parameters; the two-parallel
// conversion re-installs its own on every call.
TEST(Lambert, FormsCanBeUsedAlternately) {
    LambertConformalConic l, twoOnly, oneOnly;
    l.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 500000, 0);
    twoOnly.SetLambert2Parameters(kA, kF, 39 * kDeg, 29 * kDeg, 40 * kDeg, 42 * kDeg, 500000, 0);
    l.SetLambert1Parameters(kA, kF, 50 * kDeg, 4 * kDeg, 150000, 5400000, 1.0);
    oneOnly.SetLambert1Parameters(kA, kF, 50 * kDeg, 4 * kDeg, 150000, 5400000, 1.0);
    EXPECT_EQ(toLambert1(l, 51, 5).e, toLambert1(oneOnly, 51, 5).e);
    EXPECT_EQ(toLambert2(l, 41, 30).e, toLambert2(twoOnly, 41, 30).e);
    // ... which replaced the one-parallel parameters set before.
    EXPECT_EQ(toLambert1(l, 41, 30).e, toLambert2(twoOnly, 41, 30).e);
}

// Belgian Lambert 1972 (EPSG:31370) has its false origin at the north pole.
TEST(Lambert2, AcceptsAFalseOriginAtThePoleOfTheCone) {
    LambertConformalConic l;
    const double lon0 = 4 + 22 / 60.0 + 2.952 / 3600;
    const double n =
        l.SetLambert2Parameters(6378388, 1 / 297.0, 90 * kDeg, lon0 * kDeg, 51.16666723333 * kDeg,
                                49.8333339 * kDeg, 150000.013, 5400088.438);
    EXPECT_EQ(l.lastSetErrors(), 0u);
    EXPECT_GT(n, std::sin(49.8333339 * kDeg));
    EXPECT_LT(n, std::sin(51.16666723333 * kDeg));
    // The pole is the false origin.
    const EN pole = toLambert2(l, 90, lon0);
    EXPECT_EQ(pole.bits, 0u);
    EXPECT_NEAR(pole.e, 150000.013, 1e-9);
    EXPECT_NEAR(pole.n, 5400088.438, 1e-6);
    // Just inside MAX_LAT and the pole itself are accepted, the band between is not.
    l.SetLambert2Parameters(6378388, 1 / 297.0, kLambertMaxLatitude + 1e-7, lon0 * kDeg,
                            51.2 * kDeg, 49.8 * kDeg, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), lambert2_error::kFalseOriginLatitude);
    // A false origin at the far pole would lie at infinity.
    l.SetLambert2Parameters(6378388, 1 / 297.0, -90 * kDeg, lon0 * kDeg, 51.2 * kDeg, 49.8 * kDeg,
                            0, 0);
    EXPECT_EQ(l.lastSetErrors(), lambert2_error::kFalseOriginLatitude);
    // A southern cone takes the south pole.
    l.SetLambert2Parameters(kA, kF, -90 * kDeg, 134 * kDeg, -18 * kDeg, -36 * kDeg, 0, 0);
    EXPECT_EQ(l.lastSetErrors(), 0u);
    const EN south = toLambert2(l, -90, 134);
    EXPECT_NEAR(south.e, 0, 1e-9);
    EXPECT_NEAR(south.n, 0, 1e-6);
}

}  // namespace
}  // namespace nivora::geodesy
