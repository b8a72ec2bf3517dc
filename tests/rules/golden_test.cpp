#include "ercim.h"
#include "lem2.h"
#include "table_files.h"
#include "test_files.h"
#include "text_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::afterTimeLine;
using testing::dataFile;
using testing::fileBytes;
using testing::sameLines;

// Every NAME.tab in the test data is a case: its exports, without the time line, must equal
// NAME.exhaustive.txt and NAME.lem2.txt byte for byte; a table without NAME.lem2.txt has no
// condition attribute, and LEM2 must refuse it. The folder is listed, so no case is forgotten.
TEST(Golden, EveryTableGivesItsExpectedExportsExactly)
{
    std::vector<std::filesystem::path> tables;
    for (const auto& item : std::filesystem::directory_iterator(KOLVEN_TEST_DATA)) {
        const std::string name = item.path().filename().string();
        if (item.path().extension() == ".tab") {
            tables.push_back(item.path());
        }
        for (const std::string suffix : {".lem2.txt", ".exhaustive.txt"}) {
            if (name.ends_with(suffix)) {
                const std::string table = name.substr(0, name.size() - suffix.size()) + ".tab";
                EXPECT_TRUE(std::filesystem::exists(item.path().parent_path() / table)) << name << " has no table";
            }
        }
    }
    ASSERT_GE(tables.size(), 10u) << "the golden cases were not found in " << KOLVEN_TEST_DATA;
    std::sort(tables.begin(), tables.end());
    for (const std::filesystem::path& table : tables) {
        SCOPED_TRACE(table.filename().string());
        const auto expected = [&](const char* extension) { return std::filesystem::path(table).replace_extension(extension); };
        ASSERT_TRUE(std::filesystem::exists(expected(".exhaustive.txt"))) << "no expected export";
        ERCIM ercim;
        ASSERT_TRUE(readTab(table, ercim));
        ercim.computeRules();
        EXPECT_TRUE(sameLines(afterTimeLine(exhaustiveExportText(ercim)), fileBytes(expected(".exhaustive.txt"))));
        LEM2v1 lem2;
        lem2.copyFrom(ercim);
        if (!std::filesystem::exists(expected(".lem2.txt"))) {
            EXPECT_EQ(lem2.attributeCount, 0u);
            EXPECT_FALSE(lem2.runLem2());
            continue;
        }
        ASSERT_TRUE(lem2.runLem2());
        EXPECT_TRUE(sameLines(afterTimeLine(lem2ExportText(lem2)), fileBytes(expected(".lem2.txt"))));
    }
}

// Either algorithm, through the base class, replaces a longer file with its run's time line and its
// rules, and reports a file it cannot create instead of passing for a success.
TEST(RuleExport, ReplacesTheFileWithTheTimeLineAndTheRulesOrReportsThatItCannot)
{
    ERCIM ercim;
    ASSERT_TRUE(readTab(dataFile("worked-example.tab"), ercim));
    LEM2v1 lem2;
    lem2.copyFrom(ercim);
    ercim.computeRules();
    ASSERT_TRUE(lem2.runLem2());
    ercim.elapsedSeconds = 0.25;
    lem2.elapsedSeconds = 0.5;
    testing::TempFolder folder;
    const auto rules = folder / "rules.txt";
    const std::pair<const SystemDecyzyjny*, std::string> cases[] = {
        {&ercim, elapsedTimeLine(0.25) + fileBytes(dataFile("worked-example.exhaustive.txt"))},
        {&lem2, elapsedTimeLine(0.5) + fileBytes(dataFile("worked-example.lem2.txt"))},
    };
    for (const auto& [table, expected] : cases) {
        folder.write("rules.txt", std::string(5000, 'x'));
        EXPECT_TRUE(table->exportResults(rules));
        EXPECT_EQ(fileBytes(rules), expected);
        EXPECT_FALSE(table->exportResults(folder / "missing/rules.txt"));
        EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    }
}

} // namespace
} // namespace kolven
