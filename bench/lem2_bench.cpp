// LEM2 rule induction, fast and straightforward: a generated table of five-valued attributes whose
// decision follows three of them with some noise, at several sizes, and the bundled segment
// training table.
#include "bench_support.h"
#include "lem2.h"
#include "table_files.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

// objects x 10 attributes of values 0 to 4; the decision is (a1 + 2 a2 + a3) mod 3, except that
// about one object in ten draws its decision at random from 0 to 2 instead. Fixed seeds.
kolven::LEM2v1 noisyTable(std::uint32_t objects)
{
    const kolven::SystemDecyzyjny table = kolven::bench::randomTable(objects, 10, 0, 4, 8);
    kolven::LinearCongruential noise;
    noise.seed(88);
    kolven::LEM2v1 lem2;
    lem2.copyFrom(table);
    for (std::uint32_t o = 0; o < objects; ++o) {
        float* row = lem2.values.data() + std::size_t(o) * lem2.rowLength;
        row[lem2.attributeCount] = float(int(row[0] + 2 * row[1] + row[2]) % 3);
        if (noise.next() % 10 == 0) {
            row[lem2.attributeCount] = float(noise.next() % 3);
        }
    }
    return lem2;
}

// objects x 20 attributes of values 0 to 4 and a decision drawn from 0 to 4 alike: nearly every
// object unique, so the rules are many and long.
kolven::LEM2v1 randomWideTable(std::uint32_t objects)
{
    kolven::LEM2v1 lem2;
    lem2.copyFrom(kolven::bench::randomTable(objects, 20, 0, 4, 20));
    return lem2;
}

// objects x 20 attributes of values 0 to 4 whose decision is (a1 + 2 a2 + 3 a3) mod 5, except
// that one object in twenty has its decision drawn at random from 0 to 4 instead. Fixed seeds.
kolven::LEM2v1 structuredTable(std::uint32_t objects)
{
    kolven::LEM2v1 lem2;
    lem2.copyFrom(kolven::bench::randomTable(objects, 20, 0, 4, 21));
    kolven::LinearCongruential noise;
    noise.seed(89);
    for (std::uint32_t o = 0; o < objects; ++o) {
        float* row = lem2.values.data() + std::size_t(o) * lem2.rowLength;
        row[lem2.attributeCount] = float(int(row[0] + 2 * row[1] + 3 * row[2]) % 5);
        if (noise.next() % 20 == 0) {
            row[lem2.attributeCount] = float(noise.next() % 5);
        }
    }
    return lem2;
}

kolven::LEM2v1 segmentChallenge()
{
    kolven::LEM2v1 lem2;
    if (!kolven::readTab(std::filesystem::path(KOLVEN_BENCH_DATA) / "segment-challenge.tab", lem2)) {
        throw std::runtime_error("segment-challenge.tab cannot be read");
    }
    return lem2;
}

// Times induce(lem2), one of lem2's runs, and labels the result with the number of rules.
template <typename Induce>
void runInduction(benchmark::State& state, kolven::LEM2v1& lem2, Induce induce)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(induce(lem2));
    }
    state.SetLabel(std::to_string(lem2.rules.size()) + " rules");
    kolven::bench::reportPeakMemory(state);
}

// The fast induction on one thread, watched by progress, and the reference.
auto fast(kolven::Progress& progress = kolven::noProgress())
{
    return [&progress](kolven::LEM2v1& lem2) { return lem2.runLem2(progress, 1); };
}
bool reference(kolven::LEM2v1& lem2)
{
    return lem2.runLem2Reference();
}

void BM_Lem2(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = noisyTable(std::uint32_t(state.range(0)));
    runInduction(state, lem2, fast());
}

void BM_Lem2Reference(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = noisyTable(std::uint32_t(state.range(0)));
    runInduction(state, lem2, reference);
}

void BM_Lem2Random(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = randomWideTable(std::uint32_t(state.range(0)));
    runInduction(state, lem2, fast());
}

void BM_Lem2RandomReference(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = randomWideTable(std::uint32_t(state.range(0)));
    runInduction(state, lem2, reference);
}

void BM_Lem2Structured(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = structuredTable(std::uint32_t(state.range(0)));
    runInduction(state, lem2, fast());
}

// The structured table's decision classes shared among state.range(1) threads.
void BM_Lem2StructuredThreads(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = structuredTable(std::uint32_t(state.range(0)));
    const auto threads = unsigned(state.range(1));
    runInduction(state, lem2, [threads](kolven::LEM2v1& table) { return table.runLem2(kolven::noProgress(), threads); });
}

void BM_Lem2Segment(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = segmentChallenge();
    runInduction(state, lem2, fast());
}

// The same run watched by a progress another thread could read and stop, as the window's runs
// are: what the progress reports and cancel checks cost.
void BM_Lem2SegmentWatched(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = segmentChallenge();
    kolven::SharedProgress progress;
    runInduction(state, lem2, fast(progress));
}

void BM_Lem2SegmentReference(benchmark::State& state)
{
    kolven::LEM2v1 lem2 = segmentChallenge();
    runInduction(state, lem2, reference);
}

} // namespace

// The growth with the number of objects, and the 5,000-object table against the reference.
BENCHMARK(BM_Lem2)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(5000)->Arg(8000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2Reference)->Arg(5000)->Unit(benchmark::kMillisecond);
// Large tables: the growth from 50,000 to 200,000 random objects, one run each.
BENCHMARK(BM_Lem2Random)->Arg(50000)->Arg(100000)->Arg(200000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2Structured)->Arg(200000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2StructuredThreads)
    ->ArgsProduct({{200000, 1000000}, {1, 2}})
    ->Iterations(1)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2RandomReference)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2Random)->Arg(5000)->Unit(benchmark::kMillisecond);
// The argument names the segment table's number of objects, pairing each run with its reference.
BENCHMARK(BM_Lem2Segment)->Arg(1500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2SegmentReference)->Arg(1500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lem2SegmentWatched)->Arg(1500)->Unit(benchmark::kMillisecond);
