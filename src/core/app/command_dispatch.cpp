#include "core/app/command_dispatch.h"

#include <cstdint>

#include "core/dialogs/dialog_logic.h"
#include "core/dialogs/scan_options.h"
#include "core/dialogs/window_runs.h"
#include "core/platform/host.h"
#include "core/platform/progress.h"
#include "core/app/app_state.h"
#include "core/app/menu_model.h"
#include "core/views/generator_placement.h"
#include "core/views/view_geometry.h"

namespace orvendi {

namespace {

using Action = CommandOutcome::Action;

CommandOutcome Just(Action action) {
  CommandOutcome outcome;
  outcome.action = action;
  return outcome;
}

CommandOutcome Done() { return Just(Action::kDone); }

CommandOutcome Dialog(std::string_view name, DialogOwner owner = DialogOwner::kDrawingArea) {
  CommandOutcome outcome = Just(Action::kDialog);
  outcome.dialog = name;
  outcome.owner = owner;
  return outcome;
}

CommandOutcome Plot(std::string_view name) {
  CommandOutcome outcome = Just(Action::kPlot);
  outcome.dialog = name;
  return outcome;
}

CommandOutcome Toggle(std::int32_t& flag, Host& host) {
  flag = flag ? 0 : 1;
  InvalidateDrawing(host);
  return Done();
}

}  // namespace

CommandOutcome DispatchCommand(int id, AppState& state, Host& host, BusyHost& busy, Progress& progress) {
  if (id >= kCmdBeepFirst && id <= kCmdBeepLast) return Just(Action::kBeep);
  if (id >= kCmdRecentFirst && id <= kCmdRecentLast) {
    CommandOutcome outcome = Just(Action::kOpenRecent);
    outcome.recent_index = id - kCmdRecentFirst;
    return outcome;
  }
  DesignRecord& design = state.design;
  ViewState& view = state.view;
  switch (id) {
    case kCmdNew:
      return Just(Action::kNew);
    case kCmdOpen:
      return Just(Action::kOpen);
    case kCmdSave:
      return Just(Action::kSave);
    case kCmdSaveAs:
      return Just(Action::kSaveAs);
    case kCmdExportCsv:
      // Greyed in the menu until a run has results; a shortcut or a stray id does nothing.
      return Just(design.results_valid != 0 ? Action::kExportCsv : Action::kDone);
    case kCmdUndo:
      return Just(Action::kUndo);
    case kCmdRedo:
      return Just(Action::kRedo);
    case kCmdLiveUpdate:
      return Just(Action::kLiveUpdate);
    case kCmdPreferences:
      return Just(Action::kPreferences);
    case kCmdExit:
      return Just(Action::kClose);
    case kCmdCopy:
      return Just(Action::kCopy);
    case kCmdHelpIndex:
      return Just(Action::kHelpIndex);

    case kCmdViewPlan:
      SelectView(view, 0, host, state.infobar);
      return Done();
    case kCmdViewFront:
      SelectView(view, 1, host, state.infobar);
      return Done();
    case kCmdViewSide:
      SelectView(view, 2, host, state.infobar);
      return Done();

    case kCmdViewGenerators:
      return Toggle(design.show_generators, host);
    case kCmdViewBed:
      return Toggle(design.show_bed, host);
    case kCmdViewActualMap:
      return Toggle(design.show_actual_map, host);
    case kCmdViewMeasuredMap:
      return Toggle(design.show_measured_map, host);
    case kCmdViewBField:
      return Toggle(design.show_b_field, host);
    case kCmdViewErrorMap: {
      // Unlike the toggles above, a setting the design file keeps: an undo step.
      CommandOutcome outcome = Toggle(design.show_error_map, host);
      outcome.step_name = kErrorMapStepName;
      return outcome;
    }
    case kCmdErrorMapSettings: {
      CommandOutcome outcome = Dialog("ErrorMap");
      outcome.repaint_after_ok = true;
      return outcome;
    }
    case kCmdViewOptions: {
      CommandOutcome outcome = Dialog("ViewOptions");
      outcome.repaint_after_ok = true;
      return outcome;
    }

    case kCmdScale50:
    case kCmdScale75:
    case kCmdScale100:
    case kCmdScale150:
    case kCmdScale200:
      SetScale(view, ScalePercentOf(id), host);
      return Done();

    case kCmdAlgorithmType:
      return Dialog("AlgorithmType");
    case kCmdFrequency:
      return Dialog("Frequency");
    case kCmdGeneratorDesign:
      return Dialog("GeneratorDesign");
    case kCmdGeneratorPosition:
      SetEditMode(design, state.bed_edit, view, 0, host, state.infobar);
      return Done();
    case kCmdSensorDesign:
      return Dialog("SensorDesign");
    case kCmdBedDesign:
      return Dialog("BedDesign");
    case kCmdBedPosition:
      SetEditMode(design, state.bed_edit, view, 1, host, state.infobar);
      return Done();

    case kCmdSignalNoise:
      return Dialog("SignalNoise", DialogOwner::kMainWindow);
    case kCmdSensorOrientation:
      return Dialog("SensorOrientation");
    case kCmdScanOptions:
      return Dialog("ScanOptions");
    case kCmdDipoleType:
      return Dialog("DipoleType");
    case kCmdBedOptions:
      return Dialog("CalcBedParams");

    case kCmdCalculate:
      CalculateInWindow(design, state.results, state.work, busy, progress);
      return Done();
    case kCmdPositionalError:
      return Dialog("PositionAccuracy");
    case kCmdBedVoltages:
      return Dialog("DisplayBedVoltages");
    case kCmdBedCurrents:
      return Dialog("DisplayBedCurrents");
    case kCmdMonteCarlo:
      return Just(Action::kMonteCarlo);
    case kCmdSweep:
      return Just(Action::kSweep);
    case kCmdErrorDistancePlot:
      return Plot("ErrorDistance");
    case kCmdErrorHistogram:
      return Plot("ErrorHistogram");

    case kCmdAbout:
      return Dialog("AboutDialog", DialogOwner::kMainWindow);
    default:
      return CommandOutcome{};
  }
}

CommandOutcome DispatchCommand(int id, AppState& state, Host& host) {
  NoProgress unwatched;
  return DispatchCommand(id, state, host, host, unwatched);
}

std::optional<DialogEdit> DialogEditOf(std::string_view resource_name) {
  if (const SettingsDialog* dialog = FindSettingsDialog(resource_name))
    return DialogEdit{dialog->title, dialog->sets_bed_stale};
  if (resource_name == "ScanOptions") return DialogEdit{kScanOptionsTitle, false};
  if (resource_name == "ErrorMap") return DialogEdit{kErrorMapStepName, false};
  return std::nullopt;
}

}  // namespace orvendi
