// The geoid grid's separations against PROJ's own vertical grid shift with
// the same file (proj-data's egm96_15.gtx), over the globe.

#include <gtest/gtest.h>

#include <random>

#include "geodesy/geoid_grid.h"
#include "tests/geodesy/proj_reference.h"

namespace nivora::geodesy {
namespace {

const char* const kGrid = "/usr/share/proj/egm96_15.gtx";

TEST(GeoidGrid, SeparationsAgreeWithProjsGridShift) {
    std::string error;
    const auto grid = GeoidGrid::load(kGrid, &error);
    ASSERT_TRUE(grid) << error;
    EXPECT_EQ(grid->rows(), 721);
    EXPECT_EQ(grid->columns(), 1440);
    const test::ProjOperation proj("+proj=vgridshift +grids=egm96_15.gtx +multiplier=1");
    std::mt19937_64 rng(96);
    std::uniform_real_distribution<double> lat(-89.9, 89.9), lon(-180, 180);
    int compared = 0;
    for (int i = 0; i < 2000; ++i) {
        const double la = lat(rng), lo = lon(rng);
        const auto mine = grid->separation(la, lo);
        ASSERT_TRUE(mine) << la << ", " << lo;
        const PJ_COORD ref = proj.forward(proj_torad(lo), proj_torad(la), 0);
        ASSERT_NEAR(*mine, ref.xyz.z, 0.001) << la << ", " << lo;
        ++compared;
    }
    EXPECT_EQ(compared, 2000);
    // Across the grid's seam at 180 degrees and at the nodes themselves.
    for (const auto& [la, lo] : std::initializer_list<std::pair<double, double>>{
             {10.1, 179.9}, {10.1, -179.9}, {-45, 180}, {0, 0}, {41.25, 29.0}}) {
        const PJ_COORD ref = proj.forward(proj_torad(lo), proj_torad(la), 0);
        EXPECT_NEAR(*grid->separation(la, lo), ref.xyz.z, 0.001) << la << ", " << lo;
    }
    EXPECT_FALSE(grid->separation(91, 0));
    EXPECT_FALSE(GeoidGrid::load("/nonexistent.gtx", &error));
    EXPECT_FALSE(GeoidGrid::load("/usr/share/proj/proj.ini", &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace nivora::geodesy
