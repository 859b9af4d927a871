// Texts on the chart (colour rule, texts too small to read, alignment, rotation,
// distance limits) and the coordinate grid with its labels and axes.

#include <gtest/gtest.h>

#include <QFontMetrics>

#include "canvas/chart_fonts.h"

#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

using test::countColor;
using test::countNot;
using test::inkBox;
using test::isColor;
using test::Scene;

TNText& addText(Scene& s, const QString& text, double x, double y, double height) {
    const int id = s.doc.TextAdd(s.layer, text, x, y, -1);
    auto& t = *static_cast<TNText*>(s.doc.FindShape(id));
    t.Height = height;
    t.FontName = QStringLiteral("DejaVu Sans");
    return t;
}

// ---- Colour ----

struct LightCase {
    TColor pen;
    TColor drawn;
};

std::ostream& operator<<(std::ostream& out, const LightCase& c) {
    return out << std::hex << "pen 0x" << c.pen << " drawn 0x" << c.drawn;
}

class TextColour : public ::testing::TestWithParam<LightCase> {};

TEST_P(TextColour, LightColoursAreDrawnBlack) {
    Scene s;
    TNText& t = addText(s, QStringLiteral("MMMM"), 20, s.rowY(20), 30);
    t.PenFg = GetParam().pen;
    const QImage img = s.render({colors::Gray, 0, true});
    // Text antialiasing blends the edges; the solid strokes carry the colour.
    EXPECT_GT(countColor(img, img.rect(), GetParam().drawn), 30);
    if (GetParam().drawn != GetParam().pen) {
        EXPECT_EQ(countColor(img, img.rect(), GetParam().pen), 0);
    }
}

// The mean of the three bytes, integer division, must exceed 200.
INSTANTIATE_TEST_SUITE_P(Means, TextColour,
                         ::testing::Values(LightCase{colors::White, colors::Black},
                                           LightCase{0xC9C9C9, colors::Black},
                                           LightCase{0xC8C8C8, 0xC8C8C8},
                                           LightCase{0x00FFFF, 0x00FFFF},  // yellow: mean 170
                                           LightCase{0xFFFFFE, colors::Black},
                                           LightCase{colors::Red, colors::Red}));

// ---- Texts too small to read ----
// They used to become outline boxes, which read as nothing at all; now they
// are drawn at the smallest size that reads, or left out when far smaller.

TEST(SmallText, DrawnAtTheLegibleSizeInItsColour) {
    Scene s;  // one pixel per unit: pixel size = trunc(0.8 x Height)
    TNText& t = addText(s, QStringLiteral("ABCD"), 50.5, s.rowY(50), 4.5);  // 3 px
    t.PenFg = colors::Blue;
    const QImage img = s.render();
    const QRect ink = test::inkBox(img, colors::White);
    // Four capitals of an 8 px font, not a 10 x 3 box.
    EXPECT_GE(ink.height(), 5);
    EXPECT_GE(ink.width(), 15);
    int blue = 0;  // antialiased glyphs: blue, not exactly the pen
    for (int y = ink.top(); y <= ink.bottom(); ++y)
        for (int x = ink.left(); x <= ink.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            blue += c.blue() > c.red() + 60 && c.blue() > c.green() + 60;
        }
    EXPECT_GT(blue, 10);
    // Its top left is the text's anchor, as a text of that size has it.
    EXPECT_NEAR(ink.left(), 50, 2);
    EXPECT_NEAR(ink.top(), 50, 3);
}

TEST(SmallText, FarTooSmallIsLeftOutAndLightTextIsBlack) {
    Scene s;
    addText(s, QString(200, QLatin1Char('x')), 20.5, s.rowY(50), 1.0);  // 0 px
    EXPECT_EQ(test::countNot(s.render(), QRect(0, 0, 200, 100), colors::White), 0);
    Scene light;
    TNText& t = addText(light, QStringLiteral("ABCD"), 50.5, light.rowY(50), 4.5);
    t.PenFg = colors::White;
    const QImage img = light.render();
    EXPECT_GT(test::countDark(img, test::inkBox(img, colors::White)), 10);
}

