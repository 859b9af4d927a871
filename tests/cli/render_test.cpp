// `nivora render`: a drawing file to a PNG picture, and one-line reasons
// with a non-zero exit status for everything it cannot do.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "tests/cli/cli_runner.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::runCli;

// An ASCII DXF drawing of LINE entities on layer 0 in AutoCAD colour 1 (red).
QByteArray dxfLines(const std::vector<std::array<double, 4>>& lines) {
    QByteArray out = "0\nSECTION\n2\nENTITIES\n";
    for (const auto& l : lines) {
        out += "0\nLINE\n8\n0\n62\n1\n";
        out += "10\n" + QByteArray::number(l[0]) + "\n20\n" + QByteArray::number(l[1]) + "\n";
        out += "11\n" + QByteArray::number(l[2]) + "\n21\n" + QByteArray::number(l[3]) + "\n";
    }
    out += "0\nENDSEC\n0\nEOF\n";
    return out;
}

bool isRgb(const QImage& image, int x, int y, QRgb rgb) {
    return (image.pixel(x, y) & 0xFFFFFFu) == rgb;
}

int countRgb(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += isRgb(image, x, y, rgb);
    }
    return n;
}

void expectOneLineFailure(const test::CliResult& r, const char* mentions) {
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.startsWith("nivora: ")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    EXPECT_TRUE(r.err.contains(mentions)) << r.err.constData();
}

class RenderCommand : public ::testing::Test {
  protected:
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QTemporaryDir dir;
};

TEST_F(RenderCommand, UnknownFileTypeIsAOneLineFailure) {
    test::writeFile(file("chart.abc"), "whatever");
    const auto r = runCli({QStringLiteral("render"), file("chart.abc"), file("out.png")});
    expectOneLineFailure(r, "abc");
    EXPECT_FALSE(QFile::exists(file("out.png")));
}

