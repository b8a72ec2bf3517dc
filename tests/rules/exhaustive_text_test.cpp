#include "ercim.h"
#include "recording_page.h"
#include "table_files.h"
#include "table_rows.h"
#include "test_files.h"
#include "text_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::RecordingPage;

// The export without its time line, split at CR LF.
std::vector<std::string> exportedLines(const ERCIM& table)
{
    const std::string text = testing::afterTimeLine(exhaustiveExportText(table));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

TEST(ExhaustiveRuleLine, ShowsConditionsDecisionAndSupportKeepingLongLinesWhole)
{
    ERCIM table;
    ASSERT_TRUE(parseTab("ATTRIBUTES 4\nOBJECTS 1\n0.1 -0.0005 2 -2\n", table));
    const std::uint32_t pair[] = {0, 1, 123456};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, pair, 2), " (a1=0.100) & (a2=-0.001) => (d=-2.000) [123456]");
    ERCIM wide;
    ASSERT_TRUE(parseTab("ATTRIBUTES 9\nOBJECTS 1\n3e38 3e38 3e38 3e38 3e38 3e38 3e38 3e38 3e38\n", wide));
    const std::uint32_t entry[] = {0, 1, 2, 3, 4, 5, 6, 7, 7};
    std::string value;
    appendFixed(value, double(3e38f), 3);
    std::string expected;
    for (int p = 1; p <= 8; ++p) {
        expected += " (a" + std::to_string(p) + "=" + value + ") &";
    }
    expected.back() = '=';
    expected += "> (d=" + value + ") [7]";
    EXPECT_EQ(exhaustiveRuleLine(wide, 0, entry, 8), expected);
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
        EXPECT_TRUE(!endedOnRuleLine || page.lines.size() >= 2);
        for (std::size_t i = 0; i < page.lines.size(); ++i) {
            const auto& line = page.lines[i];
            const bool isHeader = line.text.starts_with("Rzad");
            EXPECT_LE(line.top, isHeader ? bottom - 60 : bottom - 44) << line.text;
            if (endedOnRuleLine && i < 2) {
                EXPECT_EQ(line.text, i == 0 ? header : listed.back()) << "carried to the top of the page";
                continue;
            }
            header = isHeader ? line.text : header;
            listed.push_back(line.text);
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
    ASSERT_TRUE(readTab(testing::dataFile("weather.nominal.tab"), table));
    table.computeRules();
    for (int bottom = 76; bottom <= 300; bottom += 7) {
        checkPaging(table, bottom);
    }
    ERCIM exclusiveOr = testing::tableOf<ERCIM>(2, {{0, 0, 0}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0}});
    exclusiveOr.computeRules();
    checkPaging(exclusiveOr, 76);
}

} // namespace
} // namespace kolven
