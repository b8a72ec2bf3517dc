#include "menu.h"
#include "menu_rules.h"
#include "modal_script.h"
#include "program_window.h"
#include "test_files.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

namespace kolven {
namespace {

using namespace test;

class Win32WindowTest : public ::testing::Test {
protected:
    Win32WindowTest() { program.show(); }

    HWND window() { return program.window().handle(); }
    bool greyed(CommandId id) { return GetMenuState(program.window().menu(), UINT(id), MF_BYCOMMAND) & MF_GRAYED; }
    bool dalejShown() { return IsWindowVisible(program.window().nextButton()); }
    void choose(CommandId id) { SendMessageW(window(), WM_COMMAND, MAKEWPARAM(UINT(id), 0), 0); }
    // Runs a menu command whose dialogs the steps answer; true when they all ran as expected.
    bool choose(CommandId id, std::vector<ModalScript::Step> steps)
    {
        return ModalScript(std::move(steps)).run([&] { choose(id); });
    }

    // Runs the window's message loop, as the program does, until done() or a minute has passed.
    void settle(const std::function<bool()>& done, DWORD milliseconds = 60000)
    {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < milliseconds) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message{};
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (!program.window().translateAccelerator(message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
        }
    }
    bool computing() { return program.application().computing(); }
    // The file dialogs want a Windows name.
    static std::wstring windowsName(const std::filesystem::path& path) { return std::filesystem::absolute(path).wstring(); }

    testing::TempFolder folder;
    AppState state;
    RandomSystemGenerator generator;
    ProgramWindow program{state, generator};
};

TEST_F(Win32WindowTest, OpensMaximizedWithTitleClassStylesAndTheStartMenu)
{
    wchar_t className[32] = {};
    GetClassNameW(window(), className, 32);
    EXPECT_EQ(std::wstring(className), L"KOLVEN");
    EXPECT_EQ(textOf(window()), L"KOLVEN - Merivant");
    EXPECT_TRUE(IsZoomed(window()));
    const LONG_PTR style = GetWindowLongPtrW(window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX), WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    for (int id = kFirstCommandId; id <= kLastCommandId; ++id) {
        EXPECT_EQ(greyed(CommandId(id)), !enabledAtStart(CommandId(id))) << id;
    }
    // The bar: the two popups, then "Autor" as a command of its own.
    HMENU bar = program.window().menu();
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    EXPECT_EQ(GetMenuItemID(bar, 2), UINT(CommandId::About));
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 1)), int(kActionsMenuItems.size()));
    EXPECT_FALSE(dalejShown());
}

