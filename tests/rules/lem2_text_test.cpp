#include "lem2.h"
#include "recording_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::RecordingPage;

Lem2Rule makeRule(std::vector<Lem2Rule::Condition> conditions, std::vector<float> decisions, std::uint32_t support)
{
    return Lem2Rule{std::move(conditions), std::move(decisions), support};
}

TEST(Lem2RuleText, ShowsSupportInBracketsUnlessItIsOne)
{
    EXPECT_EQ(lem2RuleText(makeRule({{0, 1}, {1, 2}}, {0}, 2)), " (a1=1.000) & (a2=2.000) => (d=0.000) [2]");
    EXPECT_EQ(lem2RuleText(makeRule({{0, 2}}, {1}, 1)), " (a1=2.000) => (d=1.000)");
}

TEST(Lem2RuleText, JoinsSeveralDecisionsWithV)
{
    EXPECT_EQ(lem2RuleText(makeRule({{0, 1}, {1, 1}}, {0, 1}, 2)),
              " (a1=1.000) & (a2=1.000) => (d=0.000) v (d=1.000) [2]");
    EXPECT_EQ(lem2RuleText(makeRule({{2, 0}}, {0, 1, 2, 3}, 1)),
              " (a3=0.000) => (d=0.000) v (d=1.000) v (d=2.000) v (d=3.000)");
}

TEST(Lem2RuleText, NumbersAttributesFromOneInChosenOrderWithThreeRoundedDecimals)
{
    EXPECT_EQ(lem2RuleText(makeRule({{11, -0.5f}, {0, 2.0006f}, {4, 1234567.0f}}, {-2.25f}, 12)),
              " (a12=-0.500) & (a1=2.001) & (a5=1234567.000) => (d=-2.250) [12]");
}

TEST(Lem2RuleText, LongRulesAreWrittenWhole)
{
    Lem2Rule rule = makeRule({}, {1, 2}, 3);
    for (std::uint32_t a = 0; a < 40; ++a) {
        rule.conditions.push_back({a, 100000.0f + float(a)});
    }
    const std::string text = lem2RuleText(rule);
    EXPECT_GT(text.size(), 255u);
    EXPECT_EQ(text.rfind(" (a1=100000.000) & (a2=100001.000) &", 0), 0u);
    EXPECT_NE(text.find(" & (a40=100039.000) => (d=1.000) v (d=2.000) [3]"), std::string::npos);
    EXPECT_EQ(text.size(), text.find("=> (d=1.000)") + std::string("=> (d=1.000) v (d=2.000) [3]").size());
}

LEM2v1 lem2WithRules(std::size_t count)
{
    LEM2v1 lem2;
    for (std::size_t i = 0; i < count; ++i) {
        lem2.rules.push_back(makeRule({{0, float(i)}}, {0}, 1));
    }
    return lem2;
}

TEST(Lem2Export, WritesTheTimeLineThenOneCrLfLinePerRule)
{
    LEM2v1 lem2;
    lem2.elapsedSeconds = 0.25;
    lem2.rules = {makeRule({{0, 1}}, {0}, 2), makeRule({{1, 3}, {0, 2}}, {1, 2}, 1)};
    EXPECT_EQ(lem2ExportText(lem2), "Czas wykonania zadania: 0.250000000000s\r\n"
                                    " (a1=1.000) => (d=0.000) [2]\r\n"
                                    " (a2=3.000) & (a1=2.000) => (d=1.000) v (d=2.000)\r\n");
    lem2.rules.clear();
    EXPECT_EQ(lem2ExportText(lem2), "Czas wykonania zadania: 0.250000000000s\r\n");
}

class Lem2ExportFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / "kolven-lem2-export";
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

TEST_F(Lem2ExportFile, ReplacesAnExistingFileWithTheExportText)
{
    const auto path = folder_ / "rules.txt";
    std::ofstream(path, std::ios::binary) << std::string(5000, 'x');
    LEM2v1 lem2 = lem2WithRules(3);
    const SystemDecyzyjny& base = lem2;
    base.exportResults(path);
    EXPECT_EQ(contents(path), lem2ExportText(lem2));
}

