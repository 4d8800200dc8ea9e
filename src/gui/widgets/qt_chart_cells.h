#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <QString>
#include <QtCharts/QColorAxis>
#include <QtCharts/QValueAxis>

#include "core/views/colour_map.h"

class QChart;
class QScatterSeries;

namespace orvendi {

QColor ToQColor(const Rgb& rgb);

// A picture painted in a chart's plot area, above its background and below the grid and the axes,
// placed by the axes of `series` and following them when the plot area moves.
class ChartCells : public QGraphicsItem {
 public:
  ChartCells(QChart* chart, QScatterSeries* series);

  QRectF boundingRect() const override;

 protected:
  QPointF At(double x, double y) const;
  // The plot-area rectangle between two corners, on whole pixels so that cells meet.
  QRectF Cell(double x1, double y1, double x2, double y2) const;
  QChart* Chart() const { return chart_; }

 private:
  QChart* chart_;
  QScatterSeries* series_;
};

// An axis of plain numbers titled `title` from low to high (left as it is for NaN), no grid lines.
QValueAxis* AddValueAxis(QChart* chart, const QString& title, double low, double high, Qt::Alignment side);

// The program's colour scale as a bar titled `title`, added on the chart's right from low to high.
QColorAxis* AddColourBar(QChart* chart, const QString& title, double low, double high);

}  // namespace orvendi
