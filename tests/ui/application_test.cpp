#include "app_fixture.h"
#include "failing_allocation.h"

#include "knn.h"
#include "lem2.h"
#include "messages.h"
#include "table_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kolven::testing {
namespace {

using enum CommandId;
using Ids = std::vector<CommandId>;

const Ids kStartMenu{CreateSystem, GenerateSystem, LoadSystem, LoadTestSystem, Quit, About};
// After the first decision system, with no test system.
const Ids kSystemMenu{CreateSystem, GenerateSystem, LoadSystem,        LoadTestSystem, SaveSystem,
                      Quit,         ComputeExhaustive, EditSystem, About,          ComputeLem2,
                      ComputeExhaustiveAllOrders, ToggleAttributeNames, ComputeLem2Simplified, CrossValidate,
                      ComputeApproximations, ComputeReducts, ComputeReductJohnson, ComputeReductGreedy,
                      RestrictAttributes, DiscretizeSystem, ShowSystemInfo, ExportSystemInfo};

class ApplicationCommands : public AppTest {};

TEST_F(ApplicationCommands, StartsWithTheFileCommandsQuitAndAboutGreyedCommandsDoNothingAndQuitDoesNotAsk)
{
    EXPECT_EQ(screen.enabledCommands(), kStartMenu);
    EXPECT_EQ(screen.menu.size(), std::size_t(kCommandCount));
    EXPECT_FALSE(screen.buttonVisible);
    for (CommandId id : {ComputeExhaustive, SaveSystem, CancelComputation, CommandId(kLastCommandId + 1)}) {
        app.runCommand(id);
    }
    EXPECT_TRUE(screen.fileDialogs.empty());
    EXPECT_TRUE(screen.events.empty());

    app.runCommand(About);
    ASSERT_EQ(screen.drawn.size(), 3u);
    EXPECT_EQ(screen.drawn[0].text, "KOLVEN - Merivant v1.4");
    EXPECT_EQ(screen.drawn[0].y, 200);
    EXPECT_TRUE(screen.drawn[2].centred);

    // Closing the window asks (the long-run tests answer); Quit closes without asking.
    app.runCommand(Quit);
    EXPECT_TRUE(screen.closed);
    EXPECT_TRUE(screen.questions.empty());
}

TEST_F(ApplicationCommands, LoadInstallsTheSystemInAllThreeCopiesAndAFailedLoadChangesNothing)
{
    loadTest(tabFile("test.tab", {{1, 0}}));
    EXPECT_EQ(screen.enabledCommands(), (Ids{CreateSystem, GenerateSystem, LoadSystem, LoadTestSystem, Quit,
                                             About, EditTestSystem, ShowTestSystemInfo, ExportTestSystemInfo}));
    load(tabFile("t.tab", {{1, 2, 0}, {3.5f, 4, 1}}));
    ASSERT_TRUE(state.ercim && state.lem2);
    EXPECT_EQ(state.ercim->values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));
    EXPECT_EQ(state.lem2->values, state.ercim->values);
    EXPECT_EQ(state.knn.values, state.ercim->values);
    Ids both = kSystemMenu;
    both.insert(both.end(), {EditTestSystem, ClassifyKnn, ShowTestSystemInfo, ExportTestSystemInfo});
    std::sort(both.begin(), both.end());
    EXPECT_EQ(screen.enabledCommands(), both);
    EXPECT_EQ(screen.fileDialogs.at(0).filterPattern, "*.msd;*.tab;*.csv;*.arff");
    EXPECT_TRUE(screen.fileDialogs[0].offerAllFiles && screen.fileDialogs[0].startFolder.empty());
    const ERCIM* held = state.ercim.get();
    const auto menu = screen.menu;

    app.runCommand(LoadSystem); // cancelled: the dialog starts where the last table was chosen
    EXPECT_EQ(screen.fileDialogs.back().startFolder, (folder / "t.tab").parent_path());
    app.runCommand(LoadTestSystem);
    EXPECT_TRUE(screen.messages.empty());
    load(folder.write("bad.tab", "ATTRIBUTES 2\nOBJECTS 1\n1 2")); // no final separator
    loadTest(folder / "missing.msd");
    ASSERT_EQ(screen.messages.size(), 2u);
    EXPECT_EQ(screen.messages[0].text, "Plik jest uszkodzony!");
    EXPECT_EQ(screen.messages[0].caption, "Błąd!");
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_EQ(state.knn.values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 0}));
    EXPECT_EQ(screen.menu, menu);
    EXPECT_EQ(screen.events.back(), "flush"); // the window was cleared
}

