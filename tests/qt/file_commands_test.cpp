#include "program_fixture.h"

#include "ercim.h"
#include "table_files.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace kolven::test {
namespace {

std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileCommandsTest : public ProgramTest {
protected:
    void loadWeather()
    {
        ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
        ASSERT_NE(state_.ercim, nullptr);
    }
    std::filesystem::path inTemp(const char* name) { return std::filesystem::path(temp_.path().toStdString()) / name; }

    QTemporaryDir temp_;
};

TEST_F(FileCommandsTest, LoadingATableEnablesTheSystemCommands)
{
    loadWeather();
    EXPECT_EQ(state_.currentObjectCount, 14u);
    EXPECT_EQ(state_.currentAttributeCount, 4u);
    for (CommandId id : {CommandId::SaveSystem, CommandId::ComputeExhaustive, CommandId::ComputeLem2,
                         CommandId::EditSystem})
        EXPECT_TRUE(enabled(id)) << int(id);
    for (CommandId id : {CommandId::ShowExhaustive, CommandId::ExportExhaustive, CommandId::ShowLem2,
                         CommandId::ClassifyKnn, CommandId::ShowKnn, CommandId::EditTestSystem})
        EXPECT_FALSE(enabled(id)) << int(id);
    EXPECT_FALSE(nextButton().isVisible());
}

TEST_F(FileCommandsTest, FailedOrCancelledLoadChangesNothing)
{
    loadWeather();
    const ERCIM* before = state_.ercim.get();

    const std::filesystem::path broken = inTemp("broken.tab");
    std::ofstream(broken, std::ios::binary) << "ATTRIBUTES 3\nOBJECTS 2\n1 2\n";
    QString text;
    QString caption;
    EXPECT_TRUE(choose(CommandId::LoadSystem, {chooseFile(QString::fromStdString(broken.string())),
                                               answer(QMessageBox::Ok, &text, &caption)}));
    EXPECT_EQ(text, QStringLiteral("Plik jest uszkodzony!"));
    EXPECT_EQ(caption, QStringLiteral("Błąd!"));

    EXPECT_TRUE(choose(CommandId::LoadTestSystem, {[](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }}));
    EXPECT_EQ(state_.ercim.get(), before);
    EXPECT_EQ(state_.currentObjectCount, 14u);
    EXPECT_TRUE(enabled(CommandId::ComputeExhaustive));
    EXPECT_FALSE(enabled(CommandId::EditTestSystem));
}

TEST_F(FileCommandsTest, OpenDialogOffersTablesAndSaveAsksBeforeOverwriting)
{
    QString filter;
    EXPECT_TRUE(choose(CommandId::LoadSystem, {[&](QWidget* w) {
                           auto* dialog = qobject_cast<QFileDialog*>(w);
                           filter = dialog->nameFilters().join(u'|');
                           dialog->reject();
                       }}));
    EXPECT_EQ(filter, QStringLiteral("Pliki MSD, TAB (*.msd *.tab)"));

    loadWeather();
    const std::filesystem::path saved = inTemp("saved.msd");
    std::ofstream(saved, std::ios::binary) << "old";
    QString question;
    EXPECT_TRUE(choose(CommandId::SaveSystem, {chooseFile(QString::fromStdString(inTemp("saved").string())),
                                               answer(QMessageBox::Yes, &question)}));
    EXPECT_FALSE(question.isEmpty());
    SystemDecyzyjny reread;
    ASSERT_TRUE(readMsd(saved, reread));
    EXPECT_EQ(reread.values, state_.ercim->values);
}

TEST_F(FileCommandsTest, ExhaustiveRulesArePagedWithDalejAndExportedAsListed)
{
    // A short window, so that the listing needs several pages.
    window().showNormal();
    window().resize(640, 220);
    QApplication::processEvents();
    loadWeather();
    ASSERT_TRUE(choose(CommandId::ComputeExhaustive));
    EXPECT_FALSE(enabled(CommandId::ComputeExhaustive));
    EXPECT_TRUE(enabled(CommandId::ShowExhaustive));
    ASSERT_FALSE(shownLines().empty());
    EXPECT_EQ(shownLines().front().rfind("Czas wykonania zadania: ", 0), 0u);

    std::set<std::string> listed;
    const int buttonTop = window().pageBottom() - 28;
    int pages = 1;
    for (int page = 0; page < 100; ++page) {
        for (const TextView::Line& line : window().textView().lines()) {
            // Nothing is drawn under the top of "DALEJ".
            EXPECT_LE(line.y + TextView::kLineHeight, buttonTop) << line.text.toStdString();
            listed.insert(line.text.toStdString());
        }
        if (!nextButton().isVisible() || !nextButton().isEnabled())
            break;
        // Continued pages start at the top.
        nextButton().click();
        ++pages;
        QApplication::processEvents();
        ASSERT_FALSE(window().textView().lines().empty());
        EXPECT_EQ(window().textView().lines().front().y, 0);
    }
    EXPECT_FALSE(nextButton().isVisible() && nextButton().isEnabled());

    const std::filesystem::path exported = inTemp("rules.txt");
    ASSERT_TRUE(choose(CommandId::ExportExhaustive, {chooseFile(QString::fromStdString(inTemp("rules").string()))}));
    const std::string expected = exhaustiveExportText(*state_.ercim);
    EXPECT_EQ(fileBytes(exported), expected);
    // Every line of the file but the time line was on one of the pages.
    std::size_t start = expected.find("\r\n");
    while (start != std::string::npos && start + 2 < expected.size()) {
        const std::size_t end = expected.find("\r\n", start + 2);
        EXPECT_TRUE(listed.count(expected.substr(start + 2, end - start - 2))) << expected.substr(start + 2, end - start - 2);
        start = end;
    }
    // A listing longer than a page was really paged.
    const auto fileLines = std::count(expected.begin(), expected.end(), '\n');
    if (fileLines > buttonTop / TextView::kLineHeight) {
        EXPECT_GT(pages, 1);
    }
}

TEST_F(FileCommandsTest, KnnDialogTurnsZeroIntoOneAndNeedsBothSystems)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(dataFile("weather.nominal.tab"))}));
    EXPECT_TRUE(enabled(CommandId::EditTestSystem));
    EXPECT_FALSE(enabled(CommandId::ClassifyKnn));
    loadWeather();
    EXPECT_TRUE(enabled(CommandId::ClassifyKnn));

    bool okBeforeTyping = true;
    QString shown;
    bool okAfterTyping = false;
    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {inspectAndPress(
                                                    [&](QDialog* dialog) {
                                                        okBeforeTyping = dialog->findChildren<QPushButton*>()[0]->isEnabled();
                                                        auto* edit = dialog->findChild<QLineEdit*>();
                                                        edit->setText(QStringLiteral("0"));
                                                        shown = edit->text();
                                                        okAfterTyping = dialog->findChildren<QPushButton*>()[0]->isEnabled();
                                                    },
                                                    QStringLiteral("OK"))}));
    EXPECT_FALSE(okBeforeTyping);
    EXPECT_EQ(shown, QStringLiteral("1"));
    EXPECT_TRUE(okAfterTyping);
    EXPECT_EQ(state_.knn.k, 1u);
    EXPECT_TRUE(enabled(CommandId::ShowKnn));

    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {fillAndPress({QStringLiteral("7")}, QStringLiteral("ANULUJ"))}));
    EXPECT_EQ(state_.knn.k, 1u);
}

} // namespace
} // namespace kolven::test
