#include "cli.h"

#include "lem2.h"
#include "table_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

std::filesystem::path data(const std::string& name)
{
    return std::filesystem::path(KOLVEN_TEST_DATA) / name;
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The export without its first line, the run's duration, which differs from run to run.
std::string withoutTimeLine(const std::string& text)
{
    const auto end = text.find("\r\n");
    return end == std::string::npos ? text : text.substr(end + 2);
}

class Lem2Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / "kolven-cli-lem2";
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST_F(Lem2Cli, WritesTheExportBytesToStandardOutputOrToTheFile)
{
    LEM2v1 lem2;
    ASSERT_TRUE(readTab(data("weather.nominal.tab"), lem2));
    ASSERT_TRUE(lem2.runLem2());
    const std::string expected = withoutTimeLine(lem2ExportText(lem2));

    const CliRun printed = run({"lem2", data("weather.nominal.tab").string()});
    EXPECT_EQ(printed.code, kExitOk) << printed.err;
    EXPECT_EQ(printed.out.rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_EQ(withoutTimeLine(printed.out), expected);

    const auto output = folder_ / "rules.txt";
    const CliRun written = run({"lem2", data("weather.nominal.tab").string(), "-o", output.string()});
    EXPECT_EQ(written.code, kExitOk) << written.err;
    EXPECT_TRUE(written.out.empty());
    const std::string file = contents(output);
    EXPECT_EQ(file.rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_EQ(withoutTimeLine(file), expected);
}

TEST_F(Lem2Cli, RefusesATableWithoutConditionAttributes)
{
    const auto table = folder_ / "decisions-only.tab";
    std::ofstream(table, std::ios::binary) << "ATTRIBUTES 1\nOBJECTS 2\n0\n1\n";
    const auto output = folder_ / "rules.txt";
    const CliRun r = run({"lem2", table.string(), "-o", output.string()});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find(std::string(kLem2NoAttributesMessage)), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(Lem2Cli, AnUnwritableOutputFails)
{
    const CliRun r = run({"lem2", data("two-objects.tab").string(), "-o", (folder_ / "missing" / "rules.txt").string()});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_FALSE(r.err.empty());
}

} // namespace
} // namespace kolven
