#pragma once

// DXF export: release 12 (AC1009), two-dimensional, with the view window as
// the drawing extents, a layer table and one entity per visible shape of the
// kinds CAD programs share (lines, circles, points, texts, rectangles,
// ellipses as circles, polylines).

#include <QString>
#include <string>
#include <vector>

#include "files/file_format.h"

namespace nivora {

class DxfWriter final : public DrawingWriter {
  public:
    bool write(QIODevice& out, const CanvasDocument& doc) override;

    // The whole file as bytes.
    static std::string text(const CanvasDocument& doc);

    // The name each layer gets in the file, in layer list order. CAD
    // programs refuse layer names that are empty or hold any of < > / \ " :
    // ; ? * = ` or a line break, and take names that differ only in case
    // for one layer; such names are made valid and kept apart.
    static std::vector<QString> dxfLayerNames(const CanvasDocument& doc);
};

}  // namespace nivora
