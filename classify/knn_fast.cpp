#include "knn_fast.h"

#include "checked_size.h"
#include "knn_scoring.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

// On x86-64 the prefilter has a second version written for AVX2 and FMA, taken when the processor
// has them (asked once per scorer), so that one program runs everywhere at the speed of each.
// Windows programs keep the portable version, like the kernels above.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__ELF__)
#define KOLVEN_PICKS_VECTORS 1
#include <immintrin.h>
#else
#define KOLVEN_PICKS_VECTORS 0
#endif

namespace kolven {

namespace {

// Distances are computed this many training objects at a time.
constexpr std::uint32_t kBlock = 64;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// The exact distance kernel is built a second time for x86-64 processors with AVX2 and FMA, and
// the program picks the version its processor can run when it starts. That choice needs the
// loader's indirect functions, which only ELF targets have; Windows programs get the default one.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__ELF__)
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
// registers across the attributes. Sets in below bit i for every square i that is at most bound.
// The version for processors without AVX2 and FMA (those with them take blockSquaresAvx2), built
// for them alone: its sums are then plain float everywhere, as the tests check them.
void blockSquares(const float* column, std::size_t stride, const float* testRow, std::uint32_t attributeCount,
                  float bound, float* squares, std::uint64_t& below)
{
    constexpr std::uint32_t groups = kBlock / kLanes;
    Lanes sums[groups];
#pragma GCC unroll 8
    for (std::uint32_t g = 0; g < groups; ++g) {
        sums[g] = Lanes{};
    }
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
    Lanes smallest = sums[0];
#pragma GCC unroll 8
    for (std::uint32_t g = 0; g < groups; ++g) {
        const Lanes sum = sums[g];
        __builtin_memcpy(squares + g * kLanes, &sum, sizeof sum);
        smallest = smallest < sum ? smallest : sum;
    }
    Lanes turned = __builtin_shufflevector(smallest, smallest, 4, 5, 6, 7, 0, 1, 2, 3);
    smallest = smallest < turned ? smallest : turned;
    turned = __builtin_shufflevector(smallest, smallest, 2, 3, 0, 1, 6, 7, 4, 5);
    smallest = smallest < turned ? smallest : turned;
    turned = __builtin_shufflevector(smallest, smallest, 1, 0, 3, 2, 5, 4, 7, 6);
    smallest = smallest < turned ? smallest : turned;
    below = 0;
    if (smallest[0] <= bound) {
        for (std::uint32_t i = 0; i < kBlock; ++i) {
            below |= std::uint64_t(squares[i] <= bound) << i;
        }
    }
}

#if KOLVEN_PICKS_VECTORS
// One bit for each of the eight sums, set where the sum is at most limit.
__attribute__((target("avx2,fma"))) inline std::uint64_t bits(__m256 sums, __m256 limit)
{
    return std::uint64_t(unsigned(_mm256_movemask_ps(_mm256_cmp_ps(sums, limit, _CMP_LE_OQ))));
}

// blockSquares for processors with AVX2 and FMA, written out: each attribute costs one subtraction
// and one fused multiply and add per eight objects, and the comparison with the bound gives the
// bits directly.
__attribute__((target("avx2,fma"))) void blockSquaresAvx2(const float* column, std::size_t stride,
                                                         const float* testRow, std::uint32_t attributeCount,
                                                         float bound, float* squares, std::uint64_t& below)
{
    static_assert(kBlock == 64);
    __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0, s4 = s0, s5 = s0, s6 = s0, s7 = s0;
    for (std::uint32_t a = 0; a < attributeCount; ++a, column += stride) {
        const __m256 value = _mm256_broadcast_ss(testRow + a);
        __m256 d0 = _mm256_sub_ps(value, _mm256_loadu_ps(column));
        __m256 d1 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 8));
        __m256 d2 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 16));
        __m256 d3 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 24));
        s0 = _mm256_fmadd_ps(d0, d0, s0);
        s1 = _mm256_fmadd_ps(d1, d1, s1);
        s2 = _mm256_fmadd_ps(d2, d2, s2);
        s3 = _mm256_fmadd_ps(d3, d3, s3);
        d0 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 32));
        d1 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 40));
        d2 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 48));
        d3 = _mm256_sub_ps(value, _mm256_loadu_ps(column + 56));
        s4 = _mm256_fmadd_ps(d0, d0, s4);
        s5 = _mm256_fmadd_ps(d1, d1, s5);
        s6 = _mm256_fmadd_ps(d2, d2, s6);
        s7 = _mm256_fmadd_ps(d3, d3, s7);
    }
    _mm256_storeu_ps(squares, s0);
    _mm256_storeu_ps(squares + 8, s1);
    _mm256_storeu_ps(squares + 16, s2);
    _mm256_storeu_ps(squares + 24, s3);
    _mm256_storeu_ps(squares + 32, s4);
    _mm256_storeu_ps(squares + 40, s5);
    _mm256_storeu_ps(squares + 48, s6);
    _mm256_storeu_ps(squares + 56, s7);
    const __m256 limit = _mm256_set1_ps(bound);
    below = bits(s0, limit) | bits(s1, limit) << 8 | bits(s2, limit) << 16 | bits(s3, limit) << 24 |
            bits(s4, limit) << 32 | bits(s5, limit) << 40 | bits(s6, limit) << 48 | bits(s7, limit) << 56;
}
#endif

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

