#include "exhaustive_search.h"

#include "attribute_set.h"
#include "parallel_for.h"
#include "rule_index.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <new>
#include <numeric>
#include <utility>

namespace kolven {

namespace {

using namespace attribute_sets;

// Room for Count sets: on the stack when the width is fixed, so that single words stay in
// registers; on the heap otherwise.
template <std::size_t Width, std::size_t Count>
class SetBuffer {
public:
    explicit SetBuffer(std::size_t words)
    {
        if constexpr (Width == 0) {
            heap_.resize(words * Count);
        }
    }
    Word* data()
    {
        if constexpr (Width == 0) {
            return heap_.data();
        } else {
            return fixed_.data();
        }
    }

private:
    std::array<Word, Width * Count> fixed_{};
    std::vector<Word> heap_;
};

// A thread costs more to start than a few objects take, so small tables stay on one thread.
constexpr std::uint32_t kObjectsPerThread = 32;

unsigned threadCount(unsigned asked, std::uint32_t objects)
{
    return std::max(1u, std::min(workerThreads(asked), objects / kObjectsPerThread));
}

// How often an object's search looks whether it should stop, in search nodes: often enough to
// stop within a few milliseconds, seldom enough to cost nothing measurable.
constexpr std::uint32_t kNodesPerCheck = 256;

// The fast exhaustive search for sets of Width words (0: any width, chosen at run time). It
// stores the same entries, in the same order and with the same supports, as the straightforward
// search; only the way of finding them differs.
//
// A candidate set P is consistent for an object x when x differs on some attribute of P from
// every object of another decision, that is, when P meets each of x's minimal discerning sets
// (the minimal sets of attributes on which x differs from such an object). For an order k > 1,
// a consistent candidate survives the tests against x's own and the other objects' lower-order
// rules exactly when none of its proper subsets is consistent (every consistent smaller set left
// such a rule behind, and every such rule is a consistent smaller set of x). So the rules of x at
// order k are its minimal hitting sets of size k of its discerning sets, and at order 1 every
// consistent attribute, which is the same unless x has no discerning set at all.
//
// They are found directly, order by order: each search node is a set every attribute of which is
// the only one the set shares with some discerning set (otherwise no superset is minimal), with
// the candidates it may still grow by. A node that meets every discerning set is a minimal hitting
// set; one that does not grows by each candidate of the unmet discerning set with the fewest
// candidates, the later children losing the earlier ones' attribute so that no set is reached
// twice. The nodes of one order are the frontier the next order grows from, so no candidate set
// that cannot become a rule is ever tried. The rules of an order are then stored object by object,
// each object's in lexicographic order, where the repeats of earlier objects' rules are told apart.
template <std::size_t Width>
class FastExhaustiveSearch {
public:
    FastExhaustiveSearch(const SystemDecyzyjny& table, const ExhaustiveOptions& options, Progress& progress)
        : table_(table),
          attributes_(table.attributeCount),
          words_((std::size_t(attributes_) + kWordBits - 1) / kWordBits),
          allOrders_(options.allOrders),
          threads_(threadCount(options.threads, table.objectCount)),
          progress_(progress),
          objects_(table.objectCount),
          index_(table)
    {
    }

    std::optional<ExhaustiveRules> run();

private:
    // What the search keeps of one object: its minimal discerning sets, the nodes it grows from
    // at the next order (each the node's set and then its candidates) and the minimal hitting
    // sets of the order being searched.
    struct ObjectState {
        std::vector<Word> discerning;
        std::vector<Word> frontier;
        std::vector<Word> found;
    };

    std::size_t words() const
    {
        if constexpr (Width != 0) {
            return Width;
        } else {
            return words_;
        }
    }

    std::optional<std::uint64_t> searchOrder(std::uint32_t k);
    bool searchObject(std::uint32_t x, DistinctSets* differing);
    void findDiscerningSets(std::uint32_t x, DistinctSets& differing);
    void expand(const Word* node, ObjectState& object, std::vector<Word>& nextFrontier) const;
    void sortLexicographically(std::vector<Word>& sets) const;
    void storeObjectRules(std::uint32_t x, RuleSet& rules);

    const SystemDecyzyjny& table_;
    const std::uint32_t attributes_;
    const std::size_t words_;
    const bool allOrders_;
    const unsigned threads_;
    Progress& progress_;
    std::vector<ObjectState> objects_;
    RuleIndex index_;
    std::vector<RuleSet> rulesByOrder_;
    std::uint32_t order_ = 0;
    std::uint64_t entriesAtOrder_ = 0;
    bool frontierLeft_ = true;

