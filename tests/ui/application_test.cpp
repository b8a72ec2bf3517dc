#include "app_fixture.h"

#include "knn.h"
#include "lem2.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace kolven::testing {
namespace {

using enum CommandId;
using Ids = std::vector<CommandId>;

const Ids kStartMenu{CreateSystem, GenerateSystem, LoadSystem, LoadTestSystem, Quit, About};
// After the first decision system, with no test system.
const Ids kSystemMenu{CreateSystem, GenerateSystem, LoadSystem, LoadTestSystem, SaveSystem, Quit,
                      ComputeExhaustive, EditSystem, About, ComputeLem2};

std::string bytesOf(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ApplicationCommands : public AppTest {};

TEST(MenuLayout, HoldsEveryCommandOnceWithTheSeparatorBeforeTheTestSystemEntries)
{
    std::vector<int> ids{static_cast<int>(kAboutItem.id)};
    for (const MenuPopup& popup : kMenuPopups) {
        for (const MenuItem& item : popup.items) {
            if (!item.isSeparator()) {
                ids.push_back(static_cast<int>(item.id));
            }
        }
    }
    std::sort(ids.begin(), ids.end());
    ASSERT_EQ(ids.size(), std::size_t(kCommandCount));
    for (int i = 0; i < kCommandCount; ++i) {
        EXPECT_EQ(ids[std::size_t(i)], kFirstCommandId + i);
    }
    EXPECT_TRUE(kActionsMenuItems[7].isSeparator());
    EXPECT_EQ(kActionsMenuItems[8].id, EditTestSystem);
    EXPECT_EQ(commandText(ShowKnn), "Wyswietl wyniki klasyfikacji k-NN...");
    EXPECT_EQ(commandText(About), "Autor");
}

TEST_F(ApplicationCommands, StartsWithTheFileCommandsQuitAndAboutAndNoButton)
{
    EXPECT_EQ(screen.enabledCommands(), kStartMenu);
    EXPECT_EQ(screen.menu.size(), std::size_t(kCommandCount));
    EXPECT_FALSE(screen.buttonVisible);
    // Greyed commands cannot run.
    app.runCommand(ComputeExhaustive);
    app.runCommand(SaveSystem);
    app.runCommand(static_cast<CommandId>(40018));
    EXPECT_TRUE(screen.fileDialogs.empty());
    EXPECT_TRUE(screen.events.empty());
}

TEST_F(ApplicationCommands, LoadInstallsTheSystemInAllThreeCopies)
{
    load(tabFile("t.tab", {{1, 2, 0}, {3.5f, 4, 1}}));
    ASSERT_TRUE(state.ercim);
    ASSERT_TRUE(state.lem2);
    EXPECT_EQ(state.ercim->values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));
    EXPECT_EQ(state.lem2->values, state.ercim->values);
    EXPECT_EQ(state.knn.values, state.ercim->values);
    EXPECT_EQ(state.currentObjectCount, 2u);
    EXPECT_EQ(state.currentAttributeCount, 2u);
    EXPECT_EQ(screen.enabledCommands(), kSystemMenu);
    EXPECT_EQ(screen.fileDialogs.at(0).filterLabel, "Pliki MSD, TAB");
    EXPECT_EQ(screen.fileDialogs.at(0).filterPattern, "*.msd;*.tab");
    EXPECT_EQ(screen.fileDialogs.at(0).defaultSuffix, "msd");
    EXPECT_FALSE(screen.buttonVisible);
    EXPECT_FALSE(screen.buttonEnabled);
}

TEST_F(ApplicationCommands, CancelledOrFailedLoadsChangeNothing)
{
    load(tabFile("t.tab", {{1, 2, 0}}));
    const ERCIM* held = state.ercim.get();
    const auto menu = screen.menu;

    app.runCommand(LoadSystem); // cancelled
    app.runCommand(LoadTestSystem);
    EXPECT_TRUE(screen.messages.empty());
    load(file("bad.tab", "ATTRIBUTES 2\nOBJECTS 1\n1 2")); // no final separator
    loadTest(folder / "missing.msd");
    load(file("huge.tab", "ATTRIBUTES 3\nOBJECTS 2000000000\n1 2 3\n")); // counts beyond the file

    ASSERT_EQ(screen.messages.size(), 3u);
    EXPECT_EQ(screen.messages[0].text, "Plik jest uszkodzony!");
    EXPECT_EQ(screen.messages[0].caption, "Błąd!");
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_EQ(state.knn.values, (std::vector<float>{1, 2, 0}));
    EXPECT_FALSE(state.testSystemHasValues());
    EXPECT_EQ(screen.menu, menu);
    EXPECT_EQ(screen.events.back(), "flush"); // the window was cleared
}

TEST_F(ApplicationCommands, KnnBecomesAvailableWithWhicheverSystemArrivesSecond)
{
    loadTest(tabFile("test.tab", {{1, 0}}));
    EXPECT_TRUE(screen.enabled(EditTestSystem));
    EXPECT_FALSE(screen.enabled(ClassifyKnn));
    EXPECT_FALSE(screen.enabled(EditSystem));
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    EXPECT_TRUE(screen.enabled(ClassifyKnn));

    AppState other;
    RecordingScreen otherScreen;
    kolven::Application second(other, otherScreen, generator);
    second.start();
    otherScreen.openAnswers.push_back(folder / "t.tab");
    second.runCommand(LoadSystem);
    EXPECT_FALSE(otherScreen.enabled(ClassifyKnn));
    otherScreen.openAnswers.push_back(folder / "test.tab");
    second.runCommand(LoadTestSystem);
    EXPECT_TRUE(otherScreen.enabled(ClassifyKnn));
    EXPECT_FALSE(otherScreen.enabled(ShowKnn));
}

TEST_F(ApplicationCommands, ComputingGreysItselfAndOffersItsResultsUntilTheSystemChanges)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    app.runCommand(ComputeExhaustive);
    EXPECT_FALSE(screen.enabled(ComputeExhaustive));
    EXPECT_TRUE(screen.enabled(ShowExhaustive));
    EXPECT_TRUE(screen.enabled(ExportExhaustive));
    app.runCommand(ComputeLem2);
    EXPECT_FALSE(screen.enabled(ComputeLem2));
    EXPECT_TRUE(screen.enabled(ShowLem2));
    EXPECT_TRUE(screen.enabled(ExportLem2));

