// The layer manager over the demo's harbour chart, a real DXF: a layer
// hidden goes from the picture, one removed goes with its shapes, the
// survey's own layers cannot be removed, and Edit > Undo Import leaves the
// layout as it was before the import.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/layer_manager.h"
#include "canvas/canvas_document.h"
#include "files/nwl_file.h"
#include "tests/app/app_test_support.h"

namespace nivora {
namespace {

using test::ProgramFixture;

std::string layoutOf(const CanvasDocument& d) {
    return NwlWriter::body(d, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
}

QTreeWidgetItem* rowOf(LayerManager& m, const QString& name) {
    const auto found = m.list()->findItems(name, Qt::MatchExactly, LayerManager::Name);
    return found.isEmpty() ? nullptr : found.front();
}

TEST(ProgramLayers, TheHarbourChartsLayersHiddenRemovedAndTheImportTakenBack) {
    QTemporaryDir dir;
    ProgramFixture f(test::demoIni(dir));
    f.program->start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.nav()));
    test::RecordingPrompts prompts;
    f.chart().setPrompts(&prompts);
    CanvasDocument& doc = f.chart().document();
    const std::string before = layoutOf(doc);

    prompts.openFile = QStringLiteral(NIVORA_SOURCE_DIR "/data/demo/harbour.dxf");
    f.nav().action(QStringLiteral("aImport"))->trigger();
    for (int k = 0; k < 500 && f.chart().files().jobRunning(); ++k)
        QTest::qWait(10);
    ASSERT_FALSE(f.chart().files().jobRunning());
    EXPECT_TRUE(prompts.questions.isEmpty()) << "the harbour lies over the survey: no question";
    const int breakwater = doc.LayerFindByName(QStringLiteral("BREAKWATER"));
    const int piers = doc.LayerFindByName(QStringLiteral("PIERS"));
    ASSERT_GE(breakwater, 0);
    ASSERT_GE(piers, 0);
    ASSERT_GT(doc.LayerShapeCount(piers), 0u);

    f.nav().action(QStringLiteral("aLayers"))->trigger();
    ASSERT_TRUE(f.nav().layerDock()->isVisible());
    LayerManager& m = *f.nav().layerManager();
    QTreeWidgetItem* row = rowOf(m, QStringLiteral("BREAKWATER"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(LayerManager::Shapes).toULongLong(), doc.LayerShapeCount(breakwater));
    doc.WorldSet(414800, 4541900, 416600, 4540300);
    f.nav().canvas().repaint();
    const QImage shown = f.nav().canvas().grab().toImage();
    row->setCheckState(LayerManager::Name, Qt::Unchecked);
    EXPECT_FALSE(doc.FindLayer(breakwater)->Visible);
    f.nav().canvas().repaint();
    EXPECT_NE(f.nav().canvas().grab().toImage(), shown) << "the breakwater left the picture";

    auto* remove = m.findChild<QPushButton*>(QStringLiteral("bRemoveLayer"));
    m.selectLayer(doc.LayerFindByName(QStringLiteral("track_fix")));
    EXPECT_FALSE(remove->isEnabled()) << "the survey's own layers stay";
    m.selectLayer(piers);
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_TRUE(prompts.questions.front().startsWith(QStringLiteral("Remove the layer \"PIERS\"")));
    EXPECT_EQ(doc.LayerFindByName(QStringLiteral("PIERS")), -1);
    EXPECT_EQ(rowOf(m, QStringLiteral("PIERS")), nullptr);

    QAction* undo = f.nav().action(QStringLiteral("aUndoImport"));
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Import of harbour.dxf"));
    undo->trigger();
    EXPECT_EQ(layoutOf(doc), before) << "the drawing as it was before the import";
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(rowOf(m, QStringLiteral("BREAKWATER")), nullptr);
    f.chart().setPrompts(nullptr);
}

}  // namespace
}  // namespace nivora
