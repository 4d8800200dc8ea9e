#include "gui/widgets/qt_sheet_map.h"

#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QScatterSeries>

#include <algorithm>
#include <cmath>

#include "gui/widgets/qt_chart_cells.h"

namespace orvendi {

namespace {

class SheetCells : public ChartCells {
 public:
  SheetCells(QChart* chart, QScatterSeries* series, SheetCurrentMap map)
      : ChartCells(chart, series), map_(std::move(map)) {}

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    painter->save();
    painter->setClipRect(Chart()->plotArea());
    painter->setRenderHint(QPainter::Antialiasing, false);
    const auto& colours = ViridisColours();
    const double high = map_.high > map_.low ? map_.high : map_.low + 1.0;
    for (int j = 0; j < map_.cells_y; ++j) {
      for (int i = 0; i < map_.cells_x; ++i) {
        const double value = map_.amperes[static_cast<std::size_t>(i + map_.cells_x * j)];
        painter->fillRect(Cell(map_.x_edges[i], map_.y_edges[j], map_.x_edges[i + 1], map_.y_edges[j + 1]),
                          ToQColor(colours[static_cast<std::size_t>(ColourIndex(value, map_.low, high))]));
      }
    }
    if (map_.largest_density > 0.0) DrawArrows(*painter);
    painter->restore();
  }

 private:
  void DrawArrows(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::white, 1.2));
    const double spacing = map_.arrow_step * std::max(map_.x_edges[1] - map_.x_edges[0], map_.y_edges[1] - map_.y_edges[0]);
    const double share = 0.9 * spacing / map_.largest_density;
    for (const SheetArrow& arrow : map_.arrows) {
      const QPointF from = At(arrow.x - 0.5 * arrow.kx * share, arrow.y - 0.5 * arrow.ky * share);
      const QPointF to = At(arrow.x + 0.5 * arrow.kx * share, arrow.y + 0.5 * arrow.ky * share);
      const QPointF along = to - from;
      const double length = std::hypot(along.x(), along.y());
      if (length < 2.0) continue;
      const QPointF unit = along / length;
      const QPointF across(-unit.y(), unit.x());
      const double head = std::min(6.0, 0.4 * length);
      painter.drawLine(from, to);
      painter.drawLine(to, to - head * unit + 0.5 * head * across);
      painter.drawLine(to, to - head * unit - 0.5 * head * across);
    }
  }

  SheetCurrentMap map_;
};

}  // namespace

QChart* MakeSheetCurrentChart(const SheetCurrentMap& map, const QString& title) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->legend()->hide();
  if (map.cells_x < 1 || map.cells_y < 1) return chart;

  auto* centres = new QScatterSeries;
  centres->setMarkerSize(1.0);
  centres->setColor(Qt::transparent);
  centres->setBorderColor(Qt::transparent);
  for (int j = 0; j < map.cells_y; ++j) {
    for (int i = 0; i < map.cells_x; ++i)
      centres->append(0.5 * (map.x_edges[i] + map.x_edges[i + 1]), 0.5 * (map.y_edges[j] + map.y_edges[j + 1]));
  }
  chart->addSeries(centres);
  centres->attachAxis(AddValueAxis(chart, QStringLiteral("x (m)"), map.x_edges.front(), map.x_edges.back(), Qt::AlignBottom));
  centres->attachAxis(AddValueAxis(chart, QStringLiteral("y (m)"), map.y_edges.front(), map.y_edges.back(), Qt::AlignLeft));

  centres->attachAxis(AddColourBar(chart, QStringLiteral("Mesh current (A)"), map.low, map.high));
  new SheetCells(chart, centres, map);
  return chart;
}

}  // namespace orvendi
