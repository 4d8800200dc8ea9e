#include "core/app/menu_model.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/platform/progress.h"
#include "support/fake_host.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

// The menu bar is the table's rows in table order under their popups, a separator above the
// rows that ask for one, never one leading, trailing or doubled.
TEST(CommandMenu, ShowsEachItemOfTheTableOnceUnderItsPopup) {
  const auto menu = CommandMenu();
  ASSERT_EQ(menu.size(), 9u);
  std::vector<const Command*> with_item;
  for (const Command& command : CommandTable()) {
    if (command.menu != MenuId::kNone) with_item.push_back(&command);
  }
  std::size_t next = 0;
  for (std::size_t p = 0; p < menu.size(); ++p) {
    SCOPED_TRACE(std::string(menu[p].caption));
    EXPECT_EQ(menu[p].caption, MenuCaption(static_cast<MenuId>(p)));
    ASSERT_FALSE(menu[p].entries.empty());
    EXPECT_NE(menu[p].entries.front().id, 0);
    EXPECT_NE(menu[p].entries.back().id, 0);
    bool after_separator = false;
    for (const MenuEntry& entry : menu[p].entries) {
      if (entry.id == 0) {
        EXPECT_FALSE(after_separator);
        after_separator = true;
        continue;
      }
      ASSERT_LT(next, with_item.size());
      const Command& command = *with_item[next++];
      EXPECT_EQ(static_cast<std::size_t>(command.menu), p) << command.id;
      EXPECT_EQ(entry.id, command.id);
      EXPECT_EQ(entry.caption, command.caption);
      EXPECT_FALSE(entry.caption.empty()) << entry.id;
      EXPECT_EQ(entry.keys.data(), command.keys.data()) << entry.id;
      EXPECT_EQ(entry.submenu, command.run == RunKind::kSubmenu) << entry.id;
      EXPECT_EQ(after_separator, command.separator_before) << entry.id;
      after_separator = false;
    }
  }
  EXPECT_EQ(next, with_item.size());
}

TEST(CommandMenu, IdsAreUniqueAndInTheCommandRange) {
  std::set<int> ids;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0) continue;
      EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
      // The original menu's ids, the file and edit ids above them, the analysis ids above those
      // or the program settings; none is a beep id.
      EXPECT_TRUE((entry.id >= 1005 && entry.id <= 1054) || (entry.id >= 1100 && entry.id <= 1111) ||
                  (entry.id >= 1200 && entry.id <= 1209) || (entry.id >= 1210 && entry.id <= 1219))
          << entry.id;
    }
  }
  EXPECT_EQ(ids.size(), 56u);
  for (int id = kCmdRecentFirst; id <= kCmdRecentLast; ++id) EXPECT_EQ(ids.count(id), 0u) << id;
  EXPECT_EQ(kRecentFileCount, 8);
}

TEST(CommandMenu, FileAndEditItemsCarryTheirShortcuts) {
  std::map<int, std::vector<std::string>> keys;
  std::vector<int> submenus;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      for (std::string_view key : entry.keys) keys[entry.id].emplace_back(key);
      if (entry.submenu) submenus.push_back(entry.id);
    }
  }
  const std::map<int, std::vector<std::string>> expected{
      {kCmdNew, {"Ctrl+N"}},        {kCmdOpen, {"Ctrl+O"}},
      {kCmdSave, {"Ctrl+S"}},       {kCmdSaveAs, {"Ctrl+Shift+S"}},
      {kCmdUndo, {"Ctrl+Z"}},       {kCmdRedo, {"Ctrl+Shift+Z", "Ctrl+Y"}},
  };
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(submenus, std::vector<int>{kCmdOpenRecent});
}

TEST(StepCaption, NamesTheStepAfterTheCaption) {
  EXPECT_EQ(StepCaption("&Undo", "Move Generator 2"), "&Undo Move Generator 2");
  EXPECT_EQ(StepCaption("&Redo", "Bed Design"), "&Redo Bed Design");
  EXPECT_EQ(StepCaption("&Undo", ""), "&Undo");
}

class MenuMarksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
  }

  std::vector<int> CheckedAmong(std::initializer_list<int> ids) const {
    std::vector<int> checked;
    for (int id : ids) {
      const MenuMark mark = MenuMarks(id, design, view);
      EXPECT_TRUE(mark.checkable) << id;
      if (mark.checked) checked.push_back(id);
    }
    return checked;
  }

  DesignRecord design;
  ViewState view;
  testing::FakeHost host;
};

TEST_F(MenuMarksTest, DefaultsCheckPlanViewFullScaleGeneratorModeAndTheOnLayers) {
  EXPECT_EQ(CheckedAmong({1006, 1007, 1008}), std::vector<int>{1006});
  EXPECT_EQ(CheckedAmong({1012, 1013, 1014, 1015, 1016}), std::vector<int>{1014});
  EXPECT_EQ(CheckedAmong({1025, 1045}), std::vector<int>{1025});
  EXPECT_EQ(CheckedAmong({1029, 1032, 1040, 1041, 1031}), (std::vector<int>{1029, 1032, 1040, 1041}));
}

