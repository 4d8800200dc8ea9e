#include "core/analysis/live_calculation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/position/calculation.h"
#include "support/default_design.h"
#include "support/fake_progress.h"

namespace orvendi {
namespace {

using std::chrono::milliseconds;
using testing::DefaultDesign;

constexpr milliseconds kPatience{60000};
constexpr milliseconds kNeverLetFinish{3600 * 1000};

bool SameBits(const ResultBuffer& a, const ResultBuffer& b) {
  return std::memcmp(a.Slot(0, 0), b.Slot(0, 0), sizeof(double) * ResultBuffer::kSize) == 0;
}

// `steps` x `steps` scan steps in the XY plane.
DesignRecord GridDesign(int steps, int algorithm = 2) {
  DesignRecord design = DefaultDesign();
  design.algorithm_type = algorithm;
  design.noise_peak_v = 2e-5;
  design.sensor_theta_rad = 0.3;
  design.sensor_phi_rad = 1.0;
  design.scan_x_to = design.scan_x_from + steps * 0.005;
  design.scan_y_to = design.scan_y_from + steps * 0.005;
  design.scan_x_step = design.scan_y_step = 0.005;
  return design;
}

// The largest grid, the bed model to run first: long enough that a request made right after it
// finds it under way.
DesignRecord SlowDesign() {
  DesignRecord design = GridDesign(100);
  design.include_bed_currents = 1;
  design.bed_stale = 1;
  design.bed_cells_x = design.bed_cells_y = 400;
  return design;
}

// What "Calculate" makes of the design with the given work state.
ResultBuffer Calculated(DesignRecord design, CalculationWork work) {
  testing::FakeProgress progress;
  ResultBuffer results;
  CalculateCommand(design, results, work, progress);
  return results;
}

// Stopping must take less than computing the slow design whole on this machine now. The margin
// is wide on purpose: the machine's load changes between this measurement and the stop.
std::chrono::steady_clock::duration PromptStop() {
  static const std::chrono::steady_clock::duration whole = [] {
    const auto start = std::chrono::steady_clock::now();
    Calculated(SlowDesign(), CalculationWork{});
    return std::chrono::steady_clock::now() - start;
  }();
  return whole;
}

// Counts the worker's calls and takes each result at once, in the order they come.
class Taker {
 public:
  LiveCalculation::Ready Ready() {
    return [this] {
      const std::lock_guard<std::mutex> hold(lock_);
      ++calls_;
      changed_.notify_all();
    };
  }
  bool WaitForCalls(int calls) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, kPatience, [&] { return calls_ >= calls; });
  }
  int Calls() {
    const std::lock_guard<std::mutex> hold(lock_);
    return calls_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  int calls_ = 0;
};

// --- Whole or coarse ------------------------------------------------------------------------------

TEST(LiveStride, WholeUpTo41By41PointsThenTheSmallestStrideThatFits) {
  EXPECT_EQ(LiveStride(DefaultDesign()), 1);
  EXPECT_EQ(LiveStride(GridDesign(40)), 1);
  EXPECT_EQ(LiveStride(GridDesign(41)), 2);   // 42 x 42 points; every 2nd: 21 x 21
  EXPECT_EQ(LiveStride(GridDesign(81)), 2);   // every 2nd: 41 x 41
  EXPECT_EQ(LiveStride(GridDesign(82)), 3);   // every 2nd would be 42 x 42
  EXPECT_EQ(LiveStride(GridDesign(100)), 3);  // 34 x 34
  // The count of points decides, not the longer axis.
  DesignRecord strip = GridDesign(100);
  strip.scan_y_to = strip.scan_y_from + 10 * strip.scan_y_step;
  EXPECT_EQ(LiveStride(strip), 1);
  strip.scan_y_to = strip.scan_y_from + 20 * strip.scan_y_step;
  EXPECT_EQ(LiveStride(strip), 2);
  // No grid at all.
  DesignRecord none = DefaultDesign();
  none.scan_plane = 7;
  EXPECT_EQ(LiveStride(none), 1);
}

std::vector<ScanPoint> GridPoints(const DesignRecord& design) {
  ScanState scan;
  ScanStart(scan, design);
  std::vector<ScanPoint> points;
  ScanPoint p;
  while (ScanNextAlongFirst(scan, p)) points.push_back(p);
  return points;
}

void ExpectSamePlace(const ScanPoint& a, const ScanPoint& b) {
  EXPECT_NEAR(a.x, b.x, 1e-12);
  EXPECT_NEAR(a.y, b.y, 1e-12);
  EXPECT_NEAR(a.z, b.z, 1e-12);
}

// Both corners of the grid are kept whatever the stride; where it divides the steps, the points
// are the grid's own.
TEST(CoarseScan, KeepsBothCornersAndEveryKthPointWhereTheStrideDividesTheSteps) {
  const struct {
    int steps, stride, coarse_steps;
    bool every_kth;
  } cases[] = {{99, 3, 33, true}, {100, 3, 33, false}, {82, 3, 27, false}, {41, 2, 20, false}};
  for (const auto& c : cases) {
    for (int plane = 0; plane < 3; ++plane) {
      SCOPED_TRACE(::testing::Message() << c.steps << " steps, stride " << c.stride << ", plane " << plane);
      DesignRecord design = GridDesign(c.steps);
      design.scan_z_from = 0.1;
      design.scan_z_step = 0.005;
      design.scan_z_to = 0.1 + c.steps * 0.005;
      design.scan_plane = plane;
      const DesignRecord coarse = CoarseScan(design, c.stride);
      const std::vector<ScanPoint> full = GridPoints(design);
      const std::vector<ScanPoint> reduced = GridPoints(coarse);
      const auto points = static_cast<std::size_t>(c.coarse_steps + 1);
      ASSERT_EQ(reduced.size(), points * points);
      ExpectSamePlace(reduced.front(), full.front());
      ExpectSamePlace(reduced.back(), full.back());
      if (!c.every_kth) continue;
      const int per_row = c.steps + 1;
      for (const ScanPoint& q : reduced) {
        ExpectSamePlace(q, full[static_cast<std::size_t>(c.stride * (q.second_index * per_row + q.first_index))]);
      }
    }
  }
  const DesignRecord design = GridDesign(100);
  const DesignRecord same = CoarseScan(design, 1);
  EXPECT_EQ(same.scan_x_step, design.scan_x_step);
  EXPECT_EQ(same.scan_x_to, design.scan_x_to);
}

// --- Results --------------------------------------------------------------------------------------

TEST(LiveCalculation, AWholeResultIsWhatCalculateMakesOfTheDesignAndLeavesItsWorkAlone) {
  for (const int algorithm : {1, 2}) {
    SCOPED_TRACE(algorithm);
    DesignRecord design = GridDesign(20, algorithm);
    design.include_bed_currents = 1;
    design.bed_stale = 1;
    design.bed_cells_x = design.bed_cells_y = 30;
    CalculationWork work;
    work.noise.Skip(12345);  // a window that has calculated before
    const CalculationWork work_before = work;

    Taker taker;
    LiveCalculation live(taker.Ready());
    const std::uint64_t generation = live.Request(design, work, LiveDetail::kWhole);
    ASSERT_TRUE(taker.WaitForCalls(1));
    std::optional<LiveResult> result = live.TakeResult();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->generation, generation);
    EXPECT_EQ(result->stride, 1);
    EXPECT_TRUE(SameBits(result->results, Calculated(design, work)));
    // The bed model ran on the snapshot only.
    EXPECT_EQ(result->design.bed_stale, 0);
    EXPECT_EQ(work.noise, work_before.noise);
    EXPECT_FALSE(live.TakeResult().has_value());
  }
}

