#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <string_view>

#include "core/platform/progress.h"

namespace orvendi {

// "[##########..........]  50%  1:05 left": the share done and the time left, "--:--" while
// the time left is not yet known (a negative seconds_left).
std::string ProgressLine(double fraction_done, double seconds_left);

// A progress bar on one terminal line, redrawn in place with '\r'.
class ProgressBar {
 public:
  using Write = std::function<void(std::string_view)>;
  // Seconds since any fixed moment.
  using Clock = std::function<double()>;

  static constexpr double kRedrawSeconds = 0.1;

  ProgressBar(Write write, Clock clock);
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Redraws when at least kRedrawSeconds have passed since the last drawing; the first report
  // starts the clock of the estimate.
  void Show(double fraction_done);
  // Blanks the line, so that what is printed next starts on a clean one.
  void Clear();

 private:
  Write write_;
  Clock clock_;
  bool started_ = false;
  double start_ = 0.0;
  double start_fraction_ = 0.0;
  bool drawn_ = false;
  double last_drawn_ = 0.0;
  std::size_t line_length_ = 0;
};

// The progress of orvendi-cli's computations: a progress bar when one is given, and a stop
// request (set from a signal handler) that cancels the computation at its next report.
class CliProgress : public Progress {
 public:
  CliProgress(const volatile std::sig_atomic_t* stop_requested, ProgressBar* bar)
      : stop_requested_(stop_requested), bar_(bar) {}

  bool Report(double share_done) override;
  bool StillWanted() override { return !StopRequested(); }
  bool StopRequested() const { return stop_requested_ != nullptr && *stop_requested_ != 0; }
  // The computation is over: the bar goes before results are printed.
  void Finish();

 private:
  const volatile std::sig_atomic_t* stop_requested_;
  ProgressBar* bar_;
};

}  // namespace orvendi
