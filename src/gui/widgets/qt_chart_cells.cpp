#include "gui/widgets/qt_chart_cells.h"

#include <QLinearGradient>
#include <QtCharts/QChart>
#include <QtCharts/QColorAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <cmath>

namespace orvendi {

QColor ToQColor(const Rgb& rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

ChartCells::ChartCells(QChart* chart, QScatterSeries* series) : QGraphicsItem(chart), chart_(chart), series_(series) {
  setZValue(0.5);
  QObject::connect(chart, &QChart::plotAreaChanged, chart, [this] {
    prepareGeometryChange();
    update();
  });
}

QRectF ChartCells::boundingRect() const { return chart_->plotArea(); }

QPointF ChartCells::At(double x, double y) const { return chart_->mapToPosition(QPointF(x, y), series_); }

QRectF ChartCells::Cell(double x1, double y1, double x2, double y2) const {
  const QPointF a = At(x1, y1);
  const QPointF b = At(x2, y2);
  return QRectF(QPointF(std::round(a.x()), std::round(a.y())), QPointF(std::round(b.x()), std::round(b.y())))
      .normalized();
}

QValueAxis* AddValueAxis(QChart* chart, const QString& title, double low, double high, Qt::Alignment side) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  // Tick labels without the desktop's decimal comma, like every other number of the program.
  axis->setLabelFormat(QStringLiteral("%g"));
  axis->setGridLineVisible(false);
  if (!std::isnan(low)) axis->setRange(low, high);
  chart->addAxis(axis, side);
  return axis;
}

QColorAxis* AddColourBar(QChart* chart, const QString& title, double low, double high) {
  auto* scale = new QColorAxis;
  scale->setTitleText(title);
  QLinearGradient gradient(0.0, 1.0, 0.0, 0.0);
  const auto& colours = ViridisColours();
  for (int k = 0; k < kColourMapSize; k += 15) gradient.setColorAt(k / 255.0, ToQColor(colours[k]));
  gradient.setColorAt(1.0, ToQColor(colours[kColourMapSize - 1]));
  scale->setGradient(gradient);
  if (!std::isnan(low)) scale->setRange(low, high > low ? high : low + 1.0);
  chart->addAxis(scale, Qt::AlignRight);
  return scale;
}

}  // namespace orvendi
