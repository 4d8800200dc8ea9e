#pragma once

#include <functional>
#include <utility>

namespace orvendi {

// What a long computation asks of whoever started it: it hears the share done and says whether
// to go on. The window shows a progress dialog, the command line a progress bar, the live
// calculation checks for a newer request.
class Progress {
 public:
  virtual ~Progress() = default;
  // Called now and then, on the thread that started the computation, with the share done
  // (0..1). Returning false asks the computation to stop and keep its previous results.
  virtual bool Report(double share_done) = 0;
  // Asked now and then between reports, on the same thread, while a long part of the work runs on
  // other threads: whether to go on. Whoever shows progress keeps its events coming here; by
  // default the work goes on.
  virtual bool StillWanted() { return true; }
};

// For computations that nobody watches or stops.
class NoProgress final : public Progress {
 public:
  bool Report(double) override { return true; }
};

// Hands every report to a function.
class ProgressFunction final : public Progress {
 public:
  explicit ProgressFunction(std::function<bool(double share_done)> report) : report_(std::move(report)) {}
  bool Report(double share_done) override { return report_(share_done); }

 private:
  std::function<bool(double)> report_;
};

}  // namespace orvendi
