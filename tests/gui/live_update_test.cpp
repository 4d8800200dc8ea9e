#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/design/number_text.h"
#include "gui/dialogs/preferences_dialog.h"
#include "core/platform/compute_threads.h"
#include "core/platform/host.h"
#include "core/position/calculation.h"
#include "gui/shell/main_window.h"
#include "gui/studies/design_analyses.h"
#include "core/app/menu_model.h"
#include "support/modal_probe.h"
#include "core/views/design_history.h"
#include "gui/widgets/drawing_window.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

constexpr int kPatienceMs = 60000;

bool SameBits(const ResultBuffer& a, const ResultBuffer& b) {
  return std::memcmp(a.Slot(0, 0), b.Slot(0, 0), sizeof(double) * ResultBuffer::kSize) == 0;
}

void ForgetProgramSettings() {
  QSettings settings;
  settings.remove(QStringLiteral("results/liveUpdate"));
  settings.remove(QStringLiteral("compute/threads"));
}

class LiveUpdateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetProgramSettings();
    window = std::make_unique<MainWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    State().design.app_active = 1;
    viewport = window->Drawing()->viewport();
  }

  void TearDown() override {
    if (window) {
      window->State().design.design_modified = 0;
      window->close();
      window.reset();
    }
    ForgetProgramSettings();
    SetComputeThreads(0);
  }

  AppState& State() { return window->State(); }

  QPoint Window(double x, double y) const {
    const ViewState& view = window->State().view;
    return QPoint(WorldToWindowX(view, x, y), WorldToWindowY(view, y, 0.0));
  }

  // `steps` x `steps` scan steps over the default square, with algorithm 2 and some noise.
  void UseGrid(int steps) {
    DesignRecord& design = State().design;
    design.algorithm_type = 2;
    design.noise_peak_v = 2e-5;
    design.scan_x_step = design.scan_y_step = 0.5 / steps;
    InvalidateDrawing(*window->Drawing());
  }

  // Until the result of the latest request is shown. Sleeps until an event comes (the worker's
  // call is one), so that the time measured is the window's, not a polling interval.
  bool WaitForLatest() {
    const auto shown = [&] {
      return State().live.shown && State().live.result.generation == window->Analyses().Live().LatestRequest();
    };
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(50);
    while (!shown()) {
      if (clock.elapsed() > kPatienceMs) return false;
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
  }

  // What "Calculate" would make of the design now, without making it.
  ResultBuffer CalculatedNow(const DesignRecord& design) {
    DesignRecord copy = design;
    CalculationWork work = State().work;
    ResultBuffer results;
    NullHost host;
    CalculateCommand(copy, results, work, host);
    return results;
  }

  std::unique_ptr<MainWindow> window;
  QWidget* viewport = nullptr;
};

TEST_F(LiveUpdateTest, IsOffAtFirstAndTheSettingIsKept) {
  QAction* action = window->ActionFor(kCmdLiveUpdate);
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->isCheckable());
  EXPECT_FALSE(action->isChecked());
  EXPECT_FALSE(window->Analyses().LiveUpdate());

  action->trigger();
  EXPECT_TRUE(window->Analyses().LiveUpdate());
  EXPECT_TRUE(action->isChecked());
  EXPECT_TRUE(QSettings().value(QStringLiteral("results/liveUpdate")).toBool());
  {
    MainWindow second;
    EXPECT_TRUE(second.Analyses().LiveUpdate());
    EXPECT_TRUE(second.ActionFor(kCmdLiveUpdate)->isChecked());
  }
  action->trigger();
  EXPECT_FALSE(window->Analyses().LiveUpdate());
  EXPECT_FALSE(QSettings().value(QStringLiteral("results/liveUpdate")).toBool());
}

TEST_F(LiveUpdateTest, TheMeasuredMapFollowsADraggedGeneratorAndTheDropIsCalculatedWhole) {
  UseGrid(40);
  const DesignRecord original = State().design;
  const CalculationWork work_before = State().work;
  window->Analyses().SetLiveUpdate(true);
  ASSERT_TRUE(WaitForLatest());
  EXPECT_TRUE(SameBits(State().live.result.results, CalculatedNow(original)));
  const QImage at_start = window->Drawing()->SceneImage();

  const QPoint start = Window(0.25, 0.25);
  const QPoint target = Window(0.1, 0.3);
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  ASSERT_EQ(State().drag.drag_active, 1);
  for (int step = 1; step <= 4; ++step) {
    const QPoint at = start + (target - start) * step / 4;
    QTest::mouseMove(viewport, at);
    ASSERT_TRUE(WaitForLatest()) << step;
    const LiveResult& shown = State().live.result;
    EXPECT_EQ(shown.stride, 1);
    EXPECT_EQ(shown.design.generators[2].x, WindowToWorldX(State().view, at.x()));
    // The design itself stays as it was until the drop.
    EXPECT_EQ(State().design.generators[2].x, original.generators[2].x);
  }
  EXPECT_FALSE(SameBits(State().live.result.results, CalculatedNow(original)));
  EXPECT_NE(window->Drawing()->SceneImage(), at_start);
  EXPECT_EQ(State().drag.mark_shown, 1);

  QTest::mouseRelease(viewport, Qt::LeftButton, {}, target);
  ASSERT_TRUE(WaitForLatest());
  EXPECT_NE(State().design.generators[2].x, original.generators[2].x);
  EXPECT_TRUE(SameBits(State().live.result.results, CalculatedNow(State().design)));
  // The real run's state is the program's own: no results, the noise sequence where it was.
  EXPECT_EQ(State().design.results_valid, 0);
  EXPECT_EQ(State().work.noise, work_before.noise);
  EXPECT_EQ(window->UndoStack().count(), 1);
}