TEST_F(Win32WindowTest, AltMinimizeRestoreMoveAndSizeLeaveTheWindowMaximized)
{
    // Wine may still be settling the new window's size: let it finish before the first look.
    settle([] { return false; }, 200);
    RECT before{};
    GetWindowRect(window(), &before);
    for (WPARAM command : {SC_MINIMIZE, SC_RESTORE, SC_MAXIMIZE, SC_MOVE, SC_SIZE, SC_KEYMENU, SC_MOVE | 2, SC_TASKLIST}) {
        SendMessageW(window(), WM_SYSCOMMAND, command, 0);
        EXPECT_TRUE(IsZoomed(window())) << command;
        EXPECT_FALSE(IsIconic(window())) << command;
    }
    SendMessageW(window(), WM_SYSKEYDOWN, VK_MENU, 0);
    SendMessageW(window(), WM_SYSKEYUP, VK_MENU, 0);
    settle([] { return false; }, 200);
    RECT after{};
    GetWindowRect(window(), &after);
    EXPECT_TRUE(IsZoomed(window()));
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(Win32WindowTest, CloseAsksAndNoKeepsTheWindowZakonczClosesWithoutAsking)
{
    std::wstring question;
    std::wstring buttons;
    EXPECT_TRUE(ModalScript({[&](HWND box) {
                    buttons = textOf(GetDlgItem(box, IDYES)) + L"/" + textOf(GetDlgItem(box, IDNO));
                    answer(IDNO, &question)(box);
                }}).run([&] { SendMessageW(window(), WM_CLOSE, 0, 0); }));
    EXPECT_EQ(question, L"Czy chcesz zakończyć działanie programu?");
    EXPECT_EQ(buttons, L"Tak/Nie") << "the program's texts, not the system's";
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_TRUE(choose(CommandId::Quit, {}));
    EXPECT_EQ(window(), nullptr);
}

// Creating a 12 x 19 table: the parameter dialog's OK follows its fields and says in a tooltip why
// it stays disabled; the grid editor's fields fit a long value, and it scrolls both ways, keeping
// what was typed.
TEST_F(Win32WindowTest, CreatedTableIsTypedIntoAGridThatScrollsBothWays)
{
    // The text of the tooltip over the parameter dialog's OK.
    const auto okTip = [](HWND dialog) {
        HWND tip = nullptr;
        while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) && GetWindow(tip, GW_OWNER) != dialog) {
        }
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = dialog;
        tool.uId = 1;
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
        return std::wstring(text);
    };
    const auto cell = [](HWND grid, int r, int c) { return child(grid, L"EDIT", r * 15 + c); };
    const auto label = [](HWND grid, int i) { return textOf(child(grid, L"STATIC", i)); };
    const bool ran = choose(CommandId::CreateSystem, {
        [&](HWND dialog) {
            HWND ok = test::button(dialog, L"OK");
            type(child(dialog, L"EDIT", 0), L"12");
            EXPECT_FALSE(IsWindowEnabled(ok));
            type(child(dialog, L"EDIT", 1), L"19");
            EXPECT_TRUE(IsWindowEnabled(ok));
            EXPECT_EQ(okTip(dialog), L"");
            type(child(dialog, L"EDIT", 0), L"0");
            EXPECT_FALSE(okTip(dialog).empty());
            type(child(dialog, L"EDIT", 0), L"12");
            click(ok);
        },
        [&](HWND grid) {
            EXPECT_EQ(textOf(grid), L"Tworzenie nowego systemu decyzyjnego");
            // The last column's fields lie inside the dialog (or it is as wide as the screen allows), and
            // are wide enough for a long value.
            RECT client{};
            RECT last{};
            RECT outer{};
            GetClientRect(grid, &client);
            GetWindowRect(cell(grid, 0, 14), &last);
            MapWindowPoints(nullptr, grid, reinterpret_cast<POINT*>(&last), 2);
            GetWindowRect(grid, &outer);
            EXPECT_TRUE(last.right <= client.right || outer.right - outer.left >= GetSystemMetrics(SM_CXSCREEN));
            EXPECT_GT(last.right - last.left, 27);
            type(cell(grid, 0, 0), L"1.5");
            type(cell(grid, 1, 14), L"7");
            EXPECT_EQ(label(grid, 0) + L" " + label(grid, 14) + L" " + label(grid, 15), L"A1 A15 O1");
            SendMessageW(grid, WM_HSCROLL, SB_RIGHT, 0);
            EXPECT_EQ(label(grid, 0) + L" " + label(grid, 14), L"A6 D");
            EXPECT_EQ(textOf(cell(grid, 1, 9)) + L" " + textOf(cell(grid, 0, 0)), L"7.000 0.000");
            EXPECT_EQ(GetScrollPos(grid, SB_HORZ), 5);
            SendMessageW(grid, WM_HSCROLL, SB_LEFT, 0);
            SendMessageW(grid, WM_VSCROLL, SB_PAGEDOWN, 0);
            EXPECT_EQ(label(grid, 15) + L" " + label(grid, 24), L"O3 O12");
            EXPECT_EQ(GetScrollPos(grid, SB_VERT), 2);
            SendMessageW(grid, WM_VSCROLL, SB_TOP, 0);
            EXPECT_EQ(textOf(cell(grid, 0, 0)) + L" " + textOf(cell(grid, 1, 14)), L"1.500 7.000");
            click(test::button(grid, L"OK"));
        },
    });
    ASSERT_TRUE(ran);
    ASSERT_NE(state.ercim, nullptr);
    EXPECT_EQ(state.ercim->values[0], 1.5f);
    EXPECT_EQ(state.ercim->values[20 + 14], 7.0f);

    // The names setting shows its check mark, set at start and after each change.
    const auto checked = [this] {
        return (GetMenuState(program.window().menu(), UINT(CommandId::ToggleAttributeNames), MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checked());
    choose(CommandId::ToggleAttributeNames);
    EXPECT_FALSE(checked());
}

// The wheel over a field scrolls the grid; a refused OK shows its message and keeps the grid open
// with the typed text, its field focused; Escape then closes it as ANULUJ.
TEST_F(Win32WindowTest, GridScrollsByTheWheelRefusesATextThatIsNoNumberAndClosesOnEscape)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(windowsName(KOLVEN_EXAMPLES "/iris.tab"))}));
    const std::vector<float> before = state.ercim->values;
    const auto cell = [](HWND grid, int r, int c) { return child(grid, L"EDIT", r * 5 + c); };
    std::wstring firstRow;
    std::wstring message;
    std::wstring kept;
    bool focused = false;
    const bool ran = choose(CommandId::EditSystem, {
        [&](HWND grid) {
            SendMessageW(cell(grid, 0, 0), WM_MOUSEWHEEL, WPARAM(WORD(-2 * WHEEL_DELTA)) << 16, 0);
            firstRow = textOf(child(grid, L"STATIC", 5)) + L" " + std::to_wstring(GetScrollPos(grid, SB_VERT));
            type(cell(grid, 2, 1), L"abc");
            click(test::button(grid, L"OK")); // the message box's step runs meanwhile
            kept = textOf(cell(grid, 2, 1));
            focused = GetFocus() == cell(grid, 2, 1);
            PostMessageW(cell(grid, 2, 1), WM_KEYDOWN, VK_ESCAPE, 0);
        },
        answer(IDOK, &message),
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(firstRow, L"O7 6");
    EXPECT_EQ(message.substr(0, 54), L"Wartosc \"abc\" (wiersz O9, kolumna A2) nie jest liczba.");
    EXPECT_EQ(kept, L"abc");
    EXPECT_TRUE(focused);
    EXPECT_EQ(state.ercim->values, before) << "closed as ANULUJ";
}

// A generated table's LEM2 rules fill more than a page: "DALEJ" shows the next ones, and "Autor"
// hides it. The k dialog turns 0 into 1; so does the cross-validation dialog, which runs the
// method chosen in its list.
TEST_F(Win32WindowTest, RulesArePagedWithDalejAndTheKDialogTakesZeroAsOne)
{
    ASSERT_TRUE(choose(CommandId::GenerateSystem, {fillAndClick({L"300", L"2", L"0", L"9"}, L"OK")}));
    choose(CommandId::ComputeLem2);
    settle([this] { return !computing(); });
    EXPECT_TRUE(dalejShown());
    EXPECT_TRUE(IsWindowEnabled(program.window().nextButton()));
    // Space and PageDown turn the page as "DALEJ" does.
    for (WPARAM key : {VK_SPACE, VK_NEXT}) {
        choose(CommandId::ShowLem2);
        const std::uint32_t from = state.listing.lem2Position;
        ASSERT_GT(from, 0u);
        PostMessageW(window(), WM_KEYDOWN, key, 0);
        settle([&] { return state.listing.lem2Position != from; }, 3000);
        EXPECT_NE(state.listing.lem2Position, from) << key;
    }
    choose(CommandId::ShowLem2);
    const std::uint32_t before = state.listing.lem2Position;
    EXPECT_GT(before, 0u);
    // The next page: the listing moves on, or ends (back at its start, "DALEJ" disabled).
    click(program.window().nextButton());
    const std::uint32_t after = state.listing.lem2Position;
    EXPECT_TRUE(after > before || (after == 0 && !IsWindowEnabled(program.window().nextButton())));
    choose(CommandId::About);
    EXPECT_FALSE(dalejShown());

    // The test system comes from a folder whose name is not ASCII.
    const std::filesystem::path polish = (folder / "") / u8"Łukasz";
    std::filesystem::create_directories(polish);
    const std::filesystem::path table = polish / "dane.tab";
    std::filesystem::copy_file(testing::dataFile("xor.tab"), table);
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(table.wstring())}));
    EXPECT_EQ(state.knn.testSystem.objectCount, 4u);
    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {[&](HWND dialog) {
        type(child(dialog, L"EDIT", 0), L"0");
        EXPECT_EQ(textOf(child(dialog, L"EDIT", 0)), L"1");
        click(test::button(dialog, L"OK"));
    }}));
    settle([this] { return !computing(); });
    EXPECT_EQ(state.knn.k, 1u);

    // The cross-validation dialog: the method's list, OK following the folds, k 0 shown as 1.
    EXPECT_TRUE(choose(CommandId::CrossValidate, {[&](HWND dialog) {
        HWND methods = child(dialog, L"COMBOBOX", 0);
        SendMessageW(methods, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(methods), CBN_SELCHANGE), LPARAM(methods));
        EXPECT_FALSE(IsWindowEnabled(child(dialog, L"EDIT", 1))) << "k is not asked for LEM2";
        type(child(dialog, L"EDIT", 0), L"");
        EXPECT_FALSE(IsWindowEnabled(test::button(dialog, L"OK")));
        type(child(dialog, L"EDIT", 0), L"3");
        type(child(dialog, L"EDIT", 1), L"0");
        type(child(dialog, L"EDIT", 2), L"7");
        EXPECT_EQ(textOf(child(dialog, L"EDIT", 1)), L"1");
        click(test::button(dialog, L"OK"));
    }}));
    settle([this] { return !computing(); });
    EXPECT_EQ(state.cvSettings.method, CvMethod::Lem2);
    EXPECT_EQ(state.cvSettings.folds, 3u);
    EXPECT_EQ(state.cvSettings.seed, 7u);
}

