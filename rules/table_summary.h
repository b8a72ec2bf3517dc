#pragma once

#include "decision_system.h"
#include "table_names.h"

#include <cstdint>
#include <string>

namespace kolven {

// What reading a table noticed that its summary reports: .tab tokens read as 0 and .arff row
// weights that were ignored. Zero for a table that was typed, generated or edited.
struct TableReadNotes {
    std::uint64_t nonNumericValues = 0;
    std::uint64_t weightedRows = 0;
};

// The description of a table that `kolven-cli info` prints and the window shows: its counts, the
// notes of its reading, with names its attributes and their values, and its decision classes
// with their sizes; lines ended by "\n". The decision classes are built and released again.
std::string tableSummary(SystemDecyzyjny& table, const TableReadNotes& notes, const TableNames* names);

} // namespace kolven
