// The computations that share their work among threads, each on 1 and on 2 threads (the bench
// script prints the speed-up of /2 over /1; the exhaustive search and k-NN have theirs in their
// own programs): cross-validation, whose folds are tested side by side, by k-NN and by LEM2; all
// reducts and the greedy reduct; MD and entropy cuts. Random tables drawn from fixed seeds.
#include "bench_support.h"
#include "cross_validation.h"
#include "discretization.h"
#include "reducts.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace kolven {
namespace {

unsigned threadsOf(const benchmark::State& state) { return unsigned(state.range(0)); }

// objects x attributes values 0 to 100 with three decimals; the decision (0 to 2) counts the
// first two attributes above 50, one object in ten taking a random one instead.
SystemDecyzyjny numericTable(std::uint32_t objects, std::uint32_t attributes, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<float> matrix(std::size_t(objects) * (attributes + 1));
    for (std::size_t row = 0; row < matrix.size(); row += attributes + 1) {
        for (std::uint32_t a = 0; a < attributes; ++a) {
            matrix[row + a] = float(random() % 100000) / 1000.0f;
        }
        const float decision = float((matrix[row] > 50) + (attributes > 1 && matrix[row + 1] > 50));
        matrix[row + attributes] = random() % 10 == 0 ? float(random() % 3) : decision;
    }
    SystemDecyzyjny table;
    table.installValues(objects, attributes, std::move(matrix));
    return table;
}

void crossValidation(benchmark::State& state, const SystemDecyzyjny& table, CvMethod method)
{
    CrossValidation results;
    for (auto _ : state) {
        if (!crossValidate(table, {.method = method, .k = 5, .folds = 10, .seed = 1, .threads = threadsOf(state)}, results)) {
            state.SkipWithError("stopped");
            break;
        }
    }
    std::uint32_t correct = 0;
    for (const FoldResult& fold : results.folds) {
        correct += fold.correct;
    }
    state.counters["correct"] = correct;
}

// 10 folds of 10,000 x 20 numbers, k = 5.
void BM_CrossValidationKnnThreads(benchmark::State& state)
{
    crossValidation(state, numericTable(10000, 20, 3), CvMethod::Knn);
}

// 10 folds of 5,000 x 20 values 0 to 4.
void BM_CrossValidationLem2Threads(benchmark::State& state)
{
    crossValidation(state, bench::randomTable(5000, 20, 0, 4, 22), CvMethod::Lem2);
}

void reducts(benchmark::State& state, const SystemDecyzyjny& table, ReductMethod method)
{
    ReductAnalysis analysis;
    for (auto _ : state) {
        if (!computeReducts(table, method, analysis, noProgress(), threadsOf(state))) {
            state.SkipWithError("stopped");
            break;
        }
    }
    state.counters["reducts"] = double(analysis.reducts.size());
}

// Every reduct of 5,000 x 10 values 0 to 4.
void BM_AllReductsThreads(benchmark::State& state)
{
    reducts(state, bench::randomTable(5000, 10, 0, 4, 23), ReductMethod::All);
}

// The greedy reduct of 200,000 x 20 values 0 to 9.
void BM_GreedyReductThreads(benchmark::State& state)
{
    reducts(state, bench::randomTable(200000, 20, 0, 9, 24), ReductMethod::Greedy);
}

void cuts(benchmark::State& state, const SystemDecyzyjny& table, CutMethod method)
{
    const std::vector<bool> all(table.attributeCount, true);
    std::size_t count = 0;
    for (auto _ : state) {
        const auto found = fitDiscretization(table, all, {method, 5}, noProgress(), threadsOf(state));
        count = 0;
        for (const auto& attribute : found->cuts) {
            count += attribute.size();
        }
        benchmark::DoNotOptimize(count);
    }
    state.counters["cuts"] = double(count);
}

// MD cuts of 20,000 x 20 numbers; entropy cuts of 200,000 x 20.
void BM_MdThreads(benchmark::State& state) { cuts(state, numericTable(20000, 20, 1), CutMethod::MaximalDiscernibility); }
void BM_EntropyThreads(benchmark::State& state) { cuts(state, numericTable(200000, 20, 2), CutMethod::Entropy); }

// Wall time decides the speed-up; the CPU time of the whole process shows what the threads cost.
#define KOLVEN_THREADS_BENCHMARK(name) \
    BENCHMARK(name)->Arg(1)->Arg(2)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond)

KOLVEN_THREADS_BENCHMARK(BM_CrossValidationKnnThreads);
KOLVEN_THREADS_BENCHMARK(BM_CrossValidationLem2Threads);
KOLVEN_THREADS_BENCHMARK(BM_AllReductsThreads);
KOLVEN_THREADS_BENCHMARK(BM_GreedyReductThreads);
KOLVEN_THREADS_BENCHMARK(BM_MdThreads);
KOLVEN_THREADS_BENCHMARK(BM_EntropyThreads);

} // namespace
} // namespace kolven