TEST_F(Lem2ExportFile, SkipsAPathThatCannotBeCreatedSilently)
{
    const auto path = folder_ / "missing" / "rules.txt";
    lem2WithRules(1).exportResults(path);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// A page of bottom 100 takes three rule lines under the time line and four on a continued page:
// after a line the page is full once the cursor passes 56.
constexpr int kBottom = 100;

TEST(Lem2Listing, AShortListingFitsOnOnePageAndDisablesTheButton)
{
    const LEM2v1 lem2 = lem2WithRules(2);
    RecordingPage page(kBottom, 16);
    ListingPosition position;
    EXPECT_TRUE(listLem2Rules(lem2, position, page));
    EXPECT_EQ(page.texts(), (std::vector<std::string>{" (a1=0.000) => (d=0.000)", " (a1=1.000) => (d=0.000)"}));
    EXPECT_EQ(page.lines[0].top, 16);
    EXPECT_EQ(position.listingMode, ListingMode::Lem2);
    EXPECT_EQ(position.lem2Position, 0u);
    EXPECT_FALSE(page.buttonShown);
    EXPECT_TRUE(page.buttonDisabled);
    EXPECT_EQ(page.passesEnded, 1);
}

TEST(Lem2Listing, ContinuedPagesStartWithTheFirstRuleNotDrawn)
{
    const LEM2v1 lem2 = lem2WithRules(9);
    RecordingPage page(kBottom, 16);
    ListingPosition position;
    std::vector<std::string> all;

    EXPECT_FALSE(listLem2Rules(lem2, position, page));
    EXPECT_EQ(page.lines.size(), 3u);
    EXPECT_TRUE(page.buttonShown);
    EXPECT_FALSE(page.buttonDisabled);
    EXPECT_EQ(position.lem2Position, 3u);
    all = page.texts();

    page.nextPage();
    EXPECT_FALSE(listLem2Rules(lem2, position, page));
    EXPECT_EQ(page.lines.size(), 4u);
    EXPECT_EQ(page.lines.back().top, 48);
    EXPECT_EQ(position.lem2Position, 7u);
    const auto second = page.texts();
    all.insert(all.end(), second.begin(), second.end());

    page.nextPage();
    EXPECT_TRUE(listLem2Rules(lem2, position, page));
    EXPECT_EQ(page.lines.size(), 2u);
    EXPECT_TRUE(page.buttonDisabled);
    EXPECT_EQ(position.lem2Position, 0u);
    const auto third = page.texts();
    all.insert(all.end(), third.begin(), third.end());

    std::vector<std::string> expected;
    for (const auto& rule : lem2.rules) {
        expected.push_back(lem2RuleText(rule));
    }
    EXPECT_EQ(all, expected);
    EXPECT_EQ(page.passesEnded, 3);
}

TEST(Lem2Listing, APageFilledByTheLastRuleIsFollowedByAnEmptyPage)
{
    const LEM2v1 lem2 = lem2WithRules(7);
    RecordingPage page(kBottom, 16);
    ListingPosition position;
    EXPECT_FALSE(listLem2Rules(lem2, position, page));
    page.nextPage();
    EXPECT_FALSE(listLem2Rules(lem2, position, page));
    EXPECT_EQ(page.texts().back(), lem2RuleText(lem2.rules.back()));
    EXPECT_TRUE(page.buttonShown);
    EXPECT_EQ(position.lem2Position, 7u);

    page.nextPage();
    EXPECT_TRUE(listLem2Rules(lem2, position, page));
    EXPECT_TRUE(page.lines.empty());
    EXPECT_TRUE(page.buttonDisabled);
    EXPECT_EQ(position.lem2Position, 0u);
}

} // namespace
} // namespace kolven
