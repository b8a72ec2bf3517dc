#include "program_fixture.h"

#include "ercim.h"
#include "table_files.h"

namespace kolven::test {
namespace {

class FileCommandsTest : public ProgramTest {
protected:
    void loadWeather()
    {
        ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
        ASSERT_NE(state_.ercim, nullptr);
    }

    testing::TempFolder temp_;
};

// What a failed or cancelled load leaves is the application tests' concern; here the message
// box and the file dialog's ANULUJ carry it.
TEST_F(FileCommandsTest, FailedOrCancelledLoadChangesNothing)
{
    loadWeather();
    const ERCIM* before = state_.ercim.get();
    QString text;
    QString caption;
    const auto broken = temp_.write("broken.tab", "ATTRIBUTES 3\nOBJECTS 2\n1 2\n");
    EXPECT_TRUE(choose(CommandId::LoadSystem, {chooseFile(path(broken)), answer(QMessageBox::Ok, &text, &caption)}));
    EXPECT_EQ(text, QStringLiteral("Plik jest uszkodzony!"));
    EXPECT_EQ(caption, QStringLiteral("Błąd!"));
    EXPECT_TRUE(choose(CommandId::LoadTestSystem, {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}));
    EXPECT_EQ(state_.ercim.get(), before);
    EXPECT_FALSE(enabled(CommandId::EditTestSystem));
}

TEST_F(FileCommandsTest, SaveAsksBeforeOverwriting)
{
    loadWeather();
    const auto saved = temp_.write("saved.msd", "old");
    QString question;
    EXPECT_TRUE(choose(CommandId::SaveSystem, {chooseFile(path(temp_ / "saved")), answer(QMessageBox::Yes, &question)}));
    EXPECT_FALSE(question.isEmpty());
    SystemDecyzyjny reread;
    ASSERT_TRUE(readMsd(saved, reread));
    EXPECT_EQ(reread.values, state_.ercim->values);
}

TEST_F(FileCommandsTest, ExhaustiveRulesArePagedAboveDalejAndExported)
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
}

} // namespace
} // namespace kolven::test
