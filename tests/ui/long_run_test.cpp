// Computations on the worker thread: what the window shows and allows while one runs, and that
// stopping one, or closing the window during one, loses nothing.
#include "app_fixture.h"

#include "background_run.h"
#include "knn.h"
#include "lem2.h"
#include "painter.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <optional>
#include <regex>
#include <utility>
#include <string>
#include <thread>

namespace kolven::testing {
namespace {

using enum CommandId;

// What a cancelled computation must leave exactly as it was.
struct Snapshot {
    const ERCIM* ercim;
    const LEM2v1* lem2;
    std::string exhaustive;
    std::string lem2Rules;
    std::string knn;
    std::uint32_t k;
    std::map<CommandId, bool> menu;

    explicit Snapshot(const AppState& state, const RecordingScreen& screen)
        : ercim(state.ercim.get()), lem2(state.lem2.get()), exhaustive(exhaustiveExportText(*state.ercim)),
          lem2Rules(lem2ExportText(*state.lem2)), knn(knnReportText(state.knn)), k(state.knn.k), menu(screen.menu)
    {
    }
    bool operator==(const Snapshot&) const = default;
};

using LongRuns = AppTest;

TEST_F(LongRuns, CancelAtEveryComputationLeavesEverythingAsItWasAndOnlyCancelCanBeChosen)
{
    load(tabFile("t.tab", {{1, 0, 0}, {2, 1, 1}, {3, 1, 1}, {1, 1, 0}}));
    loadTest(tabFile("test.tab", {{1, 0, 0}, {3, 1, 1}}));
    // Each computation is stopped over the results of an earlier one.
    for (auto [earlier, compute] : {std::pair{ComputeExhaustiveAllOrders, ComputeExhaustive},
                                    {ComputeExhaustive, ComputeExhaustiveAllOrders},
                                    {ShowExhaustive, ComputeLem2},
                                    {ClassifyKnn, ClassifyKnn},
                                    {ComputeApproximations, ComputeReducts},
                                    {ComputeReductGreedy, ComputeApproximations}}) {
        SCOPED_TRACE(int(compute));
        screen.knnScripts.push_back(typeK("1"));
        app.runCommand(earlier);
        ASSERT_TRUE(app.commandEnabled(compute));
        const Snapshot before(state, screen);
        screen.knnScripts.assign({typeK("3")});
        app.startCommand(compute);
        ASSERT_TRUE(app.computing());
        EXPECT_EQ(screen.enabledCommands(), std::vector{CancelComputation});
        EXPECT_FALSE(screen.buttonEnabled);
        EXPECT_EQ(screen.texts().front(), kWaitMessage);

        app.startCommand(kEscapeCommand);
        app.settle();
        EXPECT_TRUE(Snapshot(state, screen) == before);
        EXPECT_EQ(screen.texts(), std::vector<std::string>{std::string(kCancelledMessage)});
        EXPECT_FALSE(screen.buttonVisible);
        EXPECT_TRUE(screen.messages.empty());
    }
}

TEST_F(LongRuns, ProgressLineFollowsTheRunAndClosingAsksThenStopsAndWaitsForTheWorker)
{
    // The bundled soybean table, whose exhaustive search runs for many seconds.
    load(std::filesystem::path(KOLVEN_EXAMPLES) / "soybean.tab");
    const Snapshot before(state, screen);
    app.startCommand(ComputeExhaustive);
    while (app.computing() && screen.texts().size() < 2) {
        ASSERT_TRUE(screen.runPosted());
    }
    ASSERT_TRUE(app.computing()) << "the table was searched before the first progress line";
    EXPECT_TRUE(std::regex_match(screen.texts().at(1), std::regex("Rzad [1-9][0-9]*: [0-9]+ z 683 obiektow")))
        << screen.texts().at(1);

    EXPECT_FALSE(app.confirmClose()); // No: the run goes on
    EXPECT_EQ(screen.questions.at(0), "Czy chcesz zakończyć działanie programu?");
    EXPECT_TRUE(app.computing());
    screen.yesAnswer = true;
    EXPECT_TRUE(app.confirmClose());
    EXPECT_FALSE(app.computing());
    // What the stopped worker posted changes nothing any more.
    const auto events = screen.events.size();
    screen.runPosted();
    EXPECT_EQ(screen.events.size(), events);
    EXPECT_EQ(state.ercim.get(), before.ercim);
    EXPECT_EQ(exhaustiveExportText(*state.ercim), before.exhaustive);

    EXPECT_EQ(progressLine(Computation::Lem2, 0, 3, 19), "Klasy decyzyjne: 3 z 19");
    EXPECT_EQ(progressLine(Computation::Knn, 0, 96, 810), "Obiekty testowe: 96 z 810");
    EXPECT_EQ(progressLine(Computation::Knn, 0, 0, 0), "");
}

// The outcomes the worker hands to the window thread, whatever the work is. A run stopped while
// it works is the cancel test's above.
TEST(BackgroundRunOutcome, DoneRefusedOutOfMemoryAndCancelledArriveOnTheWindowThread)
{
    using Outcome = BackgroundRun::Outcome;
    RecordingScreen screen;
    BackgroundRun run(screen);
    const std::thread::id windowThread = std::this_thread::get_id();
    struct Case {
        std::function<bool(Progress&)> work;
        bool cancel;
        Outcome expected;
    };
    const Case cases[] = {
        {[](Progress&) { return true; }, false, Outcome::Done},
        {[](Progress&) { return false; }, false, Outcome::Refused},
        {[](Progress&) -> bool { throw std::bad_alloc(); }, false, Outcome::OutOfMemory},
        {[](Progress&) { return true; }, true, Outcome::Cancelled}, // finished, but the user said stop
    };
    for (const Case& c : cases) {
        std::optional<Outcome> outcome;
        run.start(c.work, [] {}, [&](Outcome o) {
            EXPECT_EQ(std::this_thread::get_id(), windowThread);
            outcome = o;
        });
        if (c.cancel) {
            run.cancel();
        }
        while (!outcome && screen.runPosted()) {
        }
        EXPECT_EQ(outcome, c.expected);
        EXPECT_FALSE(run.running());
    }
}

} // namespace
} // namespace kolven::testing
