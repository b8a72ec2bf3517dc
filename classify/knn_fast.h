#pragma once

#include "decision_system.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kolven {

// The class scores of referenceClassScores, bit for bit, computed faster: the training classes
// are laid out attribute by attribute so that many distances are computed side by side, and the
// k smallest distances of a class are kept in a sorted buffer of k entries instead of a full
// insertion sort (a new distance goes before the first entry >= it, so the k entries and their
// order are those of the full sort).
class KnnFastScorer {
public:
    // Lays out training, whose decision classes must be built, for 1 <= k <= its smallest class.
    // Throws std::bad_alloc when the layout cannot be allocated.
    KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k);

    // The work memory of one thread; made before the threads start, as it allocates.
    struct Scratch {
        std::vector<float> distances;
        std::vector<float> nearest;
    };
    Scratch makeScratch() const;

    // Writes the score of every training class of testRow to scores; allocates nothing.
    void classScores(const float* testRow, Scratch& scratch, float* scores) const;

private:
    struct ClassLayout {
        std::size_t offset; // of its first column in columns_
        std::uint32_t size; // objects
        std::uint32_t stride; // size rounded up to whole blocks: the length of one column
    };

    std::uint32_t attributeCount_;
    std::uint32_t k_;
    std::vector<ClassLayout> classes_;
    std::vector<float> columns_;
};

} // namespace kolven
