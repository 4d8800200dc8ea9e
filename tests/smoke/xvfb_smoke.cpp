// Starts the program's main window on a real X display (run under Xvfb), measures the time from
// launch to the first paint of the drawing area, runs "Calculate" from the menu, grabs the screen
// and checks the picture: generators red, actual map green, measured map blue.
//
// Arguments: --launched-at-ns=N (CLOCK_REALTIME when the launching shell started this process)
//            --screenshot=PATH  (where the grabbed screen is saved)

#include <sys/resource.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <set>
#include <cstdlib>
#include <ctime>
#include <string>

#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

#include "core/position/scan_grid.h"
#include "gui/shell/main_window.h"
#include "core/app/menu_model.h"
#include "support/modal_probe.h"
#include "core/views/colour_map.h"
#include "gui/widgets/drawing_window.h"
#include "core/views/view_geometry.h"

namespace {

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

long long RealtimeNs() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool WaitFor(const bool& flag, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  while (!flag && clock.elapsed() < timeout_ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
  return flag;
}

int failures = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

// The colour within `radius` pixels of (x, y) on the screen image.
bool ColourNear(const QImage& screen, QPoint at, QRgb colour, int radius = 0) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      const QPoint p = at + QPoint(dx, dy);
      if (!screen.rect().contains(p)) continue;
      if ((screen.pixel(p) & 0xFFFFFF) == (colour & 0xFFFFFF)) return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const long long main_ns = RealtimeNs();
  long long launched_ns = 0;
  std::string screenshot = "xvfb_smoke.png";
  bool startup_only = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--launched-at-ns=", 0) == 0) launched_ns = std::atoll(arg.c_str() + 17);
    if (arg.rfind("--screenshot=", 0) == 0) screenshot = arg.substr(13);
    if (arg == "--startup-only") startup_only = true;
  }
  // The point is the real window system: never the offscreen platform.
  qputenv("QT_QPA_PLATFORM", "xcb");

  QApplication app(argc, argv);
  const long long app_ns = RealtimeNs();
  orvendi::MainWindow window;
  const long long window_ns = RealtimeNs();
  bool painted = false;
  long long first_paint_ns = 0;
  double first_paint_cpu_ms = 0.0;
  QObject::connect(window.Drawing(), &orvendi::DrawingWindow::FirstPainted, [&] {
    first_paint_ns = RealtimeNs();
    first_paint_cpu_ms = CpuMs();
    painted = true;
  });
  window.show();
  Check(WaitFor(painted, 10000), "the drawing area was painted");
  if (painted) {
    std::printf("start-up to first paint: %.1f ms from main()", (first_paint_ns - main_ns) / 1e6);
    if (launched_ns > 0) std::printf(", %.1f ms from launch", (first_paint_ns - launched_ns) / 1e6);
    std::printf(" (application object %.1f ms, main window %.1f ms, show to paint %.1f ms)\n",
                (app_ns - main_ns) / 1e6, (window_ns - app_ns) / 1e6, (first_paint_ns - window_ns) / 1e6);
    std::printf("processor time of this process up to the first paint: %.1f ms\n", first_paint_cpu_ms);
  }

  if (startup_only) return failures == 0 ? 0 : 1;

  QScreen* screen = window.screen();
  const orvendi::AppState& state = window.State();
  QWidget* viewport = window.Drawing()->viewport();
  const QPoint origin = viewport->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
  auto on_screen = [&](double x, double y, double z) {
    return origin +
           QPoint(orvendi::WorldToWindowX(state.view, x, y), orvendi::WorldToWindowY(state.view, y, z));
  };
  auto generators_red = [&](const QImage& shot, const char* when) {
    for (int g = 0; g < 3; ++g) {
      const orvendi::GeneratorRecord& generator = state.design.generators[g];
      // The measured map is drawn last and may cross the disc's centre.
      Check(ColourNear(shot, on_screen(generator.x, generator.y, generator.z), qRgb(255, 0, 0), 2),
            "generator " + std::to_string(g) + " is red " + when);
    }
  };

  RunEventsFor(200);
  const QImage before = screen->grabWindow(0).toImage();
  generators_red(before, "before the calculation");
  // The actual map's grid line x = -0.05 m between two rows of scan points; the measured map,
  // drawn over it after the calculation, hides it where the estimates are exact.
  Check(ColourNear(before, on_screen(-0.05, -0.2, 0.4), qRgb(0, 255, 0)), "the actual map is green");
  Check(!ColourNear(before, on_screen(-0.05, -0.2, 0.4), qRgb(0, 0, 255), 3),
        "no measured map before the calculation");

  QAction* calculate = window.ActionFor(orvendi::kCmdCalculate);
  Check(calculate != nullptr && calculate->text() == "Calcula&te", "the menu holds \"Calcula&te\"");
  if (calculate != nullptr) calculate->trigger();
  Check(window.State().design.results_valid == 1, "the calculation ran");
  RunEventsFor(300);

