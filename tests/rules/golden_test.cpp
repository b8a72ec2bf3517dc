#include "ercim.h"
#include "lem2.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;
using testing::fileBytes;

// Every NAME.tab in the test data is a case: its exports, without the time line, must equal
// NAME.exhaustive.txt and NAME.lem2.txt byte for byte. The folder is listed, so no case is forgotten.
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

std::filesystem::path beside(const std::filesystem::path& table, const char* extension)
{
    return std::filesystem::path(table).replace_extension(extension);
}

TEST(ExhaustiveGolden, EveryTableGivesItsExpectedExportExactly)
{
    const std::vector<std::filesystem::path> tables = goldenTables();
    ASSERT_GE(tables.size(), 10u) << "the golden cases were not found in " << KOLVEN_TEST_DATA;
    for (const std::filesystem::path& table : tables) {
        SCOPED_TRACE(table.filename().string());
        ASSERT_TRUE(std::filesystem::exists(beside(table, ".exhaustive.txt"))) << "no expected export";
        ERCIM ercim;
        ASSERT_TRUE(readTab(table, ercim));
        ercim.computeRules();
        EXPECT_EQ(afterTimeLine(exhaustiveExportText(ercim)), fileBytes(beside(table, ".exhaustive.txt")));
    }
}

TEST(Lem2Golden, EveryTableGivesItsExpectedRulesOrIsRefusedWithoutAttributes)
{
    for (const std::filesystem::path& table : goldenTables()) {
        SCOPED_TRACE(table.filename().string());
        LEM2v1 lem2;
        ASSERT_TRUE(readTab(table, lem2));
        // A table without expected rules is one LEM2 must refuse: it has no condition attribute.
        if (!std::filesystem::exists(beside(table, ".lem2.txt"))) {
            EXPECT_EQ(lem2.attributeCount, 0u);
            EXPECT_FALSE(lem2.runLem2());
            continue;
        }
        ASSERT_TRUE(lem2.runLem2());
        EXPECT_EQ(afterTimeLine(lem2ExportText(lem2)), fileBytes(beside(table, ".lem2.txt")));
    }
    for (const auto& item : std::filesystem::directory_iterator(KOLVEN_TEST_DATA)) {
        const std::string name = item.path().filename().string();
        for (const std::string suffix : {".lem2.txt", ".exhaustive.txt"}) {
            if (name.ends_with(suffix)) {
                const std::string table = name.substr(0, name.size() - suffix.size()) + ".tab";
                EXPECT_TRUE(std::filesystem::exists(item.path().parent_path() / table)) << name << " has no table";
            }
        }
    }
}

} // namespace
} // namespace kolven
