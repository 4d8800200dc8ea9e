#pragma once

#include <gtest/gtest.h>

#include "core/platform/compute_threads.h"

namespace orvendi::testing {

// Sets the compute thread count for a test and puts the start-up setting back afterwards.
class ThreadCount {
 public:
  explicit ThreadCount(int threads) { EXPECT_TRUE(SetComputeThreads(threads)); }
  ~ThreadCount() { SetComputeThreads(0); }
  ThreadCount(const ThreadCount&) = delete;
  ThreadCount& operator=(const ThreadCount&) = delete;
};

}  // namespace orvendi::testing
