#include <gtest/gtest.h>

#include "config/svp_model.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::ScratchIni;

// A probe line as the default pattern reads it: a 23-character stamp, a
// blank, then velocity and depth.
QString probeLine(const char* velocity, const char* depth) {
    return QStringLiteral("2024-05-01T10:00:00.000 ") + QLatin1String(velocity) + QLatin1Char(',') +
           QLatin1String(depth);
}

struct AskLog {
    QStringList asked;
    std::deque<bool> answers;
    SvpModel::AskOkCancel fn() {
        return [this](const QString& t) {
            asked << t;
            if (answers.empty()) return true;
            const bool a = answers.front();
            answers.pop_front();
            return a;
        };
    }
};

// ---- Extract ----

TEST(SvpExtract, SamplesAreRoundedToMetresWithThreeDecimalVelocities) {
    SvpModel m;
    m.rawData = {QStringLiteral("header line"), probeLine("1500.25", "12.6"),
                 probeLine("1490", "0.4"), probeLine("1491.1234", "-0.2")};
    AskLog ask;
    m.extract(ask.fn(), Language::English);
    EXPECT_EQ(m.extracted, (QStringList{QStringLiteral("13,1500.250"), QStringLiteral("0,1490.000"),
                                        QStringLiteral("0,1491.123")}));
    EXPECT_TRUE(ask.asked.isEmpty());
}

TEST(SvpExtract, DepthFirstReadsTheFirstNumberAsTheDepth) {
    SvpModel m;
    m.setDepthFirst(true);
    EXPECT_FALSE(m.svFirst);
    m.searchString = QStringLiteral("%lf %lf");
    m.rawData = {QStringLiteral("4.0 1510.5")};
    AskLog ask;
    m.extract(ask.fn(), Language::English);
    EXPECT_EQ(m.extracted, QStringList{QStringLiteral("4,1510.500")});
}

TEST(SvpExtract, TheRangeBoundsAreAcceptedAndValuesBeyondAsked) {
    SvpModel m;
    m.rawData = {probeLine("1350", "1"), probeLine("1600", "2"), probeLine("1349.9", "3"),
                 probeLine("1600.1", "4")};
    AskLog ask;
    m.extract(ask.fn(), Language::English);
    EXPECT_EQ(m.extracted,
              (QStringList{QStringLiteral("1,1350.000"), QStringLiteral("2,1600.000")}));
    ASSERT_EQ(ask.asked.size(), 2);
    EXPECT_EQ(ask.asked[0],
              QStringLiteral("Value exceeds SV range! Please correct 1349.9 value at line 3 in "
                             "source file. This line will be skipped."));
    EXPECT_EQ(ask.asked[1],
              QStringLiteral("Value exceeds SV range! Please correct 1600.1 value at line 4 in "
                             "source file. This line will be skipped."));
}

TEST(SvpExtract, CancelStopsAndKeepsWhatWasExtracted) {
    SvpModel m;
    m.rawData = {probeLine("1500", "1"), probeLine("1200", "2"), probeLine("1500", "3")};
    AskLog ask;
    ask.answers = {false};
    m.extract(ask.fn(), Language::Turkish);
    EXPECT_EQ(m.extracted, QStringList{QStringLiteral("1,1500.000")});
    ASSERT_EQ(ask.asked.size(), 1);
    EXPECT_EQ(ask.asked[0],
              QStringLiteral("Bu değer belkenen ses hızı aralığında değl! Ses hızı 1200'nin "
                             "bulunduğu satır 2 kullanılmayacaktır."));
}

TEST(SvpExtract, AnUnusablePatternExtractsNothing) {
    SvpModel m;
    m.rawData = {probeLine("1500", "1")};
    AskLog ask;
    for (const char* pattern : {"%d,%d", "%lf", "%n %lf,%lf", ""}) {
        m.searchString = QString::fromLatin1(pattern);
        m.extract(ask.fn(), Language::English);
        EXPECT_TRUE(m.extracted.isEmpty()) << pattern;
    }
}

// ---- Average ----

