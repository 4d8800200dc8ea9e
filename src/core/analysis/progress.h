#pragma once

#include <functional>
#include <string>

#include "core/platform/host.h"

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

// The progress reports of a host, as a callback.
ProgressCallback ProgressOf(Host& host);

// For work nested in a job that already holds the busy state (mouse, cursor, repaint): passes
// only the progress reports on.
class ProgressOnlyHost : public NullHost {
 public:
  explicit ProgressOnlyHost(ProgressCallback progress) : progress_(std::move(progress)) {}
  bool ReportProgress(double fraction_done) override { return progress_(fraction_done); }

 private:
  ProgressCallback progress_;
};

}  // namespace orvendi
