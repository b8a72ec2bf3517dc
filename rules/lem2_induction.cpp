#include "lem2_induction.h"

#include "lem2_pair_codes.h"
#include "parallel_for.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <iterator>
#include <memory>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>
#include <utility>

namespace kolven {

namespace {

// Sixteen byte codes compared by one instruction, or thirty-two where the processor has AVX2.
typedef std::uint8_t ByteLanes __attribute__((vector_size(16)));
typedef std::uint8_t WideByteLanes __attribute__((vector_size(32)));
// The most values an attribute may have for its rows to be counted in byte lanes.
constexpr std::uint32_t kLaneValues = 16;

// How many rows carry each value, for the attributes first to first + lanes - 1 of the listed
// rows (rows + index * stride each, index from list), added to counts[bases[a] + value]: per value
// a vector of byte tallies, one per attribute, raised where a row's byte equals the value.
// A tally holds 255, so the rows are taken 255 at a time. Values is the most values an attribute
// has; lanes past the last attribute read the next row's bytes and are not added.
template <std::uint32_t Values, typename Lanes>
[[gnu::always_inline]] inline void countLanes(const std::uint8_t* rows, std::size_t stride, std::span<const std::uint32_t> list,
                                              std::uint32_t first, std::uint32_t lanes, const std::uint32_t* bases,
                                              std::uint32_t* counts)
{
    constexpr std::size_t kTallyLimit = 255;
    constexpr std::size_t kRowsAhead = 24;
    for (std::size_t start = 0; start < list.size(); start += kTallyLimit) {
        const std::size_t end = std::min(list.size(), start + kTallyLimit);
        std::array<Lanes, Values> tallies{};
        for (std::size_t i = start; i < end; ++i) {
            // The rows lie far apart: the one some rows ahead is asked for early.
            if (i + kRowsAhead < list.size()) {
                __builtin_prefetch(rows + std::size_t(list[i + kRowsAhead]) * stride + first);
            }
            Lanes row;
            std::memcpy(&row, rows + std::size_t(list[i]) * stride + first, sizeof row);
            for (std::uint32_t v = 0; v < Values; ++v) {
                // Equal lanes compare as all ones, minus one: subtracting raises them by one.
                tallies[v] -= reinterpret_cast<Lanes>(row == std::uint8_t(v));
            }
        }
        for (std::uint32_t lane = 0; lane < lanes; ++lane) {
            const std::uint32_t a = first + lane;
            const std::uint32_t values = std::min(Values, bases[a + 1] - bases[a]);
            for (std::uint32_t v = 0; v < values; ++v) {
                counts[bases[a] + v] += tallies[v][lane];
            }
        }
    }
}

using ByteLaneCounter = void (*)(const std::uint8_t*, std::size_t, std::span<const std::uint32_t>, std::uint32_t, std::uint32_t,
                                 const std::uint32_t*, std::uint32_t*);

// countLanes over sixteen lanes, and over thirty-two in AVX2's instructions.
struct NarrowLanes {
    template <std::uint32_t Values>
    static void count(const std::uint8_t* rows, std::size_t stride, std::span<const std::uint32_t> list, std::uint32_t first,
                      std::uint32_t lanes, const std::uint32_t* bases, std::uint32_t* counts)
    {
        countLanes<Values, ByteLanes>(rows, stride, list, first, lanes, bases, counts);
    }
};
struct WideLanesAvx2 {
    template <std::uint32_t Values>
    __attribute__((target("avx2"))) static void count(const std::uint8_t* rows, std::size_t stride, std::span<const std::uint32_t> list,
                                                      std::uint32_t first, std::uint32_t lanes, const std::uint32_t* bases,
                                                      std::uint32_t* counts)
    {
        countLanes<Values, WideByteLanes>(rows, stride, list, first, lanes, bases, counts);
    }
};

// One kind's counters for tables whose attributes have at most 1, 2, ... kLaneValues values, by
// that number less one.
template <typename Kind, std::uint32_t... Less>
constexpr std::array<ByteLaneCounter, sizeof...(Less)> byteLaneCounters(std::integer_sequence<std::uint32_t, Less...>)
{
    return {&Kind::template count<Less + 1>...};
}
template <typename Kind>
constexpr auto kByteLaneCounters = byteLaneCounters<Kind>(std::make_integer_sequence<std::uint32_t, kLaneValues>());

// A counter for tables whose attributes have at most so many values, and the attributes it counts at once.
struct LaneCounter {
    ByteLaneCounter count = nullptr;
    std::uint32_t lanes = 0;
};

// The counter for a table of attributes of values at most, of rows of the given length: wide
// where the rows are longer than sixteen bytes and the processor has AVX2.
LaneCounter laneCounterFor(std::uint32_t values, std::uint32_t rowLength)
{
    if (values > kLaneValues) {
        return {};
    }
    if (rowLength > sizeof(ByteLanes) && __builtin_cpu_supports("avx2")) {
        return {kByteLaneCounters<WideLanesAvx2>[values - 1], std::uint32_t(sizeof(WideByteLanes))};
    }
    return {kByteLaneCounters<NarrowLanes>[values - 1], std::uint32_t(sizeof(ByteLanes))};
}

// The prefix nodes' children: the node made by extending a node by a pair, under the key
// (node << 32) | code, in one array probed from the key's hash on. Rules find their way down the
// tree through it once a condition, so it spares the allocation of a node per entry.
class ChildNodes {
public:
    // The node kept under key and false, or fresh kept under it and true.
    std::pair<std::uint32_t, bool> findOrAdd(std::uint64_t key, std::uint32_t fresh)
    {
        if (2 * (used + 1) > slots.size()) {
            grow();
        }
        Slot& slot = slotOf(key);
        if (slot.key == key) {
            return {slot.node, false};
        }
        slot = {key, fresh};
        ++used;
        return {fresh, true};
    }
    void clear()
    {
        std::fill(slots.begin(), slots.end(), Slot{});
        used = 0;
    }

private:
    static constexpr std::uint64_t kFree = ~std::uint64_t{0};
    struct Slot {
        std::uint64_t key = kFree;
        std::uint32_t node = 0;
    };

