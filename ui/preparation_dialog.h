#pragma once

#include "dialog_layout.h"
#include "discretization.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace kolven {

// The dialogs that change a table before anything is computed on it: the attributes to keep
// ("Ogranicz do atrybutow..."), the discretization ("Dyskretyzuj system decyzyjny...") and how to
// complete the missing values of a table just read.
enum class PreparationDialogMode { Attributes, Discretization, MissingValues };

inline constexpr std::string_view kAttributesDialogCaption = "Ograniczenie do atrybutow";
inline constexpr std::string_view kDiscretizationDialogCaption = "Dyskretyzacja systemu decyzyjnego";
inline constexpr std::string_view kMissingValuesDialogCaption = "Brakujace wartosci";

// Before the refusal of parseAttributeList, and for a K of equal width that is not a whole number
// from 2 to kMaxEqualWidthIntervals.
inline constexpr std::string_view kAttributeListRefused = "Lista atrybutow: ";
inline constexpr std::string_view kIntervalCountRefused = "Liczba przedzialow K musi byc liczba calkowita od 2 do 10000.";
static_assert(kMaxEqualWidthIntervals == 10000, "kIntervalCountRefused names the largest K");

// One control of the dialog with its label: a drop-down list of discretizationChoices(), or an
// edit (digits only when asked).
struct PreparationFieldLayout {
    std::string_view label;
    ControlBox labelBox;
    ControlBox box;
    bool choice = false;
    bool digitsOnly = false;
};

// The methods of discretization the list offers, top to bottom, and the one that asks for K.
inline constexpr std::array<std::string_view, 3> kDiscretizationChoices{
    "MD (maksymalna rozroznialnosc)", "Entropia (MDL)", "Rowna szerokosc (K przedzialow)"};
inline constexpr std::size_t kEqualWidthChoice = 2;
inline constexpr std::string_view kIntervalCountLabel = "Liczba przedzialow K:";

// The choice-th method of kDiscretizationChoices as the command line names it, with K as typed
// for equal width: "md", "entropy" or "width:K" (read by parseDiscretizationMethod).
std::string discretizationMethodText(std::size_t choice, std::string_view intervals);
// The treatments of missing values, in the order of MissingTreatment (mean, mode, drop).
inline constexpr std::array<std::string_view, 3> kMissingValueChoices{
    "Srednia (dla nominalnych moda)", "Moda (najczestsza wartosc)", "Usun obiekty z brakami"};

// What either dialog asks. Either adapter's dialog creates fields() top to bottom, hands every
// change of an edit to setFieldText and of the list to setChoice, and calls accept() or cancel()
// when OK or ANULUJ is clicked. OK is always enabled: what was typed is judged by the command,
// which explains a refusal and opens the dialog again with the text as typed.
class PreparationDialog {
public:
    // The edit opens with text: the attributes of the last reduct, or K of equal width.
    PreparationDialog(PreparationDialogMode mode, std::string text) : mode_(mode), text_(std::move(text)) {}

    DialogFrame frame() const;
    std::span<const PreparationFieldLayout> fields() const;
    ControlBox okBox() const;
    ControlBox cancelBox() const;

    // What the list offers: kDiscretizationChoices, or kMissingValueChoices.
    std::span<const std::string_view> choices() const;
    // The index of the chosen entry in choices().
    void setChoice(std::size_t index) { choice_ = index < choices().size() ? index : 0; }
    std::size_t choice() const { return choice_; }

    // The one edit's text (the attribute list, or K).
    void setFieldText(std::string_view text) { text_ = std::string(text); }
    const std::string& fieldText() const { return text_; }

    // The method as the command line names it: "md", "entropy" or "width:K".
    std::string methodText() const;

    void accept() { accepted_ = true; }
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

private:
    PreparationDialogMode mode_;
    std::string text_;
    std::size_t choice_ = 0;
    bool accepted_ = false;
};

} // namespace kolven