    // Viewing without OK changes nothing; OK installs the table anew and discards the rules.
    screen.gridScripts.push_back(editGrid({}, false));
    app.runCommand(EditSystem);
    EXPECT_TRUE(screen.enabled(ShowExhaustive));
    const ERCIM* held = state.ercim.get();
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "5"); }));
    app.runCommand(EditSystem);
    EXPECT_NE(state.ercim.get(), held);
    EXPECT_EQ(state.knn.values, (std::vector<float>{5, 0, 2, 1}));
    EXPECT_EQ(screen.enabledCommands(), kSystemMenu);
}

TEST_F(ApplicationCommands, ComputationShowsTheWaitLineBeforeItStarts)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    screen.events.clear();
    app.runCommand(ComputeExhaustive);
    const std::vector<std::string> waitPass{"clear", "draw Prosze czekac, trwa wykonywanie obliczen.", "flush"};
    ASSERT_GE(screen.events.size(), waitPass.size());
    EXPECT_TRUE(std::equal(waitPass.begin(), waitPass.end(), screen.events.begin()));
    // The results pass starts on an erased window with the time line at the top.
    ASSERT_FALSE(screen.drawn.empty());
    EXPECT_EQ(screen.drawn[0].y, 0);
    EXPECT_EQ(screen.drawn[0].text.rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_EQ(screen.drawn[0].text.find('\r'), std::string::npos);
}

TEST_F(ApplicationCommands, CreateInstallsATypedTableAndCancelKeepsEverything)
{
    load(tabFile("t.tab", {{1, 0}}));
    const auto menu = screen.menu;
    screen.parameterScripts.push_back(typeParameters({"3", "2"}, false));
    app.runCommand(CreateSystem);
    screen.parameterScripts.push_back(typeParameters({"3", "2"}));
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "9"); }, false));
    app.runCommand(CreateSystem);
    EXPECT_EQ(screen.menu, menu);
    EXPECT_EQ(state.currentObjectCount, 1u);
    EXPECT_EQ(state.currentAttributeCount, 1u);
    EXPECT_EQ(state.ercim->values, (std::vector<float>{1, 0}));
    EXPECT_TRUE(screen.drawn.empty());

    app.runCommand(ComputeExhaustive);
    screen.parameterScripts.push_back(typeParameters({"3", "2"}));
    screen.gridScripts.push_back(editGrid({}));
    app.runCommand(CreateSystem);
    EXPECT_EQ(state.currentObjectCount, 3u);
    EXPECT_EQ(state.currentAttributeCount, 2u);
    EXPECT_EQ(state.knn.values, std::vector<float>(9, 0.0f));
    EXPECT_EQ(screen.enabledCommands(), kSystemMenu);
}

