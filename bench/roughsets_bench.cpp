// The rough-set analysis: all reducts of soybean (570 reducts) and of a random 5,000 x 10 table,
// Johnson's reduct of soybean, the greedy reduct of random 1,000,000 x 20 and 100,000 x 200
// tables, the approximations of 1,000,000 objects, and the core beside one greedy step on the same
// table. Random tables: whole values 0 .. values - 1 and 3 classes drawn from fixed seeds. Each
// benchmark reports the process's CPU time beside the wall time, and its peak memory.
#include "approximations.h"
#include "bench_support.h"
#include "indiscernibility.h"
#include "reducts.h"
#include "table_formats.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

namespace kolven {
namespace {

SystemDecyzyjny randomValues(std::uint32_t objects, std::uint32_t attributes, std::uint32_t values)
{
    std::mt19937 random(20261207);
    std::vector<float> matrix(std::size_t(objects) * (attributes + 1));
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        matrix[i] = float(random() % ((i + 1) % (attributes + 1) == 0 ? 3 : values));
    }
    SystemDecyzyjny table;
    table.installValues(objects, attributes, std::move(matrix));
    return table;
}

SystemDecyzyjny soybean()
{
    SystemDecyzyjny table;
    readTable(std::filesystem::path(KOLVEN_BENCH_EXAMPLES) / "soybean.tab", table);
    return table;
}

void reducts(benchmark::State& state, const SystemDecyzyjny& table, ReductMethod method)
{
    ReductAnalysis analysis;
    for (auto _ : state) {
        if (!computeReducts(table, method, analysis)) {
            state.SkipWithError("stopped");
        }
    }
    state.counters["reducts"] = double(analysis.reducts.size());
    state.counters["size"] = double(analysis.reducts.empty() ? 0 : analysis.reducts.front().size());
    bench::reportPeakMemory(state);
}

void BM_AllReductsSoybean(benchmark::State& state) { reducts(state, soybean(), ReductMethod::All); }
void BM_JohnsonSoybean(benchmark::State& state) { reducts(state, soybean(), ReductMethod::Johnson); }

void BM_AllReductsRandom(benchmark::State& state)
{
    reducts(state, randomValues(std::uint32_t(state.range(0)), std::uint32_t(state.range(1)), 5), ReductMethod::All);
}

void BM_GreedyRandom(benchmark::State& state)
{
    reducts(state, randomValues(std::uint32_t(state.range(0)), std::uint32_t(state.range(1)), 10), ReductMethod::Greedy);
    state.counters["table_MiB"] = double(state.range(0)) * double(state.range(1) + 1) * 4 / (1024 * 1024);
}

void BM_Approximations(benchmark::State& state)
{
    const SystemDecyzyjny table = randomValues(std::uint32_t(state.range(0)), std::uint32_t(state.range(1)), 10);
    std::vector<std::uint32_t> attributes(table.attributeCount);
    std::iota(attributes.begin(), attributes.end(), 0u);
    Approximations approximations;
    for (auto _ : state) {
        computeApproximations(table, attributes, approximations);
    }
    state.counters["classes"] = approximations.indiscernibilityClasses;
    bench::reportPeakMemory(state);
}

// The core of a coded table whose positive region is known, beside one greedy step: the growth
// of the positive region that each attribute brings to the empty set.
void BM_Core(benchmark::State& state)
{
    const SystemDecyzyjny table = randomValues(std::uint32_t(state.range(0)), std::uint32_t(state.range(1)), 10);
    const CodedTable coded(table);
    std::vector<std::uint32_t> all(coded.attributeCount());
    std::iota(all.begin(), all.end(), 0u);
    PositiveRegion positive;
    positiveRegion(coded, all, positive);
    std::vector<std::uint32_t> core;
    for (auto _ : state) {
        coreAttributes(coded, positive, core);
    }
    state.counters["core"] = double(core.size());
}

void BM_GreedyStep(benchmark::State& state)
{
    const SystemDecyzyjny table = randomValues(std::uint32_t(state.range(0)), std::uint32_t(state.range(1)), 10);
    const CodedTable coded(table);
    const Partition whole = Partition::whole(coded.objectCount());
    const unsigned threads = roughSetThreads(0);
    std::vector<Refiner> refiners(threads, Refiner(coded));
    std::vector<std::uint64_t> growth(coded.attributeCount());
    for (auto _ : state) {
        forEachOnThreads(coded.attributeCount(), threads, [&](std::uint32_t a, unsigned worker) {
            growth[a] = refiners[worker].consistentAfter(whole, a);
        });
    }
    benchmark::DoNotOptimize(growth.data());
}

BENCHMARK(BM_AllReductsSoybean)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllReductsRandom)->Args({5000, 10})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JohnsonSoybean)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreedyRandom)->Args({1000000, 20})->Args({100000, 200})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Approximations)->Args({1000000, 20})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Core)->Args({1000000, 20})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GreedyStep)->Args({1000000, 20})->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kolven
