#include "discretization.h"

#include "parallel_for.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <utility>

namespace kolven {

namespace {

// The cut between two neighbouring values of an attribute: halfway, in double, where it lies
// strictly between them. Halfway in float can round onto the upper value (1 + 2^-23 and
// 1 + 2^-22 sum to a tie that rounds to 2 + 2^-21), and the cut would no longer part them.
double cutBetween(float lower, float upper)
{
    return (double(lower) + double(upper)) / 2;
}

// The decision class (0-based, in ascending decision value) of every object, and their number.
std::vector<std::uint32_t> decisionClasses(const SystemDecyzyjny& table, std::uint32_t& classCount)
{
    std::vector<float> decisions(table.objectCount);
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        decisions[object] = table.decision(object);
    }
    std::vector<float> distinct = decisions;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<std::uint32_t> classOf(table.objectCount);
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        classOf[object] =
            std::uint32_t(std::lower_bound(distinct.begin(), distinct.end(), decisions[object]) - distinct.begin());
    }
    classCount = std::uint32_t(distinct.size());
    return classOf;
}

// The attributes marked in cutAttributes, in ascending order.
std::vector<std::uint32_t> markedAttributes(const std::vector<bool>& cutAttributes)
{
    std::vector<std::uint32_t> marked;
    for (std::uint32_t a = 0; a < cutAttributes.size(); ++a) {
        if (cutAttributes[a]) {
            marked.push_back(a);
        }
    }
    return marked;
}

Discretization noCuts(const std::vector<bool>& cutAttributes)
{
    Discretization made;
    made.isCut = cutAttributes;
    made.cuts.resize(cutAttributes.size());
    return made;
}

// Runs work(i) for i in [0, count) on up to threads threads; a failure on any of them is
// rethrown here.
template <typename Work>
void shareOut(std::uint32_t count, std::uint32_t threads, const Work& work)
{
    parallelFor(count, std::max(1u, threads), [&work](std::uint32_t i, unsigned) {
        work(i);
        return true;
    });
}


// The state of the maximal-discernibility search: the blocks of objects that no cut or uncut
// attribute tells apart yet, with their class counts, and for every cut attribute its objects in
// ascending value, kept to those still lying in a block with two decisions.
class DiscernibilitySearch {
public:
    DiscernibilitySearch(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& attributes, unsigned threads)
        : table_(table), attributes_(attributes), threads_(workerThreads(threads))
    {
        classOf_ = decisionClasses(table, classCount_);
        formFirstBlocks();
        distinct_.resize(attributes.size());
        rank_.resize(attributes.size());
        order_.resize(attributes.size());
        shareOut(std::uint32_t(attributes.size()), threads_, [this](std::uint32_t i) { sortAttribute(i); });
        countBlocks();
        total_ = remaining_;
    }

    std::uint64_t remainingPairs() const { return remaining_; }
    std::uint64_t totalPairs() const { return total_; }

    // The best candidate: the number of pairs it separates (0 when none is left), the attribute's
    // place in attributes and the cut.
    struct Best {
        std::uint64_t separated = 0;
        std::uint32_t place = 0;
        double cut = 0;
    };

    Best best() const
    {
        std::vector<Best> perAttribute(attributes_.size());
        const std::uint64_t work = std::uint64_t(active_) * attributes_.size();
        const std::uint32_t threads = work > 20000 ? threads_ : 1;
        shareOut(std::uint32_t(attributes_.size()), threads,
                 [this, &perAttribute](std::uint32_t i) { perAttribute[i] = bestOf(i); });
        Best chosen;
        for (const Best& candidate : perAttribute) {
            if (candidate.separated > chosen.separated) {
                chosen = candidate;
            }
        }
        return chosen;
    }

    // Splits every block by the side of cut its objects lie on the attribute at place.
    void addCut(std::uint32_t place, double cut)
    {
        const std::uint32_t attribute = attributes_[place];
        std::vector<std::uint32_t> renumbered(std::size_t(blockCount_) * 2, kNone);
        std::uint32_t blocks = 0;
        for (std::uint32_t object = 0; object < table_.objectCount; ++object) {
            const bool above = double(table_.value(object, attribute)) > cut;
            std::uint32_t& id = renumbered[std::size_t(block_[object]) * 2 + (above ? 1 : 0)];
            if (id == kNone) {
                id = blocks++;
            }
            block_[object] = id;
        }
        blockCount_ = blocks;
        countBlocks();
    }

private:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

