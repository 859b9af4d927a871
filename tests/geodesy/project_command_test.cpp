// `nivora project` run as a program: settings file in, grid positions out.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <sstream>
#include <vector>

#include "core/number_format.h"
#include "core/scan.h"
#include "geodesy/fix_projection.h"
#include "tests/support/test_support.h"

namespace nivora::geodesy {
namespace {

struct CommandRun {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::string errors;
};

const char* kWgs84Zone27 =
    "[GEODETIC_PARAMETERS]\n"
    "SemiMajorAxis=6378137.0\nInverseFlattening=0.0033528106647474\n"
    "X_Rotation=0\nY_Rotation=0\nZ_Rotation=0\nX_Shift=0\nY_Shift=0\nZ_Shift=0\nScale_PPM=0\n"
    "Central_Meridian=27\nReference_Latitude=0\nScale_Factor=0.9996\nFalse_Easting=500000\nFalse_"
    "Northing=0\n"
    "Use Projection=1\nUse DTP=1\nName of Datum=WGS84\n"
    "eLCCSP1=40\neLCCSP2=42\neLCCSF=1\neLCCCP=39\neLCCM=29\neLCCFE=500000\neLCCFN=0\n"
    "cbUseLCCProjection=0\ncLambert1=0\n";

std::string with(std::string ini, const std::string& key, const std::string& value) {
    const std::size_t at = ini.find("\n" + key + "=");
    const std::size_t end = ini.find('\n', at + 1);
    return ini.replace(at + 1, end - at - 1, key + "=" + value);
}

CommandRun runProject(const std::string& ini, const QStringList& options,
                      const std::string& input) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("NivoraDW.INI"));
    test::writeFile(path, QByteArray::fromStdString(ini));
    QProcess p;
    QStringList args{QStringLiteral("project"), QStringLiteral("--ini"), path};
    p.start(QStringLiteral(NIVORA_CLI_PATH), args + options);
    EXPECT_TRUE(p.waitForStarted());
    p.write(QByteArray::fromStdString(input));
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    CommandRun r;
    r.exitCode = p.exitCode();
    std::istringstream out(p.readAllStandardOutput().toStdString());
    for (std::string line; std::getline(out, line);)
        r.lines.push_back(line);
    r.errors = p.readAllStandardError().toStdString();
    return r;
}

std::vector<double> numbers(const std::string& line) {
    double a = 0, b = 0, c = 0;
    if (scanFormatted(line, "%lf %lf %lf", &a, &b, &c) != 3) return {};
    return {a, b, c};
}

