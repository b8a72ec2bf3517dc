#pragma once

#include "progress.h"
#include "screen.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace kolven {

// Runs one computation at a time on a worker thread so that the window keeps answering. While
// it runs, a ticker asks the window thread a few times a second to show how far it has come;
// when it ends, the window thread is told how. Everything it calls back runs on the window
// thread, through Screen::post, so results are installed there and nowhere else.
class BackgroundRun {
public:
    // How a run ended: work returned true, returned false by itself (a refusal), was cancelled,
    // or ran out of memory.
    enum class Outcome { Done, Refused, Cancelled, OutOfMemory };

    // How often the window thread is asked to redraw the progress.
    static constexpr std::chrono::milliseconds kTickInterval{250};

    explicit BackgroundRun(Screen& screen) : screen_(screen) {}
    // Cancels a run still going and waits for its worker.
    ~BackgroundRun() { cancelAndWait(); }
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;

    // Starts work on a worker thread; work must touch nothing the window thread uses. Until the
    // run ends, tick is called on the window thread every kTickInterval; then done is called there
    // once with the outcome (a run cancelled before it ended counts as cancelled, whatever work
    // returned). Throws std::bad_alloc when no thread can be started. Only when nothing runs.
    void start(std::function<bool(Progress&)> work, std::function<void()> tick,
               std::function<void(Outcome)> done);

    // True from start until done is called (or cancelAndWait returned).
    bool running() const { return running_; }
    // The figures the work reported last.
    const SharedProgress& progress() const { return *progress_; }

    // Asks the work to stop; done follows as usual, with Outcome::Cancelled.
    void cancel() { progress_->cancel(); }
    // Asks the work to stop and waits for its worker; done is then never called for this run.
    void cancelAndWait();

private:
    void finish(std::uint64_t run);
    void stopThreads();

    Screen& screen_;
    std::unique_ptr<SharedProgress> progress_ = std::make_unique<SharedProgress>();
    std::function<void()> tick_;
    std::function<void(Outcome)> done_;
    std::uint64_t runId_ = 0;
    bool running_ = false;

    // Written by the worker before it posts the finish, read on the window thread after joining it.
    Outcome outcome_ = Outcome::Done;
    std::jthread worker_;

    std::jthread ticker_;
    std::mutex tickerMutex_;
    std::condition_variable_any tickerWake_;
};

} // namespace kolven
