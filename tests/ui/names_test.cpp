#include "app_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolven::testing {
namespace {

using enum CommandId;
using ::testing::Contains;
using NamesInTheWindow = AppTest;

TEST_F(NamesInTheWindow, TheToggleSwitchesListingsAndExportsBetweenNamesAndNumbers)
{
    EXPECT_TRUE(screen.checked.at(ToggleAttributeNames));
    load(folder.write("t.csv", "outlook,play\nsunny,no\nrainy,yes\n"));
    app.runCommand(ComputeLem2);
    EXPECT_THAT(screen.texts(), Contains(" (outlook=sunny) => (play=no)"));
    screen.saveAnswers.push_back(folder / "named.txt");
    app.runCommand(ExportLem2);
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "named.txt")), " (outlook=sunny) => (play=no)\r\n (outlook=rainy) => (play=yes)\r\n");

    app.runCommand(ShowLem2);
    app.runCommand(ToggleAttributeNames);
    EXPECT_FALSE(screen.checked.at(ToggleAttributeNames));
    EXPECT_THAT(screen.texts(), Contains(" (a1=0.000) => (d=0.000)")) << "the listing on the window is drawn again";
    screen.saveAnswers.push_back(folder / "numbered.txt");
    app.runCommand(ExportLem2);
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "numbered.txt")), " (a1=0.000) => (d=0.000)\r\n (a1=1.000) => (d=1.000)\r\n");

    app.runCommand(ToggleAttributeNames); // nothing is listed after the export: nothing is drawn
    EXPECT_TRUE(screen.drawn.empty());
    app.runCommand(ComputeExhaustive);
    EXPECT_THAT(screen.texts(), Contains(" (outlook=rainy) => (play=yes)"));
}

TEST_F(NamesInTheWindow, EditingKeepsTheNamesAndANewTableHasNone)
{
    const auto named = folder.write("t.arff", "@relation r\n@attribute a {x,y}\n@attribute d {p,q}\n@data\nx,p\ny,q\n");
    load(named);
    screen.parameterScripts.push_back(typeParameters({"2", "1", "0", "1"}));
    app.runCommand(GenerateSystem);
    EXPECT_TRUE(state.names.empty());
    load(named);
    const TableNames names = state.names;
    ASSERT_EQ(names.columns.size(), 2u);
    screen.gridScripts.push_back(editGrid([](GridEditor& g) {
        EXPECT_EQ(g.columnLabel(0) + " " + g.cellText(0, 0), "a x");
        g.setCellText(0, 0, "y");
    }));
    app.runCommand(EditSystem);
    EXPECT_EQ(state.names, names);
    EXPECT_EQ(state.ercim->values[0], 1.0f) << "the typed word";
    screen.parameterScripts.push_back(typeParameters({"2", "1"}));
    screen.gridScripts.push_back(editGrid({}));
    app.runCommand(CreateSystem);
    EXPECT_TRUE(state.names.empty());
}

TEST_F(NamesInTheWindow, LoadsExplainRefusalsAndWarnAboutTabWords)
{
    load(folder.write("bad.arff", "@relation r\n@attribute s string\n@data\n"));
    ASSERT_EQ(screen.messages.size(), 1u);
    EXPECT_EQ(screen.messages[0].text, "Plik jest uszkodzony!\nbad.arff, wiersz 2: atrybut \"s\" jest typu string, a "
                                       "czytane sa tylko atrybuty nominalne i liczbowe");

    load(folder.write("words.tab", "ATTRIBUTES 2 OBJECTS 2\nyes 0\nno 1\n"));
    ASSERT_EQ(screen.messages.size(), 2u);
    EXPECT_EQ(screen.messages[1].text, "2 wartosci nie jest liczbami i wczytano je jako 0.");
    EXPECT_EQ(screen.messages[1].caption, "Uwaga!");
    EXPECT_TRUE(state.ercim);
}

TEST_F(NamesInTheWindow, TestSystemWordsAreNumberedAsTheDecisionSystemNumbersThem)
{
    loadTest(folder.write("test.csv", "c,d\na,x\nb,y\n"));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{0, 0, 1, 1}));
    load(folder.write("train.csv", "c,d\nb,y\na,x\n"));
    EXPECT_EQ(state.knn.testSystem.values, (std::vector<float>{1, 1, 0, 0}));
}

} // namespace
} // namespace kolven::testing
