#pragma once

#include "decision_system.h"
#include "progress.h"

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

namespace kolven {

// The number of threads a rough-set computation runs on when asked for 0: one per core.
unsigned roughSetThreads(unsigned asked);

// Calls work(item, worker) for every item below count, spread over up to threads threads (worker
// numbers the thread from 0, so that each may keep its own scratch). An exception thrown by a call
// (std::bad_alloc, say) is thrown again here once every thread has stopped.
void forEachOnThreads(std::uint32_t count, unsigned threads, const std::function<void(std::uint32_t, unsigned)>& work);

// A table's values as dense codes, column by column: equal values (exact 32-bit float equality,
// -0 equal to 0) get equal codes, numbered 0, 1, ... in ascending order of value. A column keeps
// its codes in 1, 2 or 4 bytes each, whichever its number of values needs, so that the codes of a
// large table take at most the table's own memory.
class CodedTable {
public:
    // Codes table's condition attributes and decision. Throws std::bad_alloc when memory runs out.
    explicit CodedTable(const SystemDecyzyjny& table, unsigned threads = 0);
    // The given objects of source, in that order (object i here is objects[i] there), with the
    // codes of the attributes marked in kept only; the others keep their value counts but no codes.
    // The columns are gathered on up to threads threads.
    CodedTable(const CodedTable& source, std::span<const std::uint32_t> objects, const std::vector<std::uint8_t>& kept,
               unsigned threads = 1);
    // Makes this table what the constructor above makes of it, one column a thread at a time, so
    // that the memory it needs beyond the result is a column a thread.
    void narrow(std::span<const std::uint32_t> objects, const std::vector<std::uint8_t>& kept, unsigned threads = 1);

    std::uint32_t objectCount() const { return objects_; }
    std::uint32_t attributeCount() const { return std::uint32_t(columns_.size()); }
    // The number of different values of a condition attribute.
    std::uint32_t valueCount(std::uint32_t attribute) const { return columns_[attribute].values; }
    std::uint32_t code(std::uint32_t object, std::uint32_t attribute) const;

    // The decision classes: each object's class (classes in ascending decision value) and the
    // decision value of a class.
    std::uint32_t decisionClassCount() const { return std::uint32_t(decisionValues_.size()); }
    std::uint32_t decisionClass(std::uint32_t object) const { return decisions_[object]; }
    const std::vector<std::uint32_t>& decisionClasses() const { return decisions_; }
    float decisionValue(std::uint32_t decisionClass) const { return decisionValues_[decisionClass]; }

    // Calls f with a pointer to the codes of attribute, one element per object, of the type the
    // column is kept in (std::uint8_t, std::uint16_t or std::uint32_t), and returns what f returns.
    template <typename F>
    decltype(auto) withColumn(std::uint32_t attribute, F&& f) const
    {
        const Column& column = columns_[attribute];
        if (column.width == 1) {
            return f(column.narrow.data());
        }
        if (column.width == 2) {
            return f(column.middle.data());
        }
        return f(column.wide.data());
    }

private:
    struct Column {
        std::uint32_t values = 0;
        unsigned width = 1;
        std::vector<std::uint8_t> narrow;
        std::vector<std::uint16_t> middle;
        std::vector<std::uint32_t> wide;
    };

    std::uint32_t objects_ = 0;
    std::vector<Column> columns_;
    std::vector<std::uint32_t> decisions_;
    std::vector<float> decisionValues_;
};

// A partition of some of a table's objects into classes, the objects of each class side by side:
// class c holds objects[starts[c]] up to objects[starts[c + 1]].
struct Partition {
    std::vector<std::uint32_t> objects;
    std::vector<std::uint32_t> starts{0};

    std::uint32_t classCount() const { return std::uint32_t(starts.size() - 1); }
    std::span<const std::uint32_t> members(std::uint32_t c) const
    {
        return {objects.data() + starts[c], objects.data() + starts[c + 1]};
    }
    // One class of objects 0 .. objects - 1 (no class when there is no object).
    static Partition whole(std::uint32_t objects);
};

// Which classes a refinement keeps; the others are handed to the refinement's drop callback.
enum class KeepClasses {
    All,          // every class
    Several,      // classes of more than one object (a single object's class is final)
    Inconsistent, // classes whose objects have more than one decision
    // inconsistent classes holding an object of the positive region the refiner was given
    InconsistentWithPositive,
};

// Splits classes by the values of one attribute at a time. Holds the scratch arrays the splitting
// needs, so that one refiner serves many refinements (one refiner per thread).
class Refiner {
public:
    explicit Refiner(const CodedTable& table);

