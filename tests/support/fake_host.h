#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/platform/host.h"

namespace orvendi::testing {

// Records every request made of the window system, in order, as short text lines
// ("capture", "release", "wait", "restore", "invalidate drawing all erase",
// "invalidate infobar 1 2 3 4 noerase", "range h 0 1000 noredraw", "pos v 500 redraw",
// "begin transient", "end transient").
class FakeHost : public Host {
 public:
  void CaptureMouse() override { log.push_back("capture"); }
  void ReleaseMouse() override { log.push_back("release"); }
  void ShowWaitCursor() override { log.push_back("wait"); }
  void RestoreCursor() override { log.push_back("restore"); }
  void Invalidate(HostWindow window, const PixelRect* rect, bool erase) override {
    std::string line = std::string("invalidate ") + (window == HostWindow::kDrawing ? "drawing" : "infobar");
    if (rect == nullptr) {
      line += " all";
    } else {
      line += " " + std::to_string(rect->left) + " " + std::to_string(rect->top) + " " +
              std::to_string(rect->right) + " " + std::to_string(rect->bottom);
      rects.push_back(*rect);
    }
    line += erase ? " erase" : " noerase";
    log.push_back(line);
  }
  void SetScrollRange(ScrollBar bar, int min, int max, bool redraw) override {
    log.push_back(std::string("range ") + (bar == ScrollBar::kHorizontal ? "h " : "v ") + std::to_string(min) + " " +
                  std::to_string(max) + (redraw ? " redraw" : " noredraw"));
  }
  void SetScrollPos(ScrollBar bar, int pos, bool redraw) override {
    (bar == ScrollBar::kHorizontal ? hscroll : vscroll) = pos;
    log.push_back(std::string("pos ") + (bar == ScrollBar::kHorizontal ? "h " : "v ") + std::to_string(pos) +
                  (redraw ? " redraw" : " noredraw"));
  }
  Canvas* BeginTransientDrawing() override {
    log.push_back("begin transient");
    return transient_canvas;
  }
  void EndTransientDrawing(Canvas*) override { log.push_back("end transient"); }

  int Count(const std::string& line) const {
    int n = 0;
    for (const auto& l : log) n += (l == line);
    return n;
  }

  std::vector<std::string> log;
  std::vector<PixelRect> rects;
  std::optional<int> hscroll, vscroll;
  Canvas* transient_canvas = nullptr;  // set by a test to see the transient drawing
};

}  // namespace orvendi::testing
