#pragma once

#include <span>
#include <string>
#include <string_view>

namespace orvendi {

struct DesignRecord;
struct ViewState;

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
  // Program settings kept apart from the design.
  kCmdLiveUpdate = 1210,
  kCmdPreferences = 1211,
};

// How many files Open Recent lists.
inline constexpr int kRecentFileCount = kCmdRecentLast - kCmdRecentFirst + 1;

// One row of a popup; id 0 is a separator. `keys` are the item's shortcuts in the portable
// text form ("Ctrl+Shift+Z"), the first one shown beside the caption.
struct MenuEntry {
  int id = 0;
  std::string_view caption;
  std::span<const std::string_view> keys = {};
  bool submenu = false;  // a popup of its own, filled by the window (Open Recent)
};

struct MenuPopup {
  std::string_view caption;
  std::span<const MenuEntry> entries;
};

// The popups of "CommandMenu" in order, captions with their & mnemonics.
std::span<const MenuPopup> CommandMenu();

// Check and grey state of one item. Items that are never checked are not checkable.
struct MenuMark {
  bool checkable = false;
  bool checked = false;
  bool enabled = true;
};

// The scale (kScalePercents) a scale command sets; 0 for any other id.
int ScalePercentOf(int id);

// The marks the menu shows for an item, from the records; the Qt menu sets them each time a
// popup is about to show.
MenuMark MenuMarks(int id, const DesignRecord& design, const ViewState& view);

// Where the main window opens on a screen of the given size: 50 pixels in from the top-left
// corner and 100 pixels smaller, or the full width/height from 0 on a screen too small for it.
struct WindowPlacement {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};
WindowPlacement MainWindowPlacement(int screen_width, int screen_height);

// Undo and Redo show the name of the step they would take: "&Undo Move Generator 2", or just
// "&Undo" when there is none.
std::string StepCaption(std::string_view caption, std::string_view step_name);

}  // namespace orvendi
