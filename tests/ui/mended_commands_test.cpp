#include "app_fixture.h"

#include "ercim.h"
#include "lem2.h"
#include "table_files.h"
#include "text_format.h"

#include <gtest/gtest.h>

#include <set>

namespace kolven::testing {
namespace {

using enum CommandId;

using MendedCommands = AppTest;

TEST_F(MendedCommands, ExportThatCannotBeWrittenSaysSoLikeASave)
{
    loadDistinctObjects(3);
    app.runCommand(ComputeExhaustive);
    app.runCommand(ComputeLem2);
    screen.saveAnswers = {folder / "missing/e.txt", folder / "missing/l.txt", folder / "l.txt"};
    app.runCommand(ExportExhaustive);
    app.runCommand(ExportLem2);
    ASSERT_EQ(screen.messages.size(), 2u);
    for (const auto& message : screen.messages) {
        EXPECT_EQ(message.text, kSaveFailedMessage);
        EXPECT_EQ(message.caption, kErrorCaption);
    }
    app.runCommand(ExportLem2);
    EXPECT_EQ(screen.messages.size(), 2u) << "a written export says nothing";
    EXPECT_EQ(fileBytes(folder / "l.txt"), lem2ExportText(*state.lem2));
}

TEST_F(MendedCommands, PageBottomIsTakenOnceAndNoPageIsTooShortToMoveTheListingOn)
{
    // A page with no room for a rule line under the carried header would repeat itself for ever.
    screen.setPageBottom(0);
    loadDistinctObjects(12);
    app.runCommand(ComputeExhaustive);
    const auto shortPages = pagesFromHere();
    EXPECT_FALSE(screen.buttonEnabled) << "the listing ended";
    std::set<std::string> listed;
    for (const auto& shown : shortPages) {
        listed.insert(shown.begin(), shown.end());
    }
    for (int i = 0; i < 12; ++i) {
        const std::string rule = " (a1=" + std::to_string(i) + ".000) => (d=" + std::to_string(i) + ".000)";
        EXPECT_TRUE(listed.contains(rule)) << rule;
    }

    // A window grown later does not change the page.
    screen.setPageBottom(600);
    app.runCommand(ShowExhaustive);
    EXPECT_EQ(pagesFromHere(), shortPages);
}

TEST_F(MendedCommands, ExhaustiveResultsWithoutAnyRuleSaySoOnScreenButNotInTheExport)
{
    load(tabFile("none.tab", {{0}, {1}}));
    app.runCommand(ComputeExhaustive);
    ASSERT_EQ(screen.texts().size(), 2u);
    EXPECT_EQ(screen.texts()[1], kNoRulesText);
    screen.saveAnswers = {folder / "e.txt"};
    app.runCommand(ExportExhaustive);
    EXPECT_EQ(fileBytes(folder / "e.txt"), elapsedTimeLine(state.ercim->elapsedSeconds));

    loadDistinctObjects(2);
    app.runCommand(ComputeExhaustive);
    EXPECT_EQ(screen.texts(), (std::vector<std::string>{screen.texts()[0], "Rzad: 1", " (a1=0.000) => (d=0.000)",
                                                        " (a1=1.000) => (d=1.000)"}));
}

TEST_F(MendedCommands, RefusedRangeOpensTheDialogAgainWithTheTypedValues)
{
    std::vector<std::string> reopened;
    screen.parameterScripts.push_back(typeParameters({"4", "2", "5", "3.5"}));
    screen.parameterScripts.push_back([&](ParameterDialog& dialog) {
        for (ParameterField field : {ParameterField::Objects, ParameterField::Attributes, ParameterField::Minimum,
                                     ParameterField::Maximum}) {
            reopened.push_back(dialog.fieldText(field));
        }
        dialog.setFieldText(ParameterField::Maximum, "9");
        dialog.accept();
    });
    app.runCommand(GenerateSystem);
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, refusalMessage(GeneratorRefusal::EmptyRange));
    EXPECT_EQ(reopened, (std::vector<std::string>{"4", "2", "5", "3.5"}));
    ASSERT_TRUE(state.ercim);
    EXPECT_EQ(state.currentObjectCount, 4u);
    for (float v : state.ercim->values) {
        EXPECT_TRUE(v >= 5 && v <= 9) << v;
    }
}

TEST(ParameterDialogReason, DisabledOkSaysWhyOnlyForZeroObjects)
{
    ParameterDialog dialog(ParameterDialogMode::Create);
    dialog.setFieldText(ParameterField::Objects, "0");
    EXPECT_EQ(dialog.okDisabledReason(), "") << "an empty field needs no explanation";
    dialog.setFieldText(ParameterField::Attributes, "2");
    EXPECT_FALSE(dialog.okEnabled());
    EXPECT_EQ(dialog.okDisabledReason(), "Liczba obiektow musi byc wieksza od zera.");
    dialog.setFieldText(ParameterField::Objects, "3");
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(dialog.okDisabledReason(), "");
}

TEST_F(MendedCommands, OpenDialogOffersAllFilesAndStartsWhereTheLastTableWasChosen)
{
    app.runCommand(LoadSystem); // cancelled
    ASSERT_EQ(screen.fileDialogs.size(), 1u);
    EXPECT_TRUE(screen.fileDialogs[0].offerAllFiles);
    EXPECT_TRUE(screen.fileDialogs[0].startFolder.empty());
    loadDistinctObjects(2);
    app.runCommand(LoadTestSystem); // cancelled
    EXPECT_EQ(screen.fileDialogs.back().startFolder, (folder / "t.tab").parent_path());
    screen.saveAnswers = {std::nullopt};
    app.runCommand(SaveSystem);
    EXPECT_FALSE(screen.fileDialogs.back().offerAllFiles) << "saving offers only its own type";
}

} // namespace
} // namespace kolven::testing
