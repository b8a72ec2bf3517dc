// Keeping the attributes of a reduct and discretizing the decision system from the window: what
// the dialogs refuse, what is installed, and how a test system is prepared the same way.
#include "app_fixture.h"

#include <algorithm>

namespace kolven::testing {
namespace {

using enum CommandId;
using PreparationCommands = AppTest;

TEST_F(PreparationCommands, RestrictionStartsFromTheReductRefusesABadListAndKeepsTheNames)
{
    load(folder.write("t.csv", "a,b,c,d\nx,x,1,p\ny,y,1,q\n"));
    app.runCommand(ComputeReducts);
    std::string offered;
    std::string reopened;
    screen.preparationScripts = {[&](PreparationDialog& dialog) { offered = dialog.fieldText(); dialog.setFieldText("b,zz"); dialog.accept(); },
                                 [&](PreparationDialog& dialog) { reopened = dialog.fieldText(); dialog.setFieldText("c, b"); dialog.accept(); }};
    app.runCommand(RestrictAttributes);
    EXPECT_EQ(offered, "a") << "the first reduct, by name";
    EXPECT_EQ(reopened, "b,zz");
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, "Lista atrybutow: nieznany atrybut warunkowy \"zz\"; numery atrybutow warunkowych: od 1 do 3.");
    ASSERT_EQ(state.ercim->attributeCount, 2u);
    EXPECT_EQ(state.names.columns[0].name, "b");
    EXPECT_EQ(state.names.columns[1].name, "c");
    EXPECT_EQ(state.names.columns[2].name, "d");
    EXPECT_FALSE(screen.enabled(ShowReducts)) << "computed results are discarded";
    // A cancelled dialog changes nothing.
    app.runCommand(RestrictAttributes);
    EXPECT_EQ(state.ercim->attributeCount, 2u);
    // A test system loaded now has its words numbered as the table's before the restriction.
    loadTest(folder.write("test.csv", "a,b,c,d\ny,y,1,q\n"));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 1, 1, 1}));
}

TEST_F(PreparationCommands, ARestrictedTableKeepsItsNumbersAndATestSystemIsReducedWhenClassified)
{
    load(tabFile("t.tab", {{1, 5, 0}, {2, 5, 1}}));
    loadTest(tabFile("test.tab", {{2, 9, 1}, {1, 9, 0}, {2, 9, 0}}));
    screen.preparationScripts.push_back(prepare("1"));
    app.runCommand(RestrictAttributes);
    app.runCommand(ComputeReducts);
    screen.preparationScripts.push_back([](PreparationDialog& dialog) { EXPECT_EQ(dialog.fieldText(), "a1"); dialog.cancel(); });
    app.runCommand(RestrictAttributes);
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    EXPECT_TRUE(screen.messages.empty());
    EXPECT_EQ(state.knn.correctCount, 2u);
    EXPECT_EQ(state.knn.testSystem.attributeCount, 2u) << "the test system stays as loaded";
}

