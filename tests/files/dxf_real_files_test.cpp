// Real drawings from CAD programs and a laser distance meter, imported and
// checked against what an independent reader (Debian's ezdxf, run by
// dxf_expect.py) finds in the same files.

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "canvas/canvas_document.h"
#include "files/layout_files.h"
#include "tests/files/files_test_support.h"
#include "tests/support/test_support.h"

namespace nivora {
namespace {

struct Shape {
    int t = 0;
    QString layer;
    qint64 color = 0;
    std::vector<double> g;
    QString s;
};

// Names and texts of older drawings may spell characters as \U+XXXX; the
// importer keeps them as written, the reference decodes them.
QString decodeEscapes(QString text) {
    static const QRegularExpression escape(QStringLiteral("\\\\U\\+([0-9A-Fa-f]{4})"));
    QRegularExpressionMatch m;
    while ((m = escape.match(text)).hasMatch()) {
        text.replace(m.capturedStart(), m.capturedLength(),
                     QChar(static_cast<char16_t>(m.captured(1).toUInt(nullptr, 16))));
    }
    return text;
}

bool lessShape(const Shape& a, const Shape& b) {
    if (a.t != b.t) return a.t < b.t;
    if (a.layer != b.layer) return a.layer < b.layer;
    if (a.s != b.s) return a.s < b.s;
    if (a.g.size() != b.g.size()) return a.g.size() < b.g.size();
    for (std::size_t i = 0; i < a.g.size(); ++i) {
        const long long x = std::llround(a.g[i] * 1e5), y = std::llround(b.g[i] * 1e5);
        if (x != y) return x < y;
    }
    return a.color < b.color;
}

std::vector<Shape> ours(const CanvasDocument& doc) {
    std::vector<Shape> out;
    for (const TNShape& s : doc.Shapes()) {
        Shape c;
        c.t = s.ShapeType();
        const TNLayer* layer = doc.FindLayer(s.Layer());
        c.layer = layer ? decodeEscapes(layer->Name()) : QString();
        c.color = s.PenFg;
        switch (s.Class()) {
            case ShapeClass::Line: {
                const auto& l = static_cast<const TNLine&>(s);
                c.g = {l.x1, l.y1, l.x2, l.y2};
                break;
            }
            case ShapeClass::Circle: {
                const auto& k = static_cast<const TNCircle&>(s);
                c.g = {k.cx, k.cy, k.radius};
                break;
            }
            case ShapeClass::Point: {
                const auto& p = static_cast<const TNPoint&>(s);
                c.g = {p.x, p.y};
                break;
            }
            case ShapeClass::Text: {
                const auto& t = static_cast<const TNText&>(s);
                c.g = {t.x, t.y, t.Height, t.Angle};
                c.s = decodeEscapes(t.String);
                break;
            }
            case ShapeClass::Polyline:
                for (const QPointF& p : static_cast<const TNPolyline&>(s).Points) {
                    c.g.push_back(p.x());
                    c.g.push_back(p.y());
                }
                break;
            default:
                ADD_FAILURE() << "unexpected shape class";
        }
        out.push_back(std::move(c));
    }
    return out;
}

std::vector<Shape> expected(const QJsonArray& shapes) {
    std::vector<Shape> out;
    for (const QJsonValue& v : shapes) {
        const QJsonObject o = v.toObject();
        Shape c;
        c.t = o[QStringLiteral("t")].toInt();
        c.layer = decodeEscapes(o[QStringLiteral("layer")].toString());
        c.color = static_cast<qint64>(o[QStringLiteral("color")].toDouble());
        for (const QJsonValue& n : o[QStringLiteral("g")].toArray())
            c.g.push_back(n.toDouble());
        c.s = decodeEscapes(o[QStringLiteral("s")].toString());
        out.push_back(std::move(c));
    }
    return out;
}

// Both readers parse the same decimal texts; arcs and ellipses go through
// the same trigonometry. 1e-9 relative covers the last bits of sin and cos.
bool near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

QJsonArray references(const QStringList& files) {
    static QJsonArray all;
    if (all.isEmpty()) {
        const std::string out =
            test::runPython(QStringLiteral(NIVORA_FILES_TEST_DIR "/dxf_expect.py"), files);
        all = QJsonDocument::fromJson(QByteArray::fromStdString(out)).array();
    }
    return all;
}

QStringList realDrawings() {
    QStringList files;
    const QDir dir(test::dataPath(QStringLiteral("dxf")));
    for (const QString& name : dir.entryList({QStringLiteral("*.dxf"), QStringLiteral("*.DXF")},
                                             QDir::Files, QDir::Name)) {
        if (name != QLatin1String("bin_dxf_r12.dxf")) files << dir.filePath(name);
    }
    return files;
}

TEST(DxfRealDrawings, ImportMatchesAnIndependentReader) {
    const QStringList files = realDrawings();
    ASSERT_GE(files.size(), 14);
    const QJsonArray refs = references(files);
    ASSERT_EQ(refs.size(), files.size());
    int compared = 0;
    for (qsizetype k = 0; k < files.size(); ++k) {
        const QJsonObject ref = refs[k].toObject();
        SCOPED_TRACE(files[k].toStdString());
        CanvasDocument doc;
        FileReport report;
        const bool ok = DXFLoad(doc, files[k], &report);

        // Layers of the table, with their colours.
        std::map<QString, qint64> tableColor;
        for (const QJsonValue& v : ref[QStringLiteral("layers")].toArray()) {
            const QJsonArray entry = v.toArray();
            const QString name = decodeEscapes(entry[0].toString());
            const qint64 c = static_cast<qint64>(entry[1].toDouble());
            if (c >= 0 || !tableColor.count(name)) tableColor[name] = c < 0 ? 0 : c;
        }
        std::map<QString, const TNLayer*> layers;
        for (const auto& l : doc.Layers())
            layers[decodeEscapes(l->Name())] = l.get();
        for (const auto& [name, color] : tableColor) {
            ASSERT_TRUE(layers.count(name)) << name.toStdString();
            EXPECT_EQ(layers[name]->PenFg, static_cast<TColor>(color)) << name.toStdString();
        }

        if (!ref[QStringLiteral("loaded")].toBool()) {
            // The reference cannot build this document; count its records instead.
            const QJsonObject types = ref[QStringLiteral("entity_types")].toObject();
            std::map<int, int> want{{3, types[QStringLiteral("LINE")].toInt()},
                                    {19, types[QStringLiteral("CIRCLE")].toInt()},
                                    {5, types[QStringLiteral("ARC")].toInt()}};
            std::map<int, int> got;
            for (const TNShape& s : doc.Shapes())
                ++got[s.ShapeType()];
            EXPECT_EQ(got, want);
            EXPECT_TRUE(ok);
            continue;
        }

        std::vector<Shape> want = expected(ref[QStringLiteral("shapes")].toArray());
        std::vector<Shape> got = ours(doc);
        EXPECT_EQ(ok, !want.empty());
        ASSERT_EQ(got.size(), want.size());
        std::sort(want.begin(), want.end(), lessShape);
        std::sort(got.begin(), got.end(), lessShape);
        std::set<QString> shapeLayers;
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(got[i].t, want[i].t);
            EXPECT_EQ(got[i].layer, want[i].layer);
            EXPECT_EQ(got[i].color, want[i].color);
            EXPECT_EQ(got[i].s, want[i].s);
            ASSERT_EQ(got[i].g.size(), want[i].g.size());
            for (std::size_t j = 0; j < got[i].g.size(); ++j) {
                EXPECT_TRUE(near(got[i].g[j], want[i].g[j]))
                    << got[i].g[j] << " vs " << want[i].g[j];
            }
            shapeLayers.insert(got[i].layer);
        }
        // No layer comes from nowhere.
        for (const auto& [name, layer] : layers) {
            EXPECT_TRUE(name == QLatin1String("Default") || tableColor.count(name) ||
                        shapeLayers.count(name))
                << name.toStdString();
        }

        if (!want.empty()) {
            EXPECT_TRUE(report.message.startsWith(
                QStringLiteral("DXF loaded: %1 entities\n").arg(want.size())))
                << report.message.toStdString();
            // Extents of the imported geometry.
            const QJsonArray ext = ref[QStringLiteral("extents")].toArray();
            double box[4] = {1e300, 1e300, -1e300, -1e300};
            for (const TNShape& s : doc.Shapes()) {
                ShapeBounds b = s.Bounds();
                if (s.Class() == ShapeClass::Text) {
                    const auto& t = static_cast<const TNText&>(s);
                    b = {t.x, t.y, t.x, t.y};
                } else if (s.Class() == ShapeClass::Point) {
                    const auto& p = static_cast<const TNPoint&>(s);
                    b = {p.x, p.y, p.x, p.y};
                }
                box[0] = std::min(box[0], b.MinX);
                box[1] = std::min(box[1], b.MinY);
                box[2] = std::max(box[2], b.MaxX);
                box[3] = std::max(box[3], b.MaxY);
            }
            for (int i = 0; i < 4; ++i)
                EXPECT_TRUE(near(box[i], ext[i].toDouble())) << i;
            // The view shows all of it.
            EXPECT_LE(doc.View.WorldLeft, box[0]);
            EXPECT_GE(doc.View.WorldRight, box[2]);
        } else {
            EXPECT_EQ(report.message, QStringLiteral("DXF load failed: No entities found"));
        }
        ++compared;
    }
    EXPECT_GE(compared, 13);
}

TEST(DxfRealDrawings, BinaryDrawingIsRefusedClearly) {
    CanvasDocument doc;
    FileReport report;
    EXPECT_FALSE(DXFLoad(doc, test::dataPath(QStringLiteral("dxf/bin_dxf_r12.dxf")), &report));
    EXPECT_EQ(report.message,
              QStringLiteral(
                  "DXF load failed: binary DXF is not supported; save the drawing as ASCII DXF"));
    EXPECT_EQ(doc.ShapeCount(), 0);
    EXPECT_EQ(doc.Layers().size(), 1u);
}

// The body of the ENTITIES section: from the line after "ENTITIES" to the
// "0" line before its ENDSEC.
std::pair<qsizetype, qsizetype> entitiesBody(const QByteArray& bytes) {
    const QRegularExpression head(QStringLiteral("\\n\\s*2\\s*\\n\\s*ENTITIES\\s*\\n"));
    const QRegularExpression tail(QStringLiteral("\\n\\s*0\\s*\\n\\s*ENDSEC"));
    const QString text = QString::fromLatin1(bytes);
    const auto h = head.match(text);
    if (!h.hasMatch()) return {0, 0};
    const auto t = tail.match(text, h.capturedEnd() - 1);
    return {h.capturedEnd(), t.hasMatch() ? t.capturedStart() : bytes.size()};
}

// Every real drawing, cut short at many places and with one line break added
// (a blank line, or a line split in two), imports without a crash; a file
// cut short never gives more shapes than the whole file. A line break added
// among the entities costs at most the record it falls in (for an INSERT,
// the lines of its block) and is reported with its line number.
TEST(DxfRealDrawings, DamagedCopiesLoseOnlyTheDamagedRecord) {
    int strays = 0;
    for (const QString& file : realDrawings()) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray bytes = test::readFile(file);
        CanvasDocument whole;
        test::importDxf(bytes, whole);
        int record = 1;
        for (const auto& b : whole.Blocks())
            record = std::max(record, static_cast<int>(b->Shapes.size()));
        const auto [from, to] = entitiesBody(bytes);
        for (qsizetype cut = 0; cut < bytes.size();
             cut += std::max<qsizetype>(97, bytes.size() / 50)) {
            CanvasDocument doc;
            test::importDxf(bytes.left(cut), doc);
            EXPECT_LE(doc.ShapeCount(), whole.ShapeCount()) << cut;
            CanvasDocument odd;
            FileReport report;
            test::importDxf(bytes.left(cut) + "\n" + bytes.mid(cut), odd, &report);
            if (cut <= from || cut >= to) continue;
            EXPECT_GE(odd.ShapeCount(), whole.ShapeCount() - record) << cut;
            EXPECT_LE(odd.ShapeCount(), whole.ShapeCount()) << cut;
            const qint64 line = bytes.left(cut).count('\n') + 1;
            // A break that leaves lines readable as groups shows a few lines later.
            EXPECT_TRUE(report.line >= line && report.line <= line + 8)
                << cut << ": line " << report.line << " for a break in line " << line;
            ++strays;
        }
    }
    EXPECT_GE(strays, 100);
}

}  // namespace
}  // namespace nivora
