#include "ercim.h"
#include "generator.h"
#include "listed_rules.h"
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

using testing::afterTimeLine;
using testing::RecordingPage;

TEST(RuleText, BothBuildersNumberAttributesFromOneRoundValuesAndKeepLongLinesWhole)
{
    // Attributes in the order chosen; values rounded to three decimals; support shown unless 1.
    EXPECT_EQ(lem2RuleText({{{11, -0.5f}, {0, 2.0006f}, {4, -0.0005f}}, {-2.25f}, 123456}),
              " (a12=-0.500) & (a1=2.001) & (a5=-0.001) => (d=-2.250) [123456]");
    EXPECT_EQ(lem2RuleText({{{0, 1234567.0f}}, {1}, 1}), " (a1=1234567.000) => (d=1.000)");
    // Forty conditions on 3e38, whose value texts have 43 characters: a line of over 2,000.
    const std::string large = "300000000549775575777803994281145270272.000";
    Lem2Rule rule{{}, {1, 2}, 3};
    std::vector<std::uint32_t> entry;
    std::string conditions;
    for (std::uint32_t a = 0; a < 40; ++a) {
        rule.conditions.push_back({a, 3e38f});
        entry.push_back(a);
        conditions += " (a" + std::to_string(a + 1) + "=" + large + ") " + (a < 39 ? "&" : "=>");
    }
    entry.push_back(7);
    ERCIM wide;
    wide.installValues(1, 40, std::vector<float>(41, 3e38f));
    EXPECT_EQ(lem2RuleText(rule), conditions + " (d=1.000) v (d=2.000) [3]");
    EXPECT_EQ(exhaustiveRuleLine(wide, 0, entry.data(), 40), conditions + " (d=" + large + ") [7]");
}

TEST(NamedRuleText, BuildersAndExportsUseNamesLabelsAndQuestionMarksOnlyWhenGiven)
{
    // outlook (nominal), temp (numeric), play (the nominal decision).
    const TableNames names{{{"outlook", true, {"sunny", "rainy"}}, {"temp", false, {}}, {"play", true, {"yes", "no"}}}};
    ERCIM table;
    table.installValues(2, 2, {-1, 2.5f, 1, 5, 0, 0});
    const std::uint32_t both[] = {0, 1, 3};
    const std::uint32_t first[] = {0, 1};
    EXPECT_EQ(exhaustiveRuleLine(table, 0, both, 2, &names), " (outlook=?) & (temp=2.500) => (play=no) [3]");
    EXPECT_EQ(exhaustiveRuleLine(table, 1, first, 1, &names), " (outlook=5.000) => (play=yes)")
        << "a value typed into the grid that names no label is shown as a number";

    const Lem2Rule chain{{{0, 0}, {1, 7}}, {1, 0}, 2};
    EXPECT_EQ(lem2RuleText(chain, &names), " (outlook=sunny) & (temp=7.000) => (play=no) v (play=yes) [2]");

    LEM2v1 lem2;
    lem2.installValues(2, 2, {0, 1, 0, 1, 1, 1});
    ASSERT_TRUE(lem2.runLem2());
    table.copyFrom(lem2);
    table.computeRules();
    const std::string rules = " (outlook=sunny) => (play=yes)\r\n (outlook=rainy) => (play=no)\r\n";
    EXPECT_EQ(afterTimeLine(lem2ExportText(lem2, &names)), rules);
    EXPECT_EQ(afterTimeLine(exhaustiveExportText(table, &names)), "Rzad: 1\r\n" + rules);
}

// The export copies its lines together from pieces made once per object; each line must be the
// one the listing builds rule by rule: random tables, numbered and named (labels, a value beyond
// them), with rules of several lengths and supports.
TEST(ExhaustiveExport, EveryLineIsTheRuleLineBuiltAlone)
{
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        ERCIM table;
        RandomSystemGenerator generator;
        generator.generate(table, 8 + seed * 5, 2 + seed % 5, -1, 3 + float(seed % 3), seed);
        ASSERT_TRUE(table.computeRules());
        TableNames names;
        for (std::uint32_t a = 0; a <= table.attributeCount; ++a) {
            // Some names long enough that a line is put together piece by piece.
            const std::string name = "c" + std::to_string(a) + ((a * seed) % 3 == 0 ? std::string(30, 'n') : "");
            names.columns.push_back({name, a % 2 == 0, {"x", "y z"}});
        }
        for (const TableNames* given : {static_cast<const TableNames*>(nullptr), static_cast<const TableNames*>(&names)}) {
            const std::vector<ListedRule> rules = listedRules(table, given);
            std::string expected;
            for (std::uint32_t order = 1; order <= table.order; ++order) {
                expected += "Rzad: " + std::to_string(order) + "\r\n";
                for (const ListedRule& listed : rules) {
                    expected += listed.rule.conditions.size() == order ? listed.text + "\r\n" : "";
                }
            }
            EXPECT_EQ(afterTimeLine(exhaustiveExportText(table, given)), expected) << seed;
        }
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
    std::string listed; // the lines drawn once, each ended by CR LF
    std::string header;
    std::string last;
    bool endedOnRuleLine = false;
    for (int pages = 0; pages < 10000; ++pages) {
        const bool complete = listExhaustiveRules(table, position, page);
        EXPECT_TRUE(!endedOnRuleLine || page.lines.size() >= 2);
        for (std::size_t i = 0; i < page.lines.size(); ++i) {
            const auto& line = page.lines[i];
            const bool isHeader = line.text.starts_with("Rzad");
            EXPECT_LE(line.top, isHeader ? bottom - 60 : bottom - 44) << line.text;
            if (endedOnRuleLine && i < 2) {
                EXPECT_EQ(line.text, i == 0 ? header : last) << "carried to the top of the page";
                continue;
            }
            header = isHeader ? line.text : header;
            last = line.text;
            listed += line.text + "\r\n";
        }
        if (complete) {
            EXPECT_TRUE(testing::sameLines(listed, afterTimeLine(exhaustiveExportText(table))));
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