TEST_F(LiveUpdateTest, ALargeGridIsCoarseDuringTheDragAndWholeAfterTheDrop) {
  UseGrid(100);
  window->Analyses().SetLiveUpdate(true);
  State().design.edit_mode = 1;
  State().bed_edit.bed_handles_shown = 1;
  State().design.include_bed_currents = 1;
  const QPoint grab = Window(-0.25, 0.5) + QPoint(0, 3);
  QTest::mousePress(viewport, Qt::LeftButton, {}, grab);
  ASSERT_EQ(State().bed_edit.bed_move_active, 1);
  QTest::mouseMove(viewport, grab + QPoint(20, -20));
  ASSERT_TRUE(WaitForLatest());
  EXPECT_EQ(State().live.result.stride, 3);
  EXPECT_NEAR(State().live.result.design.bed_x1, -0.45, 1e-12);
  EXPECT_EQ(State().design.bed_x1, -0.5);

  QTest::mouseRelease(viewport, Qt::LeftButton, {}, grab + QPoint(20, -20));
  ASSERT_TRUE(WaitForLatest());
  EXPECT_EQ(State().live.result.stride, 1);
  EXPECT_TRUE(SameBits(State().live.result.results, CalculatedNow(State().design)));
}

TEST_F(LiveUpdateTest, WhenOffADragComputesNothing) {
  UseGrid(40);
  const QPoint start = Window(0.25, 0.25);
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  for (int step = 1; step <= 5; ++step) QTest::mouseMove(viewport, start + QPoint(-10 * step, 5 * step));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(-50, 25));
  QApplication::processEvents();
  EXPECT_EQ(window->Analyses().Live().LatestRequest(), 0u);
  EXPECT_FALSE(State().live.shown);
}

TEST_F(LiveUpdateTest, CalculateAndTurningItOffShowTheRunsOwnResults) {
  UseGrid(20);
  window->Analyses().SetLiveUpdate(true);
  ASSERT_TRUE(WaitForLatest());
  const ResultBuffer preview = State().live.result.results;
  window->RunCommand(kCmdCalculate);
  EXPECT_FALSE(State().live.shown);
  EXPECT_EQ(State().design.results_valid, 1);
  // The run makes what the preview showed.
  EXPECT_TRUE(SameBits(State().results, preview));

  // An undo brings a computation of the design undone; turning live update off drops it.
  const QPoint start = Window(0.25, 0.25);
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  QTest::mouseMove(viewport, start + QPoint(-30, 0));
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(-30, 0));
  ASSERT_TRUE(WaitForLatest());
  window->RunCommand(kCmdUndo);
  ASSERT_TRUE(WaitForLatest());
  EXPECT_EQ(State().live.result.design.generators[2].x, 0.25);
  window->RunCommand(kCmdLiveUpdate);
  EXPECT_FALSE(State().live.shown);
  EXPECT_TRUE(window->Analyses().Live().WaitUntilIdle(std::chrono::milliseconds(kPatienceMs)));
  QApplication::processEvents();
  EXPECT_FALSE(State().live.shown);
}

