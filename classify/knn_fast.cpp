#include "knn_fast.h"

#include "checked_size.h"

#include <algorithm>
#include <cmath>

namespace kolven {

namespace {

// Distances are computed this many training objects at a time.
constexpr std::uint32_t kBlock = 64;

// The distances from testRow to the kBlock objects whose attribute a is column[a * stride + i],
// rounded exactly as knnDistance rounds them: the running sums of all objects advance together,
// attribute by attribute, which the compiler turns into vector instructions. Built once more
// for processors with AVX2, chosen when the program starts.
__attribute__((target_clones("avx2", "default")))
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

// The k smallest distances offered so far, in the order the full insertion sort gives them: a
// distance goes before the first entry >= it, and once k entries are held one that would land
// past them is dropped.
class NearestDistances {
public:
    NearestDistances(float* entries, std::uint32_t k) : entries_(entries), k_(k) {}

    void offer(float distance)
    {
        // Ascending entries let most distances be dropped by one comparison with the last. A NaN
        // (only from infinite values) is never >= anything, so once one is held the entries may
        // not be ascending and every distance takes the full scan.
        if (filled_ == k_ && !unordered_ && !(entries_[k_ - 1] >= distance)) {
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
    float* entries_;
    std::uint32_t k_;
    std::uint32_t filled_ = 0;
    bool unordered_ = false;
};

} // namespace

KnnFastScorer::KnnFastScorer(const SystemDecyzyjny& training, std::uint32_t k)
    : attributeCount_(training.attributeCount), k_(k)
{
    std::size_t total = 0;
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const std::uint32_t size = training.classSize(c);
        const std::uint32_t stride = checkedCount({(std::uint64_t(size) + kBlock - 1) / kBlock, kBlock});
        classes_.push_back({total, size, stride});
        total += checkedProduct({stride, attributeCount_});
    }
    columns_.assign(total, 0.0f);
    for (std::uint32_t c = 0; c < training.classCount; ++c) {
        const float* rows = training.classRows(c);
        const ClassLayout& layout = classes_[c];
        for (std::uint32_t i = 0; i < layout.size; ++i) {
            const float* row = rows + std::size_t(i) * training.rowLength;
            for (std::uint32_t a = 0; a < attributeCount_; ++a) {
                columns_[layout.offset + std::size_t(a) * layout.stride + i] = row[a];
            }
        }
    }
}

KnnFastScorer::Scratch KnnFastScorer::makeScratch() const
{
    return Scratch{std::vector<float>(kBlock), std::vector<float>(k_)};
}

void KnnFastScorer::classScores(const float* testRow, Scratch& scratch, float* scores) const
{
    float* distances = scratch.distances.data();
    for (std::size_t c = 0; c < classes_.size(); ++c) {
        const ClassLayout& layout = classes_[c];
        NearestDistances nearest(scratch.nearest.data(), k_);
        for (std::uint32_t first = 0; first < layout.size; first += kBlock) {
            blockDistances(columns_.data() + layout.offset + first, layout.stride, testRow, attributeCount_, distances);
            const std::uint32_t count = std::min(kBlock, layout.size - first);
            for (std::uint32_t i = 0; i < count; ++i) {
                nearest.offer(distances[i]);
            }
        }
        scores[c] = nearest.sum();
    }
}

} // namespace kolven
