#include "knn_fast.h"

#include "checked_size.h"
#include "knn_scoring.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

// On x86-64 the prefilter has versions written for AVX2 and FMA, in float and on the whole-number
// grid, and one on the grid for AVX-512 with its dot-product instructions, taken when the
// processor has them (asked once per scorer), so that one program runs everywhere at the speed of
// each. Windows programs keep the portable version, like the kernels below.
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
            sums[i] = withSquareAdded(sums[i], value, column[i]);
        }
    }
    for (std::uint32_t i = 0; i < kBlock; ++i) {
        distances[i] = rootOf(sums[i]);
    }
}

// The distances from testRow to count (at most kBlock) objects of the columns, given by their
// places, rounded exactly as knnDistance rounds them: like blockDistances, the objects' sums
// advance together, so that their chains of roundings run side by side.
KOLVEN_WIDE_VECTORS
void chosenDistances(const float* column, std::size_t stride, const std::uint32_t* objects, std::uint32_t count,
                     const float* testRow, std::uint32_t attributeCount, float* distances)
{
    float sums[kBlock] = {};
    for (std::uint32_t a = 0; a < attributeCount; ++a, column += stride) {
        const float value = testRow[a];
        for (std::uint32_t i = 0; i < count; ++i) {
            sums[i] = withSquareAdded(sums[i], value, column[objects[i]]);
        }
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        distances[i] = rootOf(sums[i]);
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

// The grid squares of a block for processors with AVX2, written out: the sums of the objects'
// and the row's squared levels, then for each pair of attributes one multiply-add of 16-bit
// halves (a pair's two products added) and one addition per eight objects, all exact in 32 bits.
// Sets below like blockSquaresAvx2.
__attribute__((target("avx2,fma"))) void blockGridSquaresAvx2(const std::int32_t* norms, std::size_t stride,
                                                             KnnFastScorer::GridRow row, std::uint32_t pairCount,
                                                             float bound, float* squares, std::uint64_t& below)
{
    static_assert(kBlock == 64);
    const __m256i rowNorm = _mm256_set1_epi32(row.norm);
    __m256i sums[8];
#pragma GCC unroll 8
    for (int g = 0; g < 8; ++g) {
        sums[g] = _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(norms + 8 * g)), rowNorm);
    }
    const std::int32_t* column = norms + stride;
    for (std::uint32_t p = 0; p < pairCount; ++p, column += stride) {
        const __m256i levels = _mm256_set1_epi32(row.pairs[p]);
#pragma GCC unroll 8
        for (int g = 0; g < 8; ++g) {
            const __m256i pairs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(column + 8 * g));
            sums[g] = _mm256_add_epi32(sums[g], _mm256_madd_epi16(pairs, levels));
        }
    }
    const __m256 limit = _mm256_set1_ps(bound);
    below = 0;
#pragma GCC unroll 8
    for (int g = 0; g < 8; ++g) {
        const __m256 sum = _mm256_cvtepi32_ps(sums[g]);
        _mm256_storeu_ps(squares + 8 * g, sum);
        below |= bits(sum, limit) << (8 * g);
    }
}

// Adds the products of one pair column's 64 words with levels on to sums, 16 objects an
// instruction.
__attribute__((target("avx512f,avx512vnni"))) inline void addPairs(const std::int32_t* column, __m512i levels,
                                                                  __m512i (&sums)[4])
{
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g) {
        sums[g] = _mm512_dpwssd_epi32(sums[g], _mm512_loadu_si512(column + 16 * g), levels);
    }
}

// blockGridSquaresAvx2 for processors with AVX-512 and its whole-number dot products: a pair of
// attributes costs one instruction per sixteen objects. The even and the odd pairs are summed
// apart, so that eight sums advance side by side; whole numbers add up the same in any order.
__attribute__((target("avx512f,avx512vnni"))) void blockGridSquaresAvx512(const std::int32_t* norms,
                                                                         std::size_t stride,
                                                                         KnnFastScorer::GridRow row,
                                                                         std::uint32_t pairCount, float bound,
                                                                         float* squares, std::uint64_t& below)
{
    static_assert(kBlock == 64);
    const __m512i rowNorm = _mm512_set1_epi32(row.norm);
    __m512i even[4];
    __m512i odd[4];
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g) {
        even[g] = _mm512_add_epi32(_mm512_loadu_si512(norms + 16 * g), rowNorm);
        odd[g] = _mm512_setzero_si512();
    }
    const std::int32_t* column = norms + stride;
    std::uint32_t p = 0;
    for (; p + 1 < pairCount; p += 2, column += 2 * stride) {
        addPairs(column, _mm512_set1_epi32(row.pairs[p]), even);
        addPairs(column + stride, _mm512_set1_epi32(row.pairs[p + 1]), odd);
    }
    if (p < pairCount) {
        addPairs(column, _mm512_set1_epi32(row.pairs[p]), even);
    }
    const __m512 limit = _mm512_set1_ps(bound);
    below = 0;
