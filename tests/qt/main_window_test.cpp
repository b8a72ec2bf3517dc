#include "program_fixture.h"

#include "ercim.h"
#include "painter.h"
#include "table_files.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace kolven::test {
namespace {

using MainWindowTest = ProgramTest;

// Which entries are greyed is the application's business; the other tests see the menu mirror it.
// Staying maximized is the window mends' test.
TEST_F(MainWindowTest, OpensWithTwoPopupsAutorAndTheNamesCheckMarkAndZakonczClosesWithoutAsking)
{
    EXPECT_EQ(window().windowTitle(), QStringLiteral("KOLVEN - Merivant"));
    const QList<QAction*> top = window().menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[1]->text(), QStringLiteral("Dzialania"));
    EXPECT_EQ(top[2]->menu(), nullptr) << "Autor is a command of its own";
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(nextButton().text(), QStringLiteral("DALEJ"));

    QAction* names = window().action(CommandId::ToggleAttributeNames);
    EXPECT_TRUE(names->isCheckable() && names->isChecked());
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    ASSERT_TRUE(choose(CommandId::ToggleAttributeNames));
    EXPECT_FALSE(names->isChecked());
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

TEST_F(MainWindowTest, ExhaustiveRulesArePagedAboveDalejExportedAndSavedAfterTheOverwriteQuestion)
{
    // A listing longer than the window, so that it needs several pages.
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    ASSERT_TRUE(choose(CommandId::ComputeExhaustive));

    const int buttonTop = window().pageBottom() - 28;
    int pages = 1;
    for (; pages < 100; ++pages) {
        for (const TextView::Line& line : window().textView().lines())
            EXPECT_LE(line.y + TextView::kLineHeight, buttonTop) << "drawn under the top of DALEJ";
        if (!nextButton().isVisible() || !nextButton().isEnabled())
            break;
        nextButton().click();
        QApplication::processEvents();
        ASSERT_FALSE(window().textView().lines().empty());
        EXPECT_EQ(window().textView().lines().front().y, 0) << "continued pages start at the top";
    }
    EXPECT_GT(pages, 1);

    // The file dialog adds the extension the export offers.
    ASSERT_TRUE(choose(CommandId::ExportExhaustive, {chooseFile(path(temp_ / "rules"))}));
    EXPECT_TRUE(testing::sameLines(testing::fileBytes(temp_ / "rules.txt"), exhaustiveExportText(*state_.ercim)));

    const auto saved = temp_.write("saved.msd", "old");
    QString question;
    EXPECT_TRUE(choose(CommandId::SaveSystem, {chooseFile(path(temp_ / "saved")), answer(QMessageBox::Yes, &question)}));
    EXPECT_FALSE(question.isEmpty());
    SystemDecyzyjny reread;
    ASSERT_TRUE(readMsd(saved, reread));
    EXPECT_EQ(reread.values, state_.ercim->values);
}

// The keys, without a menu opened: Ctrl+O loads, Ctrl+E exports the results shown, Ctrl+S saves;
// the menu shows them where shortcuts go.
TEST_F(MainWindowTest, KeysLoadTurnPagesExportAndSaveAndTheMenuShowsThem)
{
    EXPECT_EQ(window().action(CommandId::LoadSystem)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(window().action(CommandId::ExportReducts)->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    auto press = [this](Qt::Key key, std::vector<ModalScript::Step> steps, Qt::KeyboardModifiers with = Qt::ControlModifier) {
        window().activateWindow(); // not given back by the offscreen platform after a dialog
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window()));
        return ModalScript(std::move(steps)).run([&] { QTest::keyClick(&window(), key, with); });
    };
    ASSERT_TRUE(press(Qt::Key_O, {chooseFile(dataFile("iris.tab"))}));
    ASSERT_TRUE(choose(CommandId::ComputeExhaustive));
    ASSERT_TRUE(press(Qt::Key_E, {chooseFile(path(temp_ / "keys"))}));
    EXPECT_TRUE(testing::sameLines(testing::fileBytes(temp_ / "keys.txt"), exhaustiveExportText(*state_.ercim)));
    ASSERT_TRUE(press(Qt::Key_S, {chooseFile(path(temp_ / "keys"))}));
    EXPECT_TRUE(std::filesystem::exists(temp_ / "keys.msd"));
}

} // namespace
} // namespace kolven::test
