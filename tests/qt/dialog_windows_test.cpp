#include "program_fixture.h"

#include "grid_editor_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

namespace kolven::test {
namespace {

using DialogWindowsTest = ProgramTest;

// The parameter dialog takes digits only and ends by its buttons alone; the grid's bars move the
// shown part, and what was typed before and after a move is stored where it was shown.
TEST_F(DialogWindowsTest, CreatesATableTypedIntoTheGridWhoseBarsScrollAndStoreWhereTheyShow)
{
    bool stillOpenAfterKeys = false;
    QString caption;
    auto parameters = [&](QDialog* dialog) {
        caption = dialog->windowTitle();
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        QTest::keyClicks(edits[0], QStringLiteral("12x"));
        QTest::keyClicks(edits[1], QStringLiteral("19"));
        QTest::keyClick(edits[1], Qt::Key_Escape);
        QTest::keyClick(edits[1], Qt::Key_Return);
        stillOpenAfterKeys = dialog->isVisible() && edits[0]->text() == QStringLiteral("12");
    };
    std::vector<QString> labels; // first and last column, top row: before and after scrolling
    auto scroll = [&](QDialog* dialog) {
        auto* grid = static_cast<GridEditorWindow*>(dialog);
        const QList<QLabel*> shown = dialog->findChildren<QLabel*>();
        labels.insert(labels.end(), {shown[0]->text(), shown[14]->text(), shown[15]->text()});
        QTest::keyClicks(grid->cell(0, 0), QStringLiteral("1.5"));
        if (!grid->horizontalBar() || !grid->verticalBar())
            return;
        grid->horizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        grid->verticalBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        labels.insert(labels.end(), {shown[0]->text(), shown[14]->text(), shown[15]->text()});
        grid->cell(9, 14)->setText(QStringLiteral("7"));
    };
    ASSERT_TRUE(choose(CommandId::CreateSystem, {inspectAndPress(parameters, QStringLiteral("OK")),
                                                 inspectAndPress(scroll, QStringLiteral("OK"))}));
    EXPECT_EQ(caption, QStringLiteral("Tworzenie nowego systemu decyzyjnego"));
    EXPECT_TRUE(stillOpenAfterKeys) << "Escape and Return do not end the dialog";
    EXPECT_EQ(labels, (std::vector<QString>{"A1", "A15", "O1", "A6", "D", "O2"}));
    ASSERT_NE(state_.ercim, nullptr);
    EXPECT_EQ(state_.ercim->values[0], 1.5f) << "typed before the bars moved";
    EXPECT_EQ(state_.ercim->values[10 * 20 + 19], 7.0f) << "row 11, the decision column";
}

} // namespace
} // namespace kolven::test