    // The slot holding key, or the free one where it would go.
    Slot& slotOf(std::uint64_t key)
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = std::size_t((key * 0x9E3779B97F4A7C15u) >> 32) & mask;; i = (i + 1) & mask) {
            if (slots[i].key == key || slots[i].key == kFree) {
                return slots[i];
            }
        }
    }
    // Twice the slots (at least 1024), the entries placed again: at most half of the slots are used.
    void grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(1024, 2 * slots.size()));
        old.swap(slots);
        for (const Slot& slot : old) {
            if (slot.key != kFree) {
                slotOf(slot.key) = slot;
            }
        }
    }

    std::vector<Slot> slots; // a power of two of them
    std::size_t used = 0;
};

// The working state of one thread of an induction over a table whose decision classes are built,
// reused from concept to concept. It makes the same choices as the straightforward induction in
// fewer steps:
// - the concept's uncovered objects are tallied per pair once and the tally is lowered as rules
//   cover them, so a rule's first pair is read off the tally;
// - the rule prefixes tried in the concept (their conditions so far) are kept as nodes of a tree,
//   each with its goal set, the rows of other concepts that still match it (for nodes of one or
//   two conditions, read off their pairs' bits) and, for larger goal sets, the goal objects' pair
//   counts. The next rule of the concept mostly follows a path already taken: a node's counts
//   are brought up to date from the objects covered since its last visit instead of counting its
//   goal set again, and its rows of other concepts never change.
// So the work of a rule is about the objects it covers and the new prefixes it tries, not the
// size of the concept or of the table.
// The rows are read as Code values within their attribute, the pair's code being the attribute's
// first code plus the value (bytes where every attribute has at most 256 values, the codes
// themselves otherwise, their attributes' first codes then taken as 0).
template <typename Code>
class Lem2FastRun {
public:
    // earlierCovered flags the grouped rows that a full-length rule of an earlier concept covers.
    Lem2FastRun(const SystemDecyzyjny& table, Progress& runProgress, const PairCodes& pairCodes,
                const std::vector<std::uint8_t>& earlierCovered)
        : source(table), progress(runProgress), codes(pairCodes), counts(codes.codeCount(), 0), uncoveredTally(codes.codeCount(), 0),
          firstCarrier(codes.codeCount(), 0), conceptCodes(table.attributeCount), coveredFlags(earlierCovered),
          uncoveredRows(table.objectCount, 0), usedAttributes(table.attributeCount, 0)
    {
        if constexpr (std::is_same_v<Code, std::uint8_t>) {
            for (std::uint32_t a = 0; a <= table.attributeCount; ++a) {
                bases.push_back(codes.firstCode(a));
            }
        } else {
            bases.assign(table.attributeCount + 1, 0);
        }
        if constexpr (std::is_same_v<Code, std::uint8_t>) {
            laneCounter = laneCounterFor(codes.mostValues(), table.attributeCount);
        }
    }

    // The rules of the concept of size objects from grouped row start on, in induction order.
    std::vector<Lem2Rule> induceConcept(std::uint32_t start, std::uint32_t size)
    {
        conceptStart = start;
        conceptSize = size;
        rules.clear();
        induceConceptRules();
        return std::move(rules);
    }

private:
    // A number stored without zeroing, so that a pool grown to be written at once is not written twice.
    template <typename Number>
    struct Unset {
        Unset() {} // leaves the number unset on purpose
        Unset(Number number) : value(number) {}
        Number value;
    };
    // Words of 64 grouped rows as bits, each with its place (the rows from 64 * index on); only
    // words with a bit set are kept, ascending. The places and the bits lie in arrays of their own,
    // twelve bytes a word: narrowing the opponents is bound by the speed of memory.
    struct RowWords {
        std::vector<Unset<std::uint32_t>> index;
        std::vector<Unset<std::uint64_t>> bits;

        std::size_t size() const { return index.size(); }
        void push_back(std::uint32_t place, std::uint64_t rowBits)
        {
            index.push_back(place);
            bits.push_back(rowBits);
        }
        void resize(std::size_t size)
        {
            index.resize(size);
            bits.resize(size);
        }
        // Moves count words from `from` on to `front` on (see moveToFront).
        std::size_t moveToFront(std::size_t from, std::size_t count, std::size_t& front)
        {
            std::copy_n(index.begin() + std::ptrdiff_t(from), count, index.begin() + std::ptrdiff_t(front));
            return Lem2FastRun::moveToFront(bits, from, count, front);
        }
    };
    // A rule prefix tried in the current concept. Its goal set is the concept's objects carrying
    // every pair of the path that were uncovered when the node was made, ascending; objects covered
    // since stay in the list and are skipped (they are "dead"; the rest "live").
    // Its lists lie in pools shared by the concept's nodes, which are emptied (their memory kept)
    // when the nodes are forgotten: making a node allocates nothing once the pools have grown.
    struct Node {
        std::size_t pathStart = 0;            // the codes of the conditions, in order, in pathPool
        std::size_t goalStart = 0;            // the goal set in goalPool: concept-local indices, ascending
        std::size_t goalEnd = 0;
        std::size_t opponentStart = 0;        // grouped rows outside the concept carrying the path, in opponentPool
        std::size_t opponentEnd = 0;          // (none listed where implied)
        std::size_t countStart = kNoCounts;   // per code: live goal objects carrying it, in countPool
        std::size_t firstLive = 0;            // no live goal object before this place in goalPool
        std::size_t logSeen = 0;              // the covered objects reflected in counts: coveredLog up to here
        std::uint32_t depth = 0;              // the number of conditions
        std::uint32_t liveCount = 0;          // live goal objects, kept with counts
        bool implied = false;                 // opponents not listed but read off the path's bits (see impliedBits)
        bool opposed = false;                 // an opponent is left: the rule must go on
    };
    static constexpr std::size_t kNoCounts = ~std::size_t{0};
    static constexpr std::uint32_t kRoot = 0;
    // The deepest nodes whose opponents may be implied by their pairs' bits.
    static constexpr std::uint32_t kImpliedDepth = 2;