#pragma GCC unroll 4
    for (int g = 0; g < 4; ++g) {
        // (Converted under a full mask: the unmasked form trips a false warning in GCC 12's header.)
        const __m512 sum = _mm512_maskz_cvtepi32_ps(0xffff, _mm512_add_epi32(even[g], odd[g]));
        _mm512_storeu_ps(squares + 16 * g, sum);
        below |= std::uint64_t(_mm512_cmp_ps_mask(sum, limit, _CMP_LE_OQ)) << (16 * g);
    }
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

// Four floats, the vectors every x86-64 processor has.
typedef float Quad __attribute__((vector_size(16)));
constexpr std::uint32_t kQuad = sizeof(Quad) / sizeof(float);

// The k smallest float squares offered so far, as a multiset, for the bound: kept ascending in
// vectors of four, the places past k and those not yet filled holding infinity. A square is taken
// in without a branch: each place keeps the smaller of its own entry and the larger of the entry
// before it and the square, so every entry below the square stays, the square takes the next
// place and the rest move up one. (The first block offers all its squares, in no order a branch
// could predict.) With k beyond two vectors, squares no smaller than the k-th are turned away
// first, so that the many vectors are only touched for the few squares that enter.
class SmallestSquares {
public:
    // The floats needed for k squares.
    static std::uint32_t floatsFor(std::uint32_t k) { return (k + kQuad - 1) / kQuad * kQuad; }

    SmallestSquares() = default;
    SmallestSquares(float* entries, std::uint32_t k) : entries_(entries), vectors_(floatsFor(k) / kQuad), k_(k)
    {
        std::fill(entries, entries + floatsFor(k), kInfinity);
    }

    // Offers the squares whose bits are set in chosen. Up to two vectors of entries stay in
    // registers over all of them.
    void offer(const float* squares, std::uint64_t chosen)
    {
        if (vectors_ > 2) {
            for (; chosen != 0; chosen &= chosen - 1) {
                offerOne(squares[std::countr_zero(chosen)]);
            }
            return;
        }
        Quad low;
        Quad high = {kInfinity, kInfinity, kInfinity, kInfinity};
        __builtin_memcpy(&low, entries_, sizeof low);
        if (vectors_ == 2) {
            __builtin_memcpy(&high, entries_ + kQuad, sizeof high);
        }
        for (; chosen != 0; chosen &= chosen - 1) {
            const float square = squares[std::countr_zero(chosen)];
            const Quad offered = {square, square, square, square};
            const Quad highBefore = __builtin_shufflevector(low, high, 3, 4, 5, 6);
            low = take(low, __builtin_shufflevector(kBelowAll, low, 3, 4, 5, 6), offered);
            high = take(high, highBefore, offered);
        }
        __builtin_memcpy(entries_, &low, sizeof low);
        if (vectors_ == 2) {
            __builtin_memcpy(entries_ + kQuad, &high, sizeof high);
        }
    }

    // The k-th smallest square, infinity before k were offered.
    float largest() const { return entries_[k_ - 1]; }

private:
    static constexpr Quad kBelowAll = {-kInfinity, -kInfinity, -kInfinity, -kInfinity};

    // The entries after square is taken in, given them and the entries one place before them.
    static Quad take(Quad entries, Quad before, Quad square)
    {
        const Quad entering = before > square ? before : square;
        return entries < entering ? entries : entering;
    }

    // Offers one square to entries of any length, turning away those no smaller than the k-th.
    void offerOne(float square)
    {
        if (!(square < largest())) {
            return;
        }
        const Quad offered = {square, square, square, square};
        Quad before = kBelowAll;
        for (std::uint32_t v = 0; v < vectors_; ++v) {
            Quad entries;
            __builtin_memcpy(&entries, entries_ + v * kQuad, sizeof entries);
            const Quad next = __builtin_shufflevector(before, entries, 3, 4, 5, 6);
            before = entries;
            entries = take(entries, next, offered);
            __builtin_memcpy(entries_ + v * kQuad, &entries, sizeof entries);
        }
    }

