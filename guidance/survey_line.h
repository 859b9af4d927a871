#pragma once

// Survey lines: the planned lines a boat runs one by one. A line has a name,
// its vertices in the direction it is run (start first), and the chart
// shape it comes from. Cross-track error, along-track distance and the rest
// of the guidance are computed against it, on the grid, in metres.

#include <QPointF>
#include <QString>
#include <cstdint>
#include <vector>

namespace nivora {

struct SurveyLine {
    QString name;
    std::vector<QPointF> points;  // two or more, start first
    std::int32_t shapeId = 0;     // the chart shape it was read from, 0 for none
    bool nameStored = false;      // its name is on the chart (else a default, not yet written)

    QPointF start() const { return points.front(); }
    QPointF end() const { return points.back(); }
    double length() const;
    // Grid bearing of the first segment, degrees clockwise from grid north.
    double bearingDeg() const;
    // The same line run the other way.
    void swap();
};

// Degrees clockwise from grid north of the direction (dx, dy), 0 <= b < 360.
double gridBearingDeg(double dx, double dy);
// The difference a - b folded into -180 < d <= 180.
double angleDifferenceDeg(double a, double b);

// "L001", "L002", ... in plan order (the 1-based number).
QString defaultLineName(int number);

}  // namespace nivora
