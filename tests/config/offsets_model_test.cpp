#include <gtest/gtest.h>

#include "config/offsets_model.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::FakeHost;
using test::FakePrompts;
using test::ScratchIni;

OffsetsModel valid() {
    OffsetsModel m;
    m.offsetA = QStringLiteral("0.5");
    m.offsetB = QStringLiteral("2.0");
    m.offsetC = QStringLiteral("1.5");
    m.soundVelocity = QStringLiteral("1500");
    m.tideHeight = QStringLiteral("0.12");
    m.location = QStringLiteral("Izmir Bay");
    m.surveyBoat = QStringLiteral("Deniz 3");
    m.surveyor = QStringLiteral("A. Kaya");
    m.timeText = QStringLiteral("2024-05-01 093007250");
    return m;
}

// ---- INI ----

TEST(OffsetsIni, ShowingReadsEveryKeyButTime) {
    ScratchIni ini;
    ini.write(
        "[ECHOSOUNDER_OFFSETS]\nOffset A=0.6\nOffset B=2.1\nOffset C=1.5\nSV=1480\nTide "
        "Height=-0.3\n"
        "Time=2023-01-01 000000001\nSurveyor=B. Demir\nSurveyBoat=Martı\nSurveyLocation=Bodrum\n");
    OffsetsModel m;
    m.timeText = QStringLiteral("2024-05-01 120000000");
    m.load(ini.store());
    EXPECT_EQ(m.offsetA, QStringLiteral("0.6"));
    EXPECT_EQ(m.offsetB, QStringLiteral("2.1"));
    EXPECT_EQ(m.offsetC, QStringLiteral("1.5"));
    EXPECT_EQ(m.soundVelocity, QStringLiteral("1480"));
    EXPECT_EQ(m.tideHeight, QStringLiteral("-0.3"));
    EXPECT_EQ(m.surveyor, QStringLiteral("B. Demir"));
    EXPECT_EQ(m.surveyBoat, QStringLiteral("Martı"));
    EXPECT_EQ(m.location, QStringLiteral("Bodrum"));
    EXPECT_EQ(m.timeText, QStringLiteral("2024-05-01 120000000"));
}

TEST(OffsetsIni, MissingKeysGiveEmptyTexts) {
    ScratchIni ini;
    OffsetsModel m = valid();
    m.load(ini.store());
    EXPECT_EQ(m.offsetA, QString());
    EXPECT_EQ(m.surveyor, QString());
    EXPECT_EQ(m.location, QString());
}

TEST(OffsetsIni, SavingWritesTheKeysInOrder) {
    ScratchIni ini;
    IniStore store = ini.store();
    valid().save(store);
    const QStringList expected = {
        QStringLiteral("Offset A"), QStringLiteral("Offset B"),    QStringLiteral("Offset C"),
        QStringLiteral("SV"),       QStringLiteral("Tide Height"), QStringLiteral("Time"),
        QStringLiteral("Surveyor"), QStringLiteral("SurveyBoat"),  QStringLiteral("SurveyLocation"),
    };
    EXPECT_EQ(store.keys(QStringLiteral("ECHOSOUNDER_OFFSETS")), expected);
    EXPECT_EQ(store.readString(QStringLiteral("ECHOSOUNDER_OFFSETS"), QStringLiteral("Time")),
              QStringLiteral("2024-05-01 093007250"));
}

// ---- Checks ----

TEST(OffsetsCheckOrder, ValidOffsetsPass) {
    EXPECT_TRUE(valid().check(Language::English).ok);
}

TEST(OffsetsCheckOrder, EachFieldFailsWithItsMessageAndFocus) {
    struct Case {
        OffsetField field;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {OffsetField::OffsetA, "a", "Failed! Recheck offset A"},
        {OffsetField::OffsetB, "", "Failed! Recheck offset B"},
        {OffsetField::OffsetC, "-", "Failed! Recheck offset C"},
        {OffsetField::SV, "fast", "Failed! Recheck SV value"},
        {OffsetField::TideHt, " ", "Failed! Recheck tide height"},
        {OffsetField::Location, "", "Failed! Location cannot be missing"},
        {OffsetField::SurveyBoat, "", "Failed! Name/type of survey boat cannot be missing"},
        {OffsetField::Surveyor, "", "Failed! Name of surveyor cannot be missing"},
    };
    for (const Case& c : cases) {
        OffsetsModel m = valid();
        m.setText(c.field, QString::fromLatin1(c.text));
        const OffsetsCheck r = m.check(Language::English);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.message, QString::fromLatin1(c.message));
        EXPECT_EQ(r.focus, c.field) << c.message;
    }
}