TEST(SmallText, EnlargedLabelsKeepClearOfEachOther) {
    Scene one, two;
    addText(one, QStringLiteral("Breakwater light"), 20.5, one.rowY(60), 4.5);
    addText(two, QStringLiteral("Breakwater light"), 20.5, two.rowY(60), 4.5);
    addText(two, QStringLiteral("Pier head"), 30.5, two.rowY(62), 4.5);  // would overlap
    addText(two, QStringLiteral("Buoy 3"), 20.5, two.rowY(85), 4.5);     // clear of both
    const QImage a = one.render();
    const QImage b = two.render();
    const QRect first = test::inkBox(a, colors::White);
    EXPECT_EQ(test::countNot(b, first.adjusted(-1, -1, 1, 1), colors::White),
              test::countNot(a, first.adjusted(-1, -1, 1, 1), colors::White));
    EXPECT_GT(test::countNot(b, QRect(15, 82, 60, 15), colors::White), 10);
}

// ---- Placement ----

struct AlignCase {
    int h;
    int v;
};

std::ostream& operator<<(std::ostream& out, const AlignCase& c) {
    return out << "h " << c.h << " v " << c.v;
}

class TextAlignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(TextAlignment, AnchorSitsAtTheAlignedCorner) {
    Scene s(400, 200);
    TNText& t = addText(s, QStringLiteral("Ag"), 200.5, s.rowY(100), 40);  // 32 px font
    t.HAlign = GetParam().h;
    t.VAlign = GetParam().v;
    const QImage img = s.render();
    const QRect ink = inkBox(img, colors::White);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(32);
    const QFontMetrics m(f, &img);
    const int tw = m.horizontalAdvance(QStringLiteral("Ag"));
    const int th = m.height();
    const int left = 200 - (t.HAlign == 1 ? tw / 2 : t.HAlign == 2 ? tw : 0);
    const int top = 100 - (t.VAlign == 1 ? th / 2 : t.VAlign == 2 ? th : 0);
    // The glyphs lie inside the measured text cell, filling most of its width.
    EXPECT_GE(ink.left(), left - 1);
    EXPECT_LE(ink.right(), left + tw + 1);
    EXPECT_GE(ink.top(), top);
    EXPECT_LE(ink.bottom(), top + th);
    EXPECT_GT(ink.width(), tw * 2 / 3);
}

INSTANTIATE_TEST_SUITE_P(AllNine, TextAlignment,
                         ::testing::Values(AlignCase{0, 0}, AlignCase{1, 0}, AlignCase{2, 0},
                                           AlignCase{0, 1}, AlignCase{1, 1}, AlignCase{2, 1},
                                           AlignCase{0, 2}, AlignCase{1, 2}, AlignCase{2, 2}));

TEST(TextPlacement, NinetyDegreesRunsUpwards) {
    Scene s(200, 200);
    TNText& t = addText(s, QStringLiteral("MMMMMM"), 100.5, s.rowY(150), 20);
    t.Angle = 90;
    const QImage img = s.render();
    const QRect ink = inkBox(img, colors::White);
    EXPECT_GT(ink.height(), 2 * ink.width());
    EXPECT_LE(ink.bottom(), 151);
    EXPECT_GE(ink.left(), 100 - 1);  // the text's top edge faces left
}

TEST(TextPlacement, FontPixelSizeIsCappedAt200) {
    Scene s(600, 400);
    addText(s, QStringLiteral("H"), 50.5, s.rowY(20), 400);  // would be 320 px
    const QImage img = s.render();
    EXPECT_LT(inkBox(img, colors::White).height(), 200);
    EXPECT_GT(inkBox(img, colors::White).height(), 100);
}

TEST(TextPlacement, AnchorsFarOutsideTheClientAreSkipped) {
    // Ten pixels per unit, so a text's box (ten units per character) can
    // reach into the window from an anchor hundreds of pixels away.
    for (double x : {-48.0, -52.0}) {
        Scene s(200, 100);
        s.doc.View.WorldSet(0, 10, 20, 0);
        addText(s, QString(30, QLatin1Char('W')), x, 8, 4);  // 32 px font, ~900 px long
        const QImage img = s.render();
        EXPECT_EQ(s.stats.Culled, 0);
        EXPECT_EQ(countNot(img, img.rect(), colors::White) > 0, x > -50) << x;
    }
}

