#pragma once

#include <string>
#include <string_view>

namespace kolven {

// The program's texts are UTF-8; the Windows calls take UTF-16. These two convert at that
// boundary, and nowhere else. Invalid input gives the replacement character, never a failure.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace kolven
