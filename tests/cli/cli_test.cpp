#include "cli_run.h"
#include "knn.h"
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

// The golden exports of every table, with default options, are checked on the built program
// (cli_golden.cmake); here the options they leave out, and -o over an older, longer file.
TEST_F(Cli, EachComputationWritesTheSameExportToStandardOutputAndToTheFile)
{
    const std::string train = write("train.tab", "ATTRIBUTES 2 OBJECTS 6\n0 1\n1 1\n2 1\n10 2\n11 2\n12 2\n");
    const std::string test = write("test.tab", "ATTRIBUTES 2 OBJECTS 3\n1 1\n11 2\n6 1\n");
    struct Case {
        std::vector<std::string> args;
        std::string expected; // after the time line
    };
    const std::vector<Case> cases{
        // --all-orders goes past order 1, which yields no rule.
        {{"exhaustive", data("xor.tab"), "--all-orders", "--threads", "3"},
         "Rzad: 1\r\nRzad: 2\r\n"
         " (a1=0.000) & (a2=0.000) => (d=0.000)\r\n (a1=0.000) & (a2=1.000) => (d=1.000)\r\n"
         " (a1=1.000) & (a2=0.000) => (d=1.000)\r\n (a1=1.000) & (a2=1.000) => (d=0.000)\r\n"},
        // Shared among three threads, the decision classes give the rules of one thread.
        {{"lem2", data("contradictory.tab"), "--threads", "3"}, fileBytes(data("contradictory.lem2.txt"))},
        // k = 9 is lowered to the smallest class (the default is 2).
        {{"knn", train, test, "-k", "9"},
         "Parametr k = 3\r\nIlosc obiektow systemu testowego: 3\r\nIlosc obiektow chwyconych: 2\r\n"
         "Ilosc obiektow poprawnie sklasyfikowanych: 2\r\nTotal accuracy: 1.000\r\nTotal coverage: 0.667\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        const CliRun toOut = run(c.args);
        EXPECT_EQ(toOut.code, kExitOk) << toOut.err;
        EXPECT_EQ(toOut.err, "");
        EXPECT_TRUE(testing::sameLines(afterTimeLine(toOut.out), c.expected));

        write("out.txt", std::string(50000, 'x'));
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"-o", file("out.txt")});
        const CliRun toFile = run(args);
        EXPECT_EQ(toFile.code, kExitOk) << toFile.err;
        EXPECT_EQ(toFile.out, "");
        EXPECT_TRUE(testing::sameLines(afterTimeLine(fileBytes(file("out.txt"))), c.expected));
    }
}

