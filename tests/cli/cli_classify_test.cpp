#include "cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::CliRun;
using testing::data;
using testing::fileBytes;
using testing::lineStarting;
using testing::run;

using CliClassify = testing::CliTest;

TEST_F(CliClassify, ClassifiesByTheRulesInducedFromTheTrainingTable)
{
    // LEM2 finds (a1=1) => 1 [2] and (a1=2) => 2 [2]; the exhaustive search finds those and
    // (a2=5) => 1, which alone catches the object (3, 5).
    const std::string train = write("train.tab", "ATTRIBUTES 3 OBJECTS 4\n1 5 1\n1 6 1\n2 7 2\n2 8 2\n");
    const std::string test = write("test.tab", "ATTRIBUTES 3 OBJECTS 3\n1 0 1\n2 0 1\n3 5 1\n");
    const std::string xor_ = data("xor.tab");
    // The same, three times over: three folds each train on every row of the exclusive-or.
    const std::string xorRows = "0 0 0\n0 1 1\n1 0 1\n1 1 0\n";
    const std::string xor3 = write("xor3.tab", "ATTRIBUTES 3 OBJECTS 12\n" + xorRows + xorRows + xorRows);
    const std::vector<std::string> cv{"cv", xor3, "--method", "exhaustive", "--folds", "3", "--seed", "3"};
    std::vector<std::string> cvAllOrders = cv;
    cvAllOrders.push_back("--all-orders");
    // Each run's report holds the line that starts as the expected one up to its colon.
    for (const auto& [args, line] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"classify", train, test, "--rules", "lem2"}, "Ilosc obiektow poprawnie sklasyfikowanych: 1"},
             {{"classify", train, test, "--rules", "exhaustive"}, "Ilosc obiektow poprawnie sklasyfikowanych: 2"},
             {{"classify", train, test, "--rules", "lem2", "--simplify"}, "Reguly: LEM2 (uproszczone)"},
             {{"classify", train, test, "--rules", "lem2", "--partial"}, "Reguly: LEM2, dopasowanie czesciowe"},
             {{"classify", train, test, "--rules", "lem2", "--partial", "--vote-by-decision"},
              "Reguly: LEM2, dopasowanie czesciowe, glosy wedlug decyzji"},
             // The exclusive-or table has rules of order 2 only, which the listing stops short of.
             {{"classify", xor_, xor_, "--rules", "exhaustive"}, "Ilosc obiektow chwyconych: 0"},
             {{"classify", xor_, xor_, "--rules", "exhaustive", "--all-orders"}, "Ilosc obiektow chwyconych: 4"},
             {cv, "Razem: obiekty 12, chwycone 0, poprawne 0, accuracy 0.000, coverage 0.000"},
             {cvAllOrders, "Razem: obiekty 12, chwycone 12, poprawne 12, accuracy 1.000, coverage 1.000"}}) {
        EXPECT_EQ(lineStarting(run(args).out, line.substr(0, line.find(':'))), line);
    }
}

// Each fold's line of a cross-validation is what the same classifier gives when run on the fold's
// two files.
TEST_F(CliClassify, EveryFoldReranFromItsFilesGivesItsLine)
{
    struct Case {
        std::vector<std::string> cv;
        std::vector<std::string> rerun; // after TRAIN TEST
        std::string method;             // as the report's first line names it
    };
    const std::vector<Case> cases{
        {{"--method", "knn", "-k", "3"}, {"knn", "-k", "3"}, "knn"},
        {{"--method", "lem2", "--simplify"}, {"classify", "--rules", "lem2", "--simplify"}, "lem2 (uproszczone)"},
        {{"--method", "exhaustive", "--all-orders"}, {"classify", "--rules", "exhaustive", "--all-orders"},
         "exhaustive (wszystkie reguly)"},
        {{"--method", "lem2", "--partial"}, {"classify", "--rules", "lem2", "--partial"}, "lem2, dopasowanie czesciowe"},
        // Some folds' objects meet only rules of both decisions, which voting by decision settles.
        {{"--method", "lem2", "--partial", "--vote-by-decision"},
         {"classify", "--rules", "lem2", "--partial", "--vote-by-decision"},
         "lem2, dopasowanie czesciowe, glosy wedlug decyzji"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"cv", data("breast-cancer.tab"), "--folds", "4", "--seed", "77", "--folds-dir",
                                      file("folds")};
        args.insert(args.end(), c.cv.begin(), c.cv.end());
        const CliRun cv = run(args);
        ASSERT_EQ(cv.code, kExitOk) << cv.err;
        EXPECT_EQ(lineStarting(cv.out, "Walidacja"), "Walidacja krzyzowa: 4 czesci, metoda " + c.method + ", ziarno 77");
        for (int fold = 1; fold <= 4; ++fold) {
            const std::string name = file("folds") + "/fold" + std::to_string(fold);
            std::vector<std::string> rerun{c.rerun[0], name + "-train.msd", name + "-test.msd"};
            rerun.insert(rerun.end(), c.rerun.begin() + 1, c.rerun.end());
            const std::string out = run(rerun).out;
            const auto count = [&out](const std::string& label) {
                const std::string line = lineStarting(out, label);
                return line.substr(line.rfind(' ') + 1);
            };
            const std::string expected = "Czesc " + std::to_string(fold) + ": obiekty " +
                                         count("Ilosc obiektow systemu testowego") + ", chwycone " +
                                         count("Ilosc obiektow chwyconych") + ", poprawne " +
                                         count("Ilosc obiektow poprawnie") + ", accuracy " + count("Total accuracy") +
                                         ", coverage " + count("Total coverage");
            EXPECT_EQ(lineStarting(cv.out, "Czesc " + std::to_string(fold) + ":"), expected) << c.rerun[0];
        }
    }
}

TEST_F(CliClassify, RuleCommandsWriteTheirStatisticsBesideTheExport)
{
    const std::string table = write("t.tab", "ATTRIBUTES 3 OBJECTS 3\n1 5 1\n1 6 1\n2 5 2\n");
    for (const std::string command : {"exhaustive", "lem2"}) {
        const CliRun r = run({command, table, "--stats", file("stats.csv"), "-o", file("rules.txt")});
        ASSERT_EQ(r.code, kExitOk) << r.err;
        EXPECT_NE(fileBytes(file("rules.txt")).find("\n (a1=1.000) => (d=1.000) [2]\r\n"), std::string::npos) << command;
        EXPECT_EQ(fileBytes(file("stats.csv")).substr(47, 48), " (a1=1.000) => (d=1.000) [2],1,2,2,1.000,1.000\r\n");
    }
}

} // namespace
} // namespace kolven
