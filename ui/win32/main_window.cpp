#include "main_window.h"

#include "menu.h"
#include "menu_rules.h"
#include "wide_text.h"
#include "window_layout.h"

#include <vector>

namespace kolven {

namespace {

constexpr COLORREF kTextColor = RGB(0, 255, 0);
// The message that wakes the window to run the tasks posted to it.
constexpr UINT kRunPostedTasks = WM_APP + 1;
// The notification code of a WM_COMMAND sent by an accelerator key.
constexpr WORD kFromAccelerator = 1;
// The identifiers the keys that are no menu entry's send: below every command's.
constexpr WORD kNextPageKey = 1;
constexpr WORD kExportShownKey = 2;
// The window whose menus the thread's menu-key filter watches.
thread_local MainWindow* menuKeysWindow = nullptr;

WORD virtualKey(WindowKey key)
{
    switch (key) {
    case WindowKey::Escape: return VK_ESCAPE;
    case WindowKey::PageDown: return VK_NEXT;
    case WindowKey::Space: return VK_SPACE;
    case WindowKey::O: return 'O';
    case WindowKey::S: return 'S';
    case WindowKey::E: return 'E';
    }
    return 0;
}

// The accelerator table of kWindowShortcuts.
HACCEL createAccelerators()
{
    std::vector<ACCEL> keys;
    for (const WindowShortcut& shortcut : kWindowShortcuts) {
        const WORD id = shortcut.action == KeyAction::Command ? WORD(shortcut.command)
                        : shortcut.action == KeyAction::NextPage ? kNextPageKey
                                                                 : kExportShownKey;
        keys.push_back(ACCEL{BYTE(FVIRTKEY | (shortcut.ctrl ? FCONTROL : 0)), virtualKey(shortcut.key), id});
    }
    return CreateAcceleratorTableW(keys.data(), int(keys.size()));
}
// The mouse's way into the menu bar: SC_MOUSEMENU with the hit-test code of the menu (HTMENU), as
// Windows sends it, or without a hit-test code, as Wine sends it. (With HTSYSMENU it would open
// the system menu, which stays closed.)
bool isMenuBarClick(WPARAM command)
{
    return command == (SC_MOUSEMENU | HTMENU) || command == SC_MOUSEMENU;
}

// Menu texts are shown as they are (literalMenuText).
std::wstring literalWideText(std::string_view text)
{
    return toWide(literalMenuText(text));
}

void appendCommand(HMENU menu, const MenuItem& item)
{
    const UINT state = enabledAtStart(item.id) ? MF_ENABLED : MF_GRAYED;
    // The shortcut goes after a tab, where menus show it, aligned.
    std::wstring text = literalWideText(item.text);
    if (const auto shortcut = entryShortcut(item.id)) {
        text += L'\t' + toWide(shortcutText(*shortcut));
    }
    AppendMenuW(menu, MF_STRING | state, UINT_PTR(item.id), text.c_str());
}

ATOM registerWindowClass()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = MainWindow::kClassName;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpfnWndProc = DefWindowProcW;
    return RegisterClassExW(&windowClass);
}

} // namespace

HMENU MainWindow::buildMenu()
{
    HMENU bar = CreateMenu();
    for (const MenuPopup& popup : kMenuPopups) {
        HMENU menu = CreatePopupMenu();
        for (const MenuItem& item : popup.items) {
            if (item.isSeparator()) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            } else {
                appendCommand(menu, item);
            }
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), literalWideText(popup.title).c_str());
    }
    appendCommand(bar, kAboutItem);
    return bar;
}

MainWindow::MainWindow()
{
    // The class is registered for the window's life; a second window of the process (a test)
    // registers it again after the first one unregistered it.
    registerWindowClass();
    menu_ = buildMenu();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    window_ = CreateWindowExW(0, kClassName, L"KOLVEN_APP", WS_MAXIMIZE | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu_, instance,
                              nullptr);
    // The procedure is attached only now, with the object it belongs to: the messages of
    // creation get the default handling, which is all they need.
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::procedure));
    SetWindowTextW(window_, toWide(kWindowTitle).c_str());
    accelerators_ = createAccelerators();
    // A menu runs its own message loop, where the accelerators are not seen; this filter sees its keys.
    menuKeysWindow = this;
    menuKeys_ = SetWindowsHookExW(WH_MSGFILTER, &MainWindow::menuKeyFilter, nullptr, GetCurrentThreadId());
    taskWindow_ = window_;
    nextButton_ = CreateWindowExW(0, L"BUTTON", toWide(kNextButtonText).c_str(), WS_CHILD | BS_PUSHBUTTON,
                                  kNextButtonX, 0, kNextButtonWidth, kNextButtonHeight, window_, nullptr, instance,
                                  nullptr);
}

MainWindow::~MainWindow()
{
    destroy();
    UnhookWindowsHookEx(menuKeys_);
    if (menuKeysWindow == this) {
        menuKeysWindow = nullptr;
    }
    DestroyAcceleratorTable(accelerators_);
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}

