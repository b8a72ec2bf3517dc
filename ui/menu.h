#pragma once

#include "screen.h"

#include <array>
#include <span>
#include <string_view>

namespace kolven {

// One entry of a popup: a command with its text, or the separator (no text). A checkable entry
// shows a setting with a check mark (Screen::setCommandChecked).
struct MenuItem {
    CommandId id{};
    std::string_view text;
    bool checkable = false;

    constexpr bool isSeparator() const { return text.empty(); }
};

// A popup of the menu bar with its entries, top to bottom.
struct MenuPopup {
    std::string_view title;
    std::span<const MenuItem> items;
};

inline constexpr std::array kFileMenuItems{
    MenuItem{CommandId::CreateSystem, "Stworz nowy system decyzyjny..."},
    MenuItem{CommandId::GenerateSystem, "Generuj system decyzyjny pseudolosowo..."},
    MenuItem{CommandId::LoadSystem, "Wczytaj system decyzyjny..."},
    MenuItem{CommandId::LoadTestSystem, "Wczytaj system testowy..."},
    MenuItem{CommandId::SaveSystem, "Zapisz system decyzyjny..."},
    MenuItem{CommandId::Quit, "Zakoncz"},
};

inline constexpr std::array kActionsMenuItems{
    MenuItem{CommandId::ComputeExhaustive, "Wylicz reguly Exhaustive"},
    MenuItem{CommandId::ComputeExhaustiveAllOrders, "Wylicz wszystkie reguly minimalne"},
    MenuItem{CommandId::ComputeLem2, "Wylicz reguly LEM2"},
    MenuItem{CommandId::ComputeLem2Simplified, "Wylicz reguly LEM2 (uproszczone)"},
    MenuItem{CommandId::ShowExhaustive, "Wyswietl wyniki Exhaustive"},
    MenuItem{CommandId::ShowLem2, "Wyswietl wyniki LEM2"},
    MenuItem{CommandId::ExportExhaustive, "Eksportuj wyniki Exhaustive do pliku..."},
    MenuItem{CommandId::ExportLem2, "Eksportuj wyniki LEM2 do pliku..."},
    MenuItem{CommandId::EditSystem, "Wyswietl/Modyfikuj system decyzyjny"},
    MenuItem{CommandId::ToggleAttributeNames, "Pokaz nazwy atrybutow", true},
    MenuItem{CommandId::ShowSystemInfo, "Wyswietl informacje o systemie"},
    MenuItem{CommandId::ExportSystemInfo, "Eksportuj informacje o systemie do pliku..."},
    MenuItem{},
    MenuItem{CommandId::EditTestSystem, "Wyswietl/Modyfikuj system testowy"},
    MenuItem{CommandId::ShowTestSystemInfo, "Wyswietl informacje o systemie testowym"},
    MenuItem{CommandId::ExportTestSystemInfo, "Eksportuj informacje o systemie testowym do pliku..."},
    MenuItem{CommandId::ClassifyKnn, "Przeprowadz klasyfikacje k-NN..."},
    MenuItem{CommandId::ShowKnn, "Wyswietl wyniki klasyfikacji k-NN..."},
    MenuItem{CommandId::ClassifyLem2, "Klasyfikuj regulami LEM2"},
    MenuItem{CommandId::ClassifyExhaustive, "Klasyfikuj regulami Exhaustive"},
    MenuItem{CommandId::ShowRuleClassification, "Wyswietl wyniki klasyfikacji regulami..."},
    MenuItem{CommandId::ExportRuleClassification, "Eksportuj wyniki klasyfikacji regulami do pliku..."},
    MenuItem{},
    MenuItem{CommandId::CrossValidate, "Walidacja krzyzowa..."},
    MenuItem{CommandId::ShowCrossValidation, "Wyswietl wyniki walidacji krzyzowej..."},
    MenuItem{CommandId::ExportCrossValidation, "Eksportuj wyniki walidacji krzyzowej do pliku..."},
    MenuItem{},
    MenuItem{CommandId::ComputeApproximations, "Wylicz przyblizenia"},
    MenuItem{CommandId::ComputeReducts, "Wylicz redukty"},
    MenuItem{CommandId::ComputeReductJohnson, "Wylicz redukt (Johnson)"},
    MenuItem{CommandId::ComputeReductGreedy, "Wylicz redukt (zachlanny)"},
    MenuItem{CommandId::ShowApproximations, "Wyswietl przyblizenia"},
    MenuItem{CommandId::ShowReducts, "Wyswietl redukty"},
    MenuItem{CommandId::ExportApproximations, "Eksportuj przyblizenia do pliku..."},
    MenuItem{CommandId::ExportReducts, "Eksportuj redukty do pliku..."},
    MenuItem{CommandId::RestrictAttributes, "Ogranicz do atrybutow..."},
    MenuItem{CommandId::DiscretizeSystem, "Dyskretyzuj system decyzyjny..."},
    MenuItem{},
    MenuItem{CommandId::CancelComputation, "Przerwij obliczenia"},
};

// The menu bar, left to right: the two popups, then kAboutItem as a top-level command. The texts
// carry no mnemonics: an '&' would be shown literally, and none appears.
inline constexpr std::array kMenuPopups{
    MenuPopup{"Plik", kFileMenuItems},
    MenuPopup{"Dzialania", kActionsMenuItems},
};
inline constexpr MenuItem kAboutItem{CommandId::About, "Autor"};

// The command the Escape key chooses, like its menu entry (and ignored, like it, while greyed).
inline constexpr CommandId kEscapeCommand = CommandId::CancelComputation;

// The first and the last command identifier; every id in between is a command.
inline constexpr int kFirstCommandId = static_cast<int>(CommandId::CreateSystem);
inline constexpr int kLastCommandId = static_cast<int>(CommandId::ExportTestSystemInfo);
inline constexpr int kCommandCount = kLastCommandId - kFirstCommandId + 1;

// True for the identifiers from the first to the last command, the only ones the application
// handles; an identifier in between that names no command stays greyed and does nothing.
constexpr bool isCommandId(int id) { return id >= kFirstCommandId && id <= kLastCommandId; }

// The menu text of a command; empty for an identifier that is not a command.
constexpr std::string_view commandText(CommandId id)
{
    if (id == kAboutItem.id) {
        return kAboutItem.text;
    }
    for (const MenuPopup& popup : kMenuPopups) {
        for (const MenuItem& item : popup.items) {
            if (!item.isSeparator() && item.id == id) {
                return item.text;
            }
        }
    }
    return {};
}

} // namespace kolven
