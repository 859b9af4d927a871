#include "guidance/line_guidance.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace nivora {

LineGuidance guideAlong(const SurveyLine& line, double x, double y,
                        std::optional<double> courseGridDeg, double speedMps) {
    LineGuidance g;
    const std::vector<QPointF>& p = line.points;
    const std::size_t segments = p.size() < 2 ? 0 : p.size() - 1;
    // The nearest segment, measured to the segment itself (its ends
    // included); the first and last stand for the line beyond its ends.
    double best = std::numeric_limits<double>::infinity();
    double bestAlong = 0, bestCross = 0, total = 0;
    std::size_t bestSegment = 0;
    for (std::size_t k = 0; k < segments; ++k) {
        const double dx = p[k + 1].x() - p[k].x(), dy = p[k + 1].y() - p[k].y();
        const double len = std::hypot(dx, dy);
        if (len == 0) continue;
        const double ux = dx / len, uy = dy / len;
        const double rx = x - p[k].x(), ry = y - p[k].y();
        const double t = rx * ux + ry * uy;
        // Starboard of a direction (ux, uy) is (uy, -ux).
        const double cross = rx * uy - ry * ux;
        const bool first = k == 0, last = k + 1 == segments;
        const double clamped = (t < 0 && !first) ? 0 : (t > len && !last) ? len : t;
        const double beyond = t < 0 ? -t : t > len ? t - len : 0;
        const double d =
            (t < 0 && !first) || (t > len && !last) ? std::hypot(cross, beyond) : std::abs(cross);
        // The later segment takes a tie: at a corner the boat steers on.
        if (d <= best) {
            best = d;
            bestSegment = k;
            bestAlong = total + clamped;
            bestCross = cross;
        }
        total += len;
    }
    g.lengthM = total;
    g.segment = static_cast<int>(bestSegment);
    g.crossTrackM = bestCross;
    g.alongM = bestAlong;
    g.beforeStart = bestAlong < 0;
    g.pastEnd = bestAlong > total;
    g.toGoM = g.pastEnd ? 0 : total - std::max(0.0, bestAlong);
    g.toStartM = g.beforeStart ? std::hypot(x - p[0].x(), y - p[0].y()) : 0;
    if (segments) {
        const QPointF a = p[bestSegment], b = p[bestSegment + 1];
        g.bearingDeg = gridBearingDeg(b.x() - a.x(), b.y() - a.y());
    }
    if (courseGridDeg) {
        const double error = angleDifferenceDeg(*courseGridDeg, g.bearingDeg);
        g.courseErrorDeg = error;
        g.withinGate = std::abs(error) <= kGuidanceGateDeg;
        const double made = speedMps * std::cos(error * std::numbers::pi / 180.0);
        // Below a few centimetres a second the boat is not going anywhere.
        if (made > 0.05) g.timeToGoS = (g.toGoM + std::max(0.0, -bestAlong)) / made;
    }
    return g;
}

}  // namespace nivora
