// ProjectTM on arbitrary text: position, datum parameters, TM parameters
// and ellipsoid pair, one per line.

#include <cstdint>

#include "fuzz/geodesy/fuzz_fields.h"
#include "geodesy/geodesy_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto f = nivora::fuzz::fields(data, size, 4);
    nivora::fuzz::checkResult(nivora::geodesy::ProjectTM(f[0], f[1], f[2], f[3]), 2);
    nivora::fuzz::checkResult(nivora::geodesy::TransverseMercator(f[0], f[2], f[3]), 2);
    return 0;
}
