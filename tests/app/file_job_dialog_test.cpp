// A long Open through the main window: the progress dialog over it, its
// Cancel, and a close asked for while the file is still being read.

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "canvas/ui/nivora_canvas.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "tests/app/app_test_support.h"

namespace nivora::test {
namespace {

constexpr int kShapes = 400'000;

QString largeLayout(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("client_chart.nwl"));
    // Shapes keep their layer numbers in a layout: on 0, "Default" in any drawing.
    CanvasDocument d;
    const int layer = 0;
    for (int i = 0; i < kShapes; ++i) {
        const double x = 415200 + i % 2000, y = 4540000 + i / 2000.0;
        if (i % 4 == 0) {
            d.DrawLine(x, y, x + 2, y + 1, layer);
        } else {
            d.DrawPoint(x, y, layer);
        }
    }
    EXPECT_TRUE(CadSave(d, path));
    return path;
}

std::string picture(const CanvasDocument& d) {
    std::string text = NwlWriter::body(d, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    for (const TNShape& s : d.Shapes())
        text += ' ' + std::to_string(s.Id());
    return text;
}

// Calls `act` with the progress dialog once it is shown; each look schedules
// the next as a copy of itself, so nothing is left behind.
struct DialogShownPoller {
    TFNav* nav;
    std::function<void(QProgressDialog&)> act;
    void operator()() const {
        QProgressDialog* d = nav->fileJobDialog().dialog();
        if (d && d->isVisible()) {
            act(*d);
        } else {
            QTimer::singleShot(5, *this);
        }
    }
};
void whenDialogShown(TFNav& nav, std::function<void(QProgressDialog&)> act) {
    QTimer::singleShot(0, DialogShownPoller{&nav, std::move(act)});
}

class FileJobDialogTest : public ::testing::Test {
  protected:
    FileJobDialogTest() : f(demoIni(dir)) {
        chart = largeLayout(dir);
        f.program->start();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
        // Shown at the first report, so that the test need not wait for it.
        f.nav().fileJobDialog().setShowAfter(0);
    }
    CanvasDocument& doc() { return f.nav().canvas().Document(); }

    QTemporaryDir dir;
    ProgramFixture f;
    QString chart;
};

TEST_F(FileJobDialogTest, CancelInTheProgressDialogLeavesTheChartAsItWas) {
    const std::string before = picture(doc());
    bool shown = false, modal = false, cancelButton = false;
    QString label;
    whenDialogShown(f.nav(), [&](QProgressDialog& d) {
        shown = true;
        modal = d.windowModality() == Qt::WindowModal && d.parentWidget() == &f.nav();
        label = d.labelText();
        QPushButton* cancel = d.findChild<QPushButton*>();
        cancelButton = cancel && cancel->isVisible();
        if (cancel) cancel->click();
    });
    auto open = answerNextDialog(QMessageBox::Ok, chart);
    f.nav().action(QStringLiteral("aOpen"))->trigger();
    ASSERT_TRUE(waitForFileJob(f.chart()));

    EXPECT_TRUE(open->seen);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(cancelButton);
    EXPECT_EQ(label, QStringLiteral("Opening ") + chart);
    EXPECT_EQ(difference(picture(doc()), before), "");
    EXPECT_EQ(f.nav().fileJobDialog().dialog(), nullptr) << "the dialog goes with its job";
    EXPECT_FALSE(f.chart().files().jobRunning());
}

TEST_F(FileJobDialogTest, ALoadRunsToItsEndAndACloseDuringOneWaitsForIt) {
    // Without Cancel the chart arrives whole.
    auto open = answerNextDialog(QMessageBox::Ok, chart);
    const int before = doc().ShapeCount();
    f.nav().action(QStringLiteral("aOpen"))->trigger();
    ASSERT_TRUE(waitForFileJob(f.chart()));
    EXPECT_EQ(doc().ShapeCount(), before + kShapes);
    EXPECT_EQ(f.nav().fileJobDialog().dialog(), nullptr);

    // A close during the next load stops it; the close runs once it has.
    const std::string loaded = picture(doc());
    QSignalSpy closed(&f.nav(), &TFNav::closed);
    bool closedDuringLoad = true;
    whenDialogShown(f.nav(), [&](QProgressDialog&) {
        f.nav().close();
        closedDuringLoad = !closed.isEmpty();
    });
    open = answerNextDialog(QMessageBox::Ok, chart);
    f.nav().action(QStringLiteral("aOpen"))->trigger();
    ASSERT_TRUE(waitForFileJob(f.chart()));
    EXPECT_FALSE(closedDuringLoad) << "the close sequence waits for the load to stop";
    EXPECT_EQ(difference(picture(doc()), loaded), "") << "the stopped load added nothing";
    EXPECT_TRUE(!closed.isEmpty() || closed.wait(5000)) << "the close goes on once it has";
    EXPECT_FALSE(f.nav().isVisible());
}

}  // namespace
}  // namespace nivora::test
