// Long file commands through the chart with a view: the event loop turns
// while they work, the result is the one the command gives without a view,
// a cancelled load changes nothing and a failed save keeps the old file.

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/resource.h>
#include <QDir>
#include <QTimer>
#include <csignal>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "files/nwl_file.h"
#include "survey/file_jobs.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

constexpr int kShapes = 200'000;

// Remembers what it was told; can act when a job starts.
struct TestJobView : FileJobView {
    QStringList labels;
    int progressCalls = 0;
    int finished = 0;
    std::function<void()> cancel;
    std::function<void()> onStart;
    void jobStarted(const QString& label, std::function<void()> c) override {
        labels << label;
        cancel = std::move(c);
        if (onStart) onStart();
    }
    void jobProgress(double) override { ++progressCalls; }
    void jobFinished() override { ++finished; }
};

// A chart of many shapes of every kind the layout writes, on a few layers.
void writeLargeLayout(const QString& path, int shapes) {
    CanvasDocument d;
    const int layers[] = {d.LayerOpen(QStringLiteral("harbour")),
                          d.LayerOpen(QStringLiteral("depths")),
                          d.LayerOpen(layer_names::UserShape)};
    for (int i = 0; i < shapes; ++i) {
        const double x = 500000 + i % 1000, y = 4540000 + i / 1000.0;
        const int layer = layers[i % 3];
        switch (i % 5) {
            case 0:
                d.DrawLine(x, y, x + 3, y + 4, layer);
                break;
            case 1:
                d.DrawPoint(x, y, layer);
                break;
            case 2:
                d.DrawPolyline({{x, y}, {x + 1, y}, {x + 1, y + 2}}, layer, i % 2 == 0);
                break;
            case 3:
                d.TextAdd(layer, QStringLiteral("%1 m").arg(i % 40), x, y, 0);
                break;
            default:
                d.DrawCircle(x, y, 2.5, layer);
        }
    }
    d.WorldSet(500000, 4540300, 501000, 4540000);
    ASSERT_TRUE(CadSave(d, path));
}

// Everything a layout keeps, and the ids in paint order.
std::string picture(const CanvasDocument& d) {
    std::string text = NwlWriter::body(d, QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    for (const TNShape& s : d.Shapes())
        text += ' ' + std::to_string(s.Id());
    for (const auto& l : d.Layers())
        text += ' ' + l->Name().toStdString() + '=' + std::to_string(l->PenFg);
    return text + " next " + std::to_string(d.NextShapeId()) + " blocks " +
           std::to_string(d.Blocks().size());
}

// A DXF with one block and `lines` LINE entities on two layers.
QByteArray largeDxf(int lines) {
    QByteArray text =
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\nCOAST\n62\n1\n0\nENDTAB\n"
        "0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nBUOY\n10\n0\n20\n0\n0\nLINE\n8\n0\n"
        "10\n0\n20\n0\n11\n1\n21\n1\n0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < lines; ++i) {
        text += "0\nLINE\n8\n" + QByteArray(i % 2 ? "COAST" : "0") + "\n10\n" +
                QByteArray::number(i) + "\n20\n0\n11\n" + QByteArray::number(i) + "\n21\n5\n";
    }
    return text + "0\nINSERT\n2\nBUOY\n8\nCOAST\n10\n3\n20\n3\n0\nENDSEC\n0\nEOF\n";
}

// The reference: the readers straight on the drawing, then what the Open
// and Import commands do after them.
void openAtOnce(SessionFixture& f, const QString& path) {
    ASSERT_TRUE(CadLoad(f.doc, path, -1, -1, 1));
    f.chart->ensureLayers();
    f.doc.CadClearShapes(f.chart->layers().grid);
    f.doc.CadClearShapes(f.chart->layers().vessel);
    f.doc.SetLayerAction(f.chart->layers().userShape, 15);
}
void importAtOnce(SessionFixture& f, const QString& path) {
    ASSERT_TRUE(DXFLoad(f.doc, path));
    f.chart->ensureLayers();
}

