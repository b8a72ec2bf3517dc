#include "parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kolven {

unsigned workerThreads(unsigned asked)
{
    return asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

void parallelFor(std::uint32_t count, unsigned threads, const std::function<bool(std::uint32_t, unsigned)>& work)
{
    threads = std::min<unsigned>(workerThreads(threads), std::max<std::uint32_t>(count, 1));
    std::atomic<std::uint64_t> next{0};
    std::atomic<bool> stop{false};
    std::exception_ptr failure;
    std::mutex failureLock;
    const auto run = [&](unsigned worker) {
        try {
            for (std::uint64_t item = next++; item < count && !stop; item = next++) {
                if (!work(static_cast<std::uint32_t>(item), worker)) {
                    stop = true;
                }
            }
        } catch (...) {
            const std::lock_guard lock(failureLock);
            failure = failure ? failure : std::current_exception();
            stop = true;
        }
    };
    {
        std::vector<std::jthread> pool;
        pool.reserve(threads);
        for (unsigned worker = 1; worker < threads; ++worker) {
            try {
                pool.emplace_back(run, worker);
            } catch (const std::system_error&) {
                break;
            }
        }
        run(0);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

} // namespace kolven
