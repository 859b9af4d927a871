#include <gtest/gtest.h>

#include "survey/sounder_handler.h"

namespace nivora {
namespace {

class SounderTest : public ::testing::Test {
  protected:
    SounderTest() : handler(state) {
        state.Offsets.soundVelocity = 1500;
        in.alertDepthText = QStringLiteral("3");
        in.offsetAText = QStringLiteral("0.5");
        choose("NMEA DBT");
    }
    void choose(const char* family) {
        in.family = QLatin1String(family);
        in.pattern = QLatin1String(findEchosounderFamily(in.family)->defaultPattern);
    }
    SounderLineResult handle(const char* line) { return handler.handle(line, in); }

    RealtimeState state;
    SounderLineHandler handler;
    SounderLineInputs in;
};

TEST(EchosounderFamilies, TableOrderKeysAndPatterns) {
    const auto& f = echosounderFamilies();
    const char* names[] = {"Nivora SMT",    "NMEA DPT",       "NMEA DBT", "Nivora XDR HI",
                           "Nivora XDR LO", "Nivora XDR H/L", "ODC HI",   "OTHER"};
    for (std::size_t i = 0; i < f.size(); ++i)
        EXPECT_STREQ(f[i].name, names[i]);
    EXPECT_STREQ(f[0].defaultPattern, "%*8s,%lf,%lf");
    EXPECT_STREQ(f[2].defaultPattern, "%*6s,%*lf,%*1s,%lf");
    EXPECT_STREQ(f[6].defaultPattern, "%*42s,%lf");
    EXPECT_STREQ(f[7].defaultPattern, "");
    EXPECT_TRUE(f[4].lowFrequencyShown);
    EXPECT_TRUE(f[5].lowFrequencyShown);
    EXPECT_FALSE(f[0].lowFrequencyShown);
    // A name typed into the settings file in another case must not lose every sounding.
    EXPECT_EQ(findEchosounderFamily(QStringLiteral(" nmea dbt ")), &f[2]);
    EXPECT_EQ(findEchosounderFamily(QStringLiteral("NMEA DBX")), nullptr);
}

TEST_F(SounderTest, DbtMetresCorrectedForDraft) {
    const auto r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_TRUE(r.scanned);
    EXPECT_TRUE(r.rowDue);
    EXPECT_DOUBLE_EQ(state.RawDepthHi, 10.0);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 10.5);
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 0.5)
        << "a single-value family leaves the low depth at the draft";
    EXPECT_DOUBLE_EQ(state.SoundVelocityUsed, 1500);
    EXPECT_TRUE(state.NewDepth);
}

TEST_F(SounderTest, SoundVelocityScalesTheRawDepth) {
    choose("NMEA DPT");
    state.Offsets.soundVelocity = 1480;
    in.offsetAText = QStringLiteral("0");
    handle("$SDDPT,20.00,0.4");
    EXPECT_NEAR(state.TrueDepthHi, 19.7333333333, 1e-9);
}

TEST_F(SounderTest, LinesWithoutTheKeyAreIgnored) {
    choose("NMEA DPT");
    const auto r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.familyApplied);
    EXPECT_FALSE(r.scanned);
    EXPECT_FALSE(r.rowDue);
    EXPECT_TRUE(r.error.isEmpty());
    choose("Nivora XDR H/L");
    EXPECT_FALSE(handle("$NIVXDHI,14.25").familyApplied) << "both keys are needed";
}

TEST_F(SounderTest, TwoValueFamilies) {
    choose("Nivora XDR H/L");
    auto r = handle("$NIVXDHI,14.25,$NIVXDLO,14.90");
    EXPECT_TRUE(r.scanned);
    EXPECT_DOUBLE_EQ(state.RawDepthHi, 14.25);
    EXPECT_DOUBLE_EQ(state.RawDepthLo, 14.90);
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 15.40);

    choose("Nivora SMT");
    r = handle("$PNIVSMT,12.5,11.92");
    EXPECT_TRUE(r.scanned);
    ASSERT_TRUE(r.batteryVoltage.has_value());
    EXPECT_DOUBLE_EQ(*r.batteryVoltage, 11.92);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 13.0);
}

