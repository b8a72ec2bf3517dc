#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kolven {

// Appends value in fixed notation with the given number of decimals, exactly as "%.Nf" prints
// it in the "C" locale, whatever locale the program runs in.
void appendFixed(std::string& text, double value, int decimals);

// Appends a float exactly as appendFixed(text, value, 3) does, without the general conversion for
// the values rule texts are made of (below 2^40 in magnitude): the rounding to thousandths is
// worked out on the float's own bits, ties to even as printf rounds them.
void appendFixed3(std::string& text, float value);
// The same text written at out, which has room for kFixed3Room characters; returns its end.
inline constexpr std::size_t kFixed3Room = 64;
char* writeFixed3(char* out, float value);

// "Czas wykonania zadania: %.12fs\r\n": the line that heads every result, on screen and in files.
std::string elapsedTimeLine(double seconds);

// The time line, then each "\n"-separated line of lines ended by CR LF: a results text as a file
// and kolven-cli write it.
std::string timedReport(double seconds, std::string_view lines);

// One character decoded from the UTF-8 at the start of text: its code and its length in bytes;
// length 0 when text starts with no valid sequence (a stray continuation byte, a sequence cut
// short, an overlong or surrogate form) or is empty.
struct Utf8Character {
    char32_t code = 0;
    std::size_t length = 0;
};
Utf8Character decodeUtf8(std::string_view text);

// A piece of a read file as a message quotes it: at most limit characters (then "..."), valid
// UTF-8 letters kept, every other byte that is not printable ASCII (control bytes, bytes of no
// valid UTF-8 sequence: a binary file's) written as \xNN, so a message stays one short line.
inline constexpr std::size_t kExcerptLimit = 40;
std::string printableExcerpt(std::string_view text, std::size_t limit = kExcerptLimit);

// Every line the program writes to a file ends with these two bytes, whatever the platform.
inline constexpr std::string_view kLineEnd = "\r\n";

} // namespace kolven