TEST(ProjectCommand, PrintsTheWorkedTransverseMercatorExample) {
    const CommandRun r = runProject(kWgs84Zone27, {}, "41 29\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    ASSERT_EQ(r.lines.size(), 1u);
    const auto v = numbers(r.lines[0]);
    ASSERT_EQ(v.size(), 3u) << r.lines[0];
    EXPECT_NEAR(v[0], 668207.885, 0.0005);
    EXPECT_NEAR(v[1], 4540683.529, 0.0005);
    EXPECT_NEAR(v[2], -1.3124, 0.00005);
    // Full precision: micrometres and 1e-10 degrees.
    EXPECT_EQ(r.lines[0].find('.'), 6u);
    EXPECT_EQ(r.lines[0].size() - r.lines[0].rfind('.') - 1, 10u) << r.lines[0];
}

TEST(ProjectCommand, PrintsOneLinePerPositionAsTheCyclePlacesIt) {
    const std::string ini = with(with(with(kWgs84Zone27, "SemiMajorAxis", "6378388"),
                                      "InverseFlattening", "0.00336700336700337"),
                                 "Z_Shift", "-129.7");
    const CommandRun r =
        runProject(ini, {}, "# lat lon height\n\n41.2 28.1 35.5\n  40.9\t29.7\n41.0,27.5,12\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    ASSERT_EQ(r.lines.size(), 3u);
    // The same parameters through the library give the same text.
    auto projector =
        FixProjector::take(readGeodeticParameters([&](std::string_view, std::string_view key) {
            const std::size_t at = ini.find("\n" + std::string(key) + "=");
            const std::size_t end = ini.find('\n', at + 1);
            return std::optional<std::string>(
                ini.substr(at + key.size() + 2, end - at - key.size() - 2));
        }));
    ASSERT_TRUE(projector);
    const double input[3][3] = {{41.2, 28.1, 35.5}, {40.9, 29.7, 0}, {41.0, 27.5, 12}};
    for (int i = 0; i < 3; ++i) {
        const FixResult f = projector->project(input[i][0], input[i][1], input[i][2]);
        ASSERT_TRUE(f.placed());
        EXPECT_EQ(r.lines[static_cast<std::size_t>(i)], formatFixed(f.easting, 6) + " " +
                                                            formatFixed(f.northing, 6) + " " +
                                                            formatFixed(*f.convergence, 10));
    }
}

TEST(ProjectCommand, LambertAndTheLocalAndGeographicOptions) {
    const std::string lambert =
        with(with(kWgs84Zone27, "cbUseLCCProjection", "1"), "Use Projection", "0");
    const CommandRun r = runProject(lambert, {QStringLiteral("--local")}, "41 30\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    ASSERT_EQ(r.lines.size(), 1u);
    const auto v = numbers(r.lines[0]);
    ASSERT_EQ(v.size(), 3u) << r.lines[0];
    EXPECT_NEAR(v[0], 584120.581, 0.0005);
    EXPECT_NEAR(v[1], 222562.009, 0.0005);
    EXPECT_NEAR(v[2], -0.656093, 5e-7);  // one degree east of the central meridian

    const CommandRun g = runProject(kWgs84Zone27, {QStringLiteral("--geographic")},
                                    "41.123456789 29.987654321 55.555\n");
    ASSERT_EQ(g.exitCode, 0) << g.errors;
    ASSERT_EQ(g.lines.size(), 1u);
    EXPECT_EQ(g.lines[0], "41.1234567900 29.9876543200 55.550000");
}

TEST(ProjectCommand, SaysAbandonedWhereTheCycleDropsTheFix) {
    const CommandRun shortDatum =
        runProject(with(kWgs84Zone27, "Scale_PPM", ""), {}, "41 29\n41 30\n");
    ASSERT_EQ(shortDatum.exitCode, 0);
    EXPECT_EQ(shortDatum.lines, (std::vector<std::string>{"abandoned", "abandoned"}));
    EXPECT_NE(shortDatum.errors.find("18 numbers"), std::string::npos) << shortDatum.errors;

    // Only the projection in use must hold numbers: a typo in the unused
    // Lambert fields must not cost a Transverse Mercator survey its fixes.
    const CommandRun unused = runProject(with(kWgs84Zone27, "eLCCSF", "one"), {}, "41 29\n");
    ASSERT_EQ(unused.exitCode, 0);
    ASSERT_EQ(unused.lines.size(), 1u);
    EXPECT_NE(unused.lines[0], "abandoned") << unused.errors;
    const CommandRun notANumber =
        runProject(with(with(with(with(kWgs84Zone27, "eLCCSF", "one"), "cbUseLCCProjection", "1"),
                             "cLambert1", "1"),
                        "Use Projection", "0"),
                   {}, "41 29\n");
    ASSERT_EQ(notANumber.exitCode, 0);
    EXPECT_EQ(notANumber.lines, (std::vector<std::string>{"abandoned"}));
    EXPECT_NE(notANumber.errors.find("eLCCSF: 'one' is not a valid number"), std::string::npos)
        << notANumber.errors;

    const CommandRun pole = runProject(kWgs84Zone27, {QStringLiteral("--geographic")}, "90 0 0\n");
    EXPECT_EQ(pole.lines, (std::vector<std::string>{"abandoned"}));
}

TEST(ProjectCommand, RefusesBadInvocationsAndInput) {
    EXPECT_EQ(
        runProject(kWgs84Zone27, {QStringLiteral("--local"), QStringLiteral("--geographic")}, "")
            .exitCode,
        2);
    const CommandRun bad = runProject(kWgs84Zone27, {}, "41 29\n41 north\n41 30\n");
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.lines.size(), 1u);
    EXPECT_NE(bad.errors.find("line 2"), std::string::npos) << bad.errors;
    EXPECT_EQ(runProject(kWgs84Zone27, {}, "41\n").exitCode, 2);
    EXPECT_EQ(runProject(kWgs84Zone27, {}, "41 29 0 5\n").exitCode, 2);

    QProcess p;
    p.start(QStringLiteral(NIVORA_CLI_PATH), {QStringLiteral("project"), QStringLiteral("--ini"),
                                              QStringLiteral("/nonexistent/NivoraDW.INI")});
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
}

}  // namespace
}  // namespace nivora::geodesy

namespace nivora::geodesy {
namespace {

QByteArray runCli(const QStringList& args, int* exitCode) {
    QProcess p;
    p.start(QStringLiteral(NIVORA_CLI_PATH), args);
    EXPECT_TRUE(p.waitForFinished(30000));
    *exitCode = p.exitCode();
    return p.readAllStandardOutput() + p.readAllStandardError();
}

// A system chosen by its EPSG code is written into the settings, and the
// program places fixes with it at once.
TEST(CrsCommand, SearchesWritesTheFieldsAndRefusesByName) {
    int code = -1;
    const QByteArray found = runCli(
        {QStringLiteral("crs"), QStringLiteral("--search"), QStringLiteral("ED50 UTM 35")}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(found.startsWith("EPSG:23035\tED50 / UTM zone 35N\tTransverse Mercator\t"))
        << found.constData();

    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
    test::writeFile(ini, kWgs84Zone27);
    runCli({QStringLiteral("crs"), QStringLiteral("EPSG:23035"), QStringLiteral("--transformation"),
            QStringLiteral("EPSG:1311"), QStringLiteral("--ini"), ini},
           &code);
    ASSERT_EQ(code, 0);
    const QByteArray written = test::readFile(ini);
    for (const char* line :
         {"SemiMajorAxis=6378388\n", "InverseFlattening=0.00336700336700337\n",
          "Central_Meridian=27\n", "Scale_Factor=0.9996\n", "X_Shift=-89.5\n", "Y_Shift=-93.8\n",
          "Z_Shift=-123.1\n", "Z_Rotation=0.156\n", "Scale_PPM=1.2\n", "Use Projection=1\n",
          "EPSG_Code=EPSG:23035\n", "EPSG_Transformation=ED50 to WGS 84 (18)\n"}) {
        EXPECT_TRUE(written.contains(line)) << line << written.constData();
    }
    const CommandRun placed = runProject(written.toStdString(), {}, "41 27 0\n");
    EXPECT_EQ(placed.exitCode, 0) << placed.errors;
    ASSERT_EQ(placed.lines.size(), 1u);

    const QByteArray refused = runCli(
        {QStringLiteral("crs"), QStringLiteral("EPSG:28992"), QStringLiteral("--ini"), ini}, &code);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(refused.contains("Oblique Stereographic")) << refused.constData();
    EXPECT_EQ(test::readFile(ini), written) << "a refusal writes nothing";
}

}  // namespace
}  // namespace nivora::geodesy
