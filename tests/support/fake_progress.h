#pragma once

#include <optional>
#include <vector>

#include "core/platform/progress.h"

namespace orvendi::testing {

// Records every progress report and asks to stop at a chosen one.
class FakeProgress : public Progress {
 public:
  bool Report(double share_done) override {
    ++progress_calls;
    last_progress = share_done;
    shares.push_back(share_done);
    return !(cancel_after.has_value() && progress_calls >= *cancel_after);
  }

  int progress_calls = 0;
  double last_progress = 0.0;
  std::vector<double> shares;       // every report, in order
  std::optional<int> cancel_after;  // stop at this many reports
};

}  // namespace orvendi::testing