TEST(OffsetsCheckOrder, TheFirstFailingCheckWins) {
    OffsetsModel m = valid();
    m.offsetB = QStringLiteral("x");
    m.soundVelocity = QStringLiteral("y");
    m.surveyor.clear();
    EXPECT_EQ(m.check(Language::English).focus, OffsetField::OffsetB);

    // An empty vessel name with every number valid stops at the vessel,
    // after the number checks, before geometry and sound velocity.
    m = valid();
    m.surveyBoat.clear();
    m.offsetC = QStringLiteral("3.0");
    m.soundVelocity = QStringLiteral("2000");
    EXPECT_EQ(m.check(Language::English).focus, OffsetField::SurveyBoat);
    m.surveyBoat = QStringLiteral("Deniz 3");
    EXPECT_EQ(m.check(Language::English).focus, OffsetField::OffsetA);  // geometry before SV
}

TEST(OffsetsCheckOrder, GeometryToleranceIsTwoAndAHalfCentimetres) {
    OffsetsModel m = valid();
    m.offsetC = QStringLiteral("1.53");
    OffsetsCheck r = m.check(Language::English);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message,
              QStringLiteral("Measurements contains error: A + C must be close enough to B."));
    EXPECT_EQ(r.focus, OffsetField::OffsetA);
    m.offsetC = QStringLiteral("1.52");
    EXPECT_TRUE(m.check(Language::English).ok);
    m.offsetC = QStringLiteral("1.48");
    EXPECT_TRUE(m.check(Language::English).ok);
    m.offsetC = QStringLiteral("1.47");
    EXPECT_FALSE(m.check(Language::English).ok);
}

TEST(OffsetsCheckOrder, SoundVelocityRangeIncludesItsBounds) {
    OffsetsModel m = valid();
    for (const char* ok : {"1300", "1700", "1450.5"}) {
        m.soundVelocity = QString::fromLatin1(ok);
        EXPECT_TRUE(m.check(Language::English).ok) << ok;
    }
    for (const char* bad : {"1299.9", "1700.01", "-1500"}) {
        m.soundVelocity = QString::fromLatin1(bad);
        const OffsetsCheck r = m.check(Language::English);
        EXPECT_EQ(r.message, QStringLiteral("Error in Sound Velocity (SV) value")) << bad;
        EXPECT_EQ(r.focus, OffsetField::SV);
    }
}

// "nan" and "inf" scan as numbers but pass no comparison: they once let a
// meaningless sound velocity and geometry through.
TEST(OffsetsCheckOrder, NotANumberAndInfinityFailTheNumberChecks) {
    OffsetsModel m = valid();
    m.soundVelocity = QStringLiteral("nan");
    EXPECT_EQ(m.check(Language::English).focus, OffsetField::SV);
    m = valid();
    m.offsetB = QStringLiteral("inf");
    EXPECT_EQ(m.check(Language::English).focus, OffsetField::OffsetB);
}

TEST(OffsetsCheckOrder, TurkishMessages) {
    OffsetsModel m = valid();
    m.offsetA.clear();
    EXPECT_EQ(m.check(Language::Turkish).message,
              QStringLiteral("Başarısız! A değerini yeniden kontrol ediniz."));
    m = valid();
    m.soundVelocity = QStringLiteral("x");
    EXPECT_EQ(m.check(Language::Turkish).message,
              QStringLiteral("Başarısız! SV/SH değerini yeniden kontrol ediniz."));
    m = valid();
    m.tideHeight = QStringLiteral("x");
    EXPECT_EQ(m.check(Language::Turkish).message,
              QStringLiteral("Başarısız! Su kotunu kontrol ediniz."));
    m = valid();
    m.surveyor.clear();
    EXPECT_EQ(m.check(Language::Turkish).message,
              QStringLiteral("Başarısız! Öçen kişinin adı boş olamaz"));
    m = valid();
    m.offsetC = QStringLiteral("1.6");
    EXPECT_EQ(m.check(Language::Turkish).message,
              QStringLiteral("Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir"));
    m = valid();
    m.soundVelocity = QStringLiteral("1800");
    EXPECT_EQ(m.check(Language::Turkish).message, QStringLiteral("SV/SE değerinde hata var"));
}

