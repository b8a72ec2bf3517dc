#include "indiscernibility.h"

#include "attribute_set.h"
#include "parallel_for.h"

#include <algorithm>
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

// The different values of one column, by their bits: first gathered, then numbered by rank.
// Small whole numbers, the values of most coded tables, are looked up in a plain array; other
// values in a hash table.
class ValueIndex {
public:
    void insert(std::uint32_t bits)
    {
        std::uint32_t* code = nullptr;
        if (std::uint32_t whole = 0; isSmallWhole(bits, whole)) {
            code = &direct_[whole];
        } else {
            const std::size_t slot = find(bits);
            if (slots_[slot] == kFree) {
                keys_[slot] = bits;
                ++hashed_;
            }
            code = &slots_[slot];
        }
        if (*code == kFree) {
            *code = std::uint32_t(values_.size());
            values_.push_back(bits);
            if (hashed_ * 2 > slots_.size()) {
                grow();
            }
        }
    }
    std::uint32_t codeOf(std::uint32_t bits) const
    {
        std::uint32_t whole = 0;
        return isSmallWhole(bits, whole) ? direct_[whole] : slots_[find(bits)];
    }
    std::uint32_t size() const { return std::uint32_t(values_.size()); }

    // Renumbers the values by rank and returns them ascending.
    std::vector<float> rank()
    {
        std::sort(values_.begin(), values_.end(), [](std::uint32_t a, std::uint32_t b) { return sortKey(a) < sortKey(b); });
        std::vector<float> ascending(values_.size());
        for (std::uint32_t r = 0; r < values_.size(); ++r) {
            std::uint32_t whole = 0;
            (isSmallWhole(values_[r], whole) ? direct_[whole] : slots_[find(values_[r])]) = r;
            std::memcpy(&ascending[r], &values_[r], sizeof(float));
        }
        return ascending;
    }

private:
    static constexpr std::uint32_t kFree = UINT32_MAX;
    static constexpr std::uint32_t kDirect = 1024;

    // True when the value is one of 0, 1, ..., kDirect - 1, which whole is then set to.
    static bool isSmallWhole(std::uint32_t bits, std::uint32_t& whole)
    {
        float value = 0.0f;
        std::memcpy(&value, &bits, sizeof value);
        if (!(value >= 0.0f && value < float(kDirect))) {
            return false;
        }
        whole = static_cast<std::uint32_t>(value);
        return static_cast<float>(whole) == value;
    }
    std::size_t find(std::uint32_t bits) const
    {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = attribute_sets::mixBits(bits) & mask;
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
            if (std::uint32_t whole = 0; !isSmallWhole(values_[i], whole)) {
                const std::size_t slot = find(values_[i]);
                slots_[slot] = i;
                keys_[slot] = values_[i];
            }
        }
    }

    std::vector<std::uint32_t> direct_ = std::vector<std::uint32_t>(kDirect, kFree);
    std::vector<std::uint32_t> keys_ = std::vector<std::uint32_t>(16, 0);
    std::vector<std::uint32_t> slots_ = std::vector<std::uint32_t>(16, kFree);
    std::uint32_t hashed_ = 0;
    std::vector<std::uint32_t> values_;
};

// The number of different keys a refinement by several attributes combines codes into.
constexpr std::uint64_t kKeyValues = std::uint64_t(1) << 32;

// True when objects are 0, 1, ..., count - 1.
bool countsUp(const std::uint32_t* objects, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (objects[i] != i) {
            return false;
        }
    }
    return true;
}

