#pragma once

#include "dialog_layout.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kolven {

// Create mode asks for the size of a table to type in; generate mode also for the value range.
enum class ParameterDialogMode { Create, Generate };

// The fields, in tab order; create mode shows the first two.
enum class ParameterField { Objects, Attributes, Minimum, Maximum };

// One field of the parameter dialog: its label, the label's and the edit's place, and whether
// the edit accepts digits only.
struct ParameterFieldLayout {
    ParameterField field;
    std::string_view label;
    ControlBox labelBox;
    ControlBox editBox;
    bool digitsOnly;
};

inline constexpr std::string_view kCreateSystemCaption = "Tworzenie nowego systemu decyzyjnego";
inline constexpr std::string_view kGenerateSystemCaption = "Generowanie nowego systemu decyzyjnego";

inline constexpr std::array kParameterFields{
    ParameterFieldLayout{ParameterField::Objects, "Liczba obiektow:", {4, 10, 112, 16}, {116, 10, 48, 20}, true},
    ParameterFieldLayout{ParameterField::Attributes, "Liczba atrybutow (bez decyzyjnego):", {4, 35, 245, 16},
                         {249, 35, 48, 20}, true},
    ParameterFieldLayout{ParameterField::Minimum, "Minimalna wartość:", {4, 60, 126, 16}, {134, 60, 48, 20}, false},
    ParameterFieldLayout{ParameterField::Maximum, "Maksymalna wartość:", {4, 85, 146, 16}, {150, 85, 48, 20}, false},
};

// What the parameter dialog asks and how it answers: either adapter's dialog shows fields(),
// hands every change of an edit's text to setFieldText, enables its OK button as okEnabled()
// says, and calls accept() or cancel() when OK or ANULUJ is clicked. The edits start empty.
class ParameterDialog {
public:
    explicit ParameterDialog(ParameterDialogMode mode) : mode_(mode) {}

    ParameterDialogMode mode() const { return mode_; }
    // Caption and frame: 175, 100, 160 x 50 (create) or 160 x 70 (generate) dialog units.
    DialogFrame frame() const;
    // The shown fields: two in create mode, four in generate mode.
    std::span<const ParameterFieldLayout> fields() const;
    // The buttons: OK at x 4, ANULUJ at x 74, both 60 x 28, at y 60 (create) or 110 (generate).
    ControlBox okBox() const;
    ControlBox cancelBox() const;

    // Takes the edit's new text: marks the field filled or empty and, when it holds text, parses
    // it at once (counts by countFromFieldText, the range by valueFromFieldText). An emptied
    // field keeps the last parsed value.
    void setFieldText(ParameterField field, std::string_view text);

    // True while every shown field holds text and the object count is not 0 (a table needs at
    // least one object, so 0 objects cannot be confirmed).
    bool okEnabled() const;
    bool filled(ParameterField field) const { return filled_[index(field)]; }
    // Why OK stays disabled although every shown field holds text (0 objects); empty otherwise.
    // The screen shows it as OK's tooltip.
    std::string_view okDisabledReason() const;
    // The field's text as last typed: a dialog opened again shows what the user typed before.
    const std::string& fieldText(ParameterField field) const { return texts_[index(field)]; }

    // The dialog ends: accept() only while okEnabled(), otherwise it is ignored.
    void accept();
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

    std::uint32_t objects() const { return objects_; }
    std::uint32_t attributes() const { return attributes_; }
    float minimum() const { return minimum_; }
    float maximum() const { return maximum_; }

private:
    static std::size_t index(ParameterField field) { return static_cast<std::size_t>(field); }
    bool shown(ParameterField field) const;
    bool shownFieldsFilled() const;

    ParameterDialogMode mode_;
    std::array<bool, 4> filled_{};
    std::array<std::string, 4> texts_;
    std::uint32_t objects_ = 0;
    std::uint32_t attributes_ = 0;
    float minimum_ = 0;
    float maximum_ = 0;
    bool accepted_ = false;
};

} // namespace kolven
