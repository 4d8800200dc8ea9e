#pragma once

namespace orvendi {

// Most steps along one axis of the scan grid (101 points).
inline constexpr int kMaxScanSteps = 100;

// Smallest step the scan settings accept, in metres.
inline constexpr double kMinScanStep = 1e-20;

// Whether the ranges make a grid the run can walk: y and z steps of at least kMinScanStep, every
// range ascending or a single value, and at most kMaxScanSteps steps on each axis. The x step is
// the dialog's own test. A value that is not a number fails every test.
bool ValidateScanSettings(double x_from, double x_to, double x_step, double y_from, double y_to,
                          double y_step, double z_from, double z_to, double z_step);

}  // namespace orvendi
