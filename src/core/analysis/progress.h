#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "core/platform/progress.h"

namespace orvendi {

// Hears the share of a job done (0..1); returning false asks the job to stop.
using ProgressCallback = std::function<bool(double fraction_done)>;

enum class AnalysisStatus {
  kDone,
  kCancelled,  // stopped through the progress report; nothing of the caller's was changed
  kFailed,     // bad input or output; the error text says why
};

inline constexpr const char* kCancelledMessage = "cancelled";

// The progress of one part of a job that covers the shares [from, to] of the whole.
ProgressCallback ProgressPart(const ProgressCallback& whole, double from, double to);

// The reports of a Progress, as a callback.
ProgressCallback ProgressOf(Progress& progress);

// Hands a cancel to work on other threads whose reports are kept for later: the thread that
// made it passes its own reports through Report, and whoever asks GoOn hears the answer; asked on
// that thread, GoOn asks `asked` whether it is still wanted (at most every kPollInterval), so that
// a window's events keep coming and a cancel is heard while it waits or computes a part itself.
class CancelRelay {
 public:
  static constexpr std::chrono::milliseconds kPollInterval{20};

  explicit CancelRelay(ProgressCallback whole, Progress* asked = nullptr);
  bool Report(double share);
  bool GoOn();
  bool Cancelled() const { return cancelled_.load(); }

 private:
  ProgressCallback whole_;
  Progress* asked_;
  std::thread::id owner_;
  std::chrono::steady_clock::time_point last_poll_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace orvendi
