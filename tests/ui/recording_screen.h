#pragma once

#include "grid_editor.h"
#include "knn_dialog.h"
#include "menu.h"
#include "parameter_dialog.h"
#include "screen.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kolven::testing {

// A Screen that records what the application shows and answers its dialogs from scripts. An
// unscripted dialog is cancelled; an unscripted question is answered No.
class RecordingScreen : public Screen {
public:
    explicit RecordingScreen(int bottom = 600) : bottom_(bottom) {}

    void setCommandEnabled(CommandId id, bool enabled) override { menu[id] = enabled; }
    void setNextButtonVisible(bool visible) override { buttonVisible = visible; }
    void setNextButtonEnabled(bool enabled) override { buttonEnabled = enabled; }

    void clearText() override
    {
        drawn.clear();
        events.push_back("clear");
    }
    void drawText(int x, int y, std::string_view text) override
    {
        drawn.push_back({x, y, std::string(text), false});
        events.push_back("draw " + std::string(text));
    }
    void drawCentered(int y, std::string_view text) override
    {
        drawn.push_back({0, y, std::string(text), true});
        events.push_back("centre " + std::string(text));
    }
    void flush() override { events.push_back("flush"); }
    int pageBottom() const override { return bottom_; }

    std::optional<std::filesystem::path> askOpenFile(const FileDialogSettings& settings) override
    {
        fileDialogs.push_back(settings);
        return next(openAnswers);
    }
    std::optional<std::filesystem::path> askSaveFile(const FileDialogSettings& settings) override
    {
        fileDialogs.push_back(settings);
        return next(saveAnswers);
    }

    void showMessage(std::string_view text, std::string_view caption) override
    {
        messages.push_back({std::string(text), std::string(caption)});
    }
    bool askYesNo(std::string_view text) override
    {
        questions.emplace_back(text);
        return yesAnswer;
    }

    bool runParameterDialog(ParameterDialog& dialog) override { return run(parameterScripts, dialog); }
    bool runKnnDialog(KnnDialog& dialog) override { return run(knnScripts, dialog); }
    bool runGridEditor(GridEditor& editor) override { return run(gridScripts, editor); }

    void closeWindow() override { closed = true; }

    // The commands enabled now, in id order.
    std::vector<CommandId> enabledCommands() const
    {
        std::vector<CommandId> result;
        for (const auto& [id, enabled] : menu) {
            if (enabled) {
                result.push_back(id);
            }
        }
        return result;
    }
    bool enabled(CommandId id) const
    {
        const auto found = menu.find(id);
        return found != menu.end() && found->second;
    }

    // The texts drawn since the last erase, top to bottom as drawn.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& item : drawn) {
            result.push_back(item.text);
        }
        return result;
    }

    struct Drawn {
        int x;
        int y;
        std::string text;
        bool centred;
    };
    struct Message {
        std::string text;
        std::string caption;
    };

    std::map<CommandId, bool> menu;
    bool buttonVisible = true;
    bool buttonEnabled = true;
    std::vector<Drawn> drawn;
    std::vector<std::string> events;
    std::vector<FileDialogSettings> fileDialogs;
    std::vector<Message> messages;
    std::vector<std::string> questions;
    bool yesAnswer = false;
    bool closed = false;

    // Scripted answers, used front first. A dialog script acts on the dialog (typing, accept or
    // cancel) and returns what the dialog returns.
    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    std::deque<std::function<bool(ParameterDialog&)>> parameterScripts;
    std::deque<std::function<bool(KnnDialog&)>> knnScripts;
    std::deque<std::function<bool(GridEditor&)>> gridScripts;

private:
    template <typename T>
    static T next(std::deque<T>& answers)
    {
        if (answers.empty()) {
            return T{};
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    template <typename Dialog>
    static bool run(std::deque<std::function<bool(Dialog&)>>& scripts, Dialog& dialog)
    {
        const auto script = next(scripts);
        if (!script) {
            dialog.cancel();
            return false;
        }
        return script(dialog);
    }

    int bottom_;
};

// Dialog scripts: type into the fields, then press OK (accept and return whether it ended)
// or ANULUJ.
inline std::function<bool(ParameterDialog&)> typeParameters(std::vector<std::string> texts, bool ok = true)
{
    return [texts, ok](ParameterDialog& dialog) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            dialog.setFieldText(ParameterField(i), texts[i]);
        }
        if (!ok || !dialog.okEnabled()) {
            dialog.cancel();
            return false;
        }
        dialog.accept();
        return true;
    };
}

inline std::function<bool(KnnDialog&)> typeK(std::string text, bool ok = true)
{
    return [text, ok](KnnDialog& dialog) {
        dialog.setFieldText(text);
        if (!ok || !dialog.okEnabled()) {
            dialog.cancel();
            return false;
        }
        dialog.accept();
        return true;
    };
}

// Edits the grid with edit (may be empty), then presses OK or ANULUJ.
inline std::function<bool(GridEditor&)> editGrid(std::function<void(GridEditor&)> edit, bool ok = true)
{
    return [edit, ok](GridEditor& editor) {
        if (edit) {
            edit(editor);
        }
        if (!ok) {
            editor.cancel();
            return false;
        }
        editor.accept();
        return true;
    };
}

} // namespace kolven::testing