    // Work lists of the object whose rules are being stored.
    std::vector<std::uint32_t> attributeList_;
    RuleList working_;
    std::vector<std::uint32_t> newRules_;
};

template <std::size_t Width>
std::optional<ExhaustiveRules> FastExhaustiveSearch<Width>::run()
{
    rulesByOrder_.resize(std::size_t(attributes_) + 1);
    const std::optional<std::uint32_t> kept =
        searchOrdersInTurn(attributes_, allOrders_, [this](std::uint32_t k) { return searchOrder(k); });
    if (!kept) {
        return std::nullopt;
    }
    if (allOrders_) {
        rulesByOrder_.resize(std::size_t(*kept) + 1);
    }
    return ExhaustiveRules{std::move(rulesByOrder_), *kept};
}

// Searches order k for every object; returns the number of entries it stored, or nothing when
// the search was stopped.
template <std::size_t Width>
std::optional<std::uint64_t> FastExhaustiveSearch<Width>::searchOrder(std::uint32_t k)
{
    order_ = k;
    entriesAtOrder_ = 0;
    RuleSet& rules = rulesByOrder_[order_];
    if (!frontierLeft_ && allOrders_) {
        return 0; // nothing can grow any more; the order keeps no place
    }
    rules.resize(table_.objectCount);
    index_.startOrder(rules, order_);
    frontierLeft_ = false;
    std::atomic<std::uint32_t> objectsDone{0};
    progress_.report(order_, 0, table_.objectCount);
    // The discerning sets are found at order 1, each worker gathering them in its own table.
    std::vector<DistinctSets> differing;
    if (order_ == 1) {
        differing.assign(threads_, DistinctSets(words(), table_.objectCount));
    }
    // The rules are stored in object order by whichever worker holds the lock, while the others
    // go on searching; whatever is left is stored once all of them are done.
    std::vector<std::atomic<bool>> searched(table_.objectCount);
    std::mutex storing;
    std::uint32_t nextToStore = 0;
    const auto storeSearched = [&] {
        for (; nextToStore < table_.objectCount && searched[nextToStore].load(std::memory_order_acquire); ++nextToStore) {
            storeObjectRules(nextToStore, rules);
        }
    };
    parallelFor(table_.objectCount, threads_, [&](std::uint32_t x, unsigned worker) {
        if (!searchObject(x, differing.empty() ? nullptr : &differing[worker])) {
            return false;
        }
        searched[x].store(true, std::memory_order_release);
        if (storing.try_lock()) {
            const std::lock_guard lock(storing, std::adopt_lock);
            storeSearched();
        }
        const std::uint32_t done = ++objectsDone;
        if (worker == 0) {
            progress_.report(order_, done, table_.objectCount);
        }
        return true;
    });
    if (progress_.cancelled()) {
        return std::nullopt;
    }
    storeSearched();
    return entriesAtOrder_;
}

// Grows object x's frontier by one order; at order 1 finds its discerning sets first. Returns
// false when the search is to stop.
template <std::size_t Width>
bool FastExhaustiveSearch<Width>::searchObject(std::uint32_t x, DistinctSets* differing)
{
    ObjectState& object = objects_[x];
    if (differing != nullptr) {
        findDiscerningSets(x, *differing);
        // The root: nothing chosen yet, every attribute a candidate.
        object.frontier.assign(2 * words(), 0);
        for (std::uint32_t p = 0; p < attributes_; ++p) {
            object.frontier[words() + p / kWordBits] |= attributeBit(p);
        }
    }
    object.found.clear();
    std::vector<Word> nextFrontier;
    const std::size_t nodeWords = 2 * words();
    std::uint32_t sinceCheck = 0;
    for (std::size_t node = 0; node < object.frontier.size(); node += nodeWords) {
        if (++sinceCheck == kNodesPerCheck) {
            sinceCheck = 0;
            if (progress_.cancelled()) {
                return false;
            }
        }
        expand(object.frontier.data() + node, object, nextFrontier);
    }
    object.frontier.swap(nextFrontier);
    sortLexicographically(object.found);
    return !progress_.cancelled();
}

// Puts sets in the lexicographic order of their attribute lists, the order of an object's rules.
template <std::size_t Width>
void FastExhaustiveSearch<Width>::sortLexicographically(std::vector<Word>& sets) const
{
    const std::size_t n = words();
    std::vector<std::uint32_t> order(sets.size() / n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return lexicographicallyBefore(&sets[std::size_t(a) * n], &sets[std::size_t(b) * n], n);
    });
    std::vector<Word> sorted;
    sorted.reserve(sets.size());
    for (std::uint32_t set : order) {
        sorted.insert(sorted.end(), sets.begin() + std::ptrdiff_t(set * n), sets.begin() + std::ptrdiff_t((set + 1) * n));
    }
    sets.swap(sorted);
}

// Keeps the minimal sets of attributes on which x differs from an object of another decision:
// a set that contains another adds nothing to what a candidate must meet, and the minimal ones
// take far less room than a discernibility matrix. An object that agrees with an object of
// another decision everywhere keeps the empty set, which nothing meets.
template <std::size_t Width>
void FastExhaustiveSearch<Width>::findDiscerningSets(std::uint32_t x, DistinctSets& differing)
{
    const std::size_t n = words();
    differing.startObject();
    SetBuffer<Width, 1> buffer(n);
    Word* set = buffer.data();
    const float* own = table_.row(x);
    for (std::uint32_t y = 0; y < table_.objectCount; ++y) {
        const float* other = table_.row(y);
        // x itself is skipped by index, not by its decision, which may be a NaN.
        if (y == x || own[attributes_] == other[attributes_]) {
            continue;
        }
        std::fill(set, set + n, Word(0));
        for (std::uint32_t p = 0; p < attributes_; ++p) {
            if (!(own[p] == other[p])) {
                set[p / kWordBits] |= attributeBit(p);
            }
        }
        differing.add(set);
    }
    // Sorted by size, every proper subset of a set is already kept when the set comes up.
    const std::vector<Word>& distinct = differing.distinct();
    const std::size_t count = distinct.size() / n;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> bySize(count);
    for (std::size_t d = 0; d < count; ++d) {
        bySize[d] = {commonCount(&distinct[d * n], &distinct[d * n], n), static_cast<std::uint32_t>(d)};
    }
    std::sort(bySize.begin(), bySize.end());
    std::vector<Word>& kept = objects_[x].discerning;
    kept.clear();
    for (const auto& sized : bySize) {
        const Word* candidate = &distinct[std::size_t(sized.second) * n];
        bool containsKept = false;
        for (std::size_t k = 0; k < kept.size() && !containsKept; k += n) {
            containsKept = isSubset(&kept[k], candidate, n);
        }
        if (!containsKept) {
            kept.insert(kept.end(), candidate, candidate + n);
        }
    }
}

// Grows one node by one attribute: the children that meet every discerning set are minimal
// hitting sets of this order, the others that may still become one are the next frontier.
template <std::size_t Width>
void FastExhaustiveSearch<Width>::expand(const Word* node, ObjectState& object, std::vector<Word>& nextFrontier) const
{
    const std::size_t n = words();
    const Word* chosen = node;
    const Word* candidates = node + n;
    const std::vector<Word>& discerning = object.discerning;
    // The unmet discerning set with the fewest candidates: every minimal hitting set grown from
    // this node takes one of them.
    const Word* branch = nullptr;
    std::uint32_t fewest = UINT32_MAX;
    for (std::size_t d = 0; d < discerning.size(); d += n) {
        const Word* set = &discerning[d];
        if (meets(set, chosen, n)) {
            continue;
        }
        const std::uint32_t open = commonCount(set, candidates, n);
        if (open < fewest) {
            fewest = open;
            branch = set;
        }
    }
    if (branch == nullptr) {
        // Only the root of an object that no object of another decision differs from can meet
        // every discerning set: then every single attribute is a rule of order 1.
        for (std::uint32_t p = 0; p < attributes_; ++p) {
            object.found.resize(object.found.size() + n, 0);
            object.found[object.found.size() - n + p / kWordBits] |= attributeBit(p);
        }
        return;
    }
    SetBuffer<Width, 3> buffer(n);
    Word* child = buffer.data();
    Word* childCandidates = child + n;
    Word* alone = child + 2 * n;
    for (std::size_t i = 0; i < n; ++i) {
        childCandidates[i] = candidates[i] & ~branch[i];
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (Word bits = branch[i] & candidates[i]; bits != 0; bits &= bits - 1) {
            const Word bit = bits & (~bits + 1);
            for (std::size_t j = 0; j < n; ++j) {
                child[j] = chosen[j];
                alone[j] = 0;
            }
            child[i] |= bit;
            // alone: the attributes of the child that are the only ones it shares with some
            // discerning set; a child with another attribute can never be minimal.
            bool hitsAll = true;
            bool viable = true;
            for (std::size_t d = 0; d < discerning.size() && viable; d += n) {
                const Word* set = &discerning[d];
                const std::uint32_t met = sharedNoneOneOrMore(set, child, n);
                if (met == 0) {
                    hitsAll = false;
                    viable = meets(set, childCandidates, n);
                } else if (met == 1) {
                    for (std::size_t j = 0; j < n; ++j) {
                        alone[j] |= set[j] & child[j];
                    }
                }
            }
            if (viable && std::equal(alone, alone + n, child)) {
                std::vector<Word>& target = hitsAll ? object.found : nextFrontier;
                target.insert(target.end(), child, child + n);
                if (!hitsAll) {
                    target.insert(target.end(), childCandidates, childCandidates + n);
                }
            }
            childCandidates[i] |= bit;
        }
    }
}

// Stores x's minimal hitting sets of this order in lexicographic order: a repeat of an earlier
// object's rule raises that rule's support (and at order 1 stays in x's list without support);
// any other is a new rule of x.
template <std::size_t Width>
void FastExhaustiveSearch<Width>::storeObjectRules(std::uint32_t x, RuleSet& rules)
{
    const std::size_t n = words();
    ObjectState& object = objects_[x];
    frontierLeft_ = frontierLeft_ || !object.frontier.empty();
    working_.clear();
    newRules_.clear();
    for (std::size_t set = 0; set < object.found.size(); set += n) {
        attributeList_.clear();
        forEachAttribute(&object.found[set], n, [this](std::uint32_t p) { attributeList_.push_back(p); });
        std::uint32_t support = 1;
        if (const StoredRule* earlier = index_.find(attributeList_.data(), x)) {
            ++rules[earlier->owner][earlier->offset + order_];
            if (order_ != 1) {
                continue;
            }
            support = 0;
        } else {
            // The index keeps 32-bit offsets; a longer list fails like exhausted memory.
            if (working_.size() > UINT32_MAX) {
                throw std::bad_alloc();
            }
            newRules_.push_back(static_cast<std::uint32_t>(working_.size()));
        }
        working_.insert(working_.end(), attributeList_.begin(), attributeList_.end());
        working_.push_back(support);
    }
    std::vector<Word>().swap(object.found);
    if (working_.empty()) {
        return;
    }
    entriesAtOrder_ += working_.size() / (std::size_t(order_) + 1);
    working_.push_back(kRuleListEnd);
    rules[x] = RuleList(working_.begin(), working_.end());
    for (std::uint32_t offset : newRules_) {
        index_.insert(x, offset);
    }
}

} // namespace

