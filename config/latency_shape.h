#pragma once

// The two small windows: the latency watch (how long a real-time cycle
// takes against a tolerance) and the vessel geometry of the symbol drawn at
// the antenna.

#include <QString>
#include <optional>
#include <vector>

#include "config/ini_table.h"
#include "core/colors.h"

namespace nivora {

class IniStore;

class LatencyModel {
  public:
    static constexpr TColor kWithinColour = 65280;  // green
    static constexpr TColor kOverColour = 255;      // red

    QString tolerance = QStringLiteral("500");  // eLatencyTol, ms

    // One measured cycle, ms.
    void record(qint64 ms);
    qint64 current() const { return current_; }
    double average() const { return average_; }
    qint64 count() const { return count_; }
    QString currentText() const { return QString::number(current_); }
    QString averagedText() const;  // 1 decimal
    // The group's colour after a measurement (none before the first).
    std::optional<TColor> colour() const;

    // The field changed; returns whether it holds an integer to store.
    bool setToleranceText(const QString& text);

    void load(const IniStore& ini);
    void save(IniStore& ini) const;
    static const std::vector<IniKey<LatencyModel>>& keys();

  private:
    qint64 current_ = 0;
    double average_ = 0;
    qint64 count_ = 0;
    int toleranceMs_ = 500;  // the last tolerance that was a number
};

// The symbol's dimensions as numbers.
struct VesselShape {
    int circles = 2;
    double circleInterval = 10;  // m, radius step
    double firstRadius = 10;     // m
    double bowLength = 100;      // m, longitudinal arrow length
    double sideLength = 0;       // m, sideward arrow length
};

class VesselShapeModel {
  public:
    // Drawing more circles than this every tick would only stall the map.
    static constexpr int kMaxCircles = 1000;

    QString circles = QStringLiteral("2");          // edAmount
    QString circleInterval = QStringLiteral("10");  // edInterval
    QString firstRadius = QStringLiteral("10");     // edRadious
    QString bowLength = QStringLiteral("100");      // edBArrow
    QString sideLength = QStringLiteral("0");       // edLArrow

    // The "Default" button.
    void defaults();
    // The fields as numbers, or nothing with the conversion error.
    std::optional<VesselShape> values(QString* error = nullptr) const;

    void load(const IniStore& ini);
    // "Save && Hide": the field texts in table order.
    void save(IniStore& ini) const;
    static const std::vector<IniKey<VesselShapeModel>>& keys();
};

// The vessel symbol in grid coordinates: an arrow from the antenna to the
// bow with its base through the antenna, and concentric circles.
struct VesselSymbol {
    struct Line {
        double x1, y1, x2, y2;
    };
    std::vector<Line> lines;    // P-B, P-P+, P-P-, P+-B, P--B
    std::vector<double> radii;  // circles about the antenna
};
VesselSymbol vesselSymbol(double easting, double northing, double gridHeadingDeg,
                          const VesselShape& shape);

}  // namespace nivora
