#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "config/settings_models.h"
#include "config/ui/offsets_window.h"
#include "config/ui/svp_window.h"
#include "core/clock.h"
#include "tests/config/config_test_support.h"

namespace nivora {
namespace {

using test::FakeHost;
using test::FakePrompts;
using test::ScratchIni;

const char* const kStoredOffsets =
    "[ECHOSOUNDER_OFFSETS]\nOffset A=0.5\nOffset B=2.0\nOffset C=1.5\nSV=1500\nTide Height=0.1\n"
    "Surveyor=A. Kaya\nSurveyBoat=Deniz 3\nSurveyLocation=Izmir\n";

template <class T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class OffsetsWindow : public ::testing::Test {
  protected:
    void open(const char* iniText) {
        ini.write(iniText);
        openWindows();
    }
    // As the program starts: the models once, then the windows on them.
    void openWindows() {
        models.load(ini.file());
        svp = std::make_unique<TfSVP>(svpModel, host, prompts, ini.file());
        window = std::make_unique<TOffsets>(model, &svpModel, host, prompts, ini.file(), clock);
        QObject::connect(svp.get(), &TfSVP::profileInUseChanged, window.get(),
                         &TOffsets::setProfileInUse);
    }
    void showWindow() {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    QLineEdit* field(OffsetField f) { return window->field(f); }
    void retype(OffsetField f, const QString& text) {
        field(f)->setFocus();
        field(f)->selectAll();
        QTest::keyClicks(field(f), text);
    }

    VirtualTime clock{QDateTime(QDate(2024, 5, 1), QTime(9, 30, 7, 250))};
    ScratchIni ini;
    SurveyModels models;
    OffsetsModel& model = models.offsets;
    SvpModel& svpModel = models.svp;
    FakeHost host;
    FakePrompts prompts;
    std::unique_ptr<TfSVP> svp;
    std::unique_ptr<TOffsets> window;
};

TEST_F(OffsetsWindow, ShowingShowsTheLoadedFieldsAndTheClock) {
    open(kStoredOffsets);
    EXPECT_FALSE(model.windowVisible);
    showWindow();
    EXPECT_TRUE(model.windowVisible);
    EXPECT_EQ(field(OffsetField::OffsetB)->text(), QStringLiteral("2.0"));
    EXPECT_EQ(field(OffsetField::Location)->text(), QStringLiteral("Izmir"));
    EXPECT_EQ(child<QLabel>(window.get(), "time")->text(), QStringLiteral("2024-05-01 093007250"));
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Offsets Essential for Post Processing / Recovery"));
    window->hide();
    EXPECT_FALSE(model.windowVisible);
}

TEST_F(OffsetsWindow, RealtimeLogsStoresStartsAndCloses) {
    open(kStoredOffsets);
    showWindow();
    retype(OffsetField::TideHt, QStringLiteral("0.25"));
    QTest::mouseClick(child<QPushButton>(window.get(), "Realtime"), Qt::LeftButton);
    EXPECT_TRUE(prompts.shown.empty());
    ASSERT_EQ(host.records.size(), 1);
    EXPECT_TRUE(
        host.records.front().contains(QStringLiteral("Tide Height.......................\t=0.25")));
    EXPECT_TRUE(host.running);
    EXPECT_FALSE(window->isVisible());
    const IniStore stored = ini.store();
    EXPECT_EQ(
        stored.readString(QStringLiteral("ECHOSOUNDER_OFFSETS"), QStringLiteral("Tide Height")),
        QStringLiteral("0.25"));
    EXPECT_TRUE(stored.hasKey(QStringLiteral("TOffsets"), QStringLiteral("Left")));
}

TEST_F(OffsetsWindow, AFailedCheckFocusesItsField) {
    open(kStoredOffsets);
    showWindow();
    retype(OffsetField::SurveyBoat, QString());
    field(OffsetField::SurveyBoat)->clear();
    model.surveyBoat.clear();
    field(OffsetField::OffsetA)->setFocus();
    window->RealtimeClick();
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Failed! Name/type of survey boat cannot be missing")});
    EXPECT_EQ(QApplication::focusWidget(), field(OffsetField::SurveyBoat));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(host.running);
}

TEST_F(OffsetsWindow, LeavingANumberFieldThatIsNotANumberReturnsTheFocus) {
    open(kStoredOffsets);
    showWindow();
    retype(OffsetField::OffsetA, QStringLiteral("0.5m"));
    QTest::keyClick(field(OffsetField::OffsetA), Qt::Key_Tab);
    QTest::qWait(20);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")),
              QStringList{QStringLiteral("Offset A: '0.5m' is not a valid number")});
    EXPECT_EQ(QApplication::focusWidget(), field(OffsetField::OffsetA));

    // While it is not a number the operator cannot leave it.
    field(OffsetField::SV)->setFocus();
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).size(), 1);
    QTest::qWait(20);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).size(), 2);
    EXPECT_EQ(QApplication::focusWidget(), field(OffsetField::OffsetA));
    retype(OffsetField::OffsetA, QStringLiteral("0.5"));

    // Two bad fields must not bounce the focus between them for ever.
    field(OffsetField::OffsetC)->setText(QStringLiteral("y"));
    model.offsetC = QStringLiteral("y");
    retype(OffsetField::OffsetB, QStringLiteral("x"));
    QTest::keyClick(field(OffsetField::OffsetB), Qt::Key_Tab);
    QTest::qWait(50);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).size(), 3);
    EXPECT_EQ(prompts.texts(QStringLiteral("error")).back(),
              QStringLiteral("Offset B: 'x' is not a valid number"));
    EXPECT_EQ(QApplication::focusWidget(), field(OffsetField::OffsetB));
}