    // The first blocks: objects with equal values on every attribute that is not cut.
    void formFirstBlocks()
    {
        std::vector<std::uint32_t> kept;
        std::vector<bool> cut(table_.attributeCount, false);
        for (std::uint32_t a : attributes_) {
            cut[a] = true;
        }
        for (std::uint32_t a = 0; a < table_.attributeCount; ++a) {
            if (!cut[a]) {
                kept.push_back(a);
            }
        }
        std::vector<std::uint32_t> objects(table_.objectCount);
        std::iota(objects.begin(), objects.end(), 0u);
        const auto less = [this, &kept](std::uint32_t x, std::uint32_t y) {
            for (std::uint32_t a : kept) {
                if (table_.value(x, a) != table_.value(y, a)) {
                    return table_.value(x, a) < table_.value(y, a);
                }
            }
            return false;
        };
        std::sort(objects.begin(), objects.end(), less);
        block_.assign(table_.objectCount, 0);
        blockCount_ = 0;
        for (std::size_t i = 0; i < objects.size(); ++i) {
            if (i == 0 || less(objects[i - 1], objects[i])) {
                ++blockCount_;
            }
            block_[objects[i]] = blockCount_ - 1;
        }
    }

    void sortAttribute(std::uint32_t place)
    {
        const std::uint32_t attribute = attributes_[place];
        std::vector<Entry>& order = order_[place];
        order.resize(table_.objectCount);
        for (std::uint32_t object = 0; object < table_.objectCount; ++object) {
            order[object] = {object, table_.value(object, attribute)};
        }
        std::stable_sort(order.begin(), order.end(), [](const Entry& x, const Entry& y) { return x.value < y.value; });
        std::vector<float>& distinct = distinct_[place];
        std::vector<std::uint32_t>& rank = rank_[place];
        rank.resize(table_.objectCount);
        for (const Entry& entry : order) {
            if (distinct.empty() || distinct.back() < entry.value) {
                distinct.push_back(entry.value);
            }
            rank[entry.object] = std::uint32_t(distinct.size() - 1);
        }
    }

    // Counts each block's objects by class, the pairs with two decisions left in one block, and
    // keeps in the sorted lists only the objects of blocks that hold such a pair.
    void countBlocks()
    {
        classCounts_.assign(std::size_t(blockCount_) * classCount_, 0);
        blockSizes_.assign(blockCount_, 0);
        for (std::uint32_t object = 0; object < table_.objectCount; ++object) {
            ++classCounts_[std::size_t(block_[object]) * classCount_ + classOf_[object]];
            ++blockSizes_[block_[object]];
        }
        std::vector<bool> mixed(blockCount_, false);
        remaining_ = 0;
        for (std::uint32_t b = 0; b < blockCount_; ++b) {
            const std::uint64_t size = blockSizes_[b];
            std::uint64_t same = 0;
            for (std::uint32_t k = 0; k < classCount_; ++k) {
                const std::uint64_t count = classCounts_[std::size_t(b) * classCount_ + k];
                same += count * count;
            }
            remaining_ += (size * size - same) / 2;
            mixed[b] = size * size != same;
        }
        cellOf_.resize(table_.objectCount);
        for (std::uint32_t object = 0; object < table_.objectCount; ++object) {
            cellOf_[object] = block_[object] * classCount_ + classOf_[object];
        }
        active_ = 0;
        for (auto& order : order_) {
            std::erase_if(order, [this, &mixed](const Entry& entry) { return !mixed[block_[entry.object]]; });
            active_ = std::uint32_t(order.size());
        }
    }