    std::span<const std::uint32_t> pathOf(const Node& node) const { return {pathPool.data() + node.pathStart, node.depth}; }
    std::uint32_t* countsOf(const Node& node) { return countPool.data() + node.countStart; }

    std::uint32_t conceptEnd() const { return conceptStart + conceptSize; }
    const float* groupedRow(std::uint32_t row) const
    {
        return source.groupedRows.data() + std::size_t(row) * source.rowLength;
    }
    const Code* columnValues(std::uint32_t attribute) const
    {
        if constexpr (std::is_same_v<Code, std::uint8_t>) {
            return codes.byteColumn(attribute);
        } else {
            return codes.column(attribute);
        }
    }
    const Code* rowValues(std::uint32_t groupedRow) const
    {
        if constexpr (std::is_same_v<Code, std::uint8_t>) {
            return codes.byteRow(groupedRow);
        } else {
            return codes.row(groupedRow);
        }
    }
    const Code* conceptColumn(std::uint32_t attribute) const { return columnValues(attribute) + conceptStart; }
    // A pair's code as the rows hold it.
    Code stored(std::uint32_t code) const { return Code(code - bases[codes.attributeOf(code)]); }
    bool live(std::uint32_t g) const { return uncoveredRows[conceptStart + g] != 0; }

    // Rules of one concept until each of its objects is covered, by its own rules or by the
    // full-length rules of earlier concepts (their flags).
    void induceConceptRules()
    {
        tallyUncovered();
        forgetPrefixes();
        coveredLog.clear();
        while (uncoveredCount > 0 && !progress.cancelled()) {
            rules.push_back(induceRule());
        }
        forgetPrefixes();
    }

    // Drops every prefix node but the empty one; they are made again as rules need them.
    void forgetPrefixes()
    {
        Node root;
        root.implied = true;
        root.opposed = true;
        nodes.assign(1, root);
        children.clear();
        pathPool.clear();
        goalPool.clear();
        opponentPool.resize(0);
        countPool.clear();
        keptEntries = 0;
    }

    // Drops the prefix nodes of more than one condition, once the nodes hold too much. Those of one
    // condition, which nearly every rule passes and which cost the most to make again, stay, their
    // lists moved to the front of the pools without their dead objects, unless they alone hold
    // half of what the nodes may.
    void forgetDeepPrefixes()
    {
        std::size_t shallow = 0;
        for (Node& node : nodes) {
            if (node.depth == 1) {
                dropDead(node);
                shallow += (node.goalEnd - node.goalStart) + 2 * (node.opponentEnd - node.opponentStart) + 1 +
                           (node.countStart == kNoCounts ? 0 : codes.codeCount());
            }
        }
        if (shallow > keptLimit() / 2) {
            forgetPrefixes();
            return;
        }
        // Lists lie in the pools in the order their nodes were made, so each moves towards the front.
        std::size_t pathFront = 0;
        std::size_t goalFront = 0;
        std::size_t opponentFront = 0;
        std::size_t countFront = 0;
        std::uint32_t kept = 1;
        children.clear();
        for (std::size_t i = 1; i < nodes.size(); ++i) {
            Node node = nodes[i];
            if (node.depth != 1) {
                continue;
            }
            const std::size_t goalSize = node.goalEnd - node.goalStart;
            const std::size_t opponentCount = node.opponentEnd - node.opponentStart;
            node.pathStart = moveToFront(pathPool, node.pathStart, 1, pathFront);
            node.goalStart = moveToFront(goalPool, node.goalStart, goalSize, goalFront);
            node.goalEnd = node.goalStart + goalSize;
            node.firstLive = node.goalStart;
            node.opponentStart = opponentPool.moveToFront(node.opponentStart, opponentCount, opponentFront);
            node.opponentEnd = node.opponentStart + opponentCount;
            if (node.countStart != kNoCounts) {
                node.countStart = moveToFront(countPool, node.countStart, codes.codeCount(), countFront);
            }
            children.findOrAdd(pathPool[node.pathStart], kept); // the key of the root's child (see child)
            nodes[kept++] = node;
        }
        nodes.resize(kept);
        pathPool.resize(pathFront);
        goalPool.resize(goalFront);
        opponentPool.resize(opponentFront);
        countPool.resize(countFront);
        keptEntries = poolEntries();
    }

    // Moves count entries of pool from `from` on to `front` on and returns where they now start;
    // front then points past them.
    template <typename Entry>
    static std::size_t moveToFront(std::vector<Entry>& pool, std::size_t from, std::size_t count, std::size_t& front)
    {
        const std::size_t start = front;
        std::copy_n(pool.begin() + std::ptrdiff_t(from), count, pool.begin() + std::ptrdiff_t(front));
        front += count;
        return start;
    }

