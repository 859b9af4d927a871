#include <gtest/gtest.h>

#include <cmath>

#include "config/latency_shape.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::ScratchIni;

TEST(Latency, RunningMeanOverAllCycles) {
    LatencyModel m;
    EXPECT_FALSE(m.colour().has_value());
    m.record(100);
    m.record(200);
    m.record(400);
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(m.currentText(), QStringLiteral("400"));
    EXPECT_EQ(m.averagedText(), QStringLiteral("233.3"));
}

TEST(Latency, GreenBelowTheToleranceRedFromIt) {
    LatencyModel m;
    m.record(499);
    EXPECT_EQ(m.colour(), LatencyModel::kWithinColour);
    EXPECT_EQ(*m.colour(), 65280u);
    m.record(500);
    EXPECT_EQ(m.colour(), LatencyModel::kOverColour);
    EXPECT_EQ(*m.colour(), 255u);
}

TEST(Latency, ATypedToleranceThatIsNotANumberKeepsTheLastOne) {
    LatencyModel m;
    EXPECT_TRUE(m.setToleranceText(QStringLiteral("800")));
    EXPECT_FALSE(m.setToleranceText(QStringLiteral("8x")));
    EXPECT_EQ(m.tolerance, QStringLiteral("8x"));
    m.record(700);
    EXPECT_EQ(m.colour(), LatencyModel::kWithinColour);
}

TEST(Latency, ToleranceFromTheSettingsFile) {
    ScratchIni ini;
    LatencyModel m;
    m.load(ini.store());
    EXPECT_EQ(m.tolerance, QStringLiteral("500"));
    ini.write("[LATENCY]\neLatencyTol=250\n");
    m.load(ini.store());
    EXPECT_EQ(m.tolerance, QStringLiteral("250"));
    m.record(260);
    EXPECT_EQ(m.colour(), LatencyModel::kOverColour);
    ini.write("[LATENCY]\neLatencyTol=soon\n");
    m.load(ini.store());
    EXPECT_EQ(m.tolerance, QStringLiteral("500"));
    IniStore store = ini.store();
    m.save(store);
    EXPECT_EQ(store.readInteger(QStringLiteral("LATENCY"), QStringLiteral("eLatencyTol"), 0), 500);
}

TEST(VesselShapeIni, AMissingSectionGivesTwoCirclesAndABowArrow) {
    ScratchIni ini;
    VesselShapeModel m;
    m.load(ini.store());
    EXPECT_EQ(m.circles, QStringLiteral("2"));
    EXPECT_EQ(m.circleInterval, QStringLiteral("10"));
    EXPECT_EQ(m.firstRadius, QStringLiteral("10"));
    EXPECT_EQ(m.bowLength, QStringLiteral("100"));
    EXPECT_EQ(m.sideLength, QStringLiteral("0"));
    const auto v = m.values();
    ASSERT_TRUE(v.has_value());
    const VesselSymbol s = vesselSymbol(0, 0, 0, *v);
    EXPECT_EQ(s.radii, (std::vector<double>{10, 20}));
    EXPECT_DOUBLE_EQ(s.lines[0].y2, 100.0);
    EXPECT_DOUBLE_EQ(s.lines[1].x2, 0.0);  // no side offset
}