class FileJobsTest : public ::testing::Test {
  protected:
    FileJobsTest() {
        chart = files.filePath(QStringLiteral("chart.nwl"));
        writeLargeLayout(chart, kShapes);
    }
    // Something drawn before the command, so that adding is seen.
    static void drawSomething(SessionFixture& f) {
        f.chart->ensureLayers();
        f.doc.DrawPoint(500200, 4540200, f.doc.LayerFindByName(layer_names::UserShape));
        f.doc.LayerOpen(QStringLiteral("harbour"));
    }
    QTemporaryDir files;
    QString chart;
};

TEST_F(FileJobsTest, OpenWorksWhileTheEventLoopTurnsAndAddsWhatAnOpenAtOnceAdds) {
    SessionFixture at, bg;
    drawSomething(at);
    drawSomething(bg);
    openAtOnce(at, chart);
    bg.prompts.openFile = chart;

    TestJobView view;
    bg.chart->files().setJobView(&view);
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();
    bool refused = false;
    view.onStart = [&] {
        // No second file command while one runs; nothing is asked.
        EXPECT_TRUE(bg.chart->files().jobRunning());
        bg.prompts.saveFile = files.filePath(QStringLiteral("never.nwl"));
        refused = !bg.chart->files().openLayout() && !bg.chart->files().saveLayoutAs();
    };
    ASSERT_TRUE(bg.chart->files().openLayout()) << "started; the command returns at once";
    EXPECT_TRUE(bg.chart->files().jobRunning());
    ASSERT_TRUE(waitForFileJob(*bg.chart));
    timer.stop();

    EXPECT_GT(ticks, 0) << "the 20 ms timer ran during the load";
    EXPECT_GT(view.progressCalls, 0);
    EXPECT_EQ(view.finished, 1);
    EXPECT_EQ(view.labels, QStringList{QStringLiteral("Opening ") + chart});
    EXPECT_TRUE(refused);
    EXPECT_FALSE(QFileInfo::exists(bg.prompts.saveFile));
    EXPECT_FALSE(bg.chart->files().jobRunning());
    // Shapes keep the layer numbers of the file; those that fall on the
    // vessel's or the grid's layer go with them after an Open.
    EXPECT_GT(bg.doc.ShapeCount(), kShapes / 2);
    EXPECT_EQ(difference(picture(bg.doc), picture(at.doc)), "");
    EXPECT_EQ(bg.doc.CurrentLayer, at.doc.CurrentLayer);
    EXPECT_TRUE(
        bg.eventsLog().contains(QByteArray(QByteArray("\tOpened file: ") + chart.toUtf8())));
    EXPECT_TRUE(bg.errors().isEmpty());
}

