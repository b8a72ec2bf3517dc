#include "cross_validation.h"
#include "knn.h"
#include "lem2.h"
#include "rule_classifier.h"
#include "table_rows.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kolven {
namespace {

// A table of one attribute (the object's index) whose decisions come in classes of the given sizes,
// interleaved so that no class is contiguous; the first class has decision -0.
SystemDecyzyjny classTable(const std::vector<std::uint32_t>& sizes)
{
    testing::Rows rows;
    std::vector<std::uint32_t> left = sizes;
    while (std::any_of(left.begin(), left.end(), [](std::uint32_t n) { return n > 0; })) {
        for (std::size_t c = 0; c < left.size(); ++c) {
            if (left[c] > 0) {
                --left[c];
                rows.push_back({float(rows.size()), c == 0 ? -0.0f : float(c)});
            }
        }
    }
    return testing::tableOf(1, rows);
}

TEST(StratifiedFolds, DealEachClassEvenlyAndRepeatWithTheSeed)
{
    struct Case {
        std::vector<std::uint32_t> sizes;
        std::uint32_t folds;
    };
    for (const Case& c : {Case{{7, 5, 1}, 3}, Case{{10, 10}, 10}, Case{{1, 1, 1, 1, 1}, 2}, Case{{40, 3, 17}, 7}}) {
        const SystemDecyzyjny table = classTable(c.sizes);
        const auto folds = stratifiedFolds(table, c.folds, 12345);
        ASSERT_EQ(folds.size(), table.objectCount);
        std::map<float, std::vector<std::uint32_t>> perClass; // -0 and 0 share a key
        std::vector<std::uint32_t> sizes(c.folds, 0);
        for (std::uint32_t object = 0; object < table.objectCount; ++object) {
            ASSERT_LT(folds[object], c.folds);
            auto& counts = perClass[table.decision(object)];
            counts.resize(c.folds, 0);
            ++counts[folds[object]];
            ++sizes[folds[object]];
        }
        for (const auto& [decision, counts] : perClass) {
            EXPECT_LE(*std::max_element(counts.begin(), counts.end()) - *std::min_element(counts.begin(), counts.end()), 1u)
                << "class " << decision;
        }
        EXPECT_LE(*std::max_element(sizes.begin(), sizes.end()) - *std::min_element(sizes.begin(), sizes.end()), 1u);
        EXPECT_EQ(stratifiedFolds(table, c.folds, 12345), folds);
    }
    // The seed decides which object goes where.
    const SystemDecyzyjny table = classTable({20, 20});
    EXPECT_NE(stratifiedFolds(table, 4, 1), stratifiedFolds(table, 4, 2));
    // A seed printed today gives the same folds in every later version and on every platform.
    EXPECT_EQ(stratifiedFolds(classTable({7, 5, 1}), 3, 12345), (std::vector<std::uint32_t>{1, 1, 0, 0, 2, 2, 2, 0, 1, 1, 0, 2, 0}));
}

// Each fold's computation watches the run's cancel, not only the loop between folds: a cancel
// seen inside the first fold ends the run there, and no result is kept.
TEST(CrossValidation, EachFoldsComputationWatchesTheCancel)
{
    struct CancelOnSecondLook : Progress {
        bool cancelled() const override { return ++looks > 1; }
        mutable std::atomic<int> looks{0}; // the folds look from several threads
    };
    const SystemDecyzyjny table = classTable({6, 6});
    for (const CvMethod method : {CvMethod::Knn, CvMethod::Lem2, CvMethod::Exhaustive}) {
        CancelOnSecondLook progress;
        CrossValidation results;
        EXPECT_FALSE(crossValidate(table, {method, 1, 3, 7}, results, progress));
        EXPECT_GT(progress.looks.load(), 2) << methodInfo(method).resultsName; // only 2 when the folds ignore it
        EXPECT_TRUE(results.folds.empty());
    }
}

// Folds tested side by side give what one thread gives, fold by fold in fold order, and the
// progress ends at every fold finished.
TEST(CrossValidation, GivesTheSameFoldsOnAnyNumberOfThreads)
{
    const SystemDecyzyjny table = classTable({13, 9, 7});
    for (const CvMethod method : {CvMethod::Knn, CvMethod::Lem2}) {
        CrossValidation one;
        CrossValidation many;
        SharedProgress progress;
        ASSERT_TRUE(crossValidate(table, {.method = method, .k = 1, .folds = 6, .seed = 5, .threads = 1}, one));
        ASSERT_TRUE(crossValidate(table, {.method = method, .k = 1, .folds = 6, .seed = 5, .threads = 4}, many, progress));
        EXPECT_EQ(crossValidationText(one), crossValidationText(many));
        EXPECT_EQ(progress.done(), 6u);
        EXPECT_EQ(progress.total(), 6u);
    }
}

TEST(CrossValidation, RefusesFoldCountsOutsideTwoToTheObjectsAndLem2WithoutAttributes)
{
    const SystemDecyzyjny table = testing::tableOf(0, {{0}, {1}, {0}});
    EXPECT_EQ(checkCvSettings(table, {CvMethod::Knn, 2, 1, 0}), CvRefusal::FoldCount);
    EXPECT_EQ(checkCvSettings(table, {CvMethod::Knn, 2, 4, 0}), CvRefusal::FoldCount);
    EXPECT_EQ(checkCvSettings(table, {CvMethod::Knn, 2, 3, 0}), std::nullopt);
    EXPECT_EQ(checkCvSettings(table, {CvMethod::Lem2Simplified, 2, 3, 0}), CvRefusal::Lem2NoAttributes);
    EXPECT_EQ(checkCvSettings(table, {CvMethod::Exhaustive, 2, 3, 0}), std::nullopt);
}

TEST(CrossValidation, ReportsEachFoldThePoolAndTheMeanWithItsDeviation)
{
    CrossValidation results;
    results.settings = {CvMethod::Lem2Simplified, 2, 3, 42};
    results.folds = {{4, 4, 4, 1.0f, 1.0f}, {4, 2, 1, 0.5f, 0.5f}, {3, 0, 0, 0.0f, 0.0f}};
    EXPECT_EQ(crossValidationText(results),
              "Walidacja krzyzowa: 3 czesci, metoda lem2 (uproszczone), ziarno 42\n"
              "Czesc 1: obiekty 4, chwycone 4, poprawne 4, accuracy 1.000, coverage 1.000\n"
              "Czesc 2: obiekty 4, chwycone 2, poprawne 1, accuracy 0.500, coverage 0.500\n"
              "Czesc 3: obiekty 3, chwycone 0, poprawne 0, accuracy 0.000, coverage 0.000\n"
              "Razem: obiekty 11, chwycone 6, poprawne 5, accuracy 0.833, coverage 0.545\n"
              "Srednio: accuracy 0.500 (odchylenie 0.500), coverage 0.500 (odchylenie 0.500)");
    // The report: the time line, then these six lines, each ended by CR LF.
    const std::string report = testing::afterTimeLine(crossValidationReport(results));
    EXPECT_EQ(std::count(report.begin(), report.end(), '\r'), 6);
}


// The figures of method trained on training and tested on test.
FoldResult judged(CvMethod method, const SystemDecyzyjny& training, const SystemDecyzyjny& test)
{
    if (method == CvMethod::Knn) {
        kNNv1 knn;
        knn.copyFrom(training);
        knn.testSystem.copyFrom(test);
        knn.k = 1;
        EXPECT_TRUE(knn.classifyTestSystem());
        return {knn.testObjectCount, knn.caughtCount, knn.correctCount};
    }
    LEM2v1 lem2;
    lem2.copyFrom(training);
    EXPECT_TRUE(lem2.runLem2());
    RuleClassification classified;
    EXPECT_FALSE(classifyByRules(classificationRules(lem2), test, classified));
    return {classified.testObjectCount, classified.caughtCount, classified.correctCount};
}

// Each fold's cuts and rescaling come from its training part alone: a fold whose test part holds
// the extremes would get other cuts and scales, and other figures, if they reached the fitting.
TEST(CrossValidation, FitsEachFoldsPreparationOnItsTrainingPartOnly)
{
    testing::Rows rows;
    for (int i = 0; i < 60; ++i) {
        rows.push_back({float((i * 37) % 61) * (i % 7 == 0 ? 9.0f : 1.0f), float((i * 11) % 13), float(i % 3)});
    }
    const SystemDecyzyjny table = testing::tableOf(2, rows);
    for (const auto& [method, preparation] :
         {std::pair{CvMethod::Lem2, FoldPreparation{DiscretizationMethod{CutMethod::EqualWidth, 4}, {}, {}}},
          std::pair{CvMethod::Knn, FoldPreparation{DiscretizationMethod{CutMethod::Entropy}, {false, true},
                                                   Normalization::Range}}}) {
        CrossValidation results;
        ASSERT_TRUE(crossValidate(table, {method, 1, 5, 3}, preparation, results));
        const auto foldOf = stratifiedFolds(table, 5, 3);
        for (std::uint32_t fold = 0; fold < 5; ++fold) {
            SystemDecyzyjny training;
            SystemDecyzyjny test;
            splitFold(table, foldOf, fold, training, test);
            const auto cut = preparation.cutAttributes.empty() ? std::vector<bool>{true, true} : preparation.cutAttributes;
            const Discretization cuts = *fitDiscretization(training, cut, *preparation.discretization);
            cuts.applyInPlace(training);
            cuts.applyInPlace(test);
            if (preparation.normalization) {
                const Rescaling rescaling = fitRescaling(training, *preparation.normalization);
                rescaling.applyInPlace(training);
                rescaling.applyInPlace(test);
            }
            const FoldResult expected = judged(method, training, test);
            EXPECT_EQ(results.folds[fold].caught, expected.caught) << fold;
            EXPECT_EQ(results.folds[fold].correct, expected.correct) << fold;
        }
    }
}

// A fold's test part is completed with its training part's mean or mode, never its own: here the
// training part's mean of a is 2 and its modes 1 (a) and x (b); the test part's own are 10 and y.
TEST(CrossValidation, CompletesEachFoldsTestPartFromItsTrainingPart)
{
    const float nan = std::nanf("");
    TableNames names;
    names.columns = {{"a", false, {}}, {"b", true, {"x", "y"}}, {"d", true, {"p", "q"}}};
    for (const auto& [treatment, a] : {std::pair{MissingTreatment::Mean, 2.0f}, std::pair{MissingTreatment::Mode, 1.0f}}) {
        SystemDecyzyjny training = testing::tableOf(2, {{1, 0, 0}, {3, 0, 1}, {nan, 1, 0}});
        SystemDecyzyjny test = testing::tableOf(2, {{nan, -1, 0}, {10, 1, 1}, {10, 1, 0}});
        FoldPreparation preparation;
        preparation.missing = treatment;
        preparation.missingNames = names;
        prepareFold(training, test, CvMethod::Knn, preparation);
        EXPECT_EQ(test.values, (std::vector<float>{a, 0, 0, 10, 1, 1, 10, 1, 0}));
        EXPECT_EQ(training.row(2)[0], a);
    }
}

} // namespace
} // namespace kolven
