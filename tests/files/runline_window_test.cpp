// The run line window on a real widget: states, captions, colours, settings
// and the live preview.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "files/ui/runline_window.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

class FakeHost : public RunlineHost {
  public:
    void AppendEventLog(const QString& message) override { log << message; }
    void StartRouteDrawing() override { ++drawingStarted; }
    void ShowMessage(const QString& text) override { messages << text; }
    void RestoreWindowPlacement(QWidget&) override { ++placements; }
    QStringList log;
    QStringList messages;
    int drawingStarted = 0;
    int placements = 0;
};

class RunlineWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
        doc.RepaintRequested = nullptr;
    }
    std::unique_ptr<TfRunline1> make() {
        return std::make_unique<TfRunline1>(
            &doc, [this] { ++repaints; }, &host, SettingsFile(ini));
    }
    template <class W>
    static W* child(QWidget& w, const char* name) {
        W* found = w.findChild<W*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static QColor statusColor(QWidget& w) {
        return child<QLabel>(w, "lRouteStatus")->palette().color(QPalette::WindowText);
    }
    int runlineShapes() const {
        const int layer = doc.LayerFindByName(kRunlineLayerName);
        int n = 0;
        for (const TNShape& s : doc.Shapes())
            n += s.Layer() == layer ? 1 : 0;
        return n;
    }

    QTemporaryDir dir;
    QString ini;
    CanvasDocument doc;
    FakeHost host;
    int repaints = 0;
};

TEST_F(RunlineWindow, CaptionsAndDefaults) {
    auto w = make();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Runline Generator"));
    EXPECT_EQ(child<QGroupBox>(*w, "gStep1")->title(), QStringLiteral("Step 1: Draw Route"));
    EXPECT_EQ(child<QGroupBox>(*w, "gStep2")->title(), QStringLiteral("Step 2: Spacing (meters)"));
    EXPECT_EQ(child<QGroupBox>(*w, "gStep3")->title(), QStringLiteral("Step 3: Line Type"));
    EXPECT_EQ(child<QGroupBox>(*w, "gActions")->title(), QStringLiteral("Actions"));
    EXPECT_EQ(child<QPushButton>(*w, "bDrawRoute")->text(), QStringLiteral("Draw Route"));
    EXPECT_EQ(child<QPushButton>(*w, "bClear")->text(), QStringLiteral("Clear"));
    EXPECT_EQ(child<QPushButton>(*w, "bClose")->text(), QStringLiteral("Close"));
    auto* generate = child<QPushButton>(*w, "bGenerate");
    EXPECT_EQ(generate->text(), QStringLiteral("Generate"));
    EXPECT_TRUE(generate->font().bold());
    EXPECT_EQ(generate->palette().color(QPalette::ButtonText), QColor(0, 128, 0));
    EXPECT_EQ(child<QLineEdit>(*w, "eSpacing")->text(), QStringLiteral("10"));
    EXPECT_EQ(child<QLineEdit>(*w, "eLength")->text(), QStringLiteral("100"));
    EXPECT_TRUE(child<QRadioButton>(*w, "rbPerpendicular")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*w, "rbParallel")->isChecked());
    EXPECT_EQ(child<QLabel>(*w, "lRouteStatus")->text(), QStringLiteral("No route drawn"));
    EXPECT_EQ(statusColor(*w), QColor(128, 128, 128));
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(w->RouteReady());
    EXPECT_EQ(w->RunlineLayerId(), -1);
}

