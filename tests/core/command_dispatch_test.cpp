#include "core/app/command_dispatch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "core/app/app_state.h"
#include "core/app/menu_model.h"
#include "support/fake_host.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

using Action = CommandOutcome::Action;

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ApplyViewDefaults(state->view, host);
    ApplyDesignDefaults(state->design);
    UpdateWindowCentre(state->view, 800, 600);
    host.log.clear();
  }

  CommandOutcome Run(int id) { return DispatchCommand(id, *state, host); }

  std::unique_ptr<AppState> state = std::make_unique<AppState>();
  testing::FakeHost host;
};

TEST_F(DispatchTest, BeepIdsOnlyBeep) {
  for (int id = 1000; id <= 1004; ++id) {
    EXPECT_EQ(Run(id).action, Action::kBeep) << id;
  }
  EXPECT_TRUE(host.log.empty());
}

TEST_F(DispatchTest, IdsWithoutAHandlerGoToTheDefault) {
  for (int id : {0, 999, 1009, 1010, 1011, 1017, 1022, 1024, 1027, 1030, 1055, -1}) {
    EXPECT_EQ(Run(id).action, Action::kUnhandled) << id;
  }
  EXPECT_TRUE(host.log.empty());
}

// Each row of the table, run on fresh records with results: what the window is handed, and the
// item's check mark, follow the row.
TEST(DispatchTable, EveryCommandRunsAsItsRowSays) {
  for (const Command& command : CommandTable()) {
    SCOPED_TRACE(command.id);
    auto state = std::make_unique<AppState>();
    testing::FakeHost host;
    ApplyViewDefaults(state->view, host);
    ApplyDesignDefaults(state->design);
    UpdateWindowCentre(state->view, 800, 600);
    state->design.results_valid = 1;
    host.log.clear();
    const CommandOutcome outcome = DispatchCommand(command.id, *state, host);
    switch (command.run) {
      case RunKind::kHandler:
        EXPECT_EQ(outcome.action, command.action);
        EXPECT_NE(outcome.action, Action::kUnhandled);
        break;
      case RunKind::kSubmenu:
        EXPECT_EQ(outcome.action, Action::kUnhandled);
        break;
      case RunKind::kDialog:
        EXPECT_EQ(outcome.action, Action::kDialog);
        EXPECT_EQ(outcome.dialog, command.name);
        EXPECT_NE(FindDialog(outcome.dialog), nullptr);
        EXPECT_EQ(outcome.owner, command.owner);
        EXPECT_EQ(outcome.repaint_after_ok, command.repaint_after_ok);
        break;
      case RunKind::kPlot:
        EXPECT_EQ(outcome.action, Action::kPlot);
        EXPECT_EQ(outcome.dialog, command.name);
        break;
      case RunKind::kToggle:
      case RunKind::kSelectView:
      case RunKind::kScale:
      case RunKind::kEditMode:
      case RunKind::kCalculate:
        EXPECT_EQ(outcome.action, Action::kDone);
        EXPECT_EQ(outcome.step_name, command.step_name);
        break;
    }
    // Opening something changes nothing by itself; the rest set what their item then shows.
    if (command.run == RunKind::kHandler || command.run == RunKind::kDialog || command.run == RunKind::kPlot) {
      EXPECT_TRUE(host.log.empty());
    }
    if (command.check == CheckRule::kByRun && command.run != RunKind::kToggle) {
      EXPECT_TRUE(MenuMarks(command.id, state->design, state->view).checked);
    }
  }
}

TEST_F(DispatchTest, RecentIdsOpenTheirPlaceInTheList) {
  EXPECT_EQ(Run(kCmdRecentFirst).action, Action::kOpenRecent);
  EXPECT_EQ(Run(kCmdRecentFirst).recent_index, 0);
  EXPECT_EQ(Run(kCmdRecentLast).recent_index, 7);
  EXPECT_EQ(Run(kCmdRecentLast + 1).action, Action::kUnhandled);
  // The submenu's own id does nothing.
  EXPECT_EQ(Run(kCmdOpenRecent).action, Action::kUnhandled);
}

TEST_F(DispatchTest, ExportNeedsResults) {
  EXPECT_EQ(Run(kCmdExportCsv).action, Action::kDone);
  Run(kCmdCalculate);
  ASSERT_EQ(state->design.results_valid, 1);
  EXPECT_EQ(Run(kCmdExportCsv).action, Action::kExportCsv);
}

TEST(DialogEdit, SettingsDialogsAreStepsNamedByTheirTitleResultDialogsAreNot) {
  const auto bed = DialogEditOf("BedDesign");
  ASSERT_TRUE(bed.has_value());
  EXPECT_EQ(bed->step_name, "Bed Design");
  EXPECT_TRUE(bed->sets_bed_stale);
  const auto noise = DialogEditOf("SignalNoise");
  ASSERT_TRUE(noise.has_value());
  EXPECT_FALSE(noise->sets_bed_stale);
  const auto scan = DialogEditOf("ScanOptions");
  ASSERT_TRUE(scan.has_value());
  EXPECT_EQ(scan->step_name, "Scan Options");
  EXPECT_FALSE(scan->sets_bed_stale);
  for (const char* shows_only : {"DisplayBedVoltages", "DisplayBedCurrents", "PositionAccuracy", "AboutDialog"}) {
    EXPECT_FALSE(DialogEditOf(shows_only).has_value()) << shows_only;
  }
}

