// What the layout file writer puts in the file, byte for byte.

#include <gtest/gtest.h>
#include <zlib.h>

#include "canvas/canvas_document.h"
#include "files/nwl_file.h"
#include "tests/files/files_test_support.h"

namespace nivora {
namespace {

const QDateTime kSaved(QDate(2026, 12, 7), QTime(16, 7, 31, 459));

std::string header() {
    return std::string("# Nivora Wayline - NWL\n# ") + kNwlMaker +
           "\n# Created on: 2026-12-07 16:07:31.45\n#\n";
}

TEST(NwlWriter, CreationLineHasHundredthsAndUnpaddedYear) {
    EXPECT_EQ(NwlWriter::createdLine(kSaved), "# Created on: 2026-12-07 16:07:31.45");
    EXPECT_EQ(NwlWriter::createdLine(QDateTime(QDate(2026, 3, 5), QTime(9, 5, 3, 7))),
              "# Created on: 2026-03-05 09:05:03.00");
    EXPECT_EQ(NwlWriter::createdLine(QDateTime(QDate(987, 1, 2), QTime(0, 0, 0, 999))),
              "# Created on: 987-01-02 00:00:00.99");
}

TEST(NwlWriter, EmptyDrawingHasHeaderWorldAndDefaultLayer) {
    CanvasDocument doc;
    doc.View.WorldSet(1234.5, 20.25, -0.0, -3.0);  // left, top, right, bottom
    EXPECT_EQ(NwlWriter::body(doc, kSaved),
              header() + "WORLD 1234.500000 -0.000000 -3.000000 20.250000\nLAYER Default\n");
}

TEST(NwlWriter, EveryRecordKindAsWritten) {
    CanvasDocument doc;
    const int chart = doc.LayerOpen(QStringLiteral("Chart lines"));
    doc.View.WorldSet(0, 100, 200, 0);
    const auto line = doc.DrawLine(1, 2, 3.5, 4.25, chart);
    doc.SetShapePenFg(line, 255);
    doc.SetShapePenWidth(line, 2);
    doc.DrawCircle(10, 20, 5, 0);
    auto point = std::make_unique<TNPoint>(7, 8);
    point->PenFg = 0x00FF00;
    point->Z = -12.375;
    doc.AddShape(std::move(point), chart);
    const auto text = doc.TextAdd(chart, QStringLiteral("Buoy 4"), 50, 60, 0);
    doc.SetShapePenFg(text, 0xFF0000);
    auto rect = std::make_unique<TNRectangle>(0, 0, 10, 5);
    rect->PenFg = 1;
    rect->PenWidth = 3;
    rect->BrushFg = 0xC0C0C0;
    rect->BrushStyle = 0;
    rect->Z = 2.5;
    doc.AddShape(std::move(rect), 0);
    doc.DrawTwoPointEllipse(1, 1, 3, 2, 0);
    doc.DrawPolyline({{0, 0}, {1, 1}}, chart, false);
    doc.DrawPolyline({{0, 0}, {1, 0}, {1, 1}}, chart, true);
    auto curve = std::make_unique<TNPolyline>(shape_type::Curve, false);
    curve->Points = {{5, 5}};
    doc.AddShape(std::move(curve), 0);
    auto arc3 = std::make_unique<TNPolyline>(shape_type::Arc, false);
    arc3->Points = {{0, 0}, {1, 1}, {2, 0}};
    doc.AddShape(std::move(arc3), 0);
    doc.DrawThreePointArc(0, 0, 1, 1, 2, 0, chart);

    EXPECT_EQ(NwlWriter::body(doc, kSaved),
              header() +
                  "WORLD 0.000000 200.000000 0.000000 100.000000\n"
                  "LAYER Default\n"
                  "LAYER Chart lines\n"
                  "LINE 1.000000 2.000000 3.500000 4.250000 1 255 2\n"
                  "CIRCLE 10.000000 20.000000 5.000000 0 0 1\n"
                  "POINT 7.000000 8.000000 1 65280 1 -12.375000\n"
                  "TEXT 50.000000 60.000000 1 0 16711680 10.000000 0.000000 0 0 Arial Buoy 4\n"
                  "RECTANGLE 0.000000 0.000000 10.000000 5.000000 0 1 3 12632256 0 2.500000\n"
                  "ELLIPSE 1.000000 1.000000 3.000000 2.000000 0 0 1\n"
                  "POLYLINE 1 2 0 1\n0.000000 0.000000\n1.000000 1.000000\n"
                  "POLYGON 1 3 0 1\n0.000000 0.000000\n1.000000 0.000000\n1.000000 1.000000\n"
                  "SPLINE 0 1 0 1\n5.000000 5.000000\n"
                  "ARC3P 0 3 0 1\n0.000000 0.000000\n1.000000 1.000000\n2.000000 0.000000\n"
                  "ARC 0.000000 0.000000 1.000000 1.000000 2.000000 0.000000 1 0 1\n");
}

TEST(NwlWriter, EmptyNamesAndTextsKeepTheirSeparators) {
    CanvasDocument doc;
    doc.LayerOpen(QString());
    const auto id = doc.TextAdd(0, QString(), 1, 2, 0);
    doc.SetShapePenFg(id, 5);
    const std::string body = NwlWriter::body(doc, kSaved);
    EXPECT_NE(body.find("\nLAYER \n"), std::string::npos) << body;
    EXPECT_NE(body.find("\nTEXT 1.000000 2.000000 0 0 5 10.000000 0.000000 0 0 Arial \n"),
              std::string::npos)
        << body;
}

// A line break inside a name or text would end the record there and could
// start a forged record on the next line.
TEST(NwlWriter, LineBreaksInNamesAndTextsCannotStartRecords) {
    CanvasDocument doc;
    doc.LayerOpen(QStringLiteral("a\nLINE 0 0 9 9 0 255 1"));
    doc.TextAdd(0, QStringLiteral("two\r\nlines"), 0, 0, 0);
    const std::string body = NwlWriter::body(doc, kSaved);
    EXPECT_NE(body.find("\nLAYER a LINE 0 0 9 9 0 255 1\n"), std::string::npos) << body;
    EXPECT_NE(body.find(" Arial two  lines\n"), std::string::npos) << body;
    CanvasDocument back;
    ASSERT_TRUE(test::loadNwl(test::bytesOf(body), back));
    EXPECT_EQ(back.ShapeCount(), 1);
}

// Font names are one word of the record: "Segoe UI" must not push "UI"
// into the text, and an empty name must not swallow the text's first word.
TEST(NwlWriter, FontNamesWithBlanksOrEmptyKeepTheTextIntact) {
    CanvasDocument doc;
    const auto a = doc.TextAdd(0, QStringLiteral("Depth 12"), 0, 0, 0);
    static_cast<TNText*>(doc.FindShape(a))->FontName = QStringLiteral("Segoe UI");
    const auto b = doc.TextAdd(0, QStringLiteral("Hello world"), 0, 0, -1);
    doc.SetShapePenFg(b, 7);
    const std::string body = NwlWriter::body(doc, kSaved);
    EXPECT_NE(body.find(" 0 0 Segoe\xC2\xA0UI Depth 12\n"), std::string::npos) << body;
    EXPECT_NE(body.find(" 0 0 0 Hello world\n"), std::string::npos) << body;

    CanvasDocument back;
    ASSERT_TRUE(test::loadNwl(test::bytesOf(body), back));
    const auto shapes = test::shapesOf(back);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(test::as<TNText>(shapes[0]).FontName, QStringLiteral("Segoe UI"));
    EXPECT_EQ(test::as<TNText>(shapes[0]).String, QStringLiteral("Depth 12"));
    EXPECT_EQ(test::as<TNText>(shapes[1]).String, QStringLiteral("Hello world"));
}

TEST(NwlWriter, CompressedContainerIsMagicAndOneZlibStreamOfTheBody) {
    CanvasDocument doc;
    for (int i = 0; i < 5000; ++i)
        doc.DrawLine(i, i * 2.0, i + 0.5, -i, 0);
    NwlWriter writer(NwlWriter::Container::Compressed, kSaved);
    const QByteArray file = test::writeTo(writer, doc);
    ASSERT_GT(file.size(), 6);
    EXPECT_EQ(file.left(4), QByteArray("NWL1"));
    EXPECT_EQ(static_cast<unsigned char>(file[4]), 0x78);  // zlib header, default level
    EXPECT_EQ(static_cast<unsigned char>(file[5]), 0x9C);

    const std::string body = NwlWriter::body(doc, kSaved);
    std::string inflated(body.size() + 16, '\0');
    uLongf size = static_cast<uLongf>(inflated.size());
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(file.constData() + 4),
                         static_cast<uLong>(file.size() - 4)),
              Z_OK);
    inflated.resize(size);
    EXPECT_EQ(inflated, body);

