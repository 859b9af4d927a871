// DXF R12 export.

#include "files/dxf_writer.h"

#include <QIODevice>
#include <QSet>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "core/system_text.h"
#include "files/dxf_text.h"

namespace nivora {
namespace {

constexpr std::size_t kFlushAt = 256 * 1024;

bool finite(std::initializer_list<double> values) {
    for (double v : values) {
        if (!std::isfinite(v)) return false;
    }
    return true;
}

QString validLayerName(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("_");
    QString out = name;
    for (QChar& c : out) {
        switch (c.unicode()) {
            case '<':
            case '>':
            case '/':
            case '\\':
            case '"':
            case ':':
            case ';':
            case '?':
            case '*':
            case '=':
            case '`':
            case '\r':
            case '\n':
                c = QLatin1Char('_');
                break;
            default:
                break;
        }
    }
    return out;
}

class Out {
  public:
    Out(std::string& buf) : buf_(buf) {}
    Out& s(std::string_view text) {
        buf_.append(text);
        return *this;
    }
    Out& bytes(const QByteArray& b) {
        buf_.append(b.constData(), static_cast<std::size_t>(b.size()));
        return *this;
    }
    Out& d(double v) {
        appendFixed(buf_, std::isfinite(v) ? v : 0.0, 6);
        return *this;
    }
    Out& i(long long v) {
        char tmp[24];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        buf_.append(tmp, r.ptr);
        return *this;
    }

