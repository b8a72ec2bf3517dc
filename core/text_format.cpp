#include "text_format.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace kolven {

void appendFixed(std::string& text, double value, int decimals)
{
    // Room for the 309 integer digits of the largest double, sign, point and decimals.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc()) {
        text.append(buffer, result.ptr);
    }
}

std::string elapsedTimeLine(double seconds)
{
    std::string line = "Czas wykonania zadania: ";
    appendFixed(line, seconds, 12);
    line += "s";
    line += kLineEnd;
    return line;
}

std::string timedReport(double seconds, std::string_view lines)
{
    std::string text = elapsedTimeLine(seconds);
    std::size_t lineStart = 0;
    while (lineStart <= lines.size()) {
        const std::size_t lineEnd = std::min(lines.find('\n', lineStart), lines.size());
        text.append(lines, lineStart, lineEnd - lineStart);
        text += kLineEnd;
        lineStart = lineEnd + 1;
    }
    return text;
}

} // namespace kolven