    // What the nodes hold, as keptLimit counts it.
    std::size_t poolEntries() const { return goalPool.size() + 2 * opponentPool.size() + countPool.size() + pathPool.size(); }

    // What the nodes may hold, in list entries and counts: as many as the codes of the table. More
    // would spare few rebuilt nodes and lose more to the cache than they save.
    std::size_t keptLimit() const { return std::size_t(source.objectCount) * source.attributeCount; }

    // Marks the concept's objects that no earlier full-length rule covered and tallies them per
    // pair, noting for each pair its first carrier in the block.
    void tallyUncovered()
    {
        uncoveredCount = 0;
        for (auto& list : conceptCodes) {
            list.clear();
        }
        for (std::uint32_t row = conceptStart; row < conceptEnd(); ++row) {
            if (coveredFlags[row] != 0) {
                continue;
            }
            uncoveredRows[row] = 1;
            ++uncoveredCount;
            for (std::uint32_t a = 0; a < source.attributeCount; ++a) {
                const std::uint32_t code = codes.column(a)[row];
                if (uncoveredTally[code]++ == 0) {
                    conceptCodes[a].push_back(code);
                    const auto block = codes.block(code);
                    firstCarrier[code] = std::uint32_t(std::lower_bound(block.begin(), block.end(), row) - block.begin());
                }
            }
        }
    }

    // One rule for the objects not yet covered: conditions are added until no row of another
    // concept matches or every attribute has one; closing the rule covers its final goal set.
    Lem2Rule induceRule()
    {
        Lem2Rule rule;
        rule.conditions.reserve(source.attributeCount);
        std::fill(usedAttributes.begin(), usedAttributes.end(), std::uint8_t{0});
        selectFirstPair();
        if (keptEntries > keptLimit()) {
            forgetDeepPrefixes();
        }
        std::uint32_t node = child(kRoot);
        addCondition(rule);
        while (rule.conditions.size() < source.attributeCount && nodes[node].opposed) {
            selectPair(nodes[node]);
            node = child(node);
            addCondition(rule);
        }
        if (rule.conditions.size() == source.attributeCount) {
            completeFullLength(rule, nodes[node]);
        }
        coverGoal(rule, nodes[node]);
        return rule;
    }

    // The pair carried by the most uncovered objects, read off the tally, with the same ties as
    // selectPair: the smaller attribute, then the pair whose first carrier comes first. Pairs
    // no longer carried leave the concept's lists on the way.
    void selectFirstPair()
    {
        bestCount = 0;
        for (std::uint32_t a = 0; a < source.attributeCount && bestCount < uncoveredCount; ++a) {
            auto& list = conceptCodes[a];
            for (std::size_t k = 0; k < list.size();) {
                const std::uint32_t code = list[k];
                const std::uint32_t count = uncoveredTally[code];
                if (count == 0) {
                    list[k] = list.back();
                    list.pop_back();
                    continue;
                }
                const std::uint32_t first = firstUncoveredCarrier(code);
                if (count > bestCount || (count == bestCount && a == bestAttribute && first < bestRow)) {
                    bestCount = count;
                    bestAttribute = a;
                    bestRow = first;
                    bestCode = code;
                }
                ++k;
            }
        }
        bestValue = groupedRow(conceptStart + bestRow)[bestAttribute];
    }

    // The concept-local index of the first uncovered object carrying a pair whose tally is not
    // zero. Objects only ever become covered, so the search resumes where it stopped last time.
    std::uint32_t firstUncoveredCarrier(std::uint32_t code)
    {
        const auto block = codes.block(code);
        std::uint32_t position = firstCarrier[code];
        while (uncoveredRows[block[position]] == 0) {
            ++position;
        }
        firstCarrier[code] = position;
        return block[position] - conceptStart;
    }

    // The node of the parent's path extended by the selected pair, made on the first visit: its
    // goal set is the parent's narrowed by the pair (for the first pair: its block within the
    // concept), its opponents are found by findOpponents.
    std::uint32_t child(std::uint32_t parent)
    {
        const auto [found, made] = children.findOrAdd((std::uint64_t(parent) << 32) | bestCode, std::uint32_t(nodes.size()));
        if (!made) {
            return found;
        }
        // Read by place, not by reference: the pools may move as they grow.
        const Node from = nodes[parent];
        Node node;
        node.logSeen = coveredLog.size();
        node.pathStart = pathPool.size();
        for (std::size_t i = 0; i < from.depth; ++i) {
            const std::uint32_t code = pathPool[from.pathStart + i];
            pathPool.push_back(code);
        }
        pathPool.push_back(bestCode);
        node.depth = from.depth + 1;
        node.goalStart = goalPool.size();
        if (parent == kRoot) {
            const auto block = codes.block(bestCode);
            const auto conceptLast = std::lower_bound(block.begin(), block.end(), conceptEnd());
            for (auto row = block.begin() + firstCarrier[bestCode]; row != conceptLast; ++row) {
                if (uncoveredRows[*row] != 0) {
                    goalPool.push_back(*row - conceptStart);
                }
            }
        } else {
            narrowGoal(from);
        }
        node.goalEnd = goalPool.size();
        node.firstLive = node.goalStart;
        findOpponents(from, node);
        // Counts pay off where counting the goal set again would cost more than keeping them.
        const std::size_t goalSize = node.goalEnd - node.goalStart;
        if (goalSize >= kCountedGoal && goalSize * source.attributeCount >= codes.codeCount()) {
            node.countStart = countPool.size();
            countPool.resize(countPool.size() + codes.codeCount(), 0);
            countGoal(node);
        }
        keptEntries = poolEntries();
        nodes.push_back(node);
        return found;
    }

