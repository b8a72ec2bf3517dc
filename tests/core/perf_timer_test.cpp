#include "perf_timer.h"

#include <gtest/gtest.h>

#include <string>

namespace kolven {
namespace {

TEST(PerfTimerCalibration, TakesTheMostFrequentDifferenceTheFirstSeenOnATie)
{
    // Twenty samples: the pattern repeated as often as it fits. Zeros count only when the first
    // sample is zero.
    for (const auto& [pattern, overhead] : {std::pair{"34", 3u}, {"1666666666666666666", 6u},
                                            {"52525252525252525277", 5u}, {"25525252525252525277", 2u},
                                            {"90000000000000000000", 9u}, {"00000000001111111111", 0u}}) {
        PerfTimer::Samples samples{};
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = std::uint32_t(pattern[i % std::string(pattern).size()] - '0');
        }
        EXPECT_EQ(PerfTimer::calibrate(samples), overhead) << pattern;
    }
}

TEST(PerfTimer, SubtractsTheOverheadCalibratedAtEachStartAndNeverGoesBelowZero)
{
    // Every read advances the counter by step ticks, of which there are 1000 a second.
    std::uint64_t now = 0;
    std::uint64_t step = 3;
    PerfTimer timer([&] { return now += step; }, 1000.0);
    timer.start(); // back-to-back reads 3 apart: an overhead of 3
    step = 2;
    EXPECT_EQ(timer.stop(), 0.0) << "a task shorter than the overhead";
    step = 5;
    timer.start();
    step = 2005;
    EXPECT_EQ(timer.stop(), 2.0);
    EXPECT_EQ(timer.overhead(), 5u);
}

} // namespace
} // namespace kolven
