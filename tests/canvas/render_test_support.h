#pragma once

// Helpers of the rendering tests: a document whose world maps one unit to
// one pixel, and pixel queries on the rendered picture.

#include <QImage>
#include <QRect>
#include <QRgb>

#include "canvas/canvas_document.h"
#include "canvas/canvas_renderer.h"
#include "canvas/qt_color.h"

namespace nivora::test {

// World x 0..width and y 0..height over a client of width x height pixels:
// world (x, y) lands on pixel (trunc(x), trunc(height - y)).
struct Scene {
    CanvasDocument doc;
    int layer = 0;
    CanvasRenderer renderer;
    RenderStats stats;

    explicit Scene(int width = 200, int height = 100) {
        doc.View.Width = width;
        doc.View.Height = height;
        doc.View.WorldSet(0.0, height, width, 0.0);
    }
    // World y of the centre of pixel row `row`.
    double rowY(int row) const { return doc.View.Height - row - 0.5; }
    QImage render(const RenderSettings& settings = {}) {
        QImage image(doc.View.Width, doc.View.Height, QImage::Format_RGB32);
        stats = renderer.RenderPicture(image, doc, settings);
        return image;
    }
};

inline QRgb rgbOf(TColor c) {
    return toQRgb(c);
}

inline bool isColor(const QImage& image, int x, int y, TColor c) {
    return image.valid(x, y) && (image.pixel(x, y) & 0xFFFFFFu) == (toQRgb(c) & 0xFFFFFFu);
}

inline int countColor(const QImage& image, const QRect& area, TColor c) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += isColor(image, x, y, c) ? 1 : 0;
    }
    return n;
}

// Pixels darker than mid grey (antialiased text).
inline int countDark(const QImage& image, const QRect& area) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    }
    return n;
}

// Pixels that differ from `background`.
inline int countNot(const QImage& image, const QRect& area, TColor background) {
    const QRect r = area.intersected(image.rect());
    return r.width() * r.height() - countColor(image, area, background);
}

// Bounding box of the pixels that differ from `background`; empty if none.
inline QRect inkBox(const QImage& image, TColor background) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!isColor(image, x, y, background)) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

}  // namespace nivora::test
