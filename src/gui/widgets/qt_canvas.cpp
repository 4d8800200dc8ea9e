#include "gui/widgets/qt_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegion>
#include <QString>
#include <algorithm>
#include <cstring>
#include <utility>

namespace orvendi {

namespace {

QColor ToQColor(const Rgb& c) { return QColor(c.r, c.g, c.b); }

QFont ToQFont(const Font& font) {
  QFont f(QString::fromStdString(font.family));
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(std::max(1, font.pixel_height));
  return f;
}

constexpr int kLimit = QtCanvas::kCoordinateLimit;

bool Inside(int v) { return v >= -kLimit && v <= kLimit; }
int Clamp(int v) { return std::clamp(v, -kLimit, kLimit); }

// Liang-Barsky clip of a segment to the square of +-kLimit; false when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2) {
  double t0 = 0.0;
  double t1 = 1.0;
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 + kLimit, kLimit - x1, y1 + kLimit, kLimit - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const double ox = x1;
  const double oy = y1;
  x1 = ox + t0 * dx;
  y1 = oy + t0 * dy;
  x2 = ox + t1 * dx;
  y2 = oy + t1 * dy;
  return true;
}

// Normalises a box and keeps it inside the coordinate limit; false when it lies wholly outside.
bool FitBox(int& left, int& top, int& right, int& bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (right < -kLimit || left > kLimit || bottom < -kLimit || top > kLimit) return false;
  left = Clamp(left);
  top = Clamp(top);
  right = Clamp(right);
  bottom = Clamp(bottom);
  return true;
}

// The painter's vector drawing code can return with the upper halves of the vector registers
// in use, after which every scalar floating-point instruction of the caller runs several times
// slower on some processors (the field layer took three times as long). Clearing them after
// each drawing call costs next to nothing.
void ClearUpperVectorState() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  static const bool has_avx = __builtin_cpu_supports("avx");
  if (has_avx) __asm__ volatile("vzeroupper");
#endif
}

// Leaves the painter's vector state clean on every way out of a drawing call.
struct VectorStateGuard {
  VectorStateGuard() = default;
  ~VectorStateGuard() { ClearUpperVectorState(); }
  VectorStateGuard(const VectorStateGuard&) = delete;
  VectorStateGuard& operator=(const VectorStateGuard&) = delete;
};

// Fills the inclusive pixel span [x1, x2] x [y1, y2] if it is not empty.
void FillSpan(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& colour) {
  if (x2 < x1 || y2 < y1) return;
  painter.fillRect(QRect(x1, y1, x2 - x1 + 1, y2 - y1 + 1), colour);
}

}  // namespace

