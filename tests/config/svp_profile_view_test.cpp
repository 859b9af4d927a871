// The profile drawn beside the sound velocity memos: what it reads from the
// memos, that the window keeps it current, and that a spike in a cast
// stands out where it should.

#include <gtest/gtest.h>

#include <QImage>
#include <QPlainTextEdit>
#include <QTest>

#include "config/svp_model.h"
#include "config/ui/svp_profile_view.h"
#include "config/ui/svp_window.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

TEST(SvpProfile, ReadsTheMemosAndSkipsWhatIsNotAPoint) {
    SvpModel m;
    m.extracted = {
        QStringLiteral("0,1500.000"), QStringLiteral("junk"),  QString(),
        QStringLiteral("3,1510.500"), QStringLiteral("4,abc"), QStringLiteral("5,1499,7")};
    // Count 0: the deepest sample's value repeated below it, not a measurement.
    m.averaged = {QStringLiteral("0,1500.00,2"), QStringLiteral("1,1505.000,1"), QString(),
                  QStringLiteral("3,1505.00,0"), QStringLiteral("x,1,1")};
    m.column = {QStringLiteral("1500.00"), QString(), QStringLiteral("1502.50"),
                QStringLiteral("n/a")};
    const SvpProfile p = svpProfileOf(m);
    ASSERT_EQ(p.samples.size(), 2u);
    EXPECT_EQ(p.samples[1].velocity, 1510.5);
    ASSERT_EQ(p.averaged.size(), 2u);
    EXPECT_EQ(p.averaged[1].velocity, 1505);
    // Line i of the column is depth i, empty lines included in the count.
    ASSERT_EQ(p.column.size(), 2u);
    EXPECT_EQ(p.column[1].depthM, 2);
    EXPECT_EQ(p.column[1].velocity, 1502.5);
    EXPECT_TRUE(svpProfileOf(SvpModel()).empty());
}

TEST(SvpProfile, TheWindowKeepsTheViewCurrent) {
    test::ScratchIni ini;
    test::FakeHost host;
    test::FakePrompts prompts;
    SvpModel model;
    model.rawData = {QStringLiteral("2024-05-01T10:00:00.000 1500.0,0.2"),
                     QStringLiteral("2024-05-01T10:00:01.000 1520.0,1.0")};
    model.maxDepth = QStringLiteral("5");
    TfSVP window(model, host, prompts, ini.file());
    auto* view = window.findChild<SvpProfileView*>();
    ASSERT_NE(view, nullptr);
    window.bRawToSVVClick();
    window.bSVVtoAveragedSVClick();
    window.bAveragedSVtoSVPClick();
    EXPECT_EQ(view->profile().samples.size(), 2u);
    EXPECT_EQ(view->profile().averaged.size(), 2u);
    EXPECT_EQ(view->profile().column.size(), 5u);
    // A correction typed into a memo shows at once.
    window.findChild<QPlainTextEdit*>(QStringLiteral("mRawSVExtracted"))
        ->setPlainText(QStringLiteral("0,1500.000\n1,1520.000\n2,1530.000"));
    EXPECT_EQ(view->profile().samples.size(), 3u);
    EXPECT_EQ(view->profile().samples[2].velocity, 1530);
}

// Columns of the image holding the sample dots' colour, by row.
std::vector<QPoint> dotPixels(const QImage& image) {
    std::vector<QPoint> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - 0xE6) < 12 && std::abs(c.green() - 0x7E) < 12 &&
                std::abs(c.blue() - 0x22) < 12)
                out.push_back({x, y});
        }
    return out;
}

TEST(SvpProfile, ASpikeStandsOutAcrossAndDeepSamplesSitLow) {
    // 0..9 m at 1500 m/s but 1560 at 5 m: the spike is the only dot in the
    // right fifth; every other dot lies in the left third.
    SvpProfile p;
    for (int d = 0; d < 10; ++d)
        p.samples.push_back({static_cast<double>(d), d == 5 ? 1560.0 : 1500.0});
    SvpProfileView view;
    view.resize(240, 320);
    view.setProfile(p);
    const QImage image = view.grab().toImage();
    // The legend's dot sits above the plot; leave the top rows out.
    std::vector<QPoint> dots;
    for (const QPoint& pt : dotPixels(image))
        if (pt.y() > 40) dots.push_back(pt);
    ASSERT_FALSE(dots.empty());
    int right = 0, left = 0, bottom = 0, top = image.height();
    for (const QPoint& pt : dots) {
        right += pt.x() > 240 * 4 / 5;
        left += pt.x() < 240 / 3;
        bottom = std::max(bottom, pt.y());
        top = std::min(top, pt.y());
    }
    EXPECT_GT(right, 0);
    EXPECT_GT(left, 0);
    EXPECT_EQ(right + left, static_cast<int>(dots.size()));
    // Depth runs downwards: 9 m at the foot of the view, 0 m near its top.
    EXPECT_GT(bottom, 320 * 9 / 10);
    EXPECT_LT(top, 320 / 4);

    view.setProfile(SvpProfile());
    EXPECT_TRUE(dotPixels(view.grab().toImage()).empty());
}

}  // namespace
}  // namespace nivora
