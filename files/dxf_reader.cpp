// ASCII DXF import: the sections, the layer table, the blocks and the
// summary. The entities are read in dxf_entities.cpp.
//
// The file is read into memory once and walked as pairs of lines (group code,
// value). Records are read group by group and passed over group by group,
// so a value line that reads "0" inside a record can never be taken for the
// start of the next one.

#include "files/dxf_reader.h"

#include <QFileDevice>
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

void Import::add(std::unique_ptr<TNShape> shape, int layer) {
    if (doc_.AddShape(std::move(shape), layer) >= 0) ++imported_;
}

void Import::addPolyline(std::vector<QPointF>&& points, bool closed, const Common& c) {
    const int layer = layerId(c.layer);
    auto p =
        std::make_unique<TNPolyline>(closed ? shape_type::Polygon : shape_type::Polyline, closed);
    p->Points = std::move(points);
    p->PenFg = colorFor(c.color, layer);
    add(std::move(p), layer);
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
        more = forEachGroup(lines, type, [&](int code, std::string_view v) {
            if (code == 2) name = v;
            if (code == 62) color = leadingInt(v);
        });
        if (name.empty()) continue;
        const QString layerName = dxf::decodeName(name);
        int id = doc_.LayerFindByName(layerName);
        if (id < 0) id = doc_.LayerOpen(layerName);
        if (const auto c = dxf::colorOfIndex(color)) {
            if (TNLayer* l = doc_.FindLayer(id)) l->PenFg = *c;
        }
    }
}

void Import::readBlocks(const char* start) {
    Lines lines(file_);
    lines.seek(start);
    std::string_view type;
    if (!skipRecord(lines, type)) return;
    TNBlock* block = nullptr;
    bool more = true;
    while (more && type != "ENDSEC") {
        if (type == "BLOCK") {
            std::string_view name;
            double bx = 0, by = 0;
            more = forEachGroup(lines, type, [&](int code, std::string_view v) {
                if (code == 2) name = v;
                if (code == 10) bx = num(v);
                if (code == 20) by = num(v);
            });
            block = doc_.AddBlock(std::make_unique<TNBlock>(dxf::decodeName(name), bx, by));
        } else if (type == "LINE" && block) {
            LineEnds e;
            more = readLineEnds(lines, type, e, [](int, std::string_view) {});
            block->Shapes.push_back(std::make_unique<TNLine>(e.x1, e.y1, e.x2, e.y2));
        } else {
            if (type == "ENDBLK") block = nullptr;
            more = skipRecord(lines, type);
        }
    }
}

void Import::readEntities(const char* start) {
    Lines lines(file_);
    lines.seek(start);
    std::string_view type;
    if (!skipRecord(lines, type)) return;
    bool more = true;
    while (more && type != "ENDSEC")
        more = entity(lines, type);
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
    if (sections.tables) readLayers(sections.tables);
    if (sections.blocks) readBlocks(sections.blocks);
    readEntities(sections.entities);

    if (imported_ == 0) {
        report_.message = QStringLiteral("DXF load failed: No entities found");
        report_.error = QStringLiteral("no entities found");
    } else {
        report_.message = summary();
    }
    if (insertsLeftOut_ > 0) {
        report_.warning = QStringLiteral("%1 block inserts left out: more than %2 block lines")
                              .arg(insertsLeftOut_)
                              .arg(maxInsertLines_);
        report_.message += QLatin1Char('\n') + report_.warning;
    }
    doc_.WorldExtents();
    doc_.Refresh();
    return imported_ > 0;
}

}  // namespace dxf

bool DxfReader::readBytes(std::string_view file, CanvasDocument& doc) {
    report_ = {};
    dxf::Import import(file, doc, report_, maxInsertLines_);
    const bool ok = import.run();
    imported_ = import.imported();
    return ok;
}

bool DxfReader::read(QIODevice& in, CanvasDocument& doc) {
    report_ = {};
    imported_ = 0;
    const QByteArray file = in.readAll();
    if (const auto* fd = qobject_cast<const QFileDevice*>(&in);
        fd && fd->error() != QFileDevice::NoError) {
        report_.error = QStringLiteral("cannot read the drawing: %1").arg(fd->errorString());
        return false;
    }
    return readBytes(std::string_view(file.constData(), static_cast<std::size_t>(file.size())),
                     doc);
}

}  // namespace nivora
