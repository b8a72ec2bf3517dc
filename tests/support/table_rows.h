#pragma once

#include "decision_system.h"

#include <cstdint>
#include <vector>

namespace kolven::testing {

// Rows of a table, each its condition values followed by its decision.
using Rows = std::vector<std::vector<float>>;

// Fills target with the given rows.
inline void fillTable(SystemDecyzyjny& target, std::uint32_t attributes, const Rows& rows)
{
    std::vector<float> matrix;
    for (const auto& row : rows) {
        matrix.insert(matrix.end(), row.begin(), row.end());
    }
    target.installValues(std::uint32_t(rows.size()), attributes, matrix);
}

// A new table of the given type holding the rows.
template <typename Table = SystemDecyzyjny>
Table tableOf(std::uint32_t attributes, const Rows& rows)
{
    Table table;
    fillTable(table, attributes, rows);
    return table;
}

} // namespace kolven::testing
