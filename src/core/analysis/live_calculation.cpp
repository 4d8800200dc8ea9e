#include "core/analysis/live_calculation.h"

#include <array>
#include <exception>
#include <utility>

#include "core/field/bed_model.h"
#include "core/platform/compute_threads.h"
#include "core/platform/progress.h"

namespace orvendi {

namespace {

constexpr int kLivePriorityDrop = 5;

std::int64_t PointCount(int first_steps, int second_steps) {
  if (first_steps < 0 || second_steps < 0) return 0;
  return (static_cast<std::int64_t>(first_steps) + 1) * (static_cast<std::int64_t>(second_steps) + 1);
}

std::pair<int, int> StepCounts(const DesignRecord& design) {
  ScanState scan;
  ScanStart(scan, design);
  return {scan.first_count, scan.second_count};
}

// from, to and step of a world axis (0 x, 1 y, 2 z) of the scan.
std::array<double*, 3> ScanAxis(DesignRecord& design, int axis) {
  switch (axis) {
    case 0:
      return {&design.scan_x_from, &design.scan_x_to, &design.scan_x_step};
    case 1:
      return {&design.scan_y_from, &design.scan_y_to, &design.scan_y_step};
    default:
      return {&design.scan_z_from, &design.scan_z_to, &design.scan_z_step};
  }
}

void CoarsenAxis(DesignRecord& design, int axis, int steps, int stride) {
  const auto [from, to, step] = ScanAxis(design, axis);
  const int coarse_steps = steps / stride;
  if (coarse_steps == 0 || steps % stride == 0) {
    *step *= stride;
    *to = *from + coarse_steps * *step;
    return;
  }
  // As many points as every stride-th, spread a little wider so the last row or column is one.
  const double last = *from + steps * *step;
  *step = (last - *from) / coarse_steps;
  *to = last;
}

}  // namespace

int LiveStride(const DesignRecord& design) {
  const auto [first, second] = StepCounts(design);
  int stride = 1;
  while (PointCount(first / stride, second / stride) > kLiveWholePoints) ++stride;
  return stride;
}

DesignRecord CoarseScan(const DesignRecord& design, int stride) {
  DesignRecord coarse = design;
  if (stride <= 1) return coarse;
  const auto [first, second] = StepCounts(design);
  if (first < 0 || second < 0) return coarse;
  // The plane's first and second axes: XY (x, y), YZ (y, z), ZX (z, x).
  const int first_axis = design.scan_plane;
  const int second_axis = (design.scan_plane + 1) % 3;
  CoarsenAxis(coarse, first_axis, first, stride);
  CoarsenAxis(coarse, second_axis, second, stride);
  return coarse;
}

LiveCalculation::LiveCalculation(Ready ready, std::chrono::milliseconds longest_wait)
    : ready_(std::move(ready)), longest_wait_(longest_wait), worker_([this] { Work(); }) {}

LiveCalculation::~LiveCalculation() {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    stop_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

std::uint64_t LiveCalculation::Request(const DesignRecord& design, const CalculationWork& work,
                                       LiveDetail detail) {
  std::uint64_t generation = 0;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    generation = ++generation_;
    waiting_ = Job{generation, detail, design, work};
  }
  changed_.notify_all();
  return generation;
}

void LiveCalculation::Cancel() {
  {
    const std::lock_guard<std::mutex> hold(lock_);
    cancelled_through_ = generation_;
    waiting_.reset();
    finished_.reset();
  }
  changed_.notify_all();
}

std::optional<LiveResult> LiveCalculation::TakeResult() {
  const std::lock_guard<std::mutex> hold(lock_);
  std::optional<LiveResult> result = std::move(finished_);
  finished_.reset();
  return result;
}

bool LiveCalculation::Busy() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return computing_ || waiting_.has_value();
}

bool LiveCalculation::Waiting() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return waiting_.has_value();
}

std::uint64_t LiveCalculation::LatestRequest() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return generation_;
}

bool LiveCalculation::WaitUntilIdle(std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> hold(lock_);
  return changed_.wait_for(hold, timeout, [this] { return !computing_ && !waiting_; });
}

bool SupersededStops(LiveDetail detail, double share_done, std::chrono::steady_clock::duration since_last_result,
                     std::chrono::milliseconds longest_wait) {
  if (detail == LiveDetail::kWhole) return true;
  return share_done < 0.5 && since_last_result < longest_wait;
}

bool LiveCalculation::Abandoned(const Job& job, double share_done) const {
  const std::lock_guard<std::mutex> hold(lock_);
  if (stop_ || job.generation <= cancelled_through_) return true;
  if (job.generation == generation_) return false;
  return SupersededStops(job.detail, share_done, std::chrono::steady_clock::now() - last_delivery_,
                         longest_wait_);
}

std::optional<LiveResult> LiveCalculation::Compute(Job& job) {
  LiveResult result;
  result.generation = job.generation;
  result.stride = job.detail == LiveDetail::kWhole ? 1 : LiveStride(job.design);
  result.design = CoarseScan(job.design, result.stride);
  // The bed model asks after every row whether to go on, counting as none of the grid done.
  ProgressFunction bed_progress([this, &job](double) { return !Abandoned(job, 0.0); });
  // As "Calculate" does, on the snapshot only.
  if (result.design.include_bed_currents != 0 && !RefreshBedModel(result.design, bed_progress)) {
    return std::nullopt;
  }
  LoadGeneratorPositions(result.design, job.work);
  if (!CalculateGrid(result.design, result.results, job.work,
                     [this, &job](double share) { return !Abandoned(job, share); })) {
    return std::nullopt;
  }
  return result;
}

void LiveCalculation::Work() {
  // The window's thread must never wait behind a preview for a core; without the lower priority
  // the live job still runs, only the drag may stutter on a busy machine.
  LowerThreadPriority(kLivePriorityDrop);
  for (;;) {
    Job job;
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] { return stop_ || waiting_.has_value(); });
      if (stop_) return;
      job = std::move(*waiting_);
      waiting_.reset();
      computing_ = true;
    }
    std::optional<LiveResult> result;
    try {
      result = Compute(job);
    } catch (const std::exception&) {
      // Out of memory for a snapshot: that request shows nothing; the next one tries afresh.
      result.reset();
    }
    bool delivered = false;
    {
      const std::lock_guard<std::mutex> hold(lock_);
      if (result && !stop_ && job.generation > cancelled_through_ &&
          (!finished_ || finished_->generation < job.generation)) {
        finished_ = std::move(result);
        last_delivery_ = std::chrono::steady_clock::now();
        delivered = true;
      }
    }
    // Told before the worker counts as idle, so that idle means every result has been announced.
    if (delivered && ready_) ready_();
    {
      const std::lock_guard<std::mutex> hold(lock_);
      computing_ = false;
    }
    changed_.notify_all();
  }
}

}  // namespace orvendi
