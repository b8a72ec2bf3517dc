// Exports: soybean's rules of every length from the exhaustive search formatted as the export
// file's text, and that text written to a file, in bytes per second of the file.
#include "ercim.h"
#include "table_files.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

const kolven::ERCIM& soybeanRules()
{
    static const kolven::ERCIM ercim = [] {
        kolven::ERCIM found;
        if (!kolven::readTab(std::filesystem::path(KOLVEN_BENCH_EXAMPLES) / "soybean.tab", found) ||
            !found.computeRules(kolven::noProgress(), {.allOrders = false, .threads = 2})) {
            std::cerr << "soybean's rules cannot be found\n";
            std::exit(1);
        }
        return found;
    }();
    return ercim;
}

void BM_ExportFormat(benchmark::State& state)
{
    const kolven::ERCIM& ercim = soybeanRules();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = kolven::exhaustiveExportText(ercim);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(std::int64_t(bytes) * state.iterations());
}

void BM_ExportWrite(benchmark::State& state)
{
    const kolven::ERCIM& ercim = soybeanRules();
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "kolven-export-bench.txt";
    for (auto _ : state) {
        if (!ercim.exportResults(path)) {
            state.SkipWithError("the export cannot be written");
            break;
        }
    }
    state.SetBytesProcessed(std::int64_t(std::filesystem::file_size(path)) * state.iterations());
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_ExportFormat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportWrite)->Unit(benchmark::kMillisecond);
