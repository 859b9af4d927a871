// Writing the layout file.

#include <QIODevice>
#include <charconv>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "core/system_text.h"
#include "files/nwl_file.h"
#include "files/zlib_stream.h"

namespace nivora {
namespace {

constexpr std::size_t kFlushAt = 256 * 1024;

// A layer name, font name or text must stay on its record's line: a line
// break inside it would end the record and could start another one.
QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// The font name is one word of the TEXT record. Blanks inside it are written
// as no-break spaces and an empty name as "0" (which keeps the font table's
// name), so the text after it is never shifted into or out of the name.
QString fontWord(const QString& name) {
    if (name.isEmpty()) return QStringLiteral("0");
    QString word = oneLine(name);
    word.replace(QLatin1Char(' '), QChar(0x00A0));
    word.replace(QLatin1Char('\t'), QChar(0x00A0));
    return word;
}

class Body {
  public:
    Body(const std::function<bool(std::string_view)>& sink) : sink_(sink) {
        out_.reserve(kFlushAt + 4096);
    }

    Body& key(const char* keyword) {
        out_.append(keyword);
        return *this;
    }
    Body& d(double v) {
        out_.push_back(' ');
        appendFixed(out_, v, 6);
        return *this;
    }
    // The first field of a line, without the separating blank.
    Body& first(double v) {
        appendFixed(out_, v, 6);
        return *this;
    }
    Body& i(long long v) {
        out_.push_back(' ');
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        out_.append(buf, r.ptr);
        return *this;
    }
    Body& text(const QByteArray& bytes) {
        out_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        return *this;
    }
    Body& raw(std::string_view s) {
        out_.append(s);
        return *this;
    }
    bool endLine() {
        out_.push_back('\n');
        if (out_.size() >= kFlushAt) return flush();
        return ok_;
    }
    bool flush() {
        if (ok_ && !out_.empty()) ok_ = sink_(out_);
        out_.clear();
        return ok_;
    }

  private:
    const std::function<bool(std::string_view)>& sink_;
    std::string out_;
    bool ok_ = true;
};

// A shape's layer in the file is the place of its layer's LAYER record; a
// layer removed or moved in the drawing keeps its id there, not its place.
class FileLayers {
  public:
    explicit FileLayers(const CanvasDocument& doc) : doc_(doc) {}
    long long of(int layer) const {
        const int position = doc_.LayerPosition(layer);
        return position < 0 ? layer : position;
    }

