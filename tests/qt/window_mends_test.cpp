#include "program_fixture.h"

#include "ercim.h"
#include "table_files.h"
#include "grid_editor_window.h"
#include "translations.h"

#include <QAbstractFileIconProvider>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeDatabase>
#include <QScrollBar>
#include <QTest>
#include <QWindow>

namespace kolven::test {
namespace {

using WindowMendsTest = ProgramTest;

// Time for the window to react to what was done to it.
constexpr int kReactMilliseconds = 50;

TEST_F(WindowMendsTest, StaysMaximizedAgainstRestoreMinimizeAndResize)
{
    ASSERT_TRUE(window().isMaximized());
    const QRect maximized = window().geometry();
    const std::pair<const char*, std::function<void()>> attempts[] = {
        {"restore", [this] { window().showNormal(); }},
        {"minimize", [this] { window().showMinimized(); }},
        {"resize", [this] {
             window().setWindowState(Qt::WindowNoState);
             window().setGeometry(40, 40, 300, 200);
         }},
    };
    for (const auto& [name, attempt] : attempts) {
        attempt();
        QTest::qWait(kReactMilliseconds);
        EXPECT_TRUE(window().isMaximized()) << name;
        EXPECT_EQ(window().geometry(), maximized) << name;
    }
}

TEST_F(WindowMendsTest, AltDoesNothingButAClickOpensTheMenu)
{
    QTest::keyClick(&window(), Qt::Key_Alt);
    QTest::keyClick(&window(), Qt::Key_Down);
    EXPECT_EQ(window().menuBar()->activeAction(), nullptr);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    QMenuBar* bar = window().menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(bar->actions().front()).center());
    QWidget* popup = QApplication::activePopupWidget();
    EXPECT_NE(popup, nullptr);
    if (popup)
        popup->close();
}

TEST_F(WindowMendsTest, LongRuleLineGetsAHorizontalBarAndThePageStaysAsItWas)
{
    const int pageBottom = window().pageBottom();
    const QRect dalej = nextButton().geometry();
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("lem2-long-rule.tab"))}));
    ASSERT_TRUE(choose(CommandId::ComputeLem2));
    QTest::qWait(kReactMilliseconds);
    int widest = 0;
    for (const TextView::Line& line : window().textView().lines())
        widest = std::max(widest, window().textView().fontMetrics().horizontalAdvance(line.text));
    ASSERT_GT(widest, window().width());
    QScrollBar& bar = window().horizontalBar();
    EXPECT_TRUE(bar.isVisible());
    bar.setValue(bar.maximum());
    EXPECT_GE(window().textView().width(), widest) << "the end of the line can be scrolled to";
    EXPECT_EQ(window().pageBottom(), pageBottom);
    EXPECT_EQ(nextButton().geometry(), dalej);
    EXPECT_EQ(nextButton().mapTo(&window(), QPoint(0, 0)).x(), dalej.x()) << "DALEJ does not scroll with the text";

    ASSERT_TRUE(choose(CommandId::About));
    QTest::qWait(kReactMilliseconds);
    EXPECT_FALSE(bar.isVisible()) << "short lines need no bar";
}

// The translations loaded are Qt's own, for every standard dialog; the message box shows them.
// Closing the window asks first, and No keeps the program open.
TEST_F(WindowMendsTest, PolishTranslationsSpeakInQtsDialogsAndTheCloseQuestionHasNoCaption)
{
    ASSERT_TRUE(installPolishTranslations(*qApp));
    QString question;
    QStringList buttons;
    QString shownTitle = QStringLiteral("unset");
    auto look = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return;
        question = box->text();
        for (QMessageBox::StandardButton which : {QMessageBox::Yes, QMessageBox::No})
            buttons.push_back(box->button(which)->text().remove(u'&'));
        shownTitle = box->windowHandle()->title();
        box->button(QMessageBox::No)->click();
    };
    EXPECT_TRUE(ModalScript({look}).run([&] { window().close(); }));
    EXPECT_EQ(question, QStringLiteral("Czy chcesz zakończyć działanie programu?"));
    EXPECT_TRUE(window().isVisible());
    EXPECT_EQ(buttons, (QStringList{QStringLiteral("Tak"), QStringLiteral("Nie")}));
    // Blank, not empty: the platform would replace an empty title by the program's name.
    EXPECT_TRUE(!shownTitle.isEmpty() && shownTitle.trimmed().isEmpty()) << shownTitle.toStdString();
}

TEST_F(WindowMendsTest, OpenDialogOffersAllFilesStartsInTheLastFolderAndTellsTypesByName)
{
    // Contents that sniffing would take for a PDF document; its name says nothing.
    const auto disguised = temp_.write("notes", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    QStringList filters;
    QString folder;
    QString type;
    EXPECT_TRUE(choose(CommandId::LoadTestSystem, {[&](QWidget* w) {
                           auto* dialog = qobject_cast<QFileDialog*>(w);
                           filters = dialog->nameFilters();
                           folder = dialog->directory().absolutePath();
                           type = dialog->iconProvider()->type(QFileInfo(path(disguised)));
                           dialog->reject();
                       }}));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Pliki MSD, TAB, CSV, ARFF (*.msd *.tab *.csv *.arff)"), QStringLiteral("Wszystkie pliki (*)")}));
    EXPECT_EQ(folder, QDir(path(testing::dataFile(""))).absolutePath());
    EXPECT_EQ(type, QMimeDatabase().mimeTypeForFile(QStringLiteral("notes"), QMimeDatabase::MatchExtension).comment());
    EXPECT_FALSE(enabled(CommandId::EditTestSystem)) << "a cancelled dialog loads nothing";
}

// A table of the given shape whose values and row labels are the widest the grid must show.
ERCIM wideTable(std::uint32_t objects, std::uint32_t attributes)
{
    ERCIM table;
    table.installValues(objects, attributes,
                        std::vector<float>(std::size_t(objects) * (attributes + 1), -9876543.125f));
    return table;
}

TEST_F(WindowMendsTest, GridShowsItsButtonsCaptionColumnsLabelsAndValuesWhole)
{
    for (auto [objects, attributes] : {std::pair{3u, 0u}, {3u, 1u}, {3u, 2u}, {100000u, 20u}}) {
        const ERCIM table = wideTable(objects, attributes);
        GridEditor editor = GridEditor::forSystem(table);
        editor.scrollRows(ScrollRequest::Last);
        GridEditorWindow grid(editor, &window());
        const std::string shape = std::to_string(objects) + " x " + std::to_string(attributes);
        QFont title = grid.font();
        title.setBold(true);
        EXPECT_GT(grid.width(), QFontMetrics(title).horizontalAdvance(grid.windowTitle())) << shape;
        const int right = grid.width() - (grid.verticalBar() ? grid.verticalBar()->width() : 0);
        for (QPushButton* button : grid.findChildren<QPushButton*>())
            EXPECT_LE(button->geometry().right(), right) << shape;
        for (QLabel* label : grid.findChildren<QLabel*>()) {
            EXPECT_LE(label->geometry().right(), right) << shape;
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
        }
        for (QLineEdit* field : grid.findChildren<QLineEdit*>()) {
            EXPECT_LE(field->geometry().right(), right) << shape;
            // The text area is the field less its 1-pixel border and 2-pixel margins each side.
            EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width() - 6) << shape;
        }
    }
}

} // namespace
} // namespace kolven::test
