#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kolven {

// Where a control sits, in pixels of its dialog's client area.
struct ControlBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A modal dialog's caption and frame, in dialog units (the frame of the platform's dialog
// templates: horizontal units are a quarter, vertical units an eighth of the system font's
// average character box). The dialogs have no close box; only OK and ANULUJ end them, and Enter
// and Escape do nothing.
struct DialogFrame {
    std::string_view caption;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline constexpr std::string_view kOkText = "OK";
inline constexpr std::string_view kCancelText = "ANULUJ";
// The buttons of the program's own message boxes, whatever the system's language.
inline constexpr std::string_view kYesText = "Tak";
inline constexpr std::string_view kNoText = "Nie";

// A dialog field reads at most this many characters of its text.
inline constexpr std::size_t kFieldTextLimit = 10;

// A count typed into a digits-only field, read like strtol in base 10 from the field's first
// kFieldTextLimit characters: leading digits, 0 without them, at most 2147483647, never negative.
std::uint32_t countFromFieldText(std::string_view text);

// A value typed into a field, read like atof in the "C" locale from the field's first
// kFieldTextLimit characters and narrowed to a float: the leading number, 0 without one.
float valueFromFieldText(std::string_view text);

// A double narrowed to a float; beyond the float range, an infinity of the same sign.
float narrowToFloat(double value);

} // namespace kolven
