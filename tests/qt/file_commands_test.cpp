#include "program_fixture.h"

#include "ercim.h"
#include "table_files.h"

#include <QLineEdit>

#include <set>

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

TEST_F(FileCommandsTest, FailedOrCancelledLoadChangesNothing)
{
    loadWeather();
    EXPECT_EQ(state_.currentObjectCount, 14u);
    const ERCIM* before = state_.ercim.get();

    QString text;
    QString caption;
    const auto broken = temp_.write("broken.tab", "ATTRIBUTES 3\nOBJECTS 2\n1 2\n");
    EXPECT_TRUE(choose(CommandId::LoadSystem, {chooseFile(path(broken)), answer(QMessageBox::Ok, &text, &caption)}));
    EXPECT_EQ(text, QStringLiteral("Plik jest uszkodzony!"));
    EXPECT_EQ(caption, QStringLiteral("Błąd!"));
    EXPECT_TRUE(choose(CommandId::LoadTestSystem, {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}));
    EXPECT_EQ(state_.ercim.get(), before);
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));
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

TEST_F(FileCommandsTest, ExhaustiveRulesArePagedWithDalejAndExportedAsListed)
{
    // A listing longer than the window, so that it needs several pages.
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("iris.tab"))}));
    ASSERT_TRUE(choose(CommandId::ComputeExhaustive));
    EXPECT_FALSE(enabled(CommandId::ComputeExhaustive));
    ASSERT_FALSE(shownLines().empty());
    EXPECT_EQ(shownLines().front().rfind("Czas wykonania zadania: ", 0), 0u);

    std::set<std::string> listed;
    const int buttonTop = window().pageBottom() - 28;
    int pages = 1;
    for (; pages < 100; ++pages) {
        for (const TextView::Line& line : window().textView().lines()) {
            EXPECT_LE(line.y + TextView::kLineHeight, buttonTop) << "drawn under the top of DALEJ";
            listed.insert(line.text.toStdString());
        }
        if (!nextButton().isVisible() || !nextButton().isEnabled())
            break;
        nextButton().click();
        QApplication::processEvents();
        ASSERT_FALSE(window().textView().lines().empty());
        EXPECT_EQ(window().textView().lines().front().y, 0) << "continued pages start at the top";
    }
    EXPECT_GT(pages, 1);

    ASSERT_TRUE(choose(CommandId::ExportExhaustive, {chooseFile(path(temp_ / "rules"))}));
    const std::string expected = exhaustiveExportText(*state_.ercim);
    EXPECT_TRUE(testing::sameLines(testing::fileBytes(temp_ / "rules.txt"), expected));
    // Every line of the file but the time line was on one of the pages.
    for (std::size_t start = expected.find("\r\n") + 2, end; (end = expected.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_TRUE(listed.contains(expected.substr(start, end - start))) << expected.substr(start, end - start);
}

TEST_F(FileCommandsTest, KnnDialogTurnsZeroIntoOneAndCancelKeepsK)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    loadWeather();

    std::vector<bool> okEnabled;
    QString shown;
    auto typeZero = [&](QDialog* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>();
        okEnabled.push_back(dialog->findChildren<QPushButton*>()[0]->isEnabled());
        edit->setText(QStringLiteral("0"));
        shown = edit->text();
        okEnabled.push_back(dialog->findChildren<QPushButton*>()[0]->isEnabled());
    };
    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {inspectAndPress(typeZero, QStringLiteral("OK"))}));
    EXPECT_EQ(okEnabled, (std::vector<bool>{false, true}));
    EXPECT_EQ(shown, QStringLiteral("1"));
    EXPECT_EQ(state_.knn.k, 1u);
    EXPECT_TRUE(enabled(CommandId::ShowKnn));
    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {fillAndPress({QStringLiteral("7")}, QStringLiteral("ANULUJ"))}));
    EXPECT_EQ(state_.knn.k, 1u);
}

} // namespace
} // namespace kolven::test
