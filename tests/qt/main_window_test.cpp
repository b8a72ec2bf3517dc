#include "program_fixture.h"

#include <QMenu>
#include <QMenuBar>

namespace kolven::test {
namespace {

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, MenuBarShowsTheLayoutTextsWithStartStateAndNoMnemonics)
{
    EXPECT_EQ(window().windowTitle(), QStringLiteral("KOLVEN - Merivant"));
    const QList<QAction*> top = window().menuBar()->actions();
    ASSERT_EQ(top.size(), 3);
    EXPECT_EQ(top[0]->text(), QStringLiteral("Plik"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("Dzialania"));
    EXPECT_EQ(top[2]->text(), QStringLiteral("Autor"));
    EXPECT_EQ(top[2]->menu(), nullptr);
    for (int p = 0; p < 2; ++p) {
        const QList<QAction*> entries = top[p]->menu()->actions();
        const MenuPopup& popup = kMenuPopups[std::size_t(p)];
        ASSERT_EQ(std::size_t(entries.size()), popup.items.size());
        for (std::size_t i = 0; i < popup.items.size(); ++i) {
            const MenuItem& item = popup.items[i];
            const QAction* entry = entries[qsizetype(i)];
            EXPECT_EQ(entry->isSeparator(), item.isSeparator());
            if (!item.isSeparator()) {
                EXPECT_EQ(entry->text().toStdString(), item.text);
                EXPECT_EQ(entry->isEnabled(), enabledAtStart(item.id)) << item.text;
            }
        }
    }
    // The layout's texts are the program's own: checked here, and free of mnemonics.
    EXPECT_EQ(window().action(CommandId::SaveSystem)->text(), QStringLiteral("Zapisz system decyzyjny..."));
    EXPECT_EQ(window().action(CommandId::ShowKnn)->text(), QStringLiteral("Wyswietl wyniki klasyfikacji k-NN..."));
    EXPECT_FALSE(enabled(CommandId::ClassifyKnn));
}

TEST_F(MainWindowTest, OpensMaximizedWithDalejHiddenAndUndoesMinimizing)
{
    EXPECT_TRUE(window().isMaximized());
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(nextButton().isVisible());
    EXPECT_EQ(nextButton().text(), QStringLiteral("DALEJ"));
    window().showMinimized();
    for (int i = 0; i < 20 && window().isMinimized(); ++i)
        QApplication::processEvents();
    EXPECT_FALSE(window().isMinimized());
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
