// nivora export and nivora grid end to end: logs written here, the
// command's summary against the rows, the files against GDAL's readers.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

#include "tests/cli/cli_runner.h"

namespace nivora::test {
namespace {

// A day folder with 40 rows on a 10 m square, one corrupt row: depths
// 2.00 .. 5.90 m, tide 0.50.
QString dayFolder(const QTemporaryDir& dir) {
    const QString log = dir.filePath(QStringLiteral("2024-05-01/LOG/2024-05-01 Coordinates.csv"));
    QDir(dir.path()).mkpath(QStringLiteral("2024-05-01/LOG"));
    QFile f(log);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True "
        "Depth (Lo),Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer "
        "Draft,GPS, RTK Antenna Height,Manual Tide,RTK Tide\n");
    for (int k = 0; k < 40; ++k) {
        const double d = 2.0 + k * 0.1;
        char row[300];
        std::snprintf(row, sizeof row,
                      "2024-05-01 1200%02d000,40.1,28.1,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,%.2f,"
                      "DESO 25,1500.00,0.50,4,2.00,0.50,0.00\n",
                      k, 585000.0 + (k % 8) * 1.25, 4430000.0 + (k / 8) * 2.0, 0.5 - d, 0.5 - d, d,
                      d, d, d);
        f.write(row);
        if (k == 10) f.write("2024-05-01 120010500,40.1,garbage\n");
    }
    return dir.filePath(QStringLiteral("2024-05-01"));
}

TEST(ExportCommand, WritesXyzAndSaysWhatItReadSkippedAndWrote) {
    QTemporaryDir dir;
    const QString day = dayFolder(dir);
    const QString out = dir.filePath(QStringLiteral("day.xyz"));
    const CliResult r = runCli({QStringLiteral("export"), QStringLiteral("--from"), day,
                                QStringLiteral("--values"), QStringLiteral("elevation"), out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.startsWith("40 rows read, 1 skipped; 40 points written to"))
        << r.out.constData();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 40);
    EXPECT_EQ(lines[0], "585000.00 4430000.00 -1.50");  // elevation = tide - depth
    EXPECT_EQ(lines[39], "585008.75 4430008.00 -5.40");

    // Thinned to 10 m cells by the shoalest: one cell, the 2.00 m sounding.
    const CliResult thin =
        runCli({QStringLiteral("export"), QStringLiteral("--from"), day, QStringLiteral("--thin"),
                QStringLiteral("min"), QStringLiteral("--cell"), QStringLiteral("10"), out});
    ASSERT_EQ(thin.exitCode, 0) << thin.err.constData();
    QFile g(out);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), "585000.00 4430000.00 2.00\n");
}

TEST(ExportCommand, GeoPackageWithTheLayoutsSurveyLinesAndTheSettingsGrid) {
    if (QStandardPaths::findExecutable(QStringLiteral("ogrinfo")).isEmpty())
        GTEST_SKIP() << "ogrinfo is not installed";
    QTemporaryDir dir;
    const QString day = dayFolder(dir);
    const QString layout = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/planned_lines.nwl");
    const QString ini = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/NivoraDW.INI");
    const CliResult lines = runCli({QStringLiteral("lines"), layout});
    ASSERT_EQ(lines.exitCode, 0) << lines.err.constData();
    const qsizetype planned = lines.out.trimmed().count('\n');  // less the header line
    ASSERT_GT(planned, 0);

    const QString out = dir.filePath(QStringLiteral("day.gpkg"));
    const CliResult r =
        runCli({QStringLiteral("export"), QStringLiteral("--from"), day, QStringLiteral("--layout"),
                layout, QStringLiteral("--ini"), ini, out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("40 soundings")) << r.out.constData();
    QProcess p;
    p.start(QStringLiteral("ogrinfo"),
            {QStringLiteral("-so"), out, QStringLiteral("survey_lines")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QByteArray info = p.readAllStandardOutput();
    EXPECT_TRUE(info.contains(QByteArray("Feature Count: ").append(QByteArray::number(planned))))
        << info.constData();
    EXPECT_TRUE(info.contains("Transverse_Mercator") || info.contains("Transverse Mercator"))
        << info.constData();
}

TEST(ExportCommand, NamesWhatIsMissingOrWrong) {
    QTemporaryDir dir;
    const QString nowhere = dir.filePath(QStringLiteral("no-such-day"));
    CliResult r = runCli({QStringLiteral("export"), QStringLiteral("--from"), nowhere,
                          dir.filePath(QStringLiteral("x.xyz"))});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("no-such-day")) << r.err.constData();
    const QString day = dayFolder(dir);
    r = runCli({QStringLiteral("export"), QStringLiteral("--from"), day,
                dir.filePath(QStringLiteral("x.shp"))});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("xyz|asc|gpkg")) << r.err.constData();
    r = runCli({QStringLiteral("export"), QStringLiteral("--from"), day, QStringLiteral("--cell"),
                QStringLiteral("500"), dir.filePath(QStringLiteral("x.asc"))});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("--cell")) << r.err.constData();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("x.asc"))));
}

TEST(GridCommand, PrintsTheGridsFiguresForTheRows) {
    QTemporaryDir dir;
    const QString day = dayFolder(dir);
    // 2 m cells: columns 0..4 (eastings 0 .. 8.75 m), rows 0..4; every
    // cell of 1.25 m spacing holds one or two soundings.
    const CliResult r = runCli({QStringLiteral("grid"), QStringLiteral("--from"), day,
                                QStringLiteral("--cell"), QStringLiteral("2")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.out.contains("soundings       40\n")) << r.out.constData();
    EXPECT_TRUE(r.out.contains("rows skipped    1\n"));
    EXPECT_TRUE(r.out.contains("cells filled    25\n"));
    EXPECT_TRUE(r.out.contains("extent          5 x 5 cells, 10 x 10 m")) << r.out.constData();
    EXPECT_TRUE(r.out.contains("depth           min 2.00, max 5.90")) << r.out.constData();
}

}  // namespace
}  // namespace nivora::test
