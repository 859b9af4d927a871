#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "tests/cli/cli_runner.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

using test::runCli;

TEST(DecodeCommand, GnssLogWithStampsCommentsAndABadChecksum) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("gnss.log"));
    test::writeFile(
        log,
        "# a comment\n"
        "2026-12-08 093007250 $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n"
        "2026-12-08 093007300 $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\n"
        "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48\r\n"
        "$GPHDT,274.07,T*03\n"
        "$GPGGA,1,49x0.000,N,01131.000,E,5,9,0.9,3,M,0,M,,\n"
        "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W");
    const auto r = runCli({QStringLiteral("decode"), QStringLiteral("--gnss"), log});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out,
              "type,latitude,longitude,altitude,fix_quality,satellites,speed_kmh,course\n"
              "GGA,48.117300000,11.516666667,545.4,1,8,0,0\n"
              "VTG,48.117300000,11.516666667,545.4,1,8,10.2,54.7\n"
              "RMC,48.117300000,11.516666667,545.4,1,8,41.4848,84.4\n");
    EXPECT_EQ(r.err, "lines read: 6, sentences accepted: 3, dropped for a bad checksum: 1\n");
}

TEST(DecodeCommand, SounderLog) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("sbes.log"));
    test::writeFile(log,
                    "2026-12-08 093007250 $SDDBT,32.8,f,10.0,M,5.4,F\n"
                    "$SDDPT,4.0,0.5\n"
                    "$SDDBT,65.6,f,20.0,M,10.8,F\n");
    const auto r =
        runCli({QStringLiteral("decode"), QStringLiteral("--sbes"), log, QStringLiteral("--family"),
                QStringLiteral("NMEA DBT"), QStringLiteral("--sv"), QStringLiteral("1480"),
                QStringLiteral("--draft"), QStringLiteral("0.5")});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> rows = r.out.split('\n');
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], "raw_hi,raw_lo,true_hi,true_lo,sound_velocity");
    EXPECT_TRUE(rows[1].startsWith("10,0,10.3666666666")) << rows[1].constData();
    EXPECT_TRUE(rows[1].endsWith(",0.5,1480")) << rows[1].constData();
    EXPECT_TRUE(rows[2].startsWith("20,0,20.2333333333")) << rows[2].constData();
    EXPECT_EQ(r.err, "lines read: 3, sentences accepted: 2, dropped for a bad checksum: 0\n");

    const auto custom =
        runCli({QStringLiteral("decode"), QStringLiteral("--sbes"), log, QStringLiteral("--family"),
                QStringLiteral("OTHER"), QStringLiteral("--pattern"), QStringLiteral("%*6s,%lf")});
    EXPECT_EQ(custom.exitCode, 0);
    EXPECT_EQ(custom.out.count('\n'), 4) << custom.out.constData();
}

TEST(DecodeCommand, RealCaptureDecodes) {
    const auto r = runCli({QStringLiteral("decode"), QStringLiteral("--gnss"),
                           test::dataPath(QStringLiteral("nmea/nmea-rtk.log"))});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_GT(r.out.count("\nGGA,41.5749"), 100);
}

TEST(DecodeCommand, MistakesGiveOneLineAndAFailingStatus) {
    auto r = runCli(
        {QStringLiteral("decode"), QStringLiteral("--gnss"), QStringLiteral("/no/such/file")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.startsWith("nivora: cannot read /no/such/file")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1);
    r = runCli({QStringLiteral("decode"), QStringLiteral("--sbes"),
                test::dataPath(QStringLiteral("nmea/sounder.log")), QStringLiteral("--family"),
                QStringLiteral("Sonar")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("--family must be one of: Nivora SMT, NMEA DPT"))
        << r.err.constData();
    r = runCli({QStringLiteral("decode")});
    EXPECT_NE(r.exitCode, 0);
    r = runCli({QStringLiteral("frobnicate")});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains("unknown command 'frobnicate'"));
}

}  // namespace
}  // namespace nivora