TEST_F(ApplicationCommands, ComputingGreysItselfAndOffersItsResultsUntilTheSystemChanges)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}}));
    screen.events.clear();
    app.runCommand(ComputeExhaustive);
    // The wait line is shown before the computation starts.
    ASSERT_GE(screen.events.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(screen.events.begin(), screen.events.begin() + 3),
              (std::vector<std::string>{"clear", "draw Prosze czekac, trwa wykonywanie obliczen.", "flush"}));
    app.runCommand(ComputeLem2);
    for (auto [compute, show, exportResults] : {std::tuple{ComputeExhaustive, ShowExhaustive, ExportExhaustive},
                                                {ComputeLem2, ShowLem2, ExportLem2}}) {
        EXPECT_FALSE(screen.enabled(compute));
        EXPECT_TRUE(screen.enabled(show) && screen.enabled(exportResults));
    }

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

    // LEM2 on a table without condition attributes explains and changes nothing.
    load(tabFile("t.tab", {{0}, {1}}));
    const auto menu = screen.menu;
    app.runCommand(ComputeLem2);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kLem2NoAttributesMessage);
    EXPECT_EQ(screen.menu, menu);
}

TEST_F(ApplicationCommands, CreateAndGenerateInstallTheirTablesAndACancelRefusalOrMissingMemoryChangesNothing)
{
    // A refused range opens the dialog again with the values as typed; cancelling it keeps nothing.
    std::vector<std::string> reopened;
    screen.parameterScripts.push_back(typeParameters({"4", "2", "3", "1"}));
    screen.parameterScripts.push_back([&](ParameterDialog& dialog) {
        for (int field = 0; field < 4; ++field) {
            reopened.push_back(dialog.fieldText(ParameterField(field)));
        }
        dialog.cancel();
    });
    app.runCommand(GenerateSystem);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, refusalMessage(GeneratorRefusal::EmptyRange));
    EXPECT_EQ(reopened, (std::vector<std::string>{"4", "2", "3", "1"}));
    EXPECT_FALSE(state.ercim);
    EXPECT_EQ(screen.enabledCommands(), kStartMenu);

    screen.parameterScripts.push_back(typeParameters({"4", "2", "-2.7", "3.9"}));
    app.runCommand(GenerateSystem);
    ASSERT_TRUE(state.ercim);
    ASSERT_EQ(state.ercim->values.size(), 12u);
    EXPECT_TRUE(std::all_of(state.ercim->values.begin(), state.ercim->values.end(), [](float v) { return v >= -2 && v <= 3; }));

    // Either dialog of Create cancelled, or memory running out, keeps the table, its rules and the menu.
    app.runCommand(ComputeExhaustive);
    const ERCIM* held = state.ercim.get();
    const auto menu = screen.menu;
    screen.parameterScripts.push_back(typeParameters({"3", "2"}, false));
    app.runCommand(CreateSystem);
    screen.parameterScripts.push_back(typeParameters({"3", "2"}));
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "9"); }, false));
    app.runCommand(CreateSystem);
    screen.parameterScripts.push_back(typeParameters({"2147483647", "2147483647"}));
    app.runCommand(CreateSystem);
    screen.parameterScripts.push_back(typeParameters({"2147483647", "2147483647", "0", "1"}));
    app.runCommand(GenerateSystem);
    ASSERT_EQ(screen.messages.size(), 3u);
    EXPECT_EQ(screen.messages[2].text, kOutOfMemoryMessage);
    EXPECT_EQ(screen.messages[2].caption, "Błąd!");
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_EQ(screen.menu, menu);

    screen.parameterScripts.push_back(typeParameters({"3", "2"}));
    screen.gridScripts.push_back(editGrid({}));
    app.runCommand(CreateSystem);
    EXPECT_EQ(state.ercim->values.size(), 9u);
    EXPECT_EQ(screen.enabledCommands(), kSystemMenu);
}