TEST(TextPlacement, EmptyAndInvisibleTextsDrawNothing) {
    Scene s;
    addText(s, QString(), 20, 50, 20);
    addText(s, QStringLiteral("hidden"), 20, 50, 20).Visible = false;
    const QImage img = s.render();
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 0);
}

// ---- Grid ----

struct GridScene : Scene {
    GridScene() : Scene(400, 300) {
        doc.Grid.GridVisible = true;
        doc.Grid.GridAutoScale = false;
        doc.Grid.GridSpacingX = 100;
        doc.Grid.GridSpacingY = 100;
        doc.Grid.GridColor = colors::Fuchsia;
    }
};

TEST(Grid, DottedLinesAtMultiplesOfTheSpacing) {
    GridScene s;
    const QImage img = s.render();
    for (int x : {100, 200, 300}) {
        const int dots = countColor(img, QRect(x, 0, 1, 250), colors::Fuchsia);
        EXPECT_GT(dots, 40) << x;
        EXPECT_LT(dots, 200) << x;  // dotted, not solid
    }
    EXPECT_EQ(countColor(img, QRect(150, 10, 1, 80), colors::Fuchsia), 0);
    for (int y : {100, 200})  // y = 200 and y = 100 in the world
        EXPECT_GT(countColor(img, QRect(60, y, 300, 1), colors::Fuchsia), 60) << y;
    EXPECT_EQ(countColor(img, QRect(10, 150, 80, 1), colors::Fuchsia), 0);
}

