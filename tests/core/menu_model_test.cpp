#include "core/app/menu_model.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/design/design_record.h"
#include "support/fake_host.h"
#include "core/views/view_state.h"

namespace orvendi {
namespace {

struct Row {
  int id;
  std::string caption;
};

struct Popup {
  std::string caption;
  std::vector<Row> rows;
};

// The menu as the user sees it; 0 is a separator.
const std::vector<Popup> kExpectedMenu = {
    {"&File",
     {{1100, "&New"},
      {1101, "&Open..."},
      {1102, "Open &Recent"},
      {0, ""},
      {1103, "&Save"},
      {1104, "Save &As..."},
      {0, ""},
      {1105, "&Export Results as CSV..."},
      {0, ""},
      {1005, "E&xit"}}},
    {"&Edit", {{1110, "&Undo"}, {1111, "&Redo"}}},
    {"&Clipboard", {{1021, "&Copy"}}},
    {"&View",
     {{1006, "View &Plan"},
      {1007, "View &Front"},
      {1008, "View &Side"},
      {0, ""},
      {1029, "View &Generators"},
      {1032, "View Be&d"},
      {1040, "View &Actual Position Map"},
      {1041, "View &Measured Position Map"},
      {1031, "View &B Field"},
      {1200, "View &Error Map"},
      {0, ""},
      {1046, "&Options..."},
      {1201, "Error Map Se&ttings..."},
      {1211, "P&references..."}}},
    {"&Scale",
     {{1012, "50% Scale"},
      {1013, "75% Scale"},
      {1014, "100% Scale"},
      {1015, "150% Scale"},
      {1016, "200% Scale"}}},
    {"&Design",
     {{1054, "&Algorithm type..."},
      {1050, "&Frequency..."},
      {1042, "&Generator Coil Design..."},
      {1025, "Generator &Position"},
      {1043, "&Sensor Design"},
      {1044, "Bed Desi&gn"},
      {1045, "Bed Posi&tion"}}},
    {"&Measurement Options",
     {{1026, "Signal &Noise..."},
      {1047, "Sensor &Orientation"},
      {1048, "&Scan Options..."},
      {1051, "&Dipole Type..."},
      {1052, "&Bed Options..."}}},
    {"&Results",
     {{1049, "Calcula&te"},
      {1210, "&Live Update"},
      {1053, "Positional Error..."},
      {1037, "Bed &Voltages..."},
      {1036, "Bed &Currents..."},
      {0, ""},
      {1202, "&Monte Carlo..."},
      {1203, "&Sweep..."},
      {1204, "Error against &Distance"},
      {1205, "Error &Histogram"}}},
    {"&Help", {{1028, "&About..."}}},
};

TEST(CommandMenu, HoldsEveryPopupItemAndSeparatorInOrder) {
  const auto menu = CommandMenu();
  ASSERT_EQ(menu.size(), kExpectedMenu.size());
  for (std::size_t p = 0; p < menu.size(); ++p) {
    SCOPED_TRACE(kExpectedMenu[p].caption);
    EXPECT_EQ(std::string(menu[p].caption), kExpectedMenu[p].caption);
    ASSERT_EQ(menu[p].entries.size(), kExpectedMenu[p].rows.size());
    for (std::size_t i = 0; i < menu[p].entries.size(); ++i) {
      EXPECT_EQ(menu[p].entries[i].id, kExpectedMenu[p].rows[i].id);
      EXPECT_EQ(std::string(menu[p].entries[i].caption), kExpectedMenu[p].rows[i].caption);
    }
  }
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
                  (entry.id >= 1200 && entry.id <= 1205) || (entry.id >= 1210 && entry.id <= 1219))
          << entry.id;
    }
  }
  EXPECT_EQ(ids.size(), 49u);
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
  const std::set<int> of_the_run = {kCmdPositionalError, kCmdExportCsv, kCmdErrorDistancePlot, kCmdErrorHistogram};
  for (const int id : of_the_run) EXPECT_FALSE(MenuMarks(id, design, view).enabled) << id;
  design.results_valid = 1;
  for (const int id : of_the_run) EXPECT_TRUE(MenuMarks(id, design, view).enabled) << id;

  design.results_valid = 0;
  for (const MenuPopup& popup : CommandMenu()) {
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0 || of_the_run.count(entry.id) != 0) continue;
      EXPECT_TRUE(MenuMarks(entry.id, design, view).enabled) << entry.id;
    }
  }
  const MenuMark calculate = MenuMarks(kCmdCalculate, design, view);
  EXPECT_FALSE(calculate.checkable);
  EXPECT_FALSE(calculate.checked);
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
