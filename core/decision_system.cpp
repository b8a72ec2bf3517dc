#include "decision_system.h"

#include "checked_size.h"

#include <algorithm>
#include <new>
#include <utility>

namespace kolven {

bool SystemDecyzyjny::exportResults(const std::filesystem::path&, const TableNames*) const
{
    return true;
}

void SystemDecyzyjny::setDimensions(std::uint32_t objects, std::uint32_t attributes)
{
    const std::uint32_t length = checkedCount({std::uint64_t(attributes) + 1});
    const std::uint32_t pairBlock = checkedCount({attributes, objects == 0 ? 0 : objects - 1});
    const std::uint32_t conditions = checkedCount({attributes, objects});
    const std::uint32_t all = checkedCount({objects, length});
    const std::uint32_t bytes = checkedCount({length, sizeof(float)});

    objectCount = objects;
    lastObjectIndex = objects - 1;
    attributeCount = attributes;
    rowLength = length;
    pairBlockLength = pairBlock;
    conditionValueCount = conditions;
    valueCount = all;
    rowBytes = bytes;
}

void SystemDecyzyjny::installValues(std::uint32_t objects, std::uint32_t attributes, std::vector<float> matrix)
{
    if (checkedProduct({objects, std::uint64_t(attributes) + 1}) != matrix.size()) {
        throw std::bad_alloc();
    }
    setDimensions(objects, attributes);
    values = std::move(matrix);
}

void SystemDecyzyjny::copyFrom(const SystemDecyzyjny& source)
{
    std::vector<float> copy(source.values);
    installValues(source.objectCount, source.attributeCount, std::move(copy));
}

namespace {

// A decision value and how many objects carry it.
struct ClassTally {
    float value;
    std::uint32_t count;
};

// Up to this many classes a scan of the tally finds an object's class faster than a search.
constexpr std::size_t kScannedClasses = 32;

// The index of d's class in tally (ascending, distinct values; d among them).
std::size_t classIndex(const std::vector<ClassTally>& tally, float d)
{
    if (tally.size() <= kScannedClasses) {
        return std::size_t(std::find_if(tally.begin(), tally.end(), [d](const ClassTally& t) { return t.value == d; }) -
                           tally.begin());
    }
    return std::size_t(
        std::lower_bound(tally.begin(), tally.end(), d, [](const ClassTally& t, float v) { return t.value < v; }) -
        tally.begin());
}

} // namespace

void SystemDecyzyjny::buildDecisionClasses()
{
    // Distinct decision values in ascending order with their counts; a value equal to an
    // entry (numerically, so -0 meets 0) joins it. A few classes are tallied as the objects
    // come; a table with many decision values is tallied by sorting them, so that the work
    // does not grow with the square of the classes.
    std::vector<ClassTally> tally;
    for (std::uint32_t object = 0; object < objectCount && tally.size() <= kScannedClasses; ++object) {
        const float d = decision(object);
        auto place = std::find_if(tally.begin(), tally.end(), [d](const ClassTally& t) { return !(t.value < d); });
        if (place != tally.end() && place->value == d) {
            ++place->count;
        } else {
            tally.insert(place, ClassTally{d, 1});
        }
    }
    if (tally.size() > kScannedClasses) {
        std::vector<float> decisions(objectCount);
        for (std::uint32_t object = 0; object < objectCount; ++object) {
            decisions[object] = decision(object);
        }
        std::sort(decisions.begin(), decisions.end());
        tally.clear();
        for (const float d : decisions) {
            if (!tally.empty() && tally.back().value == d) {
                ++tally.back().count;
            } else {
                tally.push_back(ClassTally{d, 1});
            }
        }
    }

    std::vector<std::uint32_t> starts(tally.size() + 1, 0);
    for (std::size_t c = 0; c < tally.size(); ++c) {
        starts[c + 1] = starts[c] + tally[c].count * rowLength;
    }
    std::vector<float> grouped(values.size());
    std::vector<std::uint32_t> next(starts.begin(), starts.end() - 1);
    for (std::uint32_t object = 0; object < objectCount; ++object) {
        const float d = decision(object);
        const std::size_t c = classIndex(tally, d);
        std::copy_n(row(object), rowLength, grouped.begin() + next[c]);
        next[c] += rowLength;
    }

    groupedRows = std::move(grouped);
    classStarts = std::move(starts);
    classCount = static_cast<std::uint32_t>(tally.size());
}

void SystemDecyzyjny::releaseDecisionClasses()
{
    groupedRows = {};
    classStarts = {};
    classCount = 0;
}

} // namespace kolven
