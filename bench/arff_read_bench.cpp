// Reading .arff tables of numbers: about 50 MB of text parsed from memory (the reader alone), and
// a 200 MB file read as kolven-cli reads it, whose peak memory (peak_MiB, and peak_per_file: the
// peak over the file's size) is the figure to watch, as for CSV.
#include "bench_support.h"
#include "arff_reader.h"
#include "csv_writer.h"
#include "table_formats.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

// A table of numbers with three decimals and a decision of 0 to 10: its @data rows as CSV writes
// them, after the declarations when header is set, so that chunks can be joined into one file.
std::string arffChunk(std::uint32_t objects, std::uint32_t seed, bool header)
{
    const kolven::SystemDecyzyjny table = kolven::bench::randomTable(objects, 19, 0, 1000, seed, true);
    const std::string csv = kolven::csvText(table, nullptr);
    const std::string rows = csv.substr(csv.find('\n') + 1);
    if (!header) {
        return rows;
    }
    std::string text = "@relation large\n";
    for (std::uint32_t a = 1; a <= table.attributeCount; ++a) {
        text += "@attribute a" + std::to_string(a) + " numeric\n";
    }
    return text + "@attribute d numeric\n@data\n" + rows;
}

void BM_ArffParse(benchmark::State& state)
{
    static const std::string text = arffChunk(330'000, 11, true);
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        kolven::TableNames names;
        kolven::ReadRefusal refusal;
        benchmark::DoNotOptimize(kolven::parseArff(text, {}, table, names, refusal));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    kolven::bench::reportPeakMemory(state);
}

void BM_ArffRead200MB(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "kolven-bench-large.arff";
    std::uintmax_t size = 0;
    {
        std::ofstream out(path, std::ios::binary);
        for (std::uint32_t chunk = 0; size < 200'000'000; ++chunk) {
            const std::string text = arffChunk(50'000, 100 + chunk, chunk == 0);
            out << text;
            size += text.size();
        }
    }
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        kolven::TableRead read;
        benchmark::DoNotOptimize(kolven::readTable(path, kolven::TableFormat::Arff, table, read, {}));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
    kolven::bench::reportPeakMemory(state);
    state.counters["peak_per_file"] = state.counters["peak_MiB"] * 1048576.0 / double(size);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_ArffParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArffRead200MB)->Unit(benchmark::kMillisecond)->Iterations(1);
