#include "ercim.h"
#include "recording_page.h"
#include "table_files.h"
#include "text_format.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::RecordingPage;

ERCIM tableFromText(const std::string& tab)
{
    ERCIM table;
    EXPECT_TRUE(parseTab(tab, table));
    return table;
}

ERCIM computedFromText(const std::string& tab)
{
    ERCIM table = tableFromText(tab);
    table.computeRules();
    return table;
}

const std::string kWorkedExample = "ATTRIBUTES 4\nOBJECTS 5\n"
                                   "1 0 1 1\n1 1 0 1\n0 1 1 0\n1 1 1 0\n0 0 0 1\n";

// What the worked example prints after its time line, on screen and in the file alike.
const std::vector<std::string> kWorkedExampleLines = {
    "Rzad: 1",
    " (a2=0.000) => (d=1.000) [2]",
    " (a3=0.000) => (d=1.000) [2]",
    "Rzad: 2",
    " (a1=0.000) & (a2=1.000) => (d=0.000)",
    " (a1=0.000) & (a3=1.000) => (d=0.000)",
    " (a2=1.000) & (a3=1.000) => (d=0.000) [2]",
};

std::string withLineEnds(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

// The export without its time line, split at CR LF.
std::vector<std::string> exportedLines(const ERCIM& table)
{
    const std::string text = exhaustiveExportText(table);
    std::vector<std::string> lines;
    std::size_t start = text.find("\r\n") + 2;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

TEST(ExhaustiveExport, WorkedExampleHoldsTheTimeLineAndSevenLines)
{
    const ERCIM table = computedFromText(kWorkedExample);
    EXPECT_EQ(exhaustiveExportText(table), elapsedTimeLine(table.elapsedSeconds) + withLineEnds(kWorkedExampleLines));
    EXPECT_EQ(exhaustiveExportText(table).rfind("Czas wykonania zadania: ", 0), 0u);
}

TEST(ExhaustiveExport, ResultWithoutOrdersIsTheTimeLineAlone)
{
    const ERCIM exclusiveOr = computedFromText("ATTRIBUTES 3\nOBJECTS 4\n0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
    EXPECT_EQ(exhaustiveExportText(exclusiveOr), elapsedTimeLine(exclusiveOr.elapsedSeconds));
    const ERCIM noAttributes = computedFromText("ATTRIBUTES 1\nOBJECTS 2\n1\n0\n");
    EXPECT_EQ(exhaustiveExportText(noAttributes), elapsedTimeLine(noAttributes.elapsedSeconds));
}

TEST(ExhaustiveExport, RepeatedRulesWithoutSupportPrintNoLine)
{
    // Objects 1 and 3 repeat object 0's rules; they hold entries without support.
    const ERCIM table = computedFromText("ATTRIBUTES 3\nOBJECTS 4\n0 1 1\n0 2 1\n1 1 1\n0 1 1\n");
    EXPECT_EQ(exportedLines(table), (std::vector<std::string>{
                                        "Rzad: 1",
                                        " (a1=0.000) => (d=1.000) [3]",
                                        " (a2=1.000) => (d=1.000) [3]",
                                        " (a2=2.000) => (d=1.000)",
                                        " (a1=1.000) => (d=1.000)",
                                    }));
}

TEST(ExhaustiveRuleLine, ShowsConditionsDecisionAndSupportAboveOne)
{
    const ERCIM table = tableFromText("ATTRIBUTES 4\nOBJECTS 1\n0.5 3 2 1\n");
    const std::uint32_t single[] = {1, 1};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, single, 1), " (a2=3.000) => (d=1.000)");
    const std::uint32_t pair[] = {0, 2, 2};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, pair, 2), " (a1=0.500) & (a3=2.000) => (d=1.000) [2]");
    const std::uint32_t many[] = {1, 123456};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, many, 1), " (a2=3.000) => (d=1.000) [123456]");
}

TEST(ExhaustiveRuleLine, PrintsTheSinglePrecisionValueWidened)
{
    const ERCIM table = tableFromText("ATTRIBUTES 3\nOBJECTS 1\n0.1 -0.0005 -2\n");
    const std::uint32_t entry[] = {0, 1, 1};
    // 0.1f is 0.100000001490116...; -0.0005f rounds to -0.001 at three decimals.
    EXPECT_EQ(exhaustiveRuleLine(table, 0, entry, 2), " (a1=0.100) & (a2=-0.001) => (d=-2.000)");
}

