#include <gtest/gtest.h>

#include "config/device_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

#include "core/clock.h"
#include "core/ini_store.h"
#include "survey/survey_logs.h"
#include "tests/support/test_support.h"
#include "tests/survey/fake_disk.h"

namespace nivora {
namespace {

using test::readFile;

class LogsTest : public ::testing::Test {
  protected:
    LogsTest()
        : vt(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 7, 25))),
          folders(dir.path() + QStringLiteral("/NWL/"), QDate(2026, 12, 8)),
          logs(folders, vt, [this](const QString& e) { errors << e; }) {}

    QTemporaryDir dir;
    VirtualTime vt;
    DayFolders folders;
    SurveyLogs logs;
    QStringList errors;
};

CoordinateRow sampleRow() {
    CoordinateRow r;
    r.time = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 7, 25));
    r.latitude = 41.0205761234567;
    r.longitude = 29.00205761;
    r.easting = 500123.456;
    r.northing = 4541234.564;
    r.trueDepthHi = 10.5;
    r.trueDepthLo = 0.5;
    r.rawDepthHi = 10.0;
    r.rawDepthLo = 0;
    r.messageFormat = QStringLiteral("NMEA DBT");
    r.soundVelocity = 1480;
    r.transducerDraft = 0.5;
    r.fixQuality = 4;
    r.antennaHeight = 592.3;
    r.manualTide = 0.25;
    r.rtkTide = 591.1;
    return r;
}

TEST(CoordinateLogFormat, HeaderAndAllEighteenFields) {
    EXPECT_EQ(
        coordinateLogHeader(),
        QByteArray(
            "Date,Lat,Lon,Easting,Northing,Elevation (Hi),Elevation (Lo),True Depth (Hi),True "
            "Depth (Lo),"
            "Raw Depth (Hi),Raw Depth (Lo),Message Format,Sound Velocity,Transducer Draft,GPS, RTK "
            "Antenna Height,Manual Tide,RTK Tide\n"));
    EXPECT_EQ(
        formatCoordinateRow(sampleRow()),
        QByteArray("2026-12-08 "
                   "140507025,41.0205761234567,29.00205761,500123.46,4541234.56,-10.25,-0.25,10.50,"
                   "0.50,10,0,NMEA DBT,1480.00,0.50,4,592.30,0.25,591.10\n"));
    CoordinateRow midnight = sampleRow();
    midnight.time = QDateTime(QDate(2026, 12, 9), QTime(0, 0));
    EXPECT_TRUE(formatCoordinateRow(midnight).startsWith("2026-12-09,41."))
        << "the time is left out at midnight";
    EXPECT_EQ(numberedAlternate(QStringLiteral("/a/2026-12-08 Coordinates.csv"), 3),
              QStringLiteral("/a/2026-12-08 Coordinates_3.csv"));
}

