// The exhaustive sub-command's options: the search of all orders and the number of threads.
#include "cli.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun run(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(CliExhaustive, AllOrdersGoesPastAnOrderWithoutRulesAndThreadsChangeNoByte)
{
    const std::string xorTable = testing::dataFile("xor.tab").string();
    const CliRun all = run({"exhaustive", xorTable, "--all-orders"});
    EXPECT_EQ(all.code, kExitOk) << all.err;
    EXPECT_EQ(testing::afterTimeLine(all.out), "Rzad: 1\r\n"
                                               "Rzad: 2\r\n"
                                               " (a1=0.000) & (a2=0.000) => (d=0.000)\r\n"
                                               " (a1=0.000) & (a2=1.000) => (d=1.000)\r\n"
                                               " (a1=1.000) & (a2=0.000) => (d=1.000)\r\n"
                                               " (a1=1.000) & (a2=1.000) => (d=0.000)\r\n");

    // The thread count changes no byte; the rules tests compare thread counts on many tables.
    const std::string table = testing::dataFile("breast-cancer.tab").string();
    const CliRun one = run({"exhaustive", table, "--all-orders", "--threads", "1"});
    const CliRun three = run({"exhaustive", table, "--all-orders", "--threads", "3"});
    EXPECT_EQ(testing::afterTimeLine(one.out), testing::afterTimeLine(three.out));
    EXPECT_GT(one.out.size(), 1000u);
    for (const std::string bad : {"-1", "two"}) {
        EXPECT_EQ(run({"exhaustive", table, "--threads", bad}).code, kExitUsage) << bad;
    }
}

} // namespace
} // namespace kolven
