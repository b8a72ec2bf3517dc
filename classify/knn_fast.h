#pragma once

#include "decision_system.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kolven {

// How far apart the two square sums of one distance can lie over attributeCount attributes:
// the exactly rounded one of knnDistance and one summed in plain float arithmetic, with or
// without fused multiply and add.
class KnnSquareBound {
public:
    explicit KnnSquareBound(std::uint32_t attributeCount);

    // The float square sum that no object exceeds whose exact square sum is at most that of an
    // object with the float square sum square. Infinity near the top of the float range, where
    // the bound no longer holds.
    float operator()(float square) const;

private:
    // Either sum is at most factor_ times the other plus term_.
    double factor_;
    double term_;
};

// Which prefilter a KnnFastScorer takes: the widest vectors the processor has, or the portable
// one every processor runs (the scores are the same; tests compare both).
enum class KnnVectors { Widest, Portable };

// The class scores of referenceClassScores, bit for bit, computed faster. The training classes
// are laid out attribute by attribute so that many distances are computed side by side, for a
// few test objects at a time while the training values are in cache. A class score needs only
// the k smallest distances: plain float arithmetic, whose error is bounded, finds the few
// objects that can be among them, and only those get the exactly rounded distance, kept in a
// sorted buffer of k entries (a new distance goes before the first entry >= it, so the k entries
// and their order are those of the full insertion sort). Test objects or training tables with
// infinite values get exact distances for every object.
class KnnFastScorer {
public:
    // The number of test rows scored together.
    static constexpr std::uint32_t kBatch = 8;

    // Lays out training, whose decision classes must be built, for 1 <= k <= its smallest class.
    // Throws std::bad_alloc when the layout cannot be allocated.
    KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k, KnnVectors vectors = KnnVectors::Widest);

    // An object of a class that may be among a row's k nearest, with its float square.
    struct Candidate {
        std::uint32_t object;
        float square;
    };
    // The work memory of one thread for kBatch rows; made before the threads start, as it
    // allocates.
    struct Scratch {
        std::vector<float> block;          // the distances or squares of one block
        std::vector<Candidate> candidates; // a class's candidates, per row, at most its size
        std::vector<float> nearest;
        std::vector<float> nearestSquares;
    };
    Scratch makeScratch() const;

    // Scores count (1 to kBatch) test rows, each rowLength values after the previous: writes the
    // score of every training class of row r to scores[r * classCount + c]. Allocates nothing.
    void classScores(const float* testRows, std::size_t rowLength, std::uint32_t count, Scratch& scratch,
                     float* scores) const;

private:
    struct ClassLayout {
        std::size_t offset;   // of its first column in columns_
        std::uint32_t size;   // objects
        std::uint32_t stride; // size rounded up to whole blocks: the length of one column
    };

    float exactScore(const ClassLayout& layout, const float* testRow, Scratch& scratch) const;
    void filteredScores(const ClassLayout& layout, const float* const* rows, std::uint32_t count, Scratch& scratch,
                        float* scores) const;

    std::uint32_t attributeCount_;
    std::uint32_t k_;
    std::vector<ClassLayout> classes_;
    std::vector<float> columns_;
    std::uint32_t longestStride_ = 0;
    bool trainingFinite_ = true;
    KnnSquareBound candidateBound_;
    // The float squares of one block of a class, bit i of the last argument set where square i is
    // at most the bound given before the squares.
    void (*blockSquares_)(const float* column, std::size_t stride, const float* testRow, std::uint32_t attributeCount,
                          float bound, float* squares, std::uint64_t& below);
};

} // namespace kolven