TEST_F(PreparationCommands, DiscretizationShowsTheCutsInstallsTheCodesAndCodesTheTestSystem)
{
    load(tabFile("t.tab", {{1, 0}, {2, 0}, {3, 1}, {4, 1}}));
    loadTest(tabFile("test.tab", {{1.5f, 0}, {3.5f, 1}, {10, 1}}));
    screen.preparationScripts = {prepare("1", 2), prepare(std::nullopt, 0)};
    app.runCommand(DiscretizeSystem);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kIntervalCountRefused);
    const auto lines = page();
    EXPECT_EQ(std::vector(lines.begin() + 1, lines.end()), std::vector<std::string>{"a1: 2.5"});
    EXPECT_EQ(state.ercim->values, (std::vector<float>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(state.names.columns[0].labels, (std::vector<std::string>{"(-inf;2.5]", "(2.5;inf)"}));
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    EXPECT_EQ(state.knn.correctCount, 3u);
    app.runCommand(ComputeLem2);
    app.runCommand(ClassifyLem2);
    EXPECT_EQ(state.ruleResults.correctCount, 3u);
    // Loading a table forgets the cuts: its test system is classified as it is.
    load(tabFile("u.tab", {{1, 0}, {4, 1}}));
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    EXPECT_EQ(state.knn.correctCount, 3u);
}

TEST_F(PreparationCommands, MissingNumbersAreCompletedAsChosenATestSystemFromTheDecisionSystem)
{
    // A test system cannot complete itself: without a decision system it is not installed.
    loadTest(folder.write("test.csv", "a,b,d\n?,x,p\n7,y,q\n"));
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(state.knn.testSystem.objectCount, 0u);
    const auto table = folder.write("t.csv", "a,b,d\n1,x,p\n?,y,q\n4,x,p\n");
    screen.preparationScripts.push_back([](PreparationDialog& dialog) { dialog.cancel(); });
    load(table);
    EXPECT_EQ(screen.messages.back().text,
              "t.csv: 1 brakujacych wartosci liczbowych (atrybut \"a\": 1). Wybierz, jak je uzupelnic.");
    EXPECT_FALSE(state.ercim) << "a cancelled question installs nothing";
    screen.preparationScripts.push_back(prepare(std::nullopt, 0));
    load(table);
    ASSERT_TRUE(state.ercim);
    EXPECT_EQ(state.ercim->values[3], 2.5f) << "the mean of the values there";
    EXPECT_EQ(page().back(), "braki: uzupelnione srednia (dla nominalnych moda), 1 wartosci");
    // The test system's gap gets the decision system's mean, not its own 7; dropping drops.
    screen.preparationScripts.push_back(prepare(std::nullopt, 0));
    loadTest(folder.write("test.csv", "a,b,d\n?,x,p\n7,y,q\n"));
    EXPECT_EQ(state.knn.testSystem.values[0], 2.5f);
    screen.preparationScripts.push_back(prepare(std::nullopt, 2));
    loadTest(folder.write("test.csv", "a,b,d\n?,x,p\n7,y,q\n"));
    EXPECT_EQ(state.knn.testSystem.objectCount, 1u);
    EXPECT_EQ(state.knn.testSystem.values[0], 7.0f);
}

// Cross-validation cuts each fold as kolven-cli cv --discretize does and says so in its header; a
// K below 2 is explained and the dialog opens again as typed, and the next time with the last choice.
TEST_F(PreparationCommands, CrossValidationCutsTheFoldsAsChosenAndRefusesKBelowTwo)
{
    load(tabFile("t.tab", {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1}, {12, 1}}));
    const auto validate = [&](std::size_t discretization, std::string intervals) {
        screen.cvScripts.push_front([=](CrossValidationDialog& dialog) {
            dialog.setMethod(1), dialog.setFieldText(CvField::Folds, "3"), dialog.setFieldText(CvField::Seed, "1");
            dialog.setDiscretization(discretization), dialog.setFieldText(CvField::Intervals, intervals), dialog.accept();
        });
        app.runCommand(CrossValidate);
        const auto lines = page();
        return lines.at(1) + " / " + lines.at(5).substr(0, lines.at(5).find(", poprawne"));
    };
    // Refused, then mended in the dialog that opens again: MD asks for no K.
    screen.cvScripts.push_back([](CrossValidationDialog& dialog) {
        EXPECT_TRUE(dialog.discretizationIndex() == 3u && dialog.fieldText(CvField::Intervals) == "1");
        dialog.setDiscretization(1), dialog.accept();
    });
    EXPECT_EQ(validate(3, "1"), "Walidacja krzyzowa: 3 czesci, metoda lem2, dyskretyzacja md, ziarno 1 / Razem: obiekty 12, chwycone 12");
    EXPECT_EQ(screen.messages.at(0).text, kIntervalCountRefused);
    EXPECT_TRUE(validate(3, "3").starts_with("Walidacja krzyzowa: 3 czesci, metoda lem2, dyskretyzacja width:3, ziarno 1 / "));
    screen.cvScripts.push_back([](CrossValidationDialog& dialog) {
        EXPECT_TRUE(dialog.discretizationIndex() == 3u && dialog.fieldText(CvField::Intervals) == "3");
    });
    app.runCommand(CrossValidate);
}

// k-NN rescales both systems by the decision system's range or deviation when asked, as kolven-cli
// knn --normalize does; the decision system keeps its values, the next dialog offers the last choice.
TEST_F(PreparationCommands, KnnRescalesByTheDecisionSystemAsChosenAndKeepsItsValues)
{
    load(tabFile("t.tab", {{0, 500, 0}, {1, 0, 1}}));
    loadTest(tabFile("test.tab", {{0, 100, 0}}));
    for (std::size_t normalization : {0u, 1u, 2u}) {
        screen.knnScripts.push_back([=](KnnDialog& dialog) {
            EXPECT_EQ(dialog.normalizationIndex(), std::max<std::size_t>(normalization, 1) - 1);
            dialog.setFieldText("1"), dialog.setNormalization(normalization), dialog.accept();
        });
        app.runCommand(ClassifyKnn);
        EXPECT_EQ(state.knn.correctCount, normalization == 0 ? 0u : 1u) << "unscaled, the wide attribute decides";
        EXPECT_EQ(state.knn.values, state.ercim->values);
    }
}

} // namespace
} // namespace kolven::testing