TEST(VesselShapeIni, NumbersAreShownAsNumbersAndSavedAsTheFieldsShowThem) {
    ScratchIni ini;
    ini.write(
        "[VESSEL_SHAPE]\nNumber of circles=3\nCirecle offset interval=12.50\nRadious of first "
        "circle=x\n"
        "Arrow length to bow=2.5e1\nLeft right offset of arrow=4\n");
    VesselShapeModel m;
    m.load(ini.store());
    EXPECT_EQ(m.circles, QStringLiteral("3"));
    EXPECT_EQ(m.circleInterval, QStringLiteral("12.5"));
    EXPECT_EQ(m.firstRadius, QStringLiteral("10"));
    EXPECT_EQ(m.bowLength, QStringLiteral("25"));
    EXPECT_EQ(m.sideLength, QStringLiteral("4"));

    m.firstRadius = QStringLiteral("7.25");
    IniStore store = ini.store();
    m.save(store);
    EXPECT_EQ(store.keys(QStringLiteral("VESSEL_SHAPE")),
              (QStringList{
                  QStringLiteral("Number of circles"), QStringLiteral("Cirecle offset interval"),
                  QStringLiteral("Radious of first circle"), QStringLiteral("Arrow length to bow"),
                  QStringLiteral("Left right offset of arrow")}));
    EXPECT_EQ(
        store.readString(QStringLiteral("VESSEL_SHAPE"), QStringLiteral("Radious of first circle")),
        QStringLiteral("7.25"));
}

TEST(VesselShapeValues, TheDefaultButtonGivesASideOffset) {
    VesselShapeModel m;
    m.circles = QStringLiteral("9");
    m.defaults();
    EXPECT_EQ(m.circles, QStringLiteral("2"));
    EXPECT_EQ(m.sideLength, QStringLiteral("10"));
    EXPECT_EQ(m.bowLength, QStringLiteral("100"));
}

TEST(VesselShapeValues, ATextThatIsNotANumberIsAConversionError) {
    VesselShapeModel m;
    m.bowLength = QStringLiteral("long");
    QString error;
    EXPECT_FALSE(m.values(&error).has_value());
    EXPECT_EQ(error, QStringLiteral("Arrow's longitude length: 'long' is not a valid number"));
    m.bowLength = QStringLiteral("100");
    m.circles = QStringLiteral("2.5");
    EXPECT_FALSE(m.values(&error).has_value());
}

TEST(VesselSymbolGeometry, HeadingNorthPutsTheBowNorthAndTheSidesEastAndWest) {
    VesselShape s;
    s.bowLength = 50;
    s.sideLength = 5;
    s.circles = 3;
    s.firstRadius = 5;
    s.circleInterval = 10;
    const VesselSymbol v = vesselSymbol(1000, 2000, 0, s);
    ASSERT_EQ(v.lines.size(), 5u);
    EXPECT_NEAR(v.lines[0].x2, 1000, 1e-9);
    EXPECT_NEAR(v.lines[0].y2, 2050, 1e-9);
    EXPECT_NEAR(v.lines[1].x2, 1005, 1e-9);
    EXPECT_NEAR(v.lines[1].y2, 2000, 1e-9);
    EXPECT_NEAR(v.lines[2].x2, 995, 1e-9);
    EXPECT_NEAR(v.lines[3].x1, 1005, 1e-9);  // side point to bow
    EXPECT_NEAR(v.lines[3].y2, 2050, 1e-9);
    EXPECT_EQ(v.radii, (std::vector<double>{5, 15, 25}));
}

TEST(VesselSymbolGeometry, HeadingEastAndNoCircles) {
    VesselShape s;
    s.bowLength = 10;
    s.sideLength = 0;
    s.circles = 0;
    const VesselSymbol v = vesselSymbol(0, 0, 90, s);
    EXPECT_NEAR(v.lines[0].x2, 10, 1e-9);
    EXPECT_NEAR(v.lines[0].y2, 0, 1e-9);
    EXPECT_NEAR(v.lines[3].x1, 0, 1e-9);  // the arrow collapses to the bow line
    EXPECT_TRUE(v.radii.empty());
}

TEST(VesselSymbolGeometry, ARunawayCircleCountIsCapped) {
    VesselShapeModel m;
    m.circles = QStringLiteral("2000000000");
    const auto v = m.values();
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->circles, VesselShapeModel::kMaxCircles);
    m.circles = QStringLiteral("-4");
    EXPECT_EQ(m.values()->circles, 0);
}

}  // namespace
}  // namespace nivora