    // Walks the attribute's active objects upwards, moving each from the right side of the cut to
    // the left, and keeps the count of separated pairs up to date: an object that crosses gains
    // the pairs with the other decisions still right of it in its block and loses those left.
    Best bestOf(std::uint32_t place) const
    {
        const std::vector<Entry>& order = order_[place];
        std::vector<std::uint32_t> leftCounts(std::size_t(blockCount_) * classCount_, 0);
        std::vector<std::uint32_t> leftSizes(blockCount_, 0);
        std::int64_t separated = 0;
        Best found{0, place, 0};
        for (std::size_t i = 0; i < order.size(); ++i) {
            const std::uint32_t object = order[i].object;
            const std::size_t cell = cellOf_[object];
            const std::uint32_t b = std::uint32_t(cell / classCount_);
            const std::int64_t leftOthers = std::int64_t(leftSizes[b]) - leftCounts[cell];
            const std::int64_t rightOthers =
                std::int64_t(blockSizes_[b] - leftSizes[b]) - std::int64_t(classCounts_[cell] - leftCounts[cell]);
            separated += rightOthers - leftOthers;
            ++leftCounts[cell];
            ++leftSizes[b];
            if (i + 1 < order.size() && std::uint64_t(separated) > found.separated &&
                order[i + 1].value > order[i].value) {
                const std::vector<float>& distinct = distinct_[place];
                const std::uint32_t r = rank_[place][object];
                found.separated = std::uint64_t(separated);
                found.cut = cutBetween(distinct[r], distinct[r + 1]);
            }
        }
        return found;
    }

    const SystemDecyzyjny& table_;
    const std::vector<std::uint32_t>& attributes_;
    unsigned threads_;
    std::vector<std::uint32_t> classOf_;
    std::uint32_t classCount_ = 0;
    std::vector<std::uint32_t> block_;
    std::uint32_t blockCount_ = 0;
    std::vector<std::uint32_t> classCounts_;
    std::vector<std::uint32_t> blockSizes_;
    std::vector<std::vector<float>> distinct_;
    std::vector<std::vector<std::uint32_t>> rank_;
    // An object of a sorted list with its value, so that the walk reads the list in order.
    struct Entry {
        std::uint32_t object;
        float value;
    };
    std::vector<std::vector<Entry>> order_;
    std::vector<std::uint32_t> cellOf_; // block * classCount + class of each object
    std::uint32_t active_ = 0;
    std::uint64_t remaining_ = 0;
    std::uint64_t total_ = 0;
};

// Class-information entropy in bits of counts summing to size.
double entropyOf(const std::uint32_t* counts, std::uint32_t classCount, std::uint32_t size)
{
    double entropy = 0;
    for (std::uint32_t k = 0; k < classCount; ++k) {
        if (counts[k] > 0) {
            const double p = double(counts[k]) / double(size);
            entropy -= p * std::log2(p);
        }
    }
    return entropy;
}

std::uint32_t classesPresent(const std::uint32_t* counts, std::uint32_t classCount)
{
    return std::uint32_t(std::count_if(counts, counts + classCount, [](std::uint32_t c) { return c > 0; }));
}

