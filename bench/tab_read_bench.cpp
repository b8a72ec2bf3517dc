// Reading a large .tab table: about 50 MB of text generated from a fixed seed, read from a file
// (the whole load) and parsed from memory (the scanner alone).
#include "bench_support.h"
#include "table_files.h"
#include "table_formats.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

const std::string& largeTabText()
{
    static const std::string text = kolven::bench::tabText(kolven::bench::randomTable(330'000, 19, 0, 1000, 11, true));
    return text;
}

void BM_TabParse(benchmark::State& state)
{
    const std::string& text = largeTabText();
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        benchmark::DoNotOptimize(kolven::parseTab(text, table));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    kolven::bench::reportPeakMemory(state);
}

void BM_TabRead(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "kolven-bench-large.tab";
    std::ofstream(path, std::ios::binary) << largeTabText();
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        benchmark::DoNotOptimize(kolven::readTable(path, table));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(largeTabText().size()));
    kolven::bench::reportPeakMemory(state);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_TabParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabRead)->Unit(benchmark::kMillisecond);
