#include "background_run.h"

#include <new>
#include <system_error>
#include <utility>

namespace kolven {

void BackgroundRun::start(std::function<bool(Progress&)> work, std::function<void()> tick,
                          std::function<void(Outcome)> done)
{
    progress_ = std::make_unique<SharedProgress>();
    tick_ = std::move(tick);
    done_ = std::move(done);
    const std::uint64_t run = ++runId_;
    try {
        ticker_ = std::jthread([this, run](std::stop_token stop) {
            std::unique_lock lock(tickerMutex_);
            while (!tickerWake_.wait_for(lock, stop, kTickInterval, [] { return false; })) {
                if (stop.stop_requested()) {
                    return;
                }
                screen_.post([this, run] {
                    if (running_ && run == runId_) {
                        tick_();
                    }
                });
            }
        });
        worker_ = std::jthread([this, run, work = std::move(work)] {
            try {
                outcome_ = work(*progress_) ? Outcome::Done : Outcome::Refused;
            } catch (const std::bad_alloc&) {
                outcome_ = Outcome::OutOfMemory;
            }
            screen_.post([this, run] { finish(run); });
        });
    } catch (const std::system_error&) {
        // A thread that cannot be started is a resource that ran out, like memory.
        stopThreads();
        throw std::bad_alloc();
    }
    running_ = true;
}

void BackgroundRun::finish(std::uint64_t run)
{
    if (!running_ || run != runId_) {
        return; // a run already abandoned by cancelAndWait
    }
    stopThreads();
    running_ = false;
    tick_ = nullptr; // with what it holds of the run
    const auto done = std::move(done_);
    done(progress_->cancelled() ? Outcome::Cancelled : outcome_);
}

void BackgroundRun::cancelAndWait()
{
    progress_->cancel();
    stopThreads();
    running_ = false;
    tick_ = nullptr;
    done_ = nullptr;
}

void BackgroundRun::stopThreads()
{
    if (worker_.joinable()) {
        worker_.join();
    }
    if (ticker_.joinable()) {
        ticker_.request_stop();
        ticker_.join();
    }
}

} // namespace kolven
