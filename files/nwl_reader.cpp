// Reading the layout file.

#include <QIODevice>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/canvas_document.h"
#include "core/system_text.h"
#include "files/nwl_file.h"
#include "files/text_fields.h"
#include "files/zlib_stream.h"

namespace nivora {
namespace {

using files::FieldReader;
using files::LineCursor;

QString systemText(std::string_view bytes) {
    return fromSystemBytes(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// Font names are written with no-break spaces for their blanks.
QString fontName(std::string_view word) {
    QString name = systemText(word);
    name.replace(QChar(0x00A0), QLatin1Char(' '));
    return name;
}

enum class Keyword {
    Other,
    World,
    Layer,
    LayerState,
    Line,
    Circle,
    Point,
    Text,
    Polyline,
    Polygon,
    Spline,
    Arc3p,
    Rectangle,
    Ellipse,
    Arc
};

Keyword keywordOf(std::string_view w) {
    switch (w.size()) {
        case 3:
            if (w == "ARC") return Keyword::Arc;
            break;
        case 4:
            if (w == "LINE") return Keyword::Line;
            if (w == "TEXT") return Keyword::Text;
            break;
        case 5:
            if (w == "WORLD") return Keyword::World;
            if (w == "LAYER") return Keyword::Layer;
            if (w == "POINT") return Keyword::Point;
            if (w == "ARC3P") return Keyword::Arc3p;
            break;
        case 6:
            if (w == "CIRCLE") return Keyword::Circle;
            if (w == "SPLINE") return Keyword::Spline;
            break;
        case 7:
            if (w == "POLYGON") return Keyword::Polygon;
            if (w == "ELLIPSE") return Keyword::Ellipse;
            break;
        case 8:
            if (w == "POLYLINE") return Keyword::Polyline;
            break;
        case 9:
            if (w == "RECTANGLE") return Keyword::Rectangle;
            break;
        case 10:
            if (w == "LAYERSTATE") return Keyword::LayerState;
            break;
        default:
            break;
    }
    return Keyword::Other;
}

std::string_view stripCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

std::string sizeText(std::size_t bytes) {
    if (bytes < (std::size_t{1} << 20)) return std::to_string(bytes) + " bytes";
    char text[32];
    const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(bytes) / 1048576.0,
                                 std::chars_format::fixed, 1);
    return std::string(text, r.ptr) + " MB";
}

// The pen of a record whose shape the canvas made: kept unless a colour is given.
void applyPen(CanvasDocument& doc, std::int32_t id, TColor color, std::int32_t width) {
    if (color == 0) return;
    if (TNShape* s = doc.FindShape(id)) {
        s->PenFg = color;
        s->PenWidth = width;
    }
}

}  // namespace

bool NwlReader::extractBody(std::string_view file, std::string& storage, std::string_view& body,
                            std::string& error, std::size_t maxBody) {
    if (file.size() >= 4 && std::memcmp(file.data(), kNwlMagic, 4) == 0) {
        if (!files::inflateAll(file.substr(4), storage, maxBody, error)) {
            if (error == "the drawing is too large")
                error += ": it unpacks to more than " + sizeText(maxBody);
            return false;
        }
        body = storage;
        return true;
    }
    if (file.size() > maxBody) {
        error = "the drawing is too large";
        return false;
    }
    // Anything else must read as a layout from its first record on: a
    // picture or a newer format read as text would replace the drawing
    // with nothing.
    if (file.size() >= 4 && file.substr(0, 3) == "NWL" && file[3] >= '0' && file[3] <= '9') {
        error = "the layout is in a newer format (" + std::string(file.substr(0, 4)) +
                ") than this program reads";
        return false;
    }
    if (!startsWithRecord(file)) {
        error = file.empty() ? "the file is empty"
                             : "not a layout file: it starts neither with \"NWL1\" nor with a "
                               "layout record";
        return false;
    }
    body = file;
    return true;
}

bool NwlReader::startsWithRecord(std::string_view body) {
    LineCursor lines(body);
    std::string_view line;
    while (lines.next(line)) {
        line = stripCr(line);
        if (line.empty() || line.front() == '#') continue;
        FieldReader f(line);
        return keywordOf(f.word()) != Keyword::Other;
    }
    return false;
}

// Walks the records as parseBody does, without building anything, and stops
// at the first limit passed.
bool NwlReader::fitsBudget(std::string_view body, const LoadBudget& budget, QString& error) {
    LineCursor lines(body);
    std::string_view line;
    std::int64_t shapes = 0, vertices = 0;
    while (lines.next(line)) {
        line = stripCr(line);
        if (line.empty() || line.front() == '#') continue;
        FieldReader f(line);
        switch (keywordOf(f.word())) {
            case Keyword::Other:
            case Keyword::World:
                continue;
            case Keyword::Polyline:
            case Keyword::Polygon:
            case Keyword::Spline:
            case Keyword::Arc3p: {
                std::int32_t layer = 0, count = 0;
                f >> layer >> count;
                std::string_view v;
                for (std::int32_t k = 0; k < count && lines.next(v); ++k) {
                    if (++vertices > budget.maxVertices) {
                        error = budget.tooManyVertices();
                        return false;
                    }
                }
                break;
            }
            default:  // one shape, or a layer, which weighs about as much
                break;
        }
        if (++shapes > budget.maxShapes) {
            error = budget.tooManyShapes();
            return false;
        }
    }
    return true;
}

bool NwlReader::read(QIODevice& in, CanvasDocument& doc) {
    report_ = {};
    const std::int64_t limit =
        std::min(static_cast<std::int64_t>(std::min<std::size_t>(maxBody_, INT64_MAX)),
                 budget_.maxFileBytes);
    QByteArray file;
    if (!readWithin(in, limit, file, report_.error)) return false;
    std::string storage;
    std::string_view body;
    std::string error;
    if (!extractBody(std::string_view(file.constData(), static_cast<std::size_t>(file.size())),
                     storage, body, error, static_cast<std::size_t>(limit))) {
        report_.error = QString::fromStdString(error);
        return false;
    }
    if (!fitsBudget(body, budget_, report_.error)) return false;
    if (!append_) doc.ResetDrawing();
    parseBody(body, doc);
    doc.Refresh();
    return true;
}

void NwlReader::parseBody(std::string_view body, CanvasDocument& doc) {
    // A shape's layer is the file's layer id, the place of its LAYER record
    // (the program writes its layers in id order and never removes one). Added
    // to a drawing that has layers already, those records open other ids:
    // the shapes follow them, so that they stay on the layer of their name.
    std::vector<int> layerIds;
    const auto fileLayer = [&layerIds](std::int32_t id) {
        return id >= 0 && static_cast<std::size_t>(id) < layerIds.size()
                   ? layerIds[static_cast<std::size_t>(id)]
                   : id;
    };
    LineCursor lines(body);
    std::string_view line;
    std::uint32_t records = 0;
    while (lines.next(line)) {
        if (++records % 4096 == 0 && !goOn(static_cast<double>(line.data() - body.data()) /
                                           static_cast<double>(body.size())))
            return;
        line = stripCr(line);
        if (line.empty() || line.front() == '#') continue;
        FieldReader f(line);
        const Keyword key = keywordOf(f.word());
        switch (key) {
            case Keyword::Other:
                break;
            case Keyword::World: {
                double left = 0, right = 0, bottom = 0, top = 0;
                f >> left >> right >> bottom >> top;
                doc.View.WorldLeft = left;
                doc.View.WorldRight = right;
                doc.View.WorldBottom = bottom;
                doc.View.WorldTop = top;
                break;
            }
            case Keyword::Layer: {
                // The name is the rest of the line after one blank, so names with blanks survive.
                std::string_view name = f.rest();
                if (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
                    name.remove_prefix(1);
                layerIds.push_back(doc.LayerOpen(systemText(name)));
                break;
            }
            case Keyword::LayerState: {
                // Shown and locked, of the LAYER record before it.
                std::int32_t visible = 1, locked = 0;
                f >> visible >> locked;
                TNLayer* layer = layerIds.empty() ? nullptr : doc.FindLayer(layerIds.back());
                if (layer) {
                    layer->Visible = visible != 0;
                    layer->Locked = locked != 0;
                }
                break;
            }
            case Keyword::Line: {
                double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                std::int32_t layer = 0, width = 1;
                TColor color = 0;
                f >> x1 >> y1 >> x2 >> y2 >> layer >> color >> width;
                layer = fileLayer(layer);
                applyPen(doc, doc.DrawLine(x1, y1, x2, y2, layer), color, width);
                break;
            }
            case Keyword::Circle: {
                double cx = 0, cy = 0, r = 0;
                std::int32_t layer = 0, width = 1;
                TColor color = 0;
                f >> cx >> cy >> r >> layer >> color >> width;
                layer = fileLayer(layer);
                applyPen(doc, doc.DrawCircle(cx, cy, r, layer), color, width);
                break;
            }
            case Keyword::Point: {
                double x = 0, y = 0, z = 0;
                std::int32_t layer = 0, width = 1;
                TColor color = 0;
                f >> x >> y >> layer >> color >> width >> z;
                layer = fileLayer(layer);
                auto p = std::make_unique<TNPoint>(x, y);
                p->Z = z;
                p->Size = 3;
                p->PenFg = color;
                p->PenWidth = width;
                doc.AddShape(std::move(p), layer);
                break;
            }
            case Keyword::Text: {
                double x = 0, y = 0, height = 10.0, angle = 0;
                std::int32_t layer = 0, fontIndex = 0, bold = 0, italic = 0;
                TColor color = 0;
                f >> x >> y >> layer >> fontIndex >> color >> height >> angle >> bold >> italic;
                layer = fileLayer(layer);
                std::string_view font;
                std::string_view text;
                if (!f.failed()) {
                    font = f.word();
                    text = f.rest();
                    if (!text.empty() && text.front() == ' ') text.remove_prefix(1);
                }
                const std::int32_t id = doc.TextAdd(layer, systemText(text), x, y, fontIndex);
                TNShape* shape = doc.FindShape(id);
                if (!shape || shape->Class() != ShapeClass::Text) break;
                auto* t = static_cast<TNText*>(shape);
                if (color != 0) t->PenFg = color;
                t->Height = height;
                t->Angle = angle;
                t->Bold = bold != 0;
                t->Italic = italic != 0;
                if (!font.empty() && font != "0") t->FontName = fontName(font);
                break;
            }
            case Keyword::Polyline:
            case Keyword::Polygon:
            case Keyword::Spline:
            case Keyword::Arc3p: {
                std::int32_t layer = 0, count = 0, width = 1;
                TColor color = 0;
                f >> layer >> count >> color >> width;
                layer = fileLayer(layer);
                const bool closed = key == Keyword::Polygon;
                const int type = key == Keyword::Polygon  ? shape_type::Polygon
                                 : key == Keyword::Spline ? shape_type::Curve
                                 : key == Keyword::Arc3p  ? shape_type::Arc
                                                          : shape_type::Polyline;
                auto p = std::make_unique<TNPolyline>(type, closed);
                if (color != 0) {
                    p->PenFg = color;
                    p->PenWidth = width;
                }
                // The vertex lines follow whatever they contain; a count larger
                // than the lines left stops at the end of the body.
                for (std::int32_t k = 0; k < count; ++k) {
                    std::string_view v;
                    if (!lines.next(v)) {
                        report_.warning =
                            QStringLiteral("a vertex list ends early (%1 of %2 vertices)")
                                .arg(k)
                                .arg(count);
                        report_.line = lines.lineNo();
                        break;
                    }
                    double x = 0, y = 0;
                    FieldReader vf(v);
                    vf >> x >> y;
                    p->Points.emplace_back(x, y);
                }
                doc.AddShape(std::move(p), layer);
                break;
            }
            case Keyword::Rectangle: {
                double x1 = 0, y1 = 0, x2 = 0, y2 = 0, z = 0;
                std::int32_t layer = 0, width = 1, brushStyle = 0;
                TColor color = 0, brush = 0;
                f >> x1 >> y1 >> x2 >> y2 >> layer >> color >> width >> brush >> brushStyle >> z;
                layer = fileLayer(layer);
                auto r = std::make_unique<TNRectangle>(x1, y1, x2, y2);
                r->Rounded = false;
                r->CornerRadius = 10.0;
                r->PenFg = color;
                r->PenWidth = width;
                r->BrushFg = brush;
                r->BrushStyle = static_cast<std::uint8_t>(brushStyle);
                r->Z = z;
                doc.AddShape(std::move(r), layer);
                break;
            }
            case Keyword::Ellipse: {
                double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
                std::int32_t layer = 0, width = 1;
                TColor color = 0;
                f >> x1 >> y1 >> x2 >> y2 >> layer >> color >> width;
                layer = fileLayer(layer);
                auto e = std::make_unique<TNEllipse>(x1, y1, x2, y2);
                if (color != 0) {
                    e->PenFg = color;
                    e->PenWidth = width;
                }
                doc.AddShape(std::move(e), layer);
                break;
            }
            case Keyword::Arc: {
                double x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
                std::int32_t layer = 0, width = 1;
                TColor color = 0;
                f >> x1 >> y1 >> x2 >> y2 >> x3 >> y3 >> layer >> color >> width;
                layer = fileLayer(layer);
                auto a = std::make_unique<TNArc>(x1, y1, x2, y2, x3, y3);
                if (color != 0) {
                    a->PenFg = color;
                    a->PenWidth = width;
                }
                doc.AddShape(std::move(a), layer);
                break;
            }
        }
    }
}

}  // namespace nivora
