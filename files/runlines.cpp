#include "files/runlines.h"

#include <cmath>

#include "canvas/canvas_document.h"
#include "core/number_text.h"

namespace nivora {
namespace {

constexpr double kShortSegment = 0.001;

struct Vec {
    double x = 0;
    double y = 0;
};

// Left-hand unit normal of the segment a → b; zero for a segment shorter than 1 mm.
Vec leftNormal(const QPointF& a, const QPointF& b) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double len = std::hypot(dx, dy);
    if (!(len >= kShortSegment)) return {};
    return {-dy / len, dx / len};
}

class Budget {
  public:
    bool take(std::size_t vertices) {
        if (lines_ + 1 > kMaxRunlines || vertices_ + vertices > kMaxRunlineVertices) return false;
        ++lines_;
        vertices_ += vertices;
        return true;
    }

  private:
    std::size_t lines_ = 0;
    std::size_t vertices_ = 0;
};

void perpendicular(const std::vector<QPointF>& route, Runlines& out) {
    Budget budget;
    for (std::size_t k = 0; k + 1 < route.size(); ++k) {
        const QPointF& a = route[k];
        const double dx = route[k + 1].x() - a.x();
        const double dy = route[k + 1].y() - a.y();
        const double len = std::hypot(dx, dy);
        if (!(len >= kShortSegment)) continue;
        const double nx = -dy / len;
        const double ny = dx / len;
        // Stations restart at 0 on every segment; d is computed, not summed,
        // so a long segment does not drift.
        for (std::size_t i = 0;; ++i) {
            const double d = static_cast<double>(i) * out.spacing;
            if (!(d <= len)) break;
            if (!budget.take(2)) {
                out.truncated = true;
                return;
            }
            const double sx = a.x() + d * dx / len;
            const double sy = a.y() + d * dy / len;
            out.lines.push_back({QPointF(sx + out.length * nx, sy + out.length * ny),
                                 QPointF(sx - out.length * nx, sy - out.length * ny)});
        }
    }
}

void parallel(const std::vector<QPointF>& route, Runlines& out) {
    const std::size_t n = route.size();
    std::vector<Vec> dir(n);
    dir[0] = leftNormal(route[0], route[1]);
    dir[n - 1] = leftNormal(route[n - 2], route[n - 1]);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const Vec in = leftNormal(route[i - 1], route[i]);
        const Vec outgoing = leftNormal(route[i], route[i + 1]);
        Vec m{(in.x + outgoing.x) / 2, (in.y + outgoing.y) / 2};
        const double len = std::hypot(m.x, m.y);
        if (len >= kShortSegment) m = {m.x / len, m.y / len};
        dir[i] = m;
    }
    const double ratio = std::trunc(out.length / out.spacing);
    Budget budget;
    for (double j = 1; j <= ratio; ++j) {
        const double o = j * out.spacing;
        for (const double side : {1.0, -1.0}) {
            if (!budget.take(n)) {
                out.truncated = true;
                return;
            }
            std::vector<QPointF> line;
            line.reserve(n);
            for (std::size_t i = 0; i < n; ++i) {
                line.emplace_back(route[i].x() + side * o * dir[i].x,
                                  route[i].y() + side * o * dir[i].y);
            }
            out.lines.push_back(std::move(line));
        }
    }
}

double positiveOr(const QString& text, double fallback) {
    const std::optional<double> v = toNumber(text);
    return v && *v > 0 ? *v : fallback;
}

}  // namespace

Runlines GenerateRunlines(const std::vector<QPointF>& route, const QString& spacingText,
                          const QString& lengthText, RunlineType type) {
    Runlines out;
    if (route.size() < 2) return out;
    out.spacing = positiveOr(spacingText, 10.0);
    out.length = positiveOr(lengthText, 100.0);
    if (type == RunlineType::Perpendicular) {
        perpendicular(route, out);
    } else {
        parallel(route, out);
    }
    return out;
}

QString runlineLogText(const QString& spacingText, const QString& lengthText) {
    return QStringLiteral("Runlines generated - Spacing: ") + spacingText +
           QStringLiteral(", Length: ") + lengthText;
}

int placeRunlines(CanvasDocument& doc, const std::vector<QPointF>& route,
                  const Runlines& runlines) {
    int layer = doc.LayerFindByName(kRunlineLayerName);
    if (layer < 0) layer = doc.LayerOpen(kRunlineLayerName);
    doc.CadClearShapes(layer);
    doc.DrawPolyline(route, layer, false);
    for (const auto& line : runlines.lines)
        doc.DrawPolyline(line, layer, false);
    return layer;
}

}  // namespace nivora
