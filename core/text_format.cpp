#include "text_format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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

void appendFixed3(std::string& text, float value)
{
    char buffer[kFixed3Room];
    text.append(buffer, writeFixed3(buffer, value));
}

char* writeFixed3(char* out, float value)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t exponentBits = (bits >> 23) & 0xFFu;
    if (exponentBits >= 127 + 40) { // at least 2^40 (at most 39 digits), infinite or not a number
        return std::to_chars(out, out + kFixed3Room, double(value), std::chars_format::fixed, 3).ptr;
    }
    // value = mantissa * 2^exponent exactly.
    std::uint64_t mantissa = bits & 0x7FFFFFu;
    int exponent = -149;
    if (exponentBits != 0) {
        mantissa |= 0x800000u;
        exponent = int(exponentBits) - 150;
    }
    // The thousandths, mantissa * 1000 * 2^exponent rounded half to even: below 2^51.
    std::uint64_t thousandths = mantissa * 1000;
    if (exponent >= 0) {
        thousandths <<= exponent;
    } else if (exponent <= -63) {
        thousandths = 0; // below 2^34 * 2^-63: less than half a thousandth
    } else {
        const std::uint64_t remainder = thousandths & ((std::uint64_t{1} << -exponent) - 1);
        const std::uint64_t half = std::uint64_t{1} << (-exponent - 1);
        thousandths >>= -exponent;
        if (remainder > half || (remainder == half && (thousandths & 1) != 0)) {
            ++thousandths;
        }
    }
    // Digits from the right into a scratch buffer, then copied to out.
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* start = end;
    for (int digit = 0; digit < 3; ++digit) {
        *--start = char('0' + thousandths % 10);
        thousandths /= 10;
    }
    *--start = '.';
    do {
        *--start = char('0' + thousandths % 10);
        thousandths /= 10;
    } while (thousandths != 0);
    if ((bits >> 31) != 0) {
        *--start = '-';
    }
    return std::copy(start, end, out);
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

Utf8Character decodeUtf8(std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80) {
        return {lead, 1};
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        smallest = 0x10000;
    }
    if (length == 0 || length > text.size()) {
        return {};
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0u) != 0x80u) {
            return {};
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return {};
    }
    return {code, length};
}

namespace {

// The length of the valid UTF-8 sequence of a printable character beyond ASCII that starts text,
// or 0: a stray or cut-short sequence, an overlong or surrogate form, a C1 control character.
std::size_t printableSequence(std::string_view text)
{
    const Utf8Character character = decodeUtf8(text);
    return character.length > 1 && character.code >= 0xA0 ? character.length : 0;
}

} // namespace

std::string printableExcerpt(std::string_view text, std::size_t limit)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string shown;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        if (characters == limit) {
            shown += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            shown += char(c);
            ++i;
        } else if (const std::size_t length = c >= 0x80 ? printableSequence(text.substr(i)) : 0; length > 0) {
            shown += text.substr(i, length);
            i += length;
        } else {
            shown += "\\x";
            shown += kHex[c >> 4];
            shown += kHex[c & 0x0Fu];
            ++i;
        }
    }
    return shown;
}

} // namespace kolven