TEST_F(MenuMarksTest, ChecksFollowViewScaleModeAndFlags) {
  view.current_view = 2;
  view.scale_percent = 150;
  design.edit_mode = 1;
  design.show_generators = 0;
  design.show_b_field = 7;  // any non-zero value is on
  EXPECT_EQ(CheckedAmong({1006, 1007, 1008}), std::vector<int>{1008});
  EXPECT_EQ(CheckedAmong({1012, 1013, 1014, 1015, 1016}), std::vector<int>{1015});
  EXPECT_EQ(CheckedAmong({1025, 1045}), std::vector<int>{1045});
  EXPECT_EQ(CheckedAmong({1029, 1031}), std::vector<int>{1031});

  // Values no command produces check nothing.
  view.current_view = 5;
  view.scale_percent = 120;
  design.edit_mode = 3;
  EXPECT_TRUE(CheckedAmong({1006, 1007, 1008}).empty());
  EXPECT_TRUE(CheckedAmong({1012, 1013, 1014, 1015, 1016}).empty());
  EXPECT_TRUE(CheckedAmong({1025, 1045}).empty());
}

TEST_F(MenuMarksTest, OnlyTheItemsOfTheLastRunAreGreyedAndOnlyWithoutResults) {
  const SessionMarks session{true, true, true, false};
  const std::set<int> of_the_run = {kCmdPositionalError, kCmdExportCsv, kCmdErrorDistancePlot, kCmdErrorHistogram};
  for (const int id : of_the_run) EXPECT_FALSE(MenuMarks(id, design, view, session).enabled) << id;
  design.results_valid = 1;
  for (const int id : of_the_run) EXPECT_TRUE(MenuMarks(id, design, view, session).enabled) << id;

  design.results_valid = 0;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0 || of_the_run.count(entry.id) != 0 || entry.id == kCmdSheetCurrents) continue;
      EXPECT_TRUE(MenuMarks(entry.id, design, view, session).enabled) << entry.id;
    }
  }
  const MenuMark calculate = MenuMarks(kCmdCalculate, design, view);
  EXPECT_FALSE(calculate.checkable);
  EXPECT_FALSE(calculate.checked);
}

// The sheet's picture needs the sheet model and a sheet solved for the design as it stands.
TEST_F(MenuMarksTest, SheetCurrentsNeedTheSolvedSheetOfThisDesign) {
  design.bed_cells_x = design.bed_cells_y = 4;
  design.results_valid = 1;
  NoProgress progress;
  ASSERT_TRUE(ComputeBedModel(design, progress));  // the outline loop: no sheet
  EXPECT_FALSE(MenuMarks(kCmdSheetCurrents, design, view).enabled);
  design.bed_model = 1;
  EXPECT_FALSE(MenuMarks(kCmdSheetCurrents, design, view).enabled);
  ASSERT_TRUE(ComputeBedModel(design, progress));
  EXPECT_TRUE(MenuMarks(kCmdSheetCurrents, design, view).enabled);
  design.frequency_hz *= 2.0;
  EXPECT_FALSE(MenuMarks(kCmdSheetCurrents, design, view).enabled);
  design.frequency_hz /= 2.0;
  design.bed_model = 0;
  EXPECT_FALSE(MenuMarks(kCmdSheetCurrents, design, view).enabled);
}

TEST_F(MenuMarksTest, UndoRedoRecentAndLiveUpdateFollowTheWindow) {
  struct Case {
    int id;
    bool SessionMarks::*fact;
    bool checks;  // the fact checks the item instead of enabling it
  };
  const Case cases[] = {
      {kCmdUndo, &SessionMarks::can_undo, false},
      {kCmdRedo, &SessionMarks::can_redo, false},
      {kCmdOpenRecent, &SessionMarks::has_recent_files, false},
      {kCmdLiveUpdate, &SessionMarks::live_update, true},
  };
  for (const Case& c : cases) {
    for (const bool on : {false, true}) {
      SessionMarks session;
      session.*c.fact = on;
      const MenuMark mark = MenuMarks(c.id, design, view, session);
      EXPECT_EQ(mark.checkable, c.checks) << c.id;
      EXPECT_EQ(c.checks ? mark.checked : mark.enabled, on) << c.id;
      if (c.checks) {
        EXPECT_TRUE(mark.enabled) << c.id;
      }
    }
  }
}

TEST(MainWindowPlacement, SitsFiftyPixelsInAndHundredSmaller) {
  EXPECT_EQ(MainWindowPlacement(1024, 768), (WindowPlacement{50, 50, 924, 668}));
  EXPECT_EQ(MainWindowPlacement(1920, 1080), (WindowPlacement{50, 50, 1820, 980}));
}

TEST(MainWindowPlacement, SmallScreensGetTheFullWidthOrHeightFromZero) {
  EXPECT_EQ(MainWindowPlacement(99, 768), (WindowPlacement{0, 50, 99, 668}));
  EXPECT_EQ(MainWindowPlacement(1024, 60), (WindowPlacement{50, 0, 924, 60}));
  EXPECT_EQ(MainWindowPlacement(40, 30), (WindowPlacement{0, 0, 40, 30}));
  // Exactly 100 leaves a window of no size, not the full screen.
  EXPECT_EQ(MainWindowPlacement(100, 100), (WindowPlacement{50, 50, 0, 0}));
}

}  // namespace
}  // namespace orvendi
