#include "knn_dialog.h"

#include "knn.h"

namespace kolven {

bool KnnDialog::setFieldText(std::string_view text)
{
    text_ = std::string(text);
    if (text_.empty()) {
        return false;
    }
    kEntered_ = countFromFieldText(text_);
    if (kEntered_ != 0) {
        return false;
    }
    // k is at least 1, and the field says so at once.
    kEntered_ = 1;
    text_.assign(1, '1');
    return true;
}

std::optional<Normalization> KnnDialog::normalization() const
{
    if (normalization_ == 0) {
        return std::nullopt;
    }
    return Normalization(normalization_ - 1);
}

void KnnDialog::accept()
{
    accepted_ = okEnabled();
    if (accepted_) {
        classifier_.k = kEntered_;
    }
}

} // namespace kolven
