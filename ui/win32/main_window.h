#pragma once

#include "screen.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace kolven {

// The program's one window on Windows: class "KOLVEN", maximized, the menu bar built from the
// application's menu layout (item identifiers are the command ids), the "DALEJ" button and the
// text drawn green on grey. It decides nothing itself: menu commands, the button and the close
// box are handed to the hooks. It cannot be minimized, restored, moved or sized, and the Alt key
// does not open its menu; the menu bar is reached with the mouse.
class MainWindow {
public:
    // Creates the window hidden, with its menu in the start state and "DALEJ" hidden.
    MainWindow();
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window maximized and takes its client area, once, for the page bottom.
    void showMaximized();
    // Destroys the window without the confirmation question.
    void destroy();

    HWND handle() const { return window_; }
    HMENU menu() const { return menu_; }
    HWND nextButton() const { return nextButton_; }

    // Enables or greys a command's menu entry; puts or takes away its check mark.
    void setCommandEnabled(CommandId id, bool enabled);
    void setCommandChecked(CommandId id, bool checked);
    // Bottom edge of the page: the client height taken when the window was shown, less 6.
    int pageBottom() const { return pageBottom_; }

    // The text area: lines drawn at a point or centred, kept and painted again whenever the
    // window asks, so a page survives a dialog that covered it.
    void clearText();
    void addText(int x, int y, std::string_view text, bool centered);
    // The texts of the lines kept, in drawing order.
    std::vector<std::wstring> lineTexts() const;
    // Paints what is pending now, not when the message loop next runs.
    void paintNow();

    // Runs task on the window's thread when its message loop next runs; may be called from any
    // thread. Tasks still waiting when the window is destroyed are dropped.
    void post(std::function<void()> task);

    // Turns a key of the window's accelerator table (kWindowShortcuts) into its command, as the
    // menu entry would, or into a page turn or Ctrl+E's export; true when message was one. The
    // message loop asks this first. Escape in an open menu (whose loop is the menu's own) closes
    // it and chooses its command as well, while that command's entry is enabled.
    bool translateAccelerator(MSG& message);

    // Called with each chosen menu command, on a "DALEJ" click, on a close request (a true
    // result lets the window close) and once the window is gone.
    std::function<void(CommandId)> onCommand;
    std::function<void()> onNextPage;
    std::function<void()> onExportShown;
    std::function<bool()> confirmClose;
    std::function<void()> onDestroyed;

    static constexpr wchar_t kClassName[] = L"KOLVEN";

private:
    struct Line {
        int x = 0;
        int y = 0;
        bool centered = false;
        std::wstring text;
    };

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT systemCommand(WPARAM wParam, LPARAM lParam);
    LRESULT command(WPARAM wParam, LPARAM lParam);
    void runPostedTasks();
    // The window is going: tasks waiting are dropped, later ones are refused.
    void dropPostedTasks();
    void paint();
    static HMENU buildMenu();
    static LRESULT CALLBACK menuKeyFilter(int code, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HHOOK menuKeys_ = nullptr;
    // The tasks posted from other threads, and the window they wake; both guarded by tasksMutex_.
    std::mutex tasksMutex_;
    std::deque<std::function<void()>> tasks_;
    HWND taskWindow_ = nullptr;
    HWND nextButton_ = nullptr;
    int pageBottom_ = 0;
    std::vector<Line> lines_;
};

} // namespace kolven
