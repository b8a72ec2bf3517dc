#include "cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

struct CliOutcome {
    int code;
    std::string out;
    std::string err;
};

CliOutcome runCommand(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string data(const std::string& name)
{
    return std::string(KOLVEN_TEST_DATA) + "/" + name;
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The export after its time line, which differs from run to run.
std::string afterTimeLine(const std::string& text)
{
    EXPECT_EQ(text.rfind("Czas wykonania zadania: ", 0), 0u);
    const std::size_t end = text.find("s\r\n");
    return end == std::string::npos ? std::string() : text.substr(end + 3);
}

class ExhaustiveCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kolven-exhaustive-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(ExhaustiveCli, WritesTheExportToStandardOutput)
{
    const CliOutcome r = runCommand({"exhaustive", data("worked-example.tab")});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(afterTimeLine(r.out), "Rzad: 1\r\n"
                                    " (a2=0.000) => (d=1.000) [2]\r\n"
                                    " (a3=0.000) => (d=1.000) [2]\r\n"
                                    "Rzad: 2\r\n"
                                    " (a1=0.000) & (a2=1.000) => (d=0.000)\r\n"
                                    " (a1=0.000) & (a3=1.000) => (d=0.000)\r\n"
                                    " (a2=1.000) & (a3=1.000) => (d=0.000) [2]\r\n");
}

TEST_F(ExhaustiveCli, FileAndStandardOutputHoldTheSameExport)
{
    std::ofstream(file("rules.txt"), std::ios::binary) << std::string(50000, 'x');
    const CliOutcome toFile = runCommand({"exhaustive", data("weather.nominal.tab"), "-o", file("rules.txt")});
    EXPECT_EQ(toFile.code, kExitOk);
    EXPECT_EQ(toFile.out, "");
    const CliOutcome toOut = runCommand({"exhaustive", data("weather.nominal.tab")});

    const std::string written = contents(file("rules.txt"));
    EXPECT_EQ(afterTimeLine(written), afterTimeLine(toOut.out));
    EXPECT_EQ(afterTimeLine(written), contents(data("weather.nominal.exhaustive.txt")));
    EXPECT_EQ(written.find('\n'), written.find("\r\n") + 1) << "lines end with CR LF";
}

TEST_F(ExhaustiveCli, TableWithoutRulesGivesTheTimeLineAlone)
{
    const CliOutcome r = runCommand({"exhaustive", data("xor.tab")});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(afterTimeLine(r.out), "");
}

TEST_F(ExhaustiveCli, FailuresExitOneAndLeaveNoFile)
{
    std::ofstream(file("broken.tab"), std::ios::binary) << "ATTRIBUTES 3\nOBJECTS 2\n1 2 3\n";
    CliOutcome r = runCommand({"exhaustive", file("broken.tab"), "-o", file("rules.txt")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("Plik jest uszkodzony!"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("rules.txt")));

    r = runCommand({"exhaustive", data("worked-example.tab"), "-o", file("missing/rules.txt")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("missing/rules.txt"), std::string::npos) << r.err;
}

TEST_F(ExhaustiveCli, MissingTableIsAUsageError)
{
    const CliOutcome r = runCommand({"exhaustive"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("TABLE"), std::string::npos) << r.err;
}

} // namespace
} // namespace kolven
