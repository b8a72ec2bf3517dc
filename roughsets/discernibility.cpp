#include "discernibility.h"

#include "checked_size.h"
#include "parallel_for.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace kolven {

using namespace attribute_sets;

void discerningAttributes(const CodedTable& table, std::uint32_t x, std::uint32_t y, std::uint64_t* set)
{
    for (std::uint32_t a = 0; a < table.attributeCount(); ++a) {
        if (table.code(x, a) != table.code(y, a)) {
            addAttribute(set, a);
        }
    }
}

namespace {

// Counts pairs by their attribute set: a plain array indexed by the set for a few attributes,
// open addressing over the sets' words otherwise.
class SetCounter {
public:
    SetCounter(std::uint32_t attributes, std::uint32_t words) : words_(words), dense_(attributes <= kDenseAttributes)
    {
        if (dense_) {
            counts_.assign(std::size_t(1) << attributes, 0);
        } else {
            keys_.assign(std::size_t(64) * words_, 0);
            counts_.assign(64, 0);
        }
    }

    void add(const std::uint64_t* set, std::uint64_t pairs)
    {
        if (dense_) {
            counts_[set[0]] += pairs;
            return;
        }
        std::size_t slot = find(set);
        if (counts_[slot] == 0) {
            std::copy(set, set + words_, keys_.begin() + slot * words_);
            if (++used_ * 2 > counts_.size()) {
                counts_[slot] = pairs;
                grow();
                return;
            }
        }
        counts_[slot] += pairs;
    }

    void addAll(const SetCounter& other)
    {
        if (dense_) {
            for (std::size_t i = 0; i < counts_.size(); ++i) {
                counts_[i] += other.counts_[i];
            }
            return;
        }
        other.forEach([this](const std::uint64_t* set, std::uint64_t pairs) { add(set, pairs); });
    }

    template <typename F>
    void forEach(F&& f) const
    {
        std::uint64_t set = 0;
        for (std::size_t i = 0; i < counts_.size(); ++i) {
            if (counts_[i] != 0) {
                if (dense_) {
                    set = i;
                    f(&set, counts_[i]);
                } else {
                    f(keys_.data() + i * words_, counts_[i]);
                }
            }
        }
    }

private:
    static constexpr std::uint32_t kDenseAttributes = 16;

    std::size_t find(const std::uint64_t* set) const
    {
        std::uint64_t hash = 0;
        for (std::uint32_t w = 0; w < words_; ++w) {
            hash = mixBits(hash ^ set[w]);
        }
        const std::size_t mask = counts_.size() - 1;
        std::size_t slot = hash & mask;
        while (counts_[slot] != 0 && !std::equal(set, set + words_, keys_.begin() + slot * words_)) {
            slot = (slot + 1) & mask;
        }
        return slot;
    }

    void grow()
    {
        std::vector<std::uint64_t> oldKeys(keys_.size() * 2, 0);
        std::vector<std::uint64_t> oldCounts(counts_.size() * 2, 0);
        oldKeys.swap(keys_);
        oldCounts.swap(counts_);
        for (std::size_t i = 0; i < oldCounts.size(); ++i) {
            if (oldCounts[i] != 0) {
                const std::size_t slot = find(oldKeys.data() + i * words_);
                std::copy(oldKeys.begin() + i * words_, oldKeys.begin() + (i + 1) * words_, keys_.begin() + slot * words_);
                counts_[slot] = oldCounts[i];
            }
        }
    }

    std::uint32_t words_;
    bool dense_;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint64_t> counts_;
    std::size_t used_ = 0;
};

// Objects of one indiscernibility class on all attributes that share a decision.
struct ObjectGroup {
    std::uint32_t representative;
    std::uint32_t decision;
    std::uint64_t objects;
    bool positive;
};

} // namespace

bool discernibilitySets(const CodedTable& table, const PositiveRegion& positive, DiscernibilitySets& sets,
                        unsigned threads, Progress& progress)
{
    const std::uint32_t attributes = table.attributeCount();
    const std::uint32_t words = wordsFor(attributes);
    std::vector<std::uint32_t> all(attributes);
    for (std::uint32_t a = 0; a < attributes; ++a) {
        all[a] = a;
    }
    const Partition classes = indiscernibilityClasses(table, all);
    std::vector<ObjectGroup> groups;
    std::vector<std::uint32_t> decisions;
    for (std::uint32_t c = 0; c < classes.classCount(); ++c) {
        const auto members = classes.members(c);
        decisions.clear();
        for (std::uint32_t o : members) {
            decisions.push_back(table.decisionClass(o));
        }
        std::sort(decisions.begin(), decisions.end());
        for (std::size_t i = 0; i < decisions.size();) {
            std::size_t end = i;
            while (end < decisions.size() && decisions[end] == decisions[i]) {
                ++end;
            }
            std::uint32_t representative = members.front();
            for (std::uint32_t o : members) {
                if (table.decisionClass(o) == decisions[i]) {
                    representative = o;
                    break;
                }
            }
            groups.push_back({representative, decisions[i], end - i, positive.member[representative] != 0});
            i = end;
        }
    }
    // The groups' codes row by row, so that a pair compares two short rows.
    const std::size_t groupCount = groups.size();
    std::vector<std::uint32_t> rows(checkedProduct({groupCount, attributes}));
    for (std::uint32_t a = 0; a < attributes; ++a) {
        table.withColumn(a, [&](const auto* codes) {
            for (std::size_t g = 0; g < groupCount; ++g) {
                rows[g * attributes + a] = codes[groups[g].representative];
            }
        });
    }
    const unsigned workers = std::min<unsigned>(roughSetThreads(threads), std::max<std::size_t>(groupCount, 1));
    std::vector<SetCounter> counters(workers, SetCounter(attributes, words));
    std::atomic<std::uint64_t> done{0};
    forEachOnThreads(std::uint32_t(groupCount), workers, [&](std::uint32_t g, unsigned worker) {
        if (progress.cancelled()) {
            return;
        }
        std::vector<std::uint64_t> set(words);
        SetCounter& counter = counters[worker];
        const ObjectGroup& first = groups[g];
        const std::uint32_t* rowG = rows.data() + std::size_t(g) * attributes;
        for (std::size_t h = g + 1; h < groupCount; ++h) {
            const ObjectGroup& second = groups[h];
            if (first.decision == second.decision || (!first.positive && !second.positive)) {
                continue;
            }
            const std::uint32_t* rowH = rows.data() + h * attributes;
            std::fill(set.begin(), set.end(), 0);
            for (std::uint32_t a = 0; a < attributes; ++a) {
                set[a / 64] |= std::uint64_t(rowG[a] != rowH[a]) << (a % 64);
            }
            counter.add(set.data(), first.objects * second.objects);
        }
        progress.report(1, ++done, groupCount); // the stage of comparing pairs
    });
    if (progress.cancelled()) {
        return false;
    }
    for (unsigned worker = 1; worker < workers; ++worker) {
        counters[0].addAll(counters[worker]);
    }
    DiscernibilitySets found;
    found.words = words;
    counters[0].forEach([&](const std::uint64_t* set, std::uint64_t pairs) {
        found.sets.insert(found.sets.end(), set, set + words);
        found.pairs.push_back(pairs);
    });
    sets = std::move(found);
    return true;
}

} // namespace kolven