TEST(LiveCalculation, APreviewOfALargeGridIsCoarseAndAWholeRequestIsNot) {
  const DesignRecord design = GridDesign(100);
  const CalculationWork work;
  Taker taker;
  LiveCalculation live(taker.Ready());

  live.Request(design, work, LiveDetail::kPreview);
  ASSERT_TRUE(taker.WaitForCalls(1));
  std::optional<LiveResult> preview = live.TakeResult();
  ASSERT_TRUE(preview.has_value());
  EXPECT_EQ(preview->stride, 3);
  EXPECT_TRUE(SameBits(preview->results, Calculated(CoarseScan(design, 3), work)));
  EXPECT_TRUE(std::isnan(preview->results.Slot(34, 0)[0]));

  live.Request(design, work, LiveDetail::kWhole);
  ASSERT_TRUE(taker.WaitForCalls(2));
  std::optional<LiveResult> whole = live.TakeResult();
  ASSERT_TRUE(whole.has_value());
  EXPECT_EQ(whole->stride, 1);
  EXPECT_TRUE(SameBits(whole->results, Calculated(design, work)));

  // A small grid's preview is whole.
  live.Request(GridDesign(40), work, LiveDetail::kPreview);
  ASSERT_TRUE(taker.WaitForCalls(3));
  EXPECT_EQ(live.TakeResult()->stride, 1);
}

// --- Latest wins ----------------------------------------------------------------------------------

