#include "gui/widgets/qt_error_charts.h"

#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

#include "core/design/number_text.h"

namespace orvendi {

namespace {

QString Number(double value) { return QString::fromStdString(FormatNumber(value, ShowFormat::kGeneral)); }

QValueAxis* Axis(QChart* chart, const QString& title, Qt::Alignment side) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  // Tick labels without the desktop's decimal comma, like every other number of the program.
  axis->setLabelFormat(QStringLiteral("%g"));
  chart->addAxis(axis, side);
  return axis;
}

// Fits an axis to values, with a margin so that points at the ends stay visible.
void FitAxis(QValueAxis* axis, double low, double high) {
  if (!(high > low)) {
    const double pad = low == 0.0 ? 1.0 : std::abs(low) * 0.1;
    low -= pad;
    high += pad;
  }
  const double margin = (high - low) * 0.05;
  axis->setRange(low - margin, high + margin);
  axis->applyNiceNumbers();
}

}  // namespace

QChart* MakeErrorDistanceChart(const std::vector<DistanceError>& points) {
  auto* chart = new QChart;
  chart->setTitle(QStringLiteral("Error against distance from the generators' centre"));
  chart->legend()->hide();
  auto* series = new QScatterSeries;
  series->setName(QStringLiteral("Grid points"));
  series->setMarkerSize(7.0);
  double x_low = 0.0, x_high = 1.0, y_low = 0.0, y_high = 1.0;
  for (std::size_t k = 0; k < points.size(); ++k) {
    const double x = points[k].distance_m;
    const double y = points[k].error_m * 1000.0;
    series->append(x, y);
    x_low = k == 0 ? x : std::min(x_low, x);
    x_high = k == 0 ? x : std::max(x_high, x);
    y_high = k == 0 ? y : std::max(y_high, y);
  }
  y_low = 0.0;
  chart->addSeries(series);
  QValueAxis* x_axis = Axis(chart, QStringLiteral("Distance from the generators' centre (m)"), Qt::AlignBottom);
  QValueAxis* y_axis = Axis(chart, QStringLiteral("Error (mm)"), Qt::AlignLeft);
  series->attachAxis(x_axis);
  series->attachAxis(y_axis);
  FitAxis(x_axis, x_low, x_high);
  FitAxis(y_axis, y_low, y_high);
  return chart;
}

QChart* MakeErrorHistogramChart(const ErrorHistogram& histogram) {
  auto* chart = new QChart;
  QString title = QStringLiteral("Error histogram");
  if (histogram.missing > 0) title += QStringLiteral(" (%1 points without an estimate)").arg(histogram.missing);
  chart->setTitle(title);
  chart->legend()->hide();
  auto* set = new QBarSet(QStringLiteral("Points"));
  QStringList labels;
  int most = 0;
  for (std::size_t k = 0; k < histogram.counts.size(); ++k) {
    *set << histogram.counts[k];
    most = std::max(most, histogram.counts[k]);
    const double middle = histogram.low_m + histogram.bin_width_m * (static_cast<double>(k) + 0.5);
    labels << Number(middle * 1000.0);
  }
  auto* series = new QBarSeries;
  series->append(set);
  series->setBarWidth(1.0);
  chart->addSeries(series);
  auto* x_axis = new QBarCategoryAxis;
  x_axis->append(labels);
  x_axis->setTitleText(QStringLiteral("Error, middle of the bin (mm)"));
  chart->addAxis(x_axis, Qt::AlignBottom);
  series->attachAxis(x_axis);
  QValueAxis* y_axis = Axis(chart, QStringLiteral("Points"), Qt::AlignLeft);
  y_axis->setLabelFormat(QStringLiteral("%d"));
  y_axis->setRange(0, std::max(1, most));
  y_axis->applyNiceNumbers();
  series->attachAxis(y_axis);
  return chart;
}

QChart* MakeSweepChart(const std::vector<SweepSeries>& series, const std::string& parameter, int rows_with_failures) {
  auto* chart = new QChart;
  QString title = QStringLiteral("Error against ") + QString::fromStdString(parameter);
  if (rows_with_failures > 0) {
    title += QStringLiteral(" (%1 values with points without an estimate: no max or RMS error)").arg(rows_with_failures);
  }
  chart->setTitle(title);
  QValueAxis* x_axis = Axis(chart, QString::fromStdString(parameter), Qt::AlignBottom);
  QValueAxis* y_axis = Axis(chart, QStringLiteral("Error figure (mm)"), Qt::AlignLeft);
  bool any = false;
  double x_low = 0.0, x_high = 1.0, y_high = 1.0;
  for (const SweepSeries& s : series) {
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(s.name));
    line->setPointsVisible(true);
    for (const auto& [x, y] : s.points) {
      line->append(x, y);
      x_low = any ? std::min(x_low, x) : x;
      x_high = any ? std::max(x_high, x) : x;
      y_high = any ? std::max(y_high, y) : y;
      any = true;
    }
    chart->addSeries(line);
    line->attachAxis(x_axis);
    line->attachAxis(y_axis);
  }
  FitAxis(x_axis, x_low, x_high);
  FitAxis(y_axis, 0.0, y_high);
  return chart;
}

}  // namespace orvendi
