// nivora info: what a drawing file holds, in lines that scripts can read.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <unordered_map>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "files/drawing_files.h"
#include "tools/cli/cli.h"

namespace nivora::cli {

int runInfo(const Arguments& args) {
    const QStringList files = args.positional({});
    if (files.size() != 1) return usageError(QStringLiteral("info needs one FILE"));
    CanvasDocument doc;
    QString error;
    if (!loadDrawingFile(files[0], doc, false, &error)) return fail(error);

    std::unordered_map<int, long long> perLayer;
    std::map<int, long long> perType;
    ShapeBounds box{0, 0, 0, 0};
    bool haveBox = false;
    for (const TNShape& s : doc.Shapes()) {
        ++perLayer[s.Layer()];
        ++perType[s.ShapeType()];
        if (!s.HasExtent()) continue;
        const ShapeBounds b = s.Bounds();
        if (!haveBox) {
            box = b;
            haveBox = true;
        } else {
            box.MinX = std::min(box.MinX, b.MinX);
            box.MinY = std::min(box.MinY, b.MinY);
            box.MaxX = std::max(box.MaxX, b.MaxX);
            box.MaxY = std::max(box.MaxY, b.MaxY);
        }
    }

    std::string out = "layers: " + std::to_string(doc.Layers().size()) + "\n";
    for (const auto& layer : doc.Layers()) {
        out += "layer: " + std::to_string(layer->Id()) + "," + layer->Name().toStdString() + "," +
               std::to_string(perLayer[layer->Id()]) + "\n";
    }
    out += "shapes: " + std::to_string(doc.ShapeCount()) + "\n";
    // The name after the count: scripts that read code and count read on.
    for (const auto& [type, count] : perType) {
        out += "type: " + std::to_string(type) + "," + std::to_string(count) + "," +
               shape_type::name(type) + "\n";
    }
    if (haveBox) {
        out += "extents: " + formatShortest(box.MinX) + "," + formatShortest(box.MinY) + "," +
               formatShortest(box.MaxX) + "," + formatShortest(box.MaxY) + "\n";
    } else {
        out += "extents: none\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

}  // namespace nivora::cli
