#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/number_format.h"
#include "core/scan.h"
#include "geodesy/datum_chain.h"
#include "geodesy/geodesy_text.h"

namespace nivora::geodesy {
namespace {

std::string datumText(const std::string& local) {
    return std::string(kWgs84IdentityPrefix) + local;
}

std::string blhText(const GeodeticPosition& p) {
    return formatFixed(static_cast<double>(p.latitude), 8) + " " +
           formatFixed(static_cast<double>(p.longitude), 8) + " " +
           formatFixed(static_cast<double>(p.height), 2);
}

const std::string kIdentity = datumText("6378137.0 0.0033528106647474 0 0 0 0 0 0 0");
// International 1924 with shifts of hundreds of metres, arc-second rotations
// and a scale of a few ppm.
const std::string kEd50Like =
    datumText("6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7");

TEST(TransformDatum, IdentityReturnsTheInputToThePrintedPrecision) {
    std::mt19937_64 rng(29);
    std::uniform_real_distribution<double> lat(-80, 80), lon(-180, 180), h(-100, 3000);
    for (int i = 0; i < 2000; ++i) {
        const double la = lat(rng), lo = lon(rng), hh = h(rng);
        const std::string in =
            formatShortest(la) + " " + formatShortest(lo) + " " + formatShortest(hh);
        ASSERT_EQ(TransformDatum("BLH", in, kIdentity),
                  formatFixed(la, 8) + " " + formatFixed(lo, 8) + " " + formatFixed(hh, 2))
            << in;
    }
}

TEST(TransformDatum, NeedsThreePositionNumbersAndEighteenParameters) {
    EXPECT_EQ(TransformDatum("BLH", "41 29", kEd50Like), "0");
    EXPECT_EQ(TransformDatum("BLH", "41 29 abc", kEd50Like), "0");
    EXPECT_EQ(TransformDatum("XYZ", "", kEd50Like), "0");
    // Further numbers are ignored.
    EXPECT_EQ(TransformDatum("BLH", "41 29 10 77 88", kEd50Like),
              TransformDatum("BLH", "41 29 10", kEd50Like));
    // An empty or non-numeric transformation field leaves 17 numbers: the
    // chain does not run on a parameter it never read.
    EXPECT_EQ(
        TransformDatum("BLH", "41 29 10",
                       datumText("6378388 0.00336700336700337  0.7 -1.2 2.3 -84.1 -101.8 -129.7")),
        "0");
    EXPECT_EQ(
        TransformDatum("BLH", "41 29 10",
                       datumText("6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 abc")),
        "0");
    // Parameters that give no finite number are a failure, never "nan".
    EXPECT_EQ(TransformDatum("BLH", "41 29 10",
                             datumText("6378388 0.00336700336700337 -1000000 0 0 0 0 0 0")),
              "0");
    EXPECT_EQ(
        TransformDatum("BLH", "41 29 10", datumText("6378388 0.00336700336700337 nan 0 0 0 0 0 0")),
        "0");
}

TEST(TransformDatum, SelectorChoosesGeocentricOrGeodetic) {
    const std::string xyz = TransformDatum("XYZ", "41 29 10", kEd50Like);
    double x, y, z;
    ASSERT_EQ(scanFormatted(xyz, "%lf %lf %lf", &x, &y, &z), 3) << xyz;
    EXPECT_EQ(TransformDatum("BLH", "41 29 10", kEd50Like),
              GeocentricToGeodetic(x, y, z, 6378388, 0.00336700336700337L));
    EXPECT_EQ(TransformDatum("anything", "41 29 10", kEd50Like),
              TransformDatum("BLH", "41 29 10", kEd50Like));
}

TEST(TransformDatum, GivesAnEmptyTextOnThePolarAxis) {
    EXPECT_EQ(TransformDatum("BLH", "90 0 0", kIdentity), "");
    EXPECT_EQ(TransformDatum("BLH", "-90 15 0", kIdentity), "");
}

// The numeric chain hands its stages 15-digit numbers as the texts do; it
// must land on the very same doubles as the text operations.
TEST(DatumChain, FifteenDigitStagesEqualTheTextChain) {
    std::mt19937_64 rng(31);
    // Up to the poles, where the longitudes are most sensitive to the stages.
    std::uniform_real_distribution<double> lat(-89.99, 89.99), lon(-180, 180), h(-100, 2000);
    std::uniform_real_distribution<double> rot(-5, 5), ppm(-10, 10), shift(-600, 600);
    for (int set = 0; set < 20; ++set) {
        const std::string local = "6378388 0.00336700336700337 " + formatShortest(ppm(rng)) + " " +
                                  formatShortest(rot(rng)) + " " + formatShortest(rot(rng)) + " " +
                                  formatShortest(rot(rng)) + " " + formatShortest(shift(rng)) +
                                  " " + formatShortest(shift(rng)) + " " +
                                  formatShortest(shift(rng));
        // Source parameters that are not zero exercise the first seven-parameter step too.
        for (const std::string& prefix :
             {std::string(kWgs84IdentityPrefix),
              std::string("6378137 0.0033528106647474 0.3 0.1 0.2 -0.1 1.5 -2 3 ")}) {
            const std::string text = prefix + local;
            const DatumChain chain(*scanDatumParameters(text), StagePrecision::FifteenDigits);
            for (int i = 0; i < 200; ++i) {
                const double la = lat(rng), lo = lon(rng), hh = h(rng);
                const std::string in =
                    formatShortest(la) + " " + formatShortest(lo) + " " + formatShortest(hh);
                const auto p = chain.toLocal({la, lo, hh});
                ASSERT_TRUE(p);
                ASSERT_EQ(blhText(*p), TransformDatum("BLH", in, text)) << in << " | " << text;
                const auto g = chain.toLocalGeocentric({la, lo, hh});
                ASSERT_TRUE(g);
                std::string xyz = formatSignificant15(g->x) + "\t" + formatSignificant15(g->y) +
                                  "\t" + formatSignificant15(g->z);
                ASSERT_EQ(xyz, TransformDatum("XYZ", in, text));
            }
        }
    }
}

// The chain skips the stage texts unless its unrounded result lies near a
// rounding tie. Positions steered onto ties, and just outside the margins
// around them (1e-10 degrees, 1e-5 m), must still come out as the
// stage-by-stage texts have them.
TEST(DatumChain, ResultsAtRoundingTiesEqualTheTextChain) {
    const auto params = scanDatumParameters(kEd50Like);
    const DatumChain exact(*params, StagePrecision::Exact);
    const DatumChain program(*params, StagePrecision::FifteenDigits);
    std::mt19937_64 rng(43);
    std::uniform_real_distribution<double> lat(35, 43), lon(25, 41), h(-50, 500);
    int steered = 0;
    for (int i = 0; i < 3000; ++i) {
        GeodeticPosition in{lat(rng), lon(rng), h(rng)};
        const int which = i % 3;
        const Real unit = which == 2 ? 0.01L : 1e-8L;
        // In units of the last decimal: on the tie, or just beyond the margin.
        const Real margin = which == 2 ? 1e-3L : 1e-2L;
        const Real offset = (i % 2 ? 1 : -1) * (i % 4 < 2 ? 1e-7L * (i % 7) : 1.2L * margin);
        const auto distanceFromTie = [&](const GeodeticPosition& out) {
            const Real v = (which == 0   ? out.latitude
                            : which == 1 ? out.longitude
                                         : out.height) /
                           unit;
            return v - (std::floor(v) + 0.5L);
        };
        for (int pass = 0; pass < 3; ++pass) {
            const auto out = exact.toLocalUnrounded(in);
            ASSERT_TRUE(out);
            Real& coordinate = which == 0 ? in.latitude : which == 1 ? in.longitude : in.height;
            // Fixes arrive as doubles.
            coordinate = static_cast<double>(coordinate + (offset - distanceFromTie(*out)) * unit);
        }
        const auto fromChain = program.toLocal(in);
        ASSERT_TRUE(fromChain);
        const std::string text =
            TransformDatum("BLH",
                           formatShortest(static_cast<double>(in.latitude)) + " " +
                               formatShortest(static_cast<double>(in.longitude)) + " " +
                               formatShortest(static_cast<double>(in.height)),
                           kEd50Like);
        ASSERT_EQ(blhText(*fromChain), text) << i;
        if (std::fabs(distanceFromTie(*exact.toLocalUnrounded(in)) - offset) < 1e-5L) ++steered;
    }
    // The steering itself worked for nearly all of them.
    EXPECT_GT(steered, 2800);
}

TEST(DatumChain, RoundsItsResultToEightAndTwoDecimals) {
    const DatumChain chain(*scanDatumParameters(kEd50Like), StagePrecision::Exact);
    const auto rounded = chain.toLocal({41.123456789, 29.987654321, 55.555});
    const auto exact = chain.toLocalUnrounded({41.123456789, 29.987654321, 55.555});
    ASSERT_TRUE(rounded && exact);
    const auto readBack = [](const std::string& text) {
        double v = 0;
        scanFormatted(text, "%lf", &v);
        return static_cast<Real>(v);
    };
    EXPECT_EQ(rounded->latitude, readBack(formatFixedExtended(exact->latitude, 8)));
    EXPECT_EQ(rounded->longitude, readBack(formatFixedExtended(exact->longitude, 8)));
    EXPECT_EQ(rounded->height, readBack(formatFixedExtended(exact->height, 2)));
    EXPECT_NE(rounded->latitude, exact->latitude);
    EXPECT_NEAR(rounded->latitude, exact->latitude, 0.5e-8L);
    EXPECT_NEAR(rounded->height, exact->height, 0.005L);
}

}  // namespace
}  // namespace nivora::geodesy
