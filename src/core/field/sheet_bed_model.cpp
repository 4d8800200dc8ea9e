#include "core/field/sheet_bed_model.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>
#include <mutex>
#include <utility>
#include <vector>

#include "core/field/eddy_sheet.h"
#include "core/field/field_constants.h"
#include "core/field/sensor_model.h"

namespace orvendi {

namespace {

// A few sheets are kept, the least recently used going first; one evicted while still wanted is
// solved again, to the same numbers.
constexpr std::size_t kStoredSheets = 16;

// Every value the sheet depends on, compared bit for bit.
std::vector<double> SheetKey(const DesignRecord& d) {
  std::vector<double> key = {d.frequency_hz, d.bed_x1, d.bed_y1, d.bed_z1, d.bed_x2, d.bed_y2,
                             static_cast<double>(d.bed_cells_x), static_cast<double>(d.bed_cells_y),
                             d.bed_sheet_ohms_per_square};
  for (const GeneratorRecord& g : d.generators) {
    key.insert(key.end(), {g.x, g.y, g.z, g.side_m, g.area_m2, static_cast<double>(g.turns), g.peak_current_a,
                           static_cast<double>(g.real_dipole)});
    for (const CoilRecord& c : g.coils)
      key.insert(key.end(), {c.x, c.y, c.z, c.side_m, c.peak_current_a, static_cast<double>(c.axis),
                             static_cast<double>(c.turns)});
  }
  return key;
}

bool SameKey(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

class SheetStore {
 public:
  std::shared_ptr<const EddySheet> Find(const std::vector<double>& key) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return SameKey(e.first, key); });
    if (found == entries_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found);
    return entries_.front().second;
  }
  void Add(std::vector<double> key, std::shared_ptr<const EddySheet> sheet) {
    const std::lock_guard<std::mutex> lock(mutex_);
    entries_.emplace_front(std::move(key), std::move(sheet));
    if (entries_.size() > kStoredSheets) entries_.pop_back();
  }

 private:
  std::mutex mutex_;
  std::list<std::pair<std::vector<double>, std::shared_ptr<const EddySheet>>> entries_;
};

SheetStore& Store() {
  static SheetStore store;
  return store;
}

}  // namespace

bool ComputeSheetBedModel(DesignRecord& design, const std::function<bool(double)>& progress) {
  auto sheet = std::make_shared<EddySheet>();
  const SheetStatus status = SolveEddySheet(design, design.bed_sheet_ohms_per_square, progress, *sheet);
  if (status == SheetStatus::kCancelled) return false;
  if (status != SheetStatus::kSolved) {
    ResetBedResults(design);
    return true;
  }
  const double omega = design.frequency_hz * kTwoPi;
  for (int k = 0; k < kCoilCount; ++k) {
    double flux = 0.0;
    for (const double f : sheet->source_flux[static_cast<std::size_t>(k)]) flux += f;
    design.bed_voltages[static_cast<std::size_t>(k)] = Phasor(0.0, omega * flux);
    Phasor largest(0.0, 0.0);
    for (const Phasor& i : sheet->currents[static_cast<std::size_t>(k)])
      if (std::abs(i) > std::abs(largest)) largest = i;
    design.bed_currents[static_cast<std::size_t>(k)] = largest;
  }
  Store().Add(SheetKey(design), std::move(sheet));
  return true;
}

std::shared_ptr<const EddySheet> CachedSheet(const DesignRecord& design) { return Store().Find(SheetKey(design)); }

std::shared_ptr<const EddySheet> SheetFor(const DesignRecord& design) {
  std::vector<double> key = SheetKey(design);
  if (auto found = Store().Find(key)) return found;
  auto sheet = std::make_shared<EddySheet>();
  if (SolveEddySheet(design, design.bed_sheet_ohms_per_square, nullptr, *sheet) != SheetStatus::kSolved) return nullptr;
  Store().Add(std::move(key), sheet);
  return sheet;
}

double SensorSensitivity(const DesignRecord& design) {
  if (design.sensor_model == 1)
    return InductionSensitivity(design.frequency_hz, design.sensor_turns, design.sensor_area_m2, design.sensor_gain);
  return design.sensor_sensitivity_v_per_t;
}

}  // namespace orvendi