TEST(Grid, LabelsOnWhiteBoxesAlongTheBottomAndLeftEdges) {
    GridScene s;
    const QImage img = s.render({colors::Silver, 0, true});
    QFont f = chartFont(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    const QFontMetrics m(f, &img);
    const int th = m.height();
    // Easting "200" at the bottom: box from (200 - w/2 - 2, 300 - th - 4) to
    // (200 + w/2 + 2, 298), text inside.
    const int half = m.horizontalAdvance(QStringLiteral("200")) / 2;
    const QRect east(QPoint(200 - half - 2, 300 - th - 4), QPoint(200 + half + 1, 297));
    EXPECT_TRUE(isColor(img, east.left(), east.top(), colors::White));
    EXPECT_TRUE(isColor(img, east.right(), east.bottom(), colors::White));
    EXPECT_TRUE(isColor(img, east.left() - 1, east.bottom(), colors::Silver));
    EXPECT_GT(test::countDark(img, east), 5);
    // Easting 400 is past Width - 50 and 0 is not beyond 4: no box there.
    EXPECT_EQ(countColor(img, QRect(0, 300 - th - 4, 5, th), colors::White), 0);
    // Northing "100" at screen y 200 on the left edge.
    const int w = m.horizontalAdvance(QStringLiteral("100"));
    const QRect north(QPoint(2, 200 - th / 2 - 1), QPoint(w + 5, 200 + th / 2));
    EXPECT_TRUE(isColor(img, north.left(), north.top(), colors::White));
    EXPECT_TRUE(isColor(img, north.right(), north.bottom(), colors::White));
    EXPECT_TRUE(isColor(img, 1, north.top(), colors::Silver));
    EXPECT_GT(test::countDark(img, north), 5);
    // Northing 0 at y 300 is beyond Height - 20: no label in the corner.
    EXPECT_EQ(test::countDark(img, QRect(2, 285, 30, 15)), 0);  // past the x = 0 grid line
}

TEST(Grid, RedAxesThroughAnOriginInsideTheWindow) {
    GridScene s;
    s.doc.View.WorldSet(-100, 200, 300, -100);
    const QImage img = s.render();
    // Origin at pixel (100, 200): the axes span the whole client, over labels.
    EXPECT_EQ(countColor(img, QRect(100, 0, 1, 300), colors::Red), 300);
    EXPECT_EQ(countColor(img, QRect(0, 200, 400, 1), colors::Red), 400);
}

TEST(Grid, NoAxesWhenTheOriginIsOnTheEdge) {
    GridScene s;  // window starts at x = 0, y = 0
    const QImage img = s.render();
    EXPECT_EQ(countColor(img, img.rect(), colors::Red), 0);
}

TEST(Grid, OrderPutsTheGridUnderOrOverTheShapesOrNowhere) {
    GridScene s;
    const int box = s.doc.DrawRectangle(50, 50, 250, 250, s.layer);
    s.doc.SetShapeBrushStyle(box, kBrushSolid);
    s.doc.SetShapeBrushFg(box, colors::Yellow);
    s.doc.SetShapePenWidth(box, 0);
    const QRect inside(60, 60, 180, 180);
    EXPECT_EQ(countColor(s.render({colors::White, 0, true}), inside, colors::Fuchsia), 0);
    EXPECT_GT(countColor(s.render({colors::White, 1, true}), inside, colors::Fuchsia), 40);
    const QImage none = s.render({colors::White, 2, true});
    EXPECT_EQ(countColor(none, none.rect(), colors::Fuchsia), 0);
}

TEST(Grid, HiddenGridDrawsNothing) {
    GridScene s;
    s.doc.Grid.GridVisible = false;
    const QImage img = s.render();
    EXPECT_EQ(countNot(img, img.rect(), colors::White), 0);
}

TEST(Grid, AutomaticSpacingFollowsTheWindowWidth) {
    GridScene s;
    s.doc.Grid.GridAutoScale = true;  // width 400 / 8 = 50
    const QImage img = s.render();
    EXPECT_GT(countColor(img, QRect(50, 0, 1, 250), colors::Fuchsia), 40);
    EXPECT_GT(countColor(img, QRect(150, 0, 1, 250), colors::Fuchsia), 40);
}

TEST(Grid, LabelTexts) {
    EXPECT_EQ(GridLabelText(1234.56, 100), QStringLiteral("1234.6"));
    EXPECT_EQ(GridLabelText(1234.0, 100), QStringLiteral("1234"));
    EXPECT_EQ(GridLabelText(4512300.0, 1), QStringLiteral("4512300"));
    EXPECT_EQ(GridLabelText(0.05, 0.05), QStringLiteral("0.05"));
    EXPECT_EQ(GridLabelText(0.1234, 0.05), QStringLiteral("0.123"));
    EXPECT_EQ(GridLabelText(-250.0, 50), QStringLiteral("-250"));
    EXPECT_EQ(GridLabelText(-0.04, 1), QStringLiteral("0"));
}

TEST(Grid, LinePositionsStartAtTheFloorMultiple) {
    EXPECT_EQ(GridLinePositions(-130, 120, 100), (std::vector<double>{-200, -100, 0, 100}));
    EXPECT_EQ(GridLinePositions(0, 300, 100), (std::vector<double>{0, 100, 200, 300}));
}

TEST(Grid, AbsurdSpacingsDrawNoLinesInsteadOfHanging) {
    EXPECT_TRUE(GridLinePositions(0, 1.0e6, 1.0e-9).empty());
    EXPECT_TRUE(GridLinePositions(0, 100, 0).empty());
    EXPECT_TRUE(GridLinePositions(0, 100, -5).empty());
    EXPECT_TRUE(GridLinePositions(0, 100, std::nan("")).empty());
    // Where the step is below the precision of the coordinates the count
    // still ends the loop.
    EXPECT_LE(GridLinePositions(1.0e17, 1.0e17 + 1000, 1).size(), 1001u);
    GridScene s;
    s.doc.Grid.GridSpacingX = 1.0e-9;
    const QImage img = s.render();
    EXPECT_EQ(countColor(img, QRect(0, 50, 400, 1), colors::Fuchsia), 0);
    EXPECT_GT(countColor(img, QRect(60, 100, 300, 1), colors::Fuchsia), 60);
}

}  // namespace
}  // namespace nivora