TEST_F(LogsTest, HeaderOnceThenRowsAndMissingFoldersAreMade) {
    ASSERT_FALSE(QFileInfo::exists(folders.logsFolder()));
    logs.appendCoordinateRow(sampleRow());
    CoordinateRow second = sampleRow();
    second.rawDepthHi = 11;
    logs.appendCoordinateRow(second);
    CoordinateRow zero = sampleRow();
    zero.rawDepthHi = 0;
    zero.rawDepthLo = 0;
    logs.appendCoordinateRow(zero);
    logs.flush();
    const QString written = logs.coordinateLogFile();
    EXPECT_EQ(written, folders.coordinateLogPath())
        << "the row is not dropped for a missing folder";
    const QList<QByteArray> lines = readFile(written).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Date,Lat,"));
    EXPECT_TRUE(lines[1].contains(",10,0,NMEA DBT,"));
    EXPECT_TRUE(lines[2].contains(",11,0,NMEA DBT,"));
    EXPECT_TRUE(lines[3].isEmpty()) << "a row without any raw depth is no sounding";
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(LogsTest, AnUnopenableLogMovesRowsToTheFirstAlternate) {
    ASSERT_TRUE(folders.create());
    // A folder in the log's place cannot be opened, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(folders.coordinateLogPath()));
    logs.appendCoordinateRow(sampleRow());
    logs.flush();
    const QString written = logs.coordinateLogFile();
    EXPECT_TRUE(written.endsWith(QStringLiteral("2026-12-08 Coordinates_1.csv")))
        << written.toStdString();
    EXPECT_TRUE(readFile(written).startsWith("Date,Lat,"));
    logs.appendCoordinateRow(sampleRow());
    logs.flush();
    EXPECT_EQ(readFile(written).count('\n'), 3)
        << "the next row goes there too, after the header once";
}

// The row used to be lost; now it waits until a file can be opened.
TEST_F(LogsTest, WhenNoAlternateOpensTheRowsWaitAndTheOutageIsReported) {
    ASSERT_TRUE(folders.create());
    ASSERT_TRUE(QDir().mkpath(folders.coordinateLogPath()));
    for (int n = 1; n <= 99; ++n)
        ASSERT_TRUE(QDir().mkpath(numberedAlternate(folders.coordinateLogPath(), n)));
    logs.appendCoordinateRow(sampleRow());
    logs.flush();
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Cannot write "))) << errors[0].toStdString();
    EXPECT_EQ(logs.waitingCoordinateRows(), 1);

    ASSERT_TRUE(QDir().rmdir(folders.coordinateLogPath()));
    CoordinateRow second = sampleRow();
    second.rawDepthHi = 11;
    logs.appendCoordinateRow(second);
    logs.flush();
    EXPECT_EQ(
        readFile(folders.coordinateLogPath()),
        coordinateLogHeader() + formatCoordinateRow(sampleRow()) + formatCoordinateRow(second));
    EXPECT_EQ(logs.lostCoordinateRows(), 0u);
}

TEST_F(LogsTest, ReadOnlyLogMovesToAnAlternateWhenPermissionsApply) {
    ASSERT_TRUE(folders.create());
    test::writeFile(folders.coordinateLogPath(), coordinateLogHeader());
    QFile::setPermissions(folders.coordinateLogPath(), QFileDevice::ReadOwner);
    QFile probe(folders.coordinateLogPath());
    if (probe.open(QIODevice::Append))
        GTEST_SKIP() << "running with rights that ignore file permissions";
    logs.appendCoordinateRow(sampleRow());
    logs.flush();
    EXPECT_TRUE(logs.coordinateLogFile().endsWith(QStringLiteral("Coordinates_1.csv")));
}

TEST_F(LogsTest, PastMidnightTheCoordinateLogKeepsItsStartDayName) {
    logs.appendCoordinateRow(sampleRow());
    vt.advanceTo(11 * 3600 * 1000);  // 01:05 on the next day
    logs.appendCoordinateRow(sampleRow());
    logs.AppendEventLog(QStringLiteral("after midnight"));
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()).count('\n'), 3);
    EXPECT_TRUE(QFileInfo::exists(folders.logsFolder() + QStringLiteral("2026-12-09 Events.log")))
        << "the events log takes the new date, in the start day's folder";
}

TEST_F(LogsTest, EventsLogEntriesBeginWithALineBreak) {
    logs.AppendEventLog(QStringLiteral("Realtime STARTED"));
    vt.advance(1000);
    logs.AppendEventLog(QStringLiteral("Connected to GPS on COM3"));
    logs.flush();
    EXPECT_EQ(readFile(folders.eventsLogPath(QDate(2026, 12, 8))),
              QByteArray("\nAuto Event:\t2026-12-08 140507025\tRealtime STARTED"
                         "\nAuto Event:\t2026-12-08 140508025\tConnected to GPS on COM3"));
    logs.appendSettingsReport(
        {QStringLiteral("=== SETTINGS SAVED ==="), QStringLiteral("GPS: Port=COM3, Baud=9600")});
    logs.flush();
    EXPECT_TRUE(readFile(folders.eventsLogPath(QDate(2026, 12, 8)))
                    .endsWith("\nAuto Event:\t2026-12-08 140508025\t=== SETTINGS SAVED ===\nAuto "
                              "Event:\t2026-12-08 "
                              "140508025\tGPS: Port=COM3, Baud=9600"));
}