// Figures for the report, at 41 x 41 points with algorithm 2: how long the window takes over a
// mouse move of a drag paced like a hand's (a move every 10 ms) with live update off and on, how
// many maps the paced drag showed, and the time from a move to the repainted map when each move
// waits for its map.
TEST_F(LiveUpdateTest, LatencyFromAMouseMoveToTheRepaintedMap) {
  UseGrid(40);
  const QPoint start = Window(0.25, 0.25);
  constexpr int kMoves = 40;
  const auto drag = [&](bool live, bool wait_for_map, std::vector<qint64>& handling,
                        std::vector<qint64>& latency) {
    window->Analyses().SetLiveUpdate(live);
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    for (int step = 1; step <= kMoves; ++step) {
      QElapsedTimer clock;
      clock.start();
      QTest::mouseMove(viewport, start + QPoint(-2 * step, step));
      handling.push_back(clock.nsecsElapsed() / 1000);
      if (!wait_for_map) {
        QTest::qWait(10);
        continue;
      }
      ASSERT_TRUE(WaitForLatest());
      viewport->repaint();
      latency.push_back(clock.nsecsElapsed() / 1000);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(-2 * kMoves, kMoves));
    window->RunCommand(kCmdUndo);
  };
  std::vector<qint64> handling_off, handling_on, handling_waited, latency, unused;
  drag(false, false, handling_off, unused);
  const std::uint64_t before_paced = window->Analyses().Live().LatestRequest();
  std::uint64_t maps_shown = 0;
  {
    // Counts the maps the paced drag put on the screen.
    window->Analyses().SetLiveUpdate(true);
    ASSERT_TRUE(WaitForLatest());
    std::uint64_t last_shown = State().live.result.generation;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (State().live.result.generation != last_shown) {
        last_shown = State().live.result.generation;
        ++maps_shown;
      }
    });
    watch.start(1);
    drag(true, false, handling_on, unused);
    watch.stop();
  }
  drag(true, true, handling_waited, latency);
  ASSERT_EQ(latency.size(), static_cast<std::size_t>(kMoves));
  EXPECT_GT(window->Analyses().Live().LatestRequest(), before_paced);

  const auto median = [](std::vector<qint64> v) {
    std::sort(v.begin(), v.end());
    return static_cast<std::int32_t>(v[v.size() / 2]);
  };
  const auto largest = [](const std::vector<qint64>& v) {
    return static_cast<std::int32_t>(*std::max_element(v.begin(), v.end()));
  };
  std::cout << "[ latency  ] 41 x 41, algorithm 2, " << FormatInteger(ComputeThreads())
            << " threads: move to repainted map median " << FormatInteger(median(latency)) << " us, largest "
            << FormatInteger(largest(latency)) << " us\n"
            << "[ latency  ] a move of a paced drag: median " << FormatInteger(median(handling_off))
            << " us, largest " << FormatInteger(largest(handling_off)) << " us live off; median "
            << FormatInteger(median(handling_on)) << " us, largest " << FormatInteger(largest(handling_on))
            << " us live on, " << FormatInteger(static_cast<std::int32_t>(maps_shown)) << " maps shown for "
            << FormatInteger(kMoves) << " moves\n";
  // Generous bounds: a loaded machine must not fail the suite, a window that waits for the
  // computation must.
  EXPECT_LT(median(latency), 1000000);
  EXPECT_LT(median(handling_on), 20000);
  EXPECT_GT(maps_shown, 0u);
}

// --- Preferences ----------------------------------------------------------------------------------

TEST_F(LiveUpdateTest, PreferencesSetTheThreadsAndKeepThem) {
  const auto answer = [&](const QString& text, bool ok, int& notices) {
    return testing::ProbeModal(
        [&] { window->RunCommand(kCmdPreferences); },
        [&](QWidget* modal) {
          auto* dialog = dynamic_cast<PreferencesDialog*>(modal);
          ASSERT_NE(dialog, nullptr);
          dialog->SetProblemNotice([&](QWidget*, const QString&) { ++notices; });
          modal->findChild<QLineEdit*>(QStringLiteral("Threads"))->setText(text);
          if (ok) modal->findChild<QPushButton*>(QStringLiteral("1"))->click();
        });
  };
  int notices = 0;
  EXPECT_TRUE(answer(QStringLiteral("3"), true, notices).seen);
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(ComputeThreadsSetting(), 3);
  EXPECT_EQ(QSettings().value(QStringLiteral("compute/threads")).toInt(), 3);

  // A bad entry: one message, the dialog stays (closed here by the probe), nothing changes.
  for (const QString& bad : {QStringLiteral("abc"), QStringLiteral("257"), QStringLiteral("-2"),
                             QStringLiteral("2.5")}) {
    notices = 0;
    const testing::ModalSeen seen = answer(bad, true, notices);
    EXPECT_TRUE(seen.seen);
    EXPECT_EQ(notices, 1) << bad.toStdString();
    EXPECT_EQ(ComputeThreadsSetting(), 3);
    EXPECT_EQ(QSettings().value(QStringLiteral("compute/threads")).toInt(), 3);
  }

  // Kept for the next start; empty is every core again.
  {
    SetComputeThreads(0);
    MainWindow second;
    EXPECT_EQ(ComputeThreadsSetting(), 3);
  }
  EXPECT_TRUE(answer(QString(), true, notices).seen);
  EXPECT_EQ(ComputeThreadsSetting(), 0);
}

TEST_F(LiveUpdateTest, AStoredThreadCountThatDoesNotReadLeavesEveryCore) {
  QSettings().setValue(QStringLiteral("compute/threads"), QStringLiteral("lots"));
  SetComputeThreads(5);
  MainWindow second;
  EXPECT_EQ(ComputeThreadsSetting(), 0);
}

}  // namespace
}  // namespace orvendi
