#include "wide_text.h"

#include "text_format.h"

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
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Character character = decodeUtf8(utf8.substr(i));
        if (character.length == 0) {
            wide += kReplacement;
            ++i;
            continue;
        }
        if (const char32_t code = character.code; code >= 0x10000) {
            wide += wchar_t(0xD800 + ((code - 0x10000) >> 10));
            wide += wchar_t(0xDC00 + ((code - 0x10000) & 0x3FFu));
        } else {
            wide += wchar_t(code);
        }
        i += character.length;
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
