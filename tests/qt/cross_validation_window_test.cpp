#include "program_fixture.h"

#include <QComboBox>
#include <QLineEdit>

namespace kolven::test {
namespace {

class CrossValidationWindowTest : public ProgramTest {};

// The dialog's list and edits reach the logic: the method chosen, k 0 shown as 1 at once, OK
// greyed while the folds are empty; the results are drawn under the time line.
TEST_F(CrossValidationWindowTest, TheDialogsChoicesRunTheCrossValidationShown)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    QString caption;
    QString kShown;
    bool okWithoutFolds = true;
    auto fill = [&](QDialog* dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QComboBox*>(QStringLiteral("method"))->setCurrentIndex(1);
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        edits[0]->clear();
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            okWithoutFolds = button->text() == QStringLiteral("OK") ? button->isEnabled() : okWithoutFolds;
        edits[0]->setText(QStringLiteral("5"));
        edits[1]->setText(QStringLiteral("0"));
        kShown = edits[1]->text();
        edits[2]->setText(QStringLiteral("3"));
    };
    ASSERT_TRUE(choose(CommandId::CrossValidate, {inspectAndPress(fill, QStringLiteral("OK"))}));
    EXPECT_EQ(caption, QStringLiteral("Walidacja krzyzowa"));
    EXPECT_FALSE(okWithoutFolds);
    EXPECT_EQ(kShown, QStringLiteral("1"));
    EXPECT_EQ(shownLines().at(1), "Walidacja krzyzowa: 5 czesci, metoda lem2, ziarno 3");
}

} // namespace
} // namespace kolven::test