// The attribute list and the discretization dialogs hand the typed list, the chosen method and K
// on: a table restricted to two attributes gets codes of three intervals, equal width with K 3.
TEST_F(Win32WindowTest, RestrictionAndDiscretizationDialogsPassTheListTheMethodAndKOn)
{
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(windowsName(testing::dataFile("iris.tab")))}));
    EXPECT_TRUE(choose(CommandId::RestrictAttributes, {[&](HWND dialog) {
        EXPECT_EQ(textOf(child(dialog, L"EDIT", 0)), L"");
        type(child(dialog, L"EDIT", 0), L"4,3");
        click(test::button(dialog, L"OK"));
    }}));
    ASSERT_EQ(state.ercim->attributeCount, 2u);
    EXPECT_TRUE(choose(CommandId::DiscretizeSystem, {[&](HWND dialog) {
        HWND methods = child(dialog, L"COMBOBOX", 0);
        SendMessageW(methods, CB_SETCURSEL, 2, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(methods), CBN_SELCHANGE), LPARAM(methods));
        type(child(dialog, L"EDIT", 0), L"3");
        click(test::button(dialog, L"OK"));
    }}));
    settle([this] { return !computing(); });
    float highest = 0;
    for (std::uint32_t o = 0; o < state.ercim->objectCount; ++o) {
        highest = std::max({highest, state.ercim->row(o)[0], state.ercim->row(o)[1]});
    }
    EXPECT_EQ(highest, 2.0f);
    EXPECT_EQ(state.names.columns[0].name, "a3");
}