    // Adds to the goal pool the live goal objects of a parent that carry the selected pair.
    void narrowGoal(const Node& from)
    {
        const std::size_t start = goalPool.size();
        const Code* values = conceptColumn(bestAttribute);
        const Code wanted = stored(bestCode);
        const std::uint8_t* uncovered = uncoveredRows.data() + conceptStart;
        // Written at once and kept by moving on: which objects stay is as good as random, and
        // a branch on it would be mispredicted often.
        goalPool.resize(start + (from.goalEnd - from.firstLive));
        std::uint32_t* out = goalPool.data() + start;
        for (std::size_t i = from.firstLive; i < from.goalEnd; ++i) {
            const std::uint32_t g = goalPool[i];
            *out = g;
            out += (values[g] == wanted) & (uncovered[g] != 0);
        }
        goalPool.resize(std::size_t(out - goalPool.data()));
    }

    // The opponents of a new node, whose path ends in the selected pair, from its parent's. A
    // shallow node's opponents are many and mostly shared with its siblings', so they are not
    // listed while every pair of its path has bits: they are the rows outside the concept set in
    // all those bits, read off them again when a deeper node needs them. A list is made from the
    // bits, from the selected pair's block where the pair is too rare for bits, or by narrowing the
    // parent's list.
    void findOpponents(const Node& from, Node& node)
    {
        node.opponentStart = opponentPool.size();
        if (!from.implied) {
            narrowOpponents(from.opponentStart, from.opponentEnd);
        } else if (codes.bits(bestCode) == nullptr) {
            listBlockOpponents(pathOf(from));
        } else if (node.depth <= kImpliedDepth && node.depth < source.attributeCount) {
            node.implied = true;
            node.opposed = anyImpliedOpponent(impliedBits(node));
        } else {
            listImpliedOpponents(impliedBits(node));
        }
        node.opponentEnd = opponentPool.size();
        if (!node.implied) {
            node.opposed = node.opponentEnd != node.opponentStart;
        }
    }

    // The bits of the pairs of an implied node's path (or of a node whose path would be implied
    // but for its depth).
    struct PathBits {
        std::array<const std::uint64_t*, kImpliedDepth + 1> words{};
        std::uint32_t count = 0;
        std::uint64_t operator[](std::size_t index) const
        {
            std::uint64_t all = words[0][index];
            for (std::uint32_t k = 1; k < count; ++k) {
                all &= words[k][index];
            }
            return all;
        }
    };
    PathBits impliedBits(const Node& node) const
    {
        PathBits bits;
        for (std::uint32_t code : pathOf(node)) {
            bits.words[bits.count++] = codes.bits(code);
        }
        return bits;
    }

    // Calls visit(index, outside) for the words of grouped rows that hold rows outside the
    // concept, in order, outside masking those rows' bits, until visit returns false.
    template <typename Visit>
    void visitOutsideWords(Visit visit) const
    {
        const std::uint32_t words = (source.objectCount + 63) / 64;
        const std::uint32_t firstInside = conceptStart / 64;
        const std::uint32_t pastInside = (conceptEnd() + 63) / 64;
        constexpr std::uint64_t kAll = ~std::uint64_t{0};
        for (std::uint32_t i = 0; i < firstInside; ++i) {
            if (!visit(i, kAll)) {
                return;
            }
        }
        if (!visit(firstInside, ~conceptBits(firstInside))) {
            return;
        }
        if (pastInside - 1 != firstInside && !visit(pastInside - 1, ~conceptBits(pastInside - 1))) {
            return;
        }
        for (std::uint32_t i = pastInside; i < words; ++i) {
            if (!visit(i, kAll)) {
                return;
            }
        }
    }

    bool anyImpliedOpponent(const PathBits& bits) const
    {
        bool any = false;
        visitOutsideWords([&](std::uint32_t i, std::uint64_t outside) {
            any = (bits[i] & outside) != 0;
            return !any;
        });
        return any;
    }

    // Adds the opponents set in all of bits to the pool.
    void listImpliedOpponents(const PathBits& bits)
    {
        RowWords& to = opponentPool;
        const std::size_t start = to.size();
        to.resize(start + (source.objectCount + 63) / 64);
        Unset<std::uint32_t>* places = to.index.data();
        Unset<std::uint64_t>* words = to.bits.data();
        std::size_t out = start;
        visitOutsideWords([&](std::uint32_t i, std::uint64_t outside) {
            const std::uint64_t kept = bits[i] & outside;
            places[out].value = i;
            words[out].value = kept;
            out += kept != 0; // as in narrowOpponents
            return true;
        });
        to.resize(out);
    }

    // Adds to the pool the rows of the selected pair's block outside the concept that carry every
    // pair of path.
    void listBlockOpponents(std::span<const std::uint32_t> path)
    {
        RowWords& opponents = opponentPool;
        const std::size_t start = opponents.size();
        for (std::uint32_t row : codes.block(bestCode)) {
            if ((row >= conceptStart && row < conceptEnd()) || !carriesPath(rowValues(row), path)) {
                continue;
            }
            if (opponents.size() == start || opponents.index.back().value != row / 64) {
                opponents.push_back(row / 64, 0);
            }
            opponents.bits.back().value |= std::uint64_t{1} << (row % 64);
        }
    }