TEST(SvpAverage, TwoSamplesAtOneDepthAreAveraged) {
    SvpModel m;
    m.maxDepth = QStringLiteral("5");
    m.extracted = {QStringLiteral("3,1500.000"), QStringLiteral("3,1510.000")};
    EXPECT_TRUE(m.average().isEmpty());
    EXPECT_EQ(m.averaged.at(3), QStringLiteral("3,1505.00,2"));
    EXPECT_EQ(m.averaged.at(4), QStringLiteral("4,1505.00,0"));
    EXPECT_EQ(m.averaged.at(0), QString());
}

TEST(SvpAverage, DeepestMeanFillsTheLinesBelow) {
    SvpModel m;
    m.maxDepth = QStringLiteral("3");
    m.extracted = {QStringLiteral("0,1500.000"), QStringLiteral("1,1520.000")};
    EXPECT_TRUE(m.average().isEmpty());
    EXPECT_EQ(m.averaged,
              (QStringList{QStringLiteral("0,1500.000,1"), QStringLiteral("1,1520.000,1"),
                           QStringLiteral("2,1520.00,0")}));
}

TEST(SvpAverage, DepthsOutsideTheColumnAreIgnored) {
    SvpModel m;
    m.maxDepth = QStringLiteral("3");
    m.extracted = {QStringLiteral("-1,1500.000"), QStringLiteral("1,1490.000"),
                   QStringLiteral("3,1510.000"), QStringLiteral("garbage")};
    EXPECT_TRUE(m.average().isEmpty());
    EXPECT_EQ(m.averaged, (QStringList{QString(), QStringLiteral("1,1490.000,1"),
                                       QStringLiteral("2,1490.00,0")}));
}

TEST(SvpAverage, NoSamplesLeaveEmptyLines) {
    SvpModel m;
    m.maxDepth = QStringLiteral("4");
    EXPECT_TRUE(m.average().isEmpty());
    EXPECT_EQ(m.averaged, QStringList(4, QString()));
}

TEST(SvpAverage, MaxDepthMustBeAWholeNumberOfMetresWithinReason) {
    SvpModel m;
    m.extracted = {QStringLiteral("0,1500.000")};
    m.averaged = {QStringLiteral("kept")};
    m.maxDepth = QStringLiteral("deep");
    EXPECT_EQ(m.average(), QStringLiteral("Max Depth: 'deep' is not a valid number"));
    EXPECT_EQ(m.averaged, QStringList{QStringLiteral("kept")});
    // A column of a billion lines would exhaust memory; none is needed.
    for (const char* bad : {"0", "-5", "1000000000"}) {
        m.maxDepth = QString::fromLatin1(bad);
        EXPECT_FALSE(m.average().isEmpty()) << bad;
        EXPECT_EQ(m.averaged, QStringList{QStringLiteral("kept")}) << bad;
    }
}

// ---- Profile ----

TEST(SvpProfile, MeanOfTheColumnDownToEachMetre) {
    SvpModel m;
    m.maxDepth = QStringLiteral("3");
    m.averaged = {QStringLiteral("0,1500.000,1"), QStringLiteral("1,1520.000,1"),
                  QStringLiteral("2,1520.00,0")};
    EXPECT_TRUE(m.profile(Language::English).isEmpty());
    EXPECT_EQ(m.column, (QStringList{QStringLiteral("1500.00"), QStringLiteral("1510.00"),
                                     QStringLiteral("1513.33")}));
    EXPECT_TRUE(m.saveEnabled);
    EXPECT_TRUE(m.useSvpEnabled);
}

TEST(SvpProfile, EmptyLinesKeepTheLastValidLine) {
    SvpModel m;
    m.maxDepth = QStringLiteral("4");
    // Line 2 is empty and the memo ends before line 3.
    m.averaged = {QStringLiteral("0,1500.00,1"), QStringLiteral("1,1530.00,1"), QString()};
    EXPECT_TRUE(m.profile(Language::English).isEmpty());
    // 1500; (1500 + 1530) / 2; then d stays 1: (1515 + 1530) / 2 twice.
    EXPECT_EQ(m.column, (QStringList{QStringLiteral("1500.00"), QStringLiteral("1515.00"),
                                     QStringLiteral("1522.50"), QStringLiteral("1526.25")}));
}

