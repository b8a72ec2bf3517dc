#include "parallel_for.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace kolven {
namespace {

TEST(ParallelFor, VisitsEveryItemOnceStopsWhenToldAndRethrowsTheFirstFailure)
{
    for (unsigned threads : {1u, 3u, 0u}) {
        std::vector<std::atomic<int>> visits(1000);
        parallelFor(1000, threads, [&](std::uint32_t item, unsigned worker) {
            EXPECT_LT(worker, workerThreads(threads));
            ++visits[item];
            return true;
        });
        for (const auto& count : visits) {
            EXPECT_EQ(count, 1);
        }
        // After a call says stop, at most the calls already under way on other threads follow.
        std::atomic<std::uint32_t> calls{0};
        parallelFor(1000, threads, [&](std::uint32_t, unsigned) { return ++calls < 5; });
        EXPECT_LT(calls.load(), 5 + workerThreads(threads));
        EXPECT_THROW(parallelFor(1000, threads,
                                 [](std::uint32_t item, unsigned) -> bool {
                                     if (item == 7) {
                                         throw std::runtime_error("item 7");
                                     }
                                     return true;
                                 }),
                     std::runtime_error);
    }
}

} // namespace
} // namespace kolven
