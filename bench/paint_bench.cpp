#include <benchmark/benchmark.h>

#include "design/design_record.h"
#include "field/bed_model.h"
#include "views/field_display.h"
#include "platform/host.h"
#include "position/calculation.h"
#include "views/scene_painter.h"
#include "views/view_geometry.h"
#include "views/view_state.h"

#ifdef ORVENDI_BENCH_GUI
#include <QImage>
#include <QPainter>

#include "platform/qt_canvas.h"
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
    CalculateCommand(design, results, work, host);
    RefreshBedModel(design, host);
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

#ifdef ORVENDI_BENCH_GUI
// The full repaint into an image through QtCanvas, as the drawing window does it.
void BM_PaintSceneFull1920x1080(benchmark::State& state) {
  FullScene scene;
  QImage image(1920, 1080, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    PaintScene(canvas, scene.design, scene.view, scene.results, scene.bed_handles);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintSceneFull1920x1080)->Unit(benchmark::kMillisecond);

// The same without the field layer: what the drawing surface itself costs.
void BM_PaintSceneWithoutField1920x1080(benchmark::State& state) {
  FullScene scene;
  scene.design.show_b_field = 0;
  QImage image(1920, 1080, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    PaintScene(canvas, scene.design, scene.view, scene.results, scene.bed_handles);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintSceneWithoutField1920x1080)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace orvendi
