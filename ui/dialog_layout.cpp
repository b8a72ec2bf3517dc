#include "dialog_layout.h"

#include "table_files.h"

#include <cfloat>
#include <cstdint>
#include <limits>

namespace kolven {

namespace {

// Leading blanks are skipped by the standard readers these fields imitate.
std::string_view skipBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\n\v\f\r");
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

} // namespace

std::uint32_t countFromFieldText(std::string_view text)
{
    constexpr std::int64_t kCap = 2147483647;
    std::string_view rest = skipBlanks(text.substr(0, kFieldTextLimit));
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    std::int64_t count = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') {
            break;
        }
        count = std::min(kCap, count * 10 + (c - '0'));
    }
    // A count is never negative; a digits-only field cannot hold a sign anyway.
    return negative ? 0 : static_cast<std::uint32_t>(count);
}

float narrowToFloat(double value)
{
    if (value > double(FLT_MAX)) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -double(FLT_MAX)) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

float valueFromFieldText(std::string_view text)
{
    return narrowToFloat(parseValue(skipBlanks(text.substr(0, kFieldTextLimit))));
}

} // namespace kolven
