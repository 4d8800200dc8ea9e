#include "core/design/scan_check.h"

namespace orvendi {

namespace {

// Written as "accept only if", so that a NaN anywhere is turned away.
bool StepCountFits(double from, double to, double step) {
  const double steps = (to - from) / step;
  return steps >= 0 && steps <= kMaxScanSteps;
}

}  // namespace

bool ValidateScanSettings(double x_from, double x_to, double x_step, double y_from, double y_to,
                          double y_step, double z_from, double z_to, double z_step) {
  if (!(y_step >= kMinScanStep) || !(z_step >= kMinScanStep)) return false;
  if (!(x_to >= x_from) || !(y_to >= y_from) || !(z_to >= z_from)) return false;
  if (!StepCountFits(x_from, x_to, x_step)) return false;
  if (!StepCountFits(y_from, y_to, y_step)) return false;
  if (!StepCountFits(z_from, z_to, z_step)) return false;
  return true;
}

}  // namespace orvendi
