#include "gui/widgets/qt_sweep_map.h"

#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/views/colour_map.h"
#include "gui/widgets/qt_chart_cells.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

const QColor kNoFigure(0xC0, 0xC0, 0xC0);

class MapCells : public ChartCells {
 public:
  MapCells(QChart* chart, QScatterSeries* series, SweepMap map) : ChartCells(chart, series), map_(std::move(map)) {}

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    painter->save();
    painter->setClipRect(Chart()->plotArea());
    painter->setRenderHint(QPainter::Antialiasing, false);
    const std::size_t columns = map_.y_values.size();
    const auto& colours = ViridisColours();
    for (std::size_t i = 0; i < map_.x_values.size(); ++i) {
      for (std::size_t j = 0; j < columns; ++j) {
        const QRectF cell = Cell(map_.x_edges[i], map_.y_edges[j], map_.x_edges[i + 1], map_.y_edges[j + 1]);
        const double value = map_.millimetres[i * columns + j];
        painter->fillRect(
            cell, std::isnan(value)
                      ? kNoFigure
                      : ToQColor(colours[static_cast<std::size_t>(ColourIndex(value, map_.low, map_.high))]));
      }
    }
    painter->restore();
  }

 private:
  SweepMap map_;
};

QValueAxis* PlaceAxis(QChart* chart, const std::string& name, const std::vector<double>& edges,
                      Qt::Alignment side) {
  const auto [low, high] = std::minmax_element(edges.begin(), edges.end());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  return AddValueAxis(chart, ToQString(name), low == edges.end() ? nan : *low, high == edges.end() ? nan : *high,
                      side);
}

}  // namespace

QChart* MakeSweepMapChart(const SweepMap& map, const std::string& x_name, const std::string& y_name) {
  auto* chart = new QChart;
  QString title = ToQString(map.result) + QStringLiteral(" (mm)");
  if (map.missing > 0) title += QStringLiteral(", grey: %1 designs without a figure").arg(map.missing);
  chart->setTitle(title);
  chart->legend()->hide();

  // The cells' centres: what the axes are fitted to, and where a reader finds each design.
  auto* centres = new QScatterSeries;
  centres->setName(ToQString(map.result));
  centres->setMarkerSize(1.0);
  centres->setColor(Qt::transparent);
  centres->setBorderColor(Qt::transparent);
  const std::size_t columns = map.y_values.size();
  for (std::size_t i = 0; i < map.x_values.size(); ++i) {
    for (std::size_t j = 0; j < columns; ++j) centres->append(map.x_values[i], map.y_values[j]);
  }
  chart->addSeries(centres);
  centres->attachAxis(PlaceAxis(chart, x_name, map.x_edges, Qt::AlignBottom));
  centres->attachAxis(PlaceAxis(chart, y_name, map.y_edges, Qt::AlignLeft));

  centres->attachAxis(AddColourBar(chart, ToQString(map.result) + QStringLiteral(" (mm)"), map.low, map.high));
  new MapCells(chart, centres, map);
  return chart;
}

}  // namespace orvendi
