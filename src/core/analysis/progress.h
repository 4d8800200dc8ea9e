#pragma once

#include <functional>
#include <string>

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

}  // namespace orvendi
