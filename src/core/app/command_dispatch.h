#pragma once

#include <optional>
#include <string_view>

namespace orvendi {

class BusyHost;
class Host;
class Progress;
struct AppState;

enum class DialogOwner { kMainWindow, kDrawingArea };

// What a command asks of the main window after the records have been dealt with.
struct CommandOutcome {
  enum class Action {
    kUnhandled,  // not a command of this program: the platform's default handling
    kDone,       // carried out in full
    kBeep,       // the simple beep, nothing else
    kClose,      // a close request, the same path as the window's close box
    kHelpIndex,  // open the help manual at its index
    kDialog,     // open the modal dialog `dialog`, owned by `owner`
    kCopy,       // put the picture of the current view on the clipboard
    kNew,        // a new design, after the question on unsaved changes
    kOpen,       // ask for a design file and open it, after the question
    kOpenRecent, // open recent file `recent_index`, after the question
    kSave,       // save to the design's file, or ask for one while untitled
    kSaveAs,     // ask for a file and save to it
    kExportCsv,  // ask for a file and write the last run's point results to it
    kUndo,
    kRedo,
    kMonteCarlo,  // ask for runs and seed, run them with progress, show the figures
    kSweep,       // ask for a sweep, run it with progress, plot it
    kPlot,        // open the plot window `dialog` of the last run
    kLiveUpdate,   // turn live update on or off
    kPreferences,  // the program's settings dialog
  };
  Action action = Action::kUnhandled;
  std::string_view dialog;
  DialogOwner owner = DialogOwner::kDrawingArea;
  bool repaint_after_ok = false;  // repaint the drawing area when the dialog ended with OK
  int recent_index = -1;          // kOpenRecent: 0 is the most recent file
  // The command changed the design itself: an undo step of this name, from the design before.
  std::string_view step_name;
};

// Carries out a menu command on the records (toggles, views, scales, edit modes, the
// calculation run), with the repaint requests going through the drawing area's host, the
// calculation's busy state through `busy` and its progress to `progress`, and says what is left
// for the window to do.
CommandOutcome DispatchCommand(int id, AppState& state, Host& host, BusyHost& busy, Progress& progress);
// The same with a calculation that nobody watches or stops.
CommandOutcome DispatchCommand(int id, AppState& state, Host& host);

// What OK in a dialog that edits the design does, as an undo step: the step's name (the dialog's
// title) and whether the edit leaves the bed model stale. None for dialogs that only show.
struct DialogEdit {
  std::string_view step_name;
  bool sets_bed_stale = false;
};
std::optional<DialogEdit> DialogEditOf(std::string_view resource_name);

// The undo step of the error map's settings, from the menu toggle or the dialog.
inline constexpr std::string_view kErrorMapStepName = "Error Map";

}  // namespace orvendi
