#include "cli_run.h"
#include "lem2.h"
#include "table_files.h"

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
using testing::run;

using Cli = testing::CliTest;

TEST_F(Cli, EachComputationWritesTheSameExportToStandardOutputAndToTheFile)
{
    const std::string train = write("train.tab", "ATTRIBUTES 2 OBJECTS 6\n0 1\n1 1\n2 1\n10 2\n11 2\n12 2\n");
    const std::string test = write("test.tab", "ATTRIBUTES 2 OBJECTS 3\n1 1\n11 2\n6 1\n");
    const std::string knnReport = "Parametr k = 2\r\n"
                                  "Ilosc obiektow systemu testowego: 3\r\n"
                                  "Ilosc obiektow chwyconych: 2\r\n"
                                  "Ilosc obiektow poprawnie sklasyfikowanych: 2\r\n"
                                  "Total accuracy: 1.000\r\n"
                                  "Total coverage: 0.667\r\n";
    struct Case {
        std::vector<std::string> args;
        std::string expected; // after the time line
    };
    const std::vector<Case> cases{
        {{"exhaustive", data("worked-example.tab")}, fileBytes(data("worked-example.exhaustive.txt"))},
        {{"exhaustive", data("weather.nominal.tab")}, fileBytes(data("weather.nominal.exhaustive.txt"))},
        {{"exhaustive", data("xor.tab")}, ""},
        {{"lem2", data("weather.nominal.tab")}, fileBytes(data("weather.nominal.lem2.txt"))},
        {{"knn", train, test}, knnReport},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        const CliRun toOut = run(c.args);
        EXPECT_EQ(toOut.code, 0) << toOut.err;
        EXPECT_EQ(toOut.err, "");
        EXPECT_TRUE(testing::sameLines(afterTimeLine(toOut.out), c.expected));

        write("out.txt", std::string(50000, 'x'));
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", file("out.txt")});
        const CliRun toFile = run(args);
        EXPECT_EQ(toFile.code, 0) << toFile.err;
        EXPECT_EQ(toFile.out, "");
        EXPECT_TRUE(testing::sameLines(afterTimeLine(fileBytes(file("out.txt"))), c.expected));
    }
}

TEST_F(Cli, KnnTakesZeroAsOneAndLowersKToTheSmallestClass)
{
    const std::string train = write("train.tab", "ATTRIBUTES 2 OBJECTS 6\n0 1\n1 1\n2 1\n10 2\n11 2\n12 2\n");
    const std::string test = write("test.tab", "ATTRIBUTES 2 OBJECTS 3\n1 1\n11 2\n6 1\n");
    for (const auto& [k, shown] : {std::pair{"0", "1"}, {"9", "3"}}) {
        const CliRun r = run({"knn", train, test, "-k", k});
        EXPECT_EQ(afterTimeLine(r.out).substr(0, 16), "Parametr k = " + std::string(shown) + "\r\n") << k;
    }
    const CliRun segment = run({"knn", data("segment-challenge.tab"), data("segment-test.tab")});
    EXPECT_NE(afterTimeLine(segment.out).find("poprawnie sklasyfikowanych: 771\r\nTotal accuracy: 0.952\r\n"),
              std::string::npos);
}

TEST_F(Cli, ConvertInfoAndGenerate)
{
    EXPECT_EQ(run({"convert", data("two-objects.tab"), "-o", file("t.msd")}).code, 0);
    SystemDecyzyjny table;
    ASSERT_TRUE(readMsd(file("t.msd"), table));
    EXPECT_EQ(table.values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));

    EXPECT_EQ(run({"info", data("weather.nominal.tab")}).out, "Liczba obiektow: 14\n"
                                                             "Liczba atrybutow warunkowych: 4\n"
                                                             "Liczba klas decyzyjnych: 2\n"
                                                             "  (d=0.000): 9\n"
                                                             "  (d=1.000): 5\n");

    // Seed 1 gives the source's known sequence 41, 18467, 6334, 26500, 19169, 15724 modulo 100.
    ASSERT_EQ(run({"generate", "2", "1", "0", "99", "--seed", "1", "-o", file("g.msd")}).code, 0);
    ASSERT_TRUE(readMsd(file("g.msd"), table));
    EXPECT_EQ(table.attributeCount, 1u);
    EXPECT_EQ(table.values, (std::vector<float>{41, 67, 34, 0}));
}

