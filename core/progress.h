#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace kolven {

// How a long computation tells whoever waits for it how far it has come, and learns that it
// should stop. The base does nothing and never stops, so the command line's batch runs and the
// tests pay nothing for it. A computation calls report and cancelled from the thread it runs on
// (and from its own worker threads); an implementation that is read from another thread keeps
// what it is told in atomics.
class Progress {
public:
    virtual ~Progress() = default;

    // done of total units of the current stage; stage is the order being searched for the
    // exhaustive rules, 0 for computations without stages. Calls are cheap and may be frequent.
    virtual void report(std::uint32_t stage, std::uint64_t done, std::uint64_t total)
    {
        (void)stage;
        (void)done;
        (void)total;
    }

    // True once the computation should stop. A computation that sees it returns as cancelled and
    // leaves its earlier results exactly as they were.
    virtual bool cancelled() const { return false; }
};

// The progress of a run nobody watches.
inline Progress& noProgress()
{
    static Progress none;
    return none;
}

// A Progress that another thread reads and stops: the figures of the last report and a stop flag,
// all atomic.
class SharedProgress : public Progress {
public:
    void report(std::uint32_t stage, std::uint64_t done, std::uint64_t total) override
    {
        stage_.store(stage, std::memory_order_relaxed);
        done_.store(done, std::memory_order_relaxed);
        total_.store(total, std::memory_order_relaxed);
    }
    bool cancelled() const override { return stop_.load(std::memory_order_relaxed); }

    void cancel() { stop_.store(true, std::memory_order_relaxed); }
    std::uint32_t stage() const { return stage_.load(std::memory_order_relaxed); }
    std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }
    std::uint64_t total() const { return total_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::uint32_t> stage_{0};
    std::atomic<std::uint64_t> done_{0};
    std::atomic<std::uint64_t> total_{0};
    std::atomic<bool> stop_{false};
};

// The long computations, each with its own progress line.
enum class Computation { Exhaustive, Lem2, Knn, CrossValidation, Approximations, Reducts, Discretization };

// The line that shows how far a computation has come, from the figures it reported last (stage:
// the order being searched): "Rzad 2: 140 z 683 obiektow", "Klasy decyzyjne: 3 z 19",
// "Obiekty testowe: 96 z 810"; for the rough-set analysis "Atrybuty: 3 z 35" (stage 0),
// "Porownane obiekty: 40 z 683" (stage 1), "Zbiory rozrozniajace: 12 z 90" (stage 2);
// "Dyskretyzacja: 5 z 20" (pairs discerned, or attributes done). Empty before the first report.
std::string progressLine(Computation computation, std::uint32_t stage, std::uint64_t done, std::uint64_t total);

} // namespace kolven
