#pragma once

#include "decision_system.h"
#include "progress.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kolven {

// The approximations of one decision class X on a set of attributes B.
struct ClassApproximation {
    float decision = 0;     // X's decision value
    std::uint32_t objects = 0; // |X|
    std::uint32_t lower = 0;   // objects whose indiscernibility class lies inside X
    std::uint32_t upper = 0;   // objects whose indiscernibility class meets X
    float accuracy = 0;        // lower / upper in single precision

    std::uint32_t boundary() const { return upper - lower; }
};

// The approximations of every decision class (decision values ascending) on attributes.
struct Approximations {
    std::vector<std::uint32_t> attributes;
    std::uint32_t indiscernibilityClasses = 0;
    std::vector<ClassApproximation> classes;
    std::uint32_t positiveRegion = 0; // |POS_B|, the union of the lower approximations
    std::uint32_t objects = 0;
    float quality = 0;                // |POS_B| / objects in single precision
    double elapsedSeconds = 0;
};

// Computes the approximations of table's decision classes on attributes (ascending condition
// attribute numbers), timed. False, with result untouched, when progress asks to stop; throws
// std::bad_alloc, with result untouched, when memory runs out.
bool computeApproximations(const SystemDecyzyjny& table, std::span<const std::uint32_t> attributes,
                           Approximations& result, Progress& progress = noProgress(), unsigned threads = 0);

} // namespace kolven
