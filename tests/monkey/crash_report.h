#pragma once

#include <string>

namespace orvendi::monkey {

// What the monkey prints when the process dies under it (a signal, a sanitizer finding) or an
// action hangs: the failure line with the action and the seed, so that the run can be replayed.

// Installs the signal handlers, the sanitizers' death callback and a watchdog thread that ends
// the process when one action runs longer than `hang_seconds`.
void InstallCrashReport(int hang_seconds);

// The start of the failure line for the action now running: "monkey: failed at action K of N,
// seed S: "; also restarts the watchdog's clock.
void SetFailurePrefix(const std::string& prefix);

}  // namespace orvendi::monkey
