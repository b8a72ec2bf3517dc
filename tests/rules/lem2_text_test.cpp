#include "lem2.h"
#include "recording_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::RecordingPage;

TEST(Lem2RuleText, JoinsConditionsAndDecisionsAndShowsSupportUnlessOne)
{
    EXPECT_EQ(lem2RuleText({{{0, 2}}, {1}, 1}), " (a1=2.000) => (d=1.000)");
    EXPECT_EQ(lem2RuleText({{{0, 1}, {1, 1}}, {0, 1}, 2}), " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]");
    // Attributes numbered from 1 in the order chosen; values rounded to three decimals.
    EXPECT_EQ(lem2RuleText({{{11, -0.5f}, {0, 2.0006f}, {4, 1234567.0f}}, {-2.25f}, 12}),
              " (a12=-0.500) & (a1=2.001) & (a5=1234567.000) => (d=-2.250) [12]");
    // Long rules are written whole.
    Lem2Rule rule{{}, {1, 2}, 3};
    std::string expected;
    for (std::uint32_t a = 0; a < 40; ++a) {
        rule.conditions.push_back({a, 100000.0f + float(a)});
        expected += " (a" + std::to_string(a + 1) + "=" + std::to_string(100000 + a) + ".000) &";
    }
    expected.back() = '=';
    EXPECT_EQ(lem2RuleText(rule), expected + "> (d=1.000) v (d=2.000) [3]");
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
