#include "cross_validation.h"

#include "generator.h"
#include "lem2.h"
#include "parallel_for.h"
#include "perf_timer.h"
#include "ratio.h"
#include "text_format.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numeric>
#include <utility>

namespace kolven {

namespace {

FoldResult foldResult(std::uint32_t objects, std::uint32_t caught, std::uint32_t correct)
{
    return {objects, caught, correct, countRatio(correct, caught), countRatio(caught, objects)};
}

// A fold's computation watches the run's cancel, but its own reports do not replace the run's
// count of folds.
class FoldWatch : public Progress {
public:
    explicit FoldWatch(const Progress& run) : run_(run) {}
    bool cancelled() const override { return run_.cancelled(); }

private:
    const Progress& run_;
};

// Trains the method on the objects outside fold and tests it on those inside. A cancel seen by
// the computation leaves a result that the caller, seeing the cancel too, throws away.
FoldResult testFold(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& foldOf, std::uint32_t fold,
                    const CvSettings& settings, const FoldPreparation& preparation, Progress& watch,
                    unsigned threads)
{
    SystemDecyzyjny training;
    SystemDecyzyjny test;
    splitFold(table, foldOf, fold, training, test);
    prepareFold(training, test, settings.method, preparation);
    const TestCounts counts = trainAndClassify(settings.method, std::move(training), std::move(test), settings.k, watch,
                                               settings.matching, settings.voting, threads);
    return foldResult(counts.objects, counts.caught, counts.correct);
}

void appendFigure(std::string& text, double value)
{
    appendFixed(text, value, 3);
}

std::string countsLine(const FoldResult& result)
{
    std::string line = "obiekty " + std::to_string(result.objects) + ", chwycone " + std::to_string(result.caught) +
                       ", poprawne " + std::to_string(result.correct) + ", accuracy ";
    appendFigure(line, result.accuracy);
    line += ", coverage ";
    appendFigure(line, result.coverage);
    return line;
}

// The mean of values and their sample standard deviation (divided by count - 1).
std::pair<double, double> meanAndDeviation(const std::vector<double>& values)
{
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    double squares = 0;
    for (double value : values) {
        squares += (value - mean) * (value - mean);
    }
    const double deviation = values.size() < 2 ? 0.0 : std::sqrt(squares / double(values.size() - 1));
    return {mean, deviation};
}

} // namespace

std::string_view refusalMessage(CvRefusal refusal)
{
    switch (refusal) {
    case CvRefusal::FoldCount: return "Liczba czesci walidacji krzyzowej musi wynosic od 2 do liczby obiektow systemu.";
    case CvRefusal::Lem2NoAttributes: return kLem2NoAttributesMessage;
    }
    return {};
}

std::optional<CvRefusal> checkCvSettings(const SystemDecyzyjny& table, const CvSettings& settings)
{
    if (settings.folds < 2 || settings.folds > table.objectCount) {
        return CvRefusal::FoldCount;
    }
    if (methodInfo(settings.method).family == MethodFamily::Lem2 && table.attributeCount == 0) {
        return CvRefusal::Lem2NoAttributes;
    }
    return std::nullopt;
}

std::vector<std::uint32_t> stratifiedFolds(const SystemDecyzyjny& table, std::uint32_t folds, std::uint32_t seed)
{
    std::vector<std::uint32_t> objects(table.objectCount);
    std::iota(objects.begin(), objects.end(), 0u);
    // Classes in ascending decision value, objects in table order inside a class; -0 joins 0. A
    // missing decision (NaN, completed later in each fold) is a class of its own, the last.
    const auto before = [&table](std::uint32_t a, std::uint32_t b) {
        return !std::isnan(table.decision(a)) && (std::isnan(table.decision(b)) || table.decision(a) < table.decision(b));
    };
    std::stable_sort(objects.begin(), objects.end(), before);
    LinearCongruential source;
    source.seed(seed);
    std::vector<std::uint32_t> foldOf(table.objectCount, 0);
    std::uint32_t turn = 0;
    for (std::size_t first = 0; first < objects.size();) {
        std::size_t end = first + 1;
        while (end < objects.size() && !before(objects[first], objects[end])) {
            ++end;
        }
        for (std::size_t i = end - first - 1; i > 0; --i) {
            const std::uint32_t draw = (source.next() << 15) | source.next();
            std::swap(objects[first + i], objects[first + draw % (i + 1)]);
        }
        for (std::size_t i = first; i < end; ++i) {
            foldOf[objects[i]] = turn;
            turn = (turn + 1) % folds;
        }
        first = end;
    }
    return foldOf;
}

std::optional<std::string> foldMissingRefusal(const SystemDecyzyjny& table, const CvSettings& settings,
                                              const FoldPreparation& preparation)
{
    if (!preparation.missing || *preparation.missing == MissingTreatment::Drop) {
        return std::nullopt;
    }
    const auto foldOf = stratifiedFolds(table, settings.folds, settings.seed);
    for (std::uint32_t fold = 0; fold < settings.folds; ++fold) {
        SystemDecyzyjny training;
        SystemDecyzyjny test;
        splitFold(table, foldOf, fold, training, test);
        MissingFill fill;
        if (auto refusal = fill.fit(training, preparation.missingNames, *preparation.missing)) {
            return "czesc " + std::to_string(fold + 1) + ": " + *refusal + " w czesci uczacej";
        }
    }
    return std::nullopt;
}

void prepareFold(SystemDecyzyjny& training, SystemDecyzyjny& test, CvMethod method, const FoldPreparation& preparation)
{
    if (preparation.missing) {
        // The test part never completes itself: its values come from the training part.
        MissingFill fill;
        fill.fit(training, preparation.missingNames, *preparation.missing);
        fill.apply(training, preparation.missingNames);
        fill.apply(test, preparation.missingNames);
    }
    if (preparation.discretization) {
        const std::vector<bool> cut = preparation.cutAttributes.empty()
                                          ? std::vector<bool>(training.attributeCount, true)
                                          : preparation.cutAttributes;
        const Discretization cuts = *fitDiscretization(training, cut, *preparation.discretization);
        cuts.applyInPlace(training);
        cuts.applyInPlace(test);
    }
    if (preparation.normalization && method == CvMethod::Knn) {
        rescaleBoth(*preparation.normalization, training, test);
    }
}

void splitFold(const SystemDecyzyjny& table, const std::vector<std::uint32_t>& foldOf, std::uint32_t fold,
               SystemDecyzyjny& training, SystemDecyzyjny& test)
{
    std::vector<float> inside;
    std::vector<float> outside;
    for (std::uint32_t object = 0; object < table.objectCount; ++object) {
        auto& target = foldOf[object] == fold ? inside : outside;
        target.insert(target.end(), table.row(object), table.row(object) + table.rowLength);
    }
    const auto trainingRows = std::uint32_t(outside.size() / table.rowLength);
    const auto testRows = std::uint32_t(inside.size() / table.rowLength);
    training.installValues(trainingRows, table.attributeCount, std::move(outside));
    test.installValues(testRows, table.attributeCount, std::move(inside));
}

bool crossValidate(const SystemDecyzyjny& table, const CvSettings& settings, CrossValidation& results,
                   Progress& progress)
{
    return crossValidate(table, settings, FoldPreparation(), results, progress);
}

bool crossValidate(const SystemDecyzyjny& table, const CvSettings& settings, const FoldPreparation& preparation,
                   CrossValidation& results, Progress& progress)
{
    PerfTimer timer;
    timer.start();
    CrossValidation made{settings, std::vector<FoldResult>(settings.folds), 0, preparation};
    const auto foldOf = stratifiedFolds(table, settings.folds, settings.seed);
    std::atomic<std::uint32_t> finished{0};
    progress.report(0, 0, settings.folds);
    // The threads are shared among the folds running at once: a fold's own computation gets the
    // threads left over when there are fewer folds than threads.
    const unsigned threads = workerThreads(settings.threads);
    const unsigned foldThreads = std::max(1u, threads / settings.folds);
    // Each fold has its own slot, so the results come out in fold order whichever thread ends first.
    parallelFor(settings.folds, threads, [&](std::uint32_t fold, unsigned) {
        if (progress.cancelled()) {
            return false;
        }
        FoldWatch watch(progress);
        made.folds[fold] = testFold(table, foldOf, fold, settings, preparation, watch, foldThreads);
        progress.report(0, finished.fetch_add(1) + 1, settings.folds);
        return true;
    });
    if (progress.cancelled()) {
        return false;
    }
    made.elapsedSeconds = timer.stop();
    results = std::move(made);
    return true;
}

std::string crossValidationText(const CrossValidation& results)
{
    std::string text = "Walidacja krzyzowa: " + std::to_string(results.settings.folds) + " czesci, metoda " +
                       std::string(methodInfo(results.settings.method).resultsName) +
                       (results.preparation.discretization
                            ? ", dyskretyzacja " + discretizationMethodName(*results.preparation.discretization)
                            : std::string()) +
                       (results.preparation.normalization
                            ? ", normalizacja " + std::string(normalizationName(*results.preparation.normalization))
                            : std::string()) +
                       (results.settings.matching == RuleMatching::Partial &&
                                methodInfo(results.settings.method).family != MethodFamily::Knn
                            ? ", " + std::string(kPartialMatchingLabel)
                            : std::string()) +
                       (results.settings.voting == RuleVoting::ByDecision &&
                                methodInfo(results.settings.method).family == MethodFamily::Lem2
                            ? ", " + std::string(kByDecisionVotingLabel)
                            : std::string()) +
                       ", ziarno " +
                       std::to_string(results.settings.seed);
    FoldResult sum;
    std::vector<double> accuracies;
    std::vector<double> coverages;
    for (std::size_t i = 0; i < results.folds.size(); ++i) {
        const FoldResult& fold = results.folds[i];
        text += "\nCzesc " + std::to_string(i + 1) + ": " + countsLine(fold);
        sum.objects += fold.objects;
        sum.caught += fold.caught;
        sum.correct += fold.correct;
        accuracies.push_back(fold.accuracy);
        coverages.push_back(fold.coverage);
    }
    text += "\nRazem: " + countsLine(foldResult(sum.objects, sum.caught, sum.correct));
    const auto [accuracy, accuracyDeviation] = meanAndDeviation(accuracies);
    const auto [coverage, coverageDeviation] = meanAndDeviation(coverages);
    text += "\nSrednio: accuracy ";
    appendFigure(text, accuracy);
    text += " (odchylenie ";
    appendFigure(text, accuracyDeviation);
    text += "), coverage ";
    appendFigure(text, coverage);
    text += " (odchylenie ";
    appendFigure(text, coverageDeviation);
    text += ')';
    return text;
}

std::string crossValidationReport(const CrossValidation& results)
{
    return timedReport(results.elapsedSeconds, crossValidationText(results));
}

} // namespace kolven
