#include "app_fixture.h"
#include "cross_validation_dialog.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

namespace kolven::testing {
namespace {

using enum CommandId;

std::function<void(CrossValidationDialog&)> typeCv(std::size_t method, std::string folds, std::string k, std::string seed)
{
    return [=](CrossValidationDialog& dialog) {
        dialog.setMethod(method);
        dialog.setFieldText(CvField::Folds, folds);
        dialog.setFieldText(CvField::K, k);
        dialog.setFieldText(CvField::Seed, seed);
        dialog.accept();
    };
}

// The text drawn under the time line, lines joined by "\n".
std::string results(const RecordingScreen& screen)
{
    return screen.drawn.size() < 2 ? std::string() : screen.drawn[1].text;
}

class RuleCommands : public AppTest {};

TEST_F(RuleCommands, RulesWithoutATestSystemOfferNoClassification)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}, {1, 0}}));
    app.runCommand(ComputeExhaustive);
    app.runCommand(ComputeLem2);
    EXPECT_TRUE(screen.enabled(ShowExhaustive) && screen.enabled(ShowLem2));
    EXPECT_FALSE(screen.enabled(ClassifyExhaustive) || screen.enabled(ClassifyLem2) || screen.enabled(ClassifyKnn));
}

TEST_F(RuleCommands, ClassifyingByRulesNeedsATestSystemAndThoseRulesAndKeepsItsOwnResults)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}, {1, 0}}));
    loadTest(tabFile("test.tab", {{1, 0}, {2, 0}, {3, 1}}));
    app.runCommand(ComputeLem2Simplified);
    EXPECT_TRUE(screen.enabled(ClassifyLem2) && screen.enabled(ComputeLem2));
    EXPECT_FALSE(screen.enabled(ClassifyExhaustive) || screen.enabled(ComputeLem2Simplified));
    app.runCommand(ComputeExhaustive);
    EXPECT_TRUE(screen.enabled(ClassifyExhaustive));

    app.runCommand(ClassifyLem2);
    EXPECT_EQ(results(screen).rfind("Reguly: LEM2 (uproszczone)\nIlosc obiektow systemu testowego: 3\n", 0), 0u);
    app.runCommand(ClassifyExhaustive);
    ASSERT_TRUE(screen.enabled(ShowRuleClassification) && screen.enabled(ExportRuleClassification));
    const std::string exhaustive = results(screen);
    EXPECT_EQ(exhaustive.rfind("Reguly: Exhaustive\n", 0), 0u);
    screen.clearText();
    app.runCommand(ShowRuleClassification);
    EXPECT_EQ(results(screen), exhaustive);

    screen.saveAnswers.push_back(folder / "results.txt");
    app.runCommand(ExportRuleClassification);
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "results.txt")).substr(0, 20), "Reguly: Exhaustive\r\n");

    // A new test system keeps the rules but not the results.
    loadTest(tabFile("test2.tab", {{2, 1}}));
    EXPECT_TRUE(screen.enabled(ClassifyLem2) && screen.enabled(ClassifyExhaustive));
    EXPECT_FALSE(screen.enabled(ShowRuleClassification) || screen.enabled(ExportRuleClassification));

    // A test system of another width is refused, and the last results' entries stay as they were.
    app.runCommand(ClassifyLem2);
    loadTest(tabFile("wide.tab", {{2, 2, 1}}));
    const auto menu = screen.menu;
    const RuleClassification before = state.ruleResults;
    app.runCommand(ClassifyExhaustive);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kKnnAttributeMismatchMessage);
    EXPECT_EQ(screen.menu, menu);
    EXPECT_EQ(state.ruleResults.caughtCount, before.caughtCount);

    // A new decision system discards the rules.
    load(tabFile("t2.tab", {{1, 0}, {2, 1}}));
    EXPECT_FALSE(screen.enabled(ClassifyLem2) || screen.enabled(ClassifyExhaustive));
}

