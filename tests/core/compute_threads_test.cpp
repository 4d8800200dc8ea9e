#include "core/platform/compute_threads.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/thread_count.h"

namespace orvendi {
namespace {

using testing::ThreadCount;

TEST(ComputeThreads, TakesCountsInRangeAndKeepsTheSettingOtherwise) {
  ThreadCount three(3);
  EXPECT_EQ(ComputeThreadsSetting(), 3);
  EXPECT_EQ(ComputeThreads(), 3);
  for (int bad : {-1, kMaxComputeThreads + 1, -2147483647 - 1, 2147483647}) {
    EXPECT_FALSE(SetComputeThreads(bad)) << bad;
    EXPECT_EQ(ComputeThreadsSetting(), 3) << bad;
  }
  EXPECT_TRUE(SetComputeThreads(kMaxComputeThreads));
  EXPECT_TRUE(SetComputeThreads(0));
  EXPECT_EQ(ComputeThreadsSetting(), 0);
  EXPECT_GE(ComputeThreads(), 1);
}

// What a RunInOrder job saw: the items finished, in order, and how it went.
struct Job {
  std::vector<std::int64_t> finished;
  std::atomic<int> computed{0};
  std::atomic<int> in_flight{0};
  std::atomic<int> most_in_flight{0};
  std::atomic<int> nested_threads{0};
  bool finished_elsewhere = false;
  bool slots_mixed_up = false;
};

bool RunJob(Job& job, std::int64_t count, int slots, std::int64_t stop_after = -1) {
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<std::int64_t> held(static_cast<std::size_t>(slots), -1);
  return RunInOrder(
      count, slots,
      [&](std::int64_t item, int slot) {
        const int now = ++job.in_flight;
        int most = job.most_in_flight.load();
        while (now > most && !job.most_in_flight.compare_exchange_weak(most, now)) {
        }
        job.nested_threads.store(std::max(job.nested_threads.load(), ComputeThreads()));
        held[static_cast<std::size_t>(slot)] = item;
        ++job.computed;
      },
      [&](std::int64_t item, int slot) {
        job.finished_elsewhere |= std::this_thread::get_id() != caller;
        job.slots_mixed_up |= held[static_cast<std::size_t>(slot)] != item || slot != item % slots;
        job.finished.push_back(item);
        --job.in_flight;
        return item != stop_after;
      });
}

int ThreadNice() { return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); }

TEST(LowerThreadPriority, LowersTheCallingThreadAndTheThreadsItStartsOnly) {
  const int mine = ThreadNice();
  // 19 is the lowest priority there is.
  const int expected = std::min(3, 19 - mine);
  int lowered = 0;
  int started_after = 0;
  std::atomic<int> fewest{100}, most{-100};
  std::thread worker([&] {
    const int before = ThreadNice();
    ASSERT_TRUE(LowerThreadPriority(3));
    lowered = ThreadNice() - before;
    std::thread([&] { started_after = ThreadNice() - before; }).join();
    // Every thread that computes work started on it.
    ThreadCount two(2);
    RunInOrder(
        64, 64,
        [&](std::int64_t, int) {
          const int steps = ThreadNice() - before;
          fewest = std::min(fewest.load(), steps);
          most = std::max(most.load(), steps);
        },
        [](std::int64_t, int) { return true; });
  });
  worker.join();
  EXPECT_EQ(lowered, expected);
  EXPECT_EQ(started_after, expected);
  EXPECT_EQ(fewest.load(), expected);
  EXPECT_EQ(most.load(), expected);
  EXPECT_EQ(ThreadNice(), mine);
}

TEST(RunInOrder, FinishesEveryItemInOrderOnTheCallingThread) {
  for (int threads : {1, 2, 7}) {
    ThreadCount count(threads);
    for (int slots : {1, 3, 500}) {
      SCOPED_TRACE("threads " + std::to_string(threads) + ", slots " + std::to_string(slots));
      Job job;
      EXPECT_TRUE(RunJob(job, 500, slots));
      std::vector<std::int64_t> expected(500);
      for (std::int64_t i = 0; i < 500; ++i) expected[static_cast<std::size_t>(i)] = i;
      EXPECT_EQ(job.finished, expected);
      EXPECT_EQ(job.computed.load(), 500);
      EXPECT_LE(job.most_in_flight.load(), slots);
      EXPECT_FALSE(job.finished_elsewhere);
      EXPECT_FALSE(job.slots_mixed_up);
      // Work started from within a job that runs on several threads stays on its thread; one
      // slot leaves no room for a second thread, so the job runs on the calling thread alone.
      EXPECT_EQ(job.nested_threads.load(), slots > 1 ? 1 : threads);
    }
  }
}

TEST(RunInOrder, AFinishThatSaysStopEndsTheJobThere) {
  for (int threads : {1, 2, 7}) {
    ThreadCount count(threads);
    Job job;
    EXPECT_FALSE(RunJob(job, 1000, 16, 41));
    ASSERT_EQ(job.finished.size(), 42u);
    EXPECT_EQ(job.finished.back(), 41);
    // Nothing is started beyond the window of the item that said stop.
    EXPECT_LE(job.computed.load(), 42 + 16);
  }
  Job none;
  EXPECT_TRUE(RunJob(none, 0, 4));
  EXPECT_TRUE(none.finished.empty());
}

TEST(RunInOrder, AnExceptionOnAnyThreadReachesTheCaller) {
  for (int threads : {1, 2, 7}) {
    ThreadCount count(threads);
    std::atomic<int> finished{0};
    EXPECT_THROW(RunInOrder(
                     100, 8,
                     [](std::int64_t item, int) {
                       if (item == 57) throw std::runtime_error("compute");
                     },
                     [&finished](std::int64_t, int) {
                       ++finished;
                       return true;
                     }),
                 std::runtime_error);
    EXPECT_LE(finished.load(), 57);
    EXPECT_THROW(RunInOrder(
                     100, 8, [](std::int64_t, int) {},
                     [](std::int64_t item, int) -> bool {
                       if (item == 3) throw std::logic_error("finish");
                       return true;
                     }),
                 std::logic_error);
  }
}

}  // namespace
}  // namespace orvendi
