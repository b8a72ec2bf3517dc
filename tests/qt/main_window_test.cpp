#include "program_fixture.h"

#include <QImage>
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
            if (item.isSeparator())
                continue;
            EXPECT_EQ(entry->text().toStdString(), item.text);
            EXPECT_EQ(entry->isEnabled(), enabledAtStart(item.id)) << item.text;
            EXPECT_FALSE(entry->text().contains(u'&'));
        }
    }
    EXPECT_EQ(window().action(CommandId::SaveSystem)->text(), QStringLiteral("Zapisz system decyzyjny..."));
    EXPECT_FALSE(enabled(CommandId::ClassifyKnn));
    EXPECT_TRUE(enabled(CommandId::About));
}

TEST_F(MainWindowTest, OpensMaximizedWithoutMinimizeButtonAndWithDalejHidden)
{
    EXPECT_TRUE(window().isMaximized());
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window().windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(nextButton().isVisible());
    EXPECT_EQ(nextButton().text(), QStringLiteral("DALEJ"));
}

TEST_F(MainWindowTest, DalejSitsAbovePageBottomAfterEveryResize)
{
    for (const QSize size : {QSize(700, 500), QSize(640, 300)}) {
        window().showNormal();
        window().resize(size);
        QApplication::processEvents();
        const int bottom = window().textView().height() - 6;
        EXPECT_EQ(window().pageBottom(), bottom);
        EXPECT_EQ(nextButton().geometry(), QRect(4, bottom - 28, 60, 28));
    }
}

TEST_F(MainWindowTest, MinimizingIsUndone)
{
    window().showMinimized();
    for (int i = 0; i < 20 && window().isMinimized(); ++i)
        QApplication::processEvents();
    EXPECT_FALSE(window().isMinimized());
}

TEST_F(MainWindowTest, AboutIsCentredFromY200InGreenOnGrey)
{
    ASSERT_TRUE(choose(CommandId::About));
    const auto& lines = window().textView().lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, QStringLiteral("KOLVEN - Merivant v1.4"));
    EXPECT_EQ(lines[0].y, 200);
    EXPECT_TRUE(lines[1].text.isEmpty());
    EXPECT_EQ(lines[2].y, 232);
    EXPECT_TRUE(lines[0].centered);

    const QImage picture = window().textView().grab().toImage();
    EXPECT_EQ(picture.pixelColor(2, 2), TextView::kBackground);
    bool green = false;
    for (int x = 0; x < picture.width() && !green; ++x)
        for (int y = 200; y < 216 && !green; ++y)
            green = picture.pixelColor(x, y) == TextView::kTextColor;
    EXPECT_TRUE(green);
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
    view.clearText();
    EXPECT_TRUE(view.lines().empty());
}

TEST_F(MainWindowTest, ZakonczClosesWithoutAsking)
{
    EXPECT_TRUE(choose(CommandId::Quit));
    EXPECT_FALSE(window().isVisible());
}

TEST_F(MainWindowTest, CloseAnsweredNoKeepsProgramAndData)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    const ERCIM* loaded = state_.ercim.get();
    ASSERT_NE(loaded, nullptr);

    QString question;
    QString caption = QStringLiteral("not asked");
    ModalScript no({answer(QMessageBox::No, &question, &caption)});
    no.run([&] { window().close(); });
    EXPECT_TRUE(no.playedCleanly());
    EXPECT_EQ(question, QStringLiteral("Czy chcesz zakończyć działanie programu?"));
    EXPECT_TRUE(caption.isEmpty());
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(state_.ercim.get(), loaded);
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));

    ModalScript yes({answer(QMessageBox::Yes)});
    yes.run([&] { window().close(); });
    EXPECT_TRUE(yes.playedCleanly());
    EXPECT_FALSE(window().isVisible());
}

} // namespace
} // namespace kolven::test
