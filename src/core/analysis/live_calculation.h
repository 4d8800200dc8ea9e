#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "core/design/design_record.h"
#include "core/position/calculation.h"
#include "core/position/scan_grid.h"

namespace orvendi {

// Grids of at most this many points are computed whole at every step of a mouse edit; larger
// ones as a coarse preview while the mouse moves and whole once the edit ends.
inline constexpr int kLiveWholePoints = 41 * 41;

// The smallest k such that every k-th point of both plane axes makes at most kLiveWholePoints
// points: 1 for a grid that is computed whole.
int LiveStride(const DesignRecord& design);

// The design with its scan reduced to as many points as every `stride`-th of both plane axes makes,
// from the same first corner to the same last one: every stride-th point where the stride divides
// an axis's steps, else evenly spread points a little more than `stride` steps apart.
DesignRecord CoarseScan(const DesignRecord& design, int stride);

// Which grid a request computes: the preview (whole up to kLiveWholePoints, else coarse) or the
// whole grid whatever its size.
enum class LiveDetail { kPreview, kWhole };

// A finished live computation.
struct LiveResult {
  std::uint64_t generation = 0;
  int stride = 1;
  // The design computed, its scan coarsened when stride > 1: `results` is indexed by its grid.
  DesignRecord design;
  ResultBuffer results;
};

// Whether a computation that a newer request has superseded stops at its next row. A whole one
// always stops. A preview goes on once half of its grid is done, or when no result has come for
// `longest_wait`: on a mouse that never rests for a whole preview, the map still follows, late
// rather than never.
bool SupersededStops(LiveDetail detail, double share_done, std::chrono::steady_clock::duration since_last_result,
                     std::chrono::milliseconds longest_wait);

// The calculation run of a design snapshot on a worker thread, while the window goes on. The
// latest request wins: it replaces one still waiting, and makes the one being computed stop at
// its next row (see SupersededStops). A result is never older than one handed out before it.
// The snapshot's work state is a copy: the design's noise sequence, results and results_valid
// are left to the real "Calculate", and a whole result holds the very estimates "Calculate"
// would make of that design now.
class LiveCalculation {
 public:
  // Called on the worker thread each time a result is ready to be taken.
  using Ready = std::function<void()>;

  static constexpr std::chrono::milliseconds kDefaultLongestWait{40};

  explicit LiveCalculation(Ready ready, std::chrono::milliseconds longest_wait = kDefaultLongestWait);
  // Stops the computation under way (at its next row) and waits for the worker.
  ~LiveCalculation();
  LiveCalculation(const LiveCalculation&) = delete;
  LiveCalculation& operator=(const LiveCalculation&) = delete;

  // Queues a computation of `design` with a copy of `work`; returns its generation number,
  // higher than every earlier one. Never waits for the worker.
  std::uint64_t Request(const DesignRecord& design, const CalculationWork& work, LiveDetail detail);
  // Drops every request and result so far; the computation under way stops at its next row.
  void Cancel();
  // The newest finished result not yet taken, if any.
  std::optional<LiveResult> TakeResult();
  // Whether a request waits or is being computed.
  bool Busy() const;
  // Whether a request waits for the worker to take it up.
  bool Waiting() const;
  // The generation of the latest request, 0 before the first.
  std::uint64_t LatestRequest() const;
  // Waits until nothing is waiting or being computed; false when `timeout` passed first.
  bool WaitUntilIdle(std::chrono::milliseconds timeout) const;

 private:
  struct Job {
    std::uint64_t generation = 0;
    LiveDetail detail = LiveDetail::kPreview;
    DesignRecord design;
    CalculationWork work;
  };

  void Work();
  std::optional<LiveResult> Compute(Job& job);
  bool Abandoned(const Job& job, double share_done) const;

  Ready ready_;
  const std::chrono::milliseconds longest_wait_;

  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  std::optional<Job> waiting_;
  std::optional<LiveResult> finished_;
  bool computing_ = false;
  bool stop_ = false;
  std::uint64_t generation_ = 0;
  std::uint64_t cancelled_through_ = 0;
  std::chrono::steady_clock::time_point last_delivery_{};

  std::thread worker_;
};

}  // namespace orvendi