QtCanvas::QtCanvas(QPainter& painter) : painter_(painter) {
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

Pen QtCanvas::SelectPen(const Pen& pen) {
  if (!(pen == pen_)) painter_state_ = PainterState::kUnknown;
  return std::exchange(pen_, pen);
}

Brush QtCanvas::SelectBrush(const Brush& brush) {
  if (!(brush == brush_)) painter_state_ = PainterState::kUnknown;
  return std::exchange(brush_, brush);
}

void QtCanvas::ApplyStroke(PainterState state) {
  if (painter_state_ == state) return;
  if (pen_.null) {
    painter_.setPen(Qt::NoPen);
  } else {
    // A flat cap leaves out the last pixel of an aliased line, as the surface's convention wants.
    QPen pen(ToQColor(pen_.colour), std::max(1, pen_.width), Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    // One-pixel pens take the painter's fast aliased line path.
    pen.setCosmetic(pen_.width <= 1);
    painter_.setPen(pen);
  }
  painter_.setBrush(state == PainterState::kLine || brush_.null ? QBrush(Qt::NoBrush)
                                                                : QBrush(ToQColor(brush_.colour)));
  painter_state_ = state;
}

bool QtCanvas::SetInvert(bool on) {
  const bool previous = invert_;
  invert_ = on;
  painter_.setCompositionMode(on ? QPainter::RasterOp_NotDestination : QPainter::CompositionMode_SourceOver);
  return previous;
}

void QtCanvas::MoveTo(int x, int y) {
  current_x_ = x;
  current_y_ = y;
}

void QtCanvas::LineTo(int x, int y) {
  const VectorStateGuard guard;
  const int x1 = current_x_;
  const int y1 = current_y_;
  current_x_ = x;
  current_y_ = y;
  if (pen_.null || (x1 == x && y1 == y)) return;
  ApplyStroke(PainterState::kLine);
  if (Inside(x1) && Inside(y1) && Inside(x) && Inside(y)) {
    painter_.drawLine(x1, y1, x, y);
    return;
  }
  double ax = x1, ay = y1, bx = x, by = y;
  if (ClipSegment(ax, ay, bx, by)) painter_.drawLine(QLineF(ax, ay, bx, by));
}

void QtCanvas::Ellipse(int left, int top, int right, int bottom) {
  const VectorStateGuard guard;
  if (!FitBox(left, top, right, bottom)) return;
  if (right - left < 1 || bottom - top < 1) return;
  ApplyStroke(PainterState::kShape);
  if (pen_.null) {
    painter_.drawEllipse(QRect(left, top, right - left, bottom - top));
  } else {
    // With a pen Qt's box covers one more column and row than its size says.
    painter_.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
  }
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
  const VectorStateGuard guard;
  if (!FitBox(left, top, right, bottom)) return;
  if (right - left < 1 || bottom - top < 1) return;
  // The outline's path runs through the centres of the box's first and last column and row; a
  // pen w wide covers (w - 1) / 2 pixels outwards of it and w / 2 inwards. It is filled as
  // strips that never overlap, so that inverting twice restores every pixel.
  const int last_x = right - 1;
  const int last_y = bottom - 1;
  int in_left = left, in_top = top, in_right = last_x, in_bottom = last_y;
  if (!pen_.null) {
    const int w = std::max(1, pen_.width);
    const int out = (w - 1) / 2;
    const int in = w / 2;
    const int ol = left - out, ot = top - out, orr = last_x + out, ob = last_y + out;
    in_left = left + in + 1;
    in_top = top + in + 1;
    in_right = last_x - in - 1;
    in_bottom = last_y - in - 1;
    const QColor colour = ToQColor(pen_.colour);
    if (in_right < in_left || in_bottom < in_top) {
      FillSpan(painter_, ol, ot, orr, ob, colour);
    } else {
      FillSpan(painter_, ol, ot, orr, in_top - 1, colour);
      FillSpan(painter_, ol, in_bottom + 1, orr, ob, colour);
      FillSpan(painter_, ol, in_top, in_left - 1, in_bottom, colour);
      FillSpan(painter_, in_right + 1, in_top, orr, in_bottom, colour);
    }
  }
  if (!brush_.null) FillSpan(painter_, in_left, in_top, in_right, in_bottom, ToQColor(brush_.colour));
}

const QFontMetrics& QtCanvas::MetricsFor(const Font& font) {
  if (!metrics_ || !(font == metrics_font_)) {
    metrics_font_ = font;
    qfont_ = ToQFont(font);
    metrics_.emplace(*qfont_);
  }
  return *metrics_;
}

void QtCanvas::Text(int x, int y, std::string_view text, const TextStyle& style) {
  const VectorStateGuard guard;
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const QFontMetrics& metrics = MetricsFor(style.font);
  painter_.setFont(*qfont_);
  if (style.opaque) {
    painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(s), metrics.height()),
                      ToQColor(style.background));
  }
  painter_.setPen(ToQColor(style.colour));
  painter_state_ = PainterState::kUnknown;
  painter_.drawText(QPoint(x, y + metrics.ascent()), s);
}

TextSize QtCanvas::MeasureText(std::string_view text, const Font& font) {
  const QFontMetrics& metrics = MetricsFor(font);
  const QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  return {metrics.horizontalAdvance(s), metrics.height()};
}