  private:
    std::string& buf_;
};

void vertex(Out& o, const QByteArray& layer, double x, double y) {
    o.s("0\nVERTEX\n8\n").bytes(layer).s("\n10\n").d(x).s("\n20\n").d(y).s("\n30\n0.0\n");
}

void circle(Out& o, const QByteArray& layer, double cx, double cy, double r) {
    o.s("0\nCIRCLE\n8\n")
        .bytes(layer)
        .s("\n10\n")
        .d(cx)
        .s("\n20\n")
        .d(cy)
        .s("\n30\n0.0\n40\n")
        .d(r)
        .s("\n");
}

// One shape; nothing for the kinds that are not exported and for shapes
// with a coordinate that is not a number (CAD programs refuse "nan").
void writeShape(Out& o, const TNShape& s, const QByteArray& layer) {
    const int type = s.ShapeType();
    switch (s.Class()) {
        case ShapeClass::Line: {
            const auto& l = static_cast<const TNLine&>(s);
            if (type != shape_type::Line || !finite({l.x1, l.y1, l.x2, l.y2})) return;
            o.s("0\nLINE\n8\n")
                .bytes(layer)
                .s("\n10\n")
                .d(l.x1)
                .s("\n20\n")
                .d(l.y1)
                .s("\n30\n0.0\n");
            o.s("11\n").d(l.x2).s("\n21\n").d(l.y2).s("\n31\n0.0\n");
            return;
        }
        case ShapeClass::Circle: {
            const auto& c = static_cast<const TNCircle&>(s);
            if (type != shape_type::Circle || !finite({c.cx, c.cy, c.radius})) return;
            circle(o, layer, c.cx, c.cy, c.radius);
            return;
        }
        case ShapeClass::Point: {
            const auto& p = static_cast<const TNPoint&>(s);
            if (type != shape_type::Point || !finite({p.x, p.y})) return;
            o.s("0\nPOINT\n8\n")
                .bytes(layer)
                .s("\n10\n")
                .d(p.x)
                .s("\n20\n")
                .d(p.y)
                .s("\n30\n0.0\n");
            return;
        }
        case ShapeClass::Text: {
            const auto& t = static_cast<const TNText&>(s);
            if (type != shape_type::Text || !finite({t.x, t.y, t.Height, t.Angle})) return;
            // A line break inside the value would end the group.
            QString string = t.String;
            string.replace(QLatin1Char('\r'), QLatin1Char(' '));
            string.replace(QLatin1Char('\n'), QLatin1Char(' '));
            // Readers trim value lines: a text of blanks would not come back.
            if (dxf::isBlankText(string)) return;
            o.s("0\nTEXT\n8\n").bytes(layer).s("\n10\n").d(t.x).s("\n20\n").d(t.y).s("\n30\n0.0\n");
            o.s("40\n")
                .d(t.Height > 0 ? t.Height : 2.5)
                .s("\n1\n")
                .bytes(toSystemBytes(string))
                .s("\n");
            if (t.Angle != 0) o.s("50\n").d(t.Angle).s("\n");
            return;
        }
        case ShapeClass::Rectangle: {
            const auto& r = static_cast<const TNRectangle&>(s);
            if (type != shape_type::Rectangle || !finite({r.x1, r.y1, r.x2, r.y2})) return;
            o.s("0\nPOLYLINE\n8\n").bytes(layer).s("\n66\n1\n70\n1\n");
            vertex(o, layer, r.x1, r.y1);
            vertex(o, layer, r.x2, r.y1);
            vertex(o, layer, r.x2, r.y2);
            vertex(o, layer, r.x1, r.y2);
            o.s("0\nSEQEND\n8\n").bytes(layer).s("\n");
            return;
        }
        case ShapeClass::Ellipse: {
            const auto& e = static_cast<const TNEllipse&>(s);
            if (type != shape_type::Ellipse || !finite({e.x1, e.y1, e.x2, e.y2})) return;
            const double r = (std::fabs(e.x2 - e.x1) / 2 + std::fabs(e.y2 - e.y1) / 2) / 2;
            circle(o, layer, (e.x1 + e.x2) / 2, (e.y1 + e.y2) / 2, r);
            return;
        }
        case ShapeClass::Polyline: {
            const auto& p = static_cast<const TNPolyline&>(s);
            if ((type != shape_type::Polyline && type != shape_type::Polygon) || p.Points.empty())
                return;
            for (const QPointF& v : p.Points) {
                if (!finite({v.x(), v.y()})) return;
            }
            o.s("0\nPOLYLINE\n8\n").bytes(layer).s("\n66\n1\n70\n").s(p.Closed ? "1" : "0").s("\n");
            for (const QPointF& v : p.Points)
                vertex(o, layer, v.x(), v.y());
            o.s("0\nSEQEND\n8\n").bytes(layer).s("\n");
            return;
        }
        case ShapeClass::Arc:
            return;
    }
}

template <class Sink>
bool writeAll(const CanvasDocument& doc, Sink&& sink) {
    std::string buf;
    buf.reserve(kFlushAt + 64 * 1024);
    Out o(buf);
    const ViewWindow& v = doc.View;
    o.s("0\nSECTION\n2\nHEADER\n");
    o.s("9\n$ACADVER\n1\nAC1009\n");
    o.s("9\n$INSBASE\n10\n0.0\n20\n0.0\n30\n0.0\n");
    o.s("9\n$EXTMIN\n10\n").d(v.WorldLeft).s("\n20\n").d(v.WorldBottom).s("\n30\n0.0\n");
    o.s("9\n$EXTMAX\n10\n").d(v.WorldRight).s("\n20\n").d(v.WorldTop).s("\n30\n0.0\n");
    o.s("0\nENDSEC\n");

    const std::vector<QString> names = DxfWriter::dxfLayerNames(doc);
    std::unordered_map<int, QByteArray> layerBytes;
    o.s("0\nSECTION\n2\nTABLES\n");
    o.s("0\nTABLE\n2\nLAYER\n70\n").i(static_cast<long long>(doc.Layers().size())).s("\n");
    for (std::size_t k = 0; k < names.size(); ++k) {
        const QByteArray bytes = toSystemBytes(names[k]);
        layerBytes.emplace(doc.Layers()[k]->Id(), bytes);
        o.s("0\nLAYER\n2\n").bytes(bytes).s("\n70\n0\n62\n7\n6\nCONTINUOUS\n");
    }
    o.s("0\nENDTAB\n0\nENDSEC\n");

    o.s("0\nSECTION\n2\nENTITIES\n");
    const QByteArray noLayer("0");
    int lastLayer = -1;
    const QByteArray* lastBytes = &noLayer;
    for (const TNShape& s : doc.Shapes()) {
        if (!s.Visible) continue;
        if (s.Layer() != lastLayer) {
            const auto it = layerBytes.find(s.Layer());
            lastBytes = it == layerBytes.end() ? &noLayer : &it->second;
            lastLayer = s.Layer();
        }
        writeShape(o, s, *lastBytes);
        if (buf.size() >= kFlushAt) {
            if (!sink(std::string_view(buf))) return false;
            buf.clear();
        }
    }
    o.s("0\nENDSEC\n0\nEOF\n");
    return sink(std::string_view(buf));
}

}  // namespace

std::vector<QString> DxfWriter::dxfLayerNames(const CanvasDocument& doc) {
    std::vector<QString> names;
    names.reserve(doc.Layers().size());
    QSet<QString> used;  // upper case, as CAD programs compare layer names
    for (const auto& layer : doc.Layers()) {
        const QString base = validLayerName(layer->Name());
        QString name = base;
        for (int n = 2; used.contains(name.toUpper()); ++n)
            name = base + QLatin1Char('_') + QString::number(n);
        used.insert(name.toUpper());
        names.push_back(name);
    }
    return names;
}

std::string DxfWriter::text(const CanvasDocument& doc) {
    std::string all;
    writeAll(doc, [&all](std::string_view piece) {
        all.append(piece);
        return true;
    });
    return all;
}

bool DxfWriter::write(QIODevice& out, const CanvasDocument& doc) {
    report_ = {};
    const bool ok = writeAll(doc, [&out](std::string_view piece) {
        return out.write(piece.data(), static_cast<qint64>(piece.size())) ==
               static_cast<qint64>(piece.size());
    });
    if (!ok) report_.error = QStringLiteral("cannot write the drawing: %1").arg(out.errorString());
    return ok;
}

}  // namespace nivora