// One attribute's entropy cuts, found by splitting its sorted values recursively.
std::vector<double> entropyCutsOf(const std::vector<std::pair<float, std::uint32_t>>& sorted, std::uint32_t classCount)
{
    std::vector<double> cuts;
    std::vector<std::pair<std::size_t, std::size_t>> pending{{0, sorted.size()}};
    std::vector<std::uint32_t> whole(classCount);
    std::vector<std::uint32_t> left(classCount);
    std::vector<std::uint32_t> right(classCount);
    std::vector<std::uint32_t> bestLeft(classCount);
    while (!pending.empty()) {
        const auto [first, end] = pending.back();
        pending.pop_back();
        const auto size = std::uint32_t(end - first);
        std::fill(whole.begin(), whole.end(), 0u);
        for (std::size_t i = first; i < end; ++i) {
            ++whole[sorted[i].second];
        }
        std::fill(left.begin(), left.end(), 0u);
        double bestEntropy = std::numeric_limits<double>::infinity();
        std::size_t bestEnd = 0;
        for (std::size_t i = first; i + 1 < end; ++i) {
            ++left[sorted[i].second];
            if (!(sorted[i].first < sorted[i + 1].first)) {
                continue;
            }
            const auto leftSize = std::uint32_t(i + 1 - first);
            for (std::uint32_t k = 0; k < classCount; ++k) {
                right[k] = whole[k] - left[k];
            }
            const double e = (double(leftSize) * entropyOf(left.data(), classCount, leftSize) +
                              double(size - leftSize) * entropyOf(right.data(), classCount, size - leftSize)) /
                             double(size);
            if (e < bestEntropy) {
                bestEntropy = e;
                bestEnd = i + 1;
                bestLeft = left;
            }
        }
        if (bestEnd == 0) {
            continue;
        }
        const double entropy = entropyOf(whole.data(), classCount, size);
        const double gain = entropy - bestEntropy;
        if (gain <= 0) {
            continue;
        }
        for (std::uint32_t k = 0; k < classCount; ++k) {
            right[k] = whole[k] - bestLeft[k];
        }
        const auto leftSize = std::uint32_t(bestEnd - first);
        const double k0 = classesPresent(whole.data(), classCount);
        const double k1 = classesPresent(bestLeft.data(), classCount);
        const double k2 = classesPresent(right.data(), classCount);
        const double delta = std::log2(std::pow(3.0, k0) - 2) -
                             (k0 * entropy - k1 * entropyOf(bestLeft.data(), classCount, leftSize) -
                              k2 * entropyOf(right.data(), classCount, size - leftSize));
        if (!(gain > (std::log2(double(size) - 1) + delta) / double(size))) {
            continue;
        }
        cuts.push_back(cutBetween(sorted[bestEnd - 1].first, sorted[bestEnd].first));
        pending.emplace_back(bestEnd, end);
        pending.emplace_back(first, bestEnd);
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

// The two searches on threads threads (0: one per core).
std::optional<Discretization> maximalDiscernibilityCutsOn(const SystemDecyzyjny& table,
                                                          const std::vector<bool>& cutAttributes, Progress& progress,
                                                          unsigned threads);
std::optional<Discretization> entropyCutsOn(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                            Progress& progress, unsigned threads);

} // namespace

std::uint32_t intervalCode(const std::vector<double>& cuts, float value)
{
    return std::uint32_t(std::lower_bound(cuts.begin(), cuts.end(), double(value)) - cuts.begin());
}

void Discretization::applyInPlace(SystemDecyzyjny& table) const
{
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        float* row = table.values.data() + std::size_t(object) * table.rowLength;
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            if (isCut[a]) {
                row[a] = float(intervalCode(cuts[a], row[a]));
            }
        }
    }
}

void Discretization::apply(const SystemDecyzyjny& table, const TableNames* names, SystemDecyzyjny& coded,
                           TableNames& codedNames) const
{
    std::vector<float> matrix = table.values;
    SystemDecyzyjny made;
    made.installValues(table.objectCount, table.attributeCount, std::move(matrix));
    applyInPlace(made);
    TableNames madeNames;
    const bool named = names != nullptr && names->fits(table);
    for (std::uint32_t c = 0; c < table.rowLength; ++c) {
        NamedColumn column;
        if (named) {
            column = names->columns[c];
        } else {
            column.name = c < table.attributeCount ? "a" + std::to_string(c + 1) : std::string("d");
        }
        if (c < table.attributeCount && isCut[c]) {
            column.nominal = true;
            column.labels = intervalLabels(cuts[c]);
        }
        madeNames.columns.push_back(std::move(column));
    }
    coded = std::move(made);
    codedNames = std::move(madeNames);
}

std::vector<double> candidateCuts(const SystemDecyzyjny& table, std::uint32_t attribute)
{
    std::vector<float> values(table.objectCount);
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        values[object] = table.value(object, attribute);
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    std::vector<double> cuts;
    for (std::size_t i = 0; i + 1 < values.size(); ++i) {
        cuts.push_back(cutBetween(values[i], values[i + 1]));
    }
    return cuts;
}

std::vector<bool> defaultCutAttributes(const SystemDecyzyjny& table, const TableNames* names)
{
    std::vector<bool> cut(table.attributeCount, true);
    if (names != nullptr && names->fits(table)) {
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            cut[a] = !names->columns[a].nominal;
        }
    }
    return cut;
}

