#include "ercim.h"
#include "table_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kolven {
namespace {

// Every NAME.tab in the test data is a case: the export of its rules, without the time line, must
// equal NAME.exhaustive.txt byte for byte. A table without that file fails, so no case is forgotten.
std::vector<std::filesystem::path> goldenTables()
{
    std::vector<std::filesystem::path> tables;
    for (const auto& item : std::filesystem::directory_iterator(KOLVEN_TEST_DATA)) {
        if (item.path().extension() == ".tab") {
            tables.push_back(item.path());
        }
    }
    std::sort(tables.begin(), tables.end());
    return tables;
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string withoutFirstLine(const std::string& text)
{
    const std::size_t end = text.find("\r\n");
    return end == std::string::npos ? std::string() : text.substr(end + 2);
}

TEST(ExhaustiveGolden, EveryTableGivesItsExpectedExportExactly)
{
    const std::vector<std::filesystem::path> tables = goldenTables();
    ASSERT_GE(tables.size(), 10u) << "the golden cases were not found in " << KOLVEN_TEST_DATA;
    for (const std::filesystem::path& table : tables) {
        SCOPED_TRACE(table.filename().string());
        const std::filesystem::path expected = std::filesystem::path(table).replace_extension(".exhaustive.txt");
        ASSERT_TRUE(std::filesystem::exists(expected)) << "no expected export beside the table";
        ERCIM ercim;
        ASSERT_TRUE(readTab(table, ercim));
        ercim.computeRules();
        const std::string exported = exhaustiveExportText(ercim);
        EXPECT_EQ(exported.rfind("Czas wykonania zadania: ", 0), 0u);
        EXPECT_EQ(withoutFirstLine(exported), contents(expected));
    }
}

} // namespace
} // namespace kolven
