#include "indiscernibility.h"

#include "checked_size.h"
#include "parallel_for.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <type_traits>

namespace kolven {

namespace {

// A float's bits with -0 made 0, so that equal values have equal bits.
std::uint32_t valueBits(float value)
{
    if (value == 0.0f) {
        value = 0.0f;
    }
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The bits turned into a number that sorts as the values do.
std::uint32_t sortKey(std::uint32_t bits)
{
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

std::uint64_t mixBits(std::uint64_t x)
{
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return x;
}

// The different values of one column, by their bits: first gathered, then numbered by rank.
class ValueIndex {
public:
    void insert(std::uint32_t bits)
    {
        const std::size_t slot = find(bits);
        if (slots_[slot] == kFree) {
            slots_[slot] = std::uint32_t(values_.size());
            keys_[slot] = bits;
            values_.push_back(bits);
            if (values_.size() * 2 > slots_.size()) {
                grow();
            }
        }
    }
    std::uint32_t codeOf(std::uint32_t bits) const { return slots_[find(bits)]; }
    std::uint32_t size() const { return std::uint32_t(values_.size()); }

    // Renumbers the values by rank and returns them ascending.
    std::vector<float> rank()
    {
        std::sort(values_.begin(), values_.end(), [](std::uint32_t a, std::uint32_t b) { return sortKey(a) < sortKey(b); });
        std::vector<float> ascending(values_.size());
        for (std::uint32_t r = 0; r < values_.size(); ++r) {
            slots_[find(values_[r])] = r;
            std::memcpy(&ascending[r], &values_[r], sizeof(float));
        }
        return ascending;
    }

private:
    static constexpr std::uint32_t kFree = UINT32_MAX;

    std::size_t find(std::uint32_t bits) const
    {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = mixBits(bits) & mask;
        while (slots_[slot] != kFree && keys_[slot] != bits) {
            slot = (slot + 1) & mask;
        }
        return slot;
    }
    void grow()
    {
        keys_.assign(slots_.size() * 2, 0);
        slots_.assign(slots_.size() * 2, kFree);
        for (std::uint32_t i = 0; i < values_.size(); ++i) {
            const std::size_t slot = find(values_[i]);
            slots_[slot] = i;
            keys_[slot] = values_[i];
        }
    }

    std::vector<std::uint32_t> keys_ = std::vector<std::uint32_t>(16, 0);
    std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(16, kFree);
    std::vector<std::uint32_t> values_;
};

// Rows are read in blocks that stay in the cache while each column of the block is coded.
constexpr std::uint32_t kRowBlock = 2048;

} // namespace

unsigned roughSetThreads(unsigned asked)
{
    return workerThreads(asked);
}

void forEachOnThreads(std::uint32_t count, unsigned threads, const std::function<void(std::uint32_t, unsigned)>& work)
{
    parallelFor(count, threads, [&work](std::uint32_t item, unsigned worker) {
        work(item, worker);
        return true;
    });
}

CodedTable::CodedTable(const SystemDecyzyjny& table, unsigned threads)
    : objects_(table.objectCount), columns_(table.attributeCount), decisions_(table.objectCount)
{
    // Each thread codes every threads-th column, reading the table in row blocks twice: once to
    // gather the columns' values, once to write their ranks.
    const std::uint32_t columnCount = table.rowLength;
    const unsigned parts = std::min<unsigned>(roughSetThreads(threads), columnCount);
    std::vector<ValueIndex> indexes(columnCount);
    forEachOnThreads(parts, parts, [&](std::uint32_t part, unsigned) {
        for (std::uint32_t start = 0; start < objects_; start += kRowBlock) {
            const std::uint32_t end = std::min(objects_, start + kRowBlock);
            for (std::uint32_t c = part; c < columnCount; c += parts) {
                for (std::uint32_t o = start; o < end; ++o) {
                    indexes[c].insert(valueBits(table.value(o, c)));
                }
            }
        }
        for (std::uint32_t c = part; c < columnCount; c += parts) {
            std::vector<float> values = indexes[c].rank();
            if (c == table.attributeCount) {
                decisionValues_ = std::move(values);
                continue;
            }
            Column& column = columns_[c];
            column.values = std::uint32_t(values.size());
            column.width = values.size() <= 0x100 ? 1 : values.size() <= 0x10000 ? 2 : 4;
            column.narrow.resize(column.width == 1 ? objects_ : 0);
            column.middle.resize(column.width == 2 ? objects_ : 0);
            column.wide.resize(column.width == 4 ? objects_ : 0);
        }
        for (std::uint32_t start = 0; start < objects_; start += kRowBlock) {
            const std::uint32_t end = std::min(objects_, start + kRowBlock);
            for (std::uint32_t c = part; c < columnCount; c += parts) {
                const auto write = [&](auto* codes) {
                    for (std::uint32_t o = start; o < end; ++o) {
                        codes[o] = static_cast<std::remove_reference_t<decltype(*codes)>>(
                            indexes[c].codeOf(valueBits(table.value(o, c))));
                    }
                };
                if (c == table.attributeCount) {
                    write(decisions_.data());
                } else if (Column& column = columns_[c]; column.width == 1) {
                    write(column.narrow.data());
                } else if (column.width == 2) {
                    write(column.middle.data());
                } else {
                    write(column.wide.data());
                }
            }
        }
    });
}

CodedTable::CodedTable(const CodedTable& source, std::span<const std::uint32_t> objects,
                       const std::vector<std::uint8_t>& kept)
    : objects_(std::uint32_t(objects.size())), columns_(source.attributeCount()),
      decisionValues_(source.decisionValues_)
{
    decisions_.reserve(objects.size());
    for (std::uint32_t o : objects) {
        decisions_.push_back(source.decisions_[o]);
    }
    for (std::uint32_t a = 0; a < source.attributeCount(); ++a) {
        const Column& from = source.columns_[a];
        Column& to = columns_[a];
        to.values = from.values;
        to.width = from.width;
        if (kept[a] == 0) {
            continue;
        }
        const auto gather = [&](const auto& codes, auto& into) {
            into.reserve(objects.size());
            for (std::uint32_t o : objects) {
                into.push_back(codes[o]);
            }
        };
        if (from.width == 1) {
            gather(from.narrow, to.narrow);
        } else if (from.width == 2) {
            gather(from.middle, to.middle);
        } else {
            gather(from.wide, to.wide);
        }
    }
}

std::uint32_t CodedTable::code(std::uint32_t object, std::uint32_t attribute) const
{
    return withColumn(attribute, [object](const auto* codes) { return std::uint32_t(codes[object]); });
}

Partition Partition::whole(std::uint32_t objects)
{
    Partition partition;
    if (objects > 0) {
        partition.objects.resize(objects);
        for (std::uint32_t o = 0; o < objects; ++o) {
            partition.objects[o] = o;
        }
        partition.starts.push_back(objects);
    }
    return partition;
}

bool decisionConsistent(const CodedTable& table, std::span<const std::uint32_t> objects)
{
    const auto& decisions = table.decisionClasses();
    for (std::uint32_t o : objects) {
        if (decisions[o] != decisions[objects.front()]) {
            return false;
        }
    }
    return true;
}

Refiner::Refiner(const CodedTable& table) : table_(table)
{
    std::uint32_t widest = 1;
    for (std::uint32_t a = 0; a < table.attributeCount(); ++a) {
        widest = std::max(widest, table.valueCount(a));
    }
    stamp_.assign(widest, 0);
    count_.assign(widest, 0);
    decision_.assign(widest, 0);
}

std::uint32_t Refiner::nextStamp()
{
    if (++currentStamp_ == 0) {
        std::fill(stamp_.begin(), stamp_.end(), 0);
        currentStamp_ = 1;
    }
    return currentStamp_;
}

void Refiner::refine(const Partition& from, std::uint32_t attribute, Partition& into, KeepClasses keep,
                     const std::function<void(std::span<const std::uint32_t>)>& dropped)
{
    into.objects.clear();
    into.starts.assign(1, 0);
    into.objects.reserve(from.objects.size());
    const auto emit = [&](std::span<const std::uint32_t> group) {
        const auto holdsPositive = [&] {
            return std::any_of(group.begin(), group.end(), [&](std::uint32_t o) { return (*positive_)[o] != 0; });
        };
        const bool kept = keep == KeepClasses::All || (keep == KeepClasses::Several && group.size() > 1) ||
                          (keep != KeepClasses::Several && !decisionConsistent(table_, group) &&
                           (keep == KeepClasses::Inconsistent || holdsPositive()));
        if (kept) {
            into.objects.insert(into.objects.end(), group.begin(), group.end());
            into.starts.push_back(std::uint32_t(into.objects.size()));
        } else if (dropped) {
            dropped(group);
        }
    };
    table_.withColumn(attribute, [&](const auto* codes) {
        for (std::uint32_t c = 0; c < from.classCount(); ++c) {
            const std::span<const std::uint32_t> members = from.members(c);
            if (members.size() == 1) {
                emit(members);
                continue;
            }
            const std::uint32_t stamp = nextStamp();
            distinct_.clear();
            for (std::uint32_t o : members) {
                const std::uint32_t v = codes[o];
                if (stamp_[v] != stamp) {
                    stamp_[v] = stamp;
                    count_[v] = 0;
                    distinct_.push_back(v);
                }
                ++count_[v];
            }
            if (distinct_.size() == 1) {
                emit(members);
                continue;
            }
            // Counting sort of the class by value; count_ then holds where each group ends.
            std::uint32_t position = 0;
            for (std::uint32_t v : distinct_) {
                const std::uint32_t size = count_[v];
                count_[v] = position;
                position += size;
            }
            buffer_.resize(members.size());
            for (std::uint32_t o : members) {
                buffer_[count_[codes[o]]++] = o;
            }
            std::uint32_t begin = 0;
            for (std::uint32_t v : distinct_) {
                emit({buffer_.data() + begin, buffer_.data() + count_[v]});
                begin = count_[v];
            }
        }
    });
}

std::uint64_t Refiner::consistentAfter(const Partition& from, std::uint32_t attribute)
{
    constexpr std::uint32_t kMixed = UINT32_MAX;
    const auto& decisions = table_.decisionClasses();
    std::uint64_t consistent = 0;
    table_.withColumn(attribute, [&](const auto* codes) {
        for (std::uint32_t c = 0; c < from.classCount(); ++c) {
            const std::uint32_t stamp = nextStamp();
            distinct_.clear();
            for (std::uint32_t o : from.members(c)) {
                const std::uint32_t v = codes[o];
                const std::uint32_t d = decisions[o];
                if (stamp_[v] != stamp) {
                    stamp_[v] = stamp;
                    count_[v] = 1;
                    decision_[v] = d;
                    distinct_.push_back(v);
                } else {
                    ++count_[v];
                    if (decision_[v] != d) {
                        decision_[v] = kMixed;
                    }
                }
            }
            for (std::uint32_t v : distinct_) {
                if (decision_[v] != kMixed) {
                    consistent += count_[v];
                }
            }
        }
    });
    return consistent;
}

Partition indiscernibilityClasses(const CodedTable& table, std::span<const std::uint32_t> attributes)
{
    Partition partition = Partition::whole(table.objectCount());
    Partition next;
    Refiner refiner(table);
    for (std::uint32_t a : attributes) {
        refiner.refine(partition, a, next, KeepClasses::All);
        std::swap(partition, next);
    }
    return partition;
}

namespace {

// The inconsistent classes on attributes, each consistent class passed to dropped on the way.
// False when progress asks to stop.
bool inconsistentClasses(const CodedTable& table, std::span<const std::uint32_t> attributes, Refiner& refiner,
                         Partition& partition, const std::function<void(std::span<const std::uint32_t>)>& dropped,
                         Progress& progress)
{
    partition = Partition::whole(table.objectCount());
    if (partition.classCount() == 1 && decisionConsistent(table, partition.members(0))) {
        if (dropped) {
            dropped(partition.members(0));
        }
        partition = Partition();
    }
    Partition next;
    for (std::size_t i = 0; i < attributes.size() && partition.classCount() > 0; ++i) {
        if (progress.cancelled()) {
            return false;
        }
        refiner.refine(partition, attributes[i], next, KeepClasses::Inconsistent, dropped);
        std::swap(partition, next);
        progress.report(0, i + 1, attributes.size());
    }
    return !progress.cancelled();
}

} // namespace

bool positiveRegion(const CodedTable& table, std::span<const std::uint32_t> attributes, PositiveRegion& region,
                    Progress& progress)
{
    PositiveRegion found;
    found.member.assign(table.objectCount(), 0);
    Refiner refiner(table);
    Partition partition;
    const auto dropped = [&](std::span<const std::uint32_t> members) {
        for (std::uint32_t o : members) {
            found.member[o] = 1;
        }
        found.size += std::uint32_t(members.size());
    };
    if (!inconsistentClasses(table, attributes, refiner, partition, dropped, progress)) {
        return false;
    }
    region = std::move(found);
    return true;
}

std::uint32_t attributeWords(std::uint32_t attributes)
{
    return std::max<std::uint32_t>(1, (attributes + 63) / 64);
}

void addAttribute(std::uint64_t* set, std::uint32_t attribute)
{
    set[attribute / 64] |= std::uint64_t(1) << (attribute % 64);
}

bool hasAttribute(const std::uint64_t* set, std::uint32_t attribute)
{
    return ((set[attribute / 64] >> (attribute % 64)) & 1) != 0;
}

bool intersects(const std::uint64_t* a, const std::uint64_t* b, std::uint32_t words)
{
    for (std::uint32_t w = 0; w < words; ++w) {
        if ((a[w] & b[w]) != 0) {
            return true;
        }
    }
    return false;
}

bool isSubset(const std::uint64_t* part, const std::uint64_t* whole, std::uint32_t words)
{
    for (std::uint32_t w = 0; w < words; ++w) {
        if ((part[w] & ~whole[w]) != 0) {
            return false;
        }
    }
    return true;
}

std::uint32_t attributeCountOf(const std::uint64_t* set, std::uint32_t words)
{
    std::uint32_t count = 0;
    for (std::uint32_t w = 0; w < words; ++w) {
        count += std::uint32_t(std::popcount(set[w]));
    }
    return count;
}

std::vector<std::uint32_t> attributesOf(const std::uint64_t* set, std::uint32_t words)
{
    std::vector<std::uint32_t> attributes;
    for (std::uint32_t w = 0; w < words; ++w) {
        for (std::uint64_t bits = set[w]; bits != 0; bits &= bits - 1) {
            attributes.push_back(w * 64 + std::uint32_t(std::countr_zero(bits)));
        }
    }
    return attributes;
}

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
    const std::uint32_t words = attributeWords(attributes);
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
