#include "gui/widgets/qt_error_charts.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

#include <algorithm>
#include <cmath>

#include "core/views/plot_scale.h"

namespace orvendi {

namespace {

const QString kDistanceTitle = QStringLiteral("Distance from the generators' centre (m)");

// An axis whose labels are the scale's own texts, so that each tick reads as the round value it
// stands for whatever the sums of the chart make of it.
QCategoryAxis* ScaleAxis(QChart* chart, const QString& title, Qt::Alignment side, const PlotScale& scale) {
  auto* axis = new QCategoryAxis;
  axis->setTitleText(title);
  axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  // A label stands at the end of its category: the first one ends at the lowest tick.
  axis->setStartValue(scale.low - (scale.high - scale.low));
  for (const PlotTick& tick : scale.ticks) axis->append(QString::fromStdString(tick.label), tick.value);
  axis->setRange(scale.low, scale.high);
  chart->addAxis(axis, side);
  return axis;
}

struct Span {
  bool any = false;
  double low = 0.0;
  double high = 0.0;
  void Add(double value) {
    low = any ? std::min(low, value) : value;
    high = any ? std::max(high, value) : value;
    any = true;
  }
};

QString Text(const std::string& text) { return QString::fromStdString(text); }

QString WithoutFigure(PlotQuantity quantity) {
  return quantity == PlotQuantity::kBound || quantity == PlotQuantity::kEfficiency ? QStringLiteral("without a finite bound")
                                                                                   : QStringLiteral("without an estimate");
}

}  // namespace

QChart* MakeErrorDistanceChart(const std::vector<DistanceError>& points, PlotQuantity quantity) {
  auto* chart = new QChart;
  chart->setTitle(Text(PlotQuantityName(quantity)) + QStringLiteral(" against distance from the generators' centre"));
  chart->legend()->hide();
  auto* series = new QScatterSeries;
  series->setName(QStringLiteral("Grid points"));
  series->setMarkerSize(7.0);
  const double scale = PlotQuantityScale(quantity);
  Span x, y;
  for (const DistanceError& point : points) {
    series->append(point.distance_m, point.figure * scale);
    x.Add(point.distance_m);
    y.Add(point.figure * scale);
  }
  chart->addSeries(series);
  // The distances keep clear of zero, so their axis fits them rather than starting at 0.
  series->attachAxis(ScaleAxis(chart, kDistanceTitle, Qt::AlignBottom, NiceScale(x.low, x.high, false)));
  series->attachAxis(ScaleAxis(chart, Text(PlotQuantityAxis(quantity)), Qt::AlignLeft, NiceScale(y.low, y.high, true)));
  return chart;
}

QChart* MakeErrorHistogramChart(const ErrorHistogram& histogram, PlotQuantity quantity) {
  auto* chart = new QChart;
  QString title = QStringLiteral("Histogram: ") + Text(PlotQuantityName(quantity));
  if (histogram.missing > 0) title += QStringLiteral(" (%1 points %2)").arg(histogram.missing).arg(WithoutFigure(quantity));
  chart->setTitle(title);
  chart->legend()->hide();
  // Each bar from the axis up and down again, so that the outline parts neighbouring bars.
  auto* outline = new QLineSeries;
  Span x;
  int most = 0;
  for (const HistogramBar& bar : HistogramBars(histogram, PlotQuantityScale(quantity))) {
    *outline << QPointF(bar.left, 0.0) << QPointF(bar.left, bar.count) << QPointF(bar.right, bar.count)
             << QPointF(bar.right, 0.0);
    x.Add(bar.left);
    x.Add(bar.right);
    most = std::max(most, bar.count);
  }
  auto* area = new QAreaSeries(outline);
  // The area series does not own its outline; as its child it goes with the chart.
  outline->setParent(area);
  area->setName(QStringLiteral("Points"));
  chart->addSeries(area);
  area->attachAxis(ScaleAxis(chart, Text(PlotQuantityAxis(quantity)), Qt::AlignBottom, NiceScale(x.low, x.high, true)));
  // At least 5 keeps the steps whole numbers of points.
  area->attachAxis(ScaleAxis(chart, QStringLiteral("Number of grid points"), Qt::AlignLeft,
                             NiceScale(0.0, std::max(most, 5), true)));
  return chart;
}

QChart* MakeSweepChart(const std::vector<SweepSeries>& series, const std::string& parameter, int rows_with_failures,
                       bool ratios) {
  auto* chart = new QChart;
  QString title = QStringLiteral("Error against ") + Text(parameter);
  if (rows_with_failures > 0) {
    title += QStringLiteral(" (%1 values with points without an estimate: no max or RMS error)").arg(rows_with_failures);
  }
  chart->setTitle(title);
  std::vector<QLineSeries*> lines;
  Span x, y;
  for (const SweepSeries& s : series) {
    auto* line = new QLineSeries;
    line->setName(Text(s.name));
    line->setPointsVisible(true);
    for (const auto& [px, py] : s.points) {
      if (ratios && !(px > 0.0)) continue;
      line->append(ratios ? std::log10(px) : px, py);
      x.Add(px);
      y.Add(py);
    }
    chart->addSeries(line);
    lines.push_back(line);
  }
  const PlotScale x_scale = ratios ? DecadeScale(x.low, x.high) : NiceScale(x.low, x.high, false);
  QCategoryAxis* x_axis = ScaleAxis(chart, Text(parameter), Qt::AlignBottom, x_scale);
  QCategoryAxis* y_axis = ScaleAxis(chart, QStringLiteral("Error figure (mm)"), Qt::AlignLeft, NiceScale(y.low, y.high, true));
  for (QLineSeries* line : lines) {
    line->attachAxis(x_axis);
    line->attachAxis(y_axis);
  }
  return chart;
}

}  // namespace orvendi