TEST_F(ApplicationCommands, KnnDialogDecidesTheRunAChangedSystemGreysItsResultsAndRefusedOrOutOfMemoryKeepsThem)
{
    load(tabFile("t.tab", {{1, 0}, {2, 1}, {3, 1}}));
    loadTest(tabFile("test.tab", {{1, 0}, {3, 1}}));
    app.runCommand(ClassifyKnn); // cancelled
    EXPECT_FALSE(screen.enabled(ShowKnn));

    screen.knnScripts.push_back(typeK("0"));
    app.runCommand(ClassifyKnn);
    ASSERT_TRUE(screen.enabled(ShowKnn));
    EXPECT_EQ(screen.drawn.back().text, knnResultsText(state.knn));
    EXPECT_EQ(screen.drawn.back().y, 16);

    // The test system is installed only on OK; the decision system and its rules stay.
    app.runCommand(ComputeExhaustive);
    const ERCIM* held = state.ercim.get();
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "8"); }, false));
    app.runCommand(EditTestSystem);
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 0, 3, 1}));
    EXPECT_TRUE(screen.enabled(ShowKnn));
    screen.gridScripts.push_back(editGrid([](GridEditor& g) {
        EXPECT_EQ(g.frame().caption, "Modyfikacja systemu decyzyjnego");
        g.setCellText(0, 0, "8");
    }));
    app.runCommand(EditTestSystem);
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{8, 0, 3, 1}));
    EXPECT_EQ(state.ercim.get(), held);
    EXPECT_TRUE(screen.enabled(ShowExhaustive) && screen.enabled(ClassifyKnn));
    EXPECT_FALSE(screen.enabled(ShowKnn));

    // A new decision system keeps the test system, k and the last results (the refusal below finds
    // them as they were), and greys them.
    screen.knnScripts.push_back(typeK("1"));
    app.runCommand(ClassifyKnn);
    ASSERT_TRUE(screen.enabled(ShowKnn));
    const auto caught = state.knn.caughtCount;
    load(tabFile("other.tab", {{5, 0}, {6, 0}, {7, 1}}));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{8, 0, 3, 1}));
    EXPECT_FALSE(screen.enabled(ShowKnn));

    // A refused run, or one that runs out of memory, keeps k, the last results and the menu.
    loadTest(tabFile("wide.tab", {{1, 1, 0}}));
    auto menu = screen.menu;
    screen.knnScripts.push_back(typeK("5"));
    app.runCommand(ClassifyKnn);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, kKnnAttributeMismatchMessage);
    EXPECT_EQ(state.knn.k, 1u);
    EXPECT_EQ(state.knn.caughtCount, caught);
    EXPECT_EQ(screen.menu, menu);

    loadTest(folder / "test.tab");
    screen.messages.clear();
    // Every allocation of a run fails in turn, until one run completes; each failure must leave
    // the k the last results were made with.
    for (long before = 0; screen.messages.size() == std::size_t(before); ++before) {
        menu = screen.menu;
        screen.knnScripts.push_back(typeK("5"));
        failAfter(before);
        app.startCommand(ClassifyKnn);
        disarmFailure();
        app.settle();
        if (screen.messages.size() > std::size_t(before)) {
            EXPECT_EQ(screen.messages.back().text, kOutOfMemoryMessage);
            EXPECT_EQ(state.knn.k, 1u) << before;
            EXPECT_EQ(state.knn.caughtCount, caught);
            EXPECT_EQ(screen.menu, menu);
        }
    }
    ASSERT_GT(screen.messages.size(), 3u);
    EXPECT_EQ(state.knn.k, 1u) << "the run that completed lowered k to the smallest class";
}

TEST_F(ApplicationCommands, SaveAndExportWriteTheirFilesAndAFailedWriteIsReported)
{
    load(tabFile("t.tab", {{0.5f, 1}, {-3, 0}}));
    app.runCommand(ComputeExhaustive);
    app.runCommand(ComputeLem2);
    app.runCommand(SaveSystem); // cancelled
    EXPECT_EQ(screen.fileDialogs.back().filterPattern, "*.msd;*.csv");
    EXPECT_FALSE(screen.fileDialogs.back().offerAllFiles) << "saving offers only its own type";
    app.runCommand(ExportExhaustive); // cancelled
    EXPECT_EQ(screen.fileDialogs.back().filterLabel, "Pliki TXT");
    // A rule export to a name ending in .csv, in any case, writes the rules' statistics.
    screen.saveAnswers = {folder / "out.msd", folder / "e.txt", folder / "l.txt", folder / "l.CSV"};
    for (CommandId command : {SaveSystem, ExportExhaustive, ExportLem2, ExportLem2}) {
        app.runCommand(command);
    }
    EXPECT_EQ(fileBytes(folder / "out.msd"), msdBytes(*state.ercim));
    EXPECT_EQ(fileBytes(folder / "e.txt"), exhaustiveExportText(*state.ercim));
    EXPECT_EQ(fileBytes(folder / "l.txt"), lem2ExportText(*state.lem2));
    EXPECT_EQ(fileBytes(folder / "l.CSV").rfind("rule,length,support,matched,accuracy,coverage\r\n", 0), 0u);
    EXPECT_TRUE(screen.messages.empty());
    EXPECT_FALSE(screen.buttonVisible);

    // A file that cannot be written is reported, an export like a save: silence would pass for success.
    for (CommandId command : {SaveSystem, ExportExhaustive, ExportLem2}) {
        screen.saveAnswers = {folder / "missing/out.txt"};
        app.runCommand(command);
    }
    ASSERT_EQ(screen.messages.size(), 3u);
    for (const auto& message : screen.messages) {
        EXPECT_EQ(message.text, kSaveFailedMessage);
        EXPECT_EQ(message.caption, kErrorCaption);
    }
}

} // namespace
} // namespace kolven::testing
