#pragma once

namespace orvendi {

class Canvas;

// A rectangle of window pixels; right and bottom are exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

enum class ScrollBar { kHorizontal, kVertical };
enum class HostWindow { kDrawing, kInfobar };

// What the busy state around a long computation asks of the window system; the mouse editing
// asks the same and more (Host).
class BusyHost {
 public:
  virtual ~BusyHost() = default;

  // Route all mouse input to the drawing area until released.
  virtual void CaptureMouse() = 0;
  virtual void ReleaseMouse() = 0;
  // Show the busy cursor, remembering the one in force; RestoreCursor brings it back.
  virtual void ShowWaitCursor() = 0;
  virtual void RestoreCursor() = 0;
  // Deferred repaint of a rectangle of a window, or of the whole window when rect is null.
  virtual void Invalidate(HostWindow window, const PixelRect* rect, bool erase) = 0;
};

// What the mouse editing asks of the window system. The drawing window implements it; tests use a
// fake that records the requests.
class Host : public BusyHost {
 public:
  virtual void SetScrollRange(ScrollBar bar, int min, int max, bool redraw) = 0;
  virtual void SetScrollPos(ScrollBar bar, int pos, bool redraw) = 0;
  // A surface over the drawing area's current picture for transient marks drawn outside the
  // paint cycle (drag mark, rubber band). May return null when there is nothing to draw on.
  virtual Canvas* BeginTransientDrawing() = 0;
  virtual void EndTransientDrawing(Canvas* canvas) = 0;
};

// A host that does nothing: for editing handlers run on copies, away from the window.
class NullHost : public Host {
 public:
  void CaptureMouse() override {}
  void ReleaseMouse() override {}
  void ShowWaitCursor() override {}
  void RestoreCursor() override {}
  void Invalidate(HostWindow, const PixelRect*, bool) override {}
  void SetScrollRange(ScrollBar, int, int, bool) override {}
  void SetScrollPos(ScrollBar, int, bool) override {}
  Canvas* BeginTransientDrawing() override { return nullptr; }
  void EndTransientDrawing(Canvas*) override {}
};

// Mouse captured and busy cursor shown for the length of a computation; on the way out the
// cursor is restored, the capture released and the whole drawing area repainted.
class BusyScope {
 public:
  explicit BusyScope(BusyHost& host) : host_(host) {
    host_.CaptureMouse();
    host_.ShowWaitCursor();
  }
  ~BusyScope() {
    host_.RestoreCursor();
    host_.ReleaseMouse();
    host_.Invalidate(HostWindow::kDrawing, nullptr, true);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  BusyHost& host_;
};

}  // namespace orvendi
