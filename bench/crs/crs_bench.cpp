// A search of the EPSG register as the surveyor types, one keystroke at a
// time: the list must follow the typing.

#include <benchmark/benchmark.h>

#include "crs/epsg_register.h"

namespace nivora::crs {
namespace {

void BM_SearchPerKeystroke(benchmark::State& st) {
    QString error;
    const auto reg = EpsgRegister::open(EpsgRegister::defaultPath(), &error);
    if (!reg) {
        st.SkipWithError(error.toStdString().c_str());
        return;
    }
    const QString typed = QStringLiteral("ED50 / UTM zone 35N");
    std::size_t found = 0;
    for (auto _ : st) {
        for (qsizetype n = 1; n <= typed.size(); ++n)
            found += reg->search(typed.left(n), 100).size();
    }
    benchmark::DoNotOptimize(found);
    // Items: keystrokes; their rate gives the time of one.
    st.SetItemsProcessed(st.iterations() * typed.size());
}
BENCHMARK(BM_SearchPerKeystroke)->Unit(benchmark::kMillisecond);

void BM_SearchByCode(benchmark::State& st) {
    QString error;
    const auto reg = EpsgRegister::open(EpsgRegister::defaultPath(), &error);
    if (!reg) {
        st.SkipWithError(error.toStdString().c_str());
        return;
    }
    for (auto _ : st)
        benchmark::DoNotOptimize(reg->search(QStringLiteral("2303"), 100));
}
BENCHMARK(BM_SearchByCode)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivora::crs

BENCHMARK_MAIN();
