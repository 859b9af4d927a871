// ASCII DXF import: the sections, the layer table, the blocks and the
// summary. The entities are read in dxf_entities.cpp.
//
// The file is read into memory once and walked as pairs of lines (group code,
// value). Records are read group by group and passed over group by group,
// so a value line that reads "0" inside a record can never be taken for the
// start of the next one. A line out of place (a value broken over two lines,
// a blank line) would turn every later pair around: the reader goes on at
// the next "0" line followed by a record type, leaves out the record that
// line cut short, and warns once with the line number.

#include "files/dxf_reader.h"

#include <QIODevice>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "files/dxf_import.h"
#include "files/dxf_text.h"

namespace nivora {
namespace dxf {

// The first "0" / "SECTION" / any line / NAME of each section we read,
// found line by line so that a file with stray lines still finds them.
Sections Import::findSections() const {
    Sections s;
    Lines lines(file_);
    std::string_view l;
    while (lines.next(l)) {
        if (l != "0") continue;
        const char* after = lines.pos();
        std::string_view sectionWord, skipped, name;
        if (!lines.next(sectionWord) || sectionWord != "SECTION" || !lines.next(skipped) ||
            !lines.next(name)) {
            lines.seek(after);
            continue;
        }
        const char** slot = name == "ENTITIES" ? &s.entities
                            : name == "TABLES" ? &s.tables
                            : name == "BLOCKS" ? &s.blocks
                                               : nullptr;
        if (slot && !*slot) {
            *slot = lines.pos();
        } else if (!slot) {
            lines.seek(after);
        }
        if (s.entities && s.tables && s.blocks) break;
    }
    return s;
}

int Import::layerId(std::string_view raw) {
    if (lastLayerId_ >= 0 && raw == lastLayerRaw_) return lastLayerId_;
    int id = -1;
    if (const auto it = layerIds_.find(raw); it != layerIds_.end()) {
        id = it->second;
    } else {
        const QString name = dxf::decodeName(raw);
        id = doc_.LayerFindByName(name);
        if (id < 0) id = doc_.LayerOpen(name);
        layerIds_.emplace(raw, id);
    }
    lastLayerRaw_ = raw;
    lastLayerId_ = id;
    return id;
}

TColor Import::layerColor(int layer) const {
    const TNLayer* l = doc_.FindLayer(layer);
    return l ? l->PenFg : 0;
}

TColor Import::colorFor(int index, int layer) const {
    if (const auto c = dxf::colorOfIndex(index)) return *c;
    return layerColor(layer);
}

bool Import::keep() {
    if (!reading_ || reading_->cuts() == recordCuts_) return true;
    if (!recordLeftOut_) ++leftOut_;
    recordLeftOut_ = true;
    return false;
}

void Import::add(std::unique_ptr<TNShape> shape, int layer) {
    if (!keep()) return;
    if (doc_.AddShape(std::move(shape), layer) >= 0) ++imported_;
}

void Import::addPolyline(std::vector<QPointF>&& points, bool closed, const Common& c) {
    if (!keep()) return;
    const int layer = layerId(c.layer);
    auto p =
        std::make_unique<TNPolyline>(closed ? shape_type::Polygon : shape_type::Polyline, closed);
    p->Points = std::move(points);
    p->PenFg = colorFor(c.color, layer);
    add(std::move(p), layer);
}

bool Import::fitsBudget(const Sections& sections) {
    std::int64_t shapes = 0, vertices = 0;
    auto within = [&] {
        if (shapes > budget_.maxShapes) {
            report_.error = budget_.tooManyShapes();
            return false;
        }
        if (vertices > budget_.maxVertices) {
            report_.error = budget_.tooManyVertices();
            return false;
        }
        return true;
    };
    // Layers and blocks weigh about as much as a shape.
    if (sections.tables) {
        Lines lines(file_);
        lines.seek(sections.tables);
        std::string_view type;
        bool more = skipRecord(lines, type);
        while (more && type != "ENDSEC") {
            if (type == "LAYER") ++shapes;
            more = skipRecord(lines, type);
        }
    }
    // Lines of the first block of each name, which is the one INSERTs find.
    std::unordered_map<std::string_view, std::int64_t> fileBlocks;
    if (sections.blocks) {
        Lines lines(file_);
        lines.seek(sections.blocks);
        std::string_view type;
        bool more = skipRecord(lines, type);
        bool inBlock = false;
        std::int64_t* first = nullptr;
        while (more && type != "ENDSEC") {
            if (type == "BLOCK") {
                std::string_view name;
                more = forEachGroup(lines, type, [&](int code, std::string_view v) {
                    if (code == 2) name = v;
                });
                ++shapes;
                inBlock = true;
                const auto [it, fresh] = fileBlocks.try_emplace(name, 0);
                first = fresh ? &it->second : nullptr;
                continue;
            }
            if (type == "LINE" && inBlock) {
                ++shapes;
                if (first) ++*first;
            } else if (type == "ENDBLK") {
                inBlock = false;
                first = nullptr;
            }
            more = skipRecord(lines, type);
        }
    }
    std::unordered_map<std::string_view, std::int64_t> insertLines;
    auto linesPerInsert = [&](std::string_view name) -> std::int64_t {
        if (const auto it = insertLines.find(name); it != insertLines.end()) return it->second;
        std::int64_t n = 0;
        if (const TNBlock* b = doc_.FindBlock(dxf::decodeName(name))) {
            for (const auto& s : b->Shapes) {
                if (s->ShapeType() == shape_type::Line && s->Class() == ShapeClass::Line) ++n;
            }
        } else if (const auto it = fileBlocks.find(name); it != fileBlocks.end()) {
            n = it->second;
        }
        insertLines.emplace(name, n);
        return n;
    };

    Lines lines(file_);
    lines.seek(sections.entities);
    std::string_view type;
    bool more = skipRecord(lines, type);
    std::int64_t inserted = 0;
    while (more && type != "ENDSEC") {
        const std::string_view t = type;
        std::int64_t tens = 0;
        std::string_view name;
        more = forEachGroup(lines, type, [&](int code, std::string_view v) {
            if (code == 10) ++tens;
            if (code == 2) name = v;
        });
        if (t == "LINE" || t == "CIRCLE" || t == "POINT" || t == "TEXT" || t == "MTEXT" ||
            t == "POLYLINE") {
            ++shapes;
        } else if (t == "ARC" || t == "ELLIPSE" || t == "SOLID" || t == "TRACE") {
            ++shapes;
            vertices += 37;  // the most any of them makes
        } else if (t == "SPLINE" || t == "LWPOLYLINE") {
            ++shapes;
            vertices += tens;
        } else if (t == "VERTEX") {
            ++vertices;
        } else if (t == "INSERT") {
            const std::int64_t n = linesPerInsert(name);
            if (inserted + n <= maxInsertLines_) {
                inserted += n;
                shapes += n;
            }
        }
        if (!within()) return false;
    }
    return within();
}

void Import::readLayers(const char* start) {
    Lines lines(file_);
    lines.seek(start);
    std::string_view type;
    if (!skipRecord(lines, type)) return;
    bool more = true;
    while (more && type != "ENDSEC") {
        if (type != "LAYER") {
            more = skipRecord(lines, type);
            continue;
        }
        std::string_view name;
        int color = -1;
        const std::int64_t cuts = lines.cuts();
        more = forEachGroup(lines, type, [&](int code, std::string_view v) {
            if (code == 2) name = v;
            if (code == 62) color = leadingInt(v);
        });
        if (lines.cuts() != cuts) {
            ++leftOut_;
            continue;
        }
        if (name.empty()) continue;
        const QString layerName = dxf::decodeName(name);
        int id = doc_.LayerFindByName(layerName);
        if (id < 0) id = doc_.LayerOpen(layerName);
        if (const auto c = dxf::colorOfIndex(color)) {
            if (TNLayer* l = doc_.FindLayer(id)) l->PenFg = *c;
        }
    }
    noteStrays(lines);
}

void Import::readBlocks(const char* start) {
    Lines lines(file_);
    lines.seek(start);
    std::string_view type;
    if (!skipRecord(lines, type)) return;
    TNBlock* block = nullptr;
    bool more = true;
    while (more && type != "ENDSEC") {
        const std::int64_t cuts = lines.cuts();
        if (type == "BLOCK") {
            std::string_view name;
            double bx = 0, by = 0;
            more = forEachGroup(lines, type, [&](int code, std::string_view v) {
                if (code == 2) name = v;
                if (code == 10) bx = num(v);
                if (code == 20) by = num(v);
            });
            // A damaged header leaves its lines out with it.
            if (lines.cuts() != cuts) {
                ++leftOut_;
                block = nullptr;
            } else {
                block = doc_.AddBlock(std::make_unique<TNBlock>(dxf::decodeName(name), bx, by));
            }
        } else if (type == "LINE" && block) {
            LineEnds e;
            more = readLineEnds(lines, type, e, [](int, std::string_view) {});
            if (lines.cuts() != cuts) {
                ++leftOut_;
            } else {
                block->Shapes.push_back(std::make_unique<TNLine>(e.x1, e.y1, e.x2, e.y2));
            }
        } else {
            if (type == "ENDBLK") block = nullptr;
            more = skipRecord(lines, type);
        }
    }
    noteStrays(lines);
}

void Import::readEntities(const char* start) {
    Lines lines(file_);
    lines.seek(start);
    std::string_view type;
    if (!skipRecord(lines, type)) return;
    bool more = true;
    const double span = static_cast<double>(file_.data() + file_.size() - start);
    std::uint32_t records = 0;
    while (more && type != "ENDSEC") {
        if (progress_ && ++records % 4096 == 0 &&
            !progress_(static_cast<double>(lines.pos() - start) / span))
            break;
        reading_ = &lines;
        recordCuts_ = lines.cuts();
        recordLeftOut_ = false;
        more = entity(lines, type);
    }
    reading_ = nullptr;
    noteStrays(lines);
}

void Import::noteStrays(const Lines& lines) {
    if (lines.strays() == 0) return;
    if (strays_ == 0) firstStrayLine_ = lines.firstStrayLine();
    strays_ += lines.strays();
}

void Import::strayWarning() {
    if (strays_ == 0) return;
    QString text = strays_ == 1
                       ? QStringLiteral(
                             "line %1 is out of place (a value broken over two lines, or a blank "
                             "line); reading went on at the next record")
                             .arg(firstStrayLine_)
                       : QStringLiteral(
                             "%1 lines are out of place (a value broken over two lines, or a "
                             "blank line), the first at line %2; reading went on at the next "
                             "record each time")
                             .arg(strays_)
                             .arg(firstStrayLine_);
    if (leftOut_ > 0) {
        text += leftOut_ == 1
                    ? QStringLiteral("; 1 record cut short by it was left out")
                    : QStringLiteral("; %1 records cut short were left out").arg(leftOut_);
    }
    report_.warning = text;
    report_.line = firstStrayLine_;
}

QString Import::summary() const {
    std::int64_t lines = 0, circles = 0, texts = 0, polylines = 0;
    const TNText* first = nullptr;
    for (const TNShape& s : doc_.Shapes()) {
        switch (s.ShapeType()) {
            case shape_type::Line:
                ++lines;
                break;
            case shape_type::Circle:
                ++circles;
                break;
            case shape_type::Text:
                ++texts;
                break;
            case shape_type::Polyline:
            case shape_type::Polygon:
                ++polylines;
                break;
            default:
                break;
        }
        if (!first && s.Class() == ShapeClass::Text) first = static_cast<const TNText*>(&s);
    }
    QString text =
        QStringLiteral(
            "DXF loaded: %1 entities\nLines: %2, Circles: %3, Texts: %4, Polylines: %5\nBlocks: %6")
            .arg(imported_)
            .arg(lines)
            .arg(circles)
            .arg(texts)
            .arg(polylines)
            .arg(static_cast<qint64>(doc_.Blocks().size()));
    if (first) {
        text += QStringLiteral("\nFirst text: '") + first->String + QStringLiteral("' FontSize=") +
                QString::fromStdString(formatGeneral15(first->Height));
    }
    return text;
}

bool Import::run() {
    if (file_.substr(0, kBinarySentinel.size()) == kBinarySentinel) {
        report_.error =
            QStringLiteral("binary DXF is not supported; save the drawing as ASCII DXF");
        report_.message = QStringLiteral("DXF load failed: ") + report_.error;
        return false;
    }
    // A byte-order mark would hide the first group code.
    if (file_.substr(0, 3) == "\xEF\xBB\xBF") file_.remove_prefix(3);

    const Sections sections = findSections();
    if (!sections.entities) {
        report_.message = QStringLiteral("DXF load failed: ENTITIES section not found");
        report_.error = QStringLiteral("ENTITIES section not found");
        return false;
    }
    if (!fitsBudget(sections)) {
        report_.message = QStringLiteral("DXF load failed: ") + report_.error;
        return false;
    }
    if (sections.tables) readLayers(sections.tables);
    if (sections.blocks) readBlocks(sections.blocks);
    readEntities(sections.entities);

    if (imported_ == 0) {
        report_.message = QStringLiteral("DXF load failed: No entities found");
        report_.error = QStringLiteral("no entities found");
    } else {
        report_.message = summary();
    }
    strayWarning();
    if (insertsLeftOut_ > 0) {
        const QString inserts =
            QStringLiteral("%1 block inserts left out: more than %2 block lines")
                .arg(insertsLeftOut_)
                .arg(maxInsertLines_);
        report_.warning += report_.warning.isEmpty() ? inserts : QLatin1Char('\n') + inserts;
    }
    if (!report_.warning.isEmpty()) report_.message += QLatin1Char('\n') + report_.warning;
    doc_.WorldExtents();
    doc_.Refresh();
    return imported_ > 0;
}

}  // namespace dxf

bool DxfReader::readBytes(std::string_view file, CanvasDocument& doc) {
    report_ = {};
    dxf::Import import(file, doc, report_, maxInsertLines_, budget_);
    import.setProgress([this](double share) { return goOn(share);
});
const bool ok = import.run();
imported_ = import.imported();
return ok;
}  // namespace nivora

bool DxfReader::read(QIODevice& in, CanvasDocument& doc) {
    report_ = {};
    imported_ = 0;
    QByteArray file;
    if (!readWithin(in, budget_.maxFileBytes, file, report_.error)) {
        report_.message = QStringLiteral("DXF load failed: ") + report_.error;
        return false;
    }
    return readBytes(std::string_view(file.constData(), static_cast<std::size_t>(file.size())),
                     doc);
}

}  // namespace nivora