TEST(OffsetsCheckOrder, TimeWithColonsIsOnlyAWarning) {
    OffsetsModel m = valid();
    EXPECT_TRUE(m.timeFormatWarning(Language::English).isEmpty());
    m.timeText = QStringLiteral("2024-05-01 09:30:07");
    EXPECT_EQ(
        m.timeFormatWarning(Language::English),
        QStringLiteral("Time format does not fit requirements. The date and time fromat must be "
                       "YYYY-DD-MM HHmmssfff"));
    EXPECT_TRUE(
        m.timeFormatWarning(Language::Turkish).startsWith(QStringLiteral("Tarih ve saat formatı")));
    EXPECT_TRUE(m.check(Language::English).ok);
}

TEST(OffsetsFieldExit, NumberFieldsReportConversionErrors) {
    OffsetsModel m = valid();
    EXPECT_TRUE(m.fieldExitError(OffsetField::OffsetA).isEmpty());
    m.offsetA = QStringLiteral("0,5");
    EXPECT_EQ(m.fieldExitError(OffsetField::OffsetA),
              QStringLiteral("Offset A: '0,5' is not a valid number"));
    m.tideHeight.clear();
    EXPECT_FALSE(m.fieldExitError(OffsetField::TideHt).isEmpty());
    m.location.clear();
    EXPECT_TRUE(m.fieldExitError(OffsetField::Location).isEmpty());
}

TEST(OffsetsSnapshot, FieldTextsForTheGnssHandler) {
    const OffsetFieldTexts t = valid().fieldTexts();
    EXPECT_EQ(t.offsetA, QStringLiteral("0.5"));
    EXPECT_EQ(t.soundVelocity, QStringLiteral("1500"));
    EXPECT_EQ(t.offsetC, QStringLiteral("1.5"));
    EXPECT_EQ(t.tideHeight, QStringLiteral("0.12"));
}

// ---- Record ----

TEST(OffsetsRecord, EnglishRecord) {
    const QString expected = QStringLiteral(
        "\n"
        "\nNivora Depthwright - offsets essential for post processing"
        "\nTime..............................\t=2024-05-01 093007250"
        "\nSurvey Location...................\t=Izmir Bay"
        "\nSurvey Boat.......................\t=Deniz 3"
        "\nTransducer Draft (A)..............\t=0.5"
        "\nTransducer - Antenna Offset (B)...\t=2.0"
        "\nAntenna Height Above Water (C)....\t=1.5"
        "\nSound Velocity....................\t=1500"
        "\nTide Height.......................\t=0.12"
        "\nSurveyor..........................\t=A. Kaya");
    EXPECT_EQ(valid().record(false, Language::English), expected);
}

TEST(OffsetsRecord, TurkishRecordWithTheProfileInUse) {
    const QString expected = QStringLiteral(
        "\n"
        "\nNivora Depthwright - veri işleme için gerekli değerler"
        "\nZaman.......................................\t=2024-05-01 093007250"
        "\nYer.........................................\t=Izmir Bay"
        "\nÖlçme botu..................................\t=Deniz 3"
        "\nTransduser su kesimi (A)....................\t=0.5"
        "\nTransduser ile GPS anteni arası mesafe (B)..\t=2.0"
        "\nSudan antene olan mesafe (C)................\t=1.5"
        "\nSes hızı....................................\t=Ses hızı profili kullanıldı"
        "\nSu kotu.....................................\t=0.12"
        "\nÖlçen.......................................\t=A. Kaya");
    EXPECT_EQ(valid().record(true, Language::Turkish), expected);
}

TEST(OffsetsRecord, ProfileInUseReplacesTheSoundVelocity) {
    const QString r = valid().record(true, Language::English);
    EXPECT_TRUE(r.contains(
        QStringLiteral("\nSound Velocity....................\t=Sound velocity profile used\n")));
    EXPECT_FALSE(r.contains(QStringLiteral("=1500")));
}

