#pragma once

#include "menu.h"
#include "text_page.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace kolven {

// What both window adapters draw the same way, whatever the platform: the title, the "DALEJ"
// button and where it stands, the page's margin and the distance between lines.

inline constexpr std::string_view kWindowTitle = "KOLVEN - Merivant";
inline constexpr std::string_view kNextButtonText = "DALEJ";

// The "DALEJ" button: x 4, 60 x kNextButtonHeight, standing on the page bottom.
inline constexpr int kNextButtonX = 4;
inline constexpr int kNextButtonWidth = 60;
inline constexpr int kNextButtonHeight = 28;
constexpr int nextButtonTop(int pageBottom) { return pageBottom - kNextButtonHeight; }

// The page ends this far above the bottom of the window's text area.
inline constexpr int kPageMargin = 6;
// Lines of one text are this far apart, on the page and in the window.
inline constexpr int kLineHeight = TextPage::kLineHeight;

// A menu text as it is to be shown: a "&" is doubled so that it never becomes a mnemonic.
inline std::string literalMenuText(std::string_view text)
{
    std::string shown;
    for (char c : text) {
        shown += c;
        if (c == '&') {
            shown += '&';
        }
    }
    return shown;
}

} // namespace kolven

namespace kolven {

// The window's keys, one table for both adapters. A key chooses a menu command (as its entry
// does, and not while it is greyed), turns the page as "DALEJ" does (while it is shown and
// enabled), or exports the results the window shows. The menus still open with the mouse only.
enum class WindowKey { Escape, PageDown, Space, O, S, E };
enum class KeyAction { Command, NextPage, ExportShown };

struct WindowShortcut {
    WindowKey key;
    bool ctrl;
    KeyAction action;
    CommandId command; // for KeyAction::Command
};

inline constexpr std::array kWindowShortcuts{
    WindowShortcut{WindowKey::Escape, false, KeyAction::Command, kEscapeCommand},
    WindowShortcut{WindowKey::O, true, KeyAction::Command, CommandId::LoadSystem},
    WindowShortcut{WindowKey::S, true, KeyAction::Command, CommandId::SaveSystem},
    WindowShortcut{WindowKey::E, true, KeyAction::ExportShown, {}},
    WindowShortcut{WindowKey::PageDown, false, KeyAction::NextPage, {}},
    WindowShortcut{WindowKey::Space, false, KeyAction::NextPage, {}},
};

// The exports of results: Ctrl+E chooses the one of the results on the window, and their entries
// show it.
constexpr bool isResultsExport(CommandId id)
{
    using enum CommandId;
    return id == ExportExhaustive || id == ExportLem2 || id == ExportRuleClassification
           || id == ExportCrossValidation || id == ExportApproximations || id == ExportReducts
           || id == ExportSystemInfo || id == ExportTestSystemInfo;
}

// The shortcut a menu entry shows in the menu's shortcut place; none when the entry has none.
constexpr std::optional<WindowShortcut> entryShortcut(CommandId id)
{
    for (const WindowShortcut& shortcut : kWindowShortcuts) {
        if ((shortcut.action == KeyAction::Command && shortcut.command == id)
            || (shortcut.action == KeyAction::ExportShown && isResultsExport(id))) {
            return shortcut;
        }
    }
    return std::nullopt;
}

// How the menu writes a shortcut: "Ctrl+O", "Esc".
constexpr std::string_view keyName(WindowKey key)
{
    switch (key) {
    case WindowKey::Escape: return "Esc";
    case WindowKey::PageDown: return "PgDown";
    case WindowKey::Space: return "Space";
    case WindowKey::O: return "O";
    case WindowKey::S: return "S";
    case WindowKey::E: return "E";
    }
    return {};
}
inline std::string shortcutText(const WindowShortcut& shortcut)
{
    return (shortcut.ctrl ? std::string("Ctrl+") : std::string()) + std::string(keyName(shortcut.key));
}

} // namespace kolven
