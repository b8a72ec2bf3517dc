#pragma once

#include "progress.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace kolven::testing {

// A Progress that keeps the highest count done, the last stage and total reported, and says
// "stop" once it has been told stopAfter reports (never with the default). Reports may come from
// several threads.
class CountingProgress : public Progress {
public:
    explicit CountingProgress(std::uint64_t stopAfter = UINT64_MAX) : stopAfter_(stopAfter) {}

    void report(std::uint32_t stage, std::uint64_t done, std::uint64_t total) override
    {
        ++reports;
        lastStage = stage;
        std::uint64_t seen = maxDone.load();
        while (done > seen && !maxDone.compare_exchange_weak(seen, done)) {
        }
        lastTotal = total;
    }
    bool cancelled() const override { return reports >= stopAfter_; }

    std::atomic<std::uint64_t> reports{0};
    std::atomic<std::uint32_t> lastStage{0};
    std::atomic<std::uint64_t> maxDone{0};
    std::atomic<std::uint64_t> lastTotal{0};

private:
    std::uint64_t stopAfter_;
};

} // namespace kolven::testing