TEST_F(DispatchTest, TogglesFlipTheirFlagAndRepaintTheWholeArea) {
  struct Toggle {
    int id;
    std::int32_t DesignRecord::*flag;
    std::int32_t initial;
  };
  const Toggle toggles[] = {
      {1029, &DesignRecord::show_generators, 1}, {1032, &DesignRecord::show_bed, 1},
      {1040, &DesignRecord::show_actual_map, 1}, {1041, &DesignRecord::show_measured_map, 1},
      {1031, &DesignRecord::show_b_field, 0}, {1200, &DesignRecord::show_error_map, 0},
  };
  for (const Toggle& t : toggles) {
    host.log.clear();
    EXPECT_EQ(state->design.*t.flag, t.initial);
    EXPECT_EQ(Run(t.id).action, Action::kDone);
    EXPECT_EQ(state->design.*t.flag, 1 - t.initial) << t.id;
    EXPECT_EQ(host.log, std::vector<std::string>{"invalidate drawing all erase"});
    EXPECT_EQ(MenuMarks(t.id, state->design, state->view).checked, t.initial == 0);
    Run(t.id);
    EXPECT_EQ(state->design.*t.flag, t.initial) << t.id;
  }
}

TEST_F(DispatchTest, OnlyTheErrorMapToggleIsAnUndoStepAmongTheToggles) {
  EXPECT_EQ(Run(kCmdViewErrorMap).step_name, kErrorMapStepName);
  for (const int id : {1029, 1032, 1040, 1041, 1031}) EXPECT_TRUE(Run(id).step_name.empty()) << id;
}

TEST_F(DispatchTest, ErrorMapSettingsAndTheAnalysisWindowsAreHandedBack) {
  const CommandOutcome settings = Run(kCmdErrorMapSettings);
  EXPECT_EQ(settings.action, Action::kDialog);
  EXPECT_EQ(std::string(settings.dialog), "ErrorMap");
  EXPECT_TRUE(settings.repaint_after_ok);
  const auto edit = DialogEditOf("ErrorMap");
  ASSERT_TRUE(edit.has_value());
  EXPECT_EQ(edit->step_name, kErrorMapStepName);
  EXPECT_FALSE(edit->sets_bed_stale);

  EXPECT_EQ(Run(kCmdMonteCarlo).action, Action::kMonteCarlo);
  EXPECT_EQ(Run(kCmdSweep).action, Action::kSweep);
  EXPECT_EQ(Run(kCmdOptimizeLayout).action, Action::kOptimize);
  EXPECT_EQ(std::string(Run(kCmdTargets).dialog), "Targets");
  EXPECT_EQ(Run(kCmdPrecisionBound).action, Action::kBound);
  const CommandOutcome distance = Run(kCmdErrorDistancePlot);
  EXPECT_EQ(distance.action, Action::kPlot);
  EXPECT_EQ(std::string(distance.dialog), "ErrorDistance");
  EXPECT_EQ(std::string(Run(kCmdErrorHistogram).dialog), "ErrorHistogram");
  // None of them changes anything before the window asks.
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(state->design.show_error_map, 0);
}

TEST_F(DispatchTest, ViewAndScaleCommandsChangeTheViewState) {
  state->view.view_centre_y = 0.2;
  Run(kCmdViewSide);
  EXPECT_EQ(state->view.current_view, 2);
  EXPECT_EQ(state->view.hscroll_pos, 700);
  Run(kCmdViewFront);
  EXPECT_EQ(state->view.current_view, 1);
  Run(kCmdViewPlan);
  EXPECT_EQ(state->view.current_view, 0);

  const struct {
    int id;
    int percent;
    double pixels;
  } scales[] = {{1012, 50, 200}, {1013, 75, 300}, {1014, 100, 400}, {1015, 150, 600}, {1016, 200, 800}};
  for (const auto& s : scales) {
    const int hscroll = state->view.hscroll_pos;
    Run(s.id);
    EXPECT_EQ(state->view.scale_percent, s.percent);
    EXPECT_EQ(state->view.pixels_per_metre_x, s.pixels);
    EXPECT_EQ(state->view.pixels_per_metre_y, s.pixels);
    EXPECT_EQ(state->view.pixels_per_metre_z, s.pixels);
    EXPECT_EQ(state->view.hscroll_pos, hscroll);
  }
}

TEST_F(DispatchTest, EditModeCommandsSwitchModeAndHandles) {
  Run(kCmdBedPosition);
  EXPECT_EQ(state->design.edit_mode, 1);
  EXPECT_EQ(state->bed_edit.bed_handles_shown, 1);
  EXPECT_GE(host.log.size(), 2u);  // bed area and mode-name field repainted
  Run(kCmdGeneratorPosition);
  EXPECT_EQ(state->design.edit_mode, 0);
  EXPECT_EQ(state->bed_edit.bed_handles_shown, 0);
}

TEST_F(DispatchTest, CalculateFillsTheResultsAndEnablesPositionalError) {
  EXPECT_FALSE(MenuMarks(kCmdPositionalError, state->design, state->view).enabled);
  EXPECT_EQ(Run(kCmdCalculate).action, Action::kDone);
  EXPECT_EQ(state->design.results_valid, 1);
  EXPECT_TRUE(MenuMarks(kCmdPositionalError, state->design, state->view).enabled);
  // The grid's first point (-0.25, -0.25, 0.4) has an estimate near it.
  const double* slot = state->results.Slot(0, 0);
  ASSERT_NE(slot, nullptr);
  EXPECT_NEAR(slot[0], -0.25, 0.01);
  EXPECT_NEAR(slot[1], -0.25, 0.01);
  EXPECT_NEAR(slot[2], 0.4, 0.01);
  EXPECT_EQ(host.Count("capture"), host.Count("release"));
  EXPECT_EQ(host.Count("wait"), host.Count("restore"));
  EXPECT_GE(host.Count("invalidate drawing all erase"), 1);
}

}  // namespace
}  // namespace orvendi
