#include "perf_timer.h"

#include <chrono>
#include <utility>

namespace kolven {

namespace {
using Clock = std::chrono::steady_clock;
} // namespace

PerfTimer::PerfTimer()
    : PerfTimer([] { return static_cast<std::uint64_t>(Clock::now().time_since_epoch().count()); },
                static_cast<double>(Clock::period::den) / static_cast<double>(Clock::period::num))
{
}

PerfTimer::PerfTimer(TickSource ticks, double ticksPerSecond) : ticks_(std::move(ticks)), frequency_(ticksPerSecond) {}

PerfTimer::Samples PerfTimer::takeSamples() const
{
    Samples samples{};
    for (auto& sample : samples) {
        const auto first = static_cast<std::uint32_t>(ticks_());
        const auto second = static_cast<std::uint32_t>(ticks_());
        sample = second - first;
    }
    return samples;
}

std::uint32_t PerfTimer::calibrate(const Samples& samples)
{
    struct Entry {
        std::uint32_t value;
        std::uint32_t first;
        std::uint32_t count;
    };
    std::array<Entry, 20> entries{};
    std::uint32_t entryCount = 1;
    entries[0] = {samples[0], 0, 1};
    std::uint32_t best = 0;

    for (std::uint32_t i = 0; i < entryCount; ++i) {
        for (std::uint32_t s = entries[i].first + 1; s < samples.size(); ++s) {
            if (samples[s] == entries[i].value) {
                ++entries[i].count;
                continue;
            }
            bool known = false;
            for (std::uint32_t e = 0; e < entryCount; ++e) {
                known = known || entries[e].value == samples[s];
            }
            if (!known && samples[s] != 0) {
                entries[entryCount++] = {samples[s], s, 1};
            }
        }
        if (entries[i].count > entries[best].count) {
            best = i;
        }
        if (entries[best].count > 9) {
            break;
        }
    }
    return entries[best].value;
}

void PerfTimer::start()
{
    if (!calibrated_) {
        overhead_ = calibrate(takeSamples());
        calibrated_ = true;
    }
    startStamp_ = ticks_();
}

double PerfTimer::stop()
{
    const std::uint64_t now = ticks_();
    const std::uint64_t spent = now - startStamp_;
    stopStamp_ = spent > overhead_ ? spent - overhead_ : 0;
    calibrated_ = false;
    return static_cast<double>(stopStamp_) / frequency_;
}

} // namespace kolven