  const QImage shot = screen->grabWindow(0).toImage();
  Check(!shot.isNull() && shot.save(QString::fromStdString(screenshot)), "screenshot saved to " + screenshot);
  generators_red(shot, "after the calculation");

  // Measured positions: blue where the estimates lie.
  int blue_points = 0;
  int points = 0;
  orvendi::ScanState scan;
  orvendi::ScanStart(scan, state.design);
  orvendi::ScanPoint point;
  while (orvendi::ScanNextAlongFirst(scan, point)) {
    const double* slot = state.results.Slot(point.first_index, point.second_index);
    if (slot == nullptr) continue;
    ++points;
    blue_points += ColourNear(shot, on_screen(slot[0], slot[1], slot[2]), qRgb(0, 0, 255), 1);
  }
  Check(points == 36 && blue_points == points, "the measured map is blue at " + std::to_string(blue_points) +
                                                   " of " + std::to_string(points) + " estimates");

  int blank = 0;
  const QRect drawing_on_screen(origin, viewport->size());
  for (int y = drawing_on_screen.top(); y <= drawing_on_screen.bottom(); y += 7) {
    for (int x = drawing_on_screen.left(); x <= drawing_on_screen.right(); x += 7) {
      blank += (shot.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
    }
  }
  const int samples = ((drawing_on_screen.height() + 6) / 7) * ((drawing_on_screen.width() + 6) / 7);
  Check(blank < samples, "the screenshot is not blank");

  // Every dialog of the menu opens on the real display and goes away again. The marks are set
  // as the menu sets them when it opens ("Positional Error..." is available after the run).
  window.UpdateMenuMarks();
  for (const orvendi::MenuPopup& popup : orvendi::CommandMenu()) {
    for (const orvendi::MenuEntry& entry : popup.entries) {
      const bool dialog = std::string(entry.caption).find("...") != std::string::npos ||
                          entry.id == orvendi::kCmdSensorDesign || entry.id == orvendi::kCmdBedDesign ||
                          entry.id == orvendi::kCmdSensorOrientation;
      if (entry.id == 0 || !dialog) continue;
      const orvendi::testing::ModalSeen seen =
          orvendi::testing::ProbeModal([&] { window.ActionFor(entry.id)->trigger(); });
      Check(seen.seen, std::string(entry.caption) + " opens \"" + seen.title.toStdString() + "\"");
    }
  }

  // The error map over the grid: every cell's middle in a colour of the table, the legend's bar
  // at the top-left corner. Last, as turning it on is a change of the design, after which the
  // file commands would first ask about saving.
  const auto viridis = [](QRgb pixel) {
    for (const orvendi::Rgb& c : orvendi::ViridisColours()) {
      if ((pixel & 0xFFFFFF) == (qRgb(c.r, c.g, c.b) & 0xFFFFFF)) return true;
    }
    return false;
  };
  window.ActionFor(orvendi::kCmdViewErrorMap)->trigger();
  Check(state.design.show_error_map == 1, "\"View &Error Map\" turns the error map on");
  RunEventsFor(300);
  const QImage mapped = screen->grabWindow(0).toImage();
  const std::string map_shot = screenshot.substr(0, screenshot.rfind('.')) + "_error_map.png";
  Check(!mapped.isNull() && mapped.save(QString::fromStdString(map_shot)), "screenshot saved to " + map_shot);
  int coloured_cells = 0;
  for (int j = 0; j < 5; ++j) {
    for (int i = 0; i < 5; ++i) {
      coloured_cells += viridis(mapped.pixel(on_screen(-0.2 + 0.1 * i, -0.2 + 0.1 * j, 0.4)));
    }
  }
  Check(coloured_cells == 25, "the error map colours " + std::to_string(coloured_cells) + " of 25 cells");
  std::set<QRgb> bar_colours;
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 300; ++x) {
      const QRgb pixel = mapped.pixel(origin + QPoint(x, y));
      if (viridis(pixel)) bar_colours.insert(pixel & 0xFFFFFF);
    }
  }
  Check(bar_colours.size() >= 200, "the legend's bar shows " + std::to_string(bar_colours.size()) +
                                       " colours of the table at the top-left corner");

  window.ActionFor(orvendi::kCmdCopy)->trigger();
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  Check(copied != nullptr && copied->hasFormat("image/svg+xml") &&
            copied->data("image/svg+xml").contains("<svg"),
        "\"&Copy\" puts an SVG picture on the clipboard");

  // The error map's toggle changed the design, so closing asks first; "No" closes unsaved.
  const orvendi::testing::ModalSeen asked = orvendi::testing::ProbeModal(
      [&] { window.close(); }, {},
      [](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) box->button(QMessageBox::No)->click();
      });
  Check(asked.seen && !window.isVisible(), "closing a changed design asks about saving, and \"No\" closes");
  std::printf("%s\n", failures == 0 ? "smoke test passed" : "smoke test FAILED");
  return failures == 0 ? 0 : 1;
}
