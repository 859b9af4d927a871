// How far the Transverse Mercator series drifts from PROJ's exact
// Transverse Mercator with distance from the central meridian: the largest
// grid difference over latitudes, and the same for grid convergence and
// point scale factor (PROJ's numerical factors).

#include <proj.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "geodesy/transverse_mercator.h"

namespace {

using namespace nivora::geodesy;

struct Worst {
    double value = 0;
    double latitude = 0;
    void take(double v, double lat) {
        if (v > value) {
            value = v;
            latitude = lat;
        }
    }
};

}  // namespace

int main() {
    // WGS-84 as the program fixes it, a UTM-like zone.
    const double a = 6378137.0, f = 0.0033528106647474;
    char def[256];
    std::snprintf(def, sizeof def,
                  "+proj=tmerc +lon_0=0 +k_0=0.9996 +x_0=500000 +a=%.17g +rf=%.17g", a, 1 / f);
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* exact = proj_create(ctx, def);
    if (exact == nullptr) {
        std::fprintf(stderr, "PROJ rejects %s\n", def);
        return 1;
    }
    const TransverseMercatorProjection ours({a, f}, {0, 0, 0.9996L, 500000, 0});

    std::printf(
        "TM series against PROJ exact TM (WGS-84, k0 0.9996), latitudes every 0.25 degrees\n");
    std::printf("%-8s | %-24s | %-24s | %-14s | %-10s\n", "from CM", "max grid diff, |lat|<=60",
                "max grid diff, |lat|<=80", "convergence", "scale");
    std::printf("%-8s | %-24s | %-24s | %-14s | %-10s\n", "(deg)", "mm (at latitude)",
                "mm (at latitude)", "deg, |lat|<=80", "|lat|<=80");
    for (double offset : {1.0, 2.0, 3.0, 4.0, 6.0, 9.0}) {
        Worst grid60, grid80, conv, scale;
        for (double lat = -80; lat <= 80 + 1e-9; lat += 0.25) {
            for (double lon : {offset, -offset}) {
                const PJ_COORD ref =
                    proj_trans(exact, PJ_FWD, proj_coord(proj_torad(lon), proj_torad(lat), 0, 0));
                const GridPosition g = ours.forward(lat, lon);
                const double d = std::hypot(static_cast<double>(g.easting) - ref.enu.e,
                                            static_cast<double>(g.northing) - ref.enu.n) *
                                 1000;
                if (std::fabs(lat) <= 60) grid60.take(d, lat);
                grid80.take(d, lat);
                const PJ_FACTORS fac =
                    proj_factors(exact, proj_coord(proj_torad(lon), proj_torad(lat), 0, 0));
                conv.take(std::fabs(static_cast<double>(ours.gridConvergence(lat, lon)) +
                                    proj_todeg(fac.meridian_convergence)),
                          lat);
                scale.take(std::fabs(static_cast<double>(ours.pointScaleFactor(lat, lon)) -
                                     fac.meridional_scale),
                           lat);
            }
        }
        std::printf("%-8g | %10.4f (%6.2f)       | %10.4f (%6.2f)       | %-14.2e | %-10.2e\n",
                    offset, grid60.value, grid60.latitude, grid80.value, grid80.latitude,
                    conv.value, scale.value);
    }
    proj_destroy(exact);
    proj_context_destroy(ctx);
    return 0;
}
