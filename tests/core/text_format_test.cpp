#include "text_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdio>
#include <random>

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

// The float shortcut against printf itself: random bit patterns of every size, and the values
// near the edges (ties of thousandths, signed zeros, tiny and huge, the 2^40 bound).
TEST(TextFormat, ThreeDecimalsOfAFloatAreExactlyPrintfs)
{
    const auto check = [](float value) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%.3f", double(value));
        std::string text = "x";
        appendFixed3(text, value);
        ASSERT_EQ(text, std::string("x") + expected) << "bits " << std::bit_cast<std::uint32_t>(value);
    };
    for (const float value : {0.0f, -0.0f, 0.0625f, 0.0005f, -0.0005f, 0.0015f, 2.5e-4f, 1e-45f, -1e-45f, 999.9995f,
                              1099511627775.0f, 1099511627776.0f, -1099511627776.0f, 3.4e38f}) {
        check(value);
    }
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t bits = random();
        const float value = std::bit_cast<float>(bits);
        if (value == value) {
            check(value);
        }
        check(float(std::int32_t(random() % 2000001) - 1000000) / 8000.0f); // many exact ties
    }
}

} // namespace
} // namespace kolven
