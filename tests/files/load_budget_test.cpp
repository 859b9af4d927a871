// What one load may add, and file operations that fail with a reason
// instead of an exception.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <new>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "files/load_budget.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

TEST(LoadBudget, FollowsTheMemoryOfTheComputer) {
    // The program is built to hold a million shapes on a small office computer...
    EXPECT_GE(LoadBudget::forMemory(std::uint64_t{2} << 30).maxShapes, 1'000'000);
    EXPECT_GE(LoadBudget::forMemory(0).maxShapes, 1'000'000);  // memory unknown
    // ...but not the 20 million points a 145 KB layout inflated to, on 8 GB.
    const LoadBudget eight = LoadBudget::forMemory(std::uint64_t{8} << 30);
    EXPECT_LT(eight.maxShapes, 20'000'000);
    EXPECT_LE(
        eight.maxShapes * LoadBudget::kShapeBytes + eight.maxVertices * LoadBudget::kVertexBytes,
        std::int64_t{2} << 30);
}

class ThrowingReader : public DrawingReader {
  public:
    bool read(QIODevice&, CanvasDocument&) override { throw std::bad_alloc(); }
};

class ThrowingWriter : public DrawingWriter {
  public:
    bool write(QIODevice& out, const CanvasDocument&) override {
        out.write("0\nSECTION\n");
        throw std::bad_alloc();
    }
};

// Memory that runs out in the middle of a load or a save used to end the program.
TEST(FileOperations, RunningOutOfMemoryIsAFailureWithAReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("plan.nwl"));
    CanvasDocument doc;
    doc.DrawLine(0, 0, 1, 1, 0);
    ASSERT_TRUE(CadSave(doc, path));
    const QByteArray before = test::readFile(path);

    FileReport report;
    ThrowingWriter writer;
    EXPECT_FALSE(saveWith(writer, doc, path, &report));
    EXPECT_EQ(report.error, QStringLiteral("not enough memory to write ") + path);
    EXPECT_EQ(test::readFile(path), before);

    ThrowingReader reader;
    EXPECT_FALSE(loadWith(reader, doc, path, &report));
    EXPECT_EQ(report.error, QStringLiteral("not enough memory to read ") + path);
    EXPECT_EQ(doc.ShapeCount(), 1);
}

}  // namespace
}  // namespace nivora