    // The positive region KeepClasses::InconsistentWithPositive reads (one flag per object).
    void setPositive(const std::vector<std::uint8_t>* positive) { positive_ = positive; }

    // Splits every class of from by the values of attribute into into (cleared first). Classes the
    // rule does not keep are left out and passed to dropped, when given.
    void refine(const Partition& from, std::uint32_t attribute, Partition& into, KeepClasses keep,
                const std::function<void(std::span<const std::uint32_t>)>& dropped = {});

    // The number of objects of from that would lie in decision-consistent classes once from is
    // split by attribute: the growth of the positive region that adding attribute brings, when
    // from holds the inconsistent classes of the attributes chosen so far.
    std::uint64_t consistentAfter(const Partition& from, std::uint32_t attribute);

    // Splits every class of from by all of attributes at once into into (cleared first): the
    // classes that refining by each attribute in turn would end with, kept by the same rule. The
    // classes left out are passed to dropped, perhaps as several finer groups than the refinement
    // one attribute at a time drops, with the same objects in all. The codes of as many attributes
    // as fit are combined into one 32-bit number per object, reading each column in sequence, and
    // each class is sorted by that number, rather than split attribute by attribute with every
    // object looked up at random each time. With no attribute, into is a copy of from.
    void refineBy(const Partition& from, std::span<const std::uint32_t> attributes, Partition& into, KeepClasses keep,
                  const std::function<void(std::span<const std::uint32_t>)>& dropped = {});

private:
    std::uint32_t nextStamp();
    // Appends group to into as a class when keep keeps it, else passes it to dropped.
    void keepOrDrop(std::span<const std::uint32_t> group, KeepClasses keep, Partition& into,
                    const std::function<void(std::span<const std::uint32_t>)>& dropped) const;
    // One pass of refineBy over attributes whose combined codes fit in 32 bits.
    void splitByKey(const Partition& from, std::span<const std::uint32_t> attributes, Partition& into, KeepClasses keep, const std::function<void(std::span<const std::uint32_t>)>& dropped);
    // The objects of from that share their key (keys[i] for from.objects[i]) with another object
    // of their class, and perhaps a few that do not, into repeated_ and repeatedKeys_: a class
    // each for the classes that keep any, in the same order.
    // The slots are chosen by multiplying by hash.
    void leaveOutLoneKeys(const Partition& from, const std::uint32_t* keys, std::uint64_t hash);
    // Sorts count objects by their keys (objects with equal keys keep their order) into
    // sortedKeys_ and sortedObjects_.
    void sortByKey(const std::uint32_t* keys, const std::uint32_t* objects, std::size_t count);
    // sortByKey for many objects: a radix sort of key - low, whose significant bits are given,
    // from the lowest digit up.
    void radixSort(const std::uint32_t* keys, const std::uint32_t* objects, std::size_t count, std::uint32_t low,
                   unsigned bits);

    const CodedTable& table_;
    const std::vector<std::uint8_t>* positive_ = nullptr;
    std::vector<std::uint32_t> stamp_;
    std::vector<std::uint32_t> count_;
    std::vector<std::uint32_t> decision_;
    std::vector<std::uint32_t> distinct_;
    std::vector<std::uint32_t> buffer_;
    std::uint32_t currentStamp_ = 0;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint32_t> sortedKeys_;
    std::vector<std::uint32_t> sortedObjects_;
    std::vector<std::uint32_t> bucketStarts_;
    std::vector<std::uint32_t> bucketFill_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pairs_;
    std::vector<std::uint64_t> radixFrom_;
    std::vector<std::uint64_t> radixTo_;
    std::vector<std::uint64_t> slotWords_;
    Partition repeated_;
    std::vector<std::uint32_t> repeatedKeys_;
    Partition staged_;
    std::vector<std::uint32_t> stagedKeys_;
};

// True when all objects have the same decision.
bool decisionConsistent(const CodedTable& table, std::span<const std::uint32_t> objects);

// The indiscernibility classes of the objects on attributes, objects in order inside a class.
Partition indiscernibilityClasses(const CodedTable& table, std::span<const std::uint32_t> attributes);

// The positive region on attributes: one flag per object, and how many are set. False, with the
// region untouched, when progress asks to stop.
struct PositiveRegion {
    std::vector<std::uint8_t> member;
    std::uint32_t size = 0;
};
bool positiveRegion(const CodedTable& table, std::span<const std::uint32_t> attributes, PositiveRegion& region,
                    Progress& progress = noProgress());

} // namespace kolven
