#include "guidance/survey_line.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nivora {

double SurveyLine::length() const {
    double total = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        total += std::hypot(points[i].x() - points[i - 1].x(), points[i].y() - points[i - 1].y());
    return total;
}

double SurveyLine::bearingDeg() const {
    if (points.size() < 2) return 0;
    return gridBearingDeg(points[1].x() - points[0].x(), points[1].y() - points[0].y());
}

void SurveyLine::swap() {
    std::reverse(points.begin(), points.end());
}

double gridBearingDeg(double dx, double dy) {
    double b = std::atan2(dx, dy) * 180.0 / std::numbers::pi;
    if (b < 0) b += 360.0;
    return b >= 360.0 ? 0.0 : b;
}

double angleDifferenceDeg(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d <= -180.0) d += 360.0;
    if (d > 180.0) d -= 360.0;
    return d;
}

QString defaultLineName(int number) {
    return QStringLiteral("L%1").arg(number, 3, 10, QLatin1Char('0'));
}

}  // namespace nivora
