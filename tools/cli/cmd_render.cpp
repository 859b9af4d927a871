// nivora render IN OUT.png [--size WxH] [--view LEFT,BOTTOM,RIGHT,TOP | --extents] [--grid]
//
// Draws a drawing file to a PNG picture with the chart renderer of the
// program, on a white background.

#include <QImage>
#include <optional>

#include "canvas/canvas_document.h"
#include "canvas/canvas_renderer.h"
#include "core/number_format.h"
#include "files/drawing_files.h"
#include "tools/cli/cli.h"

namespace nivora::cli {

namespace {

constexpr int kMaxSide = 16384;
constexpr qint64 kMaxPixels = 64LL * 1024 * 1024;  // 256 MB of picture

std::optional<QSize> parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2) return std::nullopt;
    const auto w = parseInteger(parts[0].toStdString());
    const auto h = parseInteger(parts[1].toStdString());
    if (!w || !h || *w < 1 || *h < 1 || *w > kMaxSide || *h > kMaxSide ||
        static_cast<qint64>(*w) * *h > kMaxPixels)
        return std::nullopt;
    return QSize(*w, *h);
}

struct WorldBox {
    double left, bottom, right, top;
};

std::optional<WorldBox> parseView(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4) return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        const auto n = parseNumber(parts[i].toStdString());
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    if (!(v[0] < v[2]) || !(v[1] < v[3])) return std::nullopt;
    return WorldBox{v[0], v[1], v[2], v[3]};
}

}  // namespace

int runRender(const Arguments& args) {
    const QStringList files = args.positional({QStringLiteral("--size"), QStringLiteral("--view")});
    if (files.size() != 2) return usageError(QStringLiteral("render: expected IN and OUT.png"));

    QSize size(1024, 768);
    if (args.has(QStringLiteral("--size"))) {
        const auto parsed = parseSize(args.value(QStringLiteral("--size")).value_or(QString()));
        if (!parsed)
            return usageError(
                QStringLiteral("render: --size wants WxH, each side 1 to %1 pixels").arg(kMaxSide));
        size = *parsed;
    }
    std::optional<WorldBox> view;
    if (args.has(QStringLiteral("--view"))) {
        view = parseView(args.value(QStringLiteral("--view")).value_or(QString()));
        if (!view)
            return usageError(QStringLiteral(
                "render: --view wants LEFT,BOTTOM,RIGHT,TOP with LEFT < RIGHT and BOTTOM < TOP"));
    }
    const bool extents = args.has(QStringLiteral("--extents"));
    if (view && extents)
        return usageError(QStringLiteral("render: give --view or --extents, not both"));

    CanvasDocument doc;
    QString error;
    if (!loadDrawingFile(files[0], doc, false, &error)) return fail(error);

    doc.View.Width = size.width();
    doc.View.Height = size.height();
    if (view) doc.View.WorldSet(view->left, view->top, view->right, view->bottom);
    if (extents) {
        doc.WorldExtents();
    } else {
        // The window as asked for, widened on one axis so that the picture
        // keeps the drawing's proportions.
        doc.View.FitClientRatio();
    }
    doc.Grid.GridVisible = args.has(QStringLiteral("--grid"));

    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull()) return fail(QStringLiteral("render: not enough memory for the picture"));
    CanvasRenderer renderer;
    renderer.RenderPicture(picture, doc, RenderSettings{});
    if (!picture.save(files[1], "PNG"))
        return fail(QStringLiteral("render: cannot write %1").arg(files[1]));
    return 0;
}

}  // namespace nivora::cli