    float* entries_ = nullptr;
    std::uint32_t vectors_ = 0;
    std::uint32_t k_ = 0;
};

// The smallest float at least value, which is not negative and below the top of the float range.
float floatAtLeast(double value)
{
    const auto rounded = static_cast<float>(value);
    return static_cast<double>(rounded) < value ? std::bit_cast<float>(std::bit_cast<std::uint32_t>(rounded) + 1)
                                                : rounded;
}

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
    return bound < 0x1p120 ? floatAtLeast(bound) : kInfinity;
}

KnnGrid::KnnGrid(const SystemDecyzyjny& training, const KnnSquareBound& floatBound)
{
    const std::uint32_t attributes = training.attributeCount;
    // A sum over the attributes of squared differences of up to 2 * levels stays below 2^31, and
    // a level times -2 within 16 bits.
    const double levels = attributes == 0 ? 0 : std::min(8191.0, std::floor(std::sqrt(0x1p29 / attributes)) - 1);
    if (levels < 16 || training.objectCount == 0) {
        return;
    }
    std::vector<float> highest(attributes, -kInfinity);
    std::vector<float> lowest(attributes, kInfinity);
    for (std::uint32_t i = 0; i < training.objectCount; ++i) {
        const float* row = training.row(i);
        if (!allFinite(row, attributes)) {
            return;
        }
        for (std::uint32_t a = 0; a < attributes; ++a) {
            lowest[a] = std::min(lowest[a], row[a]);
            highest[a] = std::max(highest[a], row[a]);
        }
    }
    double range = 0;
    for (std::uint32_t a = 0; a < attributes; ++a) {
        range = std::max(range, double(highest[a]) - double(lowest[a]));
    }
    levels_ = std::int32_t(levels);
    scale_ = range > 0 ? range / levels : 1.0;
    stepsPerUnit_ = 1 / scale_;
    lowest_ = std::move(lowest);
    factor_ = floatBound.factor();
    term_ = floatBound.term();
    reach_ = std::sqrt(double(attributes)) * (1 + 0x1p-28);
    growth_ = factor_ * (1 + 0x1p-24);
    allowance_ = (factor_ + 1) * reach_ + std::sqrt((factor_ + 1) * term_) / scale_;
}

bool KnnGrid::place(float value, std::uint32_t a, std::int32_t& level) const
{
    const double steps = (double(value) - double(lowest_[a])) * stepsPerUnit_;
    if (!(steps >= -levels_ && steps <= 2.0 * levels_)) {
        return false;
    }
    level = std::int32_t(steps + (steps < 0 ? -0.5 : 0.5)); // the nearest, halves away from 0
    return true;
}

// A value v placed at level q lies within (1/2 + 2^-30) scale of lowest + q * scale: the level is
// the nearest whole number to (v - lowest) / scale computed in double (times the rounded inverse
// of scale, and plus a half before the fraction is cut off), whose roundings are worth far less
// than 2^-30 of a step for levels below 2^15. So on n attributes each object lies
// within sqrt(n) (1/2 + 2^-30) steps of its point on the grid, and the true distance of two
// objects within reach = sqrt(n) (1 + 2^-29) steps of their points' distance.
//
// With f and t the float bound's factor and term, and r = sqrt(kth) (1 + 2^-24) (the float kth
// may lie 2^-24 below the whole-number sum it stands for): the k objects with grid sums up to kth
// lie within (r + reach) scale of the row; so their exact float sums, and the k-th smallest exact
// sum, are at most E = f ((r + reach) scale)^2 + t (below 2^127, or they may have overflowed);
// the true distance of any object whose exact sum is no larger is at most sqrt(f E + t), which is
// at most f (r + reach) scale + sqrt((f + 1) t); and its grid distance at most that over scale
// plus reach: growth sqrt(kth) + allowance steps. Every double operation is worth less than the
// last factor.
float KnnGrid::bound(float kth) const
{
    const double root = std::sqrt(double(kth));
    const double nearest = (root * (1 + 0x1p-24) + reach_) * scale_;
    if (!(factor_ * nearest * nearest + term_ < 0x1p127)) {
        return kInfinity;
    }
    const double steps = growth_ * root + allowance_;
    const double sum = steps * steps * (1 + 0x1p-40) + 1;
    return sum < 0x1p31 ? floatAtLeast(sum) : kInfinity;
}

