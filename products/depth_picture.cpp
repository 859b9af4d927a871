#include "products/depth_picture.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace nivora {

DepthPicture::DepthPicture() : grid_(settings_.cellSizeM) {
    updateColours();
}

void DepthPicture::setSettings(const DepthPictureSettings& s) {
    if (s == settings_) return;
    const bool newCells = CoverageGrid::clampedCellSize(s.cellSizeM) != grid_.cellSize();
    settings_ = s;
    settings_.pointPx = std::clamp(settings_.pointPx, 1, 12);
    if (settings_.statistic == GridStatistic::Count) settings_.statistic = GridStatistic::Mean;
    if (newCells) regrid();
    updateColours();
    ++version_;
}

void DepthPicture::setNight(bool night) {
    if (night == night_) return;
    night_ = night;
    updateColours();
    ++version_;
}

void DepthPicture::add(double easting, double northing, double depth) {
    if (!std::isfinite(easting) || !std::isfinite(northing) || !std::isfinite(depth)) return;
    grid_.add(easting, northing, depth);
    if (!hasOrigin_) {
        hasOrigin_ = true;
        originX_ = easting;
        originY_ = northing;
    }
    xs_.push_back(static_cast<float>(easting - originX_));
    ys_.push_back(static_cast<float>(northing - originY_));
    depths_.push_back(static_cast<float>(depth));
    spread_.add(depth);
    // The range is looked at for each of the first soundings, then now and then.
    if (spread_.count() <= 256 || spread_.count() % 64 == 0) updateColours();
    if (depths_.size() > kMaxPoints) thinPoints();
    ++version_;
}

void DepthPicture::addOlder(const CoverageGrid& grid, const std::vector<QPointF>& points,
                            const std::vector<float>& depths) {
    const std::size_t n = std::min(points.size(), depths.size());
    if (n == 0 && grid.cellsFilled() == 0) return;
    std::vector<float> xs, ys, ds;
    xs.reserve(n + xs_.size());
    ys.reserve(n + ys_.size());
    ds.reserve(n + depths_.size());
    if (!hasOrigin_ && n > 0) {
        hasOrigin_ = true;
        originX_ = points[0].x();
        originY_ = points[0].y();
    }
    for (std::size_t k = 0; k < n; ++k) {
        if (!std::isfinite(depths[k])) continue;
        xs.push_back(static_cast<float>(points[k].x() - originX_));
        ys.push_back(static_cast<float>(points[k].y() - originY_));
        ds.push_back(depths[k]);
        spread_.add(depths[k]);
    }
    xs.insert(xs.end(), xs_.begin(), xs_.end());
    ys.insert(ys.end(), ys_.begin(), ys_.end());
    ds.insert(ds.end(), depths_.begin(), depths_.end());
    xs_.swap(xs);
    ys_.swap(ys);
    depths_.swap(ds);
    if (grid.cellSize() == grid_.cellSize()) {
        grid_.mergeOlder(grid);
    } else {
        regrid();
    }
    while (depths_.size() > kMaxPoints)
        thinPoints();
    updateColours();
    ++version_;
}

void DepthPicture::clear() {
    grid_.clear();
    xs_.clear();
    ys_.clear();
    depths_.clear();
    spread_.clear();
    hasOrigin_ = false;
    updateColours();
    ++version_;
}

void DepthPicture::regrid() {
    // The points kept may be thinned: the grid then holds fewer soundings
    // than it did, but all of the places.
    grid_ = CoverageGrid(settings_.cellSizeM);
    for (std::size_t k = 0; k < depths_.size(); ++k)
        grid_.add(originX_ + xs_[k], originY_ + ys_[k], depths_[k]);
}

void DepthPicture::thinPoints() {
    std::size_t w = 0;
    for (std::size_t k = 0; k < depths_.size(); k += 2, ++w) {
        xs_[w] = xs_[k];
        ys_[w] = ys_[k];
        depths_[w] = depths_[k];
    }
    xs_.resize(w);
    ys_.resize(w);
    depths_.resize(w);
}

void DepthPicture::updateColours() {
    double shallow = settings_.shallowM;
    double deep = settings_.deepM;
    if (settings_.autoRange) {
        if (const auto middle = spread_.range(kOutlierShare)) {
            const auto r = RoundDepthRange(middle->first, middle->second);
            shallow = r.first;
            deep = r.second;
        }
    }
    colours_ = DepthColours(settings_.palette, night_, shallow, deep);
}

QImage& DepthPicture::canvasImage(const ViewWindow& view) {
    const QSize size(std::max(1, view.Width), std::max(1, view.Height));
    if (image_.size() != size) image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    image_.fill(Qt::transparent);
    return image_;
}

namespace {

struct Frame {
    double left, top, metresPerPixel;
    int width, height;
    static Frame of(const ViewWindow& view) {
        const double w = view.WorldRight - view.WorldLeft;
        return {view.WorldLeft, view.WorldTop, (w > 0 ? w : 1.0) / std::max(1, view.Width),
                std::max(1, view.Width), std::max(1, view.Height)};
    }
    double px(double x) const { return (x - left) / metresPerPixel; }
    double py(double y) const { return (top - y) / metresPerPixel; }
};

// A pixel span [a, b) of a world span, at least one pixel, clipped.
bool span(double a, double b, int limit, int& from, int& to) {
    if (!(b > 0) || !(a < limit)) return false;
    from = static_cast<int>(std::max(0.0, std::floor(a)));
    to = static_cast<int>(std::min<double>(limit, std::floor(b)));
    if (to <= from) to = from + 1;
    return from < limit;
}

QRgb translucent(QRgb c, int alpha) {
    return qPremultiply(qRgba(qRed(c), qGreen(c), qBlue(c), alpha));
}

}  // namespace

