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

// The wheel over a field scrolls the grid; a refused OK shows its message over the grid, which
// stays open with the text typed and its field focused; Escape then closes it as ANULUJ.
TEST_F(DialogWindowsTest, GridScrollsByTheWheelRefusesATextThatIsNoNumberAndClosesOnEscape)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    const std::vector<float> before = state_.ercim->values;
    QPointer<GridEditorWindow> grid;
    QString firstRow;
    auto type = [&](QDialog* dialog) {
        grid = static_cast<GridEditorWindow*>(dialog);
        QWheelEvent wheel(QPointF(5, 5), grid->cell(0, 0)->mapToGlobal(QPoint(5, 5)), QPoint(), QPoint(0, -240),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->cell(0, 0), &wheel);
        firstRow = grid->findChildren<QLabel*>()[5]->text() + " " + QString::number(grid->verticalBar()->value());
        grid->cell(2, 1)->setText(QStringLiteral("abc"));
    };
    QString message;
    QString kept;
    bool focused = false;
    auto refusal = [&](QWidget* box) {
        message = static_cast<QMessageBox*>(box)->text();
        QTimer::singleShot(0, box, [box] { static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click(); });
        QTimer::singleShot(50, grid, [&] {
            kept = grid->isVisible() ? grid->cell(2, 1)->text() : QString();
            focused = grid->focusWidget() == grid->cell(2, 1);
            QTest::keyClick(grid->cell(2, 1), Qt::Key_Escape);
        });
    };
    ASSERT_TRUE(choose(CommandId::EditSystem, {inspectAndPress(type, QStringLiteral("OK")), refusal}));
    EXPECT_EQ(firstRow, QStringLiteral("O7 6"));
    EXPECT_TRUE(message.startsWith(QStringLiteral("Wartosc \"abc\" (wiersz O9, kolumna A2) nie jest liczba.")))
        << message.toStdString();
    EXPECT_EQ(kept, QStringLiteral("abc"));
    EXPECT_TRUE(focused);
    EXPECT_FALSE(grid) << "Escape closed the grid";
    EXPECT_EQ(state_.ercim->values, before) << "as ANULUJ";
}

// The k field shows at once the 1 that a typed 0 becomes, in both dialogs that ask for k; OK
// follows the fields; the cross-validation method is taken from the list.
TEST_F(DialogWindowsTest, KnnAndCrossValidationDialogsShowATypedZeroKAsOneAndPassTheirChoicesOn)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(dataFile("iris.tab"))}));
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    std::vector<bool> ok;
    QStringList kShown;
    auto typeZero = [&](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        ok.push_back(okButton(dialog)->isEnabled());
        edit->setText(QStringLiteral("0"));
        kShown.push_back(edit->text());
        ok.push_back(okButton(dialog)->isEnabled());
    };
    ASSERT_TRUE(choose(CommandId::ClassifyKnn, {inspectAndPress(typeZero, QStringLiteral("OK"))}));

    QString caption;
    bool kAsked = true;
    auto fill = [&](QDialog* dialog) {
        caption = dialog->windowTitle();
        dialog->findChild<QComboBox*>(QStringLiteral("method"))->setCurrentIndex(1);
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        edits[0]->clear();
        ok.push_back(okButton(dialog)->isEnabled());
        edits[0]->setText(QStringLiteral("5"));
        edits[1]->setText(QStringLiteral("0"));
        kShown.push_back(edits[1]->text());
        edits[2]->setText(QStringLiteral("3"));
        kAsked = edits[1]->isEnabled();
    };
    ASSERT_TRUE(choose(CommandId::CrossValidate, {inspectAndPress(fill, QStringLiteral("OK"))}));
    EXPECT_EQ(caption, QStringLiteral("Walidacja krzyzowa"));
    EXPECT_FALSE(kAsked) << "k is not asked for LEM2";
    EXPECT_EQ(ok, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(kShown, (QStringList{QStringLiteral("1"), QStringLiteral("1")}));
    EXPECT_EQ(shownLines().at(1), "Walidacja krzyzowa: 5 czesci, metoda lem2, ziarno 3");
}

// The attribute list and the discretization dialogs hand the typed list, the chosen method and K
// on: a table restricted to two attributes gets two cuts on each of them, equal width with K 3.
TEST_F(DialogWindowsTest, RestrictionAndDiscretizationDialogsPassTheListTheMethodAndKOn)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    QString offered;
    auto typeList = [&](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        offered = edit->text();
        edit->setText(QStringLiteral("4,3"));
    };
    ASSERT_TRUE(choose(CommandId::RestrictAttributes, {inspectAndPress(typeList, QStringLiteral("OK"))}));
    EXPECT_TRUE(offered.isEmpty()) << "no reduct yet";
    auto chooseWidth = [&](QDialog* dialog) {
        dialog->findChild<QComboBox*>(QStringLiteral("method"))->setCurrentIndex(2);
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("3"));
    };
    ASSERT_TRUE(choose(CommandId::DiscretizeSystem, {inspectAndPress(chooseWidth, QStringLiteral("OK"))}));
    const std::vector<std::string> lines = shownLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 7), "a1 a3: ") << "the restricted table keeps its numbers";
    EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), ' '), 3) << lines[2];
    ASSERT_NE(state_.ercim, nullptr);
    float highest = 0;
    for (std::uint32_t o = 0; o < state_.ercim->objectCount; ++o)
        highest = std::max({highest, state_.ercim->row(o)[0], state_.ercim->row(o)[1]});
    EXPECT_EQ(highest, 2.0f) << "codes of three intervals";
}

// The discretization's list greys K but for equal width and hands the method and K on; the
// normalization's list hands its choice on.
TEST_F(DialogWindowsTest, DiscretizationAndNormalizationListsPassTheirChoicesOn)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(dataFile("iris.tab"))}));
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    auto chooseWidth = [&](QDialog* dialog) {
        QLineEdit* intervals = dialog->findChildren<QLineEdit*>().at(3);
        EXPECT_FALSE(intervals->isEnabled());
        dialog->findChild<QComboBox*>(QStringLiteral("discretization"))->setCurrentIndex(3);
        EXPECT_TRUE(intervals->isEnabled());
        intervals->setText(QStringLiteral("3"));
    };
    ASSERT_TRUE(choose(CommandId::CrossValidate, {inspectAndPress(chooseWidth, QStringLiteral("OK"))}));
    EXPECT_EQ(state_.cvResults.preparation.discretization, (DiscretizationMethod{CutMethod::EqualWidth, 3}));
    auto chooseRange = [](QDialog* dialog) {
        dialog->findChild<QLineEdit*>()->setText(QStringLiteral("1"));
        dialog->findChild<QComboBox*>(QStringLiteral("normalization"))->setCurrentIndex(1);
    };
    ASSERT_TRUE(choose(CommandId::ClassifyKnn, {inspectAndPress(chooseRange, QStringLiteral("OK"))}));
    EXPECT_EQ(state_.knnNormalization, Normalization::Range);
}

} // namespace
} // namespace kolven::test
