#include "knn_fast.h"

#include "checked_size.h"
#include "knn_scoring.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kolven {

namespace {

// Distances are computed this many training objects at a time.
constexpr std::uint32_t kBlock = 64;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The distance kernels are built a second time for x86-64 processors with AVX2 and FMA, and the
// program picks the version its processor can run when it starts.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KOLVEN_WIDE_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define KOLVEN_WIDE_VECTORS
#endif

// The distances from testRow to the kBlock objects whose attribute a is column[a * stride + i],
// rounded exactly as knnDistance rounds them: the running sums of all objects advance together,
// attribute by attribute, which the compiler turns into vector instructions. (A fused multiply
// and add changes nothing here: the square of a float is exact in double.)
KOLVEN_WIDE_VECTORS
void blockDistances(const float* column, std::size_t stride, const float* testRow, std::uint32_t attributeCount,
                    float* distances)
{
    float sums[kBlock] = {};
    for (std::uint32_t a = 0; a < attributeCount; ++a, column += stride) {
        const float value = testRow[a];
        for (std::uint32_t i = 0; i < kBlock; ++i) {
            const auto difference = static_cast<double>(value - column[i]);
            sums[i] = static_cast<float>(static_cast<double>(sums[i]) + difference * difference);
        }
    }
    for (std::uint32_t i = 0; i < kBlock; ++i) {
        distances[i] = static_cast<float>(std::sqrt(static_cast<double>(sums[i])));
    }
}

// Eight floats handled by one instruction where the processor can.
typedef float Lanes __attribute__((vector_size(32)));
constexpr std::uint32_t kLanes = sizeof(Lanes) / sizeof(float);

// The squared distances of a block like blockDistances, but summed in plain float arithmetic:
// several times cheaper, and within a known factor of the exact square sums. The sums stay in
// registers across the attributes. Writes the smallest of every kLanes squares to
// groupMinimum and returns the smallest of all. (A fused multiply and add only makes the float
// sums more accurate, which the error bound allows.)
KOLVEN_WIDE_VECTORS
float blockSquares(const float* column, std::size_t stride, const float* testRow, std::uint32_t attributeCount,
                   float* squares, float* groupMinimum)
{
    constexpr std::uint32_t groups = kBlock / kLanes;
    Lanes sums[groups] = {};
    for (std::uint32_t a = 0; a < attributeCount; ++a, column += stride) {
        const float value = testRow[a];
        const Lanes values = {value, value, value, value, value, value, value, value};
#pragma GCC unroll 8
        for (std::uint32_t g = 0; g < groups; ++g) {
            Lanes trained;
            __builtin_memcpy(&trained, column + g * kLanes, sizeof trained);
            const Lanes difference = values - trained;
            sums[g] += difference * difference;
        }
    }
    float minimum = kInfinity;
    for (std::uint32_t g = 0; g < groups; ++g) {
        __builtin_memcpy(squares + g * kLanes, &sums[g], sizeof sums[g]);
        float smallest = sums[g][0];
        for (std::uint32_t i = 1; i < kLanes; ++i) {
            smallest = std::min(smallest, sums[g][i]);
        }
        groupMinimum[g] = smallest;
        minimum = std::min(minimum, smallest);
    }
    return minimum;
}

// The k smallest distances offered so far, in the order the full insertion sort gives them: a
// distance goes before the first entry >= it, and once k entries are held one that would land
// past them is dropped.
class NearestDistances {
public:
    NearestDistances() = default;
    NearestDistances(float* entries, std::uint32_t k) : entries_(entries), k_(k) {}

    void offer(float distance)
    {
        // Ascending entries let most distances be dropped by one comparison with the last. A NaN
        // (only from infinite values) is never >= anything, so once one is held the entries may
        // not be ascending and every distance takes the full scan.
        if (full() && !unordered_ && !(entries_[k_ - 1] >= distance)) {
            return;
        }
        std::uint32_t place = 0;
        while (place < filled_ && !(entries_[place] >= distance)) {
            ++place;
        }
        if (place == k_) {
            return;
        }
        unordered_ = unordered_ || std::isnan(distance);
        filled_ = std::min(filled_ + 1, k_);
        for (std::uint32_t i = filled_ - 1; i > place; --i) {
            entries_[i] = entries_[i - 1];
        }
        entries_[place] = distance;
    }