TEST_F(SounderTest, HalfAScannedTwoValueLineWritesNoRow) {
    choose("Nivora SMT");
    handle("$PNIVSMT,12.5,11.92");
    const auto r = handle("$PNIVSMT,7.25,");
    EXPECT_FALSE(r.scanned);
    EXPECT_FALSE(r.rowDue) << "no row from the depths of an earlier line";
    EXPECT_EQ(state.RawDepthHi, 0);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 13.0) << "the last good depth is still shown";
}

TEST_F(SounderTest, LowOnlyFamilyLogsItsLowDepth) {
    choose("Nivora XDR LO");
    const auto r = handle("$NIVXDHI,14.25,$NIVXDLO,14.90");
    EXPECT_TRUE(r.scanned);
    EXPECT_TRUE(r.rowDue) << "the family reads only the low depth: that is its sounding";
    EXPECT_EQ(state.RawDepthHi, 0);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 0.5);
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 15.40);
    EXPECT_FALSE(handle("$NIVXDHI,14.25,$NIVXDLO,0").rowDue);
}

// A pattern that reads nothing used to leave the survey without a row and
// without a word; it is said once, until a line is read again.
TEST_F(SounderTest, APatternThatReadsNothingIsSaidOnce) {
    choose("OTHER");
    EXPECT_TRUE(in.pattern.isEmpty());
    auto r = handle("DEPTH 12.3");
    EXPECT_TRUE(r.familyApplied);
    EXPECT_FALSE(r.scanned);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("The echosounder pattern for OTHER is empty")))
        << r.error.toStdString();
    EXPECT_TRUE(handle("DEPTH 12.3").error.isEmpty()) << "once";

    in.pattern = QStringLiteral("DEPTH=%lf");
    QStringList said;
    for (int i = 0; i < 20; ++i) {
        r = handle("DEPTH 12.3");
        if (!r.error.isEmpty()) said << r.error;
    }
    ASSERT_EQ(said.size(), 1);
    EXPECT_EQ(said[0], QStringLiteral("Echosounder lines do not match the pattern \"DEPTH=%lf\" of "
                                      "OTHER: no depth is read (last line: DEPTH 12.3)"));
    in.pattern = QStringLiteral("DEPTH %lf");
    r = handle("DEPTH 12.3");
    EXPECT_TRUE(r.scanned);
    EXPECT_DOUBLE_EQ(state.RawDepthHi, 12.3);

    // Lines of other sentences are not the family's: a DBT sounder with DPT
    // lines between says nothing.
    choose("NMEA DBT");
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(handle("$SDDPT,4.0,0.5").error.isEmpty());
}

TEST_F(SounderTest, ZeroAndNonFiniteDepthsWriteNoRow) {
    EXPECT_FALSE(handle("$SDDBT,0,f,0.0,M,0,F").rowDue);
    EXPECT_FALSE(handle("$SDDBT,0,f,nan,M,0,F").scanned);
    EXPECT_FALSE(handle("$SDDBT,0,f,inf,M,0,F").rowDue);
}

TEST_F(SounderTest, ShallowWaterAlarmOnlyWhileRunning) {
    in.offsetAText = QStringLiteral("0");
    in.chosenBackground = colors::White;
    in.canvasBackground = colors::White;
    auto r = handle("$SDDBT,0,f,2.9,M,0,F");
    EXPECT_FALSE(r.newBackground.has_value()) << "not while stopped";
    EXPECT_FALSE(r.repaint);
    in.realtimeRunning = true;
    r = handle("$SDDBT,0,f,2.9,M,0,F");
    ASSERT_TRUE(r.newBackground.has_value());
    EXPECT_EQ(*r.newBackground, colors::Red);
    EXPECT_TRUE(r.repaint);
    in.canvasBackground = colors::Red;
    EXPECT_FALSE(handle("$SDDBT,0,f,3.0,M,0,F").newBackground.has_value())
        << "3.0 <= 3 is still shallow";
    r = handle("$SDDBT,0,f,3.1,M,0,F");
    ASSERT_TRUE(r.newBackground.has_value());
    EXPECT_EQ(*r.newBackground, colors::White);
    in.canvasBackground = colors::White;
    EXPECT_FALSE(handle("$SDDBT,0,f,nothing,M,0,F").repaint) << "no alarm decision without a scan";
}

