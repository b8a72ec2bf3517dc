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

    // Either sum, and the exact one against the true sum of the squares (without rounding), is
    // at most factor() times the other plus term(), below the top of the float range.
    double factor() const { return factor_; }
    double term() const { return term_; }

private:
    // Either sum is at most factor_ times the other plus term_.
    double factor_;
    double term_;
};

// Which prefilter a KnnFastScorer takes: the widest vectors the processor has (AVX-512 with its
// whole-number dot products, else AVX2), AVX2 where the processor has it, or the portable one
// every processor runs (the scores are the same; tests compare them all).
enum class KnnVectors { Widest, Avx2, Portable };

// The grid the whole-number prefilter puts the values on: value v of attribute a becomes the
// whole number nearest to (v - lowest[a]) / scale, between -levels and 2 * levels for the values
// it takes (the training values lie between 0 and levels). Two objects' sum of squared
// differences on the grid, times scale squared, is then their squared distance give or take the
// grid's rounding, and small enough for 32-bit sums.
class KnnGrid {
public:
    KnnGrid() = default;
    // The grid of the training values, or none (levels() 0) where there are no attributes, too
    // many of them, or values that are not all finite. floatBound is that of the float sums.
    KnnGrid(const SystemDecyzyjny& training, const KnnSquareBound& floatBound);

    std::int32_t levels() const { return levels_; }

    // Puts value, of attribute a, on the grid: false when it falls outside.
    bool place(float value, std::uint32_t a, std::int32_t& level) const;

    // Where k objects have sums of squares up to kth (as a float) on the grid: the sum on the grid
    // that no object exceeds whose exact float square sum is at most the largest of theirs.
    // Infinity where that is not known.
    float bound(float kth) const;

private:
    double scale_ = 0;
    double stepsPerUnit_ = 0; // 1 / scale_, rounded
    std::int32_t levels_ = 0;
    std::vector<float> lowest_;
    // bound's constants: see there.
    double factor_ = 0;
    double term_ = 0;
    double reach_ = 0;
    double growth_ = 0;
    double allowance_ = 0;
};

// The class scores of referenceClassScores, bit for bit, computed faster. The training classes
// are laid out attribute by attribute so that many distances are computed side by side, for a
// few test objects at a time while the training values are in cache. A class score needs only
// the k smallest distances: plain float arithmetic, or whole numbers on a grid where the
// processor sums them faster (both with bounded error), finds the few objects that can be among
// them, and only those get the exactly rounded distance, kept in a
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

    // An object of a class that may be among a row's k nearest, with its float square (or its
    // sum of squares on the grid).
    struct Candidate {
        std::uint32_t object;
        float square;
    };
    // A test row on the grid: for each pair of attributes, the two levels times -2 as 16-bit
    // halves of one word, and the sum of the levels' squares.
    struct GridRow {
        const std::int32_t* pairs;
        std::int32_t norm;
    };
    // The work memory of one thread for kBatch rows; made before the threads start, as it
    // allocates.
    struct Scratch {
        std::vector<float> block;          // the distances or squares of one block
        std::vector<Candidate> candidates; // a class's candidates, per row, at most its size
        std::vector<float> nearest;
        std::vector<float> nearestSquares;
        std::vector<std::int32_t> gridPairs; // the rows' pairs on the grid
    };
    Scratch makeScratch() const;

    // Scores count (1 to kBatch) test rows, each rowLength values after the previous: writes the
    // score of every training class of row r to scores[r * classCount + c]. Allocates nothing.
    void classScores(const float* testRows, std::size_t rowLength, std::uint32_t count, Scratch& scratch,
                     float* scores) const;

private:
    struct ClassLayout {
        std::size_t offset;     // of its first column in columns_
        std::size_t gridOffset; // of its sums of squares in gridColumns_, its pair columns after them
        std::uint32_t size;     // objects
        std::uint32_t stride;   // size rounded up to whole blocks: the length of one column
    };

    void layOutGrid(const SystemDecyzyjny& training);
    bool placeRow(const float* row, std::int32_t times, std::int32_t* pairs, std::size_t step, std::int32_t& norm) const;
    float exactScore(const ClassLayout& layout, const float* testRow, Scratch& scratch) const;
    void filteredScores(const ClassLayout& layout, const float* const* rows, const GridRow* gridRows,
                        std::uint32_t count, Scratch& scratch, float* scores) const;

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
    // The same on the grid, from a block's sums of squares with its pair columns after them,
    // where the processor can (null elsewhere): the sums of squared differences, as floats.
    void (*blockGridSquares_)(const std::int32_t* norms, std::size_t stride, GridRow row, std::uint32_t pairCount,
                              float bound, float* squares, std::uint64_t& below) = nullptr;
    KnnGrid grid_;
    std::uint32_t pairCount_;
    std::vector<std::int32_t> gridColumns_;
};

} // namespace kolven