// A computation runs while the message loop goes on, the menu greyed but for the cancel entry (the
// results coming back through the loop are seen above); Escape stops it and leaves the rules as
// they were.
TEST_F(Win32WindowTest, ARunKeepsTheLoopGoingAndEscapeStopsIt)
{
    // The soybean table keeps the exhaustive search busy for many seconds.
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(windowsName(KOLVEN_EXAMPLES "/soybean.tab"))}));
    choose(CommandId::ComputeExhaustive);
    settle([] { return false; }, 500);
    ASSERT_TRUE(computing());
    EXPECT_TRUE(greyed(CommandId::LoadSystem));
    EXPECT_FALSE(greyed(CommandId::CancelComputation));
    PostMessageW(window(), WM_KEYDOWN, VK_ESCAPE, 0);
    settle([this] { return !computing(); });
    EXPECT_FALSE(computing());
    EXPECT_FALSE(greyed(CommandId::ComputeExhaustive));
    EXPECT_TRUE(greyed(CommandId::ShowExhaustive));
    EXPECT_TRUE(greyed(CommandId::CancelComputation));

    // Escape in a menu opened during a run closes the menu and stops the run at once.
    choose(CommandId::ComputeExhaustive);
    settle([] { return false; }, 500);
    ASSERT_TRUE(computing());
    PostMessageW(window(), WM_KEYDOWN, VK_ESCAPE, 0);
    SetForegroundWindow(window());
    TrackPopupMenu(GetSubMenu(program.window().menu(), 1), TPM_RETURNCMD, 0, 0, 0, window(), nullptr);
    settle([this] { return !computing(); });
    EXPECT_FALSE(computing());
    EXPECT_TRUE(greyed(CommandId::ShowExhaustive)) << "stopped, not run to its end";
}