TEST_F(SounderTest, ProfileVelocityPerMetre) {
    QStringList column;
    for (int i = 0; i < 20; ++i)
        column << QString::number(1400 + i);
    in.useProfile = true;
    in.velocityColumn = &column;
    in.offsetAText = QStringLiteral("0");
    handle("$SDDBT,0,f,12.5,M,0,F");
    EXPECT_DOUBLE_EQ(state.SoundVelocityUsed, 1413) << "12.5 rounds up to line 13";
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 12.5 * 1413 / 1500);
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 0) << "a low depth of 0 reads line 0";

    choose("Nivora XDR H/L");
    handle("$NIVXDHI,2.4,$NIVXDLO,3.6");
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 3.6 * 1404 / 1500);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 2.4 * 1402 / 1500);
    EXPECT_DOUBLE_EQ(state.SoundVelocityUsed, 1402) << "the last velocity used is the high one";
}

TEST_F(SounderTest, DeepWaterUsesTheColumnsLastLine) {
    QStringList column{QStringLiteral("1490"), QStringLiteral("1491"), QStringLiteral("1480")};
    in.useProfile = true;
    in.velocityColumn = &column;
    const auto r = handle("$SDDBT,0,f,250.0,M,0,F");
    EXPECT_TRUE(r.rowDue) << "a sounding deeper than the profile is still logged";
    EXPECT_DOUBLE_EQ(state.SoundVelocityUsed, 1480);
}

// A typo in a live field is reported, and the sounding is still kept with
// the field's last good value: the alarm and the fields never decide a row.
TEST_F(SounderTest, FieldsThatAreNotNumbersKeepTheirLastGoodValue) {
    in.alertDepthText = QStringLiteral("3");
    handle("$SDDBT,0,f,4,M,0,F");
    in.alertDepthText = QStringLiteral("0,5");
    in.realtimeRunning = true;
    auto r = handle("$SDDBT,0,f,2,M,0,F");
    EXPECT_EQ(r.error, QStringLiteral("Depth alert: '0,5' is not a valid number"));
    EXPECT_TRUE(r.rowDue);
    EXPECT_DOUBLE_EQ(state.AlertDepth, 3) << "the last good alert depth still warns";
    ASSERT_TRUE(r.newBackground.has_value());
    EXPECT_EQ(*r.newBackground, colors::Red);

    in.alertDepthText = QStringLiteral("3");
    in.offsetAText = QString();
    r = handle("$SDDBT,0,f,4,M,0,F");
    EXPECT_EQ(r.error, QStringLiteral("Offset A: '' is not a valid number"));
    EXPECT_TRUE(r.rowDue);
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 4.5) << "the last good draft, 0.5 m";

    in.offsetAText = QStringLiteral("0");
    QStringList column{QStringLiteral("1500"), QStringLiteral("fast")};
    in.useProfile = true;
    in.velocityColumn = &column;
    state.Offsets.soundVelocity = 1480;
    r = handle("$SDDBT,0,f,1.2,M,0,F");
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(r.rowDue);
    EXPECT_DOUBLE_EQ(state.SoundVelocityUsed, 1480)
        << "both depths with the Offsets velocity, none half updated";
    EXPECT_DOUBLE_EQ(state.TrueDepthHi, 1.2 * 1480 / 1500);
    EXPECT_DOUBLE_EQ(state.TrueDepthLo, 0.0);
    QStringList empty;
    in.velocityColumn = &empty;
    r = handle("$SDDBT,0,f,1.2,M,0,F");
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(r.rowDue);
}

TEST_F(SounderTest, AnUnknownFamilyIsReportedNotSilent) {
    in.family = QStringLiteral("NMEA DBX");
    const auto r = handle("$SDDBT,0,f,4,M,0,F");
    EXPECT_FALSE(r.scanned);
    EXPECT_TRUE(r.error.contains(QStringLiteral("NMEA DBX"))) << r.error.toStdString();
}

TEST_F(SounderTest, PatternsThatCannotBeUsedAreReported) {
    in.pattern = QStringLiteral("%*6s,%*lf,%*1s,%f");
    auto r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.scanned);
    EXPECT_TRUE(r.error.contains(QStringLiteral("%f"))) << r.error.toStdString();
    in.pattern = QStringLiteral("%*6s,%lf,%*1s,%lf");
    r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.scanned) << "two values for a one-value family";
    EXPECT_FALSE(r.error.isEmpty());
}

}  // namespace
}  // namespace nivora
