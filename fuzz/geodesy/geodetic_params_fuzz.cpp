// The geodetic parameters of the settings from any texts, then a few fixes
// projected as the real-time cycle places them. Byte 0 picks the projection
// (TM, Lambert with one or two parallels) or leaves it to the flag texts;
// then one line per key of the section, in its order ("\x01" alone: the key
// is missing). The last line, when it holds three numbers, is one more fix.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/scan.h"
#include "fuzz/geodesy/fuzz_fields.h"
#include "geodesy/fix_projection.h"
#include "geodesy/geodetic_parameters.h"

namespace {

using namespace nivora::geodesy;

// A placed fix is finite numbers, always.
void check(const FixResult& r, const double fix[3], const char* how) {
    if (!r.placed()) return;
    if (std::isfinite(r.easting) && std::isfinite(r.northing) &&
        (!r.convergence || std::isfinite(*r.convergence)))
        return;
    std::fprintf(stderr, "%s %.17g %.17g %.17g placed at %.17g %.17g, convergence %.17g\n", how,
                 fix[0], fix[1], fix[2], r.easting, r.northing, r.convergence.value_or(0));
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t pick = data[0] % 4;
    const auto f = nivora::fuzz::fields(data + 1, size - 1, kGeodeticKeys.size() + 1);

    GeodeticParameters p = readGeodeticParameters(
        [&](std::string_view, std::string_view key) -> std::optional<std::string> {
            for (std::size_t i = 0; i < kGeodeticKeys.size(); ++i) {
                if (kGeodeticKeys[i].key != key) continue;
                if (f[i] == "\x01") return std::nullopt;
                return std::string(f[i]);
            }
            return std::nullopt;
        });
    if (pick == 1) {
        p.useTmProjection = "1";
        p.useLambert = "0";
    } else if (pick == 2 || pick == 3) {
        p.useTmProjection = "0";
        p.useLambert = "1";
        p.useLambert1 = pick == 2 ? "1" : "0";
    }
    (void)datumParameterText(p);
    (void)ellipsoidPairText(p);
    (void)tmParameterText(p);

    ParameterConversionError error;
    auto projector = FixProjector::take(p, &error);
    double extra[3] = {0, 0, 0};
    const bool haveExtra = nivora::scanFormatted(std::string(f.back()), "%lf %lf %lf", &extra[0],
                                                 &extra[1], &extra[2]) == 3;
    const double fixes[][3] = {
        {41.0, 29.0, 50.0},  {0.0, 0.0, 0.0},  {89.99, 179.99, 0.0},          {-45.0, -170.0, 1e3},
        {39.9, 32.8, -30.0}, {90.0, 0.0, 0.0}, {extra[0], extra[1], extra[2]}};
    for (const auto& fix : fixes) {
        if (&fix == &fixes[6] && !haveExtra) break;
        check(projectFix(p, fix[0], fix[1], fix[2]), fix, "projectFix");
        if (!projector) continue;
        const FixResult r = projector->project(fix[0], fix[1], fix[2]);
        check(r, fix, "project");
        (void)projector->whyNotPlaced(r);
        check(projector->projectLocal(fix[0], fix[1]), fix, "projectLocal");
        if (const auto local = projector->toLocal(fix[0], fix[1], fix[2])) (void)local;
    }
    return 0;
}