// Showing once read the settings file again, dropping what the model held.
TEST_F(OffsetsWindow, ShowingShowsTheModelNotTheFile) {
    open(kStoredOffsets);
    ini.write("[ECHOSOUNDER_OFFSETS]\nOffset A=0.9\nSurveyLocation=Elsewhere\n");
    model.offsetC = QStringLiteral("1.4");
    showWindow();
    EXPECT_EQ(field(OffsetField::OffsetA)->text(), QStringLiteral("0.5"));
    EXPECT_EQ(field(OffsetField::OffsetC)->text(), QStringLiteral("1.4"));
    EXPECT_EQ(field(OffsetField::Location)->text(), QStringLiteral("Izmir"));
}

TEST_F(OffsetsWindow, CancelKeepsTheFileButSavesThePlacement) {
    open(kStoredOffsets);
    showWindow();
    retype(OffsetField::OffsetA, QStringLiteral("0.7"));
    QTest::mouseClick(child<QPushButton>(window.get(), "Cancel"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(
        ini.store().readString(QStringLiteral("ECHOSOUNDER_OFFSETS"), QStringLiteral("Offset A")),
        QStringLiteral("0.5"));
    EXPECT_TRUE(ini.store().hasKey(QStringLiteral("TOffsets"), QStringLiteral("Width")));
    EXPECT_TRUE(host.records.isEmpty());
}

TEST_F(OffsetsWindow, DoubleClickSetsTheHeight) {
    open(kStoredOffsets);
    showWindow();
    QTest::mouseDClick(window.get(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(window->height(), 410);
}

TEST_F(OffsetsWindow, ProfileButtonShowsTheProfileWindowAndItsState) {
    open(kStoredOffsets);
    showWindow();
    auto* button = child<QPushButton>(window.get(), "bSVP");
    EXPECT_EQ(button->text(), QStringLiteral("Single SV Used"));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(host.calls.contains(QStringLiteral("showProfileWindow")));
    window->setProfileInUse(true);
    EXPECT_EQ(button->text(), QStringLiteral("SVP Profile Used"));
}

// ---- TfSVP ----

class SvpWindow : public OffsetsWindow {
  protected:
    QString writeProbe(const QByteArray& text) {
        const QString path = ini.folder() + QStringLiteral("/cast.txt");
        test::writeFile(path, text);
        return path;
    }
};

TEST_F(SvpWindow, LoadExtractAverageProfileSaveAndClose) {
    open("[SVP]\neMaxDepth=4\n");
    auto* save = child<QPushButton>(svp.get(), "bSaveClose");
    auto* use = child<QCheckBox>(svp.get(), "cUseSVP");
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(use->isEnabled());
    EXPECT_FALSE(use->isChecked());

    prompts.fileToOpen =
        writeProbe("2024-05-01T10:00:00.000 1500.0,0.2\n2024-05-01T10:00:01.000 1520.0,1.0\n");
    svp->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(svp.get()));
    QTest::mouseClick(child<QPushButton>(svp.get(), "bSVP"), Qt::LeftButton);
    EXPECT_EQ(child<QPlainTextEdit>(svp.get(), "mRawSVData")->blockCount(), 2);
    QTest::mouseClick(child<QPushButton>(svp.get(), "bRawToSVV"), Qt::LeftButton);
    EXPECT_EQ(child<QPlainTextEdit>(svp.get(), "mRawSVExtracted")->toPlainText(),
              QStringLiteral("0,1500.000\n1,1520.000"));
    QTest::mouseClick(child<QPushButton>(svp.get(), "bSVVtoAveragedSV"), Qt::LeftButton);
    EXPECT_EQ(child<QPlainTextEdit>(svp.get(), "mSortedAveragedSV")->toPlainText(),
              QStringLiteral("0,1500.000,1\n1,1520.000,1\n2,1520.00,0\n3,1520.00,0"));
    QTest::mouseClick(child<QPushButton>(svp.get(), "bAveragedSVtoSVP"), Qt::LeftButton);
    EXPECT_EQ(child<QPlainTextEdit>(svp.get(), "mSVPColumn")->toPlainText(),
              QStringLiteral("1500.00\n1510.00\n1513.33\n1515.00"));
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(use->isEnabled());

    QTest::mouseClick(use, Qt::LeftButton);
    EXPECT_TRUE(svpModel.profileInUse());
    EXPECT_EQ(child<QPushButton>(window.get(), "bSVP")->text(), QStringLiteral("SVP Profile Used"));

    QTest::mouseClick(save, Qt::LeftButton);
    EXPECT_TRUE(host.calls.contains(QStringLiteral("Save")));
    EXPECT_FALSE(svp->isVisible());
    EXPECT_EQ(test::readFile(ini.folder() + QStringLiteral("/NivoraDWmSVPColumn.ini")),
              QByteArray("1500.00\n1510.00\n1513.33\n1515.00\n"));
    EXPECT_EQ(ini.store().readString(QStringLiteral("SVP"), QStringLiteral("cUseSVP")),
              QStringLiteral("1"));
    EXPECT_EQ(ini.store().readString(QStringLiteral("SVP"), QStringLiteral("eMaxDepth")),
              QStringLiteral("4"));
}

TEST_F(SvpWindow, AHandEditedSurfaceValueIsUsedAndAMissingOneReported) {
    open("[SVP]\neMaxDepth=2\n");
    auto* averaged = child<QPlainTextEdit>(svp.get(), "mSortedAveragedSV");
    averaged->setPlainText(QStringLiteral("\n1,1500.00,1"));
    QTest::mouseClick(child<QPushButton>(svp.get(), "bAveragedSVtoSVP"), Qt::LeftButton);
    ASSERT_EQ(prompts.texts(QStringLiteral("message")).size(), 1);
    EXPECT_TRUE(prompts.texts(QStringLiteral("message"))
                    .front()
                    .startsWith(QStringLiteral("SV value at 0 depth")));
    EXPECT_FALSE(child<QPushButton>(svp.get(), "bSaveClose")->isEnabled());

    averaged->setPlainText(QStringLiteral("0,1490.00,1\n1,1500.00,1"));
    QTest::mouseClick(child<QPushButton>(svp.get(), "bAveragedSVtoSVP"), Qt::LeftButton);
    EXPECT_EQ(svpModel.column, (QStringList{QStringLiteral("1490.00"), QStringLiteral("1495.00")}));
    EXPECT_TRUE(child<QPushButton>(svp.get(), "bSaveClose")->isEnabled());
}

TEST_F(SvpWindow, AMaxDepthThatIsNotANumberGoesToTheErrorReport) {
    open("[SVP]\neMaxDepth=lots\n");
    QTest::mouseClick(child<QPushButton>(svp.get(), "bSVVtoAveragedSV"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(svp.get(), "bAveragedSVtoSVP"), Qt::LeftButton);
    EXPECT_EQ(host.errors.size(), 2);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(SvpWindow, ExtractWarnsPerLineAndCancelStops) {
    open("");
    prompts.fileToOpen = writeProbe(
        "2024-05-01T10:00:00.000 1700.0,0.2\n2024-05-01T10:00:01.000 1300.0,1.0\n"
        "2024-05-01T10:00:02.000 1500.0,2.0\n");
    prompts.okAnswers = {true, false};
    svp->SVPClick();
    svp->bRawToSVVClick();
    EXPECT_EQ(prompts.texts(QStringLiteral("okcancel")).size(), 2);
    EXPECT_TRUE(svpModel.extracted.isEmpty());
}

TEST_F(SvpWindow, DoubleClickOnThePatternAndTheDefaultsCommand) {
    open("[SVP]\neSearchString=%lf %lf\neMaxDepth=50\nrSVFirst=0\nrDFirst=1\n");
    svp->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(svp.get()));
    auto* pattern = child<QLineEdit>(svp.get(), "eSearchString");
    EXPECT_EQ(pattern->text(), QStringLiteral("%lf %lf"));
    EXPECT_TRUE(child<QRadioButton>(svp.get(), "rDFirst")->isChecked());
    QTest::mouseDClick(pattern, Qt::LeftButton);
    EXPECT_EQ(pattern->text(), QStringLiteral("%*23s %lf,%lf"));
    EXPECT_EQ(child<QLineEdit>(svp.get(), "eMaxDepth")->text(), QStringLiteral("50"));
    svp->DefaultsClick();
    EXPECT_EQ(child<QLineEdit>(svp.get(), "eMaxDepth")->text(), QStringLiteral("200"));
    EXPECT_TRUE(child<QRadioButton>(svp.get(), "rSVFirst")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(svp.get(), "rDFirst")->isChecked());
}

TEST_F(SvpWindow, EmptyingTheColumnTellsTheOffsetsWindow) {
    ini.write("[SVP]\ncUseSVP=1\n");
    test::writeFile(ini.folder() + QStringLiteral("/NivoraDWmSVPColumn.ini"), "1500.00\n");
    openWindows();
    EXPECT_EQ(child<QPushButton>(window.get(), "bSVP")->text(), QStringLiteral("SVP Profile Used"));
    svp->bRawToSVVClick();
    EXPECT_FALSE(child<QCheckBox>(svp.get(), "cUseSVP")->isChecked());
    EXPECT_EQ(child<QPushButton>(window.get(), "bSVP")->text(), QStringLiteral("Single SV Used"));
}

}  // namespace
}  // namespace nivora