TEST(ExhaustiveRuleLine, LongLinesAreKeptWhole)
{
    std::string tab = "ATTRIBUTES 9\nOBJECTS 1\n";
    for (int p = 0; p < 9; ++p) {
        tab += "3e38 ";
    }
    const ERCIM table = tableFromText(tab + "\n");
    const std::uint32_t entry[] = {0, 1, 2, 3, 4, 5, 6, 7, 7};
    const std::string line = exhaustiveRuleLine(table, 0, entry, 8);

    std::string value;
    appendFixed(value, double(3e38f), 3);
    std::string expected;
    for (int p = 1; p <= 8; ++p) {
        expected += " (a" + std::to_string(p) + "=" + value + ") &";
    }
    expected.pop_back();
    expected += "=> (d=" + value + ") [7]";
    EXPECT_GT(line.size(), 255u);
    EXPECT_EQ(line, expected);
}

// --- The export file ---

class ExhaustiveExportFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kolven-exhaustive-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    static std::string contents(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder_;
};

TEST_F(ExhaustiveExportFile, ReplacesTheFileWithTheExportText)
{
    const ERCIM table = computedFromText(kWorkedExample);
    const std::filesystem::path path = folder_ / "rules.txt";
    std::ofstream(path, std::ios::binary) << std::string(2000, 'x');

    const SystemDecyzyjny& base = table;
    base.exportResults(path);
    EXPECT_EQ(contents(path), exhaustiveExportText(table));
}

