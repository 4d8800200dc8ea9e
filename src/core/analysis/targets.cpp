#include "core/analysis/targets.h"

#include "core/design/number_text.h"

namespace orvendi {

namespace {

bool Within(double error, double target) { return target == 0.0 || error <= target; }

std::string Millimetres(double metres) { return FormatNumber(metres * 1000.0, ShowFormat::kGeneral) + " mm"; }

}  // namespace

bool HasTargets(const DesignRecord& design) {
  return design.target_max_error_m != 0.0 || design.target_rms_error_m != 0.0;
}

bool MeetsTargets(const DesignRecord& design, double max_error_m, double rms_error_m) {
  return Within(max_error_m, design.target_max_error_m) && Within(rms_error_m, design.target_rms_error_m);
}

std::string TargetsVerdict(const DesignRecord& design, double max_error_m, double rms_error_m) {
  if (!HasTargets(design)) return {};
  std::string targets;
  if (design.target_max_error_m != 0.0) targets = "max " + Millimetres(design.target_max_error_m);
  if (design.target_rms_error_m != 0.0) {
    targets += (targets.empty() ? "RMS " : ", RMS ") + Millimetres(design.target_rms_error_m);
  }
  return std::string(MeetsTargets(design, max_error_m, rms_error_m) ? "Meets" : "Misses") + " the targets (" +
         targets + ")";
}

}  // namespace orvendi