TEST_F(ApplicationCommands, GenerateInstallsValuesFromTheRangeOrRefusesIt)
{
    screen.parameterScripts.push_back(typeParameters({"4", "2", "3", "1"}));
    app.runCommand(GenerateSystem);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, refusalMessage(GeneratorRefusal::EmptyRange));
    EXPECT_FALSE(state.ercim);
    EXPECT_EQ(screen.enabledCommands(), kStartMenu);

    screen.parameterScripts.push_back(typeParameters({"4", "2", "-2.7", "3.9"}));
    app.runCommand(GenerateSystem);
    ASSERT_TRUE(state.ercim);
    EXPECT_EQ(state.currentObjectCount, 4u);
    EXPECT_EQ(state.currentAttributeCount, 2u);
    EXPECT_FLOAT_EQ(state.generatorMin, -2.7f);
    ASSERT_EQ(state.ercim->values.size(), 12u);
    for (float v : state.ercim->values) {
        EXPECT_TRUE(v >= -2 && v <= 3) << v;
    }
    EXPECT_EQ(state.lem2->values, state.ercim->values);
    EXPECT_EQ(screen.enabledCommands(), kSystemMenu);
}

TEST_F(ApplicationCommands, OutOfMemoryLeavesSystemRulesAndMenuAsTheyWere)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    app.runCommand(ComputeExhaustive);
    const ERCIM* held = state.ercim.get();
    const auto menu = screen.menu;

    screen.parameterScripts.push_back(typeParameters({"2147483647", "2147483647"}));
    app.runCommand(CreateSystem);
    screen.parameterScripts.push_back(typeParameters({"2147483647", "2147483647", "0", "1"}));
    app.runCommand(GenerateSystem);

    ASSERT_EQ(screen.messages.size(), 2u);
    EXPECT_EQ(screen.messages[1].text, kOutOfMemoryMessage);
    EXPECT_EQ(screen.messages[1].caption, "Błąd!");
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_EQ(state.currentObjectCount, 2u);
    EXPECT_EQ(screen.menu, menu);
}

TEST_F(ApplicationCommands, Lem2WithoutConditionAttributesExplainsAndChangesNothing)
{
    load(tabFile("t.tab", {{0}, {1}}));
    const auto menu = screen.menu;
    app.runCommand(ComputeLem2);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kLem2NoAttributesMessage);
    EXPECT_EQ(screen.menu, menu);
    EXPECT_TRUE(screen.enabled(ComputeLem2));
    EXPECT_FALSE(screen.enabled(ShowLem2));
}

TEST_F(ApplicationCommands, KnnDialogDecidesWhetherTheClassificationRuns)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}, {3, 1}}));
    loadTest(tabFile("test.tab", {{1, 0}, {3, 1}}));
    app.runCommand(ClassifyKnn); // cancelled
    EXPECT_FALSE(screen.enabled(ShowKnn));
    EXPECT_EQ(state.knn.k, 2u);

    screen.knnScripts.push_back(typeK("0"));
    app.runCommand(ClassifyKnn);
    EXPECT_TRUE(screen.enabled(ShowKnn));
    EXPECT_EQ(state.knn.k, 1u);
    const std::string results = knnResultsText(state.knn);
    EXPECT_EQ(screen.drawn.back().text, results);
    EXPECT_EQ(screen.drawn.back().y, 16);

    // Any change of either system greys the results.
    loadTest(folder / "test.tab");
    EXPECT_FALSE(screen.enabled(ShowKnn));
}

TEST_F(ApplicationCommands, KnnOnTablesOfDifferentWidthsExplainsAndKeepsTheLastResults)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    loadTest(tabFile("test.tab", {{1, 0}, {2, 1}}));
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    loadTest(tabFile("wide.tab", {{1, 1, 0}}));
    const auto menu = screen.menu;
    const auto caught = state.knn.caughtCount;

    screen.knnScripts.push_back(typeK("5"));
    app.runCommand(ClassifyKnn);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kKnnAttributeMismatchMessage);
    EXPECT_EQ(state.knn.k, 1u);
    EXPECT_EQ(state.knn.caughtCount, caught);
    EXPECT_EQ(screen.menu, menu);
    EXPECT_FALSE(screen.enabled(ShowKnn));
}

