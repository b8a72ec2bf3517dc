#include "program_fixture.h"

#include <QMenu>
#include <QMenuBar>

namespace kolven::test {
namespace {

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, MenuBarHoldsTwoPopupsAndAutorAndMirrorsTheGreyedEntries)
{
    EXPECT_EQ(window().windowTitle(), QStringLiteral("KOLVEN - Merivant"));
    const QList<QAction*> top = window().menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[1]->text(), QStringLiteral("Dzialania"));
    EXPECT_EQ(top[2]->text(), QStringLiteral("Autor"));
    EXPECT_EQ(top[2]->menu(), nullptr) << "Autor is a command of its own";
    EXPECT_TRUE(enabled(CommandId::LoadSystem));
    EXPECT_FALSE(enabled(CommandId::ClassifyKnn));
}

// Staying maximized is the window mends' test.
TEST_F(MainWindowTest, OpensWithoutAMinimizeButtonAndWithDalejHidden)
{
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(nextButton().isVisible());
    EXPECT_EQ(nextButton().text(), QStringLiteral("DALEJ"));
}

TEST(TextView, SplitsLinesSixteenPixelsApartAndKeepsAmpersands)
{
    TextView view;
    view.addText(0, 16, "Czas\r\n");
    view.addText(0, 32, " (a1=1.000) & (a2=0.000) => (d=1.000)\nParametr k = 2\n");
    ASSERT_EQ(view.lines().size(), 3u);
    EXPECT_EQ(view.lines()[0].text, QStringLiteral("Czas"));
    EXPECT_EQ(view.lines()[1].text, QStringLiteral(" (a1=1.000) & (a2=0.000) => (d=1.000)"));
    EXPECT_EQ(view.lines()[2].y, 48);
}

TEST_F(MainWindowTest, CloseAnsweredNoKeepsProgramAndDataAndZakonczClosesWithoutAsking)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    const ERCIM* loaded = state_.ercim.get();
    ASSERT_NE(loaded, nullptr);

    QString question;
    QString caption = QStringLiteral("not asked");
    EXPECT_TRUE(ModalScript({answer(QMessageBox::No, &question, &caption)}).run([&] { window().close(); }));
    EXPECT_EQ(question, QStringLiteral("Czy chcesz zakończyć działanie programu?"));
    EXPECT_TRUE(caption.isEmpty());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(state_.ercim.get(), loaded);
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));

    EXPECT_TRUE(choose(CommandId::Quit));
    EXPECT_FALSE(window().isVisible());
}

} // namespace
} // namespace kolven::test