// Over n attributes either sum takes at most 2n roundings of relative error 2^-24 (the exact one
// rounds to double first, which adds at most 2^-53) and, among subnormal numbers, of absolute
// error 2^-150 each. The factor and term cover either sum against the other with room to spare.
KnnSquareBound::KnnSquareBound(std::uint32_t attributeCount)
    : factor_(std::exp((4.0 * attributeCount + 8) * 0x1p-24) * (1 + 0x1p-40)),
      term_((attributeCount + 1.0) * 0x1p-147)
{
}

// An object whose exact square sum is at most that of the given one has an exact sum of at most
// factor_ * square + term_, and so a float sum of at most factor_ times that plus term_.
float KnnSquareBound::operator()(float square) const
{
    const double bound = factor_ * (factor_ * square + term_) + term_;
    if (!(bound < 0x1p120)) {
        return kInfinity;
    }
    const auto rounded = static_cast<float>(bound);
    return static_cast<double>(rounded) < bound ? std::nextafter(rounded, kInfinity) : rounded;
}

KnnFastScorer::KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k, KnnVectors vectors)
    : attributeCount_(training.attributeCount), k_(k), candidateBound_(training.attributeCount),
      blockSquares_(blockSquares)
{
#if KOLVEN_PICKS_VECTORS
    if (vectors == KnnVectors::Widest && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        blockSquares_ = blockSquaresAvx2;
    }
#else
    (void)vectors;
#endif
    std::size_t total = 0;
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const std::uint32_t size = training.classSize(c);
        const std::uint32_t stride = checkedCount({(std::uint64_t(size) + kBlock - 1) / kBlock, kBlock});
        classes_.push_back({total, size, stride});
        longestStride_ = std::max(longestStride_, stride);
        total += checkedProduct({stride, attributeCount_});
    }
    // Without condition attributes there are no columns; one spare value keeps every column
    // pointer inside the array.
    columns_.assign(std::max<std::size_t>(total, 1), 0.0f);
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
}

KnnFastScorer::Scratch KnnFastScorer::makeScratch() const
{
    const std::size_t rows = kBatch;
    return Scratch{std::vector<float>(kBlock), std::vector<Candidate>(rows * longestStride_), std::vector<float>(k_),
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

// Two passes over the class for each row. The first sums the float squares of every object and
// keeps the k smallest of them, noting every object whose square was within the bound of the k-th
// smallest when it was summed, with its square. The second gives the exact distance, in the order
// of the objects, only to the noted ones whose square is within the bound of the final k-th
// smallest. The bound only falls, so those are all the objects within it, and every object among
// the k nearest is one of them: the k smallest exact distances, and thus the score, are the same.
// Within a block only the objects whose bits the prefilter set are looked at.
void KnnFastScorer::filteredScores(const ClassLayout& layout, const float* const* rows, std::uint32_t count,
                                   Scratch& scratch, float* scores) const
{
    float* squares = scratch.block.data();
    NearestDistances smallestSquares[kBatch];
    float bound[kBatch];
    float boundOf[kBatch]; // the square bound[r] was found from
    std::uint32_t noted[kBatch];
    for (std::uint32_t r = 0; r < count; ++r) {
        smallestSquares[r] = NearestDistances(scratch.nearestSquares.data() + std::size_t(r) * k_, k_);
        bound[r] = kInfinity;
        boundOf[r] = kInfinity;
        noted[r] = 0;
    }

    for (std::uint32_t first = 0; first < layout.size; first += kBlock) {
        const float* column = columns_.data() + layout.offset + first;
        const std::uint32_t inBlock = std::min(kBlock, layout.size - first);
        const std::uint64_t inside = inBlock == kBlock ? ~std::uint64_t(0) : (std::uint64_t(1) << inBlock) - 1;
        for (std::uint32_t r = 0; r < count; ++r) {
            std::uint64_t below = 0;
            blockSquares_(column, layout.stride, rows[r], attributeCount_, bound[r], squares, below);
            below &= inside;
            if (below == 0) {
                continue;
            }
            Candidate* notes = scratch.candidates.data() + std::size_t(r) * longestStride_;
            for (; below != 0; below &= below - 1) {
                const auto i = std::uint32_t(std::countr_zero(below));
                notes[noted[r]++] = {first + i, squares[i]};
                smallestSquares[r].offer(squares[i]);
            }
            if (smallestSquares[r].full() && smallestSquares[r].largest() != boundOf[r]) {
                boundOf[r] = smallestSquares[r].largest();
                bound[r] = candidateBound_(boundOf[r]);
            }
        }
    }

    for (std::uint32_t r = 0; r < count; ++r) {
        const Candidate* notes = scratch.candidates.data() + std::size_t(r) * longestStride_;
        NearestDistances nearest(scratch.nearest.data(), k_);
        for (std::uint32_t j = 0; j < noted[r]; ++j) {
            if (notes[j].square <= bound[r]) {
                const float* column = columns_.data() + layout.offset + notes[j].object;
                nearest.offer(knnDistance(rows[r], column, layout.stride, attributeCount_));
            }
        }
        scores[r] = nearest.sum();
    }
}

} // namespace kolven