    // The bits of the concept's rows among the 64 rows of one word.
    std::uint64_t conceptBits(std::uint32_t index) const
    {
        const std::uint64_t first = std::uint64_t(index) * 64;
        const std::uint64_t from = std::max<std::uint64_t>(conceptStart, first);
        const std::uint64_t to = std::min<std::uint64_t>(conceptEnd(), first + 64);
        if (from >= to) {
            return 0;
        }
        const std::uint64_t below = to - first == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (to - first)) - 1;
        return below & ~((std::uint64_t{1} << (from - first)) - 1);
    }

    // Adds to the pool, as the new node's, those of a parent's opponents (from to end in the pool)
    // that also carry the selected pair: word by word against the pair's bits, or row by row where
    // the pair's block is too small to have bits.
    void narrowOpponents(std::size_t from, std::size_t end)
    {
        RowWords& to = opponentPool;
        if (const std::uint64_t* bits = codes.bits(bestCode)) {
            const std::size_t start = to.size();
            to.resize(start + (end - from));
            Unset<std::uint32_t>* places = to.index.data();
            Unset<std::uint64_t>* words = to.bits.data();
            std::size_t out = start;
            for (std::size_t i = from; i < end; ++i) {
                const std::uint32_t place = places[i].value;
                const std::uint64_t kept = words[i].value & bits[place];
                places[out].value = place;
                words[out].value = kept;
                out += kept != 0; // without a branch, as for the goal objects
            }
            to.resize(out);
            return;
        }
        const Code* values = columnValues(bestAttribute);
        const Code wanted = stored(bestCode);
        for (std::size_t i = from; i < end; ++i) {
            const std::uint32_t place = to.index[i].value;
            std::uint64_t kept = 0;
            for (std::uint64_t rest = to.bits[i].value; rest != 0; rest &= rest - 1) {
                const int bit = std::countr_zero(rest);
                if (values[place * 64 + std::uint32_t(bit)] == wanted) {
                    kept |= std::uint64_t{1} << bit;
                }
            }
            if (kept != 0) {
                to.push_back(place, kept);
            }
        }
    }

    // The pair (unused attribute, value of a goal object) carried by the most goal objects; ties
    // go to the smaller attribute, then to the value of the goal object that comes first.
    void selectPair(Node& node)
    {
        bestCount = 0;
        if (node.countStart == kNoCounts) {
            dropDead(node);
            const std::span<const std::uint32_t> goal{goalPool.data() + node.goalStart, goalPool.data() + node.goalEnd};
            for (std::uint32_t a = 0; a < source.attributeCount && bestCount < goal.size(); ++a) {
                if (usedAttributes[a] == 0) {
                    countPairs(goal, a);
                }
            }
            bestCode = bases[bestAttribute] + conceptColumn(bestAttribute)[bestRow];
        } else {
            catchUp(node);
            const std::uint32_t* nodeCounts = countsOf(node);
            for (std::uint32_t a = 0; a < source.attributeCount && bestCount < node.liveCount; ++a) {
                if (usedAttributes[a] != 0) {
                    continue;
                }
                for (std::uint32_t code = codes.firstCode(a); code < codes.firstCode(a + 1); ++code) {
                    if (nodeCounts[code] > bestCount) {
                        bestCount = nodeCounts[code];
                        bestAttribute = a;
                    }
                }
            }
            // Among the best attribute's values of that count, the first carried in goal order.
            const Code* values = conceptColumn(bestAttribute);
            const std::uint32_t* valueCounts = nodeCounts + bases[bestAttribute];
            skipDead(node);
            const auto goalEnd = goalPool.begin() + std::ptrdiff_t(node.goalEnd);
            const auto first = std::find_if(goalPool.begin() + std::ptrdiff_t(node.firstLive), goalEnd,
                                            [&](std::uint32_t g) { return valueCounts[values[g]] == bestCount && live(g); });
            bestRow = first != goalEnd ? *first : goalPool[node.firstLive];
            bestCode = bases[bestAttribute] + values[bestRow];
        }
        bestValue = groupedRow(conceptStart + bestRow)[bestAttribute];
    }

    // Counts the goal objects of each value of one attribute, then visits the goal objects in
    // order: the first to carry a value sees its full count (and clears it for the next use), so
    // a later attribute or value wins only with a strictly larger count.
    void countPairs(std::span<const std::uint32_t> goal, std::uint32_t attribute)
    {
        const Code* values = conceptColumn(attribute);
        std::uint32_t* valueCounts = counts.data() + bases[attribute];
        for (std::uint32_t g : goal) {
            ++valueCounts[values[g]];
        }
        for (std::uint32_t g : goal) {
            std::uint32_t& count = valueCounts[values[g]];
            if (count > bestCount) {
                bestCount = count;
                bestAttribute = attribute;
                bestRow = g;
            }
            count = 0;
        }
    }

    // Brings a node's counts up to date: from the objects covered since its last visit that belong
    // to it, or, when those are more than its goal set, by counting its live goal objects again.
    void catchUp(Node& node)
    {
        const std::size_t fresh = coveredLog.size() - node.logSeen;
        if (fresh == 0) {
            return;
        }
        std::uint32_t* nodeCounts = countsOf(node);
        if (fresh * node.depth <= (node.goalEnd - node.firstLive) * source.attributeCount) {
            const auto path = pathOf(node);
            const std::uint32_t attributes = source.attributeCount;
            for (std::size_t i = node.logSeen; i < coveredLog.size(); ++i) {
                if (i + kAhead < coveredLog.size()) {
                    prefetch(rowValues(conceptStart + coveredLog[i + kAhead]));
                }
                const Code* pairs = rowValues(conceptStart + coveredLog[i]);
                if (carriesPath(pairs, path)) {
                    for (std::uint32_t a = 0; a < attributes; ++a) {
                        --nodeCounts[bases[a] + pairs[a]];
                    }
                    --node.liveCount;
                }
            }
        } else {
            dropDead(node);
            std::fill(nodeCounts, nodeCounts + codes.codeCount(), 0u);
            countGoal(node);
        }
        node.logSeen = coveredLog.size();
    }

    // Counts the pairs of a node's goal objects, all live.
    void countGoal(Node& node)
    {
        node.liveCount = std::uint32_t(node.goalEnd - node.goalStart);
        if (laneCounter.count != nullptr) {
            const std::span<const std::uint32_t> goal{goalPool.data() + node.goalStart, node.liveCount};
            for (std::uint32_t first = 0; first < source.attributeCount; first += laneCounter.lanes) {
                laneCounter.count(codes.byteRow(conceptStart), source.attributeCount, goal, first,
                                  std::min(laneCounter.lanes, source.attributeCount - first), bases.data(), countsOf(node));
            }
            return;
        }
        std::uint32_t* goalCounts = countsOf(node);
        const std::uint32_t* base = bases.data();
        const std::uint32_t* goal = goalPool.data() + node.goalStart;
        const std::size_t size = node.goalEnd - node.goalStart;
        const std::uint32_t attributes = source.attributeCount; // held, not read again after each count
        for (std::size_t i = 0; i < size; ++i) {
            // Goal objects lie far apart: the row some objects ahead is asked for early.
            if (i + kAhead < size) {
                prefetch(rowValues(conceptStart + goal[i + kAhead]));
            }
            const Code* pairs = rowValues(conceptStart + goal[i]);
            for (std::uint32_t a = 0; a < attributes; ++a) {
                ++goalCounts[base[a] + pairs[a]];
            }
        }
    }

    bool carriesPath(const Code* pairs, std::span<const std::uint32_t> path) const
    {
        return std::all_of(path.begin(), path.end(), [&](std::uint32_t code) {
            const std::uint32_t a = codes.attributeOf(code);
            return bases[a] + pairs[a] == code;
        });
    }

    // Moves firstLive past the dead objects at the front of the goal list.
    void skipDead(Node& node) const
    {
        while (node.firstLive < node.goalEnd && !live(goalPool[node.firstLive])) {
            ++node.firstLive;
        }
    }

    // Leaves only live objects in the goal list.
    void dropDead(Node& node)
    {
        const auto start = goalPool.begin() + std::ptrdiff_t(node.goalStart);
        const auto end = std::remove_if(start, goalPool.begin() + std::ptrdiff_t(node.goalEnd),
                                        [this](std::uint32_t g) { return !live(g); });
        node.goalEnd = std::size_t(end - goalPool.begin());
        node.firstLive = node.goalStart;
    }

    // The selected pair becomes the rule's next condition, its attribute used; the rule's decision
    // is that of the object that carried it first.
    void addCondition(Lem2Rule& rule)
    {
        rule.conditions.push_back({bestAttribute, bestValue});
        rule.decisions.assign(1, groupedRow(conceptStart + bestRow)[source.attributeCount]);
        usedAttributes[bestAttribute] = 1;
    }

    // A rule on every attribute cannot be made consistent: it also takes the rows of later
    // classes with the same values (the later rows still matching, in row order), their
    // decisions and their support. Those rows are flagged as covered from the start.
    void completeFullLength(Lem2Rule& rule, const Node& node)
    {
        for (std::size_t i = node.opponentStart; i < node.opponentEnd; ++i) {
            for (std::uint64_t rest = opponentPool.bits[i].value; rest != 0; rest &= rest - 1) {
                const std::uint32_t row = opponentPool.index[i].value * 64 + std::uint32_t(std::countr_zero(rest));
                if (row < conceptEnd()) {
                    continue;
                }
                ++rule.support;
                const float decision = groupedRow(row)[source.attributeCount];
                if (decision != rule.decisions.back()) {
                    rule.decisions.push_back(decision);
                }
            }
        }
    }

    // The rule's final goal set, the live objects of its node, is covered: its objects leave the
    // uncovered ones and the tally, and join the log the nodes catch up from.
    void coverGoal(Lem2Rule& rule, Node& node)
    {
        dropDead(node);
        const std::span<const std::uint32_t> goal{goalPool.data() + node.goalStart, goalPool.data() + node.goalEnd};
        for (std::uint32_t g : goal) {
            const std::uint32_t row = conceptStart + g;
            uncoveredRows[row] = 0;
            const Code* pairs = rowValues(row);
            for (std::uint32_t a = 0; a < source.attributeCount; ++a) {
                --uncoveredTally[bases[a] + pairs[a]];
            }
            coveredLog.push_back(g);
        }
        rule.support += static_cast<std::uint32_t>(goal.size());
        uncoveredCount -= static_cast<std::uint32_t>(goal.size());
    }

    // How many scattered rows ahead a pass asks for; the memory answers meanwhile.
    static constexpr std::size_t kAhead = 8;
    static void prefetch(const void* address) { __builtin_prefetch(address); }

    // Goal sets smaller than this are counted again on each visit rather than keeping counts.
    static constexpr std::size_t kCountedGoal = 32;

    const SystemDecyzyjny& source;
    Progress& progress;
    const PairCodes& codes;
    std::vector<std::uint32_t> bases; // per attribute and one past: what the rows' values are counted from
    LaneCounter laneCounter; // for byte rows of at most kLaneValues values an attribute
    std::vector<std::uint32_t> counts;         // per code; all zero between two countPairs
    std::vector<std::uint32_t> uncoveredTally; // per code: the concept's uncovered objects carrying it
    std::vector<std::uint32_t> firstCarrier;   // per code: no uncovered carrier before this place in its block
    std::vector<std::vector<std::uint32_t>> conceptCodes; // per attribute: codes the concept's objects carry
    std::vector<Lem2Rule> rules;

    std::uint32_t conceptStart = 0; // first row of the concept in the grouped rows
    std::uint32_t conceptSize = 0;
    std::uint32_t uncoveredCount = 0;
    std::vector<std::uint32_t> pathPool;     // the nodes' lists (see Node)
    std::vector<std::uint32_t> goalPool;
    RowWords opponentPool;
    std::vector<std::uint32_t> countPool;
    std::vector<Node> nodes;                                    // the concept's prefixes; 0 is the empty one
    std::size_t keptEntries = 0;                                // what the nodes hold, as keptLimit counts it
    ChildNodes children;
    std::vector<std::uint32_t> coveredLog;   // the concept's objects covered so far, in order (concept-local)
    const std::vector<std::uint8_t>& coveredFlags; // per grouped row: covered by an earlier full-length rule
    std::vector<std::uint8_t> uncoveredRows; // per grouped row: an object of the concept not yet covered
    std::vector<std::uint8_t> usedAttributes;

    std::uint32_t bestAttribute = 0;
    std::uint32_t bestRow = 0; // concept-local index of the first goal object carrying the pair
    std::uint32_t bestCount = 0;
    std::uint32_t bestCode = 0;
    float bestValue = 0;
};

} // namespace

