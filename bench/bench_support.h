#pragma once

#include "decision_system.h"
#include "generator.h"
#include "text_format.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <string>

namespace kolven::bench {

// A table of objects x attributes values drawn by the program's own generator from a fixed
// seed; fractional adds a fixed fraction to each condition value so that they are not integers.
inline SystemDecyzyjny randomTable(std::uint32_t objects, std::uint32_t attributes, float min, float max,
                                   std::uint32_t seed, bool fractional = false)
{
    SystemDecyzyjny table;
    RandomSystemGenerator generator;
    generator.generate(table, objects, attributes, min, max, seed);
    if (fractional) {
        for (std::size_t i = 0; i < table.values.size(); ++i) {
            if (i % table.rowLength != table.attributeCount) {
                table.values[i] += float(i % 1000) / 1000.0f;
            }
        }
    }
    return table;
}

// The table as .tab text, values with three decimals.
inline std::string tabText(const SystemDecyzyjny& table)
{
    std::string text = "ATTRIBUTES " + std::to_string(table.rowLength) + "\nOBJECTS " + std::to_string(table.objectCount) + "\n";
    for (std::size_t i = 0; i < table.values.size(); ++i) {
        appendFixed(text, table.values[i], 3);
        text += (i + 1) % table.rowLength == 0 ? '\n' : ' ';
    }
    return text;
}

// The process's peak resident memory so far, in MiB, as a benchmark counter. The bench script
// runs each benchmark in a process of its own, so the peak is that benchmark's.
inline void reportPeakMemory(benchmark::State& state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024.0;
}

} // namespace kolven::bench
