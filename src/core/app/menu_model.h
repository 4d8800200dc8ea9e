#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/app/command_table.h"

namespace orvendi {

struct DesignRecord;
struct ViewState;

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

// The popups of "CommandMenu" in order, captions with their & mnemonics, from the command table.
std::span<const MenuPopup> CommandMenu();

// Check and grey state of one item. Items that are never checked are not checkable.
struct MenuMark {
  bool checkable = false;
  bool checked = false;
  bool enabled = true;
};

// The scale (kScalePercents) a scale command sets; 0 for any other id.
int ScalePercentOf(int id);

// What the window knows that the records do not.
struct SessionMarks {
  bool can_undo = false;
  bool can_redo = false;
  bool has_recent_files = false;
  bool live_update = false;
};

// The marks the menu shows for an item, from its command's rules; the Qt menu sets them each
// time a popup is about to show.
MenuMark MenuMarks(int id, const DesignRecord& design, const ViewState& view, const SessionMarks& session = {});

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
