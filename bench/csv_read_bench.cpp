// Reading .csv tables of numbers: about 50 MB of text parsed from memory (the reader alone), and a
// 200 MB file read as kolven-cli reads it, whose peak memory (peak_MiB, and peak_per_file: the
// peak over the file's size) is the figure to watch: the table's floats and the file's bytes,
// nothing per field.
#include "bench_support.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "table_formats.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

namespace {

// A table of numbers with three decimals and a decision of 0 to 10, as CSV text; without its
// header line when header is false, so that chunks can be joined into one large file.
std::string csvChunk(std::uint32_t objects, std::uint32_t seed, bool header)
{
    const std::string text = kolven::csvText(kolven::bench::randomTable(objects, 19, 0, 1000, seed, true), nullptr);
    return header ? text : text.substr(text.find('\n') + 1);
}

void BM_CsvParse(benchmark::State& state)
{
    static const std::string text = csvChunk(330'000, 11, true);
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        kolven::TableNames names;
        kolven::ReadRefusal refusal;
        benchmark::DoNotOptimize(kolven::parseCsv(text, {}, table, names, refusal));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
    kolven::bench::reportPeakMemory(state);
}

void BM_CsvRead200MB(benchmark::State& state)
{
    const auto path = std::filesystem::temp_directory_path() / "kolven-bench-large.csv";
    std::uintmax_t size = 0;
    {
        std::ofstream out(path, std::ios::binary);
        for (std::uint32_t chunk = 0; size < 200'000'000; ++chunk) {
            const std::string text = csvChunk(50'000, 100 + chunk, chunk == 0);
            out << text;
            size += text.size();
        }
    }
    for (auto _ : state) {
        kolven::SystemDecyzyjny table;
        kolven::TableRead read;
        benchmark::DoNotOptimize(kolven::readTable(path, kolven::TableFormat::Csv, table, read, {}));
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(size));
    kolven::bench::reportPeakMemory(state);
    state.counters["peak_per_file"] = state.counters["peak_MiB"] * 1048576.0 / double(size);
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_CsvParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvRead200MB)->Unit(benchmark::kMillisecond)->Iterations(1);
