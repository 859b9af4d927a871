// XYZ import of any bytes.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "canvas/canvas_document.h"
#include "files/xyz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    nivora::CanvasDocument doc;
    nivora::XyzReader reader(0, 0.0, 0.0);
    const bool ok = reader.readBytes(bytes, doc);
    if (ok != (doc.ShapeCount() > 0)) std::abort();
    nivora::CanvasDocument ramp;
    nivora::XyzReader(5, -1.0, 1.0).readBytes(bytes, ramp);
    return 0;
}
