// The exhaustive rule search: on the bundled segment training and breast-cancer tables against
// the straightforward reference; what watching its progress costs; the long soybean search on one
// and on two threads; wide tables; the search of all orders; and how the search grows with the
// number of objects on generated tables of 10 attributes with values 0 to 4.
#include "bench_support.h"
#include "exhaustive_search.h"
#include "table_files.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

kolven::SystemDecyzyjny tableFile(const std::filesystem::path& path)
{
    kolven::SystemDecyzyjny table;
    if (!kolven::readTab(path, table)) {
        std::cerr << "cannot read " << path << '\n';
        std::exit(1);
    }
    return table;
}

kolven::SystemDecyzyjny bundledTable(const std::string& name)
{
    return tableFile(std::filesystem::path(KOLVEN_BENCH_DATA) / (name + ".tab"));
}

// Condition values min..max and decisions 0..decisions - 1, each from the program's generator.
kolven::SystemDecyzyjny generatedTable(std::uint32_t objects, std::uint32_t attributes, float max, float decisions)
{
    kolven::SystemDecyzyjny table = kolven::bench::randomTable(objects, attributes, 0, max, 8);
    const kolven::SystemDecyzyjny drawn = kolven::bench::randomTable(objects, 0, 0, decisions - 1, 9);
    for (std::uint32_t x = 0; x < objects; ++x) {
        table.values[std::size_t(x) * table.rowLength + attributes] = drawn.decision(x);
    }
    return table;
}

std::uint64_t printedRules(const kolven::ExhaustiveRules& rules)
{
    std::uint64_t printed = 0;
    for (std::uint32_t k = 1; k <= rules.order; ++k) {
        for (const kolven::RuleList& list : rules.rulesByOrder[k]) {
            for (std::size_t word = k; word < list.size(); word += k + 1) {
                printed += list[word] > 0 ? 1 : 0;
            }
        }
    }
    return printed;
}

void runSearch(benchmark::State& state, const kolven::SystemDecyzyjny& table, const kolven::ExhaustiveOptions& options,
               kolven::Progress& progress = kolven::noProgress())
{
    std::uint64_t rules = 0;
    for (auto _ : state) {
        const std::optional<kolven::ExhaustiveRules> found = kolven::searchExhaustiveRules(table, options, progress);
        rules = printedRules(*found);
        benchmark::DoNotOptimize(found);
    }
    state.counters["rules"] = double(rules);
    kolven::bench::reportPeakMemory(state);
}

void runReference(benchmark::State& state, const kolven::SystemDecyzyjny& table)
{
    for (auto _ : state) {
        kolven::ExhaustiveRules rules = kolven::searchExhaustiveRulesReference(table);
        benchmark::DoNotOptimize(rules);
    }
    kolven::bench::reportPeakMemory(state);
}

// The progress a window watches, counting the calls the search makes to it.
class CountedProgress : public kolven::SharedProgress {
public:
    void report(std::uint32_t stage, std::uint64_t done, std::uint64_t total) override
    {
        calls.fetch_add(1, std::memory_order_relaxed);
        SharedProgress::report(stage, done, total);
    }
    bool cancelled() const override
    {
        calls.fetch_add(1, std::memory_order_relaxed);
        return SharedProgress::cancelled();
    }

    mutable std::atomic<std::uint64_t> calls{0};
};

void BM_ExhaustiveGrowth(benchmark::State& state)
{
    runSearch(state, kolven::bench::randomTable(static_cast<std::uint32_t>(state.range(0)), 10, 0, 4, 8), {});
}

// Soybean (683 x 35) on the number of threads given.
void BM_ExhaustiveThreads(benchmark::State& state)
{
    const kolven::SystemDecyzyjny table = tableFile(std::filesystem::path(KOLVEN_BENCH_EXAMPLES) / "soybean.tab");
    runSearch(state, table, {.allOrders = false, .threads = static_cast<unsigned>(state.range(0))});
}

// Tables wider than one word of attribute bits: objects, attributes, highest value, decisions.
void BM_ExhaustiveWide(benchmark::State& state)
{
    const auto arg = [&](int i) { return static_cast<std::uint32_t>(state.range(i)); };
    runSearch(state, generatedTable(arg(0), arg(1), float(arg(2)), float(arg(3))), {});
}

// Every order of random tables of 10 attributes, values 0 to 4, 3 decisions.
void BM_ExhaustiveAllOrders(benchmark::State& state)
{
    runSearch(state, generatedTable(static_cast<std::uint32_t>(state.range(0)), 10, 4, 3), {.allOrders = true});
}

// Every benchmark but the one of thread counts runs on one thread per core and counts the CPU time
// of all of them, the time one core would take.
//
// One fast and one reference benchmark per bundled table, named alike so that the bench script
// sets them side by side. The reference on the segment table takes minutes; a single run already
// exceeds the minimum measuring time, so it runs once without a fixed iteration count, which
// would change its name. The watched search of the segment table shows what progress reports
// and cancel checks cost next to the unwatched one, and how many calls they are.
const bool registered = [] {
    for (const std::string name : {"segment-challenge", "breast-cancer"}) {
        benchmark::RegisterBenchmark(("BM_Exhaustive/" + name).c_str(), [name](benchmark::State& state) {
            runSearch(state, bundledTable(name), {});
        })->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_ExhaustiveReference/" + name).c_str(), [name](benchmark::State& state) {
            runReference(state, bundledTable(name));
        })->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_ExhaustiveWatched/segment-challenge", [](benchmark::State& state) {
        CountedProgress progress;
        runSearch(state, bundledTable("segment-challenge"), {}, progress);
        state.counters["progress_calls"] = double(progress.calls) / double(state.iterations());
    })->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_ExhaustiveAllOrders/segment-challenge", [](benchmark::State& state) {
        runSearch(state, bundledTable("segment-challenge"), {.allOrders = true});
    })->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace

BENCHMARK(BM_ExhaustiveGrowth)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExhaustiveThreads)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExhaustiveWide)->Args({12, 70, 2, 2})->Args({12, 100, 2, 2})->Args({300, 100, 299, 3})->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExhaustiveAllOrders)->Arg(1000)->Arg(5000)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
