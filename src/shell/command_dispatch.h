#pragma once

#include <string_view>

namespace orvendi {

class Host;
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
  };
  Action action = Action::kUnhandled;
  std::string_view dialog;
  DialogOwner owner = DialogOwner::kDrawingArea;
  bool repaint_after_ok = false;  // repaint the drawing area when the dialog ended with OK
};

// Carries out a menu command on the records (toggles, views, scales, edit modes, the
// calculation run), with the repaint requests going through the drawing area's host, and says
// what is left for the window to do.
CommandOutcome DispatchCommand(int id, AppState& state, Host& host);

}  // namespace orvendi
