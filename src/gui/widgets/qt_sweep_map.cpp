#include "gui/widgets/qt_sweep_map.h"

#include <QGraphicsItem>
#include <QLinearGradient>
#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QColorAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

#include "core/views/colour_map.h"
#include "gui/widgets/qt_text.h"

namespace orvendi {

namespace {

const QColor kNoFigure(0xC0, 0xC0, 0xC0);

QColor Colour(const Rgb& rgb) { return QColor(rgb.r, rgb.g, rgb.b); }

// Paints the cells under the chart's grid, where the axes of `series` place them now.
class MapCells : public QGraphicsItem {
 public:
  MapCells(QChart* chart, QScatterSeries* series, SweepMap map)
      : QGraphicsItem(chart), chart_(chart), series_(series), map_(std::move(map)) {
    // Above the plot area's background, below the grid and the axes.
    setZValue(0.5);
  }

  void Follow() {
    prepareGeometryChange();
    update();
  }

  QRectF boundingRect() const override { return chart_->plotArea(); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
    painter->save();
    painter->setClipRect(chart_->plotArea());
    painter->setRenderHint(QPainter::Antialiasing, false);
    const std::size_t columns = map_.y_values.size();
    const auto& colours = ViridisColours();
    for (std::size_t i = 0; i < map_.x_values.size(); ++i) {
      for (std::size_t j = 0; j < columns; ++j) {
        const QPointF a = chart_->mapToPosition(QPointF(map_.x_edges[i], map_.y_edges[j]), series_);
        const QPointF b = chart_->mapToPosition(QPointF(map_.x_edges[i + 1], map_.y_edges[j + 1]), series_);
        const QRectF cell = QRectF(QPointF(std::round(a.x()), std::round(a.y())),
                                   QPointF(std::round(b.x()), std::round(b.y())))
                                .normalized();
        const double value = map_.millimetres[i * columns + j];
        painter->fillRect(
            cell, std::isnan(value)
                      ? kNoFigure
                      : Colour(colours[static_cast<std::size_t>(ColourIndex(value, map_.low, map_.high))]));
      }
    }
    painter->restore();
  }

 private:
  QChart* chart_;
  QScatterSeries* series_;
  SweepMap map_;
};

QValueAxis* PlaceAxis(QChart* chart, const std::string& name, const std::vector<double>& edges,
                      Qt::Alignment side) {
  auto* axis = new QValueAxis;
  axis->setTitleText(ToQString(name));
  // Tick labels without the desktop's decimal comma, like every other number of the program.
  axis->setLabelFormat(QStringLiteral("%g"));
  axis->setGridLineVisible(false);
  const auto [low, high] = std::minmax_element(edges.begin(), edges.end());
  if (low != edges.end()) axis->setRange(*low, *high);
  chart->addAxis(axis, side);
  return axis;
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

  auto* scale = new QColorAxis;
  scale->setTitleText(ToQString(map.result) + QStringLiteral(" (mm)"));
  QLinearGradient gradient(0.0, 1.0, 0.0, 0.0);
  const auto& colours = ViridisColours();
  for (int k = 0; k < kColourMapSize; k += 15) gradient.setColorAt(k / 255.0, Colour(colours[k]));
  gradient.setColorAt(1.0, Colour(colours[kColourMapSize - 1]));
  scale->setGradient(gradient);
  if (!std::isnan(map.low)) scale->setRange(map.low, map.high > map.low ? map.high : map.low + 1.0);
  chart->addAxis(scale, Qt::AlignRight);
  centres->attachAxis(scale);

  auto* cells = new MapCells(chart, centres, map);
  QObject::connect(chart, &QChart::plotAreaChanged, chart, [cells] { cells->Follow(); });
  return chart;
}

}  // namespace orvendi