TEST_F(RuleCommands, CrossValidationAsksItsSettingsRefusesImpossibleFoldsAndShowsItsResults)
{
    std::vector<std::vector<float>> rows;
    for (int i = 0; i < 12; ++i) {
        rows.push_back({float(i % 3), float(i % 2)});
    }
    screen.setPageBottom(200); // taken by the first page drawn, the table's description
    load(tabFile("t.tab", rows));

    app.runCommand(CrossValidate); // cancelled
    screen.cvScripts.push_back(typeCv(0, "13", "2", "5"));
    // Refused, the dialog opens again with what was typed.
    screen.cvScripts.push_back([](CrossValidationDialog& dialog) {
        EXPECT_EQ(dialog.fieldText(CvField::Folds) + dialog.fieldText(CvField::K) + dialog.fieldText(CvField::Seed), "1325");
        dialog.cancel();
    });
    app.runCommand(CrossValidate);
    EXPECT_TRUE(screen.cvScripts.empty());
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, refusalMessage(CvRefusal::FoldCount));
    EXPECT_FALSE(screen.enabled(ShowCrossValidation));

    // A line a fold: twelve folds go on to a second page, which ends with the totals.
    screen.cvScripts.push_back(typeCv(2, "12", "0", "7"));
    app.runCommand(CrossValidate);
    const auto pages = pagesFromHere();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].size() + pages[1].size(), 16u);
    EXPECT_EQ(pages[0][1], "Walidacja krzyzowa: 12 czesci, metoda lem2 (uproszczone), ziarno 7");
    EXPECT_EQ(pages[1].back().rfind("Srednio: accuracy ", 0), 0u);
    ASSERT_TRUE(screen.enabled(ShowCrossValidation) && screen.enabled(ExportCrossValidation));
    // A results export that cannot be written says so, like a save.
    screen.saveAnswers = {folder / "missing/cv.txt", folder / "cv.txt"};
    app.runCommand(ExportCrossValidation);
    app.runCommand(ExportCrossValidation);
    ASSERT_EQ(screen.messages.size(), 2u);
    EXPECT_EQ(screen.messages[1].text, kSaveFailedMessage);
    EXPECT_EQ(fileBytes(folder / "cv.txt"), crossValidationReport(state.cvResults));

    // The dialog opens with the last settings and the seed typed for them; k is asked for k-NN only.
    screen.cvScripts.push_back([](CrossValidationDialog& dialog) {
        EXPECT_EQ(dialog.methodIndex(), 2u);
        EXPECT_EQ(dialog.fieldText(CvField::Folds), "12");
        EXPECT_EQ(dialog.fieldText(CvField::K), "1");
        EXPECT_EQ(dialog.fieldText(CvField::Seed), "7");
        EXPECT_FALSE(dialog.fieldEnabled(CvField::K));
        dialog.setFieldText(CvField::K, "");
        EXPECT_TRUE(dialog.okEnabled()) << "an empty k that is not asked for";
        dialog.setMethod(0);
        EXPECT_TRUE(dialog.fieldEnabled(CvField::K) && dialog.fieldEnabled(CvField::Seed));
        EXPECT_FALSE(dialog.okEnabled());
        dialog.setFieldText(CvField::K, "3");
        dialog.setFieldText(CvField::Folds, "");
        dialog.accept(); // ignored while the folds are empty
    });
    app.runCommand(CrossValidate);
    EXPECT_EQ(state.cvSettings.seed, 7u);

    // An empty seed: the clock seeds the run, and the results say with what; the next dialog
    // leaves the seed to the clock again.
    const auto before = std::uint32_t(std::time(nullptr));
    screen.cvScripts.push_back(typeCv(1, "3", "", ""));
    app.runCommand(CrossValidate);
    EXPECT_GE(state.cvSettings.seed, before);
    EXPECT_LE(state.cvSettings.seed, std::uint32_t(std::time(nullptr)));
    EXPECT_EQ(results(screen), "Walidacja krzyzowa: 3 czesci, metoda lem2, ziarno " + std::to_string(state.cvSettings.seed));
    screen.cvScripts.push_back([](CrossValidationDialog& dialog) { EXPECT_EQ(dialog.fieldText(CvField::Seed), ""); });
    app.runCommand(CrossValidate);
    EXPECT_TRUE(screen.cvScripts.empty());

    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "5"); }));
    app.runCommand(EditSystem);
    EXPECT_FALSE(screen.enabled(ShowCrossValidation) || screen.enabled(ExportCrossValidation));
}

} // namespace
} // namespace kolven::testing
