#include "cli_run.h"
#include "knn.h"
#include "lem2.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;
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
    const std::string lem2 = afterTimeLine(run({"classify", train, test, "--rules", "lem2"}).out);
    EXPECT_EQ(lem2, "Reguly: LEM2\r\n"
                    "Ilosc obiektow systemu testowego: 3\r\n"
                    "Ilosc obiektow chwyconych: 2\r\n"
                    "Ilosc obiektow poprawnie sklasyfikowanych: 1\r\n"
                    "Total accuracy: 0.500\r\n"
                    "Total coverage: 0.667\r\n"
                    "\r\n"
                    "       1.000  2.000  nie chwycone\r\n"
                    "1.000      1      1             1\r\n");
    const CliRun exhaustive = run({"classify", train, test, "--rules", "exhaustive", "-o", file("out.txt")});
    EXPECT_EQ(exhaustive.code, kExitOk) << exhaustive.err;
    EXPECT_EQ(exhaustive.out, "");
    EXPECT_EQ(lineStarting(fileBytes(file("out.txt")), "Reguly:"), "Reguly: Exhaustive");
    EXPECT_EQ(lineStarting(fileBytes(file("out.txt")), "Ilosc obiektow poprawnie"),
              "Ilosc obiektow poprawnie sklasyfikowanych: 2");
    EXPECT_EQ(lineStarting(run({"classify", train, test, "--rules", "lem2", "--simplify"}).out, "Reguly:"),
              "Reguly: LEM2 (uproszczone)");
    // The exclusive-or table has rules of order 2 only, which the listing stops short of.
    const std::string xor_ = data("xor.tab");
    EXPECT_EQ(lineStarting(run({"classify", xor_, xor_, "--rules", "exhaustive"}).out, "Ilosc obiektow chwyconych"),
              "Ilosc obiektow chwyconych: 0");
    EXPECT_EQ(lineStarting(run({"classify", xor_, xor_, "--rules", "exhaustive", "--all-orders"}).out,
                           "Ilosc obiektow chwyconych"),
              "Ilosc obiektow chwyconych: 4");
}

TEST_F(CliClassify, RefusalsExitWithAReasonAndLeaveNoFile)
{
    const std::string narrow = write("narrow.tab", "ATTRIBUTES 2 OBJECTS 2\n1 0\n2 1\n");
    const std::string wide = write("wide.tab", "ATTRIBUTES 3 OBJECTS 2\n1 1 0\n2 2 1\n");
    const std::string bare = write("bare.tab", "ATTRIBUTES 1 OBJECTS 3\n0\n1\n0\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message; // a part of stderr
    };
    const std::vector<Case> cases{
        {{"classify", narrow, wide, "--rules", "lem2"}, kExitFailed, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, wide, "--rules", "exhaustive"}, kExitFailed, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, narrow, "--rules", "exhaustive", "--simplify"}, kExitFailed, "--simplify"},
        {{"classify", narrow, narrow, "--rules", "knn"}, kExitUsage, "--rules"},
        {{"classify", narrow, narrow}, kExitUsage, "--rules"},
        {{"cv", narrow, "--method", "knn", "--folds", "1"}, kExitFailed, "od 2 do liczby obiektow"},
        {{"cv", narrow, "--method", "knn", "--folds", "3"}, kExitFailed, "od 2 do liczby obiektow"},
        {{"cv", bare, "--method", "lem2", "--folds", "2"}, kExitFailed, std::string(kLem2NoAttributesMessage)},
        {{"cv", narrow, "--method", "exhaustive", "--simplify", "--folds", "2"}, kExitFailed, "--simplify"},
        {{"cv", narrow, "--method", "bayes"}, kExitUsage, "--method"},
        {{"cv", narrow, "--method", "knn", "--folds", "2", "--folds-dir", file("narrow.tab")}, kExitFailed, "fold1-train.msd"},
        {{"lem2", narrow, "--stats", file("missing/stats.csv")}, kExitFailed, "stats.csv"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", file("out.txt")});
        const CliRun r = run(args);
        EXPECT_EQ(r.code, c.code) << args[0] << " " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file("out.txt"))) << args[0];
    }
}

TEST_F(CliClassify, EveryFoldReranFromItsFilesGivesItsLine)
{
    struct Case {
        std::vector<std::string> cv;
        std::vector<std::string> rerun; // after TRAIN TEST
    };
    const std::vector<Case> cases{
        {{"--method", "knn", "-k", "3"}, {"knn", "-k", "3"}},
        {{"--method", "lem2", "--simplify"}, {"classify", "--rules", "lem2", "--simplify"}},
        {{"--method", "exhaustive"}, {"classify", "--rules", "exhaustive"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"cv", data("breast-cancer.tab"), "--folds", "4", "--seed", "77", "--folds-dir",
                                      file("folds")};
        args.insert(args.end(), c.cv.begin(), c.cv.end());
        const CliRun cv = run(args);
        ASSERT_EQ(cv.code, kExitOk) << cv.err;
        EXPECT_EQ(cv.err, "");
        EXPECT_EQ(lineStarting(cv.out, "Walidacja"),
                  "Walidacja krzyzowa: 4 czesci, metoda " + c.cv[1] + (c.cv.size() > 2 && c.cv[2] == "--simplify" ? " (uproszczone)" : "") + ", ziarno 77");
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

TEST_F(CliClassify, CvWithoutASeedTellsTheClockSeedThatRepeatsIt)
{
    const CliRun first = run({"cv", data("iris.tab"), "--method", "lem2"});
    ASSERT_EQ(first.code, kExitOk);
    ASSERT_EQ(first.err.rfind("seed: ", 0), 0u) << first.err;
    const std::string seed = first.err.substr(6, first.err.size() - 7);
    EXPECT_EQ(first.err.back(), '\n');
    const CliRun again = run({"cv", data("iris.tab"), "--method", "lem2", "--seed", seed});
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(afterTimeLine(again.out), afterTimeLine(first.out));
    EXPECT_EQ(lineStarting(again.out, "Walidacja"), "Walidacja krzyzowa: 10 czesci, metoda lem2, ziarno " + seed);
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
