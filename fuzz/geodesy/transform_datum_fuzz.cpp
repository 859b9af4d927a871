// TransformDatum on arbitrary text: selector, position and datum
// parameters, one per line.

#include <cstdint>

#include "fuzz/geodesy/fuzz_fields.h"
#include "geodesy/geodesy_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = nivora::fuzz::fields(data, size, 3);
    const std::string result = nivora::geodesy::TransformDatum(f[0], f[1], f[2]);
    nivora::fuzz::checkResult(result, 3);
    // The other selector on the same input obeys the same rules.
    nivora::fuzz::checkResult(
        nivora::geodesy::TransformDatum(f[0] == "XYZ" ? "BLH" : "XYZ", f[1], f[2]), 3);
    return 0;
}
