#include "core/position/scan_grid.h"

#include <limits>

#include "core/design/design_record.h"
#include "core/design/round_half_away.h"

namespace orvendi {

void ScanStart(ScanState& scan, const DesignRecord& design) {
  scan.x_from = design.scan_x_from;
  scan.x_to = design.scan_x_to;
  scan.x_step = design.scan_x_step;
  scan.y_from = design.scan_y_from;
  scan.y_to = design.scan_y_to;
  scan.y_step = design.scan_y_step;
  scan.z_from = design.scan_z_from;
  scan.z_to = design.scan_z_to;
  scan.z_step = design.scan_z_step;
  scan.plane_x = design.scan_plane_x;
  scan.plane_y = design.scan_plane_y;
  scan.plane_z = design.scan_plane_z;
  scan.plane = design.scan_plane;

  const auto [first, second] = ScanStepCounts(scan, scan.plane);
  scan.first_count = first;
  scan.second_count = second;
  scan.first_index = 0;
  scan.second_index = 0;

  switch (scan.plane) {
    case 0:
      scan.cur_x = scan.x_from;
      scan.cur_y = scan.y_from;
      scan.cur_z = scan.plane_z;
      break;
    case 1:
      scan.cur_x = scan.plane_x;
      scan.cur_y = scan.y_from;
      scan.cur_z = scan.z_from;
      break;
    case 2:
      scan.cur_x = scan.x_from;
      scan.cur_y = scan.plane_y;
      scan.cur_z = scan.z_from;
      break;
    default:
      // No such plane: an empty grid.
      scan.first_count = -1;
      scan.second_count = -1;
      break;
  }
}

namespace {

// The settings check admits at most kMaxScanSteps per axis; a snapshot that was never checked
// (tests, or a record edited by hand) is held to the same bound so that no traversal can run
// for ever or outgrow the result buffer.
int StepCount(double from, double to, double step) {
  const int n = RoundHalfAway((to - from) / step);
  return n > kMaxScanSteps ? kMaxScanSteps : n;
}

}  // namespace

std::pair<int, int> ScanStepCounts(const ScanState& scan, int plane) {
  const int nx = StepCount(scan.x_from, scan.x_to, scan.x_step);
  const int ny = StepCount(scan.y_from, scan.y_to, scan.y_step);
  const int nz = StepCount(scan.z_from, scan.z_to, scan.z_step);
  switch (plane) {
    case 0:
      return {nx, ny};
    case 1:
      return {ny, nz};
    case 2:
      return {nz, nx};
    default:
      return {-1, -1};
  }
}

namespace {

// The coordinate of the current point along the plane's first or second axis.
double& FirstCoordinate(ScanState& s) { return s.plane == 0 ? s.cur_x : s.plane == 1 ? s.cur_y : s.cur_z; }
double& SecondCoordinate(ScanState& s) { return s.plane == 0 ? s.cur_y : s.plane == 1 ? s.cur_z : s.cur_x; }
double FirstFrom(const ScanState& s) { return s.plane == 0 ? s.x_from : s.plane == 1 ? s.y_from : s.z_from; }
double SecondFrom(const ScanState& s) { return s.plane == 0 ? s.y_from : s.plane == 1 ? s.z_from : s.x_from; }
double FirstStep(const ScanState& s) { return s.plane == 0 ? s.x_step : s.plane == 1 ? s.y_step : s.z_step; }
double SecondStep(const ScanState& s) { return s.plane == 0 ? s.y_step : s.plane == 1 ? s.z_step : s.x_step; }

void Emit(const ScanState& s, ScanPoint& point) {
  point.x = s.cur_x;
  point.y = s.cur_y;
  point.z = s.cur_z;
  point.first_index = s.first_index;
  point.second_index = s.second_index;
}

}  // namespace

bool SameScanGrid(const DesignRecord& a, const DesignRecord& b) {
  ScanState s, t;
  ScanStart(s, a);
  ScanStart(t, b);
  // The first point holds the plane's fixed coordinate too.
  return s.plane == t.plane && s.first_count == t.first_count && s.second_count == t.second_count &&
         s.cur_x == t.cur_x && s.cur_y == t.cur_y && s.cur_z == t.cur_z && FirstStep(s) == FirstStep(t) &&
         SecondStep(s) == SecondStep(t);
}

bool ScanNextAlongFirst(ScanState& scan, ScanPoint& point) {
  if (scan.second_index > scan.second_count || scan.first_count < 0) return false;
  Emit(scan, point);
  FirstCoordinate(scan) += FirstStep(scan);
  ++scan.first_index;
  if (scan.first_index > scan.first_count) {
    FirstCoordinate(scan) = FirstFrom(scan);
    scan.first_index = 0;
    ++scan.second_index;
    SecondCoordinate(scan) += SecondStep(scan);
  }
  return true;
}

bool ScanNextAlongSecond(ScanState& scan, ScanPoint& point) {
  if (scan.first_index > scan.first_count || scan.second_count < 0) return false;
  Emit(scan, point);
  SecondCoordinate(scan) += SecondStep(scan);
  ++scan.second_index;
  if (scan.second_index > scan.second_count) {
    SecondCoordinate(scan) = SecondFrom(scan);
    scan.second_index = 0;
    ++scan.first_index;
    FirstCoordinate(scan) += FirstStep(scan);
  }
  return true;
}

ResultBuffer::ResultBuffer()
    : values_(kSize, std::numeric_limits<double>::quiet_NaN()),
      distortion_(kSize / 3, std::numeric_limits<double>::quiet_NaN()) {}

double* ResultBuffer::Slot(int first_index, int second_index) {
  if (first_index < 0 || first_index >= kStride || second_index < 0 || second_index >= kStride)
    return nullptr;
  return values_.data() + 3 * (kStride * first_index + second_index);
}

const double* ResultBuffer::Slot(int first_index, int second_index) const {
  return const_cast<ResultBuffer*>(this)->Slot(first_index, second_index);
}

double* ResultBuffer::Distortion(int first_index, int second_index) {
  if (first_index < 0 || first_index >= kStride || second_index < 0 || second_index >= kStride)
    return nullptr;
  return distortion_.data() + kStride * first_index + second_index;
}

const double* ResultBuffer::Distortion(int first_index, int second_index) const {
  return const_cast<ResultBuffer*>(this)->Distortion(first_index, second_index);
}

void ResultBuffer::Clear() {
  values_.assign(kSize, std::numeric_limits<double>::quiet_NaN());
  distortion_.assign(kSize / 3, std::numeric_limits<double>::quiet_NaN());
}

}  // namespace orvendi
