#include "win32_screen.h"

#include "dialog_windows.h"
#include "main_window.h"
#include "preparation_dialog_window.h"
#include "wide_text.h"

#include <windows.h>

#include <commdlg.h>

namespace kolven {

namespace {

// Room for any path the file dialogs return, well beyond the classic 260 characters.
constexpr std::size_t kPathUnits = 32768;

// The dialogs' filter entries: label and pattern, each ended by a zero, then a final zero. The
// settings' own entry comes first; every file second, when offered.
std::wstring filterOf(const FileDialogSettings& settings)
{
    std::wstring filter = toWide(settings.filterLabel);
    filter += L'\0';
    filter += toWide(settings.filterPattern);
    filter += L'\0';
    if (settings.offerAllFiles) {
        filter += toWide(kAllFilesLabel);
        filter += L'\0';
        filter += L"*.*";
        filter += L'\0';
    }
    return filter;
}

// Runs the open or the save dialog with the filter entry, the default extension and flags;
// nothing when the user cancels.
std::optional<std::filesystem::path> runFileDialog(HWND owner, const FileDialogSettings& settings, bool save)
{
    const std::wstring filter = filterOf(settings);
    const std::wstring suffix = toWide(settings.defaultSuffix);
    const std::wstring folder = settings.startFolder.wstring();
    std::wstring name(kPathUnits, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = DWORD(name.size());
    dialog.lpstrDefExt = suffix.c_str();
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags = save ? OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT
                        : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (!chosen) {
        return std::nullopt;
    }
    name.resize(name.find(L'\0'));
    return std::filesystem::path(name);
}

// The message box of the thread's next MessageBoxW, whose buttons take the program's texts.
thread_local HHOOK messageBoxHook = nullptr;

LRESULT CALLBACK nameMessageBoxButtons(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDOK, toWide(kOkText).c_str());
        SetDlgItemTextW(box, IDYES, toWide(kYesText).c_str());
        SetDlgItemTextW(box, IDNO, toWide(kNoText).c_str());
        UnhookWindowsHookEx(messageBoxHook);
        messageBoxHook = nullptr;
        return 0;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A message box with the program's texts on its buttons, not the system language's.
int programMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type)
{
    messageBoxHook = SetWindowsHookExW(WH_CBT, &nameMessageBoxButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(owner, toWide(text).c_str(), toWide(caption).c_str(), type);
    if (messageBoxHook) {
        UnhookWindowsHookEx(messageBoxHook);
        messageBoxHook = nullptr;
    }
    return answer;
}

} // namespace

void Win32Screen::setCommandEnabled(CommandId id, bool enabled)
{
    window_.setCommandEnabled(id, enabled);
}

void Win32Screen::setCommandChecked(CommandId id, bool checked)
{
    window_.setCommandChecked(id, checked);
}

void Win32Screen::setNextButtonVisible(bool visible)
{
    ShowWindow(window_.nextButton(), visible ? SW_SHOW : SW_HIDE);
}

void Win32Screen::setNextButtonEnabled(bool enabled)
{
    EnableWindow(window_.nextButton(), enabled);
}

void Win32Screen::clearText()
{
    window_.clearText();
}

void Win32Screen::drawText(int x, int y, std::string_view text)
{
    window_.addText(x, y, text, false);
}

void Win32Screen::drawCentered(int y, std::string_view text)
{
    window_.addText(0, y, text, true);
}

void Win32Screen::flush()
{
    // The wait line must be on screen before a computation keeps the loop from painting.
    window_.paintNow();
}

int Win32Screen::pageBottom() const
{
    return window_.pageBottom();
}

std::optional<std::filesystem::path> Win32Screen::askOpenFile(const FileDialogSettings& settings)
{
    return runFileDialog(window_.handle(), settings, false);
}

std::optional<std::filesystem::path> Win32Screen::askSaveFile(const FileDialogSettings& settings)
{
    return runFileDialog(window_.handle(), settings, true);
}

void Win32Screen::showMessage(std::string_view text, std::string_view caption)
{
    programMessageBox(window_.handle(), text, caption, MB_OK);
}

bool Win32Screen::askYesNo(std::string_view text)
{
    return programMessageBox(window_.handle(), text, "", MB_YESNO) == IDYES;
}

bool Win32Screen::runParameterDialog(ParameterDialog& dialog)
{
    return ParameterDialogWindow(dialog).run(window_.handle());
}

bool Win32Screen::runKnnDialog(KnnDialog& dialog)
{
    return KnnDialogWindow(dialog).run(window_.handle());
}

bool Win32Screen::runCrossValidationDialog(CrossValidationDialog& dialog)
{
    return CrossValidationDialogWindow(dialog).run(window_.handle());
}

bool Win32Screen::runGridEditor(GridEditor& editor)
{
    return GridEditorWindow(editor).run(window_.handle());
}

bool Win32Screen::runPreparationDialog(PreparationDialog& dialog)
{
    return PreparationDialogWindow(dialog).run(window_.handle());
}

void Win32Screen::closeWindow()
{
    window_.destroy();
}

void Win32Screen::post(std::function<void()> task)
{
    window_.post(std::move(task));
}

} // namespace kolven