TEST(SvpProfile, AMissingSurfaceValueStopsWithItsMessage) {
    SvpModel m;
    m.maxDepth = QStringLiteral("3");
    m.averaged = {QString(), QStringLiteral("1,1500.00,1"), QStringLiteral("2,1500.00,0")};
    m.saveEnabled = true;
    EXPECT_EQ(m.profile(Language::English),
              QStringLiteral(
                  "SV value at 0 depth cannot be blank. Consider manually adding a value for 0 "
                  "depth.Example 0,1500."));
    EXPECT_FALSE(m.saveEnabled);
    EXPECT_TRUE(m.column.isEmpty());
    EXPECT_EQ(
        m.profile(Language::Turkish),
        QStringLiteral(
            "Ses hızı profilinin başlangıcı olan 0 derinlik ve buna ait ses hızı boş olamaz. Bu "
            "değeri kendiniz doldurup yeniden deneyiniz.\nÖrnek: 0,1500.00"));
}

TEST(SvpProfile, AnOutOfRangeVelocityEmptiesTheColumn) {
    SvpModel m;
    m.maxDepth = QStringLiteral("3");
    m.averaged = {QStringLiteral("0,1500.00,1"), QStringLiteral("1,1750.00,1"),
                  QStringLiteral("2,1500.00,0")};
    EXPECT_EQ(m.profile(Language::English),
              QStringLiteral("SV value at 1 is out of range. Please check, correct retry."));
    EXPECT_TRUE(m.column.isEmpty());
    EXPECT_FALSE(m.saveEnabled);
    EXPECT_EQ(
        m.profile(Language::Turkish),
        QStringLiteral(
            "Sıra 1 ses hızı değeri hatalı. Lütfen kontrol edin, düzeltin ve tekrar deneyin"));
}

// A hand-edited depth of -1 divides by zero; the result must not reach the column.
TEST(SvpProfile, ANonFiniteMeanIsOutOfRange) {
    SvpModel m;
    m.maxDepth = QStringLiteral("2");
    m.averaged = {QStringLiteral("0,1500.00,1"), QStringLiteral("-1,1500.00,1")};
    EXPECT_FALSE(m.profile(Language::English).isEmpty());
    EXPECT_TRUE(m.column.isEmpty());
}

TEST(SvpProfile, ExtractAverageProfileEndToEnd) {
    SvpModel m;
    m.maxDepth = QStringLiteral("6");
    m.rawData = {QStringLiteral("Probe 42 cast 7"), probeLine("1510.0", "0.2"),
                 probeLine("1512.0", "0.4"),        probeLine("1508.0", "1.1"),
                 probeLine("1505.0", "2.0"),        probeLine("1502.0", "2.9"),
                 probeLine("1700.0", "3.5")};
    AskLog ask;
    m.extract(ask.fn(), Language::English);
    EXPECT_EQ(ask.asked.size(), 1);
    EXPECT_TRUE(m.average().isEmpty());
    EXPECT_EQ(m.averaged.at(0), QStringLiteral("0,1511.00,2"));
    EXPECT_EQ(m.averaged.at(3), QStringLiteral("3,1502.000,1"));
    EXPECT_EQ(m.averaged.at(5), QStringLiteral("5,1502.00,0"));
    EXPECT_TRUE(m.profile(Language::English).isEmpty());
    // 1511; (1511+1508)/2; (2*1509.5+1505)/3; (3*1508+1502)/4; ...
    EXPECT_EQ(m.column.at(0), QStringLiteral("1511.00"));
    EXPECT_EQ(m.column.at(1), QStringLiteral("1509.50"));
    EXPECT_EQ(m.column.at(2), QStringLiteral("1508.00"));
    EXPECT_EQ(m.column.at(3), QStringLiteral("1506.50"));
    EXPECT_EQ(m.column.size(), 6);
}

// ---- The profile box ----

