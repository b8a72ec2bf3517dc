#include "app_fixture.h"

#include "recording_page.h"
#include "text_format.h"

#include <gtest/gtest.h>

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

TEST_F(Paging, Lem2PagesMatchTheListingAndEndWithAnEmptyPageAfterAFullOne)
{
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

TEST_F(Paging, ExhaustivePagesCarryTheHeaderAndRepeatTheLastRuleLine)
{
    loadDistinctObjects(7);
    app.runCommand(ComputeExhaustive);
    const Pages pages = pagesFromHere();
    EXPECT_EQ(pages, expectedPages([this](ListingPosition& p, TextPage& t) { return listExhaustiveRules(*state.ercim, p, t); },
                                   state.ercim->elapsedSeconds));
    ASSERT_GE(pages.size(), 2u);
    EXPECT_EQ(pages[1][0], "Rzad: 1");
    EXPECT_EQ(pages[1][1], pages[0].back());
    EXPECT_FALSE(screen.buttonEnabled);
}

TEST_F(Paging, ShortListingNeverShowsTheButtonAndAboutOrTheKnnResultsHideALongOne)
{
    loadDistinctObjects(2);
    app.runCommand(ComputeLem2);
    EXPECT_FALSE(screen.buttonVisible || screen.buttonEnabled);
    loadDistinctObjects(12);
    loadTest(tabFile("test.tab", {{1, 1}}));
    app.runCommand(ComputeLem2);
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

TEST_F(Paging, ShowingAgainStartsAtTheTopAndAClickContinuesTheListingLastShown)
{
    loadDistinctObjects(12);
    app.runCommand(ComputeExhaustive);
    const std::vector<std::string> exhaustiveFirst = page();
    app.runCommand(ComputeLem2);
    const Pages lem2 = pagesFromHere();
    EXPECT_EQ(lem2, expectedPages([this](ListingPosition& p, TextPage& t) { return listLem2Rules(*state.lem2, p, t); },
                                  state.lem2->elapsedSeconds));
    app.runCommand(ShowExhaustive);
    EXPECT_EQ(page(), exhaustiveFirst);
    app.runCommand(ShowLem2);
    EXPECT_EQ(page(), lem2.at(0));
    EXPECT_TRUE(screen.buttonEnabled);
    app.nextPageClicked();
    EXPECT_EQ(page(), lem2.at(1));
}

} // namespace
} // namespace kolven::testing
