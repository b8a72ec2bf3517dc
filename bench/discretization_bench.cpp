// Discretization: MD cuts of the bundled segment training table and of a random numeric table,
// entropy cuts of a large one. The random tables hold values with three decimals and three
// decision classes, drawn from fixed seeds.
#include "bench_support.h"
#include "discretization.h"
#include "table_files.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <stdexcept>

namespace {

kolven::SystemDecyzyjny numericTable(std::uint32_t objects, std::uint32_t attributes, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<float> matrix(std::size_t(objects) * (attributes + 1));
    for (std::size_t i = 0; i < matrix.size(); ++i) {
        matrix[i] = (i + 1) % (attributes + 1) == 0 ? float(random() % 3) : float(random() % 100000) / 1000.0f;
    }
    kolven::SystemDecyzyjny table;
    table.installValues(objects, attributes, std::move(matrix));
    return table;
}

void run(benchmark::State& state, const kolven::SystemDecyzyjny& table, kolven::CutMethod method)
{
    const std::vector<bool> all(table.attributeCount, true);
    std::size_t cuts = 0;
    for (auto _ : state) {
        const auto found = kolven::fitDiscretization(table, all, {method, 5});
        cuts = 0;
        for (const auto& attribute : found->cuts) {
            cuts += attribute.size();
        }
        benchmark::DoNotOptimize(cuts);
    }
    state.counters["cuts"] = double(cuts);
    kolven::bench::reportPeakMemory(state);
}

void BM_MdSegmentChallenge(benchmark::State& state)
{
    kolven::SystemDecyzyjny table;
    if (!kolven::readTab(std::filesystem::path(KOLVEN_BENCH_EXAMPLES) / "segment-challenge.tab", table)) {
        throw std::runtime_error("segment-challenge.tab cannot be read");
    }
    run(state, table, kolven::CutMethod::MaximalDiscernibility);
}
BENCHMARK(BM_MdSegmentChallenge)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

void BM_MdRandom(benchmark::State& state)
{
    run(state, numericTable(std::uint32_t(state.range(0)), 20, 1), kolven::CutMethod::MaximalDiscernibility);
}
BENCHMARK(BM_MdRandom)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

void BM_EntropyRandom(benchmark::State& state)
{
    run(state, numericTable(std::uint32_t(state.range(0)), 20, 2), kolven::CutMethod::Entropy);
}
BENCHMARK(BM_EntropyRandom)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime()->Iterations(1);

} // namespace