TEST(OffsetsRecord, ProfileButtonCaptions) {
    EXPECT_EQ(profileButtonCaption(true, Language::English), QStringLiteral("SVP Profile Used"));
    EXPECT_EQ(profileButtonCaption(false, Language::English), QStringLiteral("Single SV Used"));
    EXPECT_EQ(profileButtonCaption(true, Language::Turkish),
              QStringLiteral("Ses Hızı Profili Devrede"));
    EXPECT_EQ(profileButtonCaption(false, Language::Turkish),
              QStringLiteral("Tek Ses Hızı Değeri"));
}

// ---- Realtime button ----

class RealtimeConfirm : public ::testing::Test {
  protected:
    ScratchIni ini;
    FakeHost host;
    FakePrompts prompts;
    OffsetsModel model = valid();
    RealtimeContext context() { return {host, prompts, ini.file(), false}; }
};

TEST_F(RealtimeConfirm, ValidOffsetsAreLoggedStoredAndStartRealTime) {
    const OffsetsCheck r = confirmOffsetsAndStart(model, context());
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("Save"), QStringLiteral("createDayFolders"),
                                       QStringLiteral("appendOffsetsRecord"),
                                       QStringLiteral("startRealtime")}));
    ASSERT_EQ(host.records.size(), 1);
    EXPECT_EQ(host.records.front(), model.record(false, Language::English));
    EXPECT_EQ(
        ini.store().readString(QStringLiteral("ECHOSOUNDER_OFFSETS"), QStringLiteral("Offset C")),
        QStringLiteral("1.5"));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RealtimeConfirm, RunningRealTimeIsNotPressedAgain) {
    host.running = true;
    EXPECT_TRUE(confirmOffsetsAndStart(model, context()).ok);
    EXPECT_FALSE(host.calls.contains(QStringLiteral("startRealtime")));
}

TEST_F(RealtimeConfirm, AFailedCheckLeavesEverythingUnchanged) {
    ini.write("[ECHOSOUNDER_OFFSETS]\nOffset A=0.4\n");
    const QByteArray before = ini.bytes();
    model.offsetC = QStringLiteral("1.53");
    const OffsetsCheck r = confirmOffsetsAndStart(model, context());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.focus, OffsetField::OffsetA);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{
                  QStringLiteral("Measurements contains error: A + C must be close enough to B.")});
    EXPECT_TRUE(host.records.isEmpty());
    EXPECT_FALSE(host.running);
    EXPECT_EQ(ini.bytes(), before);
}

TEST_F(RealtimeConfirm, ATimeWithColonsWarnsAndTheRecordIsStillWritten) {
    model.timeText = QStringLiteral("01.05.2024 09:30:07");
    EXPECT_TRUE(confirmOffsetsAndStart(model, context()).ok);
    EXPECT_EQ(prompts.texts(QStringLiteral("warning")).size(), 1);
    EXPECT_EQ(host.records.size(), 1);
    EXPECT_TRUE(host.running);
}

TEST_F(RealtimeConfirm, FolderTroubleIsShownAndTheHandlerGoesOn) {
    host.foldersOk = false;
    EXPECT_TRUE(confirmOffsetsAndStart(model, context()).ok);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Cannot create log folder")});
    EXPECT_TRUE(host.running);
}

// The offsets log once failed silently; the office then had no offsets.
TEST_F(RealtimeConfirm, ARecordThatCannotBeWrittenIsReportedAndNothingStarts) {
    host.recordOk = false;
    const OffsetsCheck r = confirmOffsetsAndStart(model, context());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.focus, OffsetField::None);
    ASSERT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    EXPECT_TRUE(
        prompts.texts(QStringLiteral("error")).front().contains(QStringLiteral("offsets log")));
    EXPECT_FALSE(host.running);
    EXPECT_TRUE(ini.bytes().isEmpty());
}

TEST_F(RealtimeConfirm, TheProfileAndLanguageShapeTheRecord) {
    host.lang = Language::Turkish;
    RealtimeContext c = context();
    c.profileUsed = true;
    EXPECT_TRUE(confirmOffsetsAndStart(model, c).ok);
    ASSERT_EQ(host.records.size(), 1);
    EXPECT_EQ(host.records.front(), model.record(true, Language::Turkish));
}

}  // namespace
}  // namespace nivora
