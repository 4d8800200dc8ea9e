#include "core/app/menu_model.h"

#include <vector>

#include "core/design/design_record.h"
#include "core/field/sheet_bed_model.h"
#include "core/views/view_geometry.h"
#include "core/views/view_state.h"

namespace orvendi {

namespace {

struct BuiltMenu {
  std::vector<std::vector<MenuEntry>> entries;
  std::vector<MenuPopup> popups;
};

BuiltMenu BuildMenu() {
  BuiltMenu menu;
  for (int p = 0;; ++p) {
    const std::string_view caption = MenuCaption(static_cast<MenuId>(p));
    if (caption.empty()) break;
    std::vector<MenuEntry>& entries = menu.entries.emplace_back();
    for (const Command& command : CommandTable()) {
      if (command.menu != static_cast<MenuId>(p)) continue;
      if (command.separator_before) entries.push_back(MenuEntry{});
      entries.push_back(MenuEntry{command.id, command.caption, command.keys, command.run == RunKind::kSubmenu});
    }
  }
  for (std::size_t p = 0; p < menu.entries.size(); ++p)
    menu.popups.push_back(MenuPopup{MenuCaption(static_cast<MenuId>(p)), menu.entries[p]});
  return menu;
}

bool ChecksByRun(const Command& command, const DesignRecord& design, const ViewState& view) {
  switch (command.run) {
    case RunKind::kToggle:
      return design.*command.flag != 0;
    case RunKind::kSelectView:
      return view.current_view == command.value;
    case RunKind::kScale:
      return view.scale_percent == command.value;
    case RunKind::kEditMode:
      return design.edit_mode == command.value;
    default:
      return false;
  }
}

bool EnabledBy(EnableRule rule, const DesignRecord& design, const SessionMarks& session) {
  switch (rule) {
    case EnableRule::kAlways:
      return true;
    case EnableRule::kWithResults:
      return design.results_valid != 0;
    case EnableRule::kWithUndo:
      return session.can_undo;
    case EnableRule::kWithRedo:
      return session.can_redo;
    case EnableRule::kWithRecentFiles:
      return session.has_recent_files;
    case EnableRule::kWithSheet:
      return design.bed_model == 1 && CachedSheet(design) != nullptr;
  }
  return true;
}

}  // namespace

std::span<const MenuPopup> CommandMenu() {
  static const BuiltMenu menu = BuildMenu();
  return menu.popups;
}

MenuMark MenuMarks(int id, const DesignRecord& design, const ViewState& view, const SessionMarks& session) {
  const Command* command = FindCommand(id);
  if (command == nullptr) return MenuMark{};
  MenuMark mark;
  mark.enabled = EnabledBy(command->enable, design, session);
  switch (command->check) {
    case CheckRule::kNever:
      break;
    case CheckRule::kByRun:
      mark.checkable = true;
      mark.checked = ChecksByRun(*command, design, view);
      break;
    case CheckRule::kBySession:
      mark.checkable = true;
      mark.checked = session.live_update;
      break;
  }
  return mark;
}

int ScalePercentOf(int id) {
  const Command* command = FindCommand(id);
  return command != nullptr && command->run == RunKind::kScale ? command->value : 0;
}

WindowPlacement MainWindowPlacement(int screen_width, int screen_height) {
  WindowPlacement placement{50, 50, screen_width - 100, screen_height - 100};
  if (placement.width < 0) {
    placement.left = 0;
    placement.width = screen_width;
  }
  if (placement.height < 0) {
    placement.top = 0;
    placement.height = screen_height;
  }
  return placement;
}

std::string StepCaption(std::string_view caption, std::string_view step_name) {
  std::string text(caption);
  if (!step_name.empty()) {
    text += ' ';
    text += step_name;
  }
  return text;
}

}  // namespace orvendi
