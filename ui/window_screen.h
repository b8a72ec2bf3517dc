#pragma once

#include "screen.h"

namespace kolven {

// The adapter's main window; each adapter (ui/qt, ui/win32) has its own, and a program links one.
class MainWindow;

// The application's screen on the adapter's main window: menu entries, the "DALEJ" button, the
// text area, the file dialogs, the message boxes and the modal dialogs. Declared once here; each
// adapter defines its members with its platform's means.
class WindowScreen : public Screen {
public:
    explicit WindowScreen(MainWindow& window) : window_(window) {}

    void setCommandEnabled(CommandId id, bool enabled) override;
    void setCommandChecked(CommandId id, bool checked) override;
    void setNextButtonVisible(bool visible) override;
    void setNextButtonEnabled(bool enabled) override;

    void clearText() override;
    void drawText(int x, int y, std::string_view text) override;
    void drawCentered(int y, std::string_view text) override;
    void flush() override;
    int pageBottom() const override;

    std::optional<std::filesystem::path> askOpenFile(const FileDialogSettings& settings) override;
    std::optional<std::filesystem::path> askSaveFile(const FileDialogSettings& settings) override;

    void showMessage(std::string_view text, std::string_view caption) override;
    bool askYesNo(std::string_view text) override;

    bool runParameterDialog(ParameterDialog& dialog) override;
    bool runKnnDialog(KnnDialog& dialog) override;
    bool runCrossValidationDialog(CrossValidationDialog& dialog) override;
    bool runGridEditor(GridEditor& editor) override;
    bool runPreparationDialog(PreparationDialog& dialog) override;

    void closeWindow() override;
    void post(std::function<void()> task) override;

private:
    MainWindow& window_;
};

} // namespace kolven
