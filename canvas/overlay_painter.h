#pragma once

// The transient layers painted over the chart picture on every paint and
// never cached: the rubber band of a mouse drawing, then the survey
// read-outs in their fixed order (distance measure, depth labels, event
// labels, depth/speed box, position status box).

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRect>

#include "canvas/canvas_document.h"
#include "canvas/canvas_interaction.h"

namespace nivora {

// Pictures of label texts in one font and colour, so that a paint with
// thousands of depth labels copies small images instead of laying out and
// rasterising every text again (about six times cheaper).
class TextSpriteCache {
  public:
    static constexpr int kMaxEntries = 4096;
    struct Sprite {
        QImage Image;     // the text with its cell's top left at (Margin, 0)
        int Advance = 0;  // width of the text cell, pixels
    };
    const Sprite& get(const QString& text, const QFont& font, const QColor& color,
                      const QPaintDevice* device);
    int Margin() const { return margin_; }

  private:
    QFont font_;
    QRgb color_ = 0;
    qreal ratio_ = 0.0;
    int margin_ = 0;
    QHash<QString, Sprite> sprites_;
};

struct OverlayCaches {
    TextSpriteCache DepthLabels;
    TextSpriteCache EventLabels;
};

// The shape being drawn with the mouse, inverting what lies under it.
void DrawRubberBand(QPainter& painter, const CanvasInteraction& ui, const ViewWindow& view);

void DrawDistanceOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);
// With `cache`, the labels are copied from cached pictures of their texts.
void DrawDepthLabelsOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view,
                            TextSpriteCache* cache = nullptr);
void DrawEventLabelsOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view,
                            TextSpriteCache* cache = nullptr);
void DrawCurrentDepthOverlay(QPainter& painter, const OverlayState& overlay,
                             const ViewWindow& view);
void DrawGGAOverlay(QPainter& painter, const OverlayState& overlay, const ViewWindow& view);

// The rubber band (when `ui` is given) and every read-out, in order.
void DrawOverlays(QPainter& painter, const CanvasDocument& doc, const CanvasInteraction* ui,
                  OverlayCaches* caches = nullptr);

// Font of the position status box.
QFont GGAOverlayFont();
// Outer rectangle of the position status box at its corner; empty when
// there is no status text. `metrics` are those of GGAOverlayFont on the
// device the box is drawn on.
QRect GGAOverlayRect(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                     int height);
bool IsPointInGGAOverlay(const OverlayState& overlay, const QFontMetrics& metrics, int width,
                         int height, int x, int y);

}  // namespace nivora