KnnFastScorer::KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k, KnnVectors vectors)
    : attributeCount_(training.attributeCount), k_(k), candidateBound_(training.attributeCount),
      blockSquares_(blockSquares), pairCount_((training.attributeCount + 1) / 2)
{
#if KOLVEN_PICKS_VECTORS
    if (vectors != KnnVectors::Portable && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        blockSquares_ = blockSquaresAvx2;
        blockGridSquares_ = blockGridSquaresAvx2;
    }
    if (vectors == KnnVectors::Widest && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vnni")) {
        blockGridSquares_ = blockGridSquaresAvx512;
    }
#else
    (void)vectors;
#endif
    std::size_t total = 0;
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const std::uint32_t size = training.classSize(c);
        const std::uint32_t stride = checkedCount({(std::uint64_t(size) + kBlock - 1) / kBlock, kBlock});
        classes_.push_back({total, 0, size, stride});
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
    if (blockGridSquares_ != nullptr) {
        layOutGrid(training);
    }
}

namespace {

// Two 16-bit levels as the halves of one word, the first in the low half, where a multiply-add of
// 16-bit halves takes it first.
std::int32_t levelPair(std::int32_t first, std::int32_t second)
{
    return std::bit_cast<std::int32_t>(std::uint32_t(std::uint16_t(first)) |
                                       std::uint32_t(std::uint16_t(second)) << 16);
}

} // namespace

// Lays the classes out on the grid, where the training has one: each class gets its objects' sums
// of squared levels, then one column per pair of attributes (the last pair of an odd count with a
// level 0 beside it, so that the row's level there counts for nothing).
void KnnFastScorer::layOutGrid(const SystemDecyzyjny& training)
{
    grid_ = KnnGrid(training, candidateBound_);
    if (grid_.levels() == 0) {
        blockGridSquares_ = nullptr;
        return;
    }
    std::size_t total = 0;
    for (ClassLayout& layout : classes_) {
        layout.gridOffset = total;
        total += checkedProduct({layout.stride, pairCount_ + 1});
    }
    gridColumns_.assign(total, 0);
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const float* rows = training.classRows(c);
        const ClassLayout& layout = classes_[c];
        std::int32_t* norms = gridColumns_.data() + layout.gridOffset;
        for (std::uint32_t i = 0; i < layout.size; ++i) {
            // The training values lie on the grid.
            placeRow(rows + std::size_t(i) * training.rowLength, 1, norms + layout.stride + i, layout.stride, norms[i]);
        }
    }
}

// Puts a row on the grid: writes the pairs of its levels, times the given factor, to pairs[0],
// pairs[step] and so on, and the sum of the levels' squares to norm. False when a value falls
// outside the grid.
bool KnnFastScorer::placeRow(const float* row, std::int32_t times, std::int32_t* pairs, std::size_t step,
                             std::int32_t& norm) const
{
    norm = 0;
    for (std::uint32_t p = 0; p < pairCount_; ++p) {
        const std::uint32_t a = 2 * p;
        std::int32_t first = 0;
        std::int32_t second = 0;
        if (!grid_.place(row[a], a, first) || (a + 1 < attributeCount_ && !grid_.place(row[a + 1], a + 1, second))) {
            return false;
        }
        norm += first * first + second * second;
        pairs[p * step] = levelPair(times * first, times * second);
    }
    return true;
}

KnnFastScorer::Scratch KnnFastScorer::makeScratch() const
{
    const std::size_t rows = kBatch;
    return Scratch{std::vector<float>(kBlock), std::vector<Candidate>(rows * longestStride_), std::vector<float>(k_),
                   std::vector<float>(rows * SmallestSquares::floatsFor(k_)),
                   std::vector<std::int32_t>(rows * std::max(pairCount_, 1u))};
}

