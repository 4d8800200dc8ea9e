#include "core/analysis/volume.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "core/position/accuracy.h"
#include "core/position/calculation.h"
#include "core/position/scan_grid.h"

namespace orvendi {

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kBedShare = 0.05;

// Nearest rank, as the Monte-Carlo figures take it; NaN for no values.
double Percentile95(std::vector<double> values) {
  if (values.empty()) return kNan;
  const std::size_t m = values.size();
  const std::size_t rank = (95 * m + 99) / 100;
  const auto nth = values.begin() + static_cast<std::ptrdiff_t>(rank - 1);
  std::nth_element(values.begin(), nth, values.end());
  return *nth;
}

// Index of the largest value, NaN never winning; -1 when none is a number.
int Largest(const std::vector<double>& values) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(values.size()); ++i) {
    if (std::isnan(values[i])) continue;
    if (best < 0 || values[i] > values[best]) best = i;
  }
  return best;
}

}  // namespace

int VolumeAxis(int scan_plane) { return scan_plane == 0 ? 2 : scan_plane == 1 ? 0 : 1; }

const char* VolumeAxisName(int scan_plane) {
  static constexpr const char* kNames[] = {"x", "y", "z"};
  return kNames[VolumeAxis(scan_plane)];
}

std::vector<double> VolumePlanePositions(const DesignRecord& design) {
  if (design.scan_plane < 0 || design.scan_plane > 2) return {};
  ScanState scan;
  ScanStart(scan, design);
  const auto [nx, ny] = ScanStepCounts(scan, 0);
  const int nz = ScanStepCounts(scan, 1).second;
  const int axis = VolumeAxis(design.scan_plane);
  const int steps = axis == 0 ? nx : axis == 1 ? ny : nz;
  const double from = axis == 0 ? scan.x_from : axis == 1 ? scan.y_from : scan.z_from;
  const double step = axis == 0 ? scan.x_step : axis == 1 ? scan.y_step : scan.z_step;
  std::vector<double> positions;
  double position = from;
  for (int k = 0; k <= steps; ++k) {
    positions.push_back(position);
    position += step;
  }
  return positions;
}

DesignRecord PlaneDesign(const DesignRecord& design, double position) {
  DesignRecord plane = design;
  switch (VolumeAxis(design.scan_plane)) {
    case 0:
      plane.scan_plane_x = position;
      break;
    case 1:
      plane.scan_plane_y = position;
      break;
    default:
      plane.scan_plane_z = position;
      break;
  }
  return plane;
}

bool ForEachVolumePlane(const DesignRecord& design, Progress& progress, const PlaneJob& job) {
  DesignRecord base = design;
  double start = 0.0;
  if (base.include_bed_currents != 0) {
    PartProgress bed(progress, 0.0, kBedShare);
    if (!RefreshBedModel(base, bed)) return false;
    start = kBedShare;
  }
  const std::vector<double> positions = VolumePlanePositions(base);
  const double share = positions.empty() ? 0.0 : (1.0 - start) / static_cast<double>(positions.size());
  for (int p = 0; p < static_cast<int>(positions.size()); ++p) {
    PartProgress part(progress, start + share * p, start + share * (p + 1));
    if (!job(p, PlaneDesign(base, positions[p]), part)) return false;
  }
  return progress.Report(1.0);
}

VolumeSummary SummariseVolume(const std::vector<VolumePlane>& planes, int axis) {
  VolumeSummary summary;
  summary.axis = axis;
  summary.planes = static_cast<int>(planes.size());
  ErrorStatistics statistics;
  std::vector<double> errors;
  std::vector<double> plane_max;
  for (const VolumePlane& plane : planes) {
    plane_max.push_back(plane.points.summary.max_error_m);
    for (const PointResult& row : plane.points.rows) {
      const double estimate[3] = {row.est_x, row.est_y, row.est_z};
      const double d2 = SquaredPositionError(row.true_x, row.true_y, row.true_z, estimate);
      statistics.Add(d2);
      errors.push_back(std::sqrt(d2));
    }
    summary.failed_points += plane.points.summary.failed_points;
  }
  summary.points = static_cast<int>(errors.size());
  summary.worst_plane = Largest(plane_max);
  summary.max_error_m = errors.empty() ? kNan : statistics.max_distance;
  summary.rms_error_m = errors.empty() ? kNan : statistics.Rms();
  summary.p95_error_m = Percentile95(std::move(errors));
  return summary;
}