namespace {

// Edges that only ever rise or only ever fall, so that the cells tile the span they cover.
bool Monotonic(std::span<const int> edges) {
  bool rising = true;
  bool falling = true;
  for (std::size_t k = 1; k < edges.size(); ++k) {
    rising = rising && edges[k] >= edges[k - 1];
    falling = falling && edges[k] <= edges[k - 1];
  }
  return rising || falling;
}

}  // namespace

void QtCanvas::FillCells(std::span<const int> xs, std::span<const int> ys, std::span<const Rgb> colours) {
  if (xs.size() < 2 || ys.size() < 2) return;
  const std::size_t columns = xs.size() - 1;
  if (colours.size() < columns * (ys.size() - 1)) return;
  const QPaintEngine* engine = painter_.paintEngine();
  QPaintDevice* device = painter_.device();
  // Vector surfaces keep their cells as shapes; inverting mode and odd edges take the general way.
  if (engine == nullptr || device == nullptr || engine->type() != QPaintEngine::Raster || invert_ ||
      !painter_.transform().isIdentity() || !Monotonic(xs) || !Monotonic(ys)) {
    Canvas::FillCells(xs, ys, colours);
    return;
  }
  const VectorStateGuard guard;
  // Only the part on the surface, and inside the painter's clip, is touched.
  const auto [x_min, x_max] = std::minmax(xs.front(), xs.back());
  const auto [y_min, y_max] = std::minmax(ys.front(), ys.back());
  const int left = std::max(x_min, 0);
  const int top = std::max(y_min, 0);
  const int right = std::min(x_max, device->width());
  const int bottom = std::min(y_max, device->height());
  if (right <= left || bottom <= top) return;
  QRegion area(left, top, right - left, bottom - top);
  if (painter_.hasClipping()) area &= painter_.clipRegion();
  if (area.isEmpty()) return;

  // An image the painter draws into directly gets the pixels written in place; anything else
  // gets them as one image drawn over it.
  QImage* target = device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
  const bool in_place =
      target != nullptr && target->devicePixelRatio() == 1.0 && painter_.opacity() == 1.0 &&
      painter_.compositionMode() == QPainter::CompositionMode_SourceOver &&
      (target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32 ||
       target->format() == QImage::Format_ARGB32_Premultiplied);
  QImage image;
  if (!in_place) image = QImage(right - left, bottom - top, QImage::Format_RGB32);

  std::vector<QRgb> line(static_cast<std::size_t>(right - left));
  for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
    const int y0 = std::max(std::min(ys[j], ys[j + 1]), top);
    const int y1 = std::min(std::max(ys[j], ys[j + 1]), bottom);
    if (y1 <= y0) continue;
    for (std::size_t i = 0; i < columns; ++i) {
      const int x0 = std::max(std::min(xs[i], xs[i + 1]), left);
      const int x1 = std::min(std::max(xs[i], xs[i + 1]), right);
      const Rgb& c = colours[j * columns + i];
      std::fill(line.begin() + (x0 - left), line.begin() + (std::max(x0, x1) - left), qRgb(c.r, c.g, c.b));
    }
    if (!in_place) {
      for (int y = y0; y < y1; ++y)
        std::memcpy(image.scanLine(y - top), line.data(), line.size() * sizeof(QRgb));
      continue;
    }
    for (const QRect& r : area) {
      const int from_y = std::max(y0, r.top());
      const int to_y = std::min(y1, r.bottom() + 1);
      const std::size_t pixels = static_cast<std::size_t>(r.width());
      for (int y = from_y; y < to_y; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(target->scanLine(y));
        std::memcpy(row + r.left(), line.data() + (r.left() - left), pixels * sizeof(QRgb));
      }
    }
  }
  if (!in_place) painter_.drawImage(QPoint(left, top), image);
}

}  // namespace orvendi
