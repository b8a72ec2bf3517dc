// approx and reducts as a user sees them, with names and numbered; --attributes on every command
// that computes from a table, keeping the full table's attribute numbers.
#include "cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;
using testing::CliRun;
using testing::data;
using testing::run;

using CliRoughSets = testing::CliTest;

std::string resultOf(const std::vector<std::string>& args)
{
    const CliRun r = run(args);
    EXPECT_EQ(r.code, kExitOk) << r.err;
    return afterTimeLine(r.out);
}

TEST_F(CliRoughSets, ApproximationsAndReductsNameTheAttributesAndClassesOfTablesWithNames)
{
    const std::string arff = data("weather.nominal.arff");
    EXPECT_EQ(resultOf({"reducts", arff}),
              "Rdzen: {outlook, windy}\r\nRedukty: 2\r\n{outlook, temperature, windy}\r\n{outlook, humidity, windy}\r\n");
    EXPECT_EQ(resultOf({"reducts", arff, "--codes", "--method", "johnson"}), "Rdzen: {a1, a4}\r\nRedukty: 1\r\n{a1, a3, a4}\r\n");
    EXPECT_EQ(resultOf({"approx", arff, "--attributes", "outlook,humidity"}),
              "Atrybuty: {outlook, humidity}\r\nKlasy nierozroznialnosci: 6\r\n"
              "Klasa (play=yes): obiekty 9, dolne przyblizenie 6, gorne przyblizenie 11, brzeg 5, dokladnosc 0.545\r\n"
              "Klasa (play=no): obiekty 5, dolne przyblizenie 3, gorne przyblizenie 8, brzeg 5, dokladnosc 0.375\r\n"
              "Obszar pozytywny: 9 z 14\r\nJakosc klasyfikacji: 0.643\r\n");
    EXPECT_EQ(resultOf({"approx", data("iris.tab")}),
              "Atrybuty: {a1, a2, a3, a4}\r\nKlasy nierozroznialnosci: 147\r\n"
              "Klasa (d=0.000): obiekty 50, dolne przyblizenie 50, gorne przyblizenie 50, brzeg 0, dokladnosc 1.000\r\n"
              "Klasa (d=1.000): obiekty 50, dolne przyblizenie 50, gorne przyblizenie 50, brzeg 0, dokladnosc 1.000\r\n"
              "Klasa (d=2.000): obiekty 50, dolne przyblizenie 50, gorne przyblizenie 50, brzeg 0, dokladnosc 1.000\r\n"
              "Obszar pozytywny: 150 z 150\r\nJakosc klasyfikacji: 1.000\r\n");
    // The greedy reduct and --attributes in the numbered form keep the table's numbers.
    EXPECT_EQ(resultOf({"reducts", data("weather.nominal.tab"), "--method", "greedy", "--attributes", "4,3,1"}),
              "Rdzen: {a1, a3, a4}\r\nRedukty: 1\r\n{a1, a3, a4}\r\n");
}

TEST_F(CliRoughSets, AttributesReduceTheTablesAndTheRulesKeepTheFullTableNumbers)
{
    const std::string table = data("breast-cancer.tab");
    // Listing every attribute changes nothing, on every command.
    const std::string every = "1,2,3,4,5,6,7,8,9";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"exhaustive", table},
             {"lem2", table},
             {"knn", table, table},
             {"classify", table, table, "--rules", "lem2"},
             {"cv", table, "--method", "knn", "--seed", "3"}}) {
        std::vector<std::string> listed = args;
        listed.insert(listed.end(), {"--attributes", every});
        EXPECT_EQ(resultOf(listed), resultOf(args)) << args[0];
    }
    // Rules on two attributes name only those two, by their numbers in the full table.
    const std::string rules = resultOf({"lem2", table, "--attributes", "5,3"});
    EXPECT_NE(rules.find(" (a5=1.000) & (a3=2.000) => (d=0.000) [27]\r\n"), std::string::npos) << rules;
    for (const std::string other : {"a1=", "a2=", "a4=", "a6=", "a7=", "a8=", "a9="}) {
        EXPECT_EQ(rules.find(other), std::string::npos) << other;
    }
    const std::string named = resultOf({"exhaustive", data("weather.nominal.arff"), "--attributes", "windy, outlook"});
    EXPECT_NE(named.find(" (outlook=overcast) => (play=yes) [4]\r\n"), std::string::npos) << named;
    EXPECT_EQ(named.find("humidity"), std::string::npos) << named;
    const std::string coded = resultOf({"exhaustive", data("weather.nominal.arff"), "--codes", "--attributes", "windy,1"});
    EXPECT_NE(coded.find(" (a1=1.000) => (d=0.000) [4]\r\n"), std::string::npos) << coded;
    EXPECT_NE(coded.find("(a4="), std::string::npos) << coded;
    // Cut after the reduction, the intervals still stand under the full table's numbers.
    const std::string cut = resultOf({"lem2", data("iris.tab"), "--attributes", "3,4", "--discretize", "md"});
    EXPECT_EQ(cut.substr(0, cut.find('\n')), " (a3=(-inf;2.45]) => (d=0.000) [50]\r") << cut;
    EXPECT_EQ(resultOf({"reducts", data("iris.tab"), "--attributes", "1,3", "--discretize", "md"}),
              "Rdzen: {a1, a3}\r\nRedukty: 1\r\n{a1, a3}\r\n");
}

} // namespace
} // namespace kolven
