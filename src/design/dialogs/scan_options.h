#pragma once

#include "design/dialogs/dialog_logic.h"

namespace orvendi {

struct DesignRecord;

// Control ids of the "ScanOptions" dialog.
namespace scan_ids {
inline constexpr int kXFrom = 2011, kXTo = 2012, kXStep = 2013;
inline constexpr int kYFrom = 2014, kYTo = 2015, kYStep = 2016;
inline constexpr int kZFrom = 2017, kZTo = 2018, kZStep = 2019;
inline constexpr int kXyPlane = 2020, kYzPlane = 2021, kZxPlane = 2022;
inline constexpr int kPlaneX = 2023, kPlaneY = 2024, kPlaneZ = 2025;
inline constexpr int kIncludeBedCurrents = 2039;
}  // namespace scan_ids

// Smallest step the scan settings accept, in metres.
inline constexpr double kMinScanStep = 1e-20;

// Whether the ranges make a grid the run can walk: y and z steps of at least kMinScanStep, every
// range ascending or a single value, and at most 100 steps on each axis. The x step is the
// dialog's own test. A value that is not a number fails every test.
bool ValidateScanSettings(double x_from, double x_to, double x_step, double y_from, double y_to,
                          double y_step, double z_from, double z_to, double z_step);

// The controls of "ScanOptions" on opening: twelve entries with "%lg", the check box, and the
// radio button of scan_plane (none for a value outside 0..2).
DialogFields FillScanOptions(const DesignRecord& design);

// OK: reads the twelve entries (an entry that is not a number stands for the field's previous
// value), checks them and stores the fourteen fields. Returns false, storing nothing, when the
// settings are rejected; the dialog then says "Invalid Settings" and stays open.
bool StoreScanOptions(const DialogFields& fields, DesignRecord& design);

}  // namespace orvendi
