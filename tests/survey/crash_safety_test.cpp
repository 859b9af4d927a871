// A survey killed with SIGKILL at a hundred random moments, each time started
// again on the same folder, as a laptop that loses power would be. Saved
// files must be whole every time (the old version or the new one); a log may
// end in one partial line, and the next start must not glue its first record
// to it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <random>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"
#include "core/interrupted_saves.h"
#include "files/layout_files.h"
#include "sensors/nmea.h"
#include "survey/day_folders.h"
#include "tests/support/test_support.h"

#if defined(Q_OS_UNIX)
namespace nivora {
namespace {

constexpr int kKills = 100;
constexpr int kChartShapes = 20000;
const QDate kDay(2026, 6, 1);

QList<QByteArray> lines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll().split('\n');
}

// The end of a log after a kill: at most its last line is unfinished.
void expectAtMostOnePartialTrailingLine(const QString& path, int fields) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return;
    f.seek(std::max<qint64>(0, f.size() - 65536));
    QList<QByteArray> tail = f.readAll().split('\n');
    if (tail.size() < 3) return;
    tail.removeFirst();  // may start mid-line
    tail.removeLast();   // the last line: finished or not
    for (const QByteArray& l : tail) {
        if (fields > 0 && !l.isEmpty()) {
            ASSERT_EQ(l.count(',') + 1, fields) << path.toStdString() << ": " << l.toStdString();
        }
    }
}

class CrashSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        ini = dir.filePath(QStringLiteral("NivoraDW.INI"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(NIVORA_DEMO_DIR "/NivoraDW.INI"), ini));
        QFile::setPermissions(ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // A chart big enough that saving it takes a while: kills land in saves.
        CanvasDocument chart;
        const int layer = chart.LayerOpen(QStringLiteral("harbour"));
        for (int i = 0; i < kChartShapes; ++i)
            chart.DrawLine(415300 + i % 1000, 4540700 + i / 20, 415310 + i % 1000, 4540705 + i / 20,
                           layer);
        const QString chartPath = dir.filePath(QStringLiteral("chart.nwl"));
        ASSERT_TRUE(CadSave(chart, chartPath));
        IniStore store(ini);
        store.writeString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"), chartPath);
        ASSERT_TRUE(store.save());
        sections = store.sections();
    }

    // The settings file and every layout are whole: they read, with every
    // section and every shape of the chart.
    void expectSavedFilesWhole() {
        IniStore store(ini);
        ASSERT_TRUE(store.loaded());
        EXPECT_EQ(store.sections(), sections);
        const QString last =
            store.readString(QStringLiteral("FILE"), QStringLiteral("Last File Saved"), QString());
        CanvasDocument doc;
        ASSERT_TRUE(CadLoad(doc, last)) << last.toStdString();
        EXPECT_GE(doc.ShapeCount(), kChartShapes) << last.toStdString();
        // No half-written file is left beside the saved ones but the one
        // save the kill cut off: the next save of a file removes the
        // temporaries of its earlier ones, so that they never pile up.
        QStringList files = QDir(dir.path()).entryList(QDir::Files);
        files.sort();
        files.removeOne(QStringLiteral("export.dxf"));  // not there before the first export
        EXPECT_LE(files.removeIf(isInterruptedSave), 1)
            << files.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(files.join(QLatin1Char(' ')).toStdString(), "NivoraDW.INI chart.nwl");
        const QDir layouts(folders().layoutsFolder());
        QStringList layoutFiles = layouts.entryList(QDir::Files);
        EXPECT_LE(layoutFiles.removeIf(isInterruptedSave), 1);
        EXPECT_EQ(layoutFiles, layouts.entryList({QStringLiteral("*.nwl")}, QDir::Files));
        for (const QString& name : layouts.entryList({QStringLiteral("*.nwl")}, QDir::Files)) {
            // Snapshots are never written over: one read whole and not
            // changed since (size and time) is whole still.
            const QFileInfo info(layouts.filePath(name));
            const auto seen = std::make_pair(info.size(), info.lastModified());
            if (wholeLayouts.value(name) == seen) continue;
            CanvasDocument d;
            ASSERT_TRUE(CadLoad(d, layouts.filePath(name))) << name.toStdString();
            EXPECT_GE(d.ShapeCount(), kChartShapes) << name.toStdString();
            wholeLayouts.insert(name, seen);
        }
        const QString exported = dir.filePath(QStringLiteral("export.dxf"));
        if (QFile::exists(exported)) {
            CanvasDocument d;
            FileReport report;
            ASSERT_TRUE(DXFLoad(d, exported, &report)) << report.error.toStdString();
            EXPECT_GE(d.ShapeCount(), kChartShapes);
        }
    }

    DayFolders folders() const { return DayFolders(dir.filePath(QStringLiteral("NWL")), kDay); }

    QTemporaryDir dir;
    QString ini;
    QStringList sections;
    QHash<QString, std::pair<qint64, QDateTime>> wholeLayouts;
};

TEST_F(CrashSafety, AHundredKillsLeaveEveryFileWholeOrRecoverable) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> delayMs(0, 300);
    const DayFolders day = folders();
    const QString coordinates = day.coordinateLogPath();
    const QString rawGnss = day.rawLogPath(RawLogKind::Gnss, kDay);
    for (int k = 0; k < kKills; ++k) {
        QProcess child;
        child.start(QStringLiteral(NIVORA_CRASH_CHILD), {dir.path()});
        ASSERT_TRUE(child.waitForReadyRead(20000))
            << "start " << k << ": " << child.readAllStandardError().toStdString();
        QThread::msleep(static_cast<unsigned long>(delayMs(random)));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(20000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit)
            << "the survey stopped by itself: " << child.readAllStandardError().toStdString();
        expectSavedFilesWhole();
        expectAtMostOnePartialTrailingLine(coordinates, 18);
        expectAtMostOnePartialTrailingLine(rawGnss, 0);
        if (HasFatalFailure()) return;
    }

    // Across all the starts: no record glued to a broken one, and no more
    // broken records than kills.
    const QList<QByteArray> rows = lines(coordinates);
    ASSERT_GT(rows.size(), 1000);
    int brokenRows = 0;
    for (qsizetype i = 1; i + 1 < rows.size(); ++i) {
        const qsizetype fields = rows[i].count(',') + 1;
        ASSERT_LE(fields, 18) << "glued: " << rows[i].toStdString();
        brokenRows += fields < 18;
    }
    EXPECT_LE(brokenRows, kKills);

    int brokenRaw = 0;
    const QList<QByteArray> raw = lines(rawGnss);
    ASSERT_GT(raw.size(), 1000);
    for (qsizetype i = 0; i + 1 < raw.size(); ++i) {
        const QByteArray& l = raw[i];
        ASSERT_LE(l.count('$'), 1) << "glued: " << l.toStdString();
        const qsizetype at = l.indexOf('$');
        const QByteArray sentence = at < 0 ? QByteArray() : l.mid(at);
        brokenRaw += at < 0 || nmeaChecksum(std::string_view(sentence.constData(),
                                                             sentence.size())) != Checksum::Valid;
    }
    EXPECT_LE(brokenRaw, kKills);

    for (const QByteArray& l : lines(day.eventsLogPath(kDay)))
        ASSERT_LE(l.lastIndexOf("Auto Event:"), 0) << "glued: " << l.toStdString();
}

}  // namespace
}  // namespace nivora
#endif
