#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/cli/cli_runner.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::runCli;

// A layout written by hand; its numbers are worked out below.
const QByteArray kLayout =
    "# hand-made\n"
    "WORLD 0 100 0 100\n"
    "LAYER Default\n"
    "LAYER Chart lines\n"
    "LAYER empty\n"
    "LINE 1 2 3 4 1 255 1\n"
    "CIRCLE 10 10 2.5 0 0 1\n"
    "POLYLINE 1 2 0 1\n"
    "-5.1 0.1\n"
    "7 8.125\n"
    "POLYGON 1 0 0 1\n";

TEST(InfoCommand, LinesScriptsCanRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hand.nwl"));
    test::writeFile(path, kLayout);
    const auto r = runCli({QStringLiteral("info"), path});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    // Extents: x from the polyline's -5.1 to the circle's 12.5, y from the
    // polyline's 0.1 to the circle's 12.5; the empty polygon has none.
    EXPECT_EQ(r.out,
              "layers: 3\n"
              "layer: 0,Default,1\n"
              "layer: 1,Chart lines,3\n"
              "layer: 2,empty,0\n"
              "shapes: 4\n"
              "type: 3,1,line\n"
              "type: 5,1,open polyline\n"
              "type: 6,1,closed polyline\n"
              "type: 19,1,circle\n"
              "extents: -5.1,0.1,12.5,12.5\n");
    EXPECT_TRUE(r.err.isEmpty());
}

// Counts of the laser distance meter's drawing as ezdxf 0.18 reads it
// (10 LINE, 11 TEXT, 11 POINT entities on three layers).
TEST(InfoCommand, RealDrawing) {
    const auto r = runCli(
        {QStringLiteral("info"), test::dataPath(QStringLiteral("dxf/Leica_Disto_S910.dxf"))});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.split('\n');
    EXPECT_EQ(lines[0], "layers: 4");
    EXPECT_TRUE(r.out.contains(
        "\nshapes: 32\ntype: 3,10,line\ntype: 11,11,text\ntype: 17,11,point\nextents: "))
        << r.out.constData();
    EXPECT_TRUE(r.out.contains("\nlayer: 1,LEICA_DISTO_ID,")) << r.out.constData();
}

TEST(ConvertCommand, DxfToLayoutAndBack) {
    QTemporaryDir dir;
    const QString dxf = test::dataPath(QStringLiteral("dxf/AC1003_LINE_Example.dxf"));
    const QString nwl = dir.filePath(QStringLiteral("plan.nwl"));
    const QString again = dir.filePath(QStringLiteral("again.dxf"));
    auto r = runCli({QStringLiteral("convert"), dxf, nwl});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(test::readFile(nwl).left(4), QByteArray("NWL1"));
    r = runCli({QStringLiteral("convert"), nwl, again});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(
        test::readFile(again).startsWith("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n"));

    const auto a = runCli({QStringLiteral("info"), dxf});
    const auto b = runCli({QStringLiteral("info"), nwl});
    const auto c = runCli({QStringLiteral("info"), again});
    ASSERT_EQ(a.exitCode, 0);
    // Layers, counts and types survive both steps; coordinates keep six decimals.
    const auto upToExtents = [](const QByteArray& out) {
        return out.left(out.indexOf("extents: "));
    };
    EXPECT_EQ(upToExtents(a.out), upToExtents(b.out));
    EXPECT_EQ(upToExtents(b.out), upToExtents(c.out));
    EXPECT_TRUE(a.out.contains("\ntype: 3,13,line\ntype: 5,9,open polyline\n"))
        << a.out.constData();  // 13 LINE, 9 ARC (ezdxf)
}

TEST(ConvertCommand, SamplesToLayout) {
    QTemporaryDir dir;
    const QString xyz = dir.filePath(QStringLiteral("model.xyz"));
    QByteArray samples;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 5; ++i)
            samples +=
                QByteArray::number(100 + i * 2) + "," + QByteArray::number(50 + j * 2) + ",7\n";
    }
    test::writeFile(xyz, samples);
    const QString nwl = dir.filePath(QStringLiteral("model.nwl"));
    ASSERT_EQ(runCli({QStringLiteral("convert"), xyz, nwl}).exitCode, 0);
    const auto r = runCli({QStringLiteral("info"), nwl});
    ASSERT_EQ(r.exitCode, 0);
    // 20 samples on a 2 m grid: cells from 99 to 109 and 49 to 57.
    EXPECT_TRUE(r.out.endsWith("shapes: 20\ntype: 1,20,rectangle\nextents: 99,49,109,57\n"))
        << r.out.constData();
}

TEST(ConvertCommand, FailuresGiveOneLineAndLeaveTheOutput) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.nwl"));
    test::writeFile(out, "previous");
    auto r = runCli({QStringLiteral("convert"), QStringLiteral("/no/such/plan.dxf"), out});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.startsWith("nivora: ")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_EQ(test::readFile(out), QByteArray("previous"));

    r = runCli(
        {QStringLiteral("convert"), test::dataPath(QStringLiteral("dxf/bin_dxf_r12.dxf")), out});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("binary DXF")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1);

    const QString layout = dir.filePath(QStringLiteral("in.nwl"));
    test::writeFile(layout, kLayout);
    r = runCli({QStringLiteral("convert"), layout, dir.filePath(QStringLiteral("out.xyz"))});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("cannot write files of type 'xyz'")) << r.err.constData();
    r = runCli(
        {QStringLiteral("convert"), layout, dir.filePath(QStringLiteral("missing/out.dxf"))});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_EQ(r.err.count('\n'), 1);
    r = runCli({QStringLiteral("convert"), layout});
    EXPECT_NE(r.exitCode, 0);
    r = runCli({QStringLiteral("info"), dir.filePath(QStringLiteral("picture.png"))});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("cannot read files of type 'png'")) << r.err.constData();
    r = runCli({QStringLiteral("info")});
    EXPECT_NE(r.exitCode, 0);
}

TEST(CommandLine, HelpVersionAndOneLineMistakes) {
    for (const char* command :
         {"decode", "project", "render", "convert", "info", "simulate", "replay", "survey"}) {
        const auto h = test::runCli({QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(h.exitCode, 0) << command;
        EXPECT_TRUE(h.out.startsWith(QByteArray("usage: nivora ").append(command)))
            << h.out.constData();
        EXPECT_EQ(h.out.count("usage: "), 1) << "its own usage only";
    }
    const auto v = test::runCli({QStringLiteral("--version")});
    EXPECT_EQ(v.exitCode, 0);
    EXPECT_TRUE(v.out.startsWith("nivora 0.")) << v.out.constData();
    // A mistake: one line with the hint, not the whole usage.
    const auto m = test::runCli({QStringLiteral("survey")});
    EXPECT_EQ(m.exitCode, 2);
    EXPECT_EQ(m.err, "nivora: survey needs --ini FILE (nivora survey --help tells how)\n");
    const auto u = test::runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(u.exitCode, 2);
    EXPECT_EQ(u.err.count('\n'), 1) << u.err.constData();
}

}  // namespace
}  // namespace nivora
