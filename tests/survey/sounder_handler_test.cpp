#include <gtest/gtest.h>

#include "survey/sounder_handler.h"

namespace nivora {
namespace {

class SounderTest : public ::testing::Test {
  protected:
    SounderTest() {
        in.offsets.soundVelocity = 1500;
        in.alertDepthText = QStringLiteral("3");
        in.offsetAText = QStringLiteral("0.5");
        choose("NMEA DBT");
    }
    void choose(const char* family) {
        in.family = QLatin1String(family);
        in.pattern = QLatin1String(findEchosounderFamily(in.family)->defaultPattern);
    }
    // The sounding a line gave, kept as the survey keeps the last one.
    SounderLineResult handle(const char* line) {
        SounderLineResult r = handler.handle(line, in);
        if (r.sounding) last = *r.sounding;
        return r;
    }
    static bool rowDue(const SounderLineResult& r) { return r.sounding && r.sounding->rowDue; }

    CorrectedSounding last;
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
    EXPECT_TRUE(r.sounding);
    EXPECT_TRUE(rowDue(r));
    EXPECT_DOUBLE_EQ(last.rawHi, 10.0);
    EXPECT_DOUBLE_EQ(last.trueHi, 10.5);
    EXPECT_DOUBLE_EQ(last.trueLo, 0.5) << "a single-value family leaves the low depth at the draft";
    EXPECT_DOUBLE_EQ(last.soundVelocity, 1500);
    EXPECT_DOUBLE_EQ(last.offsets.soundVelocity, 1500) << "the snapshot it was corrected with";
    EXPECT_DOUBLE_EQ(last.draft, 0.5);
    EXPECT_EQ(last.family, QStringLiteral("NMEA DBT"));
    EXPECT_EQ(last.depth(), 10.5);
    EXPECT_FALSE(last.shownLo()) << "not measured: no depth shown";
}

TEST_F(SounderTest, SoundVelocityScalesTheRawDepth) {
    choose("NMEA DPT");
    in.offsets.soundVelocity = 1480;
    in.offsetAText = QStringLiteral("0");
    handle("$SDDPT,20.00,0.4");
    EXPECT_NEAR(last.trueHi, 19.7333333333, 1e-9);
}

TEST_F(SounderTest, LinesWithoutTheKeyAreIgnored) {
    choose("NMEA DPT");
    const auto r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.familyApplied);
    EXPECT_FALSE(r.sounding);
    EXPECT_FALSE(rowDue(r));
    EXPECT_TRUE(r.error.isEmpty());
    choose("Nivora XDR H/L");
    EXPECT_FALSE(handle("$NIVXDHI,14.25").familyApplied) << "both keys are needed";
}

TEST_F(SounderTest, TwoValueFamilies) {
    choose("Nivora XDR H/L");
    auto r = handle("$NIVXDHI,14.25,$NIVXDLO,14.90");
    EXPECT_TRUE(r.sounding);
    EXPECT_DOUBLE_EQ(last.rawHi, 14.25);
    EXPECT_DOUBLE_EQ(last.rawLo, 14.90);
    EXPECT_DOUBLE_EQ(last.trueLo, 15.40);

    choose("Nivora SMT");
    r = handle("$PNIVSMT,12.5,11.92");
    EXPECT_TRUE(r.sounding);
    ASSERT_TRUE(r.sounding->batteryVoltage.has_value());
    EXPECT_DOUBLE_EQ(*r.sounding->batteryVoltage, 11.92);
    EXPECT_DOUBLE_EQ(last.trueHi, 13.0);
}

TEST_F(SounderTest, HalfAScannedTwoValueLineWritesNoRow) {
    choose("Nivora SMT");
    handle("$PNIVSMT,12.5,11.92");
    const auto r = handle("$PNIVSMT,7.25,");
    EXPECT_FALSE(r.sounding);
    EXPECT_FALSE(rowDue(r)) << "no row from the depths of an earlier line";
}

TEST_F(SounderTest, LowOnlyFamilyLogsItsLowDepth) {
    choose("Nivora XDR LO");
    const auto r = handle("$NIVXDHI,14.25,$NIVXDLO,14.90");
    EXPECT_TRUE(r.sounding);
    EXPECT_TRUE(rowDue(r)) << "the family reads only the low depth: that is its sounding";
    EXPECT_EQ(last.rawHi, 0);
    EXPECT_DOUBLE_EQ(last.trueHi, 0.5);
    EXPECT_DOUBLE_EQ(last.trueLo, 15.40);
    EXPECT_EQ(last.depth(), 15.40);
    EXPECT_FALSE(rowDue(handle("$NIVXDHI,14.25,$NIVXDLO,0")));
}

// A pattern that reads nothing used to leave the survey without a row and
// without a word; it is said once, until a line is read again.
TEST_F(SounderTest, APatternThatReadsNothingIsSaidOnce) {
    choose("OTHER");
    EXPECT_TRUE(in.pattern.isEmpty());
    auto r = handle("DEPTH 12.3");
    EXPECT_TRUE(r.familyApplied);
    EXPECT_FALSE(r.sounding);
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
    EXPECT_TRUE(r.sounding);
    EXPECT_DOUBLE_EQ(last.rawHi, 12.3);

    // Lines of other sentences are not the family's: a DBT sounder with DPT
    // lines between says nothing.
    choose("NMEA DBT");
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(handle("$SDDPT,4.0,0.5").error.isEmpty());
}

TEST_F(SounderTest, ZeroAndNonFiniteDepthsWriteNoRow) {
    EXPECT_FALSE(rowDue(handle("$SDDBT,0,f,0.0,M,0,F")));
    EXPECT_FALSE(handle("$SDDBT,0,f,nan,M,0,F").sounding);
    EXPECT_FALSE(rowDue(handle("$SDDBT,0,f,inf,M,0,F")));
}

TEST_F(SounderTest, ShallowWaterAtOrAboveTheAlertDepth) {
    in.offsetAText = QStringLiteral("0");
    EXPECT_TRUE(handle("$SDDBT,0,f,2.9,M,0,F").sounding->shallow);
    EXPECT_TRUE(handle("$SDDBT,0,f,3.0,M,0,F").sounding->shallow) << "3.0 <= 3 is still shallow";
    EXPECT_FALSE(handle("$SDDBT,0,f,3.1,M,0,F").sounding->shallow);
    EXPECT_FALSE(handle("$SDDBT,0,f,0,M,0,F").sounding->shallow) << "no depth, no alarm";
}

TEST_F(SounderTest, ProfileVelocityPerMetre) {
    QStringList column;
    for (int i = 0; i < 20; ++i)
        column << QString::number(1400 + i);
    in.useProfile = true;
    in.velocityColumn = &column;
    in.offsetAText = QStringLiteral("0");
    handle("$SDDBT,0,f,12.5,M,0,F");
    EXPECT_DOUBLE_EQ(last.soundVelocity, 1413) << "12.5 rounds up to line 13";
    EXPECT_DOUBLE_EQ(last.trueHi, 12.5 * 1413 / 1500);
    EXPECT_DOUBLE_EQ(last.trueLo, 0) << "a low depth of 0 reads line 0";

    choose("Nivora XDR H/L");
    handle("$NIVXDHI,2.4,$NIVXDLO,3.6");
    EXPECT_DOUBLE_EQ(last.trueLo, 3.6 * 1404 / 1500);
    EXPECT_DOUBLE_EQ(last.trueHi, 2.4 * 1402 / 1500);
    EXPECT_DOUBLE_EQ(last.soundVelocity, 1402) << "the last velocity used is the high one";
}

TEST_F(SounderTest, DeepWaterUsesTheColumnsLastLine) {
    QStringList column{QStringLiteral("1490"), QStringLiteral("1491"), QStringLiteral("1480")};
    in.useProfile = true;
    in.velocityColumn = &column;
    const auto r = handle("$SDDBT,0,f,250.0,M,0,F");
    EXPECT_TRUE(rowDue(r)) << "a sounding deeper than the profile is still logged";
    EXPECT_DOUBLE_EQ(last.soundVelocity, 1480);
}

// A typo in a live field is reported, and the sounding is still kept with
// the field's last good value: the alarm and the fields never decide a row.
TEST_F(SounderTest, FieldsThatAreNotNumbersKeepTheirLastGoodValue) {
    in.alertDepthText = QStringLiteral("3");
    handle("$SDDBT,0,f,4,M,0,F");
    in.alertDepthText = QStringLiteral("0,5");
    auto r = handle("$SDDBT,0,f,2,M,0,F");
    EXPECT_EQ(r.error, QStringLiteral("Depth alert: '0,5' is not a valid number"));
    EXPECT_TRUE(rowDue(r));
    EXPECT_TRUE(r.sounding->shallow) << "the last good alert depth, 3 m, still warns";

    in.alertDepthText = QStringLiteral("3");
    in.offsetAText = QString();
    r = handle("$SDDBT,0,f,4,M,0,F");
    EXPECT_EQ(r.error, QStringLiteral("Offset A: '' is not a valid number"));
    EXPECT_TRUE(rowDue(r));
    EXPECT_DOUBLE_EQ(last.trueHi, 4.5) << "the last good draft, 0.5 m";

    in.offsetAText = QStringLiteral("0");
    QStringList column{QStringLiteral("1500"), QStringLiteral("fast")};
    in.useProfile = true;
    in.velocityColumn = &column;
    in.offsets.soundVelocity = 1480;
    r = handle("$SDDBT,0,f,1.2,M,0,F");
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(rowDue(r));
    EXPECT_DOUBLE_EQ(last.soundVelocity, 1480)
        << "both depths with the Offsets velocity, none half updated";
    EXPECT_DOUBLE_EQ(last.trueHi, 1.2 * 1480 / 1500);
    EXPECT_DOUBLE_EQ(last.trueLo, 0.0);
    QStringList empty;
    in.velocityColumn = &empty;
    r = handle("$SDDBT,0,f,1.2,M,0,F");
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_TRUE(rowDue(r));
}

TEST_F(SounderTest, AnUnknownFamilyIsReportedNotSilent) {
    in.family = QStringLiteral("NMEA DBX");
    const auto r = handle("$SDDBT,0,f,4,M,0,F");
    EXPECT_FALSE(r.sounding);
    EXPECT_TRUE(r.error.contains(QStringLiteral("NMEA DBX"))) << r.error.toStdString();
}

TEST_F(SounderTest, PatternsThatCannotBeUsedAreReported) {
    in.pattern = QStringLiteral("%*6s,%*lf,%*1s,%f");
    auto r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.sounding);
    EXPECT_TRUE(r.error.contains(QStringLiteral("%f"))) << r.error.toStdString();
    in.pattern = QStringLiteral("%*6s,%lf,%*1s,%lf");
    r = handle("$SDDBT,32.8,f,10.0,M,5.4,F");
    EXPECT_FALSE(r.sounding) << "two values for a one-value family";
    EXPECT_FALSE(r.error.isEmpty());
}

}  // namespace
}  // namespace nivora
