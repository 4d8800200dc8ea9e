#include "core/views/report_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orvendi {

namespace {

constexpr int kMarginLeft = 64;
constexpr int kMarginRight = 16;
constexpr int kMarginTop = 44;
constexpr int kMarginBottom = 44;
constexpr Rgb kGridGrey{220, 220, 220};

struct Range {
  double low = 0.0;
  double high = 1.0;
};

Range Extent(const LinePlot& plot, bool x_axis) {
  bool any = false;
  Range range;
  for (const PlotSeries& s : plot.series) {
    for (std::size_t i = 0; i < std::min(s.xs.size(), s.ys.size()); ++i) {
      // The x axis spans every position, also those without a finite figure.
      if (!std::isfinite(s.xs[i]) || (!x_axis && !std::isfinite(s.ys[i]))) continue;
      const double v = x_axis ? s.xs[i] : s.ys[i];
      range.low = any ? std::min(range.low, v) : v;
      range.high = any ? std::max(range.high, v) : v;
      any = true;
    }
  }
  if (!any) return {0.0, 1.0};
  if (!x_axis) range.low = std::min(range.low, 0.0);
  if (range.high <= range.low) {
    const double pad = range.low == 0.0 ? 1.0 : std::fabs(range.low) * 0.1;
    range = {range.low - (x_axis ? pad : 0.0), range.high + pad};
  }
  return range;
}

}  // namespace

std::vector<double> PlotTicks(double low, double high, int count) {
  std::vector<double> ticks;
  if (!(high > low) || !std::isfinite(high - low) || count < 1) return ticks;
  const double rough = (high - low) / count;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= rough) break;
  }
  for (double k = std::ceil(low / step); k * step <= high * (1 + 1e-12) && ticks.size() < 64; k += 1.0)
    ticks.push_back(k * step == 0.0 ? 0.0 : k * step);
  return ticks;
}

std::string TickText(double value) {
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 4);
  return std::string(buffer, result.ptr);
}

void PaintLinePlot(Canvas& canvas, const LinePlot& plot, int width, int height) {
  const Range xr = Extent(plot, true);
  const Range yr = Extent(plot, false);
  const int left = kMarginLeft;
  const int right = std::max(left + 1, width - kMarginRight);
  const int top = kMarginTop;
  const int bottom = std::max(top + 1, height - kMarginBottom);
  const auto px = [&](double x) {
    return left + static_cast<int>(std::lround((x - xr.low) / (xr.high - xr.low) * (right - left)));
  };
  const auto py = [&](double y) {
    return bottom - static_cast<int>(std::lround((y - yr.low) / (yr.high - yr.low) * (bottom - top)));
  };
  const Font font{"sans-serif", 11};
  const TextStyle text{font, kBlack, false, kWhite};

  {
    ScopedPen pen(canvas, Pen{1, kBlack, false});
    ScopedBrush brush(canvas, Brush{kWhite, false});
    canvas.Rectangle(left, top, right + 1, bottom + 1);
  }
  for (const double t : PlotTicks(yr.low, yr.high, 5)) {
    const int y = py(t);
    {
      ScopedPen grid(canvas, Pen{1, kGridGrey, false});
      canvas.MoveTo(left + 1, y);
      canvas.LineTo(right, y);
    }
    const std::string label = TickText(t);
    const TextSize size = canvas.MeasureText(label, font);
    canvas.Text(left - 4 - size.width, y - size.height / 2, label, text);
  }
  for (const double t : PlotTicks(xr.low, xr.high, 6)) {
    const int x = px(t);
    canvas.MoveTo(x, bottom);
    canvas.LineTo(x, bottom + 4);
    const std::string label = TickText(t);
    const TextSize size = canvas.MeasureText(label, font);
    canvas.Text(x - size.width / 2, bottom + 6, label, text);
  }
  const TextStyle title{Font{"sans-serif", 13}, kBlack, false, kWhite};
  canvas.Text(left, 4, plot.title, title);
  const TextSize x_size = canvas.MeasureText(plot.x_label, font);
  canvas.Text((left + right - x_size.width) / 2, height - 18, plot.x_label, text);
  canvas.Text(4, top - 14, plot.y_label, text);

  int legend_x = right;
  for (auto s = plot.series.rbegin(); s != plot.series.rend(); ++s) {
    legend_x -= canvas.MeasureText(s->name, font).width + 26;
    {
      ScopedPen pen(canvas, Pen{2, s->colour, false});
      canvas.MoveTo(legend_x, top - 8);
      canvas.LineTo(legend_x + 16, top - 8);
    }
    canvas.Text(legend_x + 20, top - 15, s->name, text);
  }

  for (const PlotSeries& s : plot.series) {
    ScopedPen pen(canvas, Pen{2, s.colour, false});
    ScopedBrush brush(canvas, Brush{s.colour, false});
    bool drawing = false;
    for (std::size_t i = 0; i < std::min(s.xs.size(), s.ys.size()); ++i) {
      if (!std::isfinite(s.xs[i]) || !std::isfinite(s.ys[i])) {
        drawing = false;
        continue;
      }
      const int x = px(s.xs[i]);
      const int y = py(s.ys[i]);
      if (drawing) {
        canvas.LineTo(x, y);
      } else {
        canvas.MoveTo(x, y);
      }
      drawing = true;
      canvas.Ellipse(x - 3, y - 3, x + 4, y + 4);
      canvas.MoveTo(x, y);
    }
  }
}

}  // namespace orvendi