TEST_F(LogsTest, AnEventsLogThatCannotBeWrittenIsReportedNotWrittenThroughABadStream) {
    ASSERT_TRUE(folders.create());
    ASSERT_TRUE(QDir().mkpath(folders.eventsLogPath(QDate(2026, 12, 8))));
    logs.AppendEventLog(QStringLiteral("x"));
    logs.flush();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("Events.log")));
}

TEST_F(LogsTest, GeodesyBlock) {
    IniStore ini;
    ini.loadText(
        "[GEODETIC_PARAMETERS]\nSemiMajorAxis=6378137\nInverseFlattening=0.00335281066474748\nName "
        "of Datum=ITRF96\n"
        "Use "
        "DTP=1\nX_Rotation=0.1\nY_Rotation=0.2\nZ_Rotation=0.3\nX_Shift=-84\nY_Shift=-107\nZ_Shift="
        "-120\n"
        "Scale_PPM=1.2\nUse "
        "Projection=1\nCentral_Meridian=30\nReference_Latitude=0\nScale_Factor=1\n"
        "False_Easting=500000\nFalse_Northing=0\neLCCSP1=40\neLCCSP2=42\neLCCCP=41\neLCCM="
        "29\neLCCFE=0\neLCCFN=0\n");
    // The block logs the parameters the survey uses: the settings as loaded.
    DeviceSettingsModel loaded;
    loaded.load(ini);
    logs.appendGeodesyLog(loaded.geodeticParameters());
    vt.advance(60000);
    logs.appendGeodesyLog(DeviceSettingsModel().geodeticParameters());
    logs.flush();
    EXPECT_TRUE(errors.isEmpty());
    const QByteArray text = readFile(folders.geodesyLogPath(QDate(2026, 12, 8)));
    const QByteArray expectedFirst =
        "GEODETIC PARAMETERS LOG - 2026-12-08\n========================================\n\n"
        "=== SESSION START: 140507025 ===\n\n--- ELLIPSOID ---\nSemi-Major Axis: 6378137\n"
        "Inverse Flattening: 0.00335281066474748\n\n--- DATUM TRANSFORMATION ---\nName of Datum: "
        "ITRF96\n"
        "Use DTP: Yes\nX/Y/Z Rotation: 0.1, 0.2, 0.3\nX/Y/Z Shift: -84, -107, -120\nScale PPM: "
        "1.2\n\n"
        "--- TRANSVERSE MERCATOR ---\nUse TM: Yes\nCM: 30, Ref Lat: 0, SF: 1\nFE: 500000, FN: 0\n\n"
        "--- LAMBERT CONFORMAL CONIC ---\nUse LCC: No\nSP1: 40, SP2: 42\nCP: 41, CM: 29\nFE: 0, "
        "FN: 0\n\n"
        "----------------------------------------\n\n";
    ASSERT_TRUE(text.startsWith(expectedFirst)) << text.constData();
    const QByteArray second = text.mid(expectedFirst.size());
    EXPECT_TRUE(second.startsWith(
        "=== SESSION START: 140607025 ===\n\n--- ELLIPSOID ---\nSemi-Major Axis: \n"))
        << "a missing key gives an empty text";
    EXPECT_TRUE(second.contains("Use DTP: Yes\nX/Y/Z Rotation: , , \n"))
        << "a missing flag is logged as its box stands (ticked), since that is what the survey "
           "uses";
    EXPECT_TRUE(second.contains("Use LCC: No\n"));
    EXPECT_EQ(text.count("GEODETIC PARAMETERS LOG"), 1);
}

