#include "program_fixture.h"

#include "grid_editor_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

namespace kolven::test {
namespace {

QPushButton* buttonOf(QDialog* dialog, const char* text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == QLatin1String(text))
            return button;
    return nullptr;
}

using TableDialogsTest = ProgramTest;

// The entries a newly installed decision system enables and greys.
void expectNewSystemMenu(MainWindow& window)
{
    for (CommandId id : {CommandId::SaveSystem, CommandId::ComputeExhaustive, CommandId::ComputeLem2,
                         CommandId::EditSystem})
        EXPECT_TRUE(window.action(id)->isEnabled()) << int(id);
    for (CommandId id : {CommandId::ShowExhaustive, CommandId::ExportExhaustive, CommandId::ShowLem2,
                         CommandId::ExportLem2, CommandId::ShowKnn})
        EXPECT_FALSE(window.action(id)->isEnabled()) << int(id);
}

TEST_F(TableDialogsTest, CreatesA3x2SystemTypedIntoTheGrid)
{
    bool okAtFirst = true;
    bool okWithOneField = true;
    bool stillOpenAfterKeys = false;
    QString caption;
    auto parameters = inspectAndPress(
        [&](QDialog* dialog) {
            caption = dialog->windowTitle();
            okAtFirst = buttonOf(dialog, "OK")->isEnabled();
            const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
            QTest::keyClicks(edits[0], QStringLiteral("3x"));
            okWithOneField = buttonOf(dialog, "OK")->isEnabled();
            QTest::keyClicks(edits[1], QStringLiteral("2"));
            QTest::keyClick(edits[1], Qt::Key_Escape);
            QTest::keyClick(edits[1], Qt::Key_Return);
            stillOpenAfterKeys = dialog->isVisible() && edits[0]->text() == QStringLiteral("3");
        },
        QStringLiteral("OK"));
    std::vector<QString> labels;
    auto grid = inspectAndPress(
        [&](QDialog* dialog) {
            for (QLabel* label : dialog->findChildren<QLabel*>())
                labels.push_back(label->text());
            const QList<QLineEdit*> cells = dialog->findChildren<QLineEdit*>();
            for (qsizetype i = 0; i < cells.size(); ++i)
                QTest::keyClicks(cells[i], QString::number(i + 1) + QStringLiteral(".5"));
            cells[4]->clear();
        },
        QStringLiteral("OK"));
    ASSERT_TRUE(choose(CommandId::CreateSystem, {parameters, grid}));

    EXPECT_EQ(caption, QStringLiteral("Tworzenie nowego systemu decyzyjnego"));
    EXPECT_FALSE(okAtFirst);
    EXPECT_FALSE(okWithOneField);
    EXPECT_TRUE(stillOpenAfterKeys);
    EXPECT_EQ(labels, (std::vector<QString>{"A1", "A2", "D", "O1", "O2", "O3"}));
    ASSERT_NE(state_.ercim, nullptr);
    EXPECT_EQ(state_.currentObjectCount, 3u);
    EXPECT_EQ(state_.currentAttributeCount, 2u);
    EXPECT_EQ(state_.ercim->values, (std::vector<float>{1.5f, 2.5f, 3.5f, 4.5f, 0.0f, 6.5f, 7.5f, 8.5f, 9.5f}));
    EXPECT_EQ(state_.knn.values, state_.ercim->values);
    expectNewSystemMenu(window());
}

TEST_F(TableDialogsTest, CancelledCreationKeepsTheCurrentSystem)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("two-objects.tab"))}));
    const ERCIM* before = state_.ercim.get();
    ASSERT_TRUE(choose(CommandId::CreateSystem, {fillAndPress({"4", "4"}, QStringLiteral("OK")),
                                                 fillAndPress({"9", "9", "9"}, QStringLiteral("ANULUJ"))}));
    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndPress({"4", "4", "0", "5"}, QStringLiteral("ANULUJ"))}));
    EXPECT_EQ(state_.ercim.get(), before);
    EXPECT_EQ(state_.currentObjectCount, 2u);
    EXPECT_EQ(state_.currentAttributeCount, 2u);
}

