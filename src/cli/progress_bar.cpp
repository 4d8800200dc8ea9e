#include "cli/progress_bar.h"

#include <algorithm>
#include <cmath>

namespace orvendi {

namespace {

constexpr int kBarWidth = 30;

std::string TwoDigits(long long value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string Duration(double seconds) {
  if (!(seconds >= 0.0) || seconds > 359999.0) return "--:--";
  const long long whole = std::llround(std::ceil(seconds));
  const long long hours = whole / 3600;
  const long long minutes = whole / 60 % 60;
  const std::string rest = TwoDigits(whole % 60);
  if (hours > 0) return std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + rest;
  return std::to_string(minutes) + ":" + rest;
}

}  // namespace

std::string ProgressLine(double fraction_done, double seconds_left) {
  const double fraction = std::isfinite(fraction_done) ? std::clamp(fraction_done, 0.0, 1.0) : 0.0;
  const int filled = static_cast<int>(fraction * kBarWidth);
  const int percent = static_cast<int>(fraction * 100.0);
  std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
  const std::string percent_text = std::to_string(percent) + "%";
  line += std::string(4 - percent_text.size(), ' ') + percent_text + "  " + Duration(seconds_left) + " left";
  return line;
}

ProgressBar::ProgressBar(Write write, Clock clock) : write_(std::move(write)), clock_(std::move(clock)) {}

void ProgressBar::Show(double fraction_done) {
  const double now = clock_();
  if (!started_) {
    started_ = true;
    start_ = now;
    start_fraction_ = fraction_done;
  }
  if (drawn_ && now - last_drawn_ < kRedrawSeconds) return;
  // The rate since the first report, which may have come in part-way through the work.
  const double done_since_start = fraction_done - start_fraction_;
  const double elapsed = now - start_;
  const double seconds_left =
      done_since_start > 0.0 && elapsed > 0.0 ? elapsed * (1.0 - fraction_done) / done_since_start : -1.0;
  const std::string line = ProgressLine(fraction_done, seconds_left);
  // Blanks cover what is left of a longer line before.
  const std::size_t pad = line_length_ > line.size() ? line_length_ - line.size() : 0;
  write_("\r" + line + std::string(pad, ' '));
  line_length_ = line.size();
  drawn_ = true;
  last_drawn_ = now;
}

void ProgressBar::Clear() {
  if (!drawn_) return;
  write_("\r" + std::string(line_length_, ' ') + "\r");
  drawn_ = false;
  line_length_ = 0;
}

bool CliProgress::Report(double share_done) {
  if (StopRequested()) return false;
  if (bar_ != nullptr) bar_->Show(share_done);
  return true;
}

void CliProgress::Finish() {
  if (bar_ != nullptr) bar_->Clear();
}

}  // namespace orvendi