TEST_F(ExhaustiveExportFile, UnwritablePathIsSkippedSilently)
{
    const ERCIM table = computedFromText(kWorkedExample);
    const std::filesystem::path path = folder_ / "missing" / "rules.txt";
    EXPECT_NO_THROW(table.exportResults(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

// --- The paged listing ---

std::vector<std::string> drawPage(const ERCIM& table, ListingPosition& position, RecordingPage& page, bool complete)
{
    EXPECT_EQ(listExhaustiveRules(table, position, page), complete);
    EXPECT_EQ(page.buttonShown, !complete);
    EXPECT_EQ(page.buttonDisabled, complete);
    return page.texts();
}

TEST(ExhaustiveListing, ShortListingFitsOnePageAndCompletes)
{
    const ERCIM table = computedFromText(kWorkedExample);
    ListingPosition position;
    position.listingMode = ListingMode::Lem2;
    RecordingPage page(600, 16); // the time line stands above

    EXPECT_EQ(drawPage(table, position, page, true), kWorkedExampleLines);
    EXPECT_EQ(page.lines.front().top, 16);
    EXPECT_EQ(page.lines.back().top, 16 + 6 * 16);
    EXPECT_EQ(page.passesEnded, 1);
    EXPECT_EQ(position.listingMode, ListingMode::Exhaustive);
    EXPECT_EQ(position.exhaustiveOrder, 1u);
    EXPECT_EQ(position.exhaustiveObject, 0u);
    EXPECT_EQ(position.exhaustiveOffset, 0u);
}

TEST(ExhaustiveListing, EmptyResultCompletesAtOnce)
{
    const ERCIM table = computedFromText("ATTRIBUTES 3\nOBJECTS 4\n0 0 0\n0 1 1\n1 0 1\n1 1 0\n");
    ListingPosition position;
    RecordingPage page(600, 16);
    EXPECT_TRUE(drawPage(table, position, page, true).empty());
    EXPECT_EQ(page.passesEnded, 1);
}

TEST(ExhaustiveListing, HeaderIsCarriedAndLastLineOfAFullPageIsRepeated)
{
    const ERCIM table = computedFromText(kWorkedExample);
    ListingPosition position;
    // Bottom 92: a header needs the cursor at 32 or above, a rule line must leave it at 48 or above.
    RecordingPage page(92);

    // The header of order 2 would start at 48: it goes to the next page.
    EXPECT_EQ(drawPage(table, position, page, false), (std::vector<std::string>{
                                                          "Rzad: 1",
                                                          " (a2=0.000) => (d=1.000) [2]",
                                                          " (a3=0.000) => (d=1.000) [2]",
                                                      }));
    EXPECT_EQ(position.exhaustiveOrder, 2u);

    // The third rule line ends at 64, below 48: the page is full after it.
    page.nextPage();
    EXPECT_EQ(drawPage(table, position, page, false), (std::vector<std::string>{
                                                          "Rzad: 2",
                                                          " (a1=0.000) & (a2=1.000) => (d=0.000)",
                                                          " (a1=0.000) & (a3=1.000) => (d=0.000)",
                                                          " (a2=1.000) & (a3=1.000) => (d=0.000) [2]",
                                                      }));
    EXPECT_EQ(position.exhaustiveOrder, 2u);
    EXPECT_EQ(position.exhaustiveObject, 2u);
    EXPECT_EQ(position.exhaustiveOffset, 6u);

    // That was the last rule: the next page repeats it under its header and completes.
    page.nextPage();
    EXPECT_EQ(drawPage(table, position, page, true), (std::vector<std::string>{
                                                         "Rzad: 2",
                                                         " (a2=1.000) & (a3=1.000) => (d=0.000) [2]",
                                                     }));
    EXPECT_EQ(position.exhaustiveOrder, 1u);
    EXPECT_EQ(position.exhaustiveObject, 0u);
    EXPECT_EQ(position.exhaustiveOffset, 0u);
    EXPECT_EQ(page.passesEnded, 3);
}

TEST(ExhaustiveListing, SmallPagesResumeInsideAnObjectsList)
{
    const ERCIM table = computedFromText(kWorkedExample);
    ListingPosition position;
    RecordingPage page(76); // a header at 16 or above, rule lines leaving the cursor at 32 or above
    const std::vector<std::string>& all = kWorkedExampleLines;
    const std::vector<std::vector<std::string>> expected = {
        {all[0], all[1], all[2]},
        {all[0], all[2]}, // object 4 holds only entries without support; order 2 would start at 32
        {all[3], all[4], all[5]},
        {all[3], all[5], all[6]},
        {all[3], all[6]},
    };
    for (std::size_t pageIndex = 0; pageIndex < expected.size(); ++pageIndex) {
        page.nextPage();
        const bool last = pageIndex + 1 == expected.size();
        EXPECT_EQ(drawPage(table, position, page, last), expected[pageIndex]) << "page " << pageIndex;
    }
}

// Pages through the whole listing and checks the page limits: headers start no lower than B - 60,
// rule lines end no lower than B - 28, and apart from the header and the rule line repeated at the
// top of a continued page, the pages together hold the export's lines.
void checkPaging(const ERCIM& table, int bottom)
{
    SCOPED_TRACE("page bottom " + std::to_string(bottom));
    ListingPosition position;
    RecordingPage page(bottom, 16);
    std::vector<std::string> listed;
    std::string header;
    bool endedOnRuleLine = false;
    for (int pages = 0; pages < 10000; ++pages) {
        const bool complete = listExhaustiveRules(table, position, page);
        std::size_t first = 0;
        if (endedOnRuleLine) {
            ASSERT_GE(page.lines.size(), 2u);
            EXPECT_EQ(page.lines[0].text, header);
            EXPECT_EQ(page.lines[1].text, listed.back());
            first = 2;
        }
        for (std::size_t i = 0; i < page.lines.size(); ++i) {
            const auto& line = page.lines[i];
            const bool isHeader = line.text.starts_with("Rzad");
            EXPECT_LE(line.top, isHeader ? bottom - 60 : bottom - 44) << line.text;
            if (isHeader) {
                header = line.text;
            }
            if (i >= first) {
                listed.push_back(line.text);
            }
        }
        if (complete) {
            EXPECT_EQ(listed, exportedLines(table));
            return;
        }
        // A rule line that left the cursor below B - 44 filled the page; otherwise the page
        // ended before a header.
        endedOnRuleLine = !page.lines.empty() && !page.lines.back().text.starts_with("Rzad") &&
                          page.cursorTop() > bottom - 44;
        page.nextPage();
    }
    FAIL() << "the listing never completed";
}

TEST(ExhaustiveListing, PagesTogetherHoldTheWholeExport)
{
    ERCIM table;
    ASSERT_TRUE(readTab(std::string(KOLVEN_TEST_DATA) + "/weather.nominal.tab", table));
    table.computeRules();
    for (int bottom = 76; bottom <= 300; bottom += 7) {
        checkPaging(table, bottom);
    }
}

} // namespace
} // namespace kolven