TEST_F(RenderCommand, BadArgumentsAreOneLineFailures) {
    test::writeFile(file("a.dxf"), dxfLines({{0, 0, 10, 10}}));
    const QString in = file("a.dxf");
    const QString out = file("out.png");
    const QString render = QStringLiteral("render");
    expectOneLineFailure(runCli({render, in}), "IN and OUT");
    for (const char* size : {"0x10", "10x", "axb", "20000x100", "10x10x10", "-5x10"})
        expectOneLineFailure(
            runCli({render, in, out, QStringLiteral("--size"), QLatin1String(size)}), "--size");
    for (const char* view : {"1,2,3", "5,0,1,10", "0,5,10,5", "0,0,x,1", "0,0,nan,1"})
        expectOneLineFailure(
            runCli({render, in, out, QStringLiteral("--view"), QLatin1String(view)}), "--view");
    expectOneLineFailure(runCli({render, in, out, QStringLiteral("--view"),
                                 QStringLiteral("0,0,1,1"), QStringLiteral("--extents")}),
                         "not both");
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(RenderCommand, MissingInputAndUnwritableOutput) {
    expectOneLineFailure(runCli({QStringLiteral("render"), file("none.dxf"), file("out.png")}),
                         "none.dxf");
    test::writeFile(file("a.dxf"), dxfLines({{0, 0, 10, 10}}));
    expectOneLineFailure(
        runCli({QStringLiteral("render"), file("a.dxf"), file("no/such/folder/out.png")}),
        "cannot write");
}

TEST_F(RenderCommand, DrawsTheWindowAskedForWithTheRightColours) {
    // A red line along world y = 30 from x = 20 to 180; the window maps one
    // unit to one pixel, so it lies on pixel row 150 - 30 = 120.
    test::writeFile(file("a.dxf"), dxfLines({{20, 30, 180, 30}}));
    const auto r = runCli({QStringLiteral("render"), file("a.dxf"), file("out.png"),
                           QStringLiteral("--size"), QStringLiteral("200x150"),
                           QStringLiteral("--view"), QStringLiteral("0,0,200,150")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    const QImage picture(file("out.png"));
    ASSERT_EQ(picture.size(), QSize(200, 150));
    EXPECT_TRUE(isRgb(picture, 20, 120, 0xFF0000u));
    EXPECT_TRUE(isRgb(picture, 100, 120, 0xFF0000u));
    EXPECT_TRUE(isRgb(picture, 180, 120, 0xFF0000u));
    EXPECT_TRUE(isRgb(picture, 100, 119, 0xFFFFFFu));
    EXPECT_EQ(countRgb(picture, 0xFF0000u), 161);
    EXPECT_EQ(countRgb(picture, 0xFFFFFFu), 200 * 150 - 161);  // white background
}

// A layout file through the same path: converted from DXF, then drawn with
// the view it saved.
TEST_F(RenderCommand, LayoutFilesDrawWithTheirOwnView) {
    test::writeFile(file("a.dxf"), dxfLines({{20, 30, 180, 30}}));
    auto r = runCli({QStringLiteral("convert"), file("a.dxf"), file("a.nwl")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    r = runCli({QStringLiteral("render"), file("a.nwl"), file("out.png"), QStringLiteral("--size"),
                QStringLiteral("200x150"), QStringLiteral("--view"),
                QStringLiteral("0,0,200,150")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    QImage picture(file("out.png"));
    EXPECT_EQ(countRgb(picture, 0xFF0000u), 161);
    // Without a view the file's own WORLD record decides; the line is in it.
    r = runCli(
        {QStringLiteral("render"), file("a.nwl"), file("own.png"), QStringLiteral("--extents")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_GT(countRgb(QImage(file("own.png")), 0xFF0000u), 100);
}

// The demo chart draws something on its white background, colour 7 included.
TEST_F(RenderCommand, TheDemoHarbourShows) {
    const auto r = runCli(
        {QStringLiteral("render"), QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/harbour.dxf"),
         file("harbour.png"), QStringLiteral("--extents"), QStringLiteral("--grid")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QImage picture(file("harbour.png"));
    EXPECT_GT(picture.width() * picture.height() - countRgb(picture, 0xFFFFFFu), 2000);
}

TEST_F(RenderCommand, ExtentsFitTheDrawingAtTheDefaultSize) {
    test::writeFile(file("a.dxf"), dxfLines({{0, 0, 100, 100}}));
    const auto r = runCli(
        {QStringLiteral("render"), file("a.dxf"), file("out.png"), QStringLiteral("--extents")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QImage picture(file("out.png"));
    ASSERT_EQ(picture.size(), QSize(1024, 768));
    // The diagonal's middle is the picture's centre; its ends sit inside the
    // 5 % margins (y from -5 to 105 over 768 rows).
    int near = 0;
    for (int d = -1; d <= 1; ++d)
        near += isRgb(picture, 512 + d, 384, 0xFF0000u);
    EXPECT_GE(near, 1);
    const double perUnit = 768.0 / 110.0;
    EXPECT_TRUE(isRgb(picture, 0, 0, 0xFFFFFFu));
    EXPECT_GT(countRgb(picture, 0xFF0000u), static_cast<int>(100 * perUnit * 0.9));
}

TEST_F(RenderCommand, GridOnlyWhenAskedFor) {
    test::writeFile(file("a.dxf"), dxfLines({{0, 0, 100, 100}}));
    const QString render = QStringLiteral("render");
    ASSERT_EQ(runCli({render, file("a.dxf"), file("plain.png"), QStringLiteral("--size"),
                      QStringLiteral("300x200")})
                  .exitCode,
              0);
    ASSERT_EQ(runCli({render, file("a.dxf"), file("grid.png"), QStringLiteral("--size"),
                      QStringLiteral("300x200"), QStringLiteral("--grid")})
                  .exitCode,
              0);
    const QRgb silver = 0xC0C0C0u;
    EXPECT_EQ(countRgb(QImage(file("plain.png")), silver), 0);
    EXPECT_GT(countRgb(QImage(file("grid.png")), silver), 200);
}

}  // namespace
}  // namespace nivora