TEST_F(LogsTest, OffsetsRecordAndProfileMemos) {
    const QString record =
        QStringLiteral("\n\nNivora Depthwright - offsets essential for post processing\nTime....");
    ASSERT_TRUE(logs.appendOffsetsRecord(record));
    ASSERT_TRUE(logs.appendOffsetsRecord(record));
    EXPECT_EQ(readFile(folders.offsetsLogPath(QDate(2026, 12, 8))), (record + record).toLatin1());
    ASSERT_TRUE(
        logs.saveProfileMemos({{QStringLiteral("mSVPColumn"), QStringLiteral("1500\n1501\n")}}));
    EXPECT_EQ(readFile(folders.profilesFolder() + QStringLiteral("2026-12-08 mSVPColumn.INI")),
              QByteArray("1500\n1501\n"));
}

// ---- A disk that fills, refuses and stalls ----

CoordinateRow rowNumber(int n) {
    CoordinateRow r = sampleRow();
    r.rawDepthHi = n;
    return r;
}

QByteArray rows(std::initializer_list<int> numbers) {
    QByteArray bytes;
    for (int n : numbers)
        bytes += formatCoordinateRow(rowNumber(n));
    return bytes;
}

class FullDiskTest : public ::testing::Test {
  protected:
    static constexpr qsizetype kQueueRows = 3;
    FullDiskTest()
        : vt(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 7, 25))),
          folders(dir.path() + QStringLiteral("/NWL/"), QDate(2026, 12, 8)),
          disk(std::make_shared<test::FakeDisk>()),
          writer(disk),
          logs(
              folders, vt, [this](const QString& e) { errors << e; }, &writer, kQueueRows) {}

    bool reported(const QString& part) const {
        return std::any_of(errors.begin(), errors.end(),
                           [&](const QString& e) { return e.contains(part); });
    }

    QTemporaryDir dir;
    VirtualTime vt;
    DayFolders folders;
    std::shared_ptr<test::FakeDisk> disk;
    LogWriter writer;
    QStringList errors;
    SurveyLogs logs;
};

// A full disk left half a row, and the next row was glued onto it.
TEST_F(FullDiskTest, AShortWriteIsCutBackAndTheRestWaitInOrder) {
    disk->setRoom(coordinateLogHeader().size() + rows({1}).size() + 10);
    for (int n : {1, 2, 3})
        logs.appendCoordinateRow(rowNumber(n));
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()), coordinateLogHeader() + rows({1}))
        << "whole rows or none";
    EXPECT_EQ(logs.waitingCoordinateRows(), 2);
    EXPECT_TRUE(reported(QStringLiteral("the disk took ")))
        << errors.join(QLatin1Char('\n')).toStdString();

    disk->setRoom(-1);
    logs.appendCoordinateRow(rowNumber(4));
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()), coordinateLogHeader() + rows({1, 2, 3, 4}));
    EXPECT_EQ(logs.lostCoordinateRows(), 0u);
}

TEST_F(FullDiskTest, RowsBeyondTheQueueAreCountedAndReported) {
    disk->setRoom(0);
    for (int n = 1; n <= 5; ++n)
        logs.appendCoordinateRow(rowNumber(n));
    logs.flush();
    EXPECT_EQ(logs.waitingCoordinateRows(), kQueueRows);
    EXPECT_EQ(logs.lostCoordinateRows(), 2u);
    EXPECT_TRUE(reported(QStringLiteral("No space left on device")));
    EXPECT_TRUE(reported(QStringLiteral("new soundings are lost")))
        << errors.join(QLatin1Char('\n')).toStdString();

    disk->setRoom(-1);
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()), coordinateLogHeader() + rows({1, 2, 3}))
        << "the rows that waited, in order";
    EXPECT_TRUE(reported(QStringLiteral("2 soundings were lost")))
        << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(FullDiskTest, ASlowDiskNeverHoldsTheCaller) {
    disk->stall();
    logs.appendCoordinateRow(rowNumber(1));
    ASSERT_TRUE(disk->waitForStalledWrite());
    // The writer is stuck in a write; the caller only queues.
    for (int n = 2; n <= 3; ++n)
        logs.appendCoordinateRow(rowNumber(n));
    logs.AppendEventLog(QStringLiteral("Realtime STOPPED"));
    EXPECT_FALSE(disk->stallExpired()) << "a call waited for the disk";
    disk->release();
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()), coordinateLogHeader() + rows({1, 2, 3}));
    EXPECT_TRUE(readFile(folders.eventsLogPath(QDate(2026, 12, 8))).endsWith("\tRealtime STOPPED"));
}

