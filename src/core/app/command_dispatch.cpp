#include "core/app/command_dispatch.h"

#include <cstdint>

#include "core/app/app_state.h"
#include "core/position/calculation.h"
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

}  // namespace

CommandOutcome DispatchCommand(int id, AppState& state, Host& host) {
  if (id >= kCmdBeepFirst && id <= kCmdBeepLast) return Just(Action::kBeep);
  if (id >= kCmdRecentFirst && id <= kCmdRecentLast) {
    CommandOutcome outcome = Just(Action::kOpenRecent);
    outcome.recent_index = id - kCmdRecentFirst;
    return outcome;
  }
  const Command* command = FindCommand(id);
  if (command == nullptr) return CommandOutcome{};
  DesignRecord& design = state.design;
  ViewState& view = state.view;
  switch (command->run) {
    case RunKind::kHandler:
      // The window's handlers wait for results where their item does.
      if (command->enable == EnableRule::kWithResults && design.results_valid == 0) return Just(Action::kDone);
      return Just(command->action);
    case RunKind::kSubmenu:
      return CommandOutcome{};
    case RunKind::kDialog: {
      CommandOutcome outcome = Just(Action::kDialog);
      outcome.dialog = command->name;
      outcome.owner = command->owner;
      outcome.repaint_after_ok = command->repaint_after_ok;
      return outcome;
    }
    case RunKind::kPlot: {
      CommandOutcome outcome = Just(Action::kPlot);
      outcome.dialog = command->name;
      return outcome;
    }
    case RunKind::kToggle: {
      std::int32_t& flag = design.*command->flag;
      flag = flag ? 0 : 1;
      InvalidateDrawing(host);
      CommandOutcome outcome = Just(Action::kDone);
      outcome.step_name = command->step_name;
      return outcome;
    }
    case RunKind::kSelectView:
      SelectView(view, command->value, host, state.infobar);
      return Just(Action::kDone);
    case RunKind::kScale:
      SetScale(view, command->value, host);
      return Just(Action::kDone);
    case RunKind::kEditMode:
      SetEditMode(design, state.bed_edit, view, command->value, host, state.infobar);
      return Just(Action::kDone);
    case RunKind::kCalculate:
      CalculateCommand(design, state.results, state.work, host);
      return Just(Action::kDone);
  }
  return CommandOutcome{};
}

}  // namespace orvendi
