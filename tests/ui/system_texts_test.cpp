#include "app_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kolven::testing {
namespace {

using enum CommandId;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;
using SystemTexts = AppTest;

TEST_F(SystemTexts, ALoadShowsTheSystemsDescriptionWhichFollowsTheNamesSettingAndIsExported)
{
    load(folder.write("t.csv", "outlook,play\nsunny,no\nrainy,yes\nsunny,yes\n"));
    EXPECT_THAT(page(), ElementsAre("System decyzyjny: t.csv", "Liczba obiektow: 3", "Liczba atrybutow warunkowych: 1",
                                    "Atrybuty:", "  a1 outlook: sunny 2, rainy 1", "  d play: no 1, yes 2",
                                    "Liczba klas decyzyjnych: 2", "  (play=no): 1", "  (play=yes): 2"));
    app.runCommand(ToggleAttributeNames);
    EXPECT_THAT(page(), ElementsAre("System decyzyjny: t.csv", "Liczba obiektow: 3", "Liczba atrybutow warunkowych: 1",
                                    "Liczba klas decyzyjnych: 2", "  (d=0.000): 1", "  (d=1.000): 2"));
    screen.saveAnswers.push_back(folder / "info.txt");
    app.runCommand(ExportSystemInfo);
    EXPECT_EQ(fileBytes(folder / "info.txt"), "System decyzyjny: t.csv\r\nLiczba obiektow: 3\r\nLiczba atrybutow warunkowych: 1\r\n"
                                              "Liczba klas decyzyjnych: 2\r\n  (d=0.000): 1\r\n  (d=1.000): 2\r\n");

    // The test system's own description, with its own .tab warning; the decision system's again.
    EXPECT_FALSE(screen.enabled(ShowTestSystemInfo));
    loadTest(folder.write("test.tab", "ATTRIBUTES 2 OBJECTS 2 x 0 1 1\n"));
    EXPECT_THAT(page(), ElementsAre("System testowy: test.tab", "Liczba obiektow: 2", "Liczba atrybutow warunkowych: 1",
                                    "1 wartosci nie jest liczbami i wczytano je jako 0.", "Liczba klas decyzyjnych: 2",
                                    "  (d=0.000): 1", "  (d=1.000): 1"));
    screen.saveAnswers.push_back(folder / "test-info.txt");
    app.exportShownResults();
    EXPECT_EQ(fileBytes(folder / "test-info.txt").substr(0, 24), "System testowy: test.tab");
    app.runCommand(ShowSystemInfo);
    EXPECT_EQ(page().front(), "System decyzyjny: t.csv");
    screen.saveAnswers.push_back(folder / "keys.txt");
    app.exportShownResults();
    EXPECT_EQ(fileBytes(folder / "keys.txt"), fileBytes(folder / "info.txt"));
    // An edited table is no longer the file's.
    screen.gridScripts.push_back(editGrid([](GridEditor& g) { g.setCellText(0, 0, "1"); }));
    app.runCommand(EditSystem);
    app.runCommand(ShowSystemInfo);
    EXPECT_EQ(page().front(), "System decyzyjny");
}

TEST_F(SystemTexts, TheConfusionMatrixAndTheRuleStatisticsSpeakInWordsWhileNamesAreShown)
{
    load(folder.write("t.csv", "outlook,play\nsunny,no\nrainy,yes\n"));
    loadTest(folder.write("test.csv", "outlook,play\nrainy,yes\nsunny,yes\nfoggy,no\n"));
    app.runCommand(ComputeLem2);
    app.runCommand(ClassifyLem2);
    EXPECT_THAT(screen.texts(), Contains("rzeczywista \\ przewidziana"));
    EXPECT_THAT(screen.texts(), Contains("no"));
    screen.saveAnswers = {folder / "named.txt", folder / "named.csv"};
    app.runCommand(ExportRuleClassification);
    app.runCommand(ExportLem2);
    EXPECT_THAT(afterTimeLine(fileBytes(folder / "named.txt")),
                ::testing::EndsWith("\r\n"
                                    "rzeczywista \\ przewidziana  no  yes  nie chwycone\r\n"
                                    "no                           0    0             1\r\n"
                                    "yes                          1    1             0\r\n"));
    EXPECT_NE(fileBytes(folder / "named.csv").find("(outlook=sunny) => (play=no)"), std::string::npos);

    app.runCommand(ToggleAttributeNames);
    app.runCommand(ShowRuleClassification);
    EXPECT_THAT(screen.texts(), Not(Contains("rzeczywista \\ przewidziana")));
    screen.saveAnswers = {folder / "numbered.txt", folder / "numbered.csv"};
    app.runCommand(ExportRuleClassification);
    app.runCommand(ExportLem2);
    EXPECT_THAT(fileBytes(folder / "numbered.txt"), ::testing::HasSubstr("\r\n       0.000  1.000  nie chwycone\r\n"));
    EXPECT_NE(fileBytes(folder / "numbered.csv").find("(a1=0.000) => (d=0.000)"), std::string::npos);
}

TEST_F(SystemTexts, SavingAsCsvKeepsTheNamesAndWordsWhateverTheWindowShows)
{
    load(folder.write("t.csv", "outlook,play\nsunny,no\nrainy,yes\n"));
    app.runCommand(ToggleAttributeNames);
    screen.saveAnswers = {folder / "out.CSV", folder / "out.msd"};
    app.runCommand(SaveSystem);
    app.runCommand(SaveSystem);
    EXPECT_EQ(screen.fileDialogs.back().filterLabel, "Pliki MSD, CSV");
    EXPECT_EQ(fileBytes(folder / "out.CSV"), "outlook,play\r\nsunny,no\r\nrainy,yes\r\n");
    EXPECT_EQ(fileBytes(folder / "out.msd"), msdBytes(*state.ercim));
}

} // namespace
} // namespace kolven::testing
