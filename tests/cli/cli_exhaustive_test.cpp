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

    const std::string table = testing::dataFile("breast-cancer.tab").string();
    for (const std::string orders : {"", "--all-orders"}) {
        std::vector<std::string> texts;
        for (const std::string threads : {"1", "2", "3"}) {
            std::vector<std::string> args{"exhaustive", table, "--threads", threads};
            if (!orders.empty()) {
                args.push_back(orders);
            }
            const CliRun done = run(args);
            EXPECT_EQ(done.code, kExitOk) << done.err;
            texts.push_back(testing::afterTimeLine(done.out));
        }
        EXPECT_EQ(texts[0], texts[1]) << orders;
        EXPECT_EQ(texts[0], texts[2]) << orders;
        EXPECT_GT(texts[0].size(), 1000u);
    }
    for (const std::string bad : {"-1", "two"}) {
        EXPECT_EQ(run({"exhaustive", table, "--threads", bad}).code, kExitUsage) << bad;
    }
}

} // namespace
} // namespace kolven