void MainWindow::showMaximized()
{
    ShowWindow(window_, SW_SHOWMAXIMIZED);
    UpdateWindow(window_);
    RECT client{};
    GetClientRect(window_, &client);
    pageBottom_ = int(client.bottom) - kPageMargin;
    SetWindowPos(nextButton_, nullptr, kNextButtonX, nextButtonTop(pageBottom_), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::destroy()
{
    if (window_) {
        DestroyWindow(window_);
    }
}

void MainWindow::setCommandEnabled(CommandId id, bool enabled)
{
    EnableMenuItem(menu_, UINT(id), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    // "Autor" sits on the bar itself, which shows a change only when drawn again.
    if (id == kAboutItem.id) {
        DrawMenuBar(window_);
    }
}

void MainWindow::setCommandChecked(CommandId id, bool checked)
{
    CheckMenuItem(menu_, UINT(id), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::clearText()
{
    lines_.clear();
    InvalidateRect(window_, nullptr, TRUE);
}

std::vector<std::wstring> MainWindow::lineTexts() const
{
    std::vector<std::wstring> texts;
    for (const Line& line : lines_) {
        texts.push_back(line.text);
    }
    return texts;
}

void MainWindow::addText(int x, int y, std::string_view text, bool centered)
{
    // Lines split at '\n'; a line's own '\r' and a final line break draw nothing.
    const std::wstring all = toWide(text);
    std::wstring_view rest = all;
    while (!rest.empty() && (rest.back() == L'\n' || rest.back() == L'\r')) {
        rest.remove_suffix(1);
    }
    for (int top = y;; top += kLineHeight) {
        const std::size_t end = rest.find(L'\n');
        std::wstring_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        lines_.push_back(Line{x, top, centered, std::wstring(line)});
        if (end == std::wstring_view::npos) {
            break;
        }
        rest.remove_prefix(end + 1);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::paintNow()
{
    UpdateWindow(window_);
}

void MainWindow::post(std::function<void()> task)
{
    const std::lock_guard lock(tasksMutex_);
    if (taskWindow_) {
        tasks_.push_back(std::move(task));
        PostMessageW(taskWindow_, kRunPostedTasks, 0, 0);
    }
}

void MainWindow::runPostedTasks()
{
    // Every task waiting now runs; one wake-up may stand for several posts.
    std::deque<std::function<void()>> waiting;
    {
        const std::lock_guard lock(tasksMutex_);
        waiting.swap(tasks_);
    }
    for (const auto& task : waiting) {
        task();
    }
}

void MainWindow::dropPostedTasks()
{
    const std::lock_guard lock(tasksMutex_);
    tasks_.clear();
    taskWindow_ = nullptr;
}

bool MainWindow::translateAccelerator(MSG& message)
{
    return window_ && TranslateAcceleratorW(window_, accelerators_, &message);
}

LRESULT CALLBACK MainWindow::menuKeyFilter(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    MainWindow* self = menuKeysWindow;
    if (code == MSGF_MENU && self && self->window_ && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE
        && !(GetMenuState(self->menu_, UINT(kEscapeCommand), MF_BYCOMMAND) & MF_GRAYED)) {
        // The menu closes, and the command comes as from the key once its loop has ended.
        EndMenu();
        PostMessageW(self->window_, WM_COMMAND, MAKEWPARAM(UINT(kEscapeCommand), kFromAccelerator), 0);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MainWindow::paint()
{
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    SetTextColor(context, kTextColor);
    SetBkMode(context, TRANSPARENT);
    // TextOut knows no mnemonics and clips to nothing but the window: "&" is drawn as it is.
    for (const Line& line : lines_) {
        int x = line.x;
        if (line.centered) {
            SIZE size{};
            GetTextExtentPoint32W(context, line.text.c_str(), int(line.text.size()), &size);
            x = (int(client.right) - int(size.cx)) / 2;
        }
        TextOutW(context, x, line.y, line.text.c_str(), int(line.text.size()));
    }
    EndPaint(window_, &paint);
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->handle(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_CLOSE:
        if (!confirmClose || confirmClose()) {
            destroy();
        }
        return 0;
    case WM_DESTROY:
        dropPostedTasks();
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        window_ = nullptr;
        if (onDestroyed) {
            onDestroyed();
        }
        return 0;
    case WM_NCRBUTTONDOWN:
        // No system menu on a right click of the caption.
        return 0;
    case WM_SYSCOMMAND:
        return systemCommand(wParam, lParam);
    case WM_COMMAND:
        return command(wParam, lParam);
    case kRunPostedTasks:
        runPostedTasks();
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT MainWindow::systemCommand(WPARAM wParam, LPARAM lParam)
{
    // The close box and Alt+F4 reach WM_CLOSE and its question; the mouse opens the menu bar.
    // Everything else is swallowed: minimizing, restoring, moving, sizing, maximizing, the Alt
    // key's way into the menu, the system menu, the task list.
    if ((wParam & 0xFFF0) == SC_CLOSE || isMenuBarClick(wParam)) {
        return DefWindowProcW(window_, WM_SYSCOMMAND, wParam, lParam);
    }
    return 0;
}

LRESULT MainWindow::command(WPARAM wParam, LPARAM lParam)
{
    // Menu entries and accelerator keys choose commands; other notifications are not ours.
    const bool chosen = HIWORD(wParam) == 0 || (HIWORD(wParam) == kFromAccelerator && lParam == 0);
    if (!chosen) {
        return DefWindowProcW(window_, WM_COMMAND, wParam, lParam);
    }
    if (lParam != 0) {
        if (reinterpret_cast<HWND>(lParam) == nextButton_ && onNextPage) {
            onNextPage();
        }
        return 0;
    }
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == kFromAccelerator && (id == kNextPageKey || id == kExportShownKey)) {
        const auto& hook = id == kNextPageKey ? onNextPage : onExportShown;
        if (hook) {
            hook();
        }
        return 0;
    }
    if (isCommandId(id) && onCommand) {
        onCommand(static_cast<CommandId>(id));
    }
    return 0;
}

} // namespace kolven
