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

} // namespace kolven
