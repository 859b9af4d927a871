#include "guidance/survey_line_layer.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "canvas/canvas_document.h"
#include "files/runlines.h"

namespace nivora {
namespace {

// A name belongs to the line whose start it is anchored at (to the millimetre).
constexpr double kAnchorTolerance = 1e-3;

bool sameAnchor(QPointF a, double x, double y) {
    return std::abs(a.x() - x) <= kAnchorTolerance && std::abs(a.y() - y) <= kAnchorTolerance;
}

std::vector<std::int32_t> layerIdsInOrder(const CanvasDocument& doc, int layer) {
    std::vector<std::int32_t> ids;
    if (const auto* on = doc.LayerShapeIds(layer)) ids = *on;
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The name texts of the run-line layer by anchor, so that finding the name
// of each of ten thousand lines stays a search, not a scan.
class NameTexts {
  public:
    struct Name {
        double x, y;
        QString text;
        std::int32_t id;
    };
    NameTexts(const CanvasDocument& doc, int layer) {
        for (std::int32_t id : layerIdsInOrder(doc, layer)) {
            const TNShape* s = doc.FindShape(id);
            if (!s || s->Class() != ShapeClass::Text) continue;
            const auto& t = static_cast<const TNText&>(*s);
            if (!t.String.trimmed().isEmpty()) names_.push_back({t.x, t.y, t.String.trimmed(), id});
        }
        std::stable_sort(names_.begin(), names_.end(),
                         [](const Name& a, const Name& b) { return a.x < b.x; });
    }
    // The first text (in drawing order) anchored at the point, by value: the
    // index is often a temporary.
    std::optional<Name> at(QPointF p) const {
        auto it = std::lower_bound(names_.begin(), names_.end(), p.x() - kAnchorTolerance,
                                   [](const Name& n, double x) { return n.x < x; });
        for (; it != names_.end() && it->x <= p.x() + kAnchorTolerance; ++it) {
            if (sameAnchor(p, it->x, it->y)) return *it;
        }
        return std::nullopt;
    }

  private:
    std::vector<Name> names_;
};

// The name text of a line, 0 for none.
std::int32_t nameTextOf(const CanvasDocument& doc, const SurveyLine& line) {
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0 || line.points.empty()) return 0;
    const auto n = NameTexts(doc, layer).at(line.start());
    return n ? n->id : 0;
}

// A name text that reads well beside a line of this length. It runs along
// the line, so that the names of lines side by side never overlap.
double nameHeight(double length) {
    return std::clamp(length / 60.0, 1.0, 20.0);
}

double nameAngle(const SurveyLine& line) {
    return 90.0 - line.bearingDeg();
}

void addNameText(CanvasDocument& doc, int layer, const SurveyLine& line, const QString& name) {
    const int current = doc.CurrentLayer;
    const std::int32_t id = doc.TextAdd(layer, name, line.start().x(), line.start().y(), -1);
    doc.CurrentLayer = current;
    if (auto* t = dynamic_cast<TNText*>(doc.FindShape(id))) {
        t->Height = nameHeight(line.length());
        t->Angle = nameAngle(line);
        t->VAlign = 2;
        doc.Dirty = true;
    }
}

}  // namespace

std::vector<QPointF> lineVertices(const CanvasDocument& doc, std::int32_t shapeId) {
    const TNShape* s = doc.FindShape(shapeId);
    if (!s) return {};
    if (s->Class() == ShapeClass::Line) {
        const auto& l = static_cast<const TNLine&>(*s);
        return {QPointF(l.x1, l.y1), QPointF(l.x2, l.y2)};
    }
    if (s->Class() == ShapeClass::Polyline && s->ShapeType() == shape_type::Polyline) {
        const auto& p = static_cast<const TNPolyline&>(*s);
        if (!p.Closed) return p.Points;
    }
    return {};
}

std::vector<SurveyLine> readSurveyLines(const CanvasDocument& doc) {
    std::vector<SurveyLine> lines;
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0) return lines;
    const std::vector<std::int32_t> ids = layerIdsInOrder(doc, layer);
    const NameTexts names(doc, layer);
    std::set<QString> used;
    for (std::int32_t id : ids) {
        std::vector<QPointF> points = lineVertices(doc, id);
        // A line without length has no direction to guide along.
        points.erase(std::unique(points.begin(), points.end()), points.end());
        if (points.size() < 2) continue;
        SurveyLine line;
        line.points = std::move(points);
        line.shapeId = id;
        if (const auto n = names.at(line.start())) {
            line.name = n->text;
            line.nameStored = true;
        }
        if (!line.name.isEmpty()) used.insert(line.name);
        lines.push_back(std::move(line));
    }
    int number = 0;
    for (SurveyLine& line : lines) {
        if (!line.name.isEmpty()) continue;
        do {
            line.name = defaultLineName(++number);
        } while (used.count(line.name));
        used.insert(line.name);
    }
    return lines;
}

bool nameSurveyLines(CanvasDocument& doc, const std::vector<SurveyLine>& lines) {
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0) return false;
    const NameTexts names(doc, layer);
    bool added = false;
    for (const SurveyLine& line : lines) {
        if (line.points.empty() || names.at(line.start())) continue;
        addNameText(doc, layer, line, line.name);
        added = true;
    }
    return added;
}

void renameSurveyLine(CanvasDocument& doc, const SurveyLine& line, const QString& name) {
    if (line.points.empty()) return;
    if (const std::int32_t old = nameTextOf(doc, line)) doc.ShapeDelete(old);
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer >= 0) addNameText(doc, layer, line, name);
}

bool moveSurveyLineName(CanvasDocument& doc, QPointF from, const SurveyLine& line) {
    const int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0 || line.points.empty()) return false;
    const auto n = NameTexts(doc, layer).at(from);
    if (!n || n->text != line.name) return false;
    doc.ShapeTranslate(n->id, line.start().x() - from.x(), line.start().y() - from.y());
    if (auto* t = dynamic_cast<TNText*>(doc.FindShape(n->id))) t->Angle = nameAngle(line);
    return true;
}

bool swapSurveyLine(CanvasDocument& doc, const SurveyLine& line) {
    TNShape* s = doc.FindShape(line.shapeId);
    if (!s) return false;
    const std::int32_t name = nameTextOf(doc, line);
    if (s->Class() == ShapeClass::Line) {
        auto& l = static_cast<TNLine&>(*s);
        std::swap(l.x1, l.x2);
        std::swap(l.y1, l.y2);
    } else if (s->Class() == ShapeClass::Polyline) {
        auto& p = static_cast<TNPolyline&>(*s);
        std::reverse(p.Points.begin(), p.Points.end());
    } else {
        return false;
    }
    s->UpdateBounds();
    doc.Dirty = true;
    if (name) {
        doc.ShapeTranslate(name, line.end().x() - line.start().x(),
                           line.end().y() - line.start().y());
        SurveyLine swapped = line;
        swapped.swap();
        if (auto* t = dynamic_cast<TNText*>(doc.FindShape(name))) t->Angle = nameAngle(swapped);
    }
    return true;
}

std::int32_t markAsSurveyLine(CanvasDocument& doc, std::int32_t shapeId) {
    const std::vector<QPointF> points = lineVertices(doc, shapeId);
    if (points.size() < 2) return 0;
    const int current = doc.CurrentLayer;
    int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0) layer = doc.LayerOpen(kRunlineLayerName);
    const std::int32_t id = doc.DrawPolyline(points, layer, false);
    doc.CurrentLayer = current;
    return id > 0 ? id : 0;
}

}  // namespace nivora
