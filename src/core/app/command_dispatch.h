#pragma once

#include <string_view>

#include "core/app/command_table.h"
#include "core/dialogs/dialog_table.h"

namespace orvendi {

class Host;
struct AppState;

// What a command asks of the main window after the records have been dealt with.
struct CommandOutcome {
  using Action = CommandAction;
  Action action = Action::kUnhandled;
  std::string_view dialog;  // kDialog: the dialog; kPlot: the plot window
  DialogOwner owner = DialogOwner::kDrawingArea;
  bool repaint_after_ok = false;  // repaint the drawing area when the dialog ended with OK
  int recent_index = -1;          // kOpenRecent: 0 is the most recent file
  // The command changed the design itself: an undo step of this name, from the design before.
  std::string_view step_name;
};

// Carries out a command of the table on the records (toggles, views, scales, edit modes, the
// calculation run), with the repaint requests going through the drawing area's host, and says
// what is left for the window to do.
CommandOutcome DispatchCommand(int id, AppState& state, Host& host);

}  // namespace orvendi
