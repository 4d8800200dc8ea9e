#include "core/app/command_table.h"

#include <array>

#include "core/design/design_record.h"
#include "core/dialogs/dialog_table.h"
#include "core/views/view_geometry.h"

namespace orvendi {

namespace {

using Action = CommandAction;
using enum MenuId;
namespace names = dialog_names;

constexpr std::string_view kNewKeys[] = {"Ctrl+N"};
constexpr std::string_view kOpenKeys[] = {"Ctrl+O"};
constexpr std::string_view kSaveKeys[] = {"Ctrl+S"};
constexpr std::string_view kSaveAsKeys[] = {"Ctrl+Shift+S"};
constexpr std::string_view kUndoKeys[] = {"Ctrl+Z"};
constexpr std::string_view kRedoKeys[] = {"Ctrl+Shift+Z", "Ctrl+Y"};

constexpr Command Handler(int id, MenuId menu, std::string_view caption, Action action) {
  return Command{.id = id, .menu = menu, .caption = caption, .action = action};
}

constexpr Command Dialog(int id, MenuId menu, std::string_view caption, std::string_view dialog) {
  return Command{.id = id, .menu = menu, .caption = caption, .run = RunKind::kDialog, .name = dialog};
}

constexpr Command Toggle(int id, std::string_view caption, std::int32_t DesignRecord::*flag) {
  return Command{.id = id, .menu = kView, .caption = caption, .check = CheckRule::kByRun,
                 .run = RunKind::kToggle, .flag = flag};
}

constexpr Command Valued(int id, MenuId menu, std::string_view caption, RunKind run, int value) {
  return Command{.id = id, .menu = menu, .caption = caption, .check = CheckRule::kByRun, .run = run,
                 .value = value};
}

constexpr Command Plot(int id, std::string_view caption, std::string_view plot) {
  return Command{.id = id, .menu = kResults, .caption = caption, .enable = EnableRule::kWithResults,
                 .run = RunKind::kPlot, .name = plot};
}

template <typename Change>
constexpr Command With(Command command, Change change) {
  change(command);
  return command;
}

constexpr Command Keys(Command command, std::span<const std::string_view> keys) {
  command.keys = keys;
  return command;
}

constexpr Command AfterSeparator(Command command) {
  command.separator_before = true;
  return command;
}

constexpr Command Enabled(Command command, EnableRule rule) {
  command.enable = rule;
  return command;
}

constexpr Command OwnedByWindow(Command command) {
  command.owner = DialogOwner::kMainWindow;
  return command;
}

constexpr Command RepaintAfterOk(Command command) {
  command.repaint_after_ok = true;
  return command;
}

constexpr std::array kCommands{
    Keys(Handler(kCmdNew, kFile, "&New", Action::kNew), kNewKeys),
    Keys(Handler(kCmdOpen, kFile, "&Open...", Action::kOpen), kOpenKeys),
    Enabled(Command{.id = kCmdOpenRecent, .menu = kFile, .caption = "Open &Recent", .run = RunKind::kSubmenu},
            EnableRule::kWithRecentFiles),
    AfterSeparator(Keys(Handler(kCmdSave, kFile, "&Save", Action::kSave), kSaveKeys)),
    Keys(Handler(kCmdSaveAs, kFile, "Save &As...", Action::kSaveAs), kSaveAsKeys),
    // Greyed until a run has results; a shortcut or a stray id then does nothing.
    AfterSeparator(Enabled(Handler(kCmdExportCsv, kFile, "&Export Results as CSV...", Action::kExportCsv),
                           EnableRule::kWithResults)),
    Handler(kCmdExportReport, kFile, "Export Re&port...", Action::kExportReport),
    Handler(kCmdPrintReport, kFile, "Print Report to P&DF...", Action::kPrintReport),
    AfterSeparator(Handler(kCmdExit, kFile, "E&xit", Action::kClose)),

    Enabled(Keys(Handler(kCmdUndo, kEdit, "&Undo", Action::kUndo), kUndoKeys), EnableRule::kWithUndo),
    Enabled(Keys(Handler(kCmdRedo, kEdit, "&Redo", Action::kRedo), kRedoKeys), EnableRule::kWithRedo),

    Handler(kCmdCopy, kClipboard, "&Copy", Action::kCopy),

    Valued(kCmdViewPlan, kView, "View &Plan", RunKind::kSelectView, 0),
    Valued(kCmdViewFront, kView, "View &Front", RunKind::kSelectView, 1),
    Valued(kCmdViewSide, kView, "View &Side", RunKind::kSelectView, 2),
    AfterSeparator(Toggle(kCmdViewGenerators, "View &Generators", &DesignRecord::show_generators)),
    Toggle(kCmdViewBed, "View Be&d", &DesignRecord::show_bed),
    Toggle(kCmdViewActualMap, "View &Actual Position Map", &DesignRecord::show_actual_map),
    Toggle(kCmdViewMeasuredMap, "View &Measured Position Map", &DesignRecord::show_measured_map),
    Toggle(kCmdViewBField, "View &B Field", &DesignRecord::show_b_field),
    // Unlike the toggles above, a setting the design file keeps: an undo step.
    With(Toggle(kCmdViewErrorMap, "View &Error Map", &DesignRecord::show_error_map),
         [](Command& c) { c.step_name = kErrorMapStepName; }),
    AfterSeparator(RepaintAfterOk(Dialog(kCmdViewOptions, kView, "&Options...", names::kViewOptions))),
    RepaintAfterOk(Dialog(kCmdErrorMapSettings, kView, "Error Map Se&ttings...", names::kErrorMap)),
    Handler(kCmdPreferences, kView, "P&references...", Action::kPreferences),

    Valued(kCmdScale50, kScale, "50% Scale", RunKind::kScale, kScalePercents[0]),
    Valued(kCmdScale75, kScale, "75% Scale", RunKind::kScale, kScalePercents[1]),
    Valued(kCmdScale100, kScale, "100% Scale", RunKind::kScale, kScalePercents[2]),
    Valued(kCmdScale150, kScale, "150% Scale", RunKind::kScale, kScalePercents[3]),
    Valued(kCmdScale200, kScale, "200% Scale", RunKind::kScale, kScalePercents[4]),

    Dialog(kCmdAlgorithmType, kDesign, "&Algorithm type...", names::kAlgorithmType),
    Dialog(kCmdFrequency, kDesign, "&Frequency...", names::kFrequency),
    Dialog(kCmdGeneratorDesign, kDesign, "&Generator Coil Design...", names::kGeneratorDesign),
    Valued(kCmdGeneratorPosition, kDesign, "Generator &Position", RunKind::kEditMode, 0),
    Dialog(kCmdSensorDesign, kDesign, "&Sensor Design", names::kSensorDesign),
    Dialog(kCmdBedDesign, kDesign, "Bed Desi&gn", names::kBedDesign),
    Valued(kCmdBedPosition, kDesign, "Bed Posi&tion", RunKind::kEditMode, 1),

    OwnedByWindow(Dialog(kCmdSignalNoise, kMeasurement, "Signal &Noise...", names::kSignalNoise)),
    Dialog(kCmdSensorOrientation, kMeasurement, "Sensor &Orientation", names::kSensorOrientation),
    RepaintAfterOk(Dialog(kCmdScanOptions, kMeasurement, "&Scan Options...", names::kScanOptions)),
    Dialog(kCmdDipoleType, kMeasurement, "&Dipole Type...", names::kDipoleType),
    Dialog(kCmdBedOptions, kMeasurement, "&Bed Options...", names::kCalcBedParams),

    Command{.id = kCmdCalculate, .menu = kResults, .caption = "Calcula&te", .run = RunKind::kCalculate},
    With(Handler(kCmdLiveUpdate, kResults, "&Live Update", Action::kLiveUpdate),
         [](Command& c) { c.check = CheckRule::kBySession; }),
    Enabled(Dialog(kCmdPositionalError, kResults, "Positional Error...", names::kPositionAccuracy),
            EnableRule::kWithResults),
    Dialog(kCmdBedVoltages, kResults, "Bed &Voltages...", names::kBedVoltages),
    Dialog(kCmdBedCurrents, kResults, "Bed &Currents...", names::kBedCurrents),
    AfterSeparator(Handler(kCmdMonteCarlo, kResults, "&Monte Carlo...", Action::kMonteCarlo)),
    Handler(kCmdPrecisionBound, kResults, "Precision &Bound", Action::kBound),
    Handler(kCmdSweep, kResults, "&Sweep...", Action::kSweep),
    Handler(kCmdVolume, kResults, "Calculate V&olume", Action::kVolume),
    Handler(kCmdOptimizeLayout, kResults, "Optimi&ze Layout...", Action::kOptimize),
    Dialog(kCmdTargets, kResults, "T&argets...", names::kTargets),
    Plot(kCmdErrorDistancePlot, "Error against &Distance", plot_names::kErrorDistance),
    Plot(kCmdErrorHistogram, "Error &Histogram", plot_names::kErrorHistogram),
    Enabled(Plot(kCmdSheetCurrents, "Sheet C&urrents", plot_names::kSheetCurrents), EnableRule::kWithSheet),

    OwnedByWindow(Dialog(kCmdAbout, kHelp, "&About...", names::kAbout)),

    Handler(kCmdHelpIndex, kNone, {}, Action::kHelpIndex),
};

constexpr std::array<std::string_view, 9> kMenuCaptions{
    "&File", "&Edit", "&Clipboard", "&View", "&Scale", "&Design", "&Measurement Options", "&Results", "&Help",
};

}  // namespace

std::span<const Command> CommandTable() { return kCommands; }

const Command* FindCommand(int id) {
  for (const Command& command : kCommands) {
    if (command.id == id) return &command;
  }
  return nullptr;
}

std::string_view MenuCaption(MenuId menu) {
  const int index = static_cast<int>(menu);
  if (index < 0 || index >= static_cast<int>(kMenuCaptions.size())) return {};
  return kMenuCaptions[static_cast<std::size_t>(index)];
}

}  // namespace orvendi
