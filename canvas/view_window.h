#pragma once

// The window of the world shown over the client area, and the mappings
// between world coordinates (metres, y up) and client pixels (y down).

#include "core/colors.h"

namespace nivora {

struct ViewWindow {
    double WorldLeft = 0.0;
    double WorldRight = 1000.0;
    double WorldTop = 1000.0;
    double WorldBottom = 0.0;
    int Width = 400;  // client area, pixels
    int Height = 300;

    // Pixel of a world point, truncated toward zero and held within the int
    // range (a far point or a tiny window cannot overflow).
    void WorldToScreen(double x, double y, int& sx, int& sy) const;
    void ScreenToWorld(int sx, int sy, double& x, double& y) const;
    double GetWorldWidth() const { return WorldRight - WorldLeft; }
    double GetWorldHeight() const { return WorldTop - WorldBottom; }
    int WorldToAbsX(double x) const;
    int WorldToAbsY(double y) const;

    void WorldSet(double left, double top, double right, double bottom);
    void WorldPan(double dx, double dy);
    // Zooms about (x, y); a positive factor zooms in (0.1 shows 90 % of the width).
    void WorldZoom(double factor, double x, double y);
    // Fits the window to a box with 5 % margins and the client's proportions;
    // false (nothing changed) when the box has no width or no height.
    bool FitBox(double minX, double minY, double maxX, double maxY);
    // The resize handler: keeps the centre and restores the client's proportions.
    void Resize();

    // Width / height of the client area, never dividing by zero.
    double ClientRatio() const;
    // Grows one axis of the current window about its centre to the client's proportions.
    void FitClientRatio();
};

// The "nice" grid step (1, 2 or 5 times a power of ten) for 8 divisions of a
// world width; 1 for a width that is not positive or not finite.
double NiceGridStep(double worldWidth);

struct GridSettings {
    bool GridVisible = false;
    bool GridAutoScale = true;
    double GridSpacingX = 100.0;  // 0 means automatic
    double GridSpacingY = 100.0;
    TColor GridColor = colors::Silver;
};

// Spacing of the vertical (x) and horizontal (y) grid lines for a window.
struct GridSpacing {
    double X;
    double Y;
};
GridSpacing ChooseGridSpacing(const GridSettings& grid, const ViewWindow& view);
// The spacing, or the smallest multiple of it by 2, 5, 10, 20, 50, ... that
// keeps the lines at least `minPx` pixels apart, so that the lines drawn
// are still lines of the chosen grid.
GridSpacing ReadableGridSpacing(GridSpacing spacing, const ViewWindow& view, int minPx);

}  // namespace nivora
