#pragma once

#include "dialog_layout.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kolven {

class kNNv1;

inline constexpr std::string_view kKnnDialogCaption = "Konfiguracja klasyfikatora k-NN";
inline constexpr std::string_view kKnnFieldLabel = "Parametr k:";

// What the k-NN configuration dialog asks: k, digits only. Either adapter's dialog hands every
// change of the edit's text to setFieldText, shows fieldText() when it returns true, enables OK
// as okEnabled() says and calls accept() or cancel() when OK or ANULUJ is clicked. The edit starts
// empty, whatever k is.
class KnnDialog {
public:
    explicit KnnDialog(kNNv1& classifier) : classifier_(classifier) {}

    // Caption and frame: 175, 100, 160 x 35 dialog units.
    DialogFrame frame() const { return {kKnnDialogCaption, 175, 100, 160, 35}; }
    ControlBox labelBox() const { return {4, 10, 112, 16}; }
    ControlBox editBox() const { return {116, 10, 48, 20}; }
    ControlBox okBox() const { return {4, 35, 60, 28}; }
    ControlBox cancelBox() const { return {74, 35, 60, 28}; }

    // Takes the edit's new text and reads k from it like a count; k 0 becomes 1 and the text
    // becomes "1". Returns true when the edit must show fieldText() instead of what was typed.
    bool setFieldText(std::string_view text);
    const std::string& fieldText() const { return text_; }

    // True while the edit holds text.
    bool okEnabled() const { return !text_.empty(); }
    std::uint32_t kEntered() const { return kEntered_; }

    // OK: stores k entered into the classifier (ignored while OK is disabled). ANULUJ keeps the
    // classifier's k.
    void accept();
    void cancel() { accepted_ = false; }
    bool accepted() const { return accepted_; }

private:
    kNNv1& classifier_;
    std::string text_;
    std::uint32_t kEntered_ = 1;
    bool accepted_ = false;
};

} // namespace kolven
