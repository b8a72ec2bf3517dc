#pragma once

// Small random decision tables for comparing the rough-set computations with their definitions,
// and those definitions written out directly over pairs of objects.
#include "decision_system.h"

#include <cstdint>
#include <random>
#include <vector>

namespace kolven::testing {

// A table of up to 14 objects: only the varying attributes take values (0 .. values - 1, with
// -0 for some zeros and the missing value -1), the others are constant; some objects are copies
// of others, with the same or another decision.
inline SystemDecyzyjny randomRoughTable(std::mt19937& random, std::uint32_t attributes,
                                        const std::vector<std::uint32_t>& varying)
{
    const auto draw = [&](std::uint32_t below) { return std::uint32_t(random() % below); };
    const std::uint32_t objects = 1 + draw(14);
    const std::uint32_t values = 1 + draw(3);
    const std::uint32_t classes = 1 + draw(3);
    std::vector<float> matrix;
    for (std::uint32_t o = 0; o < objects; ++o) {
        const std::size_t start = matrix.size();
        if (o > 0 && draw(4) == 0) {
            const std::size_t copy = std::size_t(draw(o)) * (attributes + 1);
            matrix.insert(matrix.end(), matrix.begin() + copy, matrix.begin() + copy + attributes + 1);
            matrix.back() = draw(2) == 0 ? matrix.back() : float(draw(classes));
            continue;
        }
        matrix.resize(start + attributes + 1, 0.0f);
        for (std::uint32_t a : varying) {
            const std::uint32_t v = draw(values + 1);
            matrix[start + a] = v == values ? -1.0f : v == 0 && draw(2) == 0 ? -0.0f : float(v);
        }
        matrix[start + attributes] = float(draw(classes));
    }
    SystemDecyzyjny table;
    table.installValues(objects, attributes, std::move(matrix));
    return table;
}

// True when x and y have equal values on every attribute of the mask list.
inline bool sameOn(const SystemDecyzyjny& table, std::uint32_t x, std::uint32_t y, const std::vector<std::uint32_t>& on)
{
    for (std::uint32_t a : on) {
        if (!(table.value(x, a) == table.value(y, a))) {
            return false;
        }
    }
    return true;
}

// POS_B straight from its definition: x is in it when every object indiscernible from x on B has
// x's decision.
inline std::vector<bool> directPositiveRegion(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& on)
{
    std::vector<bool> positive(table.objectCount, true);
    for (std::uint32_t x = 0; x < table.objectCount; ++x) {
        for (std::uint32_t y = 0; y < table.objectCount; ++y) {
            if (sameOn(table, x, y, on) && table.decision(x) != table.decision(y)) {
                positive[x] = false;
            }
        }
    }
    return positive;
}

} // namespace kolven::testing
