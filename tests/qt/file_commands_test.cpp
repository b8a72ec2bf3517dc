#include "program_fixture.h"

#include "ercim.h"
#include "table_files.h"

namespace kolven::test {
namespace {

using FileCommandsTest = ProgramTest;

TEST_F(FileCommandsTest, ExhaustiveRulesArePagedAboveDalejExportedAndSavedAfterTheOverwriteQuestion)
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

    const auto saved = temp_.write("saved.msd", "old");
    QString question;
    EXPECT_TRUE(choose(CommandId::SaveSystem, {chooseFile(path(temp_ / "saved")), answer(QMessageBox::Yes, &question)}));
    EXPECT_FALSE(question.isEmpty());
    SystemDecyzyjny reread;
    ASSERT_TRUE(readMsd(saved, reread));
    EXPECT_EQ(reread.values, state_.ercim->values);
}

} // namespace
} // namespace kolven::test
