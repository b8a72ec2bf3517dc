// A computation in the window: it runs while the event loop goes on, and its outcome comes back
// through the loop: the results, or after Escape the cancel line.
#include "program_fixture.h"

#include "painter.h"

#include <QTest>

namespace kolven::test {
namespace {

// Which entries a run leaves enabled is the application tests' concern; the menu mirrors them.
using LongRunWindowTest = ProgramTest;

TEST_F(LongRunWindowTest, ResultsArriveThroughTheEventLoopAndEscapeStopsARun)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("segment-challenge.tab"))}));
    window().action(CommandId::ComputeLem2)->trigger();
    EXPECT_TRUE(program_->application().computing());
    EXPECT_EQ(shownLines().front(), kWaitMessage);
    settle();
    ASSERT_FALSE(shownLines().empty());
    EXPECT_EQ(shownLines().front().rfind("Czas wykonania zadania: ", 0), 0u);
    EXPECT_TRUE(enabled(CommandId::ShowLem2));
    EXPECT_FALSE(enabled(CommandId::CancelComputation));

    // The soybean table keeps the exhaustive search busy for many seconds.
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(QStringLiteral(KOLVEN_EXAMPLES "/soybean.tab"))}));
    window().action(CommandId::ComputeExhaustive)->trigger();
    for (int waited = 0; waited < 200 && shownLines().size() < 2; ++waited)
        QTest::qWait(50);
    ASSERT_TRUE(program_->application().computing());
    EXPECT_EQ(shownLines().size(), 2u) << "the progress line under the wait line";
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    QTest::keyClick(&window(), Qt::Key_Escape);
    EXPECT_TRUE(program_->application().computing()) << "the outcome comes through the event loop";
    settle();
    EXPECT_EQ(shownLines(), std::vector<std::string>{std::string(kCancelledMessage)});
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));
    EXPECT_FALSE(enabled(CommandId::ShowExhaustive));
}

} // namespace
} // namespace kolven::test
