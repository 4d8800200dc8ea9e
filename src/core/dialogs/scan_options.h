#pragma once

#include "core/dialogs/dialog_logic.h"
#include "core/design/scan_check.h"

#include <string_view>

namespace orvendi {

struct DesignRecord;

inline constexpr std::string_view kScanOptionsTitle = "Scan Options";

// Control ids of the "ScanOptions" dialog.
namespace scan_ids {
inline constexpr int kXFrom = 2011, kXTo = 2012, kXStep = 2013;
inline constexpr int kYFrom = 2014, kYTo = 2015, kYStep = 2016;
inline constexpr int kZFrom = 2017, kZTo = 2018, kZStep = 2019;
inline constexpr int kXyPlane = 2020, kYzPlane = 2021, kZxPlane = 2022;
inline constexpr int kPlaneX = 2023, kPlaneY = 2024, kPlaneZ = 2025;
inline constexpr int kIncludeBedCurrents = 2039;
}  // namespace scan_ids

// The controls of "ScanOptions" on opening: twelve entries with "%lg", the check box, and the
// radio button of scan_plane (none for a value outside 0..2).
DialogFields FillScanOptions(const DesignRecord& design);

// OK: reads the twelve entries (an entry that is not a number stands for the field's previous
// value), checks them and stores the fourteen fields. Returns false, storing nothing, when the
// settings are rejected; the dialog then says "Invalid Settings" and stays open.
bool StoreScanOptions(const DialogFields& fields, DesignRecord& design);

}  // namespace orvendi
