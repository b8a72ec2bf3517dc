#include "approximations.h"

#include "indiscernibility.h"
#include "perf_timer.h"
#include "ratio.h"

#include <algorithm>

namespace kolven {

bool computeApproximations(const SystemDecyzyjny& table, std::span<const std::uint32_t> attributes,
                           Approximations& result, Progress& progress, unsigned threads)
{
    PerfTimer timer;
    timer.start();
    const CodedTable coded(table, threads);
    Approximations found;
    found.attributes.assign(attributes.begin(), attributes.end());
    found.objects = coded.objectCount();
    found.classes.resize(coded.decisionClassCount());
    for (std::uint32_t d = 0; d < coded.decisionClassCount(); ++d) {
        found.classes[d].decision = coded.decisionValue(d);
    }
    for (std::uint32_t o = 0; o < coded.objectCount(); ++o) {
        ++found.classes[coded.decisionClass(o)].objects;
    }
    if (progress.cancelled()) {
        return false;
    }
    Partition partition;
    Refiner refiner(coded);
    refiner.refineBy(Partition::whole(coded.objectCount()), attributes, partition, KeepClasses::Several);
    progress.report(0, attributes.size(), attributes.size());
    if (progress.cancelled()) {
        return false;
    }
    // The objects left out are classes of their own, each inside the approximations of its
    // decision: counted as the objects of a decision not in the classes kept, rather than one by one.
    std::vector<std::uint32_t> kept(coded.decisionClassCount(), 0);
    for (std::uint32_t o : partition.objects) {
        ++kept[coded.decisionClass(o)];
    }
    for (std::uint32_t d = 0; d < coded.decisionClassCount(); ++d) {
        const std::uint32_t alone = found.classes[d].objects - kept[d];
        found.classes[d].lower += alone;
        found.classes[d].upper += alone;
        found.indiscernibilityClasses += alone;
    }
    // A class lies inside the approximations of its one decision, or meets those of several.
    found.indiscernibilityClasses += partition.classCount();
    std::vector<std::uint32_t> decisions;
    for (std::uint32_t c = 0; c < partition.classCount(); ++c) {
        const auto members = partition.members(c);
        const auto size = std::uint32_t(members.size());
        if (decisionConsistent(coded, members)) {
            ClassApproximation& approximation = found.classes[coded.decisionClass(members.front())];
            approximation.lower += size;
            approximation.upper += size;
            continue;
        }
        decisions.clear();
        for (std::uint32_t o : members) {
            decisions.push_back(coded.decisionClass(o));
        }
        std::sort(decisions.begin(), decisions.end());
        decisions.erase(std::unique(decisions.begin(), decisions.end()), decisions.end());
        for (std::uint32_t d : decisions) {
            found.classes[d].upper += size;
        }
    }
    for (ClassApproximation& approximation : found.classes) {
        approximation.accuracy = countRatio(approximation.lower, approximation.upper);
        found.positiveRegion += approximation.lower;
    }
    found.quality = countRatio(found.positiveRegion, found.objects);
    found.elapsedSeconds = timer.stop();
    result = std::move(found);
    return true;
}

} // namespace kolven
