#include "lem2.h"
#include "table_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kolven {
namespace {

const std::filesystem::path kData = KOLVEN_TEST_DATA;
constexpr std::string_view kGoldenSuffix = ".lem2.txt";

// Every table in the data folder, by name without ".tab": a case cannot be forgotten.
std::vector<std::string> tableNames()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        if (entry.path().extension() == ".tab") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The export without its first line, the run's duration.
std::string rulesOnly(const std::string& exportText)
{
    return exportText.substr(exportText.find("\r\n") + 2);
}

class Lem2Golden : public ::testing::TestWithParam<std::string> {};

TEST_P(Lem2Golden, ExportMatchesTheExpectedRules)
{
    // A table without expected rules is one LEM2 must refuse (it has no condition attribute).
    const auto golden = kData / (GetParam() + std::string(kGoldenSuffix));
    LEM2v1 lem2;
    ASSERT_TRUE(readTab(kData / (GetParam() + ".tab"), lem2));
    if (!std::filesystem::exists(golden)) {
        EXPECT_FALSE(lem2.runLem2()) << "no expected LEM2 rules for " << GetParam();
        return;
    }
    ASSERT_TRUE(lem2.runLem2());
    EXPECT_EQ(rulesOnly(lem2ExportText(lem2)), contents(golden));
}

// A test name from a table name: letters and digits kept, anything else an underscore.
std::string caseName(const ::testing::TestParamInfo<std::string>& table)
{
    std::string name = table.param;
    std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Tables, Lem2Golden, ::testing::ValuesIn(tableNames()), caseName);

TEST(Lem2GoldenFiles, EachExpectationHasItsTable)
{
    std::size_t goldens = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kData)) {
        const std::string name = entry.path().filename().string();
        if (name.ends_with(kGoldenSuffix)) {
            ++goldens;
            const std::string table = name.substr(0, name.size() - kGoldenSuffix.size()) + ".tab";
            EXPECT_TRUE(std::filesystem::exists(kData / table)) << name << " has no " << table;
        }
    }
    EXPECT_GT(goldens, 0u);
}

} // namespace
} // namespace kolven
