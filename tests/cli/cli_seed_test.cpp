#include "cli.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

// A generation run in process: what it printed on standard error and the table it wrote.
struct Generation {
    int code;
    std::string err;
    std::string table;
};

Generation generate(const testing::TempFolder& folder, const std::string& name, std::vector<std::string> extra = {})
{
    std::vector<std::string> args{"generate", "20", "4", "0", "1000", "-o", (folder / name).string()};
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, out, err);
    return {code, err.str(), testing::fileBytes(folder / name)};
}

TEST(CliSeed, ClockSeededRunNamesItsSeedAndThatSeedRepeatsIt)
{
    const testing::TempFolder folder;
    const Generation clocked = generate(folder, "clock.msd");
    ASSERT_EQ(clocked.code, 0);
    ASSERT_TRUE(clocked.err.starts_with("seed: ") && clocked.err.ends_with("\n")) << clocked.err;
    const std::string seed = clocked.err.substr(6, clocked.err.size() - 7);
    ASSERT_EQ(seed, std::to_string(std::stoul(seed)));

    const Generation repeated = generate(folder, "repeat.msd", {"--seed", seed});
    EXPECT_EQ(repeated.err, "") << "a given seed is not printed again";
    EXPECT_EQ(repeated.table, clocked.table);
    // Another seed gives another table, so the repeat above did not come from the clock.
    EXPECT_NE(generate(folder, "other.msd", {"--seed", std::to_string(std::stoul(seed) + 1)}).table, clocked.table);
}

} // namespace
} // namespace kolven
