#include "core/dialogs/scan_options.h"

#include <array>

#include "core/design/design_record.h"
#include "core/position/scan_grid.h"

namespace orvendi {

namespace {

// The twelve entries in the order OK reads them, each with its field.
struct ScanEntry {
  int id;
  double DesignRecord::*field;
};

constexpr std::array<ScanEntry, 12> kScanEntries{{
    {control_ids::kXFrom, &DesignRecord::scan_x_from},
    {control_ids::kXTo, &DesignRecord::scan_x_to},
    {control_ids::kXStep, &DesignRecord::scan_x_step},
    {control_ids::kYFrom, &DesignRecord::scan_y_from},
    {control_ids::kYTo, &DesignRecord::scan_y_to},
    {control_ids::kYStep, &DesignRecord::scan_y_step},
    {control_ids::kZFrom, &DesignRecord::scan_z_from},
    {control_ids::kZTo, &DesignRecord::scan_z_to},
    {control_ids::kZStep, &DesignRecord::scan_z_step},
    {control_ids::kPlaneZ, &DesignRecord::scan_plane_z},
    {control_ids::kPlaneX, &DesignRecord::scan_plane_x},
    {control_ids::kPlaneY, &DesignRecord::scan_plane_y},
}};

constexpr std::array<int, 3> kPlaneButtons{control_ids::kXyPlane, control_ids::kYzPlane, control_ids::kZxPlane};

}  // namespace

DialogFields FillScanOptions(const DesignRecord& design) {
  DialogFields fields;
  for (const ScanEntry& entry : kScanEntries) {
    fields.texts[entry.id] = ShowEntry(design.*entry.field, EntryFormat::kGeneral);
  }
  fields.checks[control_ids::kIncludeBedCurrents] = design.include_bed_currents != 0;
  for (int plane = 0; plane < 3; ++plane) fields.checks[kPlaneButtons[plane]] = design.scan_plane == plane;
  return fields;
}

bool StoreScanOptions(const DialogFields& fields, DesignRecord& design) {
  std::array<double, kScanEntries.size()> values{};
  for (std::size_t i = 0; i < kScanEntries.size(); ++i) {
    const double current = design.*kScanEntries[i].field;
    const std::string& text = fields.Text(kScanEntries[i].id);
    // The box shows the value rounded; left untouched, it keeps the value it had.
    values[i] = text == ShowEntry(current, EntryFormat::kGeneral)
                    ? current
                    : ReadEntry(text, EntryFormat::kGeneral).value_or(current);
  }
  const bool accepted =
      values[2] >= kMinScanStep && ValidateScanSettings(values[0], values[1], values[2], values[3], values[4],
                                                        values[5], values[6], values[7], values[8]);
  if (!accepted) return false;

  const DesignRecord before = design;
  for (std::size_t i = 0; i < kScanEntries.size(); ++i) design.*kScanEntries[i].field = values[i];
  design.include_bed_currents = fields.Checked(control_ids::kIncludeBedCurrents) ? 1 : 0;
  for (int plane = 0; plane < 3; ++plane) {
    if (fields.Checked(kPlaneButtons[plane])) design.scan_plane = plane;
  }
  // Estimates are kept by index pair: on another grid they would be drawn at the wrong points.
  if (!SameScanGrid(before, design)) design.results_valid = 0;
  return true;
}

}  // namespace orvendi
