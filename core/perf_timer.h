#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace kolven {

// Times one task: start before the work, stop after it. Each start calibrates the cost of one
// clock read, which stop subtracts from the measured ticks.
class PerfTimer {
public:
    using Samples = std::array<std::uint32_t, 20>;
    // Reads a free-running tick counter.
    using TickSource = std::function<std::uint64_t()>;

    // A timer over the steady clock.
    PerfTimer();
    // A timer over another counter of ticksPerSecond ticks a second, so that a test can set the
    // ticks each read returns.
    PerfTimer(TickSource ticks, double ticksPerSecond);

    void start();
    // Returns the seconds since start, less the calibrated overhead; 0 when the task was shorter
    // than the overhead.
    double stop();

    // The most frequent of twenty differences of back-to-back clock reads; a tie goes to the value
    // seen first, zeros count only when the first sample is one, the scan stops once a value holds
    // at least ten samples.
    static std::uint32_t calibrate(const Samples& samples);

    std::uint64_t overhead() const { return overhead_; }

private:
    Samples takeSamples() const;

    TickSource ticks_;
    double frequency_;
    std::uint64_t startStamp_ = 0;
    std::uint64_t stopStamp_ = 0;
    std::uint64_t overhead_ = 0;
    bool calibrated_ = false;
};

} // namespace kolven