void DepthPicture::paintUnderShapes(QPainter& painter, const ViewWindow& view) {
    if (!settings_.showGrid || grid_.cellsFilled() == 0) return;
    const Frame f = Frame::of(view);
    const double size = grid_.cellSize();
    const double tileSize = size * CoverageGrid::kTileCells;
    const double right = f.left + f.width * f.metresPerPixel;
    const double bottom = f.top - f.height * f.metresPerPixel;
    QImage& image = canvasImage(view);
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / 4;
    // Translucent, so the chart's grid lines still show through the cells.
    const int alpha = night_ ? 200 : 170;
    std::array<QRgb, DepthColours::kSteps> lut;
    for (int k = 0; k < DepthColours::kSteps; ++k)
        lut[static_cast<std::size_t>(k)] =
            translucent(colours_.colourAt(double(k) / (DepthColours::kSteps - 1)), alpha);
    const double shallow = colours_.shallow();
    const double scale = (DepthColours::kSteps - 1) / (colours_.deep() - shallow);
    constexpr int n = CoverageGrid::kTileCells;
    QRect drawn;
    for (const CoverageGrid::Tile* tile : grid_.tiles()) {
        const double x0 = double(tile->ti) * tileSize;
        const double y0 = double(tile->tj) * tileSize;
        if (x0 > right || x0 + tileSize < f.left || y0 > f.top || y0 + tileSize < bottom) continue;
        // The pixel spans of the tile's columns and rows, once per tile.
        int xa[n] = {}, xb[n] = {}, ya[n] = {}, yb[n] = {};
        bool column[n], row[n];
        for (int k = 0; k < n; ++k) {
            column[k] = span(f.px(x0 + k * size), f.px(x0 + (k + 1) * size), f.width, xa[k], xb[k]);
            row[k] = span(f.py(y0 + (k + 1) * size), f.py(y0 + k * size), f.height, ya[k], yb[k]);
        }
        for (int cj = 0; cj < n; ++cj) {
            if (!row[cj]) continue;
            for (int ci = 0; ci < n; ++ci) {
                const GridCell& c = tile->at(ci, cj);
                if (!c.count || !column[ci]) continue;
                double t = (c.value(settings_.statistic) - shallow) * scale;
                if (!(t > 0)) t = 0;
                if (t > DepthColours::kSteps - 1) t = DepthColours::kSteps - 1;
                const QRgb colour = lut[static_cast<std::size_t>(t)];
                for (int y = ya[cj]; y < yb[cj]; ++y) {
                    QRgb* line = bits + y * stride;
                    std::fill(line + xa[ci], line + xb[ci], colour);
                }
            }
        }
        int tx0 = 0, tx1 = 0, ty0 = 0, ty1 = 0;
        if (span(f.px(x0), f.px(x0 + tileSize), f.width, tx0, tx1) &&
            span(f.py(y0 + tileSize), f.py(y0), f.height, ty0, ty1))
            drawn |= QRect(tx0, ty0, tx1 - tx0, ty1 - ty0);
    }
    // Only the part of the picture the cells cover is blended.
    if (!drawn.isEmpty()) painter.drawImage(drawn.topLeft(), image, drawn);
}

void DepthPicture::paintOverShapes(QPainter& painter, const ViewWindow& view) {
    if (!settings_.showSoundings || depths_.empty()) return;
    const Frame f = Frame::of(view);
    const int side = settings_.pointPx;
    // One dot per dot-sized cell of the screen, the newest on top: older
    // soundings under it add nothing a surveyor can see.
    const int cw = (f.width + side - 1) / side;
    const int ch = (f.height + side - 1) / side;
    std::vector<unsigned char> taken(static_cast<std::size_t>(cw) * static_cast<std::size_t>(ch),
                                     0);
    const double ox = (originX_ - f.left) / f.metresPerPixel;
    const double oy = (f.top - originY_) / f.metresPerPixel;
    const double inv = 1.0 / f.metresPerPixel;
    dots_.clear();
    for (std::size_t k = depths_.size(); k-- > 0;) {
        const double x = ox + xs_[k] * inv;
        const double y = oy - ys_[k] * inv;
        if (!(x >= 0 && x < f.width && y >= 0 && y < f.height)) continue;
        const int px = static_cast<int>(x);
        const int py = static_cast<int>(y);
        unsigned char& cell =
            taken[static_cast<std::size_t>(py / side) * cw + static_cast<std::size_t>(px / side)];
        if (cell) continue;
        cell = 1;
        dots_.push_back({px - side / 2, py - side / 2, colours_.colourOf(depths_[k])});
    }
    if (dots_.empty()) return;
    QImage& image = canvasImage(view);
    auto* bits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / 4;
    auto square = [&](int x, int y, int s, QRgb colour) {
        const int xa = std::max(0, x), xb = std::min(f.width, x + s);
        const int ya = std::max(0, y), yb = std::min(f.height, y + s);
        for (int yy = ya; yy < yb; ++yy)
            std::fill(bits + yy * stride + xa, bits + yy * stride + std::max(xa, xb), colour);
    };
    // A dark edge round the whole run of dots first, so that light colours
    // stand out from a white chart; then the dots, oldest first.
    if (side >= 3) {
        const QRgb edge = night_ ? qRgb(0, 0, 0) : qRgb(70, 70, 70);
        for (const DotPixel& d : dots_)
            square(d.x - 1, d.y - 1, side + 2, edge);
    }
    for (auto it = dots_.rbegin(); it != dots_.rend(); ++it)
        square(it->x, it->y, side, it->colour);
    painter.drawImage(QPoint(0, 0), image);
}

}  // namespace nivora