// A refused operation exits 1, a usage error 2 with the usage; either says why on standard error,
// prints nothing and leaves no output file.
TEST_F(Cli, RefusalsExitOneUsageErrorsTwoAndNeitherLeavesAFile)
{
    const std::string bad = write("bad.tab", "ATTRIBUTES 2 OBJECTS 2 1 2 3\n");
    const std::string badCsv = write("bad.csv", "a,b\n1,x\n,y\n");
    const std::string bare = write("bare.tab", "ATTRIBUTES 1\nOBJECTS 3\n0\n1\n0\n");
    const std::string narrow = write("narrow.tab", "ATTRIBUTES 2 OBJECTS 2\n1 0\n2 1\n");
    const std::string wide = write("wide.tab", "ATTRIBUTES 3 OBJECTS 2\n1 1 0\n2 2 1\n");
    const std::string wideCuts = write("wide.cuts", "atrybuty 3\na1: 1.5\n");
    const std::string badCuts = write("bad.cuts", "atrybuty 2\na1: 2 1\n");
    struct Case {
        std::vector<std::string> args; // asked to write out.txt
        int code;            // as scripts see it: 1 refused, 2 usage error
        std::string message; // a part of standard error
    };
    const std::vector<Case> cases{
        {{"generate", "0", "3", "0", "4"}, 1, "Liczba obiektow"},
        {{"generate", "3", "3", "5", "4"}, 1, "Wartosc maksymalna nie moze byc mniejsza od minimalnej."},
        {{"generate", "2147483647", "2147483647", "0", "1"}, 1, "Za malo pamieci"},
        {{"convert", bad}, 1, "bad.tab: Plik jest uszkodzony!"},
        {{"exhaustive", bad}, 1, "bad.tab: Plik jest uszkodzony!"},
        {{"lem2", bad}, 1, "bad.tab: Plik jest uszkodzony!"},
        {{"knn", data("iris.tab"), file("nothing.tab")}, 1, "nothing.tab: nie ma takiego pliku"},
        {{"convert", file(".")}, 1, ".: to nie jest plik, lecz katalog"},
        // A table with names: the line and the fault on a line of their own.
        {{"convert", badCsv}, 1,
         badCsv + ": Plik jest uszkodzony!\n" + badCsv + ", wiersz 3: brak wartosci atrybutu liczbowego \"a\"\n"},
        {{"lem2", "--decision", "nope", data("weather.nominal.arff")}, 1, "brak atrybutu decyzyjnego \"nope\""},
        {{"lem2", bare}, 1, std::string(kLem2NoAttributesMessage)},
        {{"knn", narrow, wide}, 1, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, wide, "--rules", "lem2"}, 1, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, narrow, "--rules", "exhaustive", "--simplify"}, 1, "--simplify"},
        {{"cv", narrow, "--method", "knn", "--folds", "3"}, 1, "od 2 do liczby obiektow"},
        {{"cv", bare, "--method", "lem2", "--folds", "2"}, 1, std::string(kLem2NoAttributesMessage)},
        {{"cv", narrow, "--method", "exhaustive", "--simplify", "--folds", "2"}, 1, "--simplify"},
        {{"cv", narrow, "--method", "lem2", "--all-orders", "--folds", "2"}, 1, "--all-orders"},
        {{"cv", narrow, "--method", "knn", "--partial", "--folds", "2"}, 1, "--partial"},
        {{"cv", narrow, "--method", "exhaustive", "--vote-by-decision", "--folds", "2"}, 1, "--vote-by-decision"},
        {{"classify", narrow, narrow, "--rules", "exhaustive", "--vote-by-decision"}, 1, "--vote-by-decision"},
        {{"cv", narrow, "--method", "knn", "--folds", "2", "--folds-dir", narrow}, 1, "fold1-train.msd"},
        {{"lem2", narrow, "--stats", file("missing/stats.csv")}, 1, "stats.csv"},
        {{"approx", bad}, 1, "bad.tab: Plik jest uszkodzony!"},
        {{"approx", narrow, "--attributes", "3"}, 1, "--attributes: nieznany atrybut warunkowy \"3\""},
        {{"reducts", narrow, "--attributes", ""}, 1, "--attributes: pusta lista atrybutow."},
        {{"lem2", narrow, "--attributes", "1,,2"}, 1, "--attributes: pusty element"},
        {{"cv", narrow, "--method", "knn", "--attributes", "1, 1"}, 1, "atrybut \"1\" podany wiecej niz raz"},
        {{"knn", narrow, wide, "--attributes", "1"}, 1, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, narrow, "--rules", "lem2", "--attributes", "0"}, 1, "nieznany atrybut"},
        {{"exhaustive", badCsv, "--attributes", "a"}, 1, "Plik jest uszkodzony!"},
        {{"discretize", narrow, "--method", "mdl"}, 1, "nieznana metoda dyskretyzacji \"mdl\""},
        {{"discretize", narrow, "--method", "width:1"}, 1, "nieznana metoda dyskretyzacji"},
        {{"discretize", narrow, "--method", "md", "--cut", "1,3"}, 1, "--cut: tabela nie ma atrybutu warunkowego \"3\""},
        {{"discretize", narrow, "--apply-cuts", wideCuts}, 1, "ciecia nie pasuja do tabeli"},
        {{"discretize", narrow, "--apply-cuts", badCuts}, 1, "w porzadku rosnacym"},
        {{"discretize", narrow}, 1, "--apply-cuts"},
        {{"lem2", narrow, "--discretize", "width:0"}, 1, "nieznana metoda dyskretyzacji"},
        {{"knn", narrow, narrow, "--normalize", "max"}, 1, "nieznana normalizacja"},
        {{"knn", narrow, wide, "--discretize", "md", "--normalize", "range"}, 1, std::string(kKnnAttributeMismatchMessage)},
        {{"classify", narrow, wide, "--rules", "lem2", "--discretize", "md"}, 1, std::string(kKnnAttributeMismatchMessage)},
        {{"cv", narrow, "--method", "lem2", "--folds", "2", "--normalize", "range"}, 1, "--normalize"},
        {{"cv", narrow, "--method", "lem2", "--folds", "2", "--discretize", "md", "--cut", "x"}, 1, "--cut"},
        {{}, 2, "Usage"},
        {{"frobnicate"}, 2, "Usage"},
        {{"exhaustive"}, 2, "Usage"},
        {{"exhaustive", narrow, "--threads", "-1"}, 2, "--threads"},
        {{"exhaustive", narrow, "--threads", "two"}, 2, "--threads"},
        {{"lem2", narrow, "--threads", "-1"}, 2, "--threads"},
        {{"generate", "x", "1", "0", "1"}, 2, "Usage"},
        {{"knn", narrow}, 2, "Usage"},
        {{"classify", narrow, narrow}, 2, "--rules"},
        {{"classify", narrow, narrow, "--rules", "knn"}, 2, "--rules"},
        {{"cv", narrow, "--method", "bayes"}, 2, "--method"},
        {{"reducts", narrow, "--method", "fast"}, 2, "--method"},
    };
    for (Case c : cases) {
        c.args.insert(c.args.end(), {"-o", file("out.txt")});
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(file("out.txt"))) << c.message;
    }
    EXPECT_EQ(run({"info", bad}).code, 1);
    EXPECT_EQ(run({"info", data("iris.tab"), "--bogus"}).code, 2);
    for (const std::string command : {"convert", "exhaustive", "lem2"}) {
        const CliRun r = run({command, data("two-objects.tab"), "-o", file("missing/out.txt")});
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_NE(r.err.find("missing/out.txt"), std::string::npos) << r.err;
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("exhaustive"), std::string::npos);
}

