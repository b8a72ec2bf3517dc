#pragma once

#include <string_view>

namespace kolven {

// Shown when an operation needs more memory than can be had, or a size that cannot be
// represented; the operation then changes nothing.
inline constexpr std::string_view kOutOfMemoryMessage =
    "Za malo pamieci: operacja nie zostala wykonana, dane pozostaly bez zmian.";

} // namespace kolven