TEST(LiveCalculation, TheLastOfManyRequestsIsTheResultAndNoneComesAfterANewerOne) {
  const CalculationWork work;
  std::vector<DesignRecord> designs;
  for (int i = 0; i < 30; ++i) {
    DesignRecord design = GridDesign(40);
    SetGeneratorPosition(design.generators[1], -0.25 + 0.005 * i, 0.2, 0.0);
    designs.push_back(design);
  }
  std::mutex lock;
  std::vector<LiveResult> taken;
  LiveCalculation* calculation = nullptr;
  LiveCalculation live([&] {
    const std::lock_guard<std::mutex> hold(lock);
    if (std::optional<LiveResult> result = calculation->TakeResult()) taken.push_back(std::move(*result));
  });
  calculation = &live;
  std::uint64_t last = 0;
  for (const DesignRecord& design : designs) last = live.Request(design, work, LiveDetail::kPreview);
  ASSERT_TRUE(live.WaitUntilIdle(kPatience));

  const std::lock_guard<std::mutex> hold(lock);
  ASSERT_FALSE(taken.empty());
  for (std::size_t i = 1; i < taken.size(); ++i) EXPECT_GT(taken[i].generation, taken[i - 1].generation);
  EXPECT_EQ(taken.back().generation, last);
  EXPECT_TRUE(SameBits(taken.back().results, Calculated(designs.back(), work)));
  // Requests that came while another waited were never computed.
  EXPECT_LT(taken.size(), designs.size());
}

TEST(LiveCalculation, ANewerRequestStopsTheOneUnderWay) {
  const auto prompt = PromptStop();
  Taker taker;
  LiveCalculation live(taker.Ready(), kNeverLetFinish);
  const CalculationWork work;
  for (const LiveDetail detail : {LiveDetail::kWhole, LiveDetail::kPreview}) {
    live.Request(SlowDesign(), work, detail);
    while (live.Waiting()) {
    }
    const DesignRecord quick = DefaultDesign();
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t newer = live.Request(quick, work, LiveDetail::kPreview);
    ASSERT_TRUE(live.WaitUntilIdle(kPatience));
    const auto took = std::chrono::steady_clock::now() - start;
    std::optional<LiveResult> result = live.TakeResult();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->generation, newer);
    EXPECT_TRUE(SameBits(result->results, Calculated(quick, work)));
    // A single bed row or grid row, not the whole bed model and grid.
    EXPECT_LT(took, prompt);
  }
  EXPECT_EQ(taker.Calls(), 2);
}

TEST(SupersededStops, AWholeComputationAlwaysAPreviewUntilHalfDoneOrTheMapWaitedLongEnough) {
  using std::chrono::steady_clock;
  constexpr milliseconds kWait{40};
  const steady_clock::duration recent = milliseconds(10);
  const steady_clock::duration long_ago = milliseconds(40);
  for (const double share : {0.0, 0.49, 0.5, 1.0}) {
    EXPECT_TRUE(SupersededStops(LiveDetail::kWhole, share, recent, kWait)) << share;
    EXPECT_TRUE(SupersededStops(LiveDetail::kWhole, share, long_ago, kWait)) << share;
    EXPECT_FALSE(SupersededStops(LiveDetail::kPreview, share, long_ago, kWait)) << share;
  }
  EXPECT_TRUE(SupersededStops(LiveDetail::kPreview, 0.0, recent, kWait));
  EXPECT_TRUE(SupersededStops(LiveDetail::kPreview, 0.49, recent, kWait));
  EXPECT_FALSE(SupersededStops(LiveDetail::kPreview, 0.5, recent, kWait));
  // Before the first result the map has waited for ever.
  EXPECT_FALSE(SupersededStops(LiveDetail::kPreview, 0.0, steady_clock::now() - steady_clock::time_point{}, kWait));
}

TEST(LiveCalculation, CancelDropsWhatWaitsWhatRunsAndWhatIsDone) {
  const auto prompt = PromptStop();
  Taker taker;
  LiveCalculation live(taker.Ready(), milliseconds(0));
  const CalculationWork work;

  live.Request(DefaultDesign(), work, LiveDetail::kWhole);
  ASSERT_TRUE(taker.WaitForCalls(1));
  live.Cancel();
  EXPECT_FALSE(live.TakeResult().has_value());

  live.Request(SlowDesign(), work, LiveDetail::kPreview);
  while (live.Waiting()) {
  }
  const auto start = std::chrono::steady_clock::now();
  live.Cancel();
  ASSERT_TRUE(live.WaitUntilIdle(kPatience));
  EXPECT_LT(std::chrono::steady_clock::now() - start, prompt);
  EXPECT_FALSE(live.Busy());
  EXPECT_FALSE(live.TakeResult().has_value());
  EXPECT_EQ(taker.Calls(), 1);

  // Requests after a cancel are served again.
  const std::uint64_t after = live.Request(DefaultDesign(), work, LiveDetail::kWhole);
  ASSERT_TRUE(taker.WaitForCalls(2));
  EXPECT_EQ(live.TakeResult()->generation, after);
}

TEST(LiveCalculation, EndsPromptlyWithAComputationUnderWay) {
  const auto prompt = PromptStop();
  const auto start = std::chrono::steady_clock::now();
  {
    LiveCalculation live({});
    live.Request(SlowDesign(), CalculationWork{}, LiveDetail::kWhole);
    while (live.Waiting()) {
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, prompt);
}

}  // namespace
}  // namespace orvendi
