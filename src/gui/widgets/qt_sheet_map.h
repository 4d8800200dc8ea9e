#pragma once

#include <QString>

#include "core/views/sheet_current_map.h"

class QChart;

namespace orvendi {

// The sheet's cells coloured by their mesh current on the program's colour scale, the bar beside
// in amperes, x across and y up in metres, and where the map has them the current density's
// arrows, the longest nearly reaching the next.
QChart* MakeSheetCurrentChart(const SheetCurrentMap& map, const QString& title);

}  // namespace orvendi
