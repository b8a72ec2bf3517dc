#include "methods.h"

#include "ercim.h"
#include "knn.h"
#include "lem2.h"
#include "rule_classifier.h"

#include <algorithm>
#include <utility>

namespace kolven {

namespace {

// The counts of classifying test by the rules makeRules converts from a training run; none once
// progress cancels, so that a cancelled fold neither converts nor applies its rules.
TestCounts byRules(const auto& makeRules, const SystemDecyzyjny& test, const Progress& progress, RuleMatching matching)
{
    if (progress.cancelled()) {
        return {};
    }
    RuleClassification classified;
    ClassificationRules rules = makeRules();
    rules.matching = matching;
    // The rules come from a run on a table of the test's width, so nothing is refused here.
    static_cast<void>(classifyByRules(rules, test, classified, progress));
    return {classified.testObjectCount, classified.caughtCount, classified.correctCount};
}

void takeValues(SystemDecyzyjny& target, SystemDecyzyjny& source)
{
    target.installValues(source.objectCount, source.attributeCount, std::move(source.values));
}

} // namespace

const MethodInfo& methodInfo(CvMethod method)
{
    return *std::find_if(kMethods.begin(), kMethods.end(), [method](const MethodInfo& m) { return m.method == method; });
}

std::vector<std::string> methodCliNames(bool rulesOnly)
{
    std::vector<std::string> names;
    for (const MethodInfo& m : kMethods) {
        const bool wanted = !rulesOnly || m.family != MethodFamily::Knn;
        if (wanted && std::find(names.begin(), names.end(), m.cliName) == names.end()) {
            names.emplace_back(m.cliName);
        }
    }
    return names;
}

bool methodTakesFlag(std::string_view cliName, std::string_view flag)
{
    return std::any_of(kMethods.begin(), kMethods.end(),
                       [&](const MethodInfo& m) { return m.cliName == cliName && m.variantFlag == flag; });
}

std::optional<CvMethod> methodNamed(std::string_view cliName, const std::vector<std::string_view>& flagsGiven)
{
    for (const MethodInfo& m : kMethods) {
        const bool flagsMatch = m.variantFlag.empty() ? flagsGiven.empty()
                                                      : flagsGiven.size() == 1 && flagsGiven.front() == m.variantFlag;
        if (m.cliName == cliName && flagsMatch) {
            return m.method;
        }
    }
    return std::nullopt;
}

bool runMethod(CvMethod method, LEM2v1& lem2, Progress& progress, unsigned threads)
{
    return method == CvMethod::Lem2Simplified ? lem2.runLem2Simplified(progress, threads) : lem2.runLem2(progress, threads);
}

bool runMethod(CvMethod method, ERCIM& ercim, Progress& progress, unsigned threads)
{
    return ercim.computeRules(progress, {.allOrders = method == CvMethod::ExhaustiveAllOrders, .threads = threads});
}

bool runMethod(kNNv1& knn, std::uint32_t k, Progress& progress, unsigned threads)
{
    knn.k = std::max(k, 1u);
    return knn.classifyTestSystem(KnnScoring::Fast, threads, progress);
}

TestCounts trainAndClassify(CvMethod method, SystemDecyzyjny training, SystemDecyzyjny test, std::uint32_t k,
                            Progress& progress, RuleMatching matching, RuleVoting voting, unsigned threads)
{
    switch (methodInfo(method).family) {
    case MethodFamily::Knn: {
        kNNv1 knn;
        takeValues(knn, training);
        takeValues(knn.testSystem, test);
        static_cast<void>(runMethod(knn, k, progress, threads));
        return {knn.testObjectCount, knn.caughtCount, knn.correctCount};
    }
    case MethodFamily::Lem2: {
        LEM2v1 lem2;
        takeValues(lem2, training);
        static_cast<void>(runMethod(method, lem2, progress, threads));
        return byRules([&] { return classificationRules(lem2, voting); }, test, progress, matching);
    }
    case MethodFamily::Exhaustive: {
        ERCIM ercim;
        takeValues(ercim, training);
        static_cast<void>(runMethod(method, ercim, progress, threads));
        return byRules([&] { return classificationRules(ercim); }, test, progress, matching);
    }
    }
    return {};
}

} // namespace kolven
