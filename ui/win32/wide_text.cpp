#include "wide_text.h"

#include <windows.h>

namespace kolven {

std::wstring toWide(std::string_view utf8)
{
    // Decoded here rather than by MultiByteToWideChar, which on some systems drops the characters
    // that follow an invalid sequence: each byte that starts no valid sequence (a stray
    // continuation byte, a sequence cut short, an overlong or surrogate form, a damaged file's
    // Latin-2 letter) becomes U+FFFD, and decoding goes on with the next byte.
    constexpr wchar_t kReplacement = 0xFFFD;
    std::wstring wide;
    wide.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            wide += wchar_t(lead);
            ++i;
            continue;
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
        bool valid = length > 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0u) == 0x80u;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (!valid || code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            wide += kReplacement;
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            wide += wchar_t(0xD800 + (code >> 10));
            wide += wchar_t(0xDC00 + (code & 0x3FFu));
        } else {
            wide += wchar_t(code);
        }
        i += length;
    }
    return wide;
}

std::string toUtf8(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

} // namespace kolven
