#include "sim/survey_plan.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nivora::sim {

SurveyPlan::SurveyPlan(const SurveyArea& area, double lineSpacing, double speedMps, Wander wander)
    : speed_(std::max(0.1, speedMps)), wander_(wander) {
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
        addStraight(x(k), northbound ? south : north, northbound ? 0 : 180, length, k);
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

SurveyPlan::SurveyPlan(const std::vector<PlanLine>& lines, double speedMps, Wander wander)
    : speed_(std::max(0.1, speedMps)), wander_(wander) {
    const double pi = std::numbers::pi;
    auto heading = [pi](double dx, double dy) {
        double h = std::atan2(dx, dy) * 180 / pi;
        return h < 0 ? h + 360 : h;
    };
    // Each line run from the end nearer to where the last one ended, as a
    // surveyor runs them back and forth, with a straight run-in before it and
    // a run-out after it on its own direction.
    constexpr double kRunInOut = 20;
    std::vector<PlanLine> runs;
    for (const PlanLine& l : lines) {
        if (l.size() < 2) continue;
        PlanLine run = l;
        if (!runs.empty()) {
            const auto& at = runs.back().back();
            const double toStart =
                std::hypot(l.front().first - at.first, l.front().second - at.second);
            const double toEnd = std::hypot(l.back().first - at.first, l.back().second - at.second);
            if (toEnd < toStart) std::reverse(run.begin(), run.end());
        }
        runs.push_back(std::move(run));
    }
    lines_ = static_cast<int>(runs.size());
    // Where the run-in of a line begins and the run-out of a line ends.
    auto outward = [](const std::pair<double, double>& from, const std::pair<double, double>& to,
                      double by) {
        const double dx = to.first - from.first, dy = to.second - from.second;
        const double len = std::max(std::hypot(dx, dy), 1e-9);
        return std::make_pair(to.first + dx / len * by, to.second + dy / len * by);
    };
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const PlanLine& l = runs[i];
        const auto runInFrom = outward(l[1], l[0], kRunInOut);
        addStraight(runInFrom.first, runInFrom.second,
                    heading(l[0].first - runInFrom.first, l[0].second - runInFrom.second),
                    kRunInOut);
        double along = 0;
        for (std::size_t k = 0; k + 1 < l.size(); ++k) {
            const double dx = l[k + 1].first - l[k].first, dy = l[k + 1].second - l[k].second;
            const double len = std::hypot(dx, dy);
            if (len == 0) continue;
            addStraight(l[k].first, l[k].second, heading(dx, dy), len, static_cast<int>(i), along);
            along += len;
        }
        const auto runOutTo = outward(l[l.size() - 2], l.back(), kRunInOut);
        addStraight(l.back().first, l.back().second,
                    heading(runOutTo.first - l.back().first, runOutTo.second - l.back().second),
                    kRunInOut);
        // Over to the run-in of the next line (the first after the last).
        const PlanLine& next = runs[(i + 1) % runs.size()];
        const auto nextFrom = outward(next[1], next[0], kRunInOut);
        const double dx = nextFrom.first - runOutTo.first, dy = nextFrom.second - runOutTo.second;
        if (std::hypot(dx, dy) > 0)
            addStraight(runOutTo.first, runOutTo.second, heading(dx, dy), std::hypot(dx, dy));
    }
    if (segments_.empty()) addStraight(0, 0, 0, 1);
}

std::vector<PlanLine> SurveyPlan::lines() const {
    std::vector<PlanLine> out;
    const double pi = std::numbers::pi;
    for (const Segment& s : segments_) {
        if (s.arc || s.line < 0) continue;
        const double h = s.heading * pi / 180;
        const std::pair<double, double> a{s.x0, s.y0},
            b{s.x0 + s.length * std::sin(h), s.y0 + s.length * std::cos(h)};
        if (static_cast<int>(out.size()) <= s.line)
            out.resize(static_cast<std::size_t>(s.line) + 1);
        PlanLine& l = out[static_cast<std::size_t>(s.line)];
        if (l.empty()) l.push_back(a);
        l.push_back(b);
    }
    return out;
}

void SurveyPlan::addStraight(double x0, double y0, double heading, double length, int line,
                             double lineS) {
    Segment s;
    s.line = line;
    s.lineS = lineS;
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
        p.line = seg.line;
        if (seg.line >= 0 && wander_.amplitude != 0 && wander_.wavelength > 0) {
            // Off to starboard, (cos h, -sin h), by the wander at this distance along the line.
            const double k = 2 * pi / wander_.wavelength;
            const double w = wander_.amplitude * std::sin(k * (seg.lineS + along));
            const double slope = wander_.amplitude * k * std::cos(k * (seg.lineS + along));
            p.easting += w * std::cos(h);
            p.northing -= w * std::sin(h);
            p.crossTrack = w;
            p.heading = std::fmod(seg.heading + std::atan(slope) * 180 / pi + 360, 360);
        }
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
