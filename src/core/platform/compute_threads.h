#pragma once

#include <cstdint>
#include <functional>

namespace orvendi {

// The most threads a computation may be given; more would only add start-up cost.
inline constexpr int kMaxComputeThreads = 256;

// How many threads the calculation run, the bed model, Monte-Carlo runs and sweeps use: 0 for
// every core (the setting at start-up), or 1 .. kMaxComputeThreads. Returns false and keeps the
// setting for any other count. Results are the same bits whatever the count.
bool SetComputeThreads(int threads);

// The count as set, 0 standing for every core.
int ComputeThreadsSetting();

// The threads work started here gets: the count set, every core for 0, and 1 inside work that
// already runs on several threads, where nested work stays on its thread.
int ComputeThreads();

// Lowers the scheduling priority of the calling thread and of the threads it starts from then on
// (its compute threads among them) by `steps` nice levels, so that a thread of normal priority, the
// window's, goes first when they want the same core. False when the system refused.
bool LowerThreadPriority(int steps);

// Items 0 .. count - 1 of a job: compute(item, slot) runs on any of the compute threads, and
// finish(item, slot) on the calling thread, in item order, once the item is computed, so that
// whatever must happen in order (sums, progress reports, a host's calls) happens there. At most
// `slots` items are computed and not yet finished; `slot` = item % slots names the storage an
// item holds between the two calls. When finish returns false no further item is started or
// finished and false is returned. An exception from either call ends the job and is rethrown.
// `waiting`, when given, is called on the calling thread again and again while it waits for items
// computed on other threads; false from it ends the job as from finish (items under way are
// computed to their end, so their computation should hear of it too).
bool RunInOrder(std::int64_t count, int slots,
                const std::function<void(std::int64_t item, int slot)>& compute,
                const std::function<bool(std::int64_t item, int slot)>& finish,
                const std::function<bool()>& waiting = {});

}  // namespace orvendi
