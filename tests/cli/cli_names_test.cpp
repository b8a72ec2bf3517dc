#include "cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;
using testing::CliRun;
using testing::data;
using testing::fileBytes;
using testing::run;

using CliNames = testing::CliTest;

TEST_F(CliNames, WithCodesAnArffTableGivesWhatItsNumberedTabGives)
{
    const std::string arff = data("weather.nominal.arff");
    const std::string tab = data("weather.nominal.tab");
    for (const auto& [coded, numbered] : std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
             {{"lem2", "--codes", arff}, {"lem2", tab}},
             {{"exhaustive", "--codes", arff}, {"exhaustive", tab}},
             {{"knn", "--codes", arff, arff}, {"knn", tab, tab}},
             {{"classify", "--codes", arff, arff, "--rules", "lem2"}, {"classify", tab, tab, "--rules", "lem2"}}}) {
        const CliRun r = run(coded);
        EXPECT_EQ(r.code, kExitOk) << r.err;
        EXPECT_EQ(afterTimeLine(r.out), afterTimeLine(run(numbered).out)) << coded[0];
    }
}

TEST_F(CliNames, KnnNumbersTheTestTableWordsAsTheTrainingTableDoes)
{
    const std::string train = write("train.csv", "c,d\nb,y\na,x\n");
    const std::string test = write("test.csv", "c,d\na,y\nb,x\n"); // every answer is wrong
    EXPECT_NE(run({"knn", train, test}).out.find("Ilosc obiektow poprawnie sklasyfikowanych: 0\r\n"), std::string::npos);
}

TEST_F(CliNames, NamedTablesShowTheirWordsAndChooseTheirDecision)
{
    // The rules as the numbered table gives them (weather.nominal.lem2.txt), in words.
    const std::string rules = afterTimeLine(run({"lem2", data("weather.nominal.arff")}).out);
    EXPECT_TRUE(rules.starts_with(" (humidity=normal) & (windy=FALSE) => (play=yes) [4]\r\n"
                                  " (outlook=overcast) => (play=yes) [3]\r\n")) << rules;
    EXPECT_EQ(run({"info", data("weather.nominal.arff")}).out,
              "Liczba obiektow: 14\nLiczba atrybutow warunkowych: 4\nAtrybuty:\n"
              "  a1 outlook: sunny 5, overcast 4, rainy 5\n  a2 temperature: hot 4, mild 6, cool 4\n"
              "  a3 humidity: high 7, normal 7\n  a4 windy: TRUE 6, FALSE 8\n  d play: yes 9, no 5\n"
              "Liczba klas decyzyjnych: 2\n  (play=yes): 9\n  (play=no): 5\n");
    // The confusion matrix says which axis is which, in the decision's words.
    EXPECT_TRUE(run({"classify", data("weather.nominal.arff"), data("weather.nominal.arff"), "--rules", "lem2"})
                    .out.ends_with("\r\nrzeczywista \\ przewidziana  yes  no  nie chwycone\r\n"
                                   "yes                           9   0             0\r\n"
                                   "no                            0   5             0\r\n"));
    const std::string byHumidity = run({"info", "--decision", "humidity", data("weather.nominal.arff")}).out;
    EXPECT_NE(byHumidity.find("  a4 play: yes 9, no 5\n  d humidity: high 7, normal 7\n"), std::string::npos) << byHumidity;
    EXPECT_EQ(run({"info", "--codes", data("weather.nominal.arff")}).out,
              "Liczba obiektow: 14\nLiczba atrybutow warunkowych: 4\n"
              "Liczba klas decyzyjnych: 2\n  (d=0.000): 9\n  (d=1.000): 5\n");
}

// A word holding a line break stays on its rule's line, quoted with the break escaped, and the
// --stats file lists the rules as -o does, with their names.
TEST_F(CliNames, RuleTextsKeepOneLineAndTheStatisticsNameAsTheRules)
{
    const std::string table = write("t.csv", "\"hot\nday\",play\n\"a\nb\",yes\nc,no\n");
    const std::string stats = file("stats.csv");
    const CliRun r = run({"lem2", table, "--stats", stats});
    EXPECT_EQ(afterTimeLine(r.out), " (\"hot\\nday\"=\"a\\nb\") => (play=yes)\r\n (\"hot\\nday\"=c) => (play=no)\r\n");
    EXPECT_EQ(fileBytes(stats), "rule,length,support,matched,accuracy,coverage\r\n"
                                "\" (\"\"hot\\nday\"\"=\"\"a\\nb\"\") => (play=yes)\",1,1,1,1.000,1.000\r\n"
                                "\" (\"\"hot\\nday\"\"=c) => (play=no)\",1,1,1,1.000,1.000\r\n");
    // A numeric -1 is a number, not a missing word.
    const std::string negative = write("n.csv", "a,d\n-1,x\n2,y\n");
    EXPECT_NE(run({"lem2", negative}).out.find(" (a=-1.000) => (d=x)"), std::string::npos);
    run({"convert", negative, "-o", file("back.csv")});
    EXPECT_EQ(fileBytes(file("back.csv")), "a,d\r\n-1,x\r\n2,y\r\n");
    const std::string weighted = write("w.arff", "@relation r\n@attribute a {x}\n@attribute d {y}\n@data\nx,y,{2}\n");
    EXPECT_NE(run({"info", weighted}).out.find("(wierszy z waga: 1)"), std::string::npos);
    const std::string spaced = write("s.csv", "a b d\n1 2 x\n");
    EXPECT_NE(run({"info", "--separator", " ", spaced}).out.find("warunkowych: 2\n"), std::string::npos);
    EXPECT_NE(run({"info", table}).out.find("  a1 \"hot\\nday\": \"a\\nb\" 1, c 1\n"), std::string::npos);
}

TEST_F(CliNames, ConvertWritesCsvThatReadsBackAndWarnsAboutTabWords)
{
    const std::string csv = file("w.csv");
    ASSERT_EQ(run({"convert", data("contact-lenses.arff"), "-o", csv}).code, kExitOk);
    EXPECT_EQ(fileBytes(csv).substr(0, 66),
              "age,spectacle-prescrip,astigmatism,tear-prod-rate,contact-lenses\r\n");
    // A .tab table through .msd to .csv.
    ASSERT_EQ(run({"convert", data("two-objects.tab"), "-o", file("t.msd")}).code, kExitOk);
    ASSERT_EQ(run({"convert", file("t.msd"), "-o", csv}).code, kExitOk);
    EXPECT_EQ(fileBytes(csv), "a1,a2,d\r\n1,2,0\r\n3.5,4,1\r\n");

    const std::string words = write("words.tab", "ATTRIBUTES 2 OBJECTS 2\nyes 0\nno 1\n");
    const CliRun info = run({"info", words});
    EXPECT_NE(info.out.find("\n2 wartosci nie jest liczbami i wczytano je jako 0.\n"), std::string::npos) << info.out;
    const CliRun lem2 = run({"lem2", words});
    EXPECT_EQ(lem2.code, kExitOk);
    EXPECT_EQ(lem2.err, "kolven-cli: " + words + ": 2 wartosci nie jest liczbami i wczytano je jako 0.\n");
}

} // namespace
} // namespace kolven
