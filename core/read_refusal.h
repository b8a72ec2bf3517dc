#pragma once

#include <cstdint>
#include <string>

namespace kolven {

// Why a table file was refused: the line where the fault stands (from 1) and what is wrong.
// unreadable: the file could not be read at all (what says why), so it is not called damaged.
struct ReadRefusal {
    std::uint64_t line = 0;
    std::string what;
    bool unreadable = false;
};

// The missing values of numeric columns a table with names held ("?", an empty field, NA, NaN):
// their count, and the first column that had one with its own count.
struct MissingNumbers {
    std::uint64_t total = 0;
    std::string firstColumn;
    std::uint64_t inFirstColumn = 0;
};

} // namespace kolven
