#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "core/design/design_record.h"
#include "core/field/bed_model.h"
#include "core/platform/host.h"
#include "core/platform/progress.h"
#include "core/position/calculation.h"
#include "core/views/error_map.h"
#include "core/views/field_display.h"
#include "core/views/scene_painter.h"
#include "core/views/view_geometry.h"
#include "core/views/view_state.h"

#ifdef ORVENDI_BENCH_GUI
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "gui/widgets/qt_canvas.h"
#endif

namespace orvendi {
namespace {

// A 1920 x 1080 drawing area with every layer on: a 21 x 21 scan grid with its measured map,
// the bed with its handles, and the field layer summing all nine coils and their bed fields.
struct FullScene {
  FullScene() {
    NullHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 1920, 1080);
    design.scan_x_step = 0.025;
    design.scan_y_step = 0.025;
    CalculationWork work;
    NoProgress progress;
    CalculateCommand(design, results, work, progress);
    RefreshBedModel(design, progress);
    design.show_b_field = 1;
    design.coil_display.fill(1);
    design.display_bed_field = 1;
  }
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
  bool bed_handles = true;
};

// Counts calls only: the cost of the layers' own work without a raster surface.
class CountingCanvas : public Canvas {
 public:
  Pen SelectPen(const Pen& pen) override { return std::exchange(pen_, pen); }
  Brush SelectBrush(const Brush& brush) override { return std::exchange(brush_, brush); }
  bool SetInvert(bool on) override { return std::exchange(invert_, on); }
  void MoveTo(int x, int y) override { sum += x + y; }
  void LineTo(int x, int y) override { sum += x - y; }
  void Ellipse(int l, int t, int r, int b) override { sum += l + t + r + b; }
  void Rectangle(int l, int t, int r, int b) override { sum += l - t + r - b; }
  void Text(int, int, std::string_view, const TextStyle&) override {}
  TextSize MeasureText(std::string_view, const Font&) override { return {}; }
  long long sum = 0;

 private:
  Pen pen_;
  Brush brush_;
  bool invert_ = false;
};

void BM_FieldLayerOnly(benchmark::State& state) {
  FullScene scene;
  CountingCanvas canvas;
  for (auto _ : state) {
    DrawBField(canvas, scene.design, scene.view);
    benchmark::DoNotOptimize(canvas.sum);
  }
}
BENCHMARK(BM_FieldLayerOnly)->Unit(benchmark::kMillisecond);

// A 101 x 101 grid over 2 m x 2 m (800 x 800 pixels at 100 %) with estimates a little off and a few
// points without one, actual and measured map as grids, generators and bed: what the error map
// adds to a full repaint.
struct LargeGridScene {
  LargeGridScene() {
    NullHost host;
    ApplyViewDefaults(view, host);
    ApplyDesignDefaults(design);
    UpdateWindowCentre(view, 1920, 1080);
    design.scan_x_from = design.scan_y_from = -1.0;
    design.scan_x_to = design.scan_y_to = 1.0;
    design.scan_x_step = design.scan_y_step = 0.02;
    design.results_valid = 1;
    ScanState scan;
    ScanStart(scan, design);
    ScanPoint p;
    unsigned noise = 12345;
    const auto next = [&noise] {
      noise = noise * 1103515245u + 12345u;
      return static_cast<double>((noise >> 16) & 0x7fff) / 32768.0 - 0.5;
    };
    while (ScanNextAlongFirst(scan, p)) {
      double* slot = results.Slot(p.first_index, p.second_index);
      const bool failed = (p.first_index * 7 + p.second_index * 3) % 97 == 0;
      slot[0] = failed ? std::nan("") : p.x + 1e-3 * next() * (1.0 + p.x * p.x);
      slot[1] = p.y + 1e-3 * next();
      slot[2] = p.z + 1e-4 * next();
    }
  }
  DesignRecord design;
  ViewState view;
  ResultBuffer results;
};

#ifdef ORVENDI_BENCH_GUI
// Repaints of a 1920 x 1080 image through QtCanvas, as the drawing window does them.
void RepaintLoop(benchmark::State& state, const DesignRecord& design, const ViewState& view,
                 const ResultBuffer& results, bool bed_handles) {
  QImage image(1920, 1080, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    PaintScene(canvas, design, view, results, bed_handles);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}

// The full repaint.
void BM_PaintSceneFull1920x1080(benchmark::State& state) {
  FullScene scene;
  RepaintLoop(state, scene.design, scene.view, scene.results, scene.bed_handles);
}
BENCHMARK(BM_PaintSceneFull1920x1080)->Unit(benchmark::kMillisecond);

// The same without the field layer: what the drawing surface itself costs.
void BM_PaintSceneWithoutField1920x1080(benchmark::State& state) {
  FullScene scene;
  scene.design.show_b_field = 0;
  RepaintLoop(state, scene.design, scene.view, scene.results, scene.bed_handles);
}
BENCHMARK(BM_PaintSceneWithoutField1920x1080)->Unit(benchmark::kMillisecond);

// The legend's text needs fonts, which need an application object.
void EnsureGuiApplication() {
  if (QGuiApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "orvendi_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
}

void PaintLargeGrid(benchmark::State& state, bool error_map) {
  EnsureGuiApplication();
  LargeGridScene scene;
  scene.design.show_error_map = error_map ? 1 : 0;
  RepaintLoop(state, scene.design, scene.view, scene.results, false);
}

// On a busy machine the fastest of the repetitions tells the cost best (--benchmark_repetitions).
double Fastest(const std::vector<double>& times) { return *std::min_element(times.begin(), times.end()); }

void BM_PaintScene101x101Grid1920x1080(benchmark::State& state) { PaintLargeGrid(state, false); }
BENCHMARK(BM_PaintScene101x101Grid1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);

void BM_PaintScene101x101GridWithErrorMap1920x1080(benchmark::State& state) { PaintLargeGrid(state, true); }
BENCHMARK(BM_PaintScene101x101GridWithErrorMap1920x1080)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", Fastest);
#endif

// The error map's own work on the 101 x 101 grid, without a raster surface.
void BM_ErrorMapLayerOnly101x101(benchmark::State& state) {
  LargeGridScene scene;
  CountingCanvas canvas;
  for (auto _ : state) {
    const ErrorMapGrid grid = CollectErrorMapGrid(scene.design, scene.results, nullptr);
    DrawErrorMap(canvas, scene.view, grid);
    DrawErrorLegend(canvas, scene.design, &grid);
    benchmark::DoNotOptimize(canvas.sum);
  }
}
BENCHMARK(BM_ErrorMapLayerOnly101x101)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvendi
