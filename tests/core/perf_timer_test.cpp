#include "perf_timer.h"

#include <gtest/gtest.h>

#include <string>

namespace kolven {
namespace {

// Twenty samples from a pattern repeated as often as it fits.
PerfTimer::Samples samples(const std::string& pattern)
{
    PerfTimer::Samples result{};
    for (std::size_t i = 0; i < result.size(); ++i) {
        result[i] = std::uint32_t(pattern[i % pattern.size()] - '0');
    }
    return result;
}

TEST(PerfTimerCalibration, TakesTheMostFrequentDifferenceTheFirstSeenOnATie)
{
    EXPECT_EQ(PerfTimer::calibrate(samples("34")), 3u);
    EXPECT_EQ(PerfTimer::calibrate(samples("1666666666666666666")), 6u);
    EXPECT_EQ(PerfTimer::calibrate(samples("525252525252525252" "77")), 5u);
    EXPECT_EQ(PerfTimer::calibrate(samples("255252525252525252" "77")), 2u);
    // Zeros count only when the first sample is zero.
    EXPECT_EQ(PerfTimer::calibrate(samples("9000000000000000000" "0")), 9u);
    EXPECT_EQ(PerfTimer::calibrate(samples("0000000000" "1111111111")), 0u);
}

TEST(PerfTimer, MeasuresANonNegativeDurationAndRecalibratesEachTask)
{
    PerfTimer timer;
    for (int task = 0; task < 3; ++task) {
        timer.start();
        const double seconds = timer.stop();
        EXPECT_GE(seconds, 0.0);
        EXPECT_LT(seconds, 1.0) << "an empty task never shows a wrapped-around duration";
    }
}

} // namespace
} // namespace kolven