TEST_F(TableDialogsTest, GeneratesASystemInTheRangeAndRefusesZeroObjects)
{
    bool okWithZeroObjects = true;
    auto zero = inspectAndPress(
        [&](QDialog* dialog) {
            const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
            edits[0]->setText(QStringLiteral("0"));
            edits[1]->setText(QStringLiteral("3"));
            edits[2]->setText(QStringLiteral("1"));
            edits[3]->setText(QStringLiteral("4"));
            okWithZeroObjects = buttonOf(dialog, "OK")->isEnabled();
        },
        QStringLiteral("ANULUJ"));
    ASSERT_TRUE(choose(CommandId::GenerateSystem, {zero}));
    EXPECT_FALSE(okWithZeroObjects);
    EXPECT_EQ(state_.ercim, nullptr);

    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndPress({"5", "3", "1", "4.9"}, QStringLiteral("OK"))}));
    ASSERT_NE(state_.ercim, nullptr);
    EXPECT_EQ(state_.currentObjectCount, 5u);
    EXPECT_EQ(state_.currentAttributeCount, 3u);
    ASSERT_EQ(state_.ercim->values.size(), 20u);
    for (float value : state_.ercim->values) {
        EXPECT_GE(value, 1.0f);
        EXPECT_LE(value, 4.0f);
        EXPECT_EQ(value, float(int(value)));
    }
    expectNewSystemMenu(window());
}

TEST_F(TableDialogsTest, ModifiesTheTestSystemInTheGrid)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(dataFile("two-objects.tab"))}));
    QString caption;
    QString firstCell;
    auto edit = inspectAndPress(
        [&](QDialog* dialog) {
            caption = dialog->windowTitle();
            QLineEdit* cell = dialog->findChildren<QLineEdit*>()[3];
            firstCell = dialog->findChildren<QLineEdit*>()[0]->text();
            cell->setText(QStringLiteral("-2.25"));
        },
        QStringLiteral("OK"));
    ASSERT_TRUE(choose(CommandId::EditTestSystem, {edit}));
    EXPECT_EQ(caption, QStringLiteral("Modyfikacja systemu decyzyjnego"));
    EXPECT_EQ(firstCell, QStringLiteral("1.000"));
    EXPECT_EQ(state_.knn.testSystem.values, (std::vector<float>{1, 2, 0, -2.25f, 4, 1}));
    EXPECT_TRUE(enabled(CommandId::EditTestSystem));
    EXPECT_FALSE(enabled(CommandId::ClassifyKnn));
    EXPECT_FALSE(enabled(CommandId::ShowKnn));

    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndPress({"3", "2", "0", "1"}, QStringLiteral("OK"))}));
    EXPECT_TRUE(enabled(CommandId::ClassifyKnn));
}

TEST_F(TableDialogsTest, GridScrollsOverAWideTallTableAndStoresWhereItShows)
{
    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndPress({"12", "19", "0", "0"}, QStringLiteral("OK"))}));
    QString lastLabelAtStart;
    QString firstLabelAtEnd;
    QString lastLabelAtEnd;
    QString topRowAtEnd;
    bool bothBars = false;
    auto scroll = inspectAndPress(
        [&](QDialog* dialog) {
            auto* grid = static_cast<GridEditorWindow*>(dialog);
            bothBars = grid->horizontalBar() && grid->verticalBar();
            if (!bothBars)
                return;
            const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
            lastLabelAtStart = labels[14]->text();
            grid->horizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
            grid->verticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            firstLabelAtEnd = labels[0]->text();
            lastLabelAtEnd = labels[14]->text();
            topRowAtEnd = labels[15]->text();
            grid->cell(9, 14)->setText(QStringLiteral("7"));
        },
        QStringLiteral("OK"));
    ASSERT_TRUE(choose(CommandId::EditSystem, {scroll}));
    ASSERT_TRUE(bothBars);
    EXPECT_EQ(lastLabelAtStart, QStringLiteral("A15"));
    EXPECT_EQ(firstLabelAtEnd, QStringLiteral("A6"));
    EXPECT_EQ(lastLabelAtEnd, QStringLiteral("D"));
    EXPECT_EQ(topRowAtEnd, QStringLiteral("O2"));
    // Row 11 (shown last after one line down), the decision column.
    EXPECT_EQ(state_.ercim->values[10 * 20 + 19], 7.0f);
    EXPECT_FALSE(enabled(CommandId::ShowExhaustive));
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));
}

} // namespace
} // namespace kolven::test
