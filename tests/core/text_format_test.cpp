#include "text_format.h"

#include <gtest/gtest.h>

#include <clocale>

namespace kolven {
namespace {

std::string fixed(double value, int decimals)
{
    std::string text;
    appendFixed(text, value, decimals);
    return text;
}

TEST(TextFormat, PrintsLikePrintfFixedWhateverTheUserLocale)
{
    std::setlocale(LC_ALL, "pl_PL.UTF-8");
    EXPECT_EQ(fixed(1.5, 3), "1.500");
    EXPECT_EQ(fixed(-0.5, 3), "-0.500");
    EXPECT_EQ(fixed(-0.0, 3), "-0.000");
    EXPECT_EQ(fixed(double(0.12345f), 3), "0.123");
    EXPECT_EQ(fixed(0.0625, 3), "0.062") << "an exact tie rounds to even, as printf does";
    EXPECT_EQ(fixed(1e10, 3), "10000000000.000");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(elapsedTimeLine(0.25), "Czas wykonania zadania: 0.250000000000s\r\n");
}

} // namespace
} // namespace kolven
