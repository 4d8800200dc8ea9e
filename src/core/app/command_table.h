#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace orvendi {

struct DesignRecord;

// Command ids of the menu "CommandMenu", plus the ones the main window handles without an item.
enum CommandId : int {
  kCmdBeepFirst = 1000,
  kCmdBeepLast = 1004,
  kCmdExit = 1005,
  kCmdViewPlan = 1006,
  kCmdViewFront = 1007,
  kCmdViewSide = 1008,
  kCmdScale50 = 1012,
  kCmdScale75 = 1013,
  kCmdScale100 = 1014,
  kCmdScale150 = 1015,
  kCmdScale200 = 1016,
  kCmdCopy = 1021,
  kCmdHelpIndex = 1023,
  kCmdGeneratorPosition = 1025,
  kCmdSignalNoise = 1026,
  kCmdAbout = 1028,
  kCmdViewGenerators = 1029,
  kCmdViewBField = 1031,
  kCmdViewBed = 1032,
  kCmdBedCurrents = 1036,
  kCmdBedVoltages = 1037,
  kCmdViewActualMap = 1040,
  kCmdViewMeasuredMap = 1041,
  kCmdGeneratorDesign = 1042,
  kCmdSensorDesign = 1043,
  kCmdBedDesign = 1044,
  kCmdBedPosition = 1045,
  kCmdViewOptions = 1046,
  kCmdSensorOrientation = 1047,
  kCmdScanOptions = 1048,
  kCmdCalculate = 1049,
  kCmdFrequency = 1050,
  kCmdDipoleType = 1051,
  kCmdBedOptions = 1052,
  kCmdPositionalError = 1053,
  kCmdAlgorithmType = 1054,

  // File and Edit commands, above the ids the original menu used.
  kCmdNew = 1100,
  kCmdOpen = 1101,
  kCmdOpenRecent = 1102,  // the submenu itself
  kCmdSave = 1103,
  kCmdSaveAs = 1104,
  kCmdExportCsv = 1105,
  kCmdExportReport = 1106,
  kCmdPrintReport = 1107,
  kCmdUndo = 1110,
  kCmdRedo = 1111,
  // Open Recent's items, most recent first.
  kCmdRecentFirst = 1120,
  kCmdRecentLast = kCmdRecentFirst + 7,
  // The error map and the analysis of the design.
  kCmdViewErrorMap = 1200,
  kCmdErrorMapSettings = 1201,
  kCmdMonteCarlo = 1202,
  kCmdSweep = 1203,
  kCmdErrorDistancePlot = 1204,
  kCmdErrorHistogram = 1205,
  kCmdVolume = 1206,
  kCmdOptimizeLayout = 1207,
  kCmdTargets = 1208,
  kCmdPrecisionBound = 1209,
  kCmdSheetCurrents = 1212,
  // Program settings kept apart from the design.
  kCmdLiveUpdate = 1210,
  kCmdPreferences = 1211,
};

// How many files Open Recent lists.
inline constexpr int kRecentFileCount = kCmdRecentLast - kCmdRecentFirst + 1;

// The popups of the menu bar, left to right.
enum class MenuId { kNone = -1, kFile, kEdit, kClipboard, kView, kScale, kDesign, kMeasurement, kResults, kHelp };

// What a command asks of the main window after the records have been dealt with.
enum class CommandAction {
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
  kExportReport,  // ask for a file and write the one-page HTML report to it
  kPrintReport,   // ask for a file and print the report to it as PDF
  kUndo,
  kRedo,
  kMonteCarlo,  // ask for runs and seed, run them with progress, show the figures
  kSweep,       // ask for a sweep, run it with progress, plot it
  kVolume,      // calculate every plane along the scan's third axis, show the planes and a plot
  kOptimize,    // ask for a layout search, run it with progress, offer the best layout
  kBound,       // compute the precision bound at every grid point with progress, show the figures
  kPlot,        // open the plot window `dialog` of the last run
  kLiveUpdate,   // turn live update on or off
  kPreferences,  // the program's settings dialog
};

enum class DialogOwner { kMainWindow, kDrawingArea };

// The plot windows of the last run a command opens by name.
namespace plot_names {
inline constexpr std::string_view kErrorDistance = "ErrorDistance";
inline constexpr std::string_view kErrorHistogram = "ErrorHistogram";
inline constexpr std::string_view kSheetCurrents = "SheetCurrents";
}  // namespace plot_names

// What a command runs.
enum class RunKind {
  kHandler,     // the window's handler `action`
  kSubmenu,     // nothing: the item is a popup the window fills (Open Recent)
  kDialog,      // the modal dialog `name`
  kPlot,        // the plot window `name` of the last run
  kToggle,      // flips `flag` and repaints; an undo step `step_name` when it has one
  kSelectView,  // the view `value`
  kScale,       // the scale `value` percent
  kEditMode,    // the mouse edit mode `value`
  kCalculate,   // the calculation run
};

enum class CheckRule {
  kNever,      // not checkable
  kByRun,      // checked while the state the command sets holds
  kBySession,  // checked while the window's setting is on (live update)
};

// kWithSheet: the eddy-current sheet is the bed model and is solved for the design as it stands.
enum class EnableRule { kAlways, kWithResults, kWithUndo, kWithRedo, kWithRecentFiles, kWithSheet };

// One command, the only place it is spelled out.
struct Command {
  int id = 0;
  MenuId menu = MenuId::kNone;  // kNone: a command without an item (F1)
  bool separator_before = false;
  std::string_view caption = {};  // with its & mnemonic
  // Shortcuts in the portable text form ("Ctrl+Shift+Z"), the first one shown beside the caption.
  std::span<const std::string_view> keys = {};
  CheckRule check = CheckRule::kNever;
  EnableRule enable = EnableRule::kAlways;
  RunKind run = RunKind::kHandler;
  CommandAction action = CommandAction::kUnhandled;
  std::string_view name = {};
  DialogOwner owner = DialogOwner::kDrawingArea;
  bool repaint_after_ok = false;  // kDialog: repaint the drawing area when the dialog ended with OK
  std::int32_t DesignRecord::*flag = nullptr;
  std::string_view step_name = {};
  int value = 0;
};

// Every command, the menu's items in menu order.
std::span<const Command> CommandTable();
// Null for an id that is no command of the table (beeps and recent files are ranges).
const Command* FindCommand(int id);
std::string_view MenuCaption(MenuId menu);

}  // namespace orvendi