void KnnFastScorer::classScores(const float* testRows, std::size_t rowLength, std::uint32_t count, Scratch& scratch,
                                float* scores) const
{
    const float* finiteRows[kBatch];
    GridRow gridRows[kBatch];
    std::uint32_t finiteCount = 0;
    std::uint32_t finiteIndex[kBatch];
    for (std::uint32_t r = 0; r < count; ++r) {
        const float* row = testRows + r * rowLength;
        if (trainingFinite_ && allFinite(row, attributeCount_)) {
            std::int32_t* pairs = scratch.gridPairs.data() + std::size_t(finiteCount) * pairCount_;
            GridRow& gridRow = gridRows[finiteCount];
            gridRow.pairs = blockGridSquares_ != nullptr && placeRow(row, -2, pairs, 1, gridRow.norm) ? pairs : nullptr;
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
        filteredScores(classes_[c], finiteRows, gridRows, finiteCount, scratch, classScore);
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

// Two passes over the class for each row. The first sums the float squares of every object (on
// the grid where the row has a place on it) and keeps the k smallest of them, noting every object
// whose square was within the bound of the k-th smallest when it was summed, with its square. The
// second gives the exact distance, in the order of the objects, only to the noted ones whose
// square is within the bound of the final k-th smallest. The bound only falls, so those are all
// the objects within it, and every object among the k nearest is one of them: the k smallest
// exact distances, and thus the score, are the same. Within a block only the objects whose bits
// the prefilter set are looked at.
//
// The grid's steps make its bound looser by a few steps of distance: where the objects lie so
// close together that this lets in more than an eighth above the k-th square after the first
// block, the row starts the class again with float squares.
void KnnFastScorer::filteredScores(const ClassLayout& layout, const float* const* rows, const GridRow* gridRows,
                                   std::uint32_t count, Scratch& scratch, float* scores) const
{
    constexpr float kLooseGrid = 1.125f;
    float* squares = scratch.block.data();
    SmallestSquares smallestSquares[kBatch];
    float bound[kBatch];
    float boundOf[kBatch]; // the square bound[r] was found from
    std::uint32_t noted[kBatch];
    bool onGrid[kBatch];
    const auto begin = [&](std::uint32_t r) {
        smallestSquares[r] =
            SmallestSquares(scratch.nearestSquares.data() + std::size_t(r) * SmallestSquares::floatsFor(k_), k_);
        bound[r] = kInfinity;
        boundOf[r] = kInfinity;
        noted[r] = 0;
    };
    const auto scan = [&](std::uint32_t r, std::uint32_t first) {
        const std::uint32_t inBlock = std::min(kBlock, layout.size - first);
        const std::uint64_t inside = inBlock == kBlock ? ~std::uint64_t(0) : (std::uint64_t(1) << inBlock) - 1;
        std::uint64_t below = 0;
        if (onGrid[r]) {
            blockGridSquares_(gridColumns_.data() + layout.gridOffset + first, layout.stride, gridRows[r], pairCount_,
                              bound[r], squares, below);
        } else {
            blockSquares_(columns_.data() + layout.offset + first, layout.stride, rows[r], attributeCount_, bound[r],
                          squares, below);
        }
        below &= inside;
        if (below == 0) {
            return;
        }
        smallestSquares[r].offer(squares, below);
        Candidate* notes = scratch.candidates.data() + std::size_t(r) * longestStride_;
        for (; below != 0; below &= below - 1) {
            const auto i = std::uint32_t(std::countr_zero(below));
            notes[noted[r]++] = {first + i, squares[i]};
        }
        if (smallestSquares[r].largest() != boundOf[r]) {
            boundOf[r] = smallestSquares[r].largest();
            bound[r] = onGrid[r] ? grid_.bound(boundOf[r]) : candidateBound_(boundOf[r]);
        }
    };
    for (std::uint32_t r = 0; r < count; ++r) {
        onGrid[r] = gridRows[r].pairs != nullptr;
        begin(r);
    }

    for (std::uint32_t first = 0; first < layout.size; first += kBlock) {
        for (std::uint32_t r = 0; r < count; ++r) {
            scan(r, first);
            if (first == 0 && onGrid[r] && !(bound[r] <= kLooseGrid * boundOf[r])) {
                onGrid[r] = false;
                begin(r);
                scan(r, first);
            }
        }
    }

    for (std::uint32_t r = 0; r < count; ++r) {
        const Candidate* notes = scratch.candidates.data() + std::size_t(r) * longestStride_;
        NearestDistances nearest(scratch.nearest.data(), k_);
        std::uint32_t chosen[kBlock];
        std::uint32_t chosenCount = 0;
        const auto offerChosen = [&] {
            chosenDistances(columns_.data() + layout.offset, layout.stride, chosen, chosenCount, rows[r],
                            attributeCount_, squares);
            for (std::uint32_t i = 0; i < chosenCount; ++i) {
                nearest.offer(squares[i]);
            }
            chosenCount = 0;
        };
        for (std::uint32_t j = 0; j < noted[r]; ++j) {
            if (notes[j].square <= bound[r]) {
                chosen[chosenCount++] = notes[j].object;
                if (chosenCount == kBlock) {
                    offerChosen();
                }
            }
        }
        offerChosen();
        scores[r] = nearest.sum();
    }
}

} // namespace kolven
