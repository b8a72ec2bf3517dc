#pragma once

#include "decision_system.h"

#include <cstdint>
#include <vector>

namespace kolven::testing {

// Fills target with the given rows, each its condition values followed by its decision.
inline void fillTable(SystemDecyzyjny& target, std::uint32_t attributes, const std::vector<std::vector<float>>& rows)
{
    std::vector<float> matrix;
    for (const auto& row : rows) {
        matrix.insert(matrix.end(), row.begin(), row.end());
    }
    target.installValues(std::uint32_t(rows.size()), attributes, matrix);
}

} // namespace kolven::testing