TEST_F(Cli, RefusedOperationsExitOneSayWhyAndLeaveNoFile)
{
    const std::string bad = write("bad.tab", "ATTRIBUTES 2 OBJECTS 2 1 2 3\n");
    const std::string huge = write("huge.tab", "ATTRIBUTES 3\nOBJECTS 2000000000\n1 2 3\n");
    const std::string narrow = write("narrow.tab", "ATTRIBUTES 1\nOBJECTS 2\n0\n1\n");
    const std::string wide = write("wide.tab", "ATTRIBUTES 3 OBJECTS 1\n1 1 1\n");
    struct Case {
        std::vector<std::string> args; // asked to write out.txt
        std::string message;
    };
    const std::vector<Case> cases{
        {{"generate", "0", "3", "0", "4"}, "Liczba obiektow"},
        {{"generate", "3", "3", "5", "4"}, "Wartosc maksymalna nie moze byc mniejsza od minimalnej."},
        {{"generate", "2147483647", "2147483647", "0", "1"}, "Za malo pamieci"},
        {{"convert", huge}, "huge.tab: Plik jest uszkodzony!"},
        {{"convert", bad}, "bad.tab: Plik jest uszkodzony!"},
        {{"exhaustive", bad}, "bad.tab: Plik jest uszkodzony!"},
        {{"lem2", bad}, "bad.tab: Plik jest uszkodzony!"},
        {{"knn", data("iris.tab"), file("nothing.tab")}, "nothing.tab: Plik jest uszkodzony!"},
        {{"lem2", narrow}, std::string(kLem2NoAttributesMessage)},
        {{"knn", narrow, wide}, "System testowy ma inna liczbe atrybutow warunkowych niz system decyzyjny."},
    };
    for (Case c : cases) {
        c.args.insert(c.args.end(), {"-o", file("out.txt")});
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, 1) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file("out.txt"))) << c.message;
    }
    EXPECT_EQ(run({"info", bad}).code, 1);
    for (const std::string command : {"convert", "exhaustive", "lem2"}) {
        const CliRun r = run({command, data("two-objects.tab"), "-o", file("missing/out.txt")});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_NE(r.err.find("missing/out.txt"), std::string::npos) << r.err;
    }
}

TEST_F(Cli, UsageErrorsExitTwoWithTheUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"exhaustive"}, {"convert", data("iris.tab")},
             {"generate", "x", "1", "0", "1", "-o", file("g.msd")}, {"knn", data("iris.tab")},
             {"info", data("iris.tab"), "--bogus"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("exhaustive"), std::string::npos);
}

TEST_F(Cli, GenerateWithoutASeedNamesItsClockSeedThatRepeatsIt)
{
    const auto generate = [this](const std::string& name, std::vector<std::string> seed) {
        std::vector<std::string> args{"generate", "20", "4", "0", "1000", "-o", file(name)};
        args.insert(args.end(), seed.begin(), seed.end());
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 0) << r.err;
        return std::pair{r.err, fileBytes(file(name))};
    };
    const auto [said, table] = generate("clock.msd", {});
    ASSERT_TRUE(said.starts_with("seed: ") && said.ends_with("\n")) << said;
    const std::string seed = said.substr(6, said.size() - 7);
    ASSERT_EQ(seed, std::to_string(std::stoul(seed)));
    EXPECT_EQ(generate("repeat.msd", {"--seed", seed}), std::pair(std::string(), table)) << "a given seed is not printed again";
    // Another seed gives another table, so the repeat above did not come from the clock.
    EXPECT_NE(generate("other.msd", {"--seed", std::to_string(std::stoul(seed) + 1)}).second, table);
}

TEST(CliExhaustive, AllOrdersGoesPastAnOrderWithoutRulesAndThreadsChangeNoByte)
{
    const std::string xorTable = data("xor.tab");
    const CliRun all = run({"exhaustive", xorTable, "--all-orders"});
    EXPECT_EQ(all.code, kExitOk) << all.err;
    EXPECT_EQ(afterTimeLine(all.out), "Rzad: 1\r\n"
                                      "Rzad: 2\r\n"
                                      " (a1=0.000) & (a2=0.000) => (d=0.000)\r\n"
                                      " (a1=0.000) & (a2=1.000) => (d=1.000)\r\n"
                                      " (a1=1.000) & (a2=0.000) => (d=1.000)\r\n"
                                      " (a1=1.000) & (a2=1.000) => (d=0.000)\r\n");

    // The thread count changes no byte; the rules tests compare thread counts on many tables.
    const std::string table = data("breast-cancer.tab");
    const CliRun one = run({"exhaustive", table, "--all-orders", "--threads", "1"});
    const CliRun three = run({"exhaustive", table, "--all-orders", "--threads", "3"});
    EXPECT_EQ(afterTimeLine(one.out), afterTimeLine(three.out));
    EXPECT_GT(one.out.size(), 1000u);
    for (const std::string bad : {"-1", "two"}) {
        EXPECT_EQ(run({"exhaustive", table, "--threads", bad}).code, kExitUsage) << bad;
    }
}

} // namespace
} // namespace kolven
