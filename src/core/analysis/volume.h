#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/analysis/monte_carlo.h"
#include "core/analysis/point_results.h"
#include "core/analysis/progress.h"
#include "core/design/design_record.h"
#include "core/platform/progress.h"
#include "core/position/precision_bound.h"

namespace orvendi {

// The shares [from, to] of a whole progress, with the whole's cancel.
class PartProgress final : public Progress {
 public:
  PartProgress(Progress& whole, double from, double to) : whole_(whole), from_(from), to_(to) {}
  bool Report(double share_done) override { return whole_.Report(from_ + (to_ - from_) * share_done); }
  bool StillWanted() override { return whole_.StillWanted(); }

 private:
  Progress& whole_;
  double from_;
  double to_;
};

// A volume is the scan plane repeated along the scan's third axis (z for the XY plane, x for YZ,
// y for ZX) over that axis's from, to and step.

// 0 for x, 1 for y, 2 for z.
int VolumeAxis(int scan_plane);
// "x", "y" or "z".
const char* VolumeAxisName(int scan_plane);

// The third axis's positions, accumulated step by step as a scan walks an axis; empty when the
// design's plane is none of the three.
std::vector<double> VolumePlanePositions(const DesignRecord& design);

// The design with its scan plane moved to `position` along the third axis.
DesignRecord PlaneDesign(const DesignRecord& design, double position);

// Runs `job` on every plane in order, each with the part of `progress` that is its share. The
// bed results are brought up to date once before, as the planes share them. False when
// `progress` or a job asked to stop.
using PlaneJob = std::function<bool(int plane, const DesignRecord& plane_design, Progress& part)>;
bool ForEachVolumePlane(const DesignRecord& design, Progress& progress, const PlaneJob& job);

// One plane of a volume calculation: where it lies and its points as "calculate" gives them.
struct VolumePlane {
  double position_m = 0.0;
  PointResults points;
};

// The whole volume: a point without an estimate counts as infinitely far off, as on one plane.
// The 95th percentile is the nearest rank over every point. worst_plane is the plane with the
// largest maximum (the first of equals), -1 for an empty volume.
struct VolumeSummary {
  int axis = 2;
  int planes = 0;
  int worst_plane = -1;
  double max_error_m = 0.0;
  double rms_error_m = 0.0;
  double p95_error_m = 0.0;
  int points = 0;
  int failed_points = 0;
};

struct VolumeResult {
  std::vector<VolumePlane> planes;
  VolumeSummary summary;
};

// "Calculate" on every plane, each as a single-plane calculation of a copy of the design with a
// fresh noise sequence, so that its figures are the same bits as that calculation's. The same
// numbers on any thread count. False (and `result` untouched) when `progress` asked to stop.
bool RunVolumeCalculation(const DesignRecord& design, Progress& progress, VolumeResult& result);

// The figures of the planes, in plane order.
VolumeSummary SummariseVolume(const std::vector<VolumePlane>& planes, int axis);

// The precision bound on every plane; the whole's figures are SummariseBounds over every point.
struct BoundVolume {
  int axis = 2;
  std::vector<double> positions_m;
  std::vector<std::vector<BoundPoint>> planes;
  std::vector<BoundSummary> plane_summaries;
  BoundSummary summary;
  int worst_plane = -1;  // largest max_bound_m, the first of equals
};
bool RunVolumeBound(const DesignRecord& design, Progress& progress, BoundVolume& result);

// The Monte-Carlo runs on every plane. The whole's figures: the largest trueness and precision
// of the planes, the RMS error over every estimate of every plane, the sum of failed estimates;
// the worst plane has the largest RMS error.
struct MonteCarloVolume {
  int axis = 2;
  std::vector<double> positions_m;
  std::vector<MonteCarloResult> planes;
  double max_trueness_m = 0.0;
  double max_precision_m = 0.0;
  double rms_error_m = 0.0;
  std::int64_t failed_estimates = 0;
  int points = 0;
  int worst_plane = -1;
};
AnalysisStatus RunVolumeMonteCarlo(const DesignRecord& design, const MonteCarloOptions& options,
                                   Progress& progress, MonteCarloVolume& result, std::string& error);

// A CSV whose first column is the plane's index: the planes' CSV texts, the header of the first
// kept once.
std::string PlaneIndexedCsv(const std::vector<std::string>& plane_csvs);

}  // namespace orvendi