// With the box ticked and no column, every sounding failed to correct.
TEST(SvpUse, TheProfileIsInUseOnlyWithAColumn) {
    SvpModel m;
    EXPECT_TRUE(m.useSvp);
    EXPECT_FALSE(m.profileInUse());
    m.column = {QStringLiteral("1500.00")};
    EXPECT_TRUE(m.profileInUse());
    AskLog ask;
    m.extract(ask.fn(), Language::English);  // empties the column
    EXPECT_FALSE(m.useSvp);
    EXPECT_FALSE(m.useSvpEnabled);
    EXPECT_FALSE(m.profileInUse());
}

TEST(SvpUse, CreationWithoutAColumnClearsAndDisablesTheBox) {
    ScratchIni ini;
    ini.write("[SVP]\ncUseSVP=1\n");
    SvpModel m;
    m.create(ini.store(), ini.folder() + QStringLiteral("/NivoraDW"));
    EXPECT_FALSE(m.useSvp);
    EXPECT_FALSE(m.useSvpEnabled);
}

TEST(SvpUse, CreationWithAColumnFileRestoresTheProfile) {
    ScratchIni ini;
    ini.write("[SVP]\ncUseSVP=1\n");
    test::writeFile(ini.folder() + QStringLiteral("/NivoraDWmSVPColumn.ini"), "1500.00\n1501.00\n");
    SvpModel m;
    m.create(ini.store(), ini.folder() + QStringLiteral("/NivoraDW"));
    EXPECT_TRUE(m.useSvp);
    EXPECT_TRUE(m.useSvpEnabled);
    EXPECT_EQ(m.column, (QStringList{QStringLiteral("1500.00"), QStringLiteral("1501.00")}));
}

// ---- INI and files ----

TEST(SvpIni, DefaultsWhenTheSectionIsMissing) {
    ScratchIni ini;
    SvpModel m;
    m.searchString = QStringLiteral("%lf %lf");
    m.maxDepth = QStringLiteral("80");
    m.useSvp = false;
    m.setDepthFirst(true);
    m.load(ini.store());
    EXPECT_TRUE(m.useSvp);
    EXPECT_TRUE(m.svFirst);
    EXPECT_FALSE(m.depthFirst);
    EXPECT_EQ(m.searchString, QStringLiteral("%lf %lf"));  // the field keeps its text
    EXPECT_EQ(m.maxDepth, QStringLiteral("80"));
}

TEST(SvpIni, RoundTripAndTheOrderButtons) {
    ScratchIni ini;
    SvpModel m;
    m.searchString = QStringLiteral("%*s %lf %lf");
    m.maxDepth = QStringLiteral("350");
    m.setDepthFirst(true);
    m.useSvp = false;
    IniStore store = ini.store();
    m.save(store);
    ASSERT_TRUE(store.save());
    SvpModel again;
    again.load(ini.store());
    EXPECT_EQ(again.searchString, QStringLiteral("%*s %lf %lf"));
    EXPECT_EQ(again.maxDepth, QStringLiteral("350"));
    EXPECT_TRUE(again.depthFirst);
    EXPECT_FALSE(again.svFirst);
    EXPECT_FALSE(again.useSvp);

    ini.write("[SVP]\nrSVFirst=1\nrDFirst=1\n");
    again.load(ini.store());
    EXPECT_TRUE(again.depthFirst);  // the later button wins, as on the screen
    EXPECT_FALSE(again.svFirst);
}

TEST(SvpDefaults, DefaultsRestorePatternDepthAndOrder) {
    SvpModel m;
    m.searchString = QStringLiteral("x");
    m.maxDepth = QStringLiteral("9");
    m.setDepthFirst(true);
    m.resetPattern();
    EXPECT_EQ(m.searchString, QStringLiteral("%*23s %lf,%lf"));
    EXPECT_EQ(m.maxDepth, QStringLiteral("9"));
    m.defaults();
    EXPECT_EQ(m.maxDepth, QStringLiteral("200"));
    EXPECT_TRUE(m.svFirst);
    EXPECT_FALSE(m.depthFirst);
}

