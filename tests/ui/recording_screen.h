#pragma once

#include "cross_validation_dialog.h"
#include "grid_editor.h"
#include "knn_dialog.h"
#include "menu.h"
#include "parameter_dialog.h"
#include "preparation_dialog.h"
#include "screen.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kolven::testing {

// A Screen that records what the application shows and answers its dialogs from scripts, front
// first. An unscripted file dialog or dialog is cancelled; an unscripted question is answered No.
class RecordingScreen : public Screen {
public:
    explicit RecordingScreen(int bottom = 600) : bottom_(bottom) {}

    void setCommandEnabled(CommandId id, bool enabled) override { menu[id] = enabled; }
    void setCommandChecked(CommandId id, bool isChecked) override { checked[id] = isChecked; }
    void setNextButtonVisible(bool visible) override { buttonVisible = visible; }
    void setNextButtonEnabled(bool enabled) override { buttonEnabled = enabled; }
    void clearText() override
    {
        drawn.clear();
        events.push_back("clear");
    }
    void drawText(int, int y, std::string_view text) override { draw(y, text, false); }
    void drawCentered(int y, std::string_view text) override { draw(y, text, true); }
    void flush() override { events.push_back("flush"); }
    int pageBottom() const override { return bottom_; }
    void setPageBottom(int bottom) { bottom_ = bottom; }
    std::optional<std::filesystem::path> askOpenFile(const FileDialogSettings& settings) override
    {
        fileDialogs.push_back(settings);
        return next(openAnswers).value_or(std::nullopt);
    }
    std::optional<std::filesystem::path> askSaveFile(const FileDialogSettings& settings) override
    {
        fileDialogs.push_back(settings);
        return next(saveAnswers).value_or(std::nullopt);
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
    bool runParameterDialog(ParameterDialog& dialog) override { return play(parameterScripts, dialog); }
    bool runKnnDialog(KnnDialog& dialog) override { return play(knnScripts, dialog); }
    bool runCrossValidationDialog(CrossValidationDialog& dialog) override { return play(cvScripts, dialog); }
    bool runGridEditor(GridEditor& editor) override { return play(gridScripts, editor); }
    bool runPreparationDialog(PreparationDialog& dialog) override { return play(preparationScripts, dialog); }
    void closeWindow() override { closed = true; }
    // Posted tasks wait until the test runs them with runPosted, on its own thread.
    void post(std::function<void()> task) override
    {
        {
            const std::lock_guard lock(postedMutex_);
            posted_.push_back(std::move(task));
        }
        postedArrived_.notify_all();
    }

    // Waits (up to a minute) until a task was posted, then runs every task posted so far, in order.
    // False when none came.
    bool runPosted()
    {
        std::deque<std::function<void()>> tasks;
        {
            std::unique_lock lock(postedMutex_);
            if (!postedArrived_.wait_for(lock, std::chrono::minutes(1), [this] { return !posted_.empty(); })) {
                return false;
            }
            tasks.swap(posted_);
        }
        for (auto& task : tasks) {
            task();
        }
        return true;
    }

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
    bool enabled(CommandId id) const { return menu.contains(id) && menu.at(id); }

    // The texts drawn since the last erase, in drawing order.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> result;
        for (const auto& item : drawn) {
            result.push_back(item.text);
        }
        return result;
    }

    struct Drawn {
        int y;
        std::string text;
        bool centred;
    };
    struct Message {
        std::string text;
        std::string caption;
    };

    std::map<CommandId, bool> menu;
    std::map<CommandId, bool> checked;
    bool buttonVisible = true;
    bool buttonEnabled = true;
    std::vector<Drawn> drawn;
    std::vector<std::string> events; // "clear", "draw TEXT", "flush"
    std::vector<FileDialogSettings> fileDialogs;
    std::vector<Message> messages;
    std::vector<std::string> questions;
    bool yesAnswer = false;
    bool closed = false;

    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    // A dialog script types into the dialog and ends it with accept() or cancel(), as its buttons do.
    std::deque<std::function<void(ParameterDialog&)>> parameterScripts;
    std::deque<std::function<void(KnnDialog&)>> knnScripts;
    std::deque<std::function<void(CrossValidationDialog&)>> cvScripts;
    std::deque<std::function<void(GridEditor&)>> gridScripts;
    std::deque<std::function<void(PreparationDialog&)>> preparationScripts;

private:
    void draw(int y, std::string_view text, bool centred)
    {
        drawn.push_back({y, std::string(text), centred});
        events.push_back("draw " + std::string(text));
    }

    template <typename T>
    static std::optional<T> next(std::deque<T>& answers)
    {
        if (answers.empty()) {
            return std::nullopt;
        }
        T answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }

    template <typename Dialog>
    static bool play(std::deque<std::function<void(Dialog&)>>& scripts, Dialog& dialog)
    {
        const auto script = next(scripts);
        if (script) {
            (*script)(dialog);
        } else {
            dialog.cancel();
        }
        return dialog.accepted();
    }

    int bottom_;
    std::mutex postedMutex_;
    std::condition_variable postedArrived_;
    std::deque<std::function<void()>> posted_;
};

// Dialog scripts: type into the fields, then press OK (ignored while it is disabled) or ANULUJ.
inline std::function<void(ParameterDialog&)> typeParameters(std::vector<std::string> texts, bool ok = true)
{
    return [texts, ok](ParameterDialog& dialog) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            dialog.setFieldText(ParameterField(i), texts[i]);
        }
        ok ? dialog.accept() : dialog.cancel();
    };
}

inline std::function<void(KnnDialog&)> typeK(std::string text)
{
    return [text](KnnDialog& dialog) {
        dialog.setFieldText(text);
        dialog.accept();
    };
}

// Chooses the method (discretization), types the edit's text, and presses OK; nullopt types nothing.
inline std::function<void(PreparationDialog&)> prepare(std::optional<std::string> text, std::size_t choice = 0)
{
    return [text, choice](PreparationDialog& dialog) {
        dialog.setChoice(choice);
        if (text) {
            dialog.setFieldText(*text);
        }
        dialog.accept();
    };
}

inline std::function<void(GridEditor&)> editGrid(std::function<void(GridEditor&)> edit, bool ok = true)
{
    return [edit, ok](GridEditor& editor) {
        if (edit) {
            edit(editor);
        }
        ok ? editor.accept() : editor.cancel();
    };
}

} // namespace kolven::testing