    bool full() const { return filled_ == k_; }
    float largest() const { return entries_[k_ - 1]; }

    // The entries added in ascending order, in float.
    float sum() const
    {
        float total = 0;
        for (std::uint32_t i = 0; i < k_; ++i) {
            total += entries_[i];
        }
        return total;
    }

private:
    float* entries_ = nullptr;
    std::uint32_t k_ = 0;
    std::uint32_t filled_ = 0;
    bool unordered_ = false;
};

bool allFinite(const float* values, std::size_t count)
{
    return std::all_of(values, values + count, [](float v) { return std::isfinite(v); });
}

} // namespace

KnnFastScorer::KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k)
    : attributeCount_(training.attributeCount), k_(k)
{
    std::size_t total = 0;
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const std::uint32_t size = training.classSize(c);
        const std::uint32_t stride = checkedCount({(std::uint64_t(size) + kBlock - 1) / kBlock, kBlock});
        classes_.push_back({total, size, stride});
        longestStride_ = std::max(longestStride_, stride);
        total += checkedProduct({stride, attributeCount_});
    }
    columns_.assign(total, 0.0f);
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const float* rows = training.classRows(c);
        const ClassLayout& layout = classes_[c];
        for (std::uint32_t i = 0; i < layout.size; ++i) {
            const float* row = rows + std::size_t(i) * training.rowLength;
            trainingFinite_ = trainingFinite_ && allFinite(row, attributeCount_);
            for (std::uint32_t a = 0; a < attributeCount_; ++a) {
                columns_[layout.offset + std::size_t(a) * layout.stride + i] = row[a];
            }
        }
    }

    // Over n attributes both sums take at most 2n roundings of relative error 2^-24 (the exact
    // one rounds to double first, which adds at most 2^-53) and, among subnormal numbers, of
    // absolute error 2^-150 each. The factor and term below cover either sum against the other
    // with room to spare.
    const double n = attributeCount_;
    errorFactor_ = std::exp((4 * n + 8) * 0x1p-24) * (1 + 0x1p-40);
    errorTerm_ = (n + 1) * 0x1p-147;
}

KnnFastScorer::Scratch KnnFastScorer::makeScratch() const
{
    const std::size_t rows = kBatch;
    return Scratch{std::vector<float>(kBlock), std::vector<float>(rows * longestStride_),
                   std::vector<float>(rows * longestStride_ / kLanes), std::vector<float>(k_),
                   std::vector<float>(rows * k_)};
}

void KnnFastScorer::classScores(const float* testRows, std::size_t rowLength, std::uint32_t count, Scratch& scratch,
                                float* scores) const
{
    const float* finiteRows[kBatch];
    std::uint32_t finiteCount = 0;
    std::uint32_t finiteIndex[kBatch];
    for (std::uint32_t r = 0; r < count; ++r) {
        const float* row = testRows + r * rowLength;
        if (trainingFinite_ && allFinite(row, attributeCount_)) {
            finiteIndex[finiteCount] = r;
            finiteRows[finiteCount++] = row;
        } else {
            for (std::size_t c = 0; c < classes_.size(); ++c) {
                scores[r * classes_.size() + c] = exactScore(classes_[c], row, scratch);
            }
        }
    }
    float classScore[kBatch];
    for (std::size_t c = 0; c < classes_.size() && finiteCount != 0; ++c) {
        filteredScores(classes_[c], finiteRows, finiteCount, scratch, classScore);
        for (std::uint32_t i = 0; i < finiteCount; ++i) {
            scores[finiteIndex[i] * classes_.size() + c] = classScore[i];
        }
    }
}

