#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/platform/host.h"
#include "core/design/design_record.h"
#include "gui/widgets/qt_canvas.h"

class QScrollBar;

namespace orvendi {

struct SceneModel;

// The drawing area ("Drawing"): paints the scene, turns scroll-bar requests into view-centre
// changes, routes the left mouse button by edit mode to generator placement or bed editing,
// and serves as the host of everything that asks the window system for something.
//
// The scene is kept in an image of the viewport's size. Repaint requests mark parts of it stale;
// a paint renders only those parts and copies the image to the screen. Transient marks (drag
// mark, rubber band) are inverted straight into the image, so a drag never repaints the scene.
class DrawingWindow : public QAbstractScrollArea, public Host {
  Q_OBJECT

 public:
  DrawingWindow(SceneModel& state, QWidget* parent);
  ~DrawingWindow() override;

  // The read-out strip, whose repaint requests come through this host too.
  void SetInfobar(QWidget* infobar) { infobar_ = infobar; }

  // Told when a mouse edit (a generator drag, a bed move or resize) has ended, with its name and
  // the design as it was just before the release wrote the edit: one drag, one call.
  using MouseEditDone = std::function<void(const std::string& name, const DesignRecord& before)>;
  void SetMouseEditDone(MouseEditDone done) { mouse_edit_done_ = std::move(done); }
  // Told of each pointer position while a mouse edit is under way, after its marks have moved.
  using MouseEditMoved = std::function<void(int x, int y)>;
  void SetMouseEditMoved(MouseEditMoved moved) { mouse_edit_moved_ = std::move(moved); }

  // Ends a mouse edit under way without writing it, for a design that replaces the one it was
  // made on: the mouse is let go and the button's release changes nothing.
  void AbandonMouseEdit();

  // The picture as it stands (stale parts rendered first); for tests.
  QImage SceneImage();
  bool MouseCaptured() const { return captured_; }
  // How many times the scene has been drawn into the image.
  int SceneRenders() const { return scene_renders_; }

  // Host
  void CaptureMouse() override;
  void ReleaseMouse() override;
  void ShowWaitCursor() override;
  void RestoreCursor() override;
  void Invalidate(HostWindow window, const PixelRect* rect, bool erase) override;
  void SetScrollRange(ScrollBar bar, int min, int max, bool redraw) override;
  void SetScrollPos(ScrollBar bar, int pos, bool redraw) override;
  Canvas* BeginTransientDrawing() override;
  void EndTransientDrawing(Canvas* canvas) override;

 signals:
  // The first time the scene reached the screen.
  void FirstPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  QScrollBar* Bar(ScrollBar bar) const;
  int StoredPosition(ScrollBar bar) const;
  void OnScrollAction(ScrollBar bar, int action);
  void OnThumbReleased(ScrollBar bar);
  void RenderStaleParts();

  SceneModel& state_;
  QWidget* infobar_ = nullptr;
  QImage scene_;
  QRegion stale_;
  std::optional<QPainter> transient_painter_;
  std::unique_ptr<QtCanvas> transient_canvas_;
  bool captured_ = false;
  int wait_depth_ = 0;
  bool first_painted_ = false;
  int scene_renders_ = 0;
  MouseEditDone mouse_edit_done_;
  MouseEditMoved mouse_edit_moved_;
  std::string mouse_edit_;  // the edit under way, empty for none
};

}  // namespace orvendi
