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

const std::filesystem::path kWeather = std::filesystem::path(KOLVEN_TEST_DATA) / "weather.nominal.tab";

int run(const std::vector<std::string>& args, std::string& out, std::string& err)
{
    std::ostringstream outStream;
    std::ostringstream errStream;
    const int code = runCli(args, outStream, errStream);
    out = outStream.str();
    err = errStream.str();
    return code;
}

// The export split at its first line end: the time line, which differs from run to run, and the rules.
std::pair<std::string, std::string> splitTimeLine(const std::string& text)
{
    const auto end = text.find("\r\n") + 2;
    return {text.substr(0, end), text.substr(end)};
}

TEST(Lem2Cli, WritesTheExportBytesToStandardOutputOrToTheFile)
{
    LEM2v1 lem2;
    ASSERT_TRUE(readTab(kWeather, lem2));
    ASSERT_TRUE(lem2.runLem2());
    const std::string rules = splitTimeLine(lem2ExportText(lem2)).second;

    std::string out;
    std::string err;
    ASSERT_EQ(run({"lem2", kWeather.string()}, out, err), kExitOk) << err;
    EXPECT_EQ(splitTimeLine(out).first.rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_EQ(splitTimeLine(out).second, rules);

    const auto path = std::filesystem::temp_directory_path() / "kolven-cli-lem2.txt";
    ASSERT_EQ(run({"lem2", kWeather.string(), "-o", path.string()}, out, err), kExitOk) << err;
    EXPECT_TRUE(out.empty());
    std::ifstream in(path, std::ios::binary);
    const std::string file(std::istreambuf_iterator<char>(in), {});
    std::filesystem::remove(path);
    EXPECT_EQ(splitTimeLine(file).first.rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_EQ(splitTimeLine(file).second, rules);
}

TEST(Lem2Cli, RefusesATableWithoutConditionAttributesAndWritesNothing)
{
    const auto folder = std::filesystem::temp_directory_path() / "kolven-cli-lem2";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "decisions-only.tab", std::ios::binary) << "ATTRIBUTES 1\nOBJECTS 2\n0\n1\n";
    std::string out;
    std::string err;
    EXPECT_EQ(run({"lem2", (folder / "decisions-only.tab").string(), "-o", (folder / "rules.txt").string()}, out, err),
              kExitFailed);
    EXPECT_NE(err.find(kLem2NoAttributesMessage), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(folder / "rules.txt"));

    EXPECT_EQ(run({"lem2", kWeather.string(), "-o", (folder / "missing" / "rules.txt").string()}, out, err), kExitFailed)
        << "an output that cannot be written fails";
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace kolven