// Generate and cv draw from the seed given, or from the clock, printing the seed they used so that
// --seed repeats the run exactly.
TEST_F(Cli, GenerateAndCvTakeTheirSeedOrTellTheClockSeedThatRepeatsTheRun)
{
    // Seed 1 gives the source's known sequence 41, 18467, 6334, 26500 modulo 100.
    ASSERT_EQ(run({"generate", "2", "1", "0", "99", "--seed", "1", "-o", file("g.msd")}).code, kExitOk);
    SystemDecyzyjny table;
    ASSERT_TRUE(readMsd(file("g.msd"), table));
    EXPECT_EQ(table.values, (std::vector<float>{41, 67, 34, 0}));

    const auto result = [this](const CliRun& r) {
        return r.out.empty() ? fileBytes(file("g.msd")) : afterTimeLine(r.out);
    };
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"generate", "20", "4", "0", "1000", "-o", file("g.msd")},
                             Args{"cv", data("iris.tab"), "--method", "lem2"}}) {
        const CliRun first = run(args);
        ASSERT_EQ(first.code, kExitOk) << first.err;
        ASSERT_TRUE(first.err.starts_with("seed: ") && first.err.ends_with("\n")) << first.err;
        const std::string seed = first.err.substr(6, first.err.size() - 7);
        const std::string drawn = result(first);
        std::vector<std::string> again = args;
        again.insert(again.end(), {"--seed", seed});
        const CliRun repeated = run(again);
        EXPECT_EQ(repeated.err, "") << "a given seed is not printed again";
        EXPECT_EQ(result(repeated), drawn) << args[0];
    }
}

} // namespace
} // namespace kolven
