#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <string>

#include "core/number_format.h"
#include "core/scan.h"
#include "geodesy/fix_projection.h"
#include "geodesy/geodesy_text.h"

namespace nivora::geodesy {
namespace {

constexpr double kPiD = 3.141592653589793;

using Ini = std::map<std::string, std::string>;

GeodeticParameters fromIni(const Ini& ini) {
    return readGeodeticParameters(
        [&](std::string_view section, std::string_view key) -> std::optional<std::string> {
            EXPECT_EQ(section, "GEODETIC_PARAMETERS");
            const auto it = ini.find(std::string(key));
            if (it == ini.end()) return std::nullopt;
            return it->second;
        });
}

// International 1924 with a realistic seven-parameter set; a 3-degree TM
// zone and a Lambert cone over the same area.
Ini surveyIni() {
    return {{"SemiMajorAxis", "6378388"},
            {"InverseFlattening", "0.00336700336700337"},
            {"X_Rotation", "0.7"},
            {"Y_Rotation", "-1.2"},
            {"Z_Rotation", "2.3"},
            {"X_Shift", "-84.1"},
            {"Y_Shift", "-101.8"},
            {"Z_Shift", "-129.7"},
            {"Scale_PPM", "1.05"},
            {"Central_Meridian", "30"},
            {"Reference_Latitude", "0"},
            {"Scale_Factor", "1"},
            {"False_Easting", "500000"},
            {"False_Northing", "0"},
            {"Use Projection", "1"},
            {"Use DTP", "1"},
            {"Name of Datum", "ED50"},
            {"eLCCSP1", "40"},
            {"eLCCSP2", "42"},
            {"eLCCSF", "1"},
            {"eLCCCP", "39"},
            {"eLCCM", "29"},
            {"eLCCFE", "500000"},
            {"eLCCFN", "0"},
            {"cbUseLCCProjection", "0"},
            {"cLambert1", "0"}};
}

Ini lambertIni(bool oneParallel) {
    Ini ini = surveyIni();
    ini["Use Projection"] = "0";
    ini["cbUseLCCProjection"] = "1";
    ini["cLambert1"] = oneParallel ? "1" : "0";
    if (oneParallel) ini["eLCCCP"] = "41";
    return ini;
}

TEST(GeodeticParameters, KeyTableNamesEveryFieldOnce) {
    std::set<std::string_view> keys;
    for (const GeodeticKey& k : kGeodeticKeys) {
        EXPECT_EQ(k.section, kGeodeticSection);
        keys.insert(k.key);
        for (const GeodeticKey& other : kGeodeticKeys) {
            if (&other != &k) {
                EXPECT_NE(other.field, k.field) << k.key << " and " << other.key;
            }
        }
    }
    EXPECT_EQ(keys.size(), kGeodeticKeys.size());
}

TEST(GeodeticParameters, KeepsTheStoredTextsAndEmptyForMissingKeys) {
    Ini ini = surveyIni();
    ini["X_Shift"] = " -84.10 ";
    ini.erase("Z_Shift");
    const GeodeticParameters p = fromIni(ini);
    EXPECT_EQ(p.semiMajorAxis, "6378388");
    EXPECT_EQ(p.flattening, "0.00336700336700337");
    EXPECT_EQ(p.shiftX, " -84.10 ");
    EXPECT_EQ(p.shiftZ, "");
    EXPECT_EQ(p.datumName, "ED50");
    EXPECT_EQ(p.lccCentralMeridian, "29");
}

TEST(GeodeticParameters, BuildsTheCycleTexts) {
    const GeodeticParameters p = fromIni(surveyIni());
    EXPECT_EQ(datumParameterText(p),
              "6378137.0  0.0033528106647474  0.0  0.0  0.0  0.0  0.0  0.0  0.0 "
              "6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 -84.1 -101.8 -129.7");
    EXPECT_EQ(ellipsoidPairText(p), "6378137.0 0.0033528106647474 6378388 0.00336700336700337");
    EXPECT_EQ(tmParameterText(p), "30 0 1 500000 0");
}

TEST(GeodeticParameters, ProjectionBoxesFollowTheFlagsAsLoaded) {
    Ini ini = surveyIni();
    EXPECT_TRUE(fromIni(ini).tmSelected());
    ini["cbUseLCCProjection"] = "1";
    EXPECT_TRUE(fromIni(ini).lambertSelected());
    ini["cbUseLCCProjection"] = " 2 ";
    EXPECT_TRUE(fromIni(ini).lambertSelected());
    // Without a readable Lambert flag the boxes keep what the TM flag made of them.
    ini["cbUseLCCProjection"] = "yes";
    EXPECT_FALSE(fromIni(ini).lambertSelected());
    ini["Use Projection"] = "0";
    EXPECT_TRUE(fromIni(ini).lambertSelected());
    ini.erase("cbUseLCCProjection");
    EXPECT_TRUE(fromIni(ini).lambertSelected());
    EXPECT_FALSE(fromIni(Ini{}).lambertSelected());
    EXPECT_FALSE(fromIni(Ini{}).lambert1Selected());
    EXPECT_TRUE(fromIni(Ini{}).dtpSelected());
}

TEST(FixProjector, ChoosesTheProjectionByTheLambertFlags) {
    EXPECT_EQ(FixProjector::take(fromIni(surveyIni()))->projection(),
              GridProjection::TransverseMercator);
    EXPECT_EQ(FixProjector::take(fromIni(lambertIni(true)))->projection(),
              GridProjection::Lambert1);
    EXPECT_EQ(FixProjector::take(fromIni(lambertIni(false)))->projection(),
              GridProjection::Lambert2);
}

// Only the ellipsoid and the projection in use must convert (an unused
// Lambert field once abandoned every TM fix); one that is not a number ends
// every tick.
TEST(FixProjector, NamesTheFieldThatIsNotANumber) {
    Ini ini = surveyIni();
    ini["eLCCSF"] = "";
    ParameterConversionError error;
    EXPECT_TRUE(FixProjector::take(fromIni(ini), &error)) << "TM does not use the Lambert scale";
    Ini one = lambertIni(true);
    one["eLCCSF"] = "";
    EXPECT_FALSE(FixProjector::take(fromIni(one), &error));
    EXPECT_EQ(error.key, "eLCCSF");
    EXPECT_EQ(error.text, "");
    EXPECT_EQ(error.reason, "eLCCSF: '' is not a valid number");
    Ini two = lambertIni(false);
    two["eLCCSF"] = "";
    two["Scale_Factor"] = "x";
    EXPECT_TRUE(FixProjector::take(fromIni(two))) << "two parallels use no scale factor";
    ini["Scale_Factor"] = "0,9996";
    EXPECT_FALSE(FixProjector::take(fromIni(ini), &error));
    EXPECT_EQ(error.key, "Scale_Factor");
    EXPECT_EQ(error.text, "0,9996");
    EXPECT_EQ(projectFix(fromIni(ini), 41, 29, 0).status, FixStatus::ParameterNotANumber);
    EXPECT_FALSE(projectFix(fromIni(ini), 41, 29, 0).convergence);
}

// A value that is neither a flattening nor an inverse flattening would move
// every fix by kilometres; the fix is abandoned instead.
TEST(FixProjector, RefusesAnEllipsoidThatCannotBe) {
    for (const auto& [key, text] : {std::pair<const char*, const char*>{"InverseFlattening", "500"},
                                    {"InverseFlattening", "1.5"},
                                    {"InverseFlattening", "-0.003"},
                                    {"SemiMajorAxis", "0"}}) {
        Ini ini = surveyIni();
        ini[key] = text;
        ParameterConversionError error;
        EXPECT_FALSE(FixProjector::take(fromIni(ini), &error)) << key << "=" << text;
        EXPECT_EQ(error.key, key);
        EXPECT_FALSE(error.notANumber);
        EXPECT_FALSE(projectFix(fromIni(ini), 41, 29, 0).placed());
    }
    Ini sphere = surveyIni();
    sphere["InverseFlattening"] = "0";
    EXPECT_TRUE(FixProjector::take(fromIni(sphere))) << "a sphere is an ellipsoid";
    ParameterConversionError error;
    Ini wrong = surveyIni();
    wrong["InverseFlattening"] = "500";
    EXPECT_FALSE(FixProjector::take(fromIni(wrong), &error));
    EXPECT_EQ(error.reason,
              "InverseFlattening: '500' is neither a flattening (below 1, such as 0.00336) nor an "
              "inverse flattening (250 to 350, such as 297)");
}

// The field's name says inverse flattening: 297 typed there is the
// International 1924 ellipsoid the stored 0.00336700336700337 is, on every
// projection, to the millimetre.
TEST(FixProjector, AnInverseFlatteningInTheFieldIsUnderstood) {
    for (Ini ini : {surveyIni(), lambertIni(true), lambertIni(false)}) {
        auto stored = FixProjector::take(fromIni(ini));
        ini["InverseFlattening"] = "297";
        auto inverse = FixProjector::take(fromIni(ini));
        ASSERT_TRUE(stored && inverse);
        for (const double lat : {40.0, 41.5}) {
            const FixResult a = stored->project(lat, 29.3, 40), b = inverse->project(lat, 29.3, 40);
            ASSERT_TRUE(a.placed() && b.placed());
            EXPECT_NEAR(a.easting, b.easting, 0.001);
            EXPECT_NEAR(a.northing, b.northing, 0.001);
        }
    }
    EXPECT_EQ(flatteningOf("298.257223563"), 1 / 298.257223563);
    EXPECT_EQ(flatteningOf("0.0033528106647474"), 0.0033528106647474);
    EXPECT_FALSE(flatteningOf("249"));
}

// The seven transformation fields are not converted beforehand; an empty
// one leaves 17 numbers in the datum text and no fix may be placed.
TEST(FixProjector, AbandonsEveryFixWhenTheDatumTextIsShort) {
    for (const char* key : {"Scale_PPM", "X_Rotation", "Z_Shift"}) {
        Ini ini = surveyIni();
        ini[key] = "";
        auto tm = FixProjector::take(fromIni(ini));
        ASSERT_TRUE(tm);
        const FixResult r = tm->project(41, 29, 10);
        EXPECT_EQ(r.status, FixStatus::DatumParametersIncomplete) << key;
        // The TM path has set its convergence before the datum step.
        EXPECT_TRUE(r.convergence);
        ini["Use Projection"] = "0";
        ini["cbUseLCCProjection"] = "1";
        const FixResult l = FixProjector::take(fromIni(ini))->project(41, 29, 10);
        EXPECT_EQ(l.status, FixStatus::DatumParametersIncomplete);
        EXPECT_FALSE(l.convergence);
    }
    Ini ini = surveyIni();
    ini["Y_Rotation"] = "abc";
    EXPECT_EQ(projectFix(fromIni(ini), 41, 29, 10).status, FixStatus::DatumParametersIncomplete);
}

// An INI without the other projection's keys: the window's own "0" and "1"
// stand in, and fixes are placed as with a complete file.
TEST(FixProjector, MissingKeysOfTheOtherProjectionDoNotMatter) {
    Ini tm = surveyIni();
    for (const char* key :
         {"eLCCSP1", "eLCCSP2", "eLCCSF", "eLCCCP", "eLCCM", "eLCCFE", "eLCCFN", "cLambert1"})
        tm.erase(key);
    const GeodeticParameters p = fromIni(tm);
    EXPECT_EQ(p.lccStandardParallel1, "0");
    EXPECT_EQ(p.lccScaleFactor, "1");
    EXPECT_EQ(p.lccFalseNorthing, "0");
    const FixResult full = projectFix(fromIni(surveyIni()), 41.01, 29.02, 10);
    const FixResult lacking = projectFix(p, 41.01, 29.02, 10);
    ASSERT_TRUE(lacking.placed());
    EXPECT_EQ(lacking.easting, full.easting);
    EXPECT_EQ(lacking.northing, full.northing);

    Ini lambert = lambertIni(false);
    for (const char* key : {"Central_Meridian", "Reference_Latitude", "Scale_Factor",
                            "False_Easting", "False_Northing"})
        lambert.erase(key);
    EXPECT_EQ(fromIni(lambert).scaleFactor, "1");
    EXPECT_EQ(fromIni(lambert).centralMeridian, "0");
    EXPECT_TRUE(projectFix(fromIni(lambert), 41.01, 29.02, 10).placed());
    EXPECT_EQ(fromIni(lambert).shiftX, "-84.1");
    EXPECT_EQ(fromIni(Ini{}).shiftX, "") << "datum fields have no text of their own";
}

// Parameters the Lambert projection rejects are refused before any fix,
// naming the field and why (they used to abandon every fix without a word).
TEST(FixProjector, RejectedLambertParametersAreRefusedWithTheReason) {
    Ini one = lambertIni(true);
    one["eLCCSF"] = "5";
    ParameterConversionError error;
    EXPECT_FALSE(FixProjector::take(fromIni(one), &error));
    EXPECT_EQ(error.key, "eLCCSF");
    EXPECT_TRUE(error.rejectedByProjection);
    EXPECT_EQ(error.reason,
              "eLCCSF: '5' is rejected by the Lambert projection: it must lie between 0.3 and 3");
    Ini two = lambertIni(false);
    two["eLCCSP2"] = "-40";
    EXPECT_FALSE(FixProjector::take(fromIni(two), &error));
    EXPECT_EQ(error.key, "eLCCSP2");
    EXPECT_NE(error.reason.find("opposite"), std::string::npos) << error.reason;
}

TEST(FixProjector, SaysWhyAFixIsNotPlaced) {
    Ini ini = surveyIni();
    ini["Y_Rotation"] = "";
    auto projector = FixProjector::take(fromIni(ini));
    ASSERT_TRUE(projector);
    const FixResult r = projector->project(41, 29, 10);
    EXPECT_EQ(projector->whyNotPlaced(r),
              "the datum parameters are incomplete (Y_Rotation: '' is not a valid number)");
    auto good = FixProjector::take(fromIni(lambertIni(true)));
    const FixResult pole = good->projectLocal(95, 29);
    ASSERT_FALSE(pole.placed());
    EXPECT_FALSE(good->whyNotPlaced(pole).empty());
    EXPECT_TRUE(good->whyNotPlaced(good->project(41, 29, 10)).empty());
}

TEST(FixProjector, AbandonsWhatCannotBePlaced) {
    Ini ini = surveyIni();
    ini["Scale_PPM"] = "-1000000";  // a scale of zero cannot be inverted
    const FixResult tm = projectFix(fromIni(ini), 41, 29, 10);
    EXPECT_EQ(tm.status, FixStatus::DatumShiftFailed);
    EXPECT_TRUE(tm.convergence);
    EXPECT_EQ(projectFix(fromIni(surveyIni()), 41, 29, NAN).status,
              FixStatus::Placed);  // TM: height 0
    EXPECT_EQ(projectFix(fromIni(lambertIni(false)), 41, 29, NAN).status,
              FixStatus::DatumShiftFailed);

    // Rejected Lambert parameters place nothing (never the zeroed state's 0, 0).
    Ini one = lambertIni(true);
    one["eLCCSF"] = "5";
    const FixResult r1 = projectFix(fromIni(one), 41, 29, 10);
    EXPECT_EQ(r1.status, FixStatus::ProjectionFailed);
    EXPECT_FALSE(r1.convergence);
    Ini two = lambertIni(false);
    two["eLCCSP2"] = "-40";
    EXPECT_EQ(projectFix(fromIni(two), 41, 29, 10).status, FixStatus::ProjectionFailed);
    two["eLCCSP2"] = "42";
    two["InverseFlattening"] = "1.5";
    EXPECT_FALSE(projectFix(fromIni(two), 41, 29, 10).placed());
}

// The fix is placed exactly where the text operations put it, number for
// number, on the TM and both Lambert paths.
TEST(FixProjector, PlacesFixesExactlyAsTheTextOperations) {
    std::mt19937_64 rng(37);
    std::uniform_real_distribution<double> lat(39.5, 42.5), lon(27.0, 33.0), alt(-40, 120);
    for (const Ini& ini : {surveyIni(), lambertIni(true), lambertIni(false)}) {
        const GeodeticParameters p = fromIni(ini);
        auto projector = FixProjector::take(p);
        ASSERT_TRUE(projector);
        const std::string datum = datumParameterText(p);
        const double a = 6378388, f = 0.00336700336700337;
        LambertConformalConic lcc;
        for (int i = 0; i < 1000; ++i) {
            const double la = lat(rng), lo = lon(rng), h = alt(rng);
            const FixResult r = projector->project(la, lo, h);
            ASSERT_TRUE(r.placed());
            double e = 0, n = 0, gamma = 0;
            if (projector->projection() == GridProjection::TransverseMercator) {
                gamma = static_cast<double>(
                    TMScaleOrConvergence("GrdConv", a, f, la, lo, 30, 0, 1, 500000, 0));
                const std::string grid = ProjectTM(formatShortest(la) + " " + formatShortest(lo),
                                                   datum, tmParameterText(p), ellipsoidPairText(p));
                ASSERT_EQ(scanFormatted(grid, "%lf %lf", &e, &n), 2);
            } else {
                const std::string local = TransformDatum(
                    "BLH", formatShortest(la) + " " + formatShortest(lo) + " " + formatShortest(h),
                    datum);
                double phi, lam, hh;
                ASSERT_EQ(scanFormatted(local, "%lf %lf %lf", &phi, &lam, &hh), 3);
                // Degrees to radians as the cycle converts them: times pi, over 180.
                const auto rad = [](double deg) { return deg * kPiD / 180; };
                double cone;
                if (projector->projection() == GridProjection::Lambert1) {
                    cone = lcc.SetLambert1Parameters(a, f, rad(41), rad(29), 500000, 0, 1);
                    ASSERT_EQ(lcc.GeodeticToLambert1(rad(phi), rad(lam), e, n), 0u);
                } else {
                    cone = lcc.SetLambert2Parameters(a, f, rad(39), rad(29), rad(40), rad(42),
                                                     500000, 0);
                    ASSERT_EQ(lcc.GeodeticToLambert2(rad(phi), rad(lam), e, n), 0u);
                }
                gamma = -cone * (lam - 29);
            }
            ASSERT_EQ(r.easting, e) << la << " " << lo;
            ASSERT_EQ(r.northing, n) << la << " " << lo;
            ASSERT_EQ(*r.convergence, gamma);
        }
    }
}

// Grid heading = true heading + convergence: a vessel heading true north
// moves along the meridian, whose grid azimuth is the convergence. For TM
// that is the sign of the series; for Lambert the cone's n * (lon - lon0)
// taken with the opposite sign.
TEST(FixProjector, ConvergenceTurnsTrueHeadingIntoGridHeading) {
    for (const Ini& ini : {surveyIni(), lambertIni(true), lambertIni(false)}) {
        auto projector = FixProjector::take(fromIni(ini));
        ASSERT_TRUE(projector);
        for (double lon : {26.5, 29.0, 31.5, 33.0}) {
            const double lat = 41.3, step = 1e-4;
            const FixResult at = projector->projectLocal(lat, lon);
            const FixResult south = projector->projectLocal(lat - step, lon);
            const FixResult north = projector->projectLocal(lat + step, lon);
            ASSERT_TRUE(at.placed() && south.placed() && north.placed());
            const double meridianAzimuth =
                std::atan2(north.easting - south.easting, north.northing - south.northing) * 180 /
                kPiD;
            EXPECT_NEAR(*at.convergence, meridianAzimuth, 2e-6) << lon;
        }
    }
}

TEST(FixProjector, LocalOptionsSkipOrStopAtTheDatumShift) {
    auto projector = FixProjector::take(fromIni(surveyIni()));
    ASSERT_TRUE(projector);
    const auto local = projector->toLocal(41.2, 29.3, 35);
    ASSERT_TRUE(local);
    EXPECT_EQ(formatFixed(static_cast<double>(local->latitude), 8) + " " +
                  formatFixed(static_cast<double>(local->longitude), 8) + " " +
                  formatFixed(static_cast<double>(local->height), 2),
              TransformDatum("BLH", "41.2 29.3 35", projector->datumText()));
    const FixResult shifted = projector->project(41.2, 29.3, 35);
    const auto atZero = projector->toLocal(41.2, 29.3, 0);
    const FixResult direct = projector->projectLocal(static_cast<double>(atZero->latitude),
                                                     static_cast<double>(atZero->longitude));
    EXPECT_EQ(shifted.easting, direct.easting);
    EXPECT_EQ(shifted.northing, direct.northing);
}

}  // namespace
}  // namespace nivora::geodesy
