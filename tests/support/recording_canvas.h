#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/canvas.h"

namespace orvendi::testing {

// A canvas that keeps every drawing call with the pen, brush and invert mode in force, so a test
// can say "the bed is Rectangle(300, 501, 501, 100) with the 3-pixel teal pen and no brush".
class RecordingCanvas : public Canvas {
 public:
  enum class Kind { kMoveTo, kLineTo, kEllipse, kRectangle, kText };

  struct Call {
    Kind kind = Kind::kMoveTo;
    int a = 0, b = 0, c = 0, d = 0;  // x, y (moves, lines, text) or left, top, right, bottom
    Pen pen;
    Brush brush;
    bool invert = false;
    std::string text;
    TextStyle style;

    // "MoveTo(1, 2)", "LineTo(3, 4)", "Ellipse(1, 2, 3, 4)", "Rectangle(1, 2, 3, 4)", "Text(1, 2, "abc")"
    std::string Shape() const {
      auto n = [](int v) { return std::to_string(v); };
      switch (kind) {
        case Kind::kMoveTo:
          return "MoveTo(" + n(a) + ", " + n(b) + ")";
        case Kind::kLineTo:
          return "LineTo(" + n(a) + ", " + n(b) + ")";
        case Kind::kEllipse:
          return "Ellipse(" + n(a) + ", " + n(b) + ", " + n(c) + ", " + n(d) + ")";
        case Kind::kRectangle:
          return "Rectangle(" + n(a) + ", " + n(b) + ", " + n(c) + ", " + n(d) + ")";
        case Kind::kText:
          return "Text(" + n(a) + ", " + n(b) + ", \"" + text + "\")";
      }
      return {};
    }
  };

  Pen SelectPen(const Pen& pen) override {
    Pen previous = pen_;
    pen_ = pen;
    return previous;
  }
  Brush SelectBrush(const Brush& brush) override {
    Brush previous = brush_;
    brush_ = brush;
    return previous;
  }
  bool SetInvert(bool on) override {
    const bool previous = invert_;
    invert_ = on;
    return previous;
  }
  void MoveTo(int x, int y) override { Add(Kind::kMoveTo, x, y, 0, 0); }
  void LineTo(int x, int y) override { Add(Kind::kLineTo, x, y, 0, 0); }
  void Ellipse(int l, int t, int r, int b) override { Add(Kind::kEllipse, l, t, r, b); }
  void Rectangle(int l, int t, int r, int b) override { Add(Kind::kRectangle, l, t, r, b); }
  void Text(int x, int y, std::string_view text, const TextStyle& style) override {
    Add(Kind::kText, x, y, 0, 0);
    calls.back().text = std::string(text);
    calls.back().style = style;
  }
  TextSize MeasureText(std::string_view text, const Font&) override {
    return {static_cast<int>(text.size()) * letter_width, text_height};
  }

  // The shapes of all calls, in order.
  std::vector<std::string> Shapes() const {
    std::vector<std::string> out;
    for (const Call& call : calls) out.push_back(call.Shape());
    return out;
  }
  // Calls of one kind.
  std::vector<Call> Of(Kind kind) const {
    std::vector<Call> out;
    for (const Call& call : calls) {
      if (call.kind == kind) out.push_back(call);
    }
    return out;
  }
  // The first call with this shape, or null.
  const Call* Find(const std::string& shape) const {
    for (const Call& call : calls) {
      if (call.Shape() == shape) return &call;
    }
    return nullptr;
  }

  Pen pen() const { return pen_; }
  Brush brush() const { return brush_; }
  bool invert() const { return invert_; }

  std::vector<Call> calls;
  int letter_width = 6;  // MeasureText: every character this wide
  int text_height = 13;

 private:
  void Add(Kind kind, int a, int b, int c, int d) {
    Call call;
    call.kind = kind;
    call.a = a;
    call.b = b;
    call.c = c;
    call.d = d;
    call.pen = pen_;
    call.brush = brush_;
    call.invert = invert_;
    calls.push_back(call);
  }

  Pen pen_;
  Brush brush_;
  bool invert_ = false;
};

}  // namespace orvendi::testing