TEST_F(FileJobsTest, ImportKeepsLayerColoursAndBlocksAsAnImportAtOnce) {
    const QString small = files.filePath(QStringLiteral("buoy.dxf"));
    const QString large = files.filePath(QStringLiteral("coast.dxf"));
    writeFile(small, largeDxf(1));
    writeFile(large, largeDxf(50'000));
    SessionFixture at, bg;
    TestJobView view;
    bg.chart->files().setJobView(&view);
    // The first import brings the block the second one's INSERT uses; the
    // second sets the colour of a layer that is there already.
    drawSomething(at);
    importAtOnce(at, small);
    at.doc.SetLayerPenFg(at.doc.LayerFindByName(QStringLiteral("COAST")), colors::Green);
    importAtOnce(at, large);
    drawSomething(bg);
    bg.prompts.openFile = small;
    ASSERT_TRUE(bg.chart->files().importDxf());
    ASSERT_TRUE(waitForFileJob(*bg.chart));
    bg.doc.SetLayerPenFg(bg.doc.LayerFindByName(QStringLiteral("COAST")), colors::Green);
    bg.prompts.openFile = large;
    ASSERT_TRUE(bg.chart->files().importDxf());
    ASSERT_TRUE(waitForFileJob(*bg.chart));
    EXPECT_EQ(view.labels.size(), 2);
    EXPECT_EQ(difference(picture(bg.doc), picture(at.doc)), "");
    EXPECT_EQ(bg.doc.Blocks().size(), 2u) << "the block of each import";
    const int coast = bg.doc.LayerFindByName(QStringLiteral("COAST"));
    EXPECT_EQ(bg.doc.GetLayerPenFg(coast), colors::Red) << "as the second file says";
    EXPECT_EQ(bg.doc.View.WorldLeft, at.doc.View.WorldLeft) << "fitted to the whole drawing";
    EXPECT_EQ(bg.doc.View.WorldRight, at.doc.View.WorldRight);
}

TEST_F(FileJobsTest, ACancelledLoadLeavesTheDrawingAsItWas) {
    const QString dxf = files.filePath(QStringLiteral("coast.dxf"));
    writeFile(dxf, largeDxf(50'000));
    SessionFixture f;
    drawSomething(f);
    f.prompts.openFile = dxf;
    ASSERT_TRUE(f.chart->files().importDxf());
    TestJobView view;
    f.chart->files().setJobView(&view);
    const std::string before = picture(f.doc);
    const TNBlock* block = f.doc.FindBlock(QStringLiteral("BUOY"));
    ASSERT_NE(block, nullptr);

    view.onStart = [&] {
        ASSERT_TRUE(view.cancel) << "a load can be stopped";
        view.cancel();
    };
    f.prompts.openFile = chart;
    f.chart->files().openLayout();
    ASSERT_TRUE(waitForFileJob(*f.chart));
    f.prompts.openFile = dxf;
    f.chart->files().importDxf();
    ASSERT_TRUE(waitForFileJob(*f.chart));
    EXPECT_EQ(difference(picture(f.doc), before), "");
    EXPECT_EQ(f.doc.FindBlock(QStringLiteral("BUOY")), block) << "the lent blocks came back";
    EXPECT_FALSE(f.eventsLog().contains("Opened file"));
    EXPECT_TRUE(f.errors().isEmpty()) << "a cancel is not an error";

    view.onStart = nullptr;
    f.prompts.openFile = chart;
    const int shapes = f.doc.ShapeCount();
    EXPECT_TRUE(f.chart->files().openLayout());
    ASSERT_TRUE(waitForFileJob(*f.chart));
    EXPECT_GT(f.doc.ShapeCount(), shapes + kShapes / 2);
}

// A disk that takes no file beyond `bytes` for as long as it lives.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST_F(FileJobsTest, AFailedSaveLeavesTheOldFileAsItWas) {
    SessionFixture f;
    TestJobView view;
    f.chart->files().setJobView(&view);
    const QString target = files.filePath(QStringLiteral("survey.nwl"));
    {
        CanvasDocument small;
        small.DrawPoint(1, 2, 0);
        ASSERT_TRUE(CadSave(small, target));
    }
    const QByteArray old = readFile(target);
    f.prompts.openFile = chart;
    ASSERT_TRUE(f.chart->files().openLayout());
    ASSERT_TRUE(waitForFileJob(*f.chart));
    f.prompts.saveFile = target;
    {
        const FileSizeLimit full(256 * 1024);
        f.chart->files().saveLayoutAs();
        ASSERT_TRUE(waitForFileJob(*f.chart));
    }
    EXPECT_EQ(readFile(target), old);
    EXPECT_EQ(QDir(files.path()).entryList(QDir::Files).size(), 2) << "no temporary file is left";
    ASSERT_EQ(f.errors().size(), 1);
    EXPECT_TRUE(f.errors()[0].startsWith(QStringLiteral("Cannot save the layout ") + target));
    EXPECT_NE(f.view.caption, QStringLiteral("Nivora Depthwright  <") + target + QLatin1Char('>'));

    // With room on the disk the same save goes through and reads back whole.
    EXPECT_TRUE(f.chart->files().saveLayoutAs());
    ASSERT_TRUE(waitForFileJob(*f.chart));
    CanvasDocument back;
    ASSERT_TRUE(CadLoad(back, target));
    EXPECT_EQ(back.ShapeCount(), f.doc.ShapeCount());
    EXPECT_EQ(view.labels.last(), QStringLiteral("Saving ") + target);
}

}  // namespace
}  // namespace nivora::test
