#include "sim/survey_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nivora::sim {

SurveyPlan::SurveyPlan(const SurveyArea& area, double lineSpacing, double speedMps)
    : speed_(std::max(0.1, speedMps)) {
    const double pi = std::numbers::pi;
    const double spacing = std::max(1.0, lineSpacing);
    // An even number of lines ends the last one in the south, next to the
    // way back to the first.
    lines_ = std::max(2, static_cast<int>(std::floor(area.width() / spacing)) + 1);
    if (lines_ % 2) --lines_;
    const double r = spacing / 2;
    // Turns stay inside the area: lines end a turning radius from its edges.
    const double south = area.minNorthing + r, north = std::max(south + 1, area.maxNorthing - r);
    const double length = north - south;
    auto x = [&](int i) { return area.minEasting + r + i * spacing; };
    for (int k = 0; k < lines_; ++k) {
        const bool northbound = k % 2 == 0;
        addStraight(x(k), northbound ? south : north, northbound ? 0 : 180, length);
        if (k + 1 < lines_) {
            // Half a circle onto the next line: over the top going north, under the bottom going
            // south.
            addTurn(x(k) + r, northbound ? north : south, r, pi, northbound ? -pi : pi);
        }
    }
    // Back along the southern edge to the start of the first line.
    const double last = x(lines_ - 1);
    addTurn(last - r, south, r, 0, -pi / 2);
    addStraight(last - r, south - r, 270, std::max(0.0, last - x(0) - 2 * r));
    addTurn(x(0) + r, south, r, -pi / 2, -pi / 2);
}

void SurveyPlan::addStraight(double x0, double y0, double heading, double length) {
    Segment s;
    s.x0 = x0;
    s.y0 = y0;
    s.heading = heading;
    s.length = length;
    s.startS = total_;
    segments_.push_back(s);
    total_ += length;
}

void SurveyPlan::addTurn(double cx, double cy, double radius, double startAngle, double sweep) {
    Segment s;
    s.arc = true;
    s.x0 = cx;
    s.y0 = cy;
    s.radius = radius;
    s.startAngle = startAngle;
    s.sweep = sweep;
    s.length = std::abs(sweep) * radius;
    s.startS = total_;
    segments_.push_back(s);
    total_ += s.length;
}

VesselPose SurveyPlan::at(double seconds) const {
    const double pi = std::numbers::pi;
    double s = std::fmod(std::max(0.0, seconds) * speed_, total_);
    const auto it =
        std::upper_bound(segments_.begin(), segments_.end(), s,
                         [](double value, const Segment& seg) { return value < seg.startS; });
    const Segment& seg = *(it == segments_.begin() ? it : it - 1);
    const double along = s - seg.startS;
    VesselPose p;
    if (!seg.arc) {
        const double h = seg.heading * pi / 180;
        p.easting = seg.x0 + along * std::sin(h);
        p.northing = seg.y0 + along * std::cos(h);
        p.heading = seg.heading;
        p.onLine = seg.length > 0;
        return p;
    }
    const double a = seg.startAngle + (seg.sweep > 0 ? 1 : -1) * along / seg.radius;
    p.easting = seg.x0 + seg.radius * std::cos(a);
    p.northing = seg.y0 + seg.radius * std::sin(a);
    // The tangent: counter-clockwise travel heads along (-sin a, cos a), clockwise the opposite
    // way.
    const double dx = seg.sweep > 0 ? -std::sin(a) : std::sin(a);
    const double dy = seg.sweep > 0 ? std::cos(a) : -std::cos(a);
    double h = std::atan2(dx, dy) * 180 / pi;
    if (h < 0) h += 360;
    p.heading = h;
    return p;
}

}  // namespace nivora::sim
