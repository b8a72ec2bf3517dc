#pragma once

#include <cstdint>
#include <functional>

namespace kolven {

// The threads a computation runs on when asked for `asked`: that many, or one per core for 0.
unsigned workerThreads(unsigned asked);

// Calls work(item, worker) for the items 0 .. count - 1 on up to `threads` threads (0: one per
// core; never more than there are items), the calling thread being worker 0. Each thread takes
// the next item as soon as it is free, so that long and short items even out; a thread that
// cannot be started leaves its share to the others. Hands out no more items once a call returns
// false. The first exception thrown by a call is rethrown once every thread has ended.
void parallelFor(std::uint32_t count, unsigned threads, const std::function<bool(std::uint32_t, unsigned)>& work);

} // namespace kolven