TEST_F(RunlineWindow, SettingsAreReadAtCreation) {
    IniStore store(ini);
    store.writeString(QStringLiteral("RUNLINE"), QStringLiteral("Spacing"), QStringLiteral("25"));
    store.writeString(QStringLiteral("RUNLINE"), QStringLiteral("Length"), QStringLiteral("300"));
    store.writeBool(QStringLiteral("RUNLINE"), QStringLiteral("Perpendicular"), false);
    ASSERT_TRUE(store.save());
    auto w = make();
    EXPECT_EQ(child<QLineEdit>(*w, "eSpacing")->text(), QStringLiteral("25"));
    EXPECT_EQ(child<QLineEdit>(*w, "eLength")->text(), QStringLiteral("300"));
    EXPECT_TRUE(child<QRadioButton>(*w, "rbParallel")->isChecked());
    EXPECT_EQ(w->LineType(), RunlineType::Parallel);
    // Only at creation: showing does not read them again.
    store.writeString(QStringLiteral("RUNLINE"), QStringLiteral("Spacing"), QStringLiteral("40"));
    ASSERT_TRUE(store.save());
    w->show();
    EXPECT_EQ(child<QLineEdit>(*w, "eSpacing")->text(), QStringLiteral("25"));
}

TEST_F(RunlineWindow, DrawRouteClearsTheRouteLayerAndStartsDrawing) {
    const int route = doc.LayerOpen(QStringLiteral("Nivora_Route"));
    doc.DrawLine(0, 0, 1, 1, route);
    doc.LayerOpen(QStringLiteral("other"));
    auto w = make();
    QTest::mouseClick(child<QPushButton>(*w, "bDrawRoute"), Qt::LeftButton);
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_EQ(doc.CurrentLayer, route);
    EXPECT_EQ(host.drawingStarted, 1);
    EXPECT_EQ(child<QLabel>(*w, "lRouteStatus")->text(),
              QStringLiteral("Drawing... (right-click to finish)"));
    EXPECT_EQ(statusColor(*w), QColor(0, 0, 255));
    EXPECT_GE(repaints, 1);
    CanvasDocument fresh;
    TfRunline1 other(&fresh, nullptr, &host, SettingsFile(ini));
    QTest::mouseClick(other.findChild<QPushButton*>(QStringLiteral("bDrawRoute")), Qt::LeftButton);
    EXPECT_EQ(fresh.CurrentLayer, fresh.LayerFindByName(QStringLiteral("Nivora_Route")));
}

TEST_F(RunlineWindow, ARouteOfOnePointAsksForMore) {
    auto w = make();
    w->SetRoute({{1, 1}});
    EXPECT_FALSE(w->RouteReady());
    EXPECT_EQ(child<QLabel>(*w, "lRouteStatus")->text(), QStringLiteral("Need at least 2 points"));
    EXPECT_EQ(statusColor(*w), QColor(255, 0, 0));
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_TRUE(host.log.isEmpty());
}

TEST_F(RunlineWindow, SetRouteGeneratesAtOnce) {
    auto w = make();
    w->SetRoute({{0, 0}, {25, 0}});
    EXPECT_TRUE(w->RouteReady());
    EXPECT_EQ(child<QLabel>(*w, "lRouteStatus")->text(), QStringLiteral("Route: 2 points"));
    EXPECT_EQ(statusColor(*w), QColor(0, 128, 0));
    EXPECT_EQ(w->RunlineLayerId(), doc.LayerFindByName(kRunlineLayerName));
    EXPECT_EQ(runlineShapes(), 4);  // the route copy and three lines
    EXPECT_EQ(host.log,
              QStringList{QStringLiteral("Runlines generated - Spacing: 10, Length: 100")});
}

TEST_F(RunlineWindow, EveryEditRegeneratesButDoesNotSaveTheSettings) {
    auto w = make();
    w->SetRoute({{0, 0}, {25, 0}});
    auto* spacing = child<QLineEdit>(*w, "eSpacing");
    spacing->selectAll();
    QTest::keyClicks(spacing, QStringLiteral("5"));
    EXPECT_EQ(runlineShapes(), 1 + 6);  // stations 0, 5 ... 25
    EXPECT_EQ(host.log.last(), QStringLiteral("Runlines generated - Spacing: 5, Length: 100"));
    QTest::keyClicks(child<QLineEdit>(*w, "eLength"), QStringLiteral("x"));
    EXPECT_EQ(host.log.last(), QStringLiteral("Runlines generated - Spacing: 5, Length: 100x"));
    QTest::mouseClick(child<QRadioButton>(*w, "rbParallel"), Qt::LeftButton);
    EXPECT_EQ(w->LineType(), RunlineType::Parallel);
    EXPECT_EQ(runlineShapes(), 1 + 2 * 20);  // 100 (the default for "100x") / 5 offsets a side
    EXPECT_FALSE(IniStore(ini).hasSection(QStringLiteral("RUNLINE")));
}