// The shortcuts stand after a tab in their entries' texts, where menus show them.
TEST_F(Win32WindowTest, MenuEntriesShowTheirShortcuts)
{
    auto entry = [this](CommandId id) {
        wchar_t text[128] = {};
        GetMenuStringW(program.window().menu(), UINT(id), text, 128, MF_BYCOMMAND);
        return std::wstring(text);
    };
    EXPECT_EQ(entry(CommandId::LoadSystem), L"Wczytaj system decyzyjny...\tCtrl+O");
    EXPECT_EQ(entry(CommandId::SaveSystem), L"Zapisz system decyzyjny...\tCtrl+S");
    EXPECT_EQ(entry(CommandId::ExportLem2), L"Eksportuj wyniki LEM2 do pliku...\tCtrl+E");
    EXPECT_EQ(entry(CommandId::CancelComputation), L"Przerwij obliczenia\tEsc");
    EXPECT_EQ(entry(CommandId::ShowLem2), L"Wyswietl wyniki LEM2");
}

// The discretization's list greys K but for equal width and hands the method and K on; the
// normalization's list hands its choice on.
TEST_F(Win32WindowTest, DiscretizationAndNormalizationListsPassTheirChoicesOn)
{
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(windowsName(testing::dataFile("iris.tab")))}));
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(windowsName(testing::dataFile("iris.tab")))}));
    const auto pick = [](HWND dialog, int list, WPARAM index) {
        HWND box = child(dialog, L"COMBOBOX", list);
        SendMessageW(box, CB_SETCURSEL, index, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE), LPARAM(box));
    };
    EXPECT_TRUE(choose(CommandId::CrossValidate, {[&](HWND dialog) {
        pick(dialog, 1, 3);
        EXPECT_TRUE(IsWindowEnabled(child(dialog, L"EDIT", 3)));
        type(child(dialog, L"EDIT", 3), L"3");
        click(test::button(dialog, L"OK"));
    }}));
    settle([this] { return !computing(); });
    EXPECT_EQ(state.cvResults.preparation.discretization, (DiscretizationMethod{CutMethod::EqualWidth, 3}));
    EXPECT_TRUE(choose(CommandId::ClassifyKnn, {[&](HWND dialog) {
        type(child(dialog, L"EDIT", 0), L"1");
        pick(dialog, 0, 1);
        click(test::button(dialog, L"OK"));
    }}));
    settle([this] { return !computing(); });
    EXPECT_EQ(state.knnNormalization, Normalization::Range);
}

} // namespace
} // namespace kolven