TEST(SvpFiles, MemoFileNamesFollowTheSettingsFile) {
    EXPECT_EQ(SvpModel::memoFilePaths(QStringLiteral("/opt/NivoraDW")),
              (QStringList{QStringLiteral("/opt/NivoraDW mRawSVData.ini"),
                           QStringLiteral("/opt/NivoraDW mRawSVExtracted.ini"),
                           QStringLiteral("/opt/NivoraDW mSortedAveragedSV.ini"),
                           QStringLiteral("/opt/NivoraDWmSVPColumn.ini")}));
}

TEST(SvpFiles, MemosSurviveARestartIncludingEmptyLines) {
    ScratchIni ini;
    const QString base = ini.folder() + QStringLiteral("/NivoraDW");
    SvpModel m;
    m.rawData = {QStringLiteral("a"), QString(), QStringLiteral("b")};
    m.extracted = {QStringLiteral("0,1500.000")};
    m.averaged = {QStringLiteral("0,1500.000,1"), QString(), QString()};
    m.column = {QStringLiteral("1500.00"), QStringLiteral("1500.00"), QStringLiteral("1500.00")};
    QString error;
    ASSERT_TRUE(m.saveMemoFiles(base, &error)) << error.toStdString();
    EXPECT_EQ(test::readFile(base + QStringLiteral(" mSortedAveragedSV.ini")),
              QByteArray("0,1500.000,1\n\n\n"));

    SvpModel again;
    ASSERT_TRUE(again.loadMemoFiles(base, &error));
    EXPECT_EQ(again.rawData, m.rawData);
    EXPECT_EQ(again.extracted, m.extracted);
    EXPECT_EQ(again.averaged, m.averaged);
    EXPECT_EQ(again.column, m.column);
}

TEST(SvpFiles, AProbeFileReplacesEveryMemo) {
    ScratchIni ini;
    const QString probe = ini.folder() + QStringLiteral("/cast.svp");
    test::writeFile(probe, "line 1\r\nline 2\r\n");
    SvpModel m;
    m.extracted = {QStringLiteral("x")};
    m.averaged = {QStringLiteral("y")};
    m.column = {QStringLiteral("1500.00")};
    QString error;
    ASSERT_TRUE(m.loadProbeFile(probe, &error));
    EXPECT_EQ(m.rawData, (QStringList{QStringLiteral("line 1"), QStringLiteral("line 2")}));
    EXPECT_TRUE(m.extracted.isEmpty());
    EXPECT_TRUE(m.averaged.isEmpty());
    EXPECT_TRUE(m.column.isEmpty());
}

TEST(SvpFiles, OversizedAndMissingProbeFilesAreRefused) {
    ScratchIni ini;
    const QString probe = ini.folder() + QStringLiteral("/huge.svp");
    test::writeFile(probe, QByteArray(SvpModel::kMaxFileBytes + 1, '\n'));
    SvpModel m;
    m.rawData = {QStringLiteral("kept")};
    QString error;
    EXPECT_FALSE(m.loadProbeFile(probe, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(m.loadProbeFile(ini.folder() + QStringLiteral("/none.svp"), &error));
    EXPECT_EQ(m.rawData, QStringList{QStringLiteral("kept")});

    test::writeFile(probe, QByteArray(SvpModel::kMaxFileLines + 1, '\n'));
    EXPECT_FALSE(m.loadProbeFile(probe, &error));
    EXPECT_EQ(m.rawData, QStringList{QStringLiteral("kept")});
}

TEST(SvpFiles, MemoTextsNameEachMemo) {
    SvpModel m;
    m.column = {QStringLiteral("1500.00"), QStringLiteral("1501.00")};
    const auto texts = m.memoTexts();
    ASSERT_EQ(texts.size(), 4);
    EXPECT_EQ(texts[0].first, QStringLiteral("mRawSVData"));
    EXPECT_EQ(texts[3].first, QStringLiteral("mSVPColumn"));
    EXPECT_EQ(texts[3].second, QStringLiteral("1500.00\n1501.00\n"));
}

}  // namespace
}  // namespace nivora
