#pragma once

#include <string>
#include <vector>

#include "core/platform/canvas.h"

namespace orvendi {

// A line plot of one or more series over a shared x axis.
struct PlotSeries {
  std::string name;
  Rgb colour;
  std::vector<double> xs;
  std::vector<double> ys;  // a value that is not finite breaks the line there
};

struct LinePlot {
  std::string title;
  std::string x_label;
  std::string y_label;
  std::vector<PlotSeries> series;
};

// Tick values at 1, 2 or 5 times a power of ten covering [low, high], at most about `count`.
std::vector<double> PlotTicks(double low, double high, int count);

// A tick's text: at most four significant digits, '.' whatever the locale.
std::string TickText(double value);

// Draws the plot into the rectangle (0, 0)-(width, height): frame, ticks, labels, the series
// with a dot at each finite point, and a legend. The y axis starts at 0 unless a value is below.
void PaintLinePlot(Canvas& canvas, const LinePlot& plot, int width, int height);

}  // namespace orvendi
