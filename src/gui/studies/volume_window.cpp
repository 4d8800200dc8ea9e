#include "gui/studies/volume_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "core/analysis/csv_text.h"
#include "core/views/clipboard_copy.h"
#include "core/views/report_html.h"
#include "gui/widgets/qt_canvas.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

constexpr int kPlotWidth = 520;
constexpr int kPlotHeight = 300;

// Paints through the core's canvas code whatever `paint` draws on a white surface.
class CanvasWidget : public QWidget {
 public:
  CanvasWidget(int width, int height, std::function<void(Canvas&, int, int)> paint, QWidget* parent)
      : QWidget(parent), paint_(std::move(paint)) {
    setFixedSize(width, height);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    QtCanvas canvas(painter);
    paint_(canvas, width(), height());
  }

 private:
  std::function<void(Canvas&, int, int)> paint_;
};

// The plane's estimates back in a result buffer, for the painter of the maps.
ResultBuffer PlaneResults(const PointResults& points) {
  ResultBuffer results;
  for (const PointResult& row : points.rows) {
    if (double* slot = results.Slot(row.first_index, row.second_index)) {
      slot[0] = row.est_x;
      slot[1] = row.est_y;
      slot[2] = row.est_z;
    }
  }
  return results;
}

QString Millimetres(double metres) { return ToQString(NumberText(metres * 1000.0)); }

}  // namespace

VolumeWindow::VolumeWindow(const DesignRecord& design, VolumeResult volume, QWidget* parent)
    : QWidget(parent, Qt::Window), design_(design), volume_(std::move(volume)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Volume"));
  const QString axis = QString::fromLatin1(VolumeAxisName(design_.scan_plane));

  planes_ = new QComboBox(this);
  for (std::size_t p = 0; p < volume_.planes.size(); ++p)
    planes_->addItem(QStringLiteral("Plane %1: %2 = %3 m")
                         .arg(p)
                         .arg(axis, ToQString(NumberText(volume_.planes[p].position_m))));
  figures_ = new QLabel(this);
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  figures_->setWordWrap(true);

  picture_ = new CanvasWidget(
      kClipboardExtent, kClipboardExtent,
      [this](Canvas& canvas, int, int) {
        if (plane_ < 0 || plane_ >= static_cast<int>(volume_.planes.size())) return;
        const VolumePlane& plane = volume_.planes[plane_];
        const ResultBuffer results = PlaneResults(plane.points);
        ReportInputs inputs;
        inputs.design = PlaneDesign(design_, plane.position_m);
        inputs.design.results_valid = 1;
        inputs.results = &results;
        PaintReportPicture(canvas, inputs);
      },
      this);

  const LinePlot plot = VolumeErrorPlot(volume_);
  auto* chart = new CanvasWidget(
      kPlotWidth, kPlotHeight, [plot](Canvas& canvas, int w, int h) { PaintLinePlot(canvas, plot, w, h); }, this);

  auto* side = new QVBoxLayout;
  side->addWidget(planes_);
  side->addWidget(figures_);
  side->addWidget(chart);
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(picture_);
  layout->addLayout(side);

  connect(planes_, &QComboBox::currentIndexChanged, this, [this](int index) { SelectPlane(index); });
  SelectPlane(volume_.summary.worst_plane >= 0 ? volume_.summary.worst_plane : 0);
}

void VolumeWindow::SelectPlane(int plane) {
  if (plane < 0 || plane >= static_cast<int>(volume_.planes.size())) return;
  plane_ = plane;
  if (planes_->currentIndex() != plane) planes_->setCurrentIndex(plane);
  ShowFigures();
  picture_->update();
}

void VolumeWindow::ShowFigures() {
  const VolumeSummary& s = volume_.summary;
  const ErrorSummary& e = volume_.planes[plane_].points.summary;
  figures_->setText(QStringLiteral("This plane: max error %1 mm, RMS error %2 mm, %3 failed of %4 points.\n"
                                   "Whole volume: max error %5 mm, RMS error %6 mm, 95th percentile %7 mm, "
                                   "%8 failed of %9 points; worst plane %10.")
                        .arg(Millimetres(e.max_error_m), Millimetres(e.rms_error_m))
                        .arg(e.failed_points)
                        .arg(e.points)
                        .arg(Millimetres(s.max_error_m), Millimetres(s.rms_error_m), Millimetres(s.p95_error_m))
                        .arg(s.failed_points)
                        .arg(s.points)
                        .arg(s.worst_plane));
}

}  // namespace orvendi