// The grouped rows that some full-length rule of an earlier concept covers: those whose values
// a row of an earlier concept carries too. Every such earlier row ends up in a full-length rule of
// its concept (or is covered likewise itself), since any rule fitting it fits the later row, and
// that rule covers the later row. Knowing them at the start lets the concepts be induced apart.
// Rows are grouped by a hash of their codes, then compared code by code within a group.
std::vector<std::uint8_t> coveredByEarlierConcepts(const SystemDecyzyjny& table, const PairCodes& codes)
{
    const std::uint32_t rows = table.objectCount;
    std::vector<std::uint8_t> covered(rows, 0);
    if (table.classCount < 2) {
        return covered;
    }
    std::vector<std::uint64_t> hashes(rows, 0);
    for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
        const std::uint32_t* column = codes.column(a);
        for (std::uint32_t row = 0; row < rows; ++row) {
            hashes[row] = std::rotl((hashes[row] ^ column[row]) * 0x9E3779B97F4A7C15u, 29);
        }
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash(rows);
    for (std::uint32_t row = 0; row < rows; ++row) {
        byHash[row] = {hashes[row], row};
    }
    std::sort(byHash.begin(), byHash.end());
    const auto sameValues = [&](std::uint32_t x, std::uint32_t y) {
        for (std::uint32_t a = 0; a < table.attributeCount; ++a) {
            if (codes.column(a)[x] != codes.column(a)[y]) {
                return false;
            }
        }
        return true;
    };
    // The first grouped row of each row's concept.
    const auto conceptStartOf = [&table](std::uint32_t row) {
        const std::uint32_t offset = row * table.rowLength;
        const auto next = std::upper_bound(table.classStarts.begin(), table.classStarts.end(), offset);
        return *(next - 1) / table.rowLength;
    };
    std::vector<std::uint32_t> firsts; // per distinct row of one hash: its first (lowest) row
    for (std::size_t start = 0, end = 0; start < rows; start = end) {
        for (end = start + 1; end < rows && byHash[end].first == byHash[start].first; ++end) {
        }
        if (end - start == 1) {
            continue;
        }
        firsts.clear();
        for (std::size_t i = start; i < end; ++i) {
            const std::uint32_t row = byHash[i].second; // ascending within the group
            const auto first = std::find_if(firsts.begin(), firsts.end(), [&](std::uint32_t f) { return sameValues(f, row); });
            if (first == firsts.end()) {
                firsts.push_back(row);
            } else if (*first < conceptStartOf(row)) {
                covered[row] = 1;
            }
        }
    }
    return covered;
}