bool RunVolumeCalculation(const DesignRecord& design, Progress& progress, VolumeResult& result) {
  std::vector<double> positions = VolumePlanePositions(design);
  std::vector<VolumePlane> planes(positions.size());
  const auto job = [&](int p, const DesignRecord& plane_design, Progress& part) {
    DesignRecord copy = plane_design;
    copy.results_valid = 0;
    ResultBuffer results;
    CalculationWork work;
    CalculateCommand(copy, results, work, part);
    if (copy.results_valid == 0) return false;
    planes[p] = {positions[p], CollectPointResults(copy, results)};
    return true;
  };
  if (!ForEachVolumePlane(design, progress, job)) return false;
  result.summary = SummariseVolume(planes, VolumeAxis(design.scan_plane));
  result.planes = std::move(planes);
  return true;
}

bool RunVolumeBound(const DesignRecord& design, Progress& progress, BoundVolume& result) {
  BoundVolume volume;
  volume.axis = VolumeAxis(design.scan_plane);
  volume.positions_m = VolumePlanePositions(design);
  volume.planes.resize(volume.positions_m.size());
  const auto job = [&](int p, const DesignRecord& plane_design, Progress& part) {
    return BoundGrid(plane_design, volume.planes[p], ProgressOf(part));
  };
  if (!ForEachVolumePlane(design, progress, job)) return false;
  std::vector<BoundPoint> all;
  std::vector<double> plane_max;
  for (const std::vector<BoundPoint>& plane : volume.planes) {
    volume.plane_summaries.push_back(SummariseBounds(plane));
    plane_max.push_back(volume.plane_summaries.back().max_bound_m);
    all.insert(all.end(), plane.begin(), plane.end());
  }
  volume.summary = SummariseBounds(all);
  volume.worst_plane = Largest(plane_max);
  result = std::move(volume);
  return true;
}

AnalysisStatus RunVolumeMonteCarlo(const DesignRecord& design, const MonteCarloOptions& options,
                                   Progress& progress, MonteCarloVolume& result, std::string& error) {
  if (!CheckMonteCarloOptions(options, error)) return AnalysisStatus::kFailed;
  MonteCarloVolume volume;
  volume.axis = VolumeAxis(design.scan_plane);
  volume.positions_m = VolumePlanePositions(design);
  volume.planes.resize(volume.positions_m.size());
  AnalysisStatus status = AnalysisStatus::kDone;
  const auto job = [&](int p, const DesignRecord& plane_design, Progress& part) {
    status = RunMonteCarlo(plane_design, options, part, volume.planes[p], error);
    return status == AnalysisStatus::kDone;
  };
  if (!ForEachVolumePlane(design, progress, job))
    return status == AnalysisStatus::kDone ? AnalysisStatus::kCancelled : status;

  double sum_sq = 0.0;
  std::vector<double> plane_rms;
  volume.max_trueness_m = kNan;
  volume.max_precision_m = kNan;
  for (const MonteCarloResult& plane : volume.planes) {
    const MonteCarloSummary& s = plane.summary;
    if (!std::isnan(s.max_trueness_m))
      volume.max_trueness_m = std::isnan(volume.max_trueness_m) ? s.max_trueness_m
                                                                : std::max(volume.max_trueness_m, s.max_trueness_m);
    if (!std::isnan(s.max_precision_m))
      volume.max_precision_m = std::isnan(volume.max_precision_m)
                                   ? s.max_precision_m
                                   : std::max(volume.max_precision_m, s.max_precision_m);
    // Each point's RMS error squared is its mean squared error over the same number of runs.
    for (const MonteCarloPoint& point : plane.points) sum_sq += point.rms_error_m * point.rms_error_m;
    volume.points += s.points;
    volume.failed_estimates += s.failed_estimates;
    plane_rms.push_back(s.rms_error_m);
  }
  volume.rms_error_m = volume.points > 0 ? std::sqrt(sum_sq / volume.points) : kNan;
  volume.worst_plane = Largest(plane_rms);
  result = std::move(volume);
  return AnalysisStatus::kDone;
}

std::string PlaneIndexedCsv(const std::vector<std::string>& plane_csvs) {
  std::string out;
  for (std::size_t p = 0; p < plane_csvs.size(); ++p) {
    const std::string& csv = plane_csvs[p];
    const std::size_t header_end = csv.find('\n');
    if (header_end == std::string::npos) continue;
    if (out.empty()) out = "plane_index," + csv.substr(0, header_end + 1);
    const std::string prefix = std::to_string(p) + ",";
    std::size_t line = header_end + 1;
    while (line < csv.size()) {
      const std::size_t end = csv.find('\n', line);
      const std::size_t stop = end == std::string::npos ? csv.size() : end + 1;
      out += prefix;
      out.append(csv, line, stop - line);
      line = stop;
    }
  }
  return out;
}

}  // namespace orvendi