TEST_F(ApplicationCommands, InstallingASystemKeepsTheTestSystemKAndKnnResults)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    loadTest(tabFile("test.tab", {{1, 0}, {2, 1}}));
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    const auto caught = state.knn.caughtCount;
    const double seconds = state.knn.elapsedSeconds;

    load(tabFile("other.tab", {{5, 0}, {6, 0}, {7, 1}}));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 0, 2, 1}));
    EXPECT_EQ(state.knn.k, 1u);
    EXPECT_EQ(state.knn.caughtCount, caught);
    EXPECT_EQ(state.knn.elapsedSeconds, seconds);
    EXPECT_EQ(state.knn.objectCount, 3u);
}

TEST_F(ApplicationCommands, EditTestSystemInstallsOnlyOnOk)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    loadTest(tabFile("test.tab", {{1, 0}}));
    const ERCIM* held = state.ercim.get();
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "8"); }, false));
    app.runCommand(EditTestSystem);
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 0}));

    app.runCommand(ComputeExhaustive);
    screen.gridScripts.push_back(editGrid([](GridEditor& g) {
        EXPECT_EQ(g.frame().caption, "Modyfikacja systemu decyzyjnego");
        g.setCellText(0, 0, "8");
    }));
    app.runCommand(EditTestSystem);
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{8, 0}));
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_TRUE(screen.enabled(ShowExhaustive)); // the decision system's rules stay
    EXPECT_TRUE(screen.enabled(ClassifyKnn));
    EXPECT_FALSE(screen.enabled(ShowKnn));
}

TEST_F(ApplicationCommands, SaveWritesTheTableAndReportsAFailure)
{
    SystemDecyzyjny table;
    table.installValues(2, 1, {0.5f, 1, -3, 0});
    const auto source = file("in.msd", msdBytes(table));
    load(source);
    screen.saveAnswers.push_back(folder / "out.msd");
    app.runCommand(SaveSystem);
    EXPECT_EQ(bytesOf(folder / "out.msd"), bytesOf(source));
    EXPECT_EQ(screen.fileDialogs.back().filterPattern, "*.msd");
    EXPECT_TRUE(screen.messages.empty());

    screen.saveAnswers.push_back(folder / "no-such-folder" / "out.msd");
    app.runCommand(SaveSystem);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kSaveFailedMessage);
}

TEST_F(ApplicationCommands, ExportAsksForATextFileAndWritesTheResults)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    app.runCommand(ComputeExhaustive);
    app.runCommand(ComputeLem2);
    app.runCommand(ExportExhaustive); // cancelled
    EXPECT_EQ(screen.fileDialogs.back().filterLabel, "Pliki TXT");
    EXPECT_EQ(screen.fileDialogs.back().defaultSuffix, "txt");
    screen.saveAnswers.push_back(folder / "e.txt");
    app.runCommand(ExportExhaustive);
    screen.saveAnswers.push_back(folder / "l.txt");
    app.runCommand(ExportLem2);
    EXPECT_EQ(bytesOf(folder / "e.txt"), exhaustiveExportText(*state.ercim));
    EXPECT_EQ(bytesOf(folder / "l.txt"), lem2ExportText(*state.lem2));
    EXPECT_FALSE(screen.buttonVisible);
}

TEST_F(ApplicationCommands, AboutQuitAndCloseConfirmation)
{
    screen.buttonVisible = true;
    app.runCommand(About);
    EXPECT_FALSE(screen.buttonVisible);
    ASSERT_EQ(screen.drawn.size(), 3u);
    EXPECT_EQ(screen.drawn[0].text, "KOLVEN - Merivant v1.4");
    EXPECT_EQ(screen.drawn[0].y, 200);
    EXPECT_EQ(screen.drawn[2].y, 232);
    EXPECT_TRUE(screen.drawn[2].centred);

    EXPECT_FALSE(app.confirmClose());
    EXPECT_EQ(screen.questions.at(0), "Czy chcesz zakończyć działanie programu?");
    EXPECT_FALSE(screen.closed);
    screen.yesAnswer = true;
    EXPECT_TRUE(app.confirmClose());

    app.runCommand(Quit);
    EXPECT_TRUE(screen.closed);
    EXPECT_EQ(screen.questions.size(), 2u);
}

} // namespace
} // namespace kolven::testing