std::optional<Discretization> fitDiscretization(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                                const DiscretizationMethod& method, Progress& progress,
                                                unsigned threads)
{
    switch (method.method) {
    case CutMethod::MaximalDiscernibility: return maximalDiscernibilityCutsOn(table, cutAttributes, progress, threads);
    case CutMethod::Entropy: return entropyCutsOn(table, cutAttributes, progress, threads);
    case CutMethod::EqualWidth: return equalWidthCuts(table, cutAttributes, method.intervals);
    }
    return std::nullopt;
}

std::optional<Discretization> maximalDiscernibilityCuts(const SystemDecyzyjny& table,
                                                        const std::vector<bool>& cutAttributes, Progress& progress)
{
    return maximalDiscernibilityCutsOn(table, cutAttributes, progress, 0);
}

std::optional<Discretization> entropyCuts(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                          Progress& progress)
{
    return entropyCutsOn(table, cutAttributes, progress, 0);
}

namespace {

std::optional<Discretization> maximalDiscernibilityCutsOn(const SystemDecyzyjny& table,
                                                          const std::vector<bool>& cutAttributes, Progress& progress,
                                                          unsigned threads)
{
    Discretization made = noCuts(cutAttributes);
    const std::vector<std::uint32_t> attributes = markedAttributes(cutAttributes);
    if (attributes.empty() || table.objectCount == 0) {
        return made;
    }
    DiscernibilitySearch search(table, attributes, threads);
    while (search.remainingPairs() > 0) {
        if (progress.cancelled()) {
            return std::nullopt;
        }
        progress.report(0, search.totalPairs() - search.remainingPairs(), search.totalPairs());
        const auto best = search.best();
        if (best.separated == 0) {
            break;
        }
        std::vector<double>& cuts = made.cuts[attributes[best.place]];
        cuts.insert(std::upper_bound(cuts.begin(), cuts.end(), best.cut), best.cut);
        search.addCut(best.place, best.cut);
    }
    return made;
}

std::optional<Discretization> entropyCutsOn(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                                            Progress& progress, unsigned threads)
{
    Discretization made = noCuts(cutAttributes);
    const std::vector<std::uint32_t> attributes = markedAttributes(cutAttributes);
    if (attributes.empty() || table.objectCount == 0) {
        return made;
    }
    std::uint32_t classCount = 0;
    const std::vector<std::uint32_t> classOf = decisionClasses(table, classCount);
    std::atomic<std::uint64_t> finished{0};
    std::atomic<bool> stopped{false};
    shareOut(std::uint32_t(attributes.size()), workerThreads(threads), [&](std::uint32_t place) {
        if (stopped.load() || progress.cancelled()) {
            stopped.store(true);
            return;
        }
        const std::uint32_t attribute = attributes[place];
        std::vector<std::pair<float, std::uint32_t>> sorted(table.objectCount);
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            sorted[object] = {table.value(object, attribute), classOf[object]};
        }
        std::sort(sorted.begin(), sorted.end(),
                  [](const auto& x, const auto& y) { return x.first < y.first; });
        made.cuts[attribute] = entropyCutsOf(sorted, classCount);
        progress.report(0, ++finished, attributes.size());
    });
    if (stopped.load()) {
        return std::nullopt;
    }
    return made;
}

} // namespace

Discretization equalWidthCuts(const SystemDecyzyjny& table, const std::vector<bool>& cutAttributes,
                              std::uint32_t intervals)
{
    Discretization made = noCuts(cutAttributes);
    if (table.objectCount == 0) {
        return made;
    }
    for (std::uint32_t a : markedAttributes(cutAttributes)) {
        double low = table.value(0, a);
        double high = low;
        for (std::uint32_t object = 1; object < table.objectCount; ++object) {
            low = std::min(low, double(table.value(object, a)));
            high = std::max(high, double(table.value(object, a)));
        }
        if (!(high > low)) {
            continue;
        }
        const double width = (high - low) / intervals;
        std::vector<double>& cuts = made.cuts[a];
        for (std::uint32_t i = 1; i < intervals; ++i) {
            const double cut = low + i * width;
            // Where rounding makes two cuts one, the interval between them would be empty.
            if (cuts.empty() || cuts.back() < cut) {
                cuts.push_back(cut);
            }
        }
    }
    return made;
}

} // namespace kolven
