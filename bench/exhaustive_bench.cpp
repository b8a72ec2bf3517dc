// The exhaustive rule search on the bundled segment training table and breast-cancer table, the
// fast search against the straightforward reference, and how the fast search grows with the
// number of objects on generated tables of 10 attributes with values 0 to 4.
#include "bench_support.h"
#include "exhaustive_search.h"
#include "table_files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

using SearchFunction = kolven::ExhaustiveRules (*)(const kolven::SystemDecyzyjny&);

kolven::SystemDecyzyjny bundledTable(const std::string& name)
{
    kolven::SystemDecyzyjny table;
    const std::filesystem::path path = std::filesystem::path(KOLVEN_BENCH_DATA) / (name + ".tab");
    if (!kolven::readTab(path, table)) {
        std::cerr << "cannot read " << path << '\n';
        std::exit(1);
    }
    return table;
}

void runSearch(benchmark::State& state, const kolven::SystemDecyzyjny& table, SearchFunction search)
{
    for (auto _ : state) {
        kolven::ExhaustiveRules rules = search(table);
        benchmark::DoNotOptimize(rules);
    }
    kolven::bench::reportPeakMemory(state);
}

void BM_ExhaustiveGrowth(benchmark::State& state)
{
    const kolven::SystemDecyzyjny table =
        kolven::bench::randomTable(static_cast<std::uint32_t>(state.range(0)), 10, 0, 4, 8);
    runSearch(state, table, kolven::searchExhaustiveRules);
}

// One fast and one reference benchmark per bundled table, named alike so that the bench script
// sets them side by side. The reference on the segment table takes minutes; a single run already
// exceeds the minimum measuring time, so it runs once without a fixed iteration count, which
// would change its name.
const bool registered = [] {
    for (const std::string name : {"segment-challenge", "breast-cancer"}) {
        benchmark::RegisterBenchmark(("BM_Exhaustive/" + name).c_str(), [name](benchmark::State& state) {
            runSearch(state, bundledTable(name), kolven::searchExhaustiveRules);
        })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ExhaustiveReference/" + name).c_str(), [name](benchmark::State& state) {
            runSearch(state, bundledTable(name), kolven::searchExhaustiveRulesReference);
        })->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

BENCHMARK(BM_ExhaustiveGrowth)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond);