TEST_F(RunlineWindow, GenerateWithoutARouteOnlyTellsTheOperator) {
    auto w = make();
    QTest::mouseClick(child<QPushButton>(*w, "bGenerate"), Qt::LeftButton);
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("Please draw a route first.")});
    EXPECT_TRUE(host.log.isEmpty());
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_FALSE(IniStore(ini).hasSection(QStringLiteral("RUNLINE")));
}

TEST_F(RunlineWindow, GenerateSavesTheSettings) {
    auto w = make();
    w->SetRoute({{0, 0}, {25, 0}});
    child<QLineEdit>(*w, "eSpacing")->setText(QStringLiteral("12.5"));
    QTest::mouseClick(child<QRadioButton>(*w, "rbParallel"), Qt::LeftButton);
    host.log.clear();
    QTest::mouseClick(child<QPushButton>(*w, "bGenerate"), Qt::LeftButton);
    EXPECT_EQ(host.log.size(), 1);
    const IniStore saved(ini);
    EXPECT_EQ(saved.readString(QStringLiteral("RUNLINE"), QStringLiteral("Spacing")),
              QStringLiteral("12.5"));
    EXPECT_EQ(saved.readString(QStringLiteral("RUNLINE"), QStringLiteral("Length")),
              QStringLiteral("100"));
    EXPECT_EQ(saved.readString(QStringLiteral("RUNLINE"), QStringLiteral("Perpendicular")),
              QStringLiteral("0"));
}

// Generate once saved over a settings file it could not read, losing every section.
TEST_F(RunlineWindow, GenerateDoesNotOverwriteAnUnreadableSettingsFile) {
    test::writeFile(ini, QByteArray(17 * 1024 * 1024, 'x'));
    auto w = make();
    w->SetRoute({{0, 0}, {25, 0}});
    QTest::mouseClick(child<QPushButton>(*w, "bGenerate"), Qt::LeftButton);
    EXPECT_EQ(runlineShapes(), 4);
    EXPECT_EQ(host.messages.size(), 1);
    EXPECT_EQ(QFileInfo(ini).size(), 17 * 1024 * 1024);
}

TEST_F(RunlineWindow, ClearRemovesTheLinesAndTheRoute) {
    auto w = make();
    w->SetRoute({{0, 0}, {25, 0}});
    QTest::mouseClick(child<QPushButton>(*w, "bClear"), Qt::LeftButton);
    EXPECT_EQ(runlineShapes(), 0);
    EXPECT_FALSE(w->RouteReady());
    EXPECT_TRUE(w->Route().empty());
    EXPECT_EQ(child<QLabel>(*w, "lRouteStatus")->text(), QStringLiteral("No route drawn"));
    // No route: edits change nothing.
    child<QLineEdit>(*w, "eSpacing")->setText(QStringLiteral("3"));
    EXPECT_EQ(doc.ShapeCount(), 0);
}

TEST_F(RunlineWindow, ShowRestoresThePositionAndCloseKeepsTheLines) {
    auto w = make();
    w->show();
    EXPECT_EQ(host.placements, 1);
    w->SetRoute({{0, 0}, {25, 0}});
    QTest::mouseClick(child<QPushButton>(*w, "bClose"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(runlineShapes(), 4);
    EXPECT_TRUE(w->RouteReady());
    w->show();
    EXPECT_EQ(host.placements, 2);
}

}  // namespace
}  // namespace nivora
