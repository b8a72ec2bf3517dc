#include "ercim.h"
#include "lem2.h"
#include "recording_page.h"
#include "table_files.h"
#include "table_rows.h"
#include "test_files.h"

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

LEM2v1 lem2WithRules(std::size_t count)
{
    LEM2v1 lem2;
    lem2.elapsedSeconds = 0.25;
    for (std::size_t i = 0; i < count; ++i) {
        lem2.rules.push_back({{{0, float(i)}}, {0}, std::uint32_t(i + 1)});
    }
    return lem2;
}

TEST(Lem2Listing, PagesContinueWithTheFirstRuleNotDrawnAndAFullLastPageIsFollowedByAnEmptyOne)
{
    // A page of bottom 108 takes four rule lines under the time line and five on a continued
    // page: after a line the page is full once the cursor passes 64 (reaching it is not enough).
    using Pages = std::vector<std::vector<float>>;
    for (const auto& [count, expected] : {std::pair<std::size_t, Pages>{2, {{0, 1}}},
                                          {11, {{0, 1, 2, 3}, {4, 5, 6, 7, 8}, {9, 10}}},
                                          {9, {{0, 1, 2, 3}, {4, 5, 6, 7, 8}, {}}}}) {
        const LEM2v1 lem2 = lem2WithRules(count);
        RecordingPage page(108, 16);
        ListingPosition position;
        Pages pages;
        for (bool complete = false; !complete && pages.size() < 10; page.nextPage()) {
            complete = listLem2Rules(lem2, position, page);
            EXPECT_EQ(page.buttonShown, !complete);
            EXPECT_EQ(page.buttonDisabled, complete);
            pages.emplace_back();
            for (const auto& line : page.lines) {
                pages.back().push_back(std::stof(line.text.substr(5)));
            }
        }
        EXPECT_EQ(pages, expected) << count << " rules";
        EXPECT_EQ(page.passesEnded, int(expected.size()));
        EXPECT_EQ(position.listingMode, ListingMode::Lem2);
        EXPECT_EQ(position.lem2Position, 0u) << "a completed listing starts again from the first rule";
    }
}

} // namespace
} // namespace kolven