// Each concept is induced on its own, by one run per thread, the concepts handed out in order.
template <typename Code>
std::vector<Lem2Rule> induceConcepts(const SystemDecyzyjny& table, Progress& progress, const PairCodes& codes, unsigned threads)
{
    const std::vector<std::uint8_t> earlierCovered = coveredByEarlierConcepts(table, codes);
    std::vector<std::vector<Lem2Rule>> conceptRules(table.classCount);
    std::vector<std::unique_ptr<Lem2FastRun<Code>>> runs(std::max(1u, workerThreads(threads)));
    std::atomic<std::uint32_t> started{0};
    parallelFor(table.classCount, threads, [&](std::uint32_t c, unsigned worker) {
        if (progress.cancelled()) {
            return false;
        }
        // Told by the calling thread only, as each of its concepts begins: the concepts begun before.
        const std::uint32_t before = started++;
        if (worker == 0) {
            progress.report(0, before, table.classCount);
        }
        if (!runs[worker]) {
            runs[worker] = std::make_unique<Lem2FastRun<Code>>(table, progress, codes, earlierCovered);
        }
        conceptRules[c] = runs[worker]->induceConcept(table.classStarts[c] / table.rowLength, table.classSize(c));
        return true;
    });
    std::vector<Lem2Rule> rules;
    for (auto& some : conceptRules) {
        std::move(some.begin(), some.end(), std::back_inserter(rules));
    }
    return rules;
}

std::vector<Lem2Rule> induceLem2Rules(const SystemDecyzyjny& table, Progress& progress, unsigned threads)
{
    const PairCodes codes(table);
    if (codes.hasByteCodes()) {
        return induceConcepts<std::uint8_t>(table, progress, codes, threads);
    }
    return induceConcepts<std::uint32_t>(table, progress, codes, threads);
}

} // namespace kolven
