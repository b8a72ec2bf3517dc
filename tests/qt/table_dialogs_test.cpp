#include "program_fixture.h"

#include "grid_editor_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace kolven::test {
namespace {

bool okEnabled(QDialog* dialog)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("OK"))
            return button->isEnabled();
    return false;
}

using TableDialogsTest = ProgramTest;

TEST_F(TableDialogsTest, CreatesA3x2SystemTypedIntoTheGrid)
{
    std::vector<bool> ok;
    bool stillOpenAfterKeys = false;
    QString caption;
    auto parameters = [&](QDialog* dialog) {
        caption = dialog->windowTitle();
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        ok.push_back(okEnabled(dialog));
        QTest::keyClicks(edits[0], QStringLiteral("3x"));
        ok.push_back(okEnabled(dialog));
        QTest::keyClicks(edits[1], QStringLiteral("2"));
        QTest::keyClick(edits[1], Qt::Key_Escape);
        QTest::keyClick(edits[1], Qt::Key_Return);
        stillOpenAfterKeys = dialog->isVisible() && edits[0]->text() == QStringLiteral("3");
    };
    std::vector<QString> labels;
    auto grid = [&](QDialog* dialog) {
        for (QLabel* label : dialog->findChildren<QLabel*>())
            labels.push_back(label->text());
        const QList<QLineEdit*> cells = dialog->findChildren<QLineEdit*>();
        for (qsizetype i = 0; i < cells.size(); ++i)
            QTest::keyClicks(cells[i], QString::number(i + 1) + QStringLiteral(".5"));
        cells[4]->clear();
    };
    ASSERT_TRUE(choose(CommandId::CreateSystem, {inspectAndPress(parameters, QStringLiteral("OK")),
                                                 inspectAndPress(grid, QStringLiteral("OK"))}));
    EXPECT_EQ(caption, QStringLiteral("Tworzenie nowego systemu decyzyjnego"));
    EXPECT_EQ(ok, (std::vector<bool>{false, false}));
    EXPECT_TRUE(stillOpenAfterKeys) << "Escape and Return do not end the dialog";
    EXPECT_EQ(labels, (std::vector<QString>{"A1", "A2", "D", "O1", "O2", "O3"}));
    ASSERT_NE(state_.ercim, nullptr);
    EXPECT_EQ(state_.currentObjectCount, 3u);
    EXPECT_EQ(state_.ercim->values, (std::vector<float>{1.5f, 2.5f, 3.5f, 4.5f, 0.0f, 6.5f, 7.5f, 8.5f, 9.5f}));

    // ANULUJ in the grid keeps the system.
    ASSERT_TRUE(choose(CommandId::CreateSystem, {fillAndPress({"4", "4"}, QStringLiteral("OK")),
                                                 fillAndPress({"9", "9", "9"}, QStringLiteral("ANULUJ"))}));
    EXPECT_EQ(state_.currentObjectCount, 3u);
    EXPECT_EQ(state_.ercim->values[0], 1.5f);
}

TEST_F(TableDialogsTest, GridBarsScrollAWideTallTableAndStoreWhereTheyShow)
{
    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndPress({"12", "19", "0", "0"}, QStringLiteral("OK"))}));
    std::vector<QString> labels; // first and last column, top row: before and after scrolling
    auto scroll = [&](QDialog* dialog) {
        auto* grid = static_cast<GridEditorWindow*>(dialog);
        const QList<QLabel*> shown = dialog->findChildren<QLabel*>();
        labels.insert(labels.end(), {shown[0]->text(), shown[14]->text(), shown[15]->text()});
        if (!grid->horizontalBar() || !grid->verticalBar())
            return;
        grid->horizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        grid->verticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        labels.insert(labels.end(), {shown[0]->text(), shown[14]->text(), shown[15]->text()});
        grid->cell(9, 14)->setText(QStringLiteral("7"));
    };
    ASSERT_TRUE(choose(CommandId::EditSystem, {inspectAndPress(scroll, QStringLiteral("OK"))}));
    EXPECT_EQ(labels, (std::vector<QString>{"A1", "A15", "O1", "A6", "D", "O2"}));
    EXPECT_EQ(state_.ercim->values[10 * 20 + 19], 7.0f) << "row 11, the decision column";
}

} // namespace
} // namespace kolven::test
