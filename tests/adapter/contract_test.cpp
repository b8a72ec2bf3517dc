#include "contract.h"

#include "generator.h"
#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kolven::test {
namespace {

class AdapterContract : public ::testing::Test {
protected:
    bool computing() { return p.application().computing(); }

    std::unique_ptr<Program> program = openProgram();
    Program& p = *program;
};

Step file(const std::filesystem::path& path)
{
    return [path](Dialog& dialog) { dialog.chooseFile(path); };
}

// Types the texts into the dialog's edits in order, then presses the button.
Step fill(const std::vector<std::string>& texts, const std::string& button)
{
    return [texts, button](Dialog& dialog) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            dialog.type(int(i), texts[i]);
        }
        dialog.press(button);
    };
}

const std::filesystem::path iris = testing::dataFile("iris.tab");

// The wheel over a field scrolls the grid; a refused OK shows its message and keeps the grid open
// with the typed text, its field focused; Escape then closes it as ANULUJ.
TEST_F(AdapterContract, GridScrollsByTheWheelRefusesATextThatIsNoNumberAndClosesOnEscape)
{
    ASSERT_TRUE(p.choose(CommandId::LoadSystem, {file(iris)}));
    const std::vector<float> before = p.state().ercim->values;
    constexpr int typed = 2 * 5 + 1; // the third row shown, the second column
    std::string firstRow;
    std::string message;
    std::string kept;
    bool focused = false;
    // Ends by a step that was not forced: Escape closed the grid.
    EXPECT_TRUE(p.choose(CommandId::EditSystem, {
        [&](Dialog& grid) {
            grid.wheelDown(0, 2);
            firstRow = grid.label(5) + " " + std::to_string(grid.rowsScrolled());
            grid.type(typed, "abc");
            grid.press("OK", [&] {
                kept = grid.text(typed);
                focused = grid.focused(typed);
                grid.escape(typed);
            });
        },
        [&](Dialog& box) {
            message = box.message();
            box.answer(Answer::Ok);
        },
    }));
    EXPECT_EQ(firstRow, "O7 6");
    EXPECT_EQ(message.substr(0, 54), "Wartosc \"abc\" (wiersz O9, kolumna A2) nie jest liczba.") << message;
    EXPECT_EQ(kept, "abc");
    EXPECT_TRUE(focused);
    EXPECT_EQ(p.state().ercim->values, before) << "closed as ANULUJ";
}

// The refusal comes in a message box with its caption; the dialog opened again after it shows the
// values the logic kept; a disabled OK carries the reason as its tooltip.
TEST_F(AdapterContract, RefusedRangeReopensWithTheTypedValuesAndZeroObjectsSaysWhyOnOk)
{
    const std::vector<std::string> typed{"4", "2", "5", "3"};
    std::string refusal;
    std::string caption;
    std::vector<std::string> reopened;
    std::string reasons;
    EXPECT_TRUE(p.choose(CommandId::GenerateSystem, {
        fill(typed, "OK"),
        [&](Dialog& box) {
            refusal = box.message();
            caption = box.title();
            box.answer(Answer::Ok);
        },
        [&](Dialog& dialog) {
            for (std::size_t i = 0; i < typed.size(); ++i) {
                reopened.push_back(dialog.text(int(i)));
            }
            reasons = "[" + dialog.okReason() + "] ";
            dialog.type(0, "0");
            reasons += dialog.okEnabled() ? "enabled" : dialog.okReason();
            dialog.press("ANULUJ");
        },
    }));
    EXPECT_EQ(refusal, refusalMessage(GeneratorRefusal::EmptyRange));
    EXPECT_EQ(caption, kErrorCaption);
    EXPECT_EQ(reopened, typed);
    EXPECT_EQ(reasons, "[] Liczba obiektow musi byc wieksza od zera.");
}

