#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvendi {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

// Solid pens only; a null pen draws nothing.
struct Pen {
  int width = 1;
  Rgb colour = kBlack;
  bool null = false;
  friend bool operator==(const Pen&, const Pen&) = default;
};

// Solid or null (hollow) brush.
struct Brush {
  Rgb colour = kWhite;
  bool null = false;
  friend bool operator==(const Brush&, const Brush&) = default;
};

inline constexpr Brush kNullBrush{kWhite, true};

struct Font {
  std::string family;
  int pixel_height = 10;
  friend bool operator==(const Font&, const Font&) = default;
};

struct TextStyle {
  Font font;
  Rgb colour = kBlack;
  bool opaque = true;  // fill the text's box with background first
  Rgb background = kWhite;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

struct TextSize {
  int width = 0;
  int height = 0;
};

// An abstract 2-D surface with the conventions the painting code is written against:
// - Ellipse and Rectangle take a bounding box whose right column and bottom row are left out;
// - LineTo draws from the current point and leaves out its end point;
// - a fresh surface holds the default 1-pixel black pen and a solid white brush;
// - in inverting mode every pixel a shape touches is inverted, so drawing twice restores it.
class Canvas {
 public:
  virtual ~Canvas() = default;

  // Each returns what was in force before.
  virtual Pen SelectPen(const Pen& pen) = 0;
  virtual Brush SelectBrush(const Brush& brush) = 0;
  virtual bool SetInvert(bool on) = 0;

  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  virtual void Ellipse(int left, int top, int right, int bottom) = 0;
  virtual void Rectangle(int left, int top, int right, int bottom) = 0;
  // Text with its top-left corner at (x, y).
  virtual void Text(int x, int y, std::string_view text, const TextStyle& style) = 0;
  virtual TextSize MeasureText(std::string_view text, const Font& font) = 0;

  // A grid of cells filled without outline: cell (i, j) spans the pixels from column edge xs[i]
  // to xs[i + 1] and from row edge ys[j] to ys[j + 1], the larger edge left out as Rectangle
  // does, in colours[j * (xs.size() - 1) + i]. Draws each cell as a Rectangle with a null pen,
  // row by row; a surface with a faster way to the same pixels overrides it. Pen and brush in
  // force are kept.
  virtual void FillCells(std::span<const int> xs, std::span<const int> ys, std::span<const Rgb> colours);
};

// Selects a pen for the length of a scope and puts the previous one back.
class ScopedPen {
 public:
  ScopedPen(Canvas& canvas, const Pen& pen) : canvas_(canvas), previous_(canvas.SelectPen(pen)) {}
  ~ScopedPen() { canvas_.SelectPen(previous_); }
  ScopedPen(const ScopedPen&) = delete;
  ScopedPen& operator=(const ScopedPen&) = delete;

 private:
  Canvas& canvas_;
  Pen previous_;
};

class ScopedBrush {
 public:
  ScopedBrush(Canvas& canvas, const Brush& brush) : canvas_(canvas), previous_(canvas.SelectBrush(brush)) {}
  ~ScopedBrush() { canvas_.SelectBrush(previous_); }
  ScopedBrush(const ScopedBrush&) = delete;
  ScopedBrush& operator=(const ScopedBrush&) = delete;

 private:
  Canvas& canvas_;
  Brush previous_;
};

class ScopedInvert {
 public:
  explicit ScopedInvert(Canvas& canvas) : canvas_(canvas), previous_(canvas.SetInvert(true)) {}
  ~ScopedInvert() { canvas_.SetInvert(previous_); }
  ScopedInvert(const ScopedInvert&) = delete;
  ScopedInvert& operator=(const ScopedInvert&) = delete;

 private:
  Canvas& canvas_;
  bool previous_;
};

inline void Canvas::FillCells(std::span<const int> xs, std::span<const int> ys,
                              std::span<const Rgb> colours) {
  if (xs.size() < 2 || ys.size() < 2) return;
  const std::size_t columns = xs.size() - 1;
  if (colours.size() < columns * (ys.size() - 1)) return;
  ScopedPen pen(*this, Pen{1, kBlack, true});
  for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
    const int top = std::min(ys[j], ys[j + 1]);
    const int bottom = std::max(ys[j], ys[j + 1]);
    for (std::size_t i = 0; i < columns; ++i) {
      ScopedBrush brush(*this, Brush{colours[j * columns + i], false});
      Rectangle(std::min(xs[i], xs[i + 1]), top, std::max(xs[i], xs[i + 1]), bottom);
    }
  }
}

}  // namespace orvendi
