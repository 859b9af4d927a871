// Small reference pictures of a representative chart and of the survey
// read-outs, compared with a tolerance so that font hinting on another
// machine does not fail them. NIVORA_UPDATE_GOLDEN=1 rewrites the pictures
// (look at them before keeping them).

#include <gtest/gtest.h>

#include <QPainter>
#include <cstdlib>

#include "canvas/overlay_painter.h"
#include "tests/canvas/render_test_support.h"

namespace nivora {
namespace {

using test::Scene;

// A pixel differs when a channel is off by more than this (antialiased
// glyph edges move by a shade or two between font versions).
constexpr int kChannelTolerance = 64;
// Share of differing pixels allowed: stray edge pixels, but well under the
// smallest thing the pictures hold (the buoy's circle is some 60 pixels, a
// label over 90), so a lost circle or label fails. 2% let both go.
constexpr double kPixelShare = 0.0015;

QString goldenPath(const char* name) {
    return QStringLiteral(NIVORA_CANVAS_GOLDEN_DIR "/") + QLatin1String(name);
}

void compareWithGolden(const QImage& picture, const char* name) {
    const QString path = goldenPath(name);
    if (qEnvironmentVariableIntValue("NIVORA_UPDATE_GOLDEN") == 1) {
        ASSERT_TRUE(picture.save(path, "PNG"));
    }
    QImage golden(path);
    ASSERT_FALSE(golden.isNull()) << "missing " << path.toStdString();
    golden = golden.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(golden.size(), picture.size());
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb a = picture.pixel(x, y);
            const QRgb b = golden.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > kChannelTolerance ||
                std::abs(qGreen(a) - qGreen(b)) > kChannelTolerance ||
                std::abs(qBlue(a) - qBlue(b)) > kChannelTolerance)
                ++differing;
        }
    }
    const int allowed = static_cast<int>(picture.width() * picture.height() * kPixelShare);
    EXPECT_LE(differing, allowed) << name << ": " << differing << " pixels differ";
}

// Survey lines with tracks by fix class, a route, a buoy and a label.
void buildChart(CanvasDocument& doc) {
    const int runs = doc.LayerOpen(QStringLiteral("Nivora_Runlines"));
    doc.SetLayerPenFg(runs, colors::Blue);
    const int fix = doc.LayerOpen(QStringLiteral("track_fix"));
    const int flt = doc.LayerOpen(QStringLiteral("track_float"));
    for (int i = 0; i < 4; ++i) {
        const double y = 20 + i * 25;
        doc.DrawLine(0, y, 160, y, runs);
        for (int k = 0; k < 40; ++k)
            doc.DrawPoint(i % 2 ? 150 - k * 3.5 : 10 + k * 3.5, y + 2, k % 10 < 7 ? fix : flt);
    }
    doc.SetLayerPenFg(fix, colors::Green);
    doc.SetLayerPenWidth(fix, 2);
    doc.SetLayerPenFg(flt, colors::Yellow);
    doc.SetLayerPenWidth(flt, 2);
    const int user = doc.LayerOpen(QStringLiteral("nivora_usershape"));
    doc.SetLayerPenFg(user, colors::Red);
    const int area = doc.DrawPolyline({{20, 95}, {60, 110}, {50, 80}}, user, true);
    doc.SetShapeBrushStyle(area, kBrushSolid);
    doc.SetShapeBrushFg(area, colors::Aqua);
    doc.DrawCircle(120, 95, 10, user);
    const int label = doc.TextAdd(user, QStringLiteral("Buoy 7"), 120, 80, 0);
    auto* t = static_cast<TNText*>(doc.FindShape(label));
    t->Height = 14;
    t->HAlign = 1;
}

void chartPicture(bool night, const char* name) {
    Scene s(160, 120);
    buildChart(s.doc);
    s.doc.Grid.GridVisible = true;
    s.doc.Grid.GridAutoScale = false;
    s.doc.Grid.GridSpacingX = 50;
    s.doc.Grid.GridSpacingY = 50;
    s.doc.View.WorldSet(-10, 115, 150, 10);
    RenderSettings settings;
    settings.Night = night;
    compareWithGolden(s.render(settings), name);
}

void readOutsPicture(bool night, const char* name) {
    Scene s(160, 120);
    s.doc.Overlay.Night = night;
    s.doc.SetPositionStatus(QStringLiteral("RTK Fix"), 4);
    s.doc.Overlay.GGAOverlayPosition = 1;
    s.doc.SetCurrentDepth(12.34, 0, true);
    s.doc.AddDepthLabel(30, 100, 8.7);
    s.doc.AddEventLabel(110, 60, 3);
    s.doc.StartDistanceMeasure(20, 20);
    s.doc.UpdateDistanceMeasure(70, 40, 53.85, 68.2);
    RenderSettings settings;
    settings.Night = night;
    QImage picture = s.render(settings);
    {
        QPainter p(&picture);
        DrawOverlays(p, s.doc, nullptr);
    }
    compareWithGolden(picture, name);
}

// The day pictures stay as they always were; the night ones are the same
// drawings dark, with the fix and track colours still told apart.
TEST(GoldenPictures, Chart) {
    chartPicture(false, "chart.png");
    chartPicture(true, "chart_night.png");
}

TEST(GoldenPictures, ReadOuts) {
    readOutsPicture(false, "readouts.png");
    readOutsPicture(true, "readouts_night.png");
}

}  // namespace
}  // namespace nivora
