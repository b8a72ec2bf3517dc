#include "wide_text.h"

#include <gtest/gtest.h>

namespace kolven {
namespace {

TEST(WideText, ReplacesEachInvalidByteAndKeepsWhatFollows)
{
    // A Latin-2 letter in a damaged file's line, then the message's closing characters.
    EXPECT_EQ(toWide("wiersz 2: \"a\xB3" "b)\""), L"wiersz 2: \"a\uFFFD" L"b)\"");
    EXPECT_EQ(toWide("\"g\xF3ra\xF3)\""), L"\"g\uFFFDra\uFFFD)\"");
    // A sequence cut short, at the end and before ASCII; an overlong form; a surrogate.
    EXPECT_EQ(toWide("x\xC5"), L"x\uFFFD");
    EXPECT_EQ(toWide("\xE2\x82z"), L"\uFFFD\uFFFDz");
    EXPECT_EQ(toWide("\xC0\xAF!"), L"\uFFFD\uFFFD!");
    EXPECT_EQ(toWide("\xED\xA0\x80."), L"\uFFFD\uFFFD\uFFFD.");
    // Valid text of every length, one character beyond 16 bits as a pair.
    EXPECT_EQ(toWide("B\xC5\x82\xC4\x85" "d! \xE2\x82\xAC \xF0\x9F\x98\x80"), L"B\u0142\u0105d! \u20AC \xD83D\xDE00");
    EXPECT_EQ(toUtf8(toWide("B\xC5\x82\xC4\x85" "d!")), "B\xC5\x82\xC4\x85" "d!");
}

} // namespace
} // namespace kolven
