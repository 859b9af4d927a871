#pragma once

// Draws the chart picture of a document: background, coordinate grid and
// shapes. The widget keeps the result as its off-screen picture and rebuilds
// it only when the document is dirty or the client size changed; the command
// line draws it into an image file.
//
// The work per rebuild is bounded: shapes outside the window are culled by
// their bounding box, shapes smaller than half a pixel are skipped, track
// points closer than three pixels to the last point drawn are thinned, and at
// most 500000 shapes are drawn. Texts are drawn after all other shapes so
// that labels stay on top of the geometry.

#include <QImage>
#include <QPainter>
#include <QString>
#include <vector>

#include "canvas/canvas_document.h"
#include "canvas/shape_painter.h"

namespace nivora {

struct RenderSettings {
    TColor BackColor = colors::White;
    int GridOrder = 0;  // 0 grid under the shapes, 1 over them, anything else no grid
    // Cached point symbols and direct one-pixel lines; off draws everything
    // through QPainter (for comparison).
    bool FastPaths = true;
    // The night chart: background, grid and every shape's colour mapped to
    // their night variants (the stored colours stay as they are).
    bool Night = false;
};

// What a rebuild did with the shapes (for tests and measurements).
struct RenderStats {
    int Drawn = 0;       // handed to their drawing, both passes
    int Hidden = 0;      // own flag off, or the layer hidden or unknown
    int Culled = 0;      // bounding box outside the window
    int Thinned = 0;     // points within three pixels of the last point drawn
    int BelowFloor = 0;  // smaller than half a pixel both ways
    int Capped = 0;      // left out once the cap was reached
};

class CanvasRenderer {
  public:
    static constexpr int kMaxShapesPerRebuild = 500000;
    // Manual spacings finer than this many lines per axis draw no lines.
    static constexpr int kMaxGridLines = 10000;

    // Rebuilds the picture in `image`, which covers the client area (a
    // device pixel ratio set on it is honoured), and clears `doc.Dirty`.
    RenderStats RenderPicture(QImage& image, CanvasDocument& doc, const RenderSettings& settings);
    // The same into any painter whose device covers the client area.
    RenderStats RenderPicture(QPainter& painter, CanvasDocument& doc,
                              const RenderSettings& settings);

    // The shapes alone, in the two passes.
    RenderStats DrawAllShapes(QPainter& painter, const CanvasDocument& doc, bool fastPaths = true);
    // The grid with its labels and the axes, when the grid is visible.
    static void DrawGrid(QPainter& painter, const CanvasDocument& doc, bool night = false);
    // The lines and axes alone, and the labels alone: a rebuild draws the
    // labels after the shapes, so that the chart never hides them.
    static void DrawGridLines(QPainter& painter, const CanvasDocument& doc, bool night);
    static void DrawGridLabels(QPainter& painter, const CanvasDocument& doc, bool night);
    // Grid lines closer than this many pixels are thinned to a multiple of
    // their spacing: a fixed 100 m grid zoomed out is no grey hatch.
    static constexpr int kMinGridLinePx = 24;

  private:
    RenderStats render(QPainter& painter, CanvasDocument& doc, const RenderSettings& settings,
                       DirectPixels direct);
    RenderStats drawShapes(QPainter& painter, const CanvasDocument& doc, DirectPixels direct,
                           bool fastPaths);

    ShapePainter shapes_;
    std::vector<const TNShape*> texts_;
    std::vector<char> visibleLayers_;
};

// A grid label: "0.#" for spacings of at least one unit, else "0.###".
QString GridLabelText(double value, double spacing);

// World positions of the grid lines from `from` to `to` (see DrawGrid);
// empty when the spacing is unusable or would give too many lines.
std::vector<double> GridLinePositions(double from, double to, double spacing);

}  // namespace nivora
