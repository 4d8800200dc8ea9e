#pragma once

#include "core/dialogs/control_ids.h"
#include "core/dialogs/dialog_logic.h"
#include "core/design/scan_check.h"

#include <string_view>

namespace orvendi {

struct DesignRecord;

inline constexpr std::string_view kScanOptionsTitle = "Scan Options";

// The controls of "ScanOptions" on opening: twelve entries with "%lg", the check box, and the
// radio button of scan_plane (none for a value outside 0..2).
DialogFields FillScanOptions(const DesignRecord& design);

// OK: reads the twelve entries (an entry that is not a number stands for the field's previous
// value), checks them and stores the fourteen fields; the last run's results stop being valid when
// the grid's points change. Returns false, storing nothing, when the
// settings are rejected; the dialog then says "Invalid Settings" and stays open.
bool StoreScanOptions(const DialogFields& fields, DesignRecord& design);

}  // namespace orvendi