// After a kill the file may end in half a row; the next row starts a new line.
TEST_F(LogsTest, ALogThatEndsInAHalfRowGetsALineEndFirst) {
    ASSERT_TRUE(folders.create());
    const QByteArray broken = coordinateLogHeader() + "2026-12-08 140507025,41.02057";
    test::writeFile(folders.coordinateLogPath(), broken);
    logs.appendCoordinateRow(sampleRow());
    logs.appendCoordinateRow(sampleRow());
    logs.flush();
    EXPECT_EQ(readFile(folders.coordinateLogPath()),
              broken + '\n' + formatCoordinateRow(sampleRow()) + formatCoordinateRow(sampleRow()));
}

TEST(DayFolderLayout, NamesFromTheStartDateAndToday) {
    const DayFolders f(QStringLiteral("/data/NWL"), QDate(2026, 12, 8));
    EXPECT_EQ(f.dayFolder(), QStringLiteral("/data/NWL/2026-12-08/"));
    EXPECT_EQ(f.coordinateLogPath(),
              QStringLiteral("/data/NWL/2026-12-08/LOG/2026-12-08 Coordinates.csv"));
    EXPECT_EQ(f.eventsLogPath(QDate(2026, 12, 9)),
              QStringLiteral("/data/NWL/2026-12-08/LOG/2026-12-09 Events.log"));
    EXPECT_EQ(f.rawLogPath(RawLogKind::Gnss, QDate(2026, 12, 8)),
              QStringLiteral("/data/NWL/2026-12-08/LOG/2026-12-08 NDW_GNSS_V3.log"));
    EXPECT_EQ(f.rawLogPath(RawLogKind::Sounder, QDate(2026, 12, 8)),
              QStringLiteral("/data/NWL/2026-12-08/LOG/2026-12-08 NDW_SBES_V3.log"));
    EXPECT_EQ(f.snapshotPath(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 40))),
              QStringLiteral("/data/NWL/2026-12-08/NWL/2026-12-08 1405.nwl"));
    EXPECT_EQ(f.snapshotPath(QDateTime(QDate(2026, 12, 8), QTime(14, 5))),
              f.snapshotPath(QDateTime(QDate(2026, 12, 8), QTime(14, 5, 59))))
        << "two saves in one minute write one file";
    EXPECT_EQ(f.profileMemoPath(QStringLiteral("mRawSVData"), QDate(2026, 12, 8)),
              QStringLiteral("/data/NWL/2026-12-08/SVP/2026-12-08 mRawSVData.INI"));
}

TEST(DayFolderLayout, CreateFailureSaysWhere) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath(QStringLiteral("blocked")), "x");
    const DayFolders f(dir.filePath(QStringLiteral("blocked")), QDate(2026, 12, 8));
    QString message;
    EXPECT_FALSE(f.create(&message));
    EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot create log folder ")));
    EXPECT_TRUE(message.endsWith(
        QStringLiteral(". Check if you are authorized create folder at this address.")));
    EXPECT_TRUE(message.contains(QStringLiteral("2026-12-08"))) << "the real path is quoted";
}

}  // namespace
}  // namespace nivora
