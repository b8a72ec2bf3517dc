#include "menu.h"
#include "menu_rules.h"
#include "win32_program.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace kolven {
namespace {

using namespace test;

class Win32WindowTest : public ::testing::Test, public Win32Program {};

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

// Creating a 12 x 19 table: the parameter dialog's OK follows its fields; the grid editor's fields
// fit a long value, and it scrolls both ways, keeping what was typed.
TEST_F(Win32WindowTest, CreatedTableIsTypedIntoAGridThatScrollsBothWays)
{
    const auto cell = [](HWND grid, int r, int c) { return child(grid, L"EDIT", r * 15 + c); };
    const auto label = [](HWND grid, int i) { return textOf(child(grid, L"STATIC", i)); };
    const bool ran = choose(CommandId::CreateSystem, {
        [&](HWND dialog) {
            HWND ok = test::button(dialog, L"OK");
            type(child(dialog, L"EDIT", 0), L"12");
            EXPECT_FALSE(IsWindowEnabled(ok));
            type(child(dialog, L"EDIT", 1), L"19");
            EXPECT_TRUE(IsWindowEnabled(ok));
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
    ASSERT_NE(state_.ercim, nullptr);
    EXPECT_EQ(state_.ercim->values[0], 1.5f);
    EXPECT_EQ(state_.ercim->values[20 + 14], 7.0f);

    // The names setting shows its check mark, set at start and after each change.
    const auto checked = [this] {
        return (GetMenuState(program.window().menu(), UINT(CommandId::ToggleAttributeNames), MF_BYCOMMAND) & MF_CHECKED) != 0;
    };
    EXPECT_TRUE(checked());
    choose(CommandId::ToggleAttributeNames);
    EXPECT_FALSE(checked());
}

// The test system comes from a folder whose name is not ASCII.
TEST_F(Win32WindowTest, TestSystemLoadsFromAFolderWhoseNameIsNotAscii)
{
    const std::filesystem::path polish = (folder / "") / u8"Łukasz";
    std::filesystem::create_directories(polish);
    const std::filesystem::path table = polish / "dane.tab";
    std::filesystem::copy_file(testing::dataFile("xor.tab"), table);
    ASSERT_TRUE(choose(CommandId::LoadTestSystem, {chooseFile(table.wstring())}));
    EXPECT_EQ(state_.knn.testSystem.objectCount, 4u);
}

// Escape in a menu opened during a run closes the menu and stops the run at once.
TEST_F(Win32WindowTest, EscapeInAMenuOpenedDuringARunStopsIt)
{
    // The soybean table keeps the exhaustive search busy for many seconds.
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(windowsName(KOLVEN_EXAMPLES "/soybean.tab"))}));
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

} // namespace
} // namespace kolven
