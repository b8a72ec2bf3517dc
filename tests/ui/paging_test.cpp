#include "app_fixture.h"

#include "recording_page.h"
#include "text_format.h"
#include "cross_validation_dialog.h"

#include <gtest/gtest.h>

#include <set>

namespace kolven::testing {
namespace {

using enum CommandId;
using Pages = std::vector<std::vector<std::string>>;

// A page of 108 pixels: the first page holds the time line and four LEM2 rule lines, a continued
// page five.
constexpr int kSmallPage = 108;

class Paging : public AppTest {
protected:
    Paging() : AppTest(kSmallPage) {}

    // The pages a listing draws on a bare page of the same height under the time line: what the
    // application must show.
    template <typename Listing>
    static Pages expectedPages(Listing list, double seconds)
    {
        ListingPosition position;
        RecordingPage bare(kSmallPage, TextPage::kLineHeight);
        Pages pages;
        for (bool complete = false; !complete && pages.size() < 100; bare.nextPage()) {
            complete = list(position, bare);
            pages.push_back(bare.texts());
        }
        const std::string timeLine = elapsedTimeLine(seconds);
        pages.front().insert(pages.front().begin(), timeLine.substr(0, timeLine.size() - 2));
        return pages;
    }
};

TEST_F(Paging, RulePagesMatchTheListingsAndAFullLem2PageIsFollowedByAnEmptyOne)
{
    loadDistinctObjects(7);
    app.runCommand(ComputeExhaustive);
    const Pages exhaustive = pagesFromHere();
    EXPECT_GE(exhaustive.size(), 2u);
    EXPECT_EQ(exhaustive, expectedPages([this](ListingPosition& p, TextPage& t) { return listExhaustiveRules(*state.ercim, p, t); },
                                        state.ercim->elapsedSeconds));

    loadDistinctObjects(4);
    app.runCommand(ComputeLem2);
    const Pages pages = pagesFromHere();
    EXPECT_EQ(pages, expectedPages([this](ListingPosition& p, TextPage& t) { return listLem2Rules(*state.lem2, p, t); },
                                   state.lem2->elapsedSeconds));
    // Four rules fill the first page exactly: "DALEJ" still comes, and brings an empty page.
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].size(), 5u);
    EXPECT_TRUE(pages[1].empty());
    EXPECT_TRUE(screen.buttonVisible);
    EXPECT_FALSE(screen.buttonEnabled);
    // A disabled button does nothing.
    screen.events.clear();
    app.nextPageClicked();
    EXPECT_TRUE(screen.events.empty());
}

TEST_F(Paging, ShowingAgainStartsAtTheTopAClickContinuesTheListingLastShownAndOtherTextHidesTheButton)
{
    loadDistinctObjects(2);
    app.runCommand(ComputeLem2);
    EXPECT_FALSE(screen.buttonVisible || screen.buttonEnabled) << "a short listing never shows the button";
    // Nor after a listing paged to its end, which left the button greyed.
    screen.cvScripts.push_back([](CrossValidationDialog& d) { d.setFieldText(CvField::Folds, "2"), d.accept(); });
    app.runCommand(CrossValidate);
    app.nextPageClicked();
    ASSERT_TRUE(screen.buttonVisible && !screen.buttonEnabled);
    app.runCommand(ShowLem2);
    EXPECT_FALSE(screen.buttonVisible);
    loadDistinctObjects(12);
    loadTest(tabFile("test.tab", {{1, 1}}));
    app.runCommand(ComputeExhaustive);
    const std::vector<std::string> exhaustiveFirst = page();
    app.runCommand(ComputeLem2);
    const Pages lem2 = pagesFromHere();
    ASSERT_GE(lem2.size(), 2u);
    app.runCommand(ShowExhaustive);
    EXPECT_EQ(page(), exhaustiveFirst);
    app.runCommand(ShowLem2);
    EXPECT_EQ(page(), lem2[0]);
    EXPECT_TRUE(screen.buttonEnabled);
    app.nextPageClicked();
    EXPECT_EQ(page(), lem2[1]);
    // Ctrl+E exports the results on the window, on any of their pages, as their entry does.
    screen.saveAnswers = {folder / "keys.txt", folder / "menu.txt"};
    app.exportShownResults();
    app.runCommand(ExportLem2);
    EXPECT_EQ(fileBytes(folder / "keys.txt"), fileBytes(folder / "menu.txt"));
    app.runCommand(ShowExhaustive);
    screen.saveAnswers = {folder / "ex-keys.txt", folder / "ex-menu.txt", folder / "unasked.txt"};
    app.exportShownResults();
    app.runCommand(ExportExhaustive);
    EXPECT_EQ(fileBytes(folder / "ex-keys.txt"), fileBytes(folder / "ex-menu.txt"));
    app.runCommand(ShowLem2);
    app.runCommand(About);
    app.exportShownResults();
    EXPECT_EQ(screen.saveAnswers.size(), 1u) << "nothing to export, nothing asked";

    screen.knnScripts.push_back(typeK("1"));
    for (CommandId hiding : {About, ClassifyKnn, ShowKnn}) {
        app.runCommand(ShowLem2);
        ASSERT_TRUE(screen.buttonVisible);
        app.runCommand(hiding);
        EXPECT_FALSE(screen.buttonVisible) << int(hiding);
        screen.events.clear();
        app.nextPageClicked();
        EXPECT_TRUE(screen.events.empty());
    }
}

TEST_F(Paging, PageBottomIsTakenOnceAndNoPageIsTooShortToMoveTheListingOn)
{
    // A page with no room for a rule line under the carried header would repeat itself for ever.
    screen.setPageBottom(0);
    loadDistinctObjects(12);
    app.runCommand(ComputeExhaustive);
    const Pages shortPages = pagesFromHere();
    EXPECT_FALSE(screen.buttonEnabled) << "the listing ended";
    std::set<std::string> listed;
    for (const auto& shown : shortPages) {
        listed.insert(shown.begin(), shown.end());
    }
    for (int i = 0; i < 12; ++i) {
        const std::string rule = " (a1=" + std::to_string(i) + ".000) => (d=" + std::to_string(i) + ".000)";
        EXPECT_TRUE(listed.contains(rule)) << rule;
    }

    // A window grown later does not change the page.
    screen.setPageBottom(600);
    app.runCommand(ShowExhaustive);
    EXPECT_EQ(pagesFromHere(), shortPages);
}

TEST_F(Paging, ExhaustiveResultsWithoutAnyRuleSaySoOnScreenButNotInTheExport)
{
    load(tabFile("none.tab", {{0}, {1}}));
    app.runCommand(ComputeExhaustive);
    ASSERT_EQ(screen.texts().size(), 2u);
    EXPECT_EQ(screen.texts()[1], kNoRulesText);
    screen.saveAnswers = {folder / "e.txt"};
    app.runCommand(ExportExhaustive);
    EXPECT_EQ(fileBytes(folder / "e.txt"), elapsedTimeLine(state.ercim->elapsedSeconds));
}

} // namespace
} // namespace kolven::testing
