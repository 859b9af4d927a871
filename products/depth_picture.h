#pragma once

// The survey's depths on the chart: the coverage grid drawn under the
// shapes, the soundings as depth-coloured points over them, and the colour
// range the legend explains. Both are drawn by writing pixels into one
// client-sized image, so a rebuild costs the covered cells and the points in
// view, not a QPainter call each.

#include <QImage>
#include <QPointF>
#include <array>
#include <cstdint>
#include <vector>

#include "canvas/chart_layer_painter.h"
#include "canvas/depth_palette.h"
#include "products/coverage_grid.h"
#include "products/depth_histogram.h"

namespace nivora {

struct DepthPictureSettings {
    bool showSoundings = true;
    bool showGrid = true;
    DepthPaletteKind palette = DepthPaletteKind::Rainbow;
    bool autoRange = true;  // from the survey's depths, else shallow..deep
    double shallowM = 0;
    double deepM = 30;
    double cellSizeM = 5;
    GridStatistic statistic = GridStatistic::Mean;
    int pointPx = 4;  // side of a sounding's dot

    bool operator==(const DepthPictureSettings&) const = default;
};

class DepthPicture : public ChartLayerPainter {
  public:
    // Past this the points are thinned to every other one (the grid keeps all).
    static constexpr std::size_t kMaxPoints = 4'000'000;
    // The automatic range leaves out this share of the depths at each end.
    static constexpr double kOutlierShare = 0.005;

    DepthPicture();

    const DepthPictureSettings& settings() const { return settings_; }
    // A new cell size builds the grid again from the points kept.
    void setSettings(const DepthPictureSettings& s);
    void setNight(bool night);

    // A sounding at a grid position; `depth` + down (non-finite: left out).
    void add(double easting, double northing, double depth);
    // Soundings from before these (the day's logs read at start): their
    // points go first, their cells are merged.
    void addOlder(const CoverageGrid& grid, const std::vector<QPointF>& points,
                  const std::vector<float>& depths);
    void clear();

    const CoverageGrid& grid() const { return grid_; }
    std::size_t pointCount() const { return depths_.size(); }
    // The colours in use: the set range, or the middle 99% of the survey's
    // depths rounded outwards.
    const DepthColours& colours() const { return colours_; }
    // Grows when anything drawn has changed.
    std::uint64_t version() const { return version_; }

    void paintUnderShapes(QPainter& painter, const ViewWindow& view) override;
    void paintOverShapes(QPainter& painter, const ViewWindow& view) override;

  private:
    void updateColours();
    void regrid();
    void thinPoints();
    QImage& canvasImage(const ViewWindow& view);

    DepthPictureSettings settings_;
    bool night_ = false;
    CoverageGrid grid_;
    // Points relative to the first, as floats: millimetres at 100 km.
    bool hasOrigin_ = false;
    double originX_ = 0, originY_ = 0;
    std::vector<float> xs_, ys_, depths_;
    DepthHistogram spread_;  // every sounding's depth, thinned points too
    DepthColours colours_;
    std::uint64_t version_ = 0;
    QImage image_;
    struct DotPixel {
        int x, y;  // top left
        QRgb colour;
    };
    std::vector<DotPixel> dots_;  // kept between paints: no allocation per rebuild
};

}  // namespace nivora