// The k field shows at once the 1 that a typed 0 becomes, in both dialogs that ask for k; OK
// follows the fields; the cross-validation method is taken from the list.
TEST_F(AdapterContract, KnnAndCrossValidationDialogsShowATypedZeroKAsOneAndPassTheirChoicesOn)
{
    ASSERT_TRUE(p.choose(CommandId::LoadTestSystem, {file(iris)}));
    ASSERT_TRUE(p.choose(CommandId::LoadSystem, {file(iris)}));
    std::vector<bool> ok;
    std::vector<std::string> kShown;
    ASSERT_TRUE(p.choose(CommandId::ClassifyKnn, {[&](Dialog& dialog) {
        ok.push_back(dialog.okEnabled());
        dialog.type(0, "0");
        kShown.push_back(dialog.text(0));
        ok.push_back(dialog.okEnabled());
        dialog.press("OK");
    }}));
    EXPECT_EQ(p.state().knn.k, 1u);

    std::string caption;
    bool kAsked = true;
    ASSERT_TRUE(p.choose(CommandId::CrossValidate, {[&](Dialog& dialog) {
        caption = dialog.title();
        dialog.chooseItem(0, 1);
        dialog.type(0, "");
        ok.push_back(dialog.okEnabled());
        dialog.type(0, "5");
        dialog.type(1, "0");
        kShown.push_back(dialog.text(1));
        dialog.type(2, "3");
        kAsked = dialog.enabled(1);
        dialog.press("OK");
    }}));
    EXPECT_EQ(caption, "Walidacja krzyzowa");
    EXPECT_FALSE(kAsked) << "k is not asked for LEM2";
    EXPECT_EQ(ok, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(kShown, (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(p.shownLines().at(1), "Walidacja krzyzowa: 5 czesci, metoda lem2, ziarno 3");
    EXPECT_EQ(p.state().cvSettings.method, CvMethod::Lem2);
    EXPECT_EQ(p.state().cvSettings.folds, 5u);
    EXPECT_EQ(p.state().cvSettings.seed, 3u);
}

// The attribute list and the discretization dialogs hand the typed list, the chosen method and K
// on: a table restricted to two attributes gets two cuts on each of them, equal width with K 3.
TEST_F(AdapterContract, RestrictionAndDiscretizationDialogsPassTheListTheMethodAndKOn)
{
    ASSERT_TRUE(p.choose(CommandId::LoadSystem, {file(iris)}));
    std::string offered = "unset";
    ASSERT_TRUE(p.choose(CommandId::RestrictAttributes, {[&](Dialog& dialog) {
        offered = dialog.text(0);
        dialog.type(0, "4,3");
        dialog.press("OK");
    }}));
    EXPECT_EQ(offered, "") << "no reduct yet";
    ASSERT_EQ(p.state().ercim->attributeCount, 2u);
    ASSERT_TRUE(p.choose(CommandId::DiscretizeSystem, {[&](Dialog& dialog) {
        dialog.chooseItem(0, 2);
        dialog.type(0, "3");
        dialog.press("OK");
    }}));
    const std::vector<std::string> lines = p.shownLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].substr(0, 7), "a1 a3: ") << "the restricted table keeps its numbers";
    EXPECT_EQ(std::count(lines[2].begin(), lines[2].end(), ' '), 3) << lines[2];
    const SystemDecyzyjny& table = *p.state().ercim;
    float highest = 0;
    for (std::uint32_t o = 0; o < table.objectCount; ++o) {
        highest = std::max({highest, table.row(o)[0], table.row(o)[1]});
    }
    EXPECT_EQ(highest, 2.0f) << "codes of three intervals";
    EXPECT_EQ(p.state().names.columns[0].name, "a3");
}

// The discretization's list greys K but for equal width and hands the method and K on; the
// normalization's list hands its choice on.
TEST_F(AdapterContract, DiscretizationAndNormalizationListsPassTheirChoicesOn)
{
    ASSERT_TRUE(p.choose(CommandId::LoadTestSystem, {file(iris)}));
    ASSERT_TRUE(p.choose(CommandId::LoadSystem, {file(iris)}));
    ASSERT_TRUE(p.choose(CommandId::CrossValidate, {[&](Dialog& dialog) {
        EXPECT_FALSE(dialog.enabled(3));
        dialog.chooseItem(1, 3);
        EXPECT_TRUE(dialog.enabled(3));
        dialog.type(3, "3");
        dialog.press("OK");
    }}));
    EXPECT_EQ(p.state().cvResults.preparation.discretization, (DiscretizationMethod{CutMethod::EqualWidth, 3}));
    ASSERT_TRUE(p.choose(CommandId::ClassifyKnn, {[&](Dialog& dialog) {
        dialog.type(0, "1");
        dialog.chooseItem(0, 1);
        dialog.press("OK");
    }}));
    EXPECT_EQ(p.state().knnNormalization, Normalization::Range);
}

// A generated table's LEM2 rules fill more than a page: "DALEJ" shows the next ones, as Space
// and PageDown do, and "Autor" hides it.
TEST_F(AdapterContract, RulesArePagedByDalejSpaceAndPageDown)
{
    ASSERT_TRUE(p.choose(CommandId::GenerateSystem, {fill({"300", "2", "0", "9"}, "OK")}));
    ASSERT_TRUE(p.choose(CommandId::ComputeLem2));
    EXPECT_TRUE(p.dalejShown());
    EXPECT_TRUE(p.dalejEnabled());
    for (Key key : {Key::Space, Key::PageDown}) {
        ASSERT_TRUE(p.choose(CommandId::ShowLem2));
        const std::uint32_t from = p.state().listing.lem2Position;
        const std::vector<std::string> before = p.shownLines();
        ASSERT_GT(from, 0u);
        p.press(key);
        EXPECT_NE(p.state().listing.lem2Position, from) << int(key);
        EXPECT_NE(p.shownLines(), before) << int(key);
    }
    ASSERT_TRUE(p.choose(CommandId::ShowLem2));
    const std::uint32_t before = p.state().listing.lem2Position;
    EXPECT_GT(before, 0u);
    // The next page: the listing moves on, or ends (back at its start, "DALEJ" disabled).
    p.pressDalej();
    const std::uint32_t after = p.state().listing.lem2Position;
    EXPECT_TRUE(after > before || (after == 0 && !p.dalejEnabled()));
    ASSERT_TRUE(p.choose(CommandId::About));
    EXPECT_FALSE(p.dalejShown());
}

// A computation runs while the window's loop goes on, the menu greyed but for the cancel entry;
// Escape stops it, its outcome (the cancel line) coming back through the loop, and leaves the
// rules as they were.
TEST_F(AdapterContract, EscapeStopsARunAndItsOutcomeArrivesThroughTheLoop)
{
    // The soybean table keeps the exhaustive search busy for many seconds.
    ASSERT_TRUE(p.choose(CommandId::LoadSystem, {file(KOLVEN_EXAMPLES "/soybean.tab")}));
    ASSERT_TRUE(p.choose(CommandId::ComputeExhaustive, {}, false));
    p.waitFor([this] { return p.shownLines().size() >= 2; }, 10000);
    ASSERT_TRUE(computing());
    EXPECT_FALSE(p.enabled(CommandId::LoadSystem));
    EXPECT_TRUE(p.enabled(CommandId::CancelComputation));
    p.press(Key::Escape);
    EXPECT_TRUE(computing()) << "the outcome comes through the loop";
    p.waitFor([this] { return !computing(); }, 60000);
    EXPECT_FALSE(computing());
    EXPECT_EQ(p.shownLines(), std::vector<std::string>{std::string(kCancelledMessage)});
    EXPECT_TRUE(p.enabled(CommandId::ComputeExhaustive));
    EXPECT_FALSE(p.enabled(CommandId::ShowExhaustive));
    EXPECT_FALSE(p.enabled(CommandId::CancelComputation));
}

// Closing the window asks first, with the program's own button texts, and No keeps it open;
// "Zakoncz" closes it without asking.
TEST_F(AdapterContract, CloseAsksAndNoKeepsTheWindowZakonczClosesWithoutAsking)
{
    std::string question;
    std::string buttons;
    EXPECT_TRUE(p.close({[&](Dialog& box) {
        question = box.message();
        buttons = box.buttonText(Answer::Yes) + "/" + box.buttonText(Answer::No);
        box.answer(Answer::No);
    }}));
    EXPECT_EQ(question, "Czy chcesz zakończyć działanie programu?");
    EXPECT_EQ(buttons, "Tak/Nie") << "the program's texts, not the system's";
    EXPECT_TRUE(p.isOpen());
    EXPECT_TRUE(p.choose(CommandId::Quit));
    EXPECT_FALSE(p.isOpen());
}

} // namespace
} // namespace kolven::test
