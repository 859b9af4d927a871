#include "canvas/view_window.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace nivora {

namespace {

int truncateToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

}  // namespace

void ViewWindow::WorldToScreen(double x, double y, int& sx, int& sy) const {
    double worldWidth = WorldRight - WorldLeft;
    double worldHeight = WorldTop - WorldBottom;
    if (worldWidth == 0.0) worldWidth = 1.0;
    if (worldHeight == 0.0) worldHeight = 1.0;
    sx = truncateToInt((x - WorldLeft) * (Width / worldWidth));
    sy = truncateToInt((WorldTop - y) * (Height / worldHeight));
}

void ViewWindow::ScreenToWorld(int sx, int sy, double& x, double& y) const {
    const double w = Width <= 0 ? 1.0 : Width;
    const double h = Height <= 0 ? 1.0 : Height;
    x = WorldLeft + sx * ((WorldRight - WorldLeft) / w);
    y = WorldTop - sy * ((WorldTop - WorldBottom) / h);
}

int ViewWindow::WorldToAbsX(double x) const {
    int sx = 0;
    int sy = 0;
    WorldToScreen(x, 0.0, sx, sy);
    return sx;
}

int ViewWindow::WorldToAbsY(double y) const {
    int sx = 0;
    int sy = 0;
    WorldToScreen(0.0, y, sx, sy);
    return sy;
}

void ViewWindow::WorldSet(double left, double top, double right, double bottom) {
    WorldLeft = left;
    WorldTop = top;
    WorldRight = right;
    WorldBottom = bottom;
}

void ViewWindow::WorldPan(double dx, double dy) {
    WorldLeft += dx;
    WorldRight += dx;
    WorldTop += dy;
    WorldBottom += dy;
}

// A client area of zero width would make the ratio 0 and the window
// infinite, so either side below one pixel counts as one.
double ViewWindow::ClientRatio() const {
    const double w = Width < 1 ? 1.0 : Width;
    const double h = Height < 1 ? 1.0 : Height;
    return w / h;
}

void ViewWindow::WorldZoom(double factor, double x, double y) {
    double d = 1.0 - factor;
    if (d <= 0.0) d = 0.1;
    if (d > 10.0) d = 10.0;
    double w = GetWorldWidth();
    double h = GetWorldHeight();
    if (w <= 0.0) w = 1.0;
    if (h <= 0.0) h = 1.0;
    const double ratio = ClientRatio();

    const double newWidth = d * w;
    const double fx = (x - WorldLeft) / w;
    WorldLeft = x - newWidth * fx;
    WorldRight = x + newWidth * (1.0 - fx);

    const double newHeight = newWidth / ratio;
    const double fy = (y - WorldBottom) / h;
    WorldBottom = y - newHeight * fy;
    WorldTop = y + newHeight * (1.0 - fy);
}

void ViewWindow::FitClientRatio() {
    const double ratio = ClientRatio();
    const double width = GetWorldWidth();
    const double height = GetWorldHeight();
    if (ratio < width / height) {
        const double centre = (WorldBottom + WorldTop) / 2.0;
        const double half = (width / ratio) / 2.0;
        WorldBottom = centre - half;
        WorldTop = centre + half;
    } else {
        const double centre = (WorldLeft + WorldRight) / 2.0;
        const double half = (height * ratio) / 2.0;
        WorldLeft = centre - half;
        WorldRight = centre + half;
    }
}

bool ViewWindow::FitBox(double minX, double minY, double maxX, double maxY) {
    if (!(minX < maxX) || !(minY < maxY)) return false;
    const double marginX = (maxX - minX) * 0.05;
    const double marginY = (maxY - minY) * 0.05;
    WorldLeft = minX - marginX;
    WorldRight = maxX + marginX;
    WorldBottom = minY - marginY;
    WorldTop = maxY + marginY;
    FitClientRatio();
    return true;
}

void ViewWindow::Resize() {
    if (Width > 0 && Height > 0) FitClientRatio();
}

double NiceGridStep(double worldWidth) {
    if (!(worldWidth > 0.0) || !std::isfinite(worldWidth)) return 1.0;
    const double raw = worldWidth / 8.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / magnitude;
    if (f < 1.5) return magnitude;
    if (f < 3.5) return 2.0 * magnitude;
    if (f < 7.5) return 5.0 * magnitude;
    return 10.0 * magnitude;
}

GridSpacing ChooseGridSpacing(const GridSettings& grid, const ViewWindow& view) {
    if (!grid.GridAutoScale && grid.GridSpacingX > 0.0 && grid.GridSpacingY > 0.0) {
        return {grid.GridSpacingX, grid.GridSpacingY};
    }
    const double step = NiceGridStep(view.GetWorldWidth());
    return {step, step};
}

namespace {

double readableStep(double step, double worldPerPixel, int minPx) {
    if (!(step > 0) || !std::isfinite(step) || !(worldPerPixel > 0)) return step;
    const double least = minPx * worldPerPixel;
    static constexpr double kFactors[] = {2, 5, 10};
    double scale = 1;
    // At most 30 decades: no real window is that far out.
    for (int decade = 0; step * scale < least && decade < 30; ++decade) {
        double base = scale;
        for (double f : kFactors) {
            scale = base * f;
            if (step * scale >= least) break;
        }
    }
    return step * scale;
}

}  // namespace

GridSpacing ReadableGridSpacing(GridSpacing spacing, const ViewWindow& view, int minPx) {
    const double perPixelX = view.GetWorldWidth() / std::max(1, view.Width);
    const double perPixelY = view.GetWorldHeight() / std::max(1, view.Height);
    return {readableStep(spacing.X, perPixelX, minPx), readableStep(spacing.Y, perPixelY, minPx)};
}

}  // namespace nivora