  private:
    const CanvasDocument& doc_;
};

void pen(Body& b, const TNShape& s, const FileLayers& layers) {
    b.i(layers.of(s.Layer())).i(s.PenFg).i(s.PenWidth);
}

bool writeShape(Body& b, const TNShape& s, const FileLayers& layers) {
    const int type = s.ShapeType();
    switch (s.Class()) {
        case ShapeClass::Line: {
            if (type != shape_type::Line) return true;
            const auto& l = static_cast<const TNLine&>(s);
            b.key("LINE").d(l.x1).d(l.y1).d(l.x2).d(l.y2);
            pen(b, s, layers);
            return b.endLine();
        }
        case ShapeClass::Circle: {
            if (type != shape_type::Circle) return true;
            const auto& c = static_cast<const TNCircle&>(s);
            b.key("CIRCLE").d(c.cx).d(c.cy).d(c.radius);
            pen(b, s, layers);
            return b.endLine();
        }
        case ShapeClass::Point: {
            if (type != shape_type::Point) return true;
            const auto& p = static_cast<const TNPoint&>(s);
            b.key("POINT").d(p.x).d(p.y);
            pen(b, s, layers);
            b.d(p.Z);
            return b.endLine();
        }
        case ShapeClass::Text: {
            if (type != shape_type::Text) return true;
            const auto& t = static_cast<const TNText&>(s);
            b.key("TEXT")
                .d(t.x)
                .d(t.y)
                .i(layers.of(t.Layer()))
                .i(t.FontIndex)
                .i(t.PenFg)
                .d(t.Height)
                .d(t.Angle);
            b.i(t.Bold ? 1 : 0)
                .i(t.Italic ? 1 : 0)
                .raw(" ")
                .text(toSystemBytes(fontWord(t.FontName)));
            b.raw(" ").text(toSystemBytes(oneLine(t.String)));
            return b.endLine();
        }
        case ShapeClass::Rectangle: {
            if (type != shape_type::Rectangle) return true;
            const auto& r = static_cast<const TNRectangle&>(s);
            b.key("RECTANGLE").d(r.x1).d(r.y1).d(r.x2).d(r.y2);
            pen(b, s, layers);
            b.i(r.BrushFg).i(r.BrushStyle).d(r.Z);
            return b.endLine();
        }
        case ShapeClass::Ellipse: {
            if (type != 4 && type != shape_type::Ellipse) return true;
            const auto& e = static_cast<const TNEllipse&>(s);
            b.key("ELLIPSE").d(e.x1).d(e.y1).d(e.x2).d(e.y2);
            pen(b, s, layers);
            return b.endLine();
        }
        case ShapeClass::Arc: {
            // Written so that a saved drawing keeps its arcs; the reader knows the record.
            if (type != shape_type::Arc) return true;
            const auto& a = static_cast<const TNArc&>(s);
            b.key("ARC").d(a.x1).d(a.y1).d(a.x2).d(a.y2).d(a.x3).d(a.y3);
            pen(b, s, layers);
            return b.endLine();
        }
        case ShapeClass::Polyline: {
            const auto& p = static_cast<const TNPolyline&>(s);
            const char* key = nullptr;
            if (type == shape_type::Curve) {
                key = "SPLINE";
            } else if (type == shape_type::Arc) {
                key = "ARC3P";
            } else if (type == shape_type::Polyline || type == shape_type::Polygon) {
                key = p.Closed ? "POLYGON" : "POLYLINE";
            } else {
                return true;
            }
            b.key(key)
                .i(layers.of(p.Layer()))
                .i(static_cast<long long>(p.Points.size()))
                .i(p.PenFg)
                .i(p.PenWidth);
            if (!b.endLine()) return false;
            for (const QPointF& v : p.Points) {
                b.first(v.x()).d(v.y());
                if (!b.endLine()) return false;
            }
            return true;
        }
    }
    return true;
}

}  // namespace

NwlWriter::NwlWriter(Container container, QDateTime created)
    : container_(container), created_(std::move(created)) {}

std::string NwlWriter::createdLine(const QDateTime& created) {
    const QDate d = created.date();
    const QTime t = created.time();
    char buf[96];
    auto two = [](char* p, int v) {
        p[0] = static_cast<char>('0' + (v / 10) % 10);
        p[1] = static_cast<char>('0' + v % 10);
    };
    std::string line = "# Created on: ";
    auto r = std::to_chars(buf, buf + sizeof buf, d.year());
    line.append(buf, r.ptr);
    const int parts[] = {d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec() / 10};
    const char seps[] = {'-', '-', ' ', ':', ':', '.'};
    for (int k = 0; k < 6; ++k) {
        line.push_back(seps[k]);
        two(buf, parts[k]);
        line.append(buf, 2);
    }
    return line;
}

bool NwlWriter::writeBody(const CanvasDocument& doc, const QDateTime& created,
                          const std::function<bool(std::string_view)>& sink) {
    Body b(sink);
    b.raw("# Nivora Wayline - NWL");
    b.endLine();
    b.raw("# ").raw(kNwlMaker);
    b.endLine();
    b.raw(createdLine(created));
    b.endLine();
    b.raw("#");
    b.endLine();
    const ViewWindow& v = doc.View;
    b.key("WORLD").d(v.WorldLeft).d(v.WorldRight).d(v.WorldBottom).d(v.WorldTop);
    if (!b.endLine()) return false;
    for (const auto& layer : doc.Layers()) {
        b.key("LAYER ").text(toSystemBytes(oneLine(layer->Name())));
        if (!b.endLine()) return false;
        // Readers that do not know the record pass over it.
        if (!layer->Visible || layer->Locked) {
            b.key("LAYERSTATE").i(layer->Visible ? 1 : 0).i(layer->Locked ? 1 : 0);
            if (!b.endLine()) return false;
        }
    }
    const FileLayers layers(doc);
    for (const TNShape& s : doc.Shapes()) {
        if (!writeShape(b, s, layers)) return false;
    }
    return b.flush();
}

std::string NwlWriter::body(const CanvasDocument& doc, const QDateTime& created) {
    std::string all;
    writeBody(doc, created, [&all](std::string_view piece) {
        all.append(piece);
        return true;
    });
    return all;
}

bool NwlWriter::write(QIODevice& out, const CanvasDocument& doc) {
    report_ = {};
    auto put = [&out](std::string_view piece) {
        return out.write(piece.data(), static_cast<qint64>(piece.size())) ==
               static_cast<qint64>(piece.size());
    };
    bool ok = false;
    if (container_ == Container::PlainText) {
        ok = writeBody(doc, created_, put);
    } else {
        // The text is made while the previous pieces are compressed.
        ok = put(std::string_view(kNwlMagic, 4));
        if (ok) {
            files::BackgroundDeflater deflater(put);
            const bool made = writeBody(
                doc, created_, [&deflater](std::string_view piece) { return deflater.add(piece); });
            ok = deflater.finish() && made;
        }
    }
    if (!ok) report_.error = QStringLiteral("cannot write the layout: %1").arg(out.errorString());
    return ok;
}

}  // namespace nivora