float KnnFastScorer::exactScore(const ClassLayout& layout, const float* testRow, Scratch& scratch) const
{
    NearestDistances nearest(scratch.nearest.data(), k_);
    for (std::uint32_t first = 0; first < layout.size; first += kBlock) {
        blockDistances(columns_.data() + layout.offset + first, layout.stride, testRow, attributeCount_,
                       scratch.block.data());
        const std::uint32_t count = std::min(kBlock, layout.size - first);
        for (std::uint32_t i = 0; i < count; ++i) {
            nearest.offer(scratch.block[i]);
        }
    }
    return nearest.sum();
}

// An object among the k nearest has an exact square sum at most the k-th smallest exact one,
// which is at most errorFactor_ * kthSquare + errorTerm_; so its float square sum is at most
// the bound returned. Near the top of the float range the factors no longer hold, and every
// object is a candidate.
float KnnFastScorer::candidateBound(float kthSquare) const
{
    const double bound = errorFactor_ * (errorFactor_ * kthSquare + errorTerm_) + errorTerm_;
    if (!(bound < 0x1p120)) {
        return kInfinity;
    }
    const auto rounded = static_cast<float>(bound);
    return static_cast<double>(rounded) < bound ? std::nextafter(rounded, kInfinity) : rounded;
}

// Two passes over the class for each row. The first sums the float squares of every object and
// keeps the k smallest of them; the second gives the exact distance, in the order of the
// objects, only to those whose float square is within the bound of the k-th smallest. Every
// object among the k nearest is one of them, so the k smallest exact distances, and thus the
// score, are the same. The smallest square of every group of kLanes objects lets most groups be
// passed over whole.
void KnnFastScorer::filteredScores(const ClassLayout& layout, const float* const* rows, std::uint32_t count,
                                   Scratch& scratch, float* scores) const
{
    const std::uint32_t groups = (layout.size + kLanes - 1) / kLanes;
    const std::size_t groupsPerRow = longestStride_ / kLanes;
    NearestDistances smallestSquares[kBatch];
    float bound[kBatch];
    for (std::uint32_t r = 0; r < count; ++r) {
        smallestSquares[r] = NearestDistances(scratch.nearestSquares.data() + std::size_t(r) * k_, k_);
        bound[r] = kInfinity;
    }

    for (std::uint32_t first = 0; first < layout.size; first += kBlock) {
        const float* column = columns_.data() + layout.offset + first;
        const std::uint32_t lastGroup = std::min(groups, (first + kBlock) / kLanes);
        for (std::uint32_t r = 0; r < count; ++r) {
            float* squares = scratch.squares.data() + r * std::size_t(longestStride_);
            float* groupMinimum = scratch.groupMinimum.data() + r * groupsPerRow;
            const float blockMinimum = blockSquares(column, layout.stride, rows[r], attributeCount_, squares + first,
                                                    groupMinimum + first / kLanes);
            for (std::uint32_t g = first / kLanes; blockMinimum <= bound[r] && g < lastGroup; ++g) {
                if (groupMinimum[g] > bound[r]) {
                    continue;
                }
                for (std::uint32_t i = g * kLanes; i < std::min(layout.size, (g + 1) * kLanes); ++i) {
                    if (squares[i] <= bound[r]) {
                        smallestSquares[r].offer(squares[i]);
                    }
                }
                if (smallestSquares[r].full()) {
                    bound[r] = candidateBound(smallestSquares[r].largest());
                }
            }
        }
    }

    for (std::uint32_t r = 0; r < count; ++r) {
        const float* squares = scratch.squares.data() + r * std::size_t(longestStride_);
        const float* groupMinimum = scratch.groupMinimum.data() + r * groupsPerRow;
        NearestDistances nearest(scratch.nearest.data(), k_);
        for (std::uint32_t g = 0; g < groups; ++g) {
            if (groupMinimum[g] > bound[r]) {
                continue;
            }
            for (std::uint32_t i = g * kLanes; i < std::min(layout.size, (g + 1) * kLanes); ++i) {
                if (squares[i] <= bound[r]) {
                    nearest.offer(knnDistance(rows[r], columns_.data() + layout.offset + i, layout.stride,
                                              attributeCount_));
                }
            }
        }
        scores[r] = nearest.sum();
    }
}

} // namespace kolven
