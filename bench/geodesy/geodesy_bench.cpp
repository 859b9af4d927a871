// One GNSS fix through datum shift and projection: ours against PROJ's
// proj_trans on the equivalent pipeline, in the same run. The pair
// benchmarks report both times per fix and their ratio as counters.

#include <benchmark/benchmark.h>
#include <proj.h>

#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "geodesy/datum_chain.h"
#include "geodesy/fix_projection.h"
#include "geodesy/geodesy_text.h"
#include "geodesy/geoid_grid.h"
#include "geodesy/transverse_mercator.h"

namespace {

using namespace nivora::geodesy;
using namespace std::string_literals;

constexpr int kPoints = 1024;

// International 1924 with a realistic seven-parameter set, a 3-degree TM
// zone and a two-parallel Lambert cone over the Sea of Marmara.
GeodeticParameters surveyParameters(bool lambert) {
    GeodeticParameters p;
    p.semiMajorAxis = "6378388"s;
    p.flattening = "0.00336700336700337"s;
    p.scalePpm = "1.05"s;
    p.rotationX = "0.7"s;
    p.rotationY = "-1.2"s;
    p.rotationZ = "2.3"s;
    p.shiftX = "-84.1"s;
    p.shiftY = "-101.8"s;
    p.shiftZ = "-129.7"s;
    p.centralMeridian = "30"s;
    p.referenceLatitude = "0"s;
    p.scaleFactor = "1"s;
    p.falseEasting = "500000"s;
    p.falseNorthing = "0"s;
    p.lccStandardParallel1 = "40"s;
    p.lccStandardParallel2 = "42"s;
    p.lccScaleFactor = "1"s;
    p.lccCentralParallel = "39"s;
    p.lccCentralMeridian = "29"s;
    p.lccFalseEasting = "500000"s;
    p.lccFalseNorthing = "0"s;
    p.useTmProjection = lambert ? "0"s : "1"s;
    p.useLambert = lambert ? "1"s : "0"s;
    return p;
}

const std::string kDatumSteps =
    " +step +proj=cart +a=6378137 +rf=298.257223563 +step +inv +proj=helmert +x=-84.1 +y=-101.8 "
    "+z=-129.7 +rx=0.7 +ry=-1.2 +rz=2.3 +s=1.05 +convention=coordinate_frame +exact +step +inv "
    "+proj=cart +a=6378388 +rf=297";
const std::string kTm = " +step +proj=tmerc +lon_0=30 +k_0=1 +x_0=500000 +a=6378388 +rf=297";
const std::string kLcc =
    " +step +proj=lcc +lat_0=39 +lon_0=29 +lat_1=40 +lat_2=42 +x_0=500000 +a=6378388 +rf=297";

struct Fixes {
    std::vector<double> lat, lon, alt;
    Fixes() {
        std::mt19937_64 rng(1);
        std::uniform_real_distribution<double> la(40.2, 41.6), lo(27.5, 32.5), h(20, 60);
        for (int i = 0; i < kPoints; ++i) {
            lat.push_back(la(rng));
            lon.push_back(lo(rng));
            alt.push_back(h(rng));
        }
    }
};
const Fixes& fixes() {
    static const Fixes f;
    return f;
}

void runOurs(benchmark::State& state, bool lambert) {
    auto projector = FixProjector::take(surveyParameters(lambert));
    const Fixes& f = fixes();
    std::size_t i = 0;
    for (auto _ : state) {
        const FixResult r = projector->project(f.lat[i], f.lon[i], f.alt[i]);
        benchmark::DoNotOptimize(r);
        i = (i + 1) % kPoints;
    }
}

// The fix exactly as the real-time cycle places it: 15-digit stages, the
// 8/2-decimal datum result, easting, northing and convergence.
void BM_Ours_Fix_TM(benchmark::State& state) {
    runOurs(state, false);
}
void BM_Ours_Fix_Lambert2(benchmark::State& state) {
    runOurs(state, true);
}

// The numeric routines alone: every digit kept, no convergence.
void BM_Ours_ExactChain_TM(benchmark::State& state) {
    const auto params = scanDatumParameters(
        "6378137.0 0.0033528106647474 0 0 0 0 0 0 0 6378388 0.00336700336700337 1.05 0.7 -1.2 2.3 "
        "-84.1 "
        "-101.8 -129.7");
    const DatumChain chain(*params, StagePrecision::Exact);
    const TransverseMercatorProjection tm({6378388, 0.00336700336700337L}, {30, 0, 1, 500000, 0});
    const Fixes& f = fixes();
    std::size_t i = 0;
    for (auto _ : state) {
        const auto local = chain.toLocalUnrounded({f.lat[i], f.lon[i], 0});
        const GridPosition g = tm.forward(local->latitude, local->longitude);
        benchmark::DoNotOptimize(g);
        i = (i + 1) % kPoints;
    }
}

// The same fix through the text operations, as callers that pass texts see it.
void BM_Ours_TextOperations_TM(benchmark::State& state) {
    const GeodeticParameters p = surveyParameters(false);
    const std::string datum = datumParameterText(p), tm = tmParameterText(p),
                      pair = ellipsoidPairText(p);
    std::vector<std::string> positions;
    const Fixes& f = fixes();
    for (int k = 0; k < kPoints; ++k)
        positions.push_back(std::to_string(f.lat[k]) + " " + std::to_string(f.lon[k]));
    std::size_t i = 0;
    for (auto _ : state) {
        const Real c = TMScaleOrConvergence("GrdConv", 6378388, 0.00336700336700337L, f.lat[i],
                                            f.lon[i], 30, 0, 1, 500000, 0);
        const std::string g = ProjectTM(positions[i], datum, tm, pair);
        benchmark::DoNotOptimize(c);
        benchmark::DoNotOptimize(g);
        i = (i + 1) % kPoints;
    }
}

PJ* createPipeline(PJ_CONTEXT* ctx, const std::string& projection) {
    return proj_create(ctx, ("+proj=pipeline" + kDatumSteps + projection).c_str());
}

void runProj(benchmark::State& state, const std::string& projection) {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = createPipeline(ctx, projection);
    if (pj == nullptr) {
        state.SkipWithError("PROJ rejects the pipeline");
        proj_context_destroy(ctx);
        return;
    }
    std::vector<PJ_COORD> in;
    const Fixes& f = fixes();
    for (int k = 0; k < kPoints; ++k)
        in.push_back(proj_coord(proj_torad(f.lon[k]), proj_torad(f.lat[k]), 0, 0));
    std::size_t i = 0;
    for (auto _ : state) {
        const PJ_COORD r = proj_trans(pj, PJ_FWD, in[i]);
        benchmark::DoNotOptimize(r);
        i = (i + 1) % kPoints;
    }
    proj_destroy(pj);
    proj_context_destroy(ctx);
}

void BM_PROJ_Pipeline_TM_exact(benchmark::State& state) {
    runProj(state, kTm);
}
void BM_PROJ_Pipeline_TM_approx(benchmark::State& state) {
    runProj(state, kTm + " +approx");
}
void BM_PROJ_Pipeline_Lambert2(benchmark::State& state) {
    runProj(state, kLcc);
}

// The geoid separation of one epoch from proj-data's EGM96 grid (a boat's
// positions: near each other, so the nodes are in the cache, as at sea).
void BM_GeoidSeparationPerEpoch(benchmark::State& st) {
    std::string error;
    const auto grid = nivora::geodesy::GeoidGrid::load("/usr/share/proj/egm96_15.gtx", &error);
    if (!grid) {
        st.SkipWithError(error.c_str());
        return;
    }
    double lat = 41.0, lon = 29.0, sum = 0;
    for (auto _ : st) {
        lat += 1e-6;
        lon += 1e-6;
        sum += grid->separation(lat, lon).value_or(0);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_GeoidSeparationPerEpoch);

BENCHMARK(BM_Ours_Fix_TM);
BENCHMARK(BM_Ours_Fix_Lambert2);
BENCHMARK(BM_Ours_ExactChain_TM);
BENCHMARK(BM_Ours_TextOperations_TM);
BENCHMARK(BM_PROJ_Pipeline_TM_exact);
BENCHMARK(BM_PROJ_Pipeline_TM_approx);
BENCHMARK(BM_PROJ_Pipeline_Lambert2);

// Ours and PROJ side by side in one benchmark: each iteration runs the
// same 1024 fixes through both, so the ratio comes from one run.
void runPair(benchmark::State& state, bool lambert, const std::string& projection) {
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* pj = createPipeline(ctx, projection);
    if (pj == nullptr) {
        state.SkipWithError("PROJ rejects the pipeline");
        proj_context_destroy(ctx);
        return;
    }
    auto projector = FixProjector::take(surveyParameters(lambert));
    const Fixes& f = fixes();
    std::vector<PJ_COORD> in;
    for (int k = 0; k < kPoints; ++k)
        in.push_back(proj_coord(proj_torad(f.lon[k]), proj_torad(f.lat[k]), 0, 0));
    using Clock = std::chrono::steady_clock;
    Clock::duration ours{}, proj{};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int k = 0; k < kPoints; ++k) {
            const FixResult r = projector->project(f.lat[k], f.lon[k], f.alt[k]);
            benchmark::DoNotOptimize(r);
        }
        const auto t1 = Clock::now();
        for (int k = 0; k < kPoints; ++k) {
            const PJ_COORD r = proj_trans(pj, PJ_FWD, in[static_cast<std::size_t>(k)]);
            benchmark::DoNotOptimize(r);
        }
        const auto t2 = Clock::now();
        ours += t1 - t0;
        proj += t2 - t1;
    }
    const double fixesRun = static_cast<double>(state.iterations()) * kPoints;
    const double oursNs = std::chrono::duration<double, std::nano>(ours).count() / fixesRun;
    const double projNs = std::chrono::duration<double, std::nano>(proj).count() / fixesRun;
    state.counters["ours_ns"] = oursNs;
    state.counters["proj_ns"] = projNs;
    state.counters["ratio"] = oursNs / projNs;
    proj_destroy(pj);
    proj_context_destroy(ctx);
}

void BM_Pair_Fix_TM_vs_PROJ_exact(benchmark::State& state) {
    runPair(state, false, kTm);
}
void BM_Pair_Fix_TM_vs_PROJ_approx(benchmark::State& state) {
    runPair(state, false, kTm + " +approx");
}
void BM_Pair_Fix_Lambert2_vs_PROJ(benchmark::State& state) {
    runPair(state, true, kLcc);
}

BENCHMARK(BM_Pair_Fix_TM_vs_PROJ_exact);
BENCHMARK(BM_Pair_Fix_TM_vs_PROJ_approx);
BENCHMARK(BM_Pair_Fix_Lambert2_vs_PROJ);

}  // namespace

BENCHMARK_MAIN();
