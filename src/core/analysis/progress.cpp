#include "core/analysis/progress.h"

namespace orvendi {

ProgressCallback ProgressPart(const ProgressCallback& whole, double from, double to) {
  return [whole, from, to](double fraction_done) { return whole(from + (to - from) * fraction_done); };
}

ProgressCallback ProgressOf(Progress& progress) {
  return [&progress](double fraction_done) { return progress.Report(fraction_done); };
}

}  // namespace orvendi
