// DXF import of any bytes, then export of what was imported and an import
// of that export: none may crash or read out of bounds.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "canvas/canvas_document.h"
#include "files/dxf_reader.h"
#include "files/dxf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    nivora::CanvasDocument doc;
    // A lower ceiling on block inserts keeps each run short.
    nivora::DxfReader reader(100000);
    reader.readBytes(bytes, doc);
    const std::string exported = nivora::DxfWriter::text(doc);
    nivora::CanvasDocument again;
    nivora::DxfReader(100000).readBytes(exported, again);
    if (again.ShapeCount() > doc.ShapeCount()) std::abort();  // an export never adds shapes
    return 0;
}