    NwlWriter plain(NwlWriter::Container::PlainText, kSaved);
    EXPECT_EQ(test::writeTo(plain, doc), test::bytesOf(body));
}

// A device that takes a number of bytes and then fails, as a full disk does.
class FillingDevice : public QBuffer {
  public:
    explicit FillingDevice(qint64 room) : room_(room) {}

  protected:
    qint64 writeData(const char* data, qint64 len) override {
        if (size() + len > room_) return -1;
        return QBuffer::writeData(data, len);
    }

  private:
    qint64 room_;
};

TEST(NwlWriter, ADiskFillingUpHalfWayFailsTheSave) {
    CanvasDocument doc;
    for (int i = 0; i < 200000; ++i)
        doc.DrawLine(i * 1.37, i * 2.11, i * 0.5, -i * 3.3, 0);
    for (const auto container :
         {NwlWriter::Container::Compressed, NwlWriter::Container::PlainText}) {
        FillingDevice device(100000);
        device.open(QIODevice::WriteOnly);
        NwlWriter writer(container, kSaved);
        EXPECT_FALSE(writer.write(device, doc));
        EXPECT_FALSE(writer.report().error.isEmpty());
    }
}

TEST(NwlWriter, AWriteFailureIsReported) {
    CanvasDocument doc;
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    NwlWriter writer;
    EXPECT_FALSE(writer.write(readOnly, doc));
    EXPECT_FALSE(writer.report().error.isEmpty());
}

}  // namespace
}  // namespace nivora
