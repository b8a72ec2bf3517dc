// k-NN classification of a generated test table: 20 attributes of uniform floats, 3 classes,
// k = 5. The fast path runs on 10,000 x 10,000 objects, on every core and on one; the
// insertion-sort reference, whose cost grows with the test objects times the squares of the
// class sizes, runs on 2,000 x 2,000 beside the fast path on the same table (the reference on
// 10,000 x 10,000 would take about 5 x 5^2 = 125 times its 2,000 x 2,000 time).
#include "bench_support.h"
#include "knn.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace kolven {
namespace {

constexpr std::uint32_t kAttributes = 20;
constexpr std::uint32_t kClasses = 3;
constexpr std::uint32_t kNeighbours = 5;

void fillRandom(SystemDecyzyjny& table, std::uint32_t objects, std::mt19937& random)
{
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    std::uniform_int_distribution<std::uint32_t> decision(0, kClasses - 1);
    std::vector<float> matrix;
    matrix.reserve(std::size_t(objects) * (kAttributes + 1));
    for (std::uint32_t i = 0; i < objects; ++i) {
        for (std::uint32_t a = 0; a < kAttributes; ++a) {
            matrix.push_back(value(random));
        }
        matrix.push_back(float(decision(random)));
    }
    table.installValues(objects, kAttributes, std::move(matrix));
}

// Training and test tables of the given size, the same for every run of the benchmark.
void fillTables(kNNv1& knn, std::uint32_t objects)
{
    std::mt19937 random(20240611);
    fillRandom(knn, objects, random);
    fillRandom(knn.testSystem, objects, random);
}

void classify(benchmark::State& state, KnnScoring scoring, unsigned threads, Progress& progress = noProgress())
{
    kNNv1 knn;
    fillTables(knn, std::uint32_t(state.range(0)));
    for (auto _ : state) {
        knn.k = kNeighbours;
        if (!knn.classifyTestSystem(scoring, threads, progress)) {
            state.SkipWithError("classification refused");
            break;
        }
        benchmark::DoNotOptimize(knn.correctCount);
    }
    state.counters["caught"] = knn.caughtCount;
    state.counters["correct"] = knn.correctCount;
    bench::reportPeakMemory(state);
}

void BM_Knn(benchmark::State& state) { classify(state, KnnScoring::Fast, 0); }
void BM_KnnOneCore(benchmark::State& state) { classify(state, KnnScoring::Fast, 1); }
void BM_KnnOneCoreReference(benchmark::State& state) { classify(state, KnnScoring::Reference, 1); }
// 10,000 x 10,000 on the number of threads given: the bench script sets 2 beside 1.
void BM_KnnThreads(benchmark::State& state)
{
    state.SetLabel("10000 x 10000");
    kNNv1 knn;
    fillTables(knn, 10000);
    for (auto _ : state) {
        knn.k = kNeighbours;
        if (!knn.classifyTestSystem(KnnScoring::Fast, unsigned(state.range(0)), noProgress())) {
            state.SkipWithError("classification refused");
            break;
        }
        benchmark::DoNotOptimize(knn.correctCount);
    }
    bench::reportPeakMemory(state);
}
// Watched by a progress another thread could read and stop, as the window's runs are: what the
// progress reports and cancel checks cost.
void BM_KnnWatched(benchmark::State& state)
{
    SharedProgress progress;
    classify(state, KnnScoring::Fast, 0, progress);
}

// Training and test tables of the same size; 1k to 8k show how the time grows.
BENCHMARK(BM_Knn)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KnnOneCore)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KnnThreads)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KnnWatched)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KnnOneCoreReference)->Arg(2000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
} // namespace kolven

