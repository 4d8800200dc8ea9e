#include "core/analysis/progress.h"

namespace orvendi {

ProgressCallback ProgressPart(const ProgressCallback& whole, double from, double to) {
  return [whole, from, to](double fraction_done) { return whole(from + (to - from) * fraction_done); };
}

ProgressCallback ProgressOf(Host& host) {
  return [&host](double fraction_done) { return host.ReportProgress(fraction_done); };
}

}  // namespace orvendi
