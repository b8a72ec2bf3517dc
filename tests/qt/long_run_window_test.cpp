// A computation in the window: it runs while the event loop goes on, and after Escape its outcome,
// the cancel line, comes back through the loop.
#include "program_fixture.h"

#include "painter.h"

#include <QTest>

namespace kolven::test {
namespace {

// Which entries a run leaves enabled is the application tests' concern; the menu mirrors them.
using LongRunWindowTest = ProgramTest;

TEST_F(LongRunWindowTest, EscapeStopsARunAndItsOutcomeArrivesThroughTheEventLoop)
{
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
