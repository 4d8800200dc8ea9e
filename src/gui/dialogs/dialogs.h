#pragma once

#include <string_view>

class QWidget;

namespace orvendi {

class Host;
struct DesignRecord;
class ResultBuffer;

// What a dialog may read and change.
struct DialogContext {
  DesignRecord& design;
  const ResultBuffer& results;
  Host& host;  // busy cursor, capture and repaint around the bed model
  // A Monte-Carlo result of the design as it is exists: the error map may show its figures.
  bool monte_carlo_current = false;
  // A bound run of the design as it is exists: the error map may show the precision bound.
  bool bound_current = false;
};

// Opens the modal dialog with the given resource name ("Frequency", "ScanOptions",
// "DisplayBedVoltages", "AboutDialog", ...) centred on the screen, owned by `owner`. Returns 1
// after OK and 0 after Cancel or the close box; -1 for an unknown name.
int OpenDialog(std::string_view resource_name, DialogContext& context, QWidget* owner);

}  // namespace orvendi
