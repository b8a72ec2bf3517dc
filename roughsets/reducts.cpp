#include "reducts.h"

#include "perf_timer.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <numeric>

namespace kolven {

using namespace attribute_sets;

namespace {

// The core search below one split: partition holds the classes on the attributes outside half
// that are inconsistent and hold an object of the positive region. An attribute of half is in the
// core exactly when such a class survives refinement by the rest of half.
void searchCore(Refiner& refiner, const Partition& partition, std::span<const std::uint32_t> half,
                std::vector<std::uint8_t>& inCore, std::atomic<std::uint64_t>& done, Progress& progress)
{
    if (progress.cancelled()) {
        return;
    }
    if (partition.classCount() == 0 || half.size() == 1) {
        for (std::uint32_t a : half) {
            inCore[a] = partition.classCount() != 0;
        }
        progress.report(kStageAttributes, done += half.size(), inCore.size());
        return;
    }
    const std::size_t middle = half.size() / 2;
    const std::span<const std::uint32_t> parts[2] = {half.first(middle), half.subspan(middle)};
    Partition refined;
    for (int side = 0; side < 2; ++side) {
        refiner.refineBy(partition, parts[1 - side], refined, KeepClasses::InconsistentWithPositive);
        searchCore(refiner, refined, parts[side], inCore, done, progress);
    }
}

} // namespace

bool coreAttributes(const CodedTable& table, const PositiveRegion& positive, std::vector<std::uint32_t>& core,
                    unsigned threads, Progress& progress)
{
    const std::uint32_t attributes = table.attributeCount();
    std::vector<std::uint8_t> inCore(attributes, 0);
    std::vector<std::uint32_t> all(attributes);
    std::iota(all.begin(), all.end(), 0u);
    Partition whole = Partition::whole(table.objectCount());
    const bool holdsPositive = positive.size > 0;
    if (whole.classCount() == 0 || !holdsPositive || decisionConsistent(table, whole.members(0)) || attributes == 0) {
        whole = Partition();
    }
    std::atomic<std::uint64_t> done{0};
    if (attributes >= 2 && whole.classCount() > 0) {
        // The two halves of the first split run side by side.
        const std::size_t middle = attributes / 2;
        const std::span<const std::uint32_t> all_(all);
        const std::span<const std::uint32_t> parts[2] = {all_.first(middle), all_.subspan(middle)};
        forEachOnThreads(2, threads, [&](std::uint32_t side, unsigned) {
            Refiner refiner(table);
            refiner.setPositive(&positive.member);
            Partition refined;
            refiner.refineBy(whole, parts[1 - side], refined, KeepClasses::InconsistentWithPositive);
            searchCore(refiner, refined, parts[side], inCore, done, progress);
        });
    } else if (attributes > 0) {
        Refiner refiner(table);
        refiner.setPositive(&positive.member);
        searchCore(refiner, whole, all, inCore, done, progress);
    }
    if (progress.cancelled()) {
        return false;
    }
    core.clear();
    for (std::uint32_t a = 0; a < attributes; ++a) {
        if (inCore[a] != 0) {
            core.push_back(a);
        }
    }
    return true;
}

bool allReducts(const DiscernibilitySets& sets, std::uint32_t attributes, std::vector<std::vector<std::uint32_t>>& reducts,
                Progress& progress)
{
    const std::uint32_t words = wordsFor(attributes);
    // The minimal discernibility sets, smallest first: a set holding another adds no condition.
    std::vector<std::size_t> order(sets.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::vector<std::uint32_t> sizes(sets.size());
    for (std::size_t i = 0; i < sets.size(); ++i) {
        sizes[i] = attributeCount(sets.set(i), words);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] < sizes[b]; });
    std::vector<std::uint64_t> minimal;
    for (std::size_t sifted = 0; sifted < order.size(); ++sifted) {
        const std::size_t i = order[sifted];
        if (sifted % 1024 == 0 && progress.cancelled()) {
            return false;
        }
        bool absorbed = false;
        for (std::size_t k = 0; k < minimal.size() && !absorbed; k += words) {
            absorbed = isSubset(minimal.data() + k, sets.set(i), words);
        }
        if (!absorbed) {
            minimal.insert(minimal.end(), sets.set(i), sets.set(i) + words);
        }
    }
    // The minimal sets meeting every set taken so far, extended one set at a time: those already
    // meeting the new set stay; each other one grows by one attribute of the new set, and the
    // result is kept unless a staying set (which must then hold that attribute) lies inside it.
    std::vector<std::uint64_t> found(words, 0);
    std::vector<std::uint64_t> meeting;
    std::vector<std::uint64_t> missing;
    std::vector<std::vector<std::size_t>> holding(attributes);
    std::vector<std::uint64_t> grown(words);
    const std::size_t setCount = minimal.size() / words;
    for (std::size_t s = 0; s < setCount; ++s) {
        if (progress.cancelled()) {
            return false;
        }
        const std::uint64_t* set = minimal.data() + s * words;
        const std::vector<std::uint32_t> setAttributes = attributesOf(set, words);
        meeting.clear();
        missing.clear();
        for (std::size_t t = 0; t < found.size(); t += words) {
            auto& target = meets(found.data() + t, set, words) ? meeting : missing;
            target.insert(target.end(), found.begin() + t, found.begin() + t + words);
        }
        for (std::uint32_t a : setAttributes) {
            holding[a].clear();
        }
        for (std::size_t t = 0; t < meeting.size(); t += words) {
            for (std::uint32_t a : setAttributes) {
                if (hasAttribute(meeting.data() + t, a)) {
                    holding[a].push_back(t);
                }
            }
        }
        found = meeting;
        for (std::size_t t = 0; t < missing.size(); t += words) {
            for (std::uint32_t a : setAttributes) {
                std::copy(missing.begin() + t, missing.begin() + t + words, grown.begin());
                addAttribute(grown.data(), a);
                const bool minimalGrown = std::none_of(holding[a].begin(), holding[a].end(), [&](std::size_t h) {
                    return isSubset(meeting.data() + h, grown.data(), words);
                });
                if (minimalGrown) {
                    found.insert(found.end(), grown.begin(), grown.end());
                }
            }
            if ((t / words) % 1024 == 0 && progress.cancelled()) {
                return false;
            }
        }
        progress.report(kStageDiscernibility, s + 1, setCount);
    }
    std::vector<std::vector<std::uint32_t>> result;
    for (std::size_t t = 0; t < found.size(); t += words) {
        result.push_back(attributesOf(found.data() + t, words));
    }
    std::sort(result.begin(), result.end(), [](const auto& a, const auto& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    reducts = std::move(result);
    return true;
}

std::vector<std::uint32_t> johnsonReduct(const DiscernibilitySets& sets, std::uint32_t attributes)
{
    const std::uint32_t words = wordsFor(attributes);
    std::vector<std::uint8_t> discerned(sets.size(), 0);
    std::vector<std::uint64_t> chosenSet(words, 0);
    std::vector<std::uint32_t> chosen;
    std::size_t left = sets.size();
    std::vector<std::uint64_t> weight(attributes);
    while (left > 0) {
        std::fill(weight.begin(), weight.end(), 0);
        for (std::size_t i = 0; i < sets.size(); ++i) {
            if (discerned[i] == 0) {
                for (std::uint32_t a : attributesOf(sets.set(i), words)) {
                    weight[a] += sets.pairs[i];
                }
            }
        }
        const auto best = std::uint32_t(std::max_element(weight.begin(), weight.end()) - weight.begin());
        chosen.push_back(best);
        addAttribute(chosenSet.data(), best);
        for (std::size_t i = 0; i < sets.size(); ++i) {
            if (discerned[i] == 0 && hasAttribute(sets.set(i), best)) {
                discerned[i] = 1;
                --left;
            }
        }
    }
    for (std::uint32_t a : chosen) {
        chosenSet[a / 64] &= ~(std::uint64_t(1) << (a % 64));
        bool needed = false;
        for (std::size_t i = 0; i < sets.size() && !needed; ++i) {
            needed = !meets(sets.set(i), chosenSet.data(), words);
        }
        if (needed) {
            addAttribute(chosenSet.data(), a);
        }
    }
    return attributesOf(chosenSet.data(), words);
}

bool greedyReduct(const CodedTable& table, std::uint32_t positiveSize, std::vector<std::uint32_t>& reduct,
                  unsigned threads, Progress& progress)
{
    const std::uint32_t attributes = table.attributeCount();
    const unsigned workers = std::min<unsigned>(roughSetThreads(threads), std::max(attributes, 1u));
    // The table the steps read: first the whole one, then the undecided objects of the last step.
    const CodedTable* current = &table;
    std::unique_ptr<CodedTable> local;
    std::vector<Refiner> refiners;
    for (unsigned worker = 0; worker < workers; ++worker) {
        refiners.emplace_back(table);
    }
    // The inconsistent classes on the chosen attributes: only they can still grow the region.
    Partition partition = Partition::whole(table.objectCount());
    if (partition.classCount() == 1 && decisionConsistent(table, partition.members(0))) {
        partition = Partition();
    }
    Partition next;
    std::vector<std::uint32_t> chosen;
    std::vector<std::uint8_t> isChosen(attributes, 0);
    std::vector<std::uint64_t> growth(attributes);
    std::uint32_t regionSize = table.objectCount() - std::uint32_t(partition.objects.size());
    while (regionSize < positiveSize) {
        if (progress.cancelled()) {
            return false;
        }
        std::vector<std::uint32_t> candidates;
        for (std::uint32_t a = 0; a < attributes; ++a) {
            if (isChosen[a] == 0) {
                candidates.push_back(a);
            }
        }
        if (candidates.empty()) {
            break; // cannot happen: all attributes give POS_C
        }
        forEachOnThreads(std::uint32_t(candidates.size()), workers, [&](std::uint32_t i, unsigned worker) {
            growth[candidates[i]] = refiners[worker].consistentAfter(partition, candidates[i]);
        });
        std::uint32_t best = candidates.front();
        for (std::uint32_t a : candidates) {
            if (growth[a] > growth[best]) {
                best = a;
            }
        }
        chosen.push_back(best);
        isChosen[best] = 1;
        refiners[0].refine(partition, best, next, KeepClasses::Inconsistent);
        std::swap(partition, next);
        regionSize = regionSize + std::uint32_t(growth[best]);
        // The objects still undecided, copied side by side in the order of their classes, so that
        // the next step reads them in sequence rather than all over the table; a copy already made
        // is narrowed in place, column by column, rather than copied again beside itself.
        std::vector<std::uint8_t> open(attributes);
        for (std::uint32_t a = 0; a < attributes; ++a) {
            open[a] = isChosen[a] == 0;
        }
        refiners.clear();
        if (local) {
            local->narrow(partition.objects, open, workers);
        } else {
            local = std::make_unique<CodedTable>(table, partition.objects, open, workers);
        }
        current = local.get();
        std::iota(partition.objects.begin(), partition.objects.end(), 0u);
        for (unsigned worker = 0; worker < workers; ++worker) {
            refiners.emplace_back(*current);
        }
        progress.report(kStageAttributes, chosen.size(), attributes);
    }
    // Without chosen[i], the set is the attributes kept before it and those chosen after it; the
    // classes of those kept before are refined once, as each is kept.
    refiners.clear();
    local.reset();
    Refiner checker(table);
    std::vector<std::uint32_t> kept;
    Partition before = Partition::whole(table.objectCount());
    if (before.classCount() == 1 && decisionConsistent(table, before.members(0))) {
        before = Partition();
    }
    Partition trial;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (progress.cancelled()) {
            return false;
        }
        checker.refineBy(before, std::span<const std::uint32_t>(chosen).subspan(i + 1), trial, KeepClasses::Inconsistent);
        if (table.objectCount() - trial.objects.size() != positiveSize) {
            kept.push_back(chosen[i]);
            checker.refine(before, chosen[i], next, KeepClasses::Inconsistent);
            std::swap(before, next);
        }
    }
    std::sort(kept.begin(), kept.end());
    reduct = std::move(kept);
    return true;
}

bool computeReducts(const SystemDecyzyjny& table, ReductMethod method, ReductAnalysis& analysis, Progress& progress,
                    unsigned threads)
{
    PerfTimer timer;
    timer.start();
    const CodedTable coded(table, threads);
    std::vector<std::uint32_t> all(coded.attributeCount());
    std::iota(all.begin(), all.end(), 0u);
    PositiveRegion positive;
    ReductAnalysis found;
    if (!positiveRegion(coded, all, positive, progress) ||
        !coreAttributes(coded, positive, found.core, threads, progress)) {
        return false;
    }
    if (method == ReductMethod::Greedy) {
        std::vector<std::uint32_t> reduct;
        if (!greedyReduct(coded, positive.size, reduct, threads, progress)) {
            return false;
        }
        found.reducts.push_back(std::move(reduct));
    } else {
        DiscernibilitySets sets;
        if (!discernibilitySets(coded, positive, sets, threads, progress)) {
            return false;
        }
        if (method == ReductMethod::Johnson) {
            found.reducts.push_back(johnsonReduct(sets, coded.attributeCount()));
        } else if (!allReducts(sets, coded.attributeCount(), found.reducts, progress)) {
            return false;
        }
    }
    found.elapsedSeconds = timer.stop();
    analysis = std::move(found);
    return true;
}

} // namespace kolven