std::optional<ExhaustiveRules> searchExhaustiveRules(const SystemDecyzyjny& table, const ExhaustiveOptions& options,
                                                     Progress& progress)
{
    // One word holds the attribute sets of nearly every table; wider ones take as many as needed.
    if (table.attributeCount <= kWordBits) {
        FastExhaustiveSearch<1> search(table, options, progress);
        return search.run();
    }
    FastExhaustiveSearch<0> search(table, options, progress);
    return search.run();
}

std::uint32_t binomialCoefficient(std::uint32_t n, std::uint32_t k)
{
    if (k > n) {
        return 0;
    }
    const std::uint32_t smaller = std::min(k, n - k);
    // C(n - smaller + i, i) for i = 1 .. smaller: each step is exact and never smaller than the
    // one before, so the first step beyond 32 bits proves that the result is too. Below that, the
    // product of a 32-bit value and a 32-bit factor fits 64 bits.
    std::uint64_t result = 1;
    for (std::uint32_t i = 1; i <= smaller; ++i) {
        result = result * (std::uint64_t(n - smaller) + i) / i;
        if (result > UINT32_MAX) {
            throw std::bad_alloc();
        }
    }
    return static_cast<std::uint32_t>(result);
}

void CombinationCursor::reset(std::uint32_t k, std::uint32_t n)
{
    total_ = binomialCoefficient(n, k);
    size_ = k;
    universe_ = n;
    current_.resize(k);
    for (std::uint32_t t = 0; t < k; ++t) {
        current_[t] = t;
    }
}

bool CombinationCursor::advance()
{
    if (size_ > universe_) {
        return false;
    }
    // The highest position still below its maximum n - k + t moves up by one; every later
    // position follows it as closely as it can.
    for (std::uint32_t t = size_; t-- > 0;) {
        if (current_[t] < universe_ - size_ + t) {
            ++current_[t];
            for (std::uint32_t u = t + 1; u < size_; ++u) {
                current_[u] = current_[u - 1] + 1;
            }
            return true;
        }
    }
    return false;
}

} // namespace kolven