// Classes of at least this many objects are sorted by radix, kRadixDigitBits bits a pass at most.
constexpr std::size_t kRadixObjects = 1024;
constexpr unsigned kRadixDigitBits = 11;
// A split of at least this many objects whose single objects are not wanted first leaves out the
// objects no other object of their class shares a key with, in slots 2^kLoneKeySlotsPerObjectBits
// times as many as the objects (at most 2^kLoneKeySlotBitsMost): in a large table split by many
// attributes most objects are alone, and sorting them all would cost more than finding them.
constexpr std::size_t kLoneKeyObjects = 4096;
constexpr unsigned kLoneKeySlotsPerObjectBits = 3;
constexpr unsigned kLoneKeySlotBitsMost = 27;
constexpr std::uint32_t kSlotLookAhead = 32;
// The multipliers that choose the slots, one a round: the objects a round keeps by chance mostly
// meet no one in the next, which picks their slots another way.
constexpr std::uint64_t kSlotHashes[] = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full};

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
                const float* cell = table.row(start) + c;
                for (std::uint32_t o = start; o < end; ++o, cell += columnCount) {
                    indexes[c].insert(valueBits(*cell));
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
                    const ValueIndex& index = indexes[c];
                    const float* cell = table.row(start) + c;
                    for (std::uint32_t o = start; o < end; ++o, cell += columnCount) {
                        codes[o] = static_cast<std::remove_reference_t<decltype(*codes)>>(index.codeOf(valueBits(*cell)));
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

namespace {

// The codes of the given objects, in that order; nothing from a column kept in another width.
template <typename Code>
std::vector<Code> gathered(const std::vector<Code>& codes, std::span<const std::uint32_t> objects)
{
    std::vector<Code> into;
    if (codes.empty()) {
        return into;
    }
    into.reserve(objects.size());
    for (std::uint32_t o : objects) {
        into.push_back(codes[o]);
    }
    return into;
}

} // namespace

CodedTable::CodedTable(const CodedTable& source, std::span<const std::uint32_t> objects,
                       const std::vector<std::uint8_t>& kept, unsigned threads)
    : objects_(std::uint32_t(objects.size())), columns_(source.attributeCount()),
      decisions_(gathered(source.decisions_, objects)), decisionValues_(source.decisionValues_)
{
    forEachOnThreads(source.attributeCount(), threads, [&](std::uint32_t a, unsigned) {
        const Column& from = source.columns_[a];
        Column& to = columns_[a];
        to.values = from.values;
        to.width = from.width;
        if (kept[a] != 0) {
            to.narrow = gathered(from.narrow, objects);
            to.middle = gathered(from.middle, objects);
            to.wide = gathered(from.wide, objects);
        }
    });
}

void CodedTable::narrow(std::span<const std::uint32_t> objects, const std::vector<std::uint8_t>& kept, unsigned threads)
{
    decisions_ = gathered(decisions_, objects);
    forEachOnThreads(attributeCount(), threads, [&](std::uint32_t a, unsigned) {
        Column& column = columns_[a];
        const bool keep = kept[a] != 0;
        column.narrow = keep ? gathered(column.narrow, objects) : std::vector<std::uint8_t>();
        column.middle = keep ? gathered(column.middle, objects) : std::vector<std::uint16_t>();
        column.wide = keep ? gathered(column.wide, objects) : std::vector<std::uint32_t>();
    });
    objects_ = std::uint32_t(objects.size());
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

void Refiner::keepOrDrop(std::span<const std::uint32_t> group, KeepClasses keep, Partition& into,
                         const std::function<void(std::span<const std::uint32_t>)>& dropped) const
{
    const auto holdsPositive = [&] {
        return std::any_of(group.begin(), group.end(), [&](std::uint32_t o) { return (*positive_)[o] != 0; });
    };
    // A class of one object is consistent, so only KeepClasses::All keeps it: its decision is not
    // looked up (at random, once the table is mostly split).
    const bool kept = keep == KeepClasses::All ||
                      (group.size() > 1 && (keep == KeepClasses::Several ||
                                            (!decisionConsistent(table_, group) &&
                                             (keep == KeepClasses::Inconsistent || holdsPositive()))));
    if (kept) {
        into.objects.insert(into.objects.end(), group.begin(), group.end());
        into.starts.push_back(std::uint32_t(into.objects.size()));
    } else if (dropped) {
        dropped(group);
    }
}

void Refiner::refine(const Partition& from, std::uint32_t attribute, Partition& into, KeepClasses keep,
                     const std::function<void(std::span<const std::uint32_t>)>& dropped)
{
    into.objects.clear();
    into.starts.assign(1, 0);
    into.objects.reserve(from.objects.size());
    const auto emit = [&](std::span<const std::uint32_t> group) { keepOrDrop(group, keep, into, dropped); };
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

void Refiner::refineBy(const Partition& from, std::span<const std::uint32_t> attributes, Partition& into,
                       KeepClasses keep, const std::function<void(std::span<const std::uint32_t>)>& dropped)
{
    if (attributes.empty()) {
        into = from;
        return;
    }
    // An attribute of one value splits nothing; the others go in chunks whose codes combine into
    // 32 bits. At least one pass is made, so that the rule of what is kept applies.
    std::vector<std::uint32_t> splitting;
    for (std::uint32_t a : attributes) {
        if (table_.valueCount(a) > 1) {
            splitting.push_back(a);
        }
    }
    const Partition* source = &from;
    Partition staged;
    std::size_t first = 0;
    do {
        std::uint64_t combinations = 1;
        std::size_t last = first;
        while (last < splitting.size() && combinations * table_.valueCount(splitting[last]) <= kKeyValues) {
            combinations *= table_.valueCount(splitting[last]);
            ++last;
        }
        if (source != &from) {
            std::swap(into, staged);
            source = &staged;
        }
        splitByKey(*source, std::span<const std::uint32_t>(splitting).subspan(first, last - first), into, keep,
                   dropped);
        source = &into;
        first = last;
    } while (first < splitting.size() && into.classCount() > 0);
}

void Refiner::splitByKey(const Partition& from, std::span<const std::uint32_t> attributes, Partition& into, KeepClasses keep,
                         const std::function<void(std::span<const std::uint32_t>)>& dropped)
{
    into.objects.clear();
    into.starts.assign(1, 0);
    into.objects.reserve(from.objects.size());
    const std::size_t count = from.objects.size();
    const std::uint32_t* objects = from.objects.data();
    keys_.assign(count, 0);
    std::uint32_t* keys = keys_.data();
    // The objects of the whole table in their order (the first split of a search) are read
    // straight down the columns, which the processor does several objects at a time.
    const bool wholeTable = count == table_.objectCount() && countsUp(objects, count);
    for (std::uint32_t a : attributes) {
        const std::uint32_t values = table_.valueCount(a);
        table_.withColumn(a, [&](const auto* codes) {
            if (wholeTable) {
                for (std::size_t i = 0; i < count; ++i) {
                    keys[i] = keys[i] * values + codes[i];
                }
            } else {
                for (std::size_t i = 0; i < count; ++i) {
                    keys[i] = keys[i] * values + codes[objects[i]];
                }
            }
        });
    }
    const Partition* groups = &from;
    if (!dropped && keep != KeepClasses::All && count >= kLoneKeyObjects) {
        leaveOutLoneKeys(from, keys, kSlotHashes[0]);
        for (std::size_t round = 1; round < std::size(kSlotHashes) && repeated_.objects.size() >= kLoneKeyObjects; ++round) {
            std::swap(repeated_, staged_);
            std::swap(repeatedKeys_, stagedKeys_);
            leaveOutLoneKeys(staged_, stagedKeys_.data(), kSlotHashes[round]);
        }
        groups = &repeated_;
        keys = repeatedKeys_.data();
        objects = repeated_.objects.data();
    }
    for (std::uint32_t c = 0; c < groups->classCount(); ++c) {
        const std::uint32_t begin = groups->starts[c];
        const std::uint32_t size = groups->starts[c + 1] - begin;
        if (size == 1) {
            keepOrDrop(groups->members(c), keep, into, dropped);
            continue;
        }
        sortByKey(keys + begin, objects + begin, size);
        std::uint32_t run = 0;
        for (std::uint32_t i = 1; i <= size; ++i) {
            if (i == size || sortedKeys_[i] != sortedKeys_[run]) {
                keepOrDrop({sortedObjects_.data() + run, sortedObjects_.data() + i}, keep, into, dropped);
                run = i;
            }
        }
    }
}

void Refiner::leaveOutLoneKeys(const Partition& from, const std::uint32_t* keys, std::uint64_t hash)
{
    // Two bits a slot: seen, and seen again. A slot is chosen by a hash of the class and the key,
    // so that objects of one class with one key always meet in one slot; objects that meet there
    // by chance only are sorted apart later.
    const unsigned slotBits = std::min(kLoneKeySlotBitsMost, unsigned(std::bit_width(from.objects.size())) + kLoneKeySlotsPerObjectBits);
    slotWords_.assign((std::size_t(1) << slotBits) / 32, 0);
    std::uint64_t* words = slotWords_.data();
    const auto slotOf = [slotBits, hash](std::uint32_t c, std::uint32_t key) {
        return std::size_t(((std::uint64_t(c) << 32 | key) * hash) >> (64 - slotBits));
    };
    // Calls visit(i, slot) for the objects of class c, the slot some objects ahead asked for early.
    const auto forEachSlot = [&](std::uint32_t c, const auto& visit) {
        const std::uint32_t end = from.starts[c + 1];
        for (std::uint32_t i = from.starts[c]; i < end; ++i) {
            if (i + kSlotLookAhead < end) {
                __builtin_prefetch(&words[slotOf(c, keys[i + kSlotLookAhead]) / 32]);
            }
            visit(i, slotOf(c, keys[i]));
        }
    };
    for (std::uint32_t c = 0; c < from.classCount(); ++c) {
        forEachSlot(c, [words](std::uint32_t, std::size_t slot) {
            std::uint64_t& word = words[slot / 32];
            const unsigned shift = unsigned(slot % 32) * 2;
            word |= std::uint64_t(1) << (shift + ((word >> shift) & 1));
        });
    }
    repeated_.objects.clear();
    repeated_.starts.assign(1, 0);
    repeatedKeys_.clear();
    for (std::uint32_t c = 0; c < from.classCount(); ++c) {
        forEachSlot(c, [&](std::uint32_t i, std::size_t slot) {
            if ((words[slot / 32] >> (unsigned(slot % 32) * 2 + 1) & 1) != 0) {
                repeated_.objects.push_back(from.objects[i]);
                repeatedKeys_.push_back(keys[i]);
            }
        });
        if (repeated_.objects.size() > repeated_.starts.back()) {
            repeated_.starts.push_back(std::uint32_t(repeated_.objects.size()));
        }
    }
}

void Refiner::sortByKey(const std::uint32_t* keys, const std::uint32_t* objects, std::size_t count)
{
    sortedKeys_.resize(count);
    sortedObjects_.resize(count);
    // Insertion sort of a small range, in place; stable.
    const auto insertionSort = [this](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin + 1; i < end; ++i) {
            const std::uint32_t key = sortedKeys_[i];
            const std::uint32_t object = sortedObjects_[i];
            std::size_t j = i;
            for (; j > begin && sortedKeys_[j - 1] > key; --j) {
                sortedKeys_[j] = sortedKeys_[j - 1];
                sortedObjects_[j] = sortedObjects_[j - 1];
            }
            sortedKeys_[j] = key;
            sortedObjects_[j] = object;
        }
    };
    if (count <= 64) {
        std::copy(keys, keys + count, sortedKeys_.begin());
        std::copy(objects, objects + count, sortedObjects_.begin());
        insertionSort(0, count);
        return;
    }
    // One counting pass on the leading bits of key - smallest, about as many buckets as keys,
    // then each bucket sorted on its own (most hold one or two keys).
    const auto [smallest, largest] = std::minmax_element(keys, keys + count);
    const std::uint32_t low = *smallest;
    const std::uint32_t span = *largest - low;
    const unsigned bits = unsigned(std::bit_width(span));
    if (count >= kRadixObjects && bits > 0) {
        radixSort(keys, objects, count, low, bits);
        return;
    }
    const unsigned bucketBits = std::min(16u, unsigned(std::bit_width(count)));
    const unsigned shift = bits > bucketBits ? bits - bucketBits : 0;
    const std::size_t buckets = std::size_t(span >> shift) + 1;
    bucketStarts_.assign(buckets + 1, 0);
    for (std::size_t i = 0; i < count; ++i) {
        ++bucketStarts_[((keys[i] - low) >> shift) + 1];
    }
    for (std::size_t b = 0; b < buckets; ++b) {
        bucketStarts_[b + 1] += bucketStarts_[b];
    }
    bucketFill_.assign(bucketStarts_.begin(), bucketStarts_.end() - 1);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t slot = bucketFill_[(keys[i] - low) >> shift]++;
        sortedKeys_[slot] = keys[i];
        sortedObjects_[slot] = objects[i];
    }
    if (shift == 0) {
        return; // a bucket holds one key
    }
    for (std::size_t b = 0; b < buckets; ++b) {
        const std::size_t begin = bucketStarts_[b];
        const std::size_t end = bucketStarts_[b + 1];
        if (end - begin <= 64) {
            insertionSort(begin, end);
            continue;
        }
        pairs_.clear();
        for (std::size_t i = begin; i < end; ++i) {
            pairs_.emplace_back(sortedKeys_[i], sortedObjects_[i]);
        }
        std::stable_sort(pairs_.begin(), pairs_.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
        for (std::size_t i = begin; i < end; ++i) {
            sortedKeys_[i] = pairs_[i - begin].first;
            sortedObjects_[i] = pairs_[i - begin].second;
        }
    }
}

void Refiner::radixSort(const std::uint32_t* keys, const std::uint32_t* objects, std::size_t count, std::uint32_t low,
                        unsigned bits)
{
    // Each key travels with its object as one 64-bit number: key - low above, the object below.
    const unsigned passes = (bits + kRadixDigitBits - 1) / kRadixDigitBits;
    const unsigned digitBits = (bits + passes - 1) / passes;
    const std::uint64_t digitMask = (std::uint64_t(1) << digitBits) - 1;
    radixFrom_.resize(count);
    radixTo_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        radixFrom_[i] = std::uint64_t(keys[i] - low) << 32 | objects[i];
    }
    for (unsigned pass = 0; pass < passes; ++pass) {
        const unsigned shift = 32 + pass * digitBits;
        const auto digit = [&](std::uint64_t item) { return std::size_t((item >> shift) & digitMask); };
        bucketStarts_.assign(std::size_t(digitMask) + 2, 0);
        for (std::size_t i = 0; i < count; ++i) {
            ++bucketStarts_[digit(radixFrom_[i]) + 1];
        }
        for (std::size_t d = 0; d <= digitMask; ++d) {
            bucketStarts_[d + 1] += bucketStarts_[d];
        }
        for (std::size_t i = 0; i < count; ++i) {
            radixTo_[bucketStarts_[digit(radixFrom_[i])]++] = radixFrom_[i];
        }
        std::swap(radixFrom_, radixTo_);
    }
    for (std::size_t i = 0; i < count; ++i) {
        sortedKeys_[i] = std::uint32_t(radixFrom_[i] >> 32) + low;
        sortedObjects_[i] = std::uint32_t(radixFrom_[i]);
    }
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

} // namespace kolven
