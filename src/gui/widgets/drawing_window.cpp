#include "gui/widgets/drawing_window.h"

#include <QAbstractSlider>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "core/views/bed_editing.h"
#include "core/views/design_history.h"
#include "core/views/generator_placement.h"
#include "core/views/infobar.h"
#include "core/views/live_preview.h"
#include "core/views/scene_model.h"
#include "core/views/view_geometry.h"

namespace orvendi {

namespace {

QRect ToQRect(const PixelRect& rect) {
  return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)).normalized();
}

}  // namespace

DrawingWindow::DrawingWindow(SceneModel& state, QWidget* parent)
    : QAbstractScrollArea(parent), state_(state) {
  setObjectName(QStringLiteral("Drawing"));
  setWindowTitle(QStringLiteral("Drawing"));
  setFocusPolicy(Qt::NoFocus);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setFocusPolicy(Qt::NoFocus);
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::ArrowCursor);
  // The scene image covers every pixel; the platform need not clear first.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

  for (ScrollBar which : {ScrollBar::kHorizontal, ScrollBar::kVertical}) {
    QScrollBar* bar = Bar(which);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setSingleStep(kScrollLineStep);
    bar->setPageStep(kScrollPageStep);
    connect(bar, &QAbstractSlider::actionTriggered, this,
            [this, which](int action) { OnScrollAction(which, action); });
    connect(bar, &QAbstractSlider::sliderReleased, this, [this, which] { OnThumbReleased(which); });
  }
}

DrawingWindow::~DrawingWindow() {
  transient_canvas_.reset();
  transient_painter_.reset();
  if (captured_) viewport()->releaseMouse();
  while (wait_depth_ > 0) {
    QGuiApplication::restoreOverrideCursor();
    --wait_depth_;
  }
}

QScrollBar* DrawingWindow::Bar(ScrollBar bar) const {
  return bar == ScrollBar::kHorizontal ? horizontalScrollBar() : verticalScrollBar();
}

int DrawingWindow::StoredPosition(ScrollBar bar) const {
  return bar == ScrollBar::kHorizontal ? state_.view.hscroll_pos : state_.view.vscroll_pos;
}

void DrawingWindow::OnScrollAction(ScrollBar bar, int action) {
  QScrollBar* scroll_bar = Bar(bar);
  ScrollRequest request = ScrollRequest::kOther;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      request = ScrollRequest::kLineBack;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      request = ScrollRequest::kLineForward;
      break;
    case QAbstractSlider::SliderPageStepSub:
      request = ScrollRequest::kPageBack;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      request = ScrollRequest::kPageForward;
      break;
    case QAbstractSlider::SliderMove:
      // Thumb tracking: the thumb follows the pointer; the view follows on release.
      if (scroll_bar->isSliderDown()) return;
      break;
    default:
      break;
  }
  if (request != ScrollRequest::kOther && state_.design.app_active != 0) {
    ApplyScrollRequest(state_.view, bar, request, 0, *this);
    return;
  }
  // Wheel, top, bottom and requests while inactive leave the position where it was.
  SetScrollPos(bar, StoredPosition(bar), true);
}

void DrawingWindow::OnThumbReleased(ScrollBar bar) {
  QScrollBar* scroll_bar = Bar(bar);
  if (state_.design.app_active == 0) {
    SetScrollPos(bar, StoredPosition(bar), true);
    return;
  }
  ApplyScrollRequest(state_.view, bar, ScrollRequest::kThumbPosition, scroll_bar->sliderPosition(), *this);
}

void DrawingWindow::scrollContentsBy(int, int) {
  // The bars move the view centre, never the pixels.
}

void DrawingWindow::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  UpdateWindowCentre(state_.view, size.width(), size.height());
  transient_canvas_.reset();
  transient_painter_.reset();
  scene_ = size.isEmpty() ? QImage() : QImage(size, QImage::Format_RGB32);
  stale_ = QRegion(QRect(QPoint(0, 0), size));
}

void DrawingWindow::RenderStaleParts() {
  if (scene_.isNull() || stale_.isEmpty()) return;
  const QRegion region = stale_ & QRegion(scene_.rect());
  stale_ = QRegion();
  if (region.isEmpty()) return;
  QPainter painter(&scene_);
  painter.setClipRegion(region);
  painter.fillRect(region.boundingRect(), Qt::white);
  {
    QtCanvas canvas(painter);
    PaintShownScene(canvas, state_, state_.view);
  }
  ++scene_renders_;
  if (state_.drag.mark_shown != 0 || state_.bed_edit.rubber_shown != 0) {
    QtCanvas marks(painter);
    DrawShownMarks(marks, state_.drag, state_.bed_edit);
  }
}

QImage DrawingWindow::SceneImage() {
  RenderStaleParts();
  return scene_;
}

void DrawingWindow::paintEvent(QPaintEvent* event) {
  RenderStaleParts();
  QPainter painter(viewport());
  if (scene_.isNull()) {
    painter.fillRect(event->rect(), Qt::white);
  } else {
    for (const QRect& rect : event->region()) painter.drawImage(rect.topLeft(), scene_, rect);
  }
  if (!first_painted_) {
    first_painted_ = true;
    emit FirstPainted();
  }
}

void DrawingWindow::mousePressEvent(QMouseEvent* event) {
  // A click into an inactive application only activates it.
  if (event->button() != Qt::LeftButton || state_.design.app_active == 0) return;
  const QPoint at = event->position().toPoint();
  switch (state_.design.edit_mode) {
    case 0:
      PickGenerator(at.x(), at.y(), state_.design, state_.view, state_.drag, *this);
      break;
    case 1:
      BedButtonDown(at.x(), at.y(), state_.design, state_.view, state_.bed_edit, *this);
      break;
    default:
      break;
  }
  if (mouse_edit_.empty()) mouse_edit_ = MouseEditName(state_.drag, state_.bed_edit);
}

void DrawingWindow::mouseDoubleClickEvent(QMouseEvent*) {
  // The second press of a double click starts nothing.
}

void DrawingWindow::mouseMoveEvent(QMouseEvent* event) {
  if (state_.design.app_active == 0) return;
  InvalidateCoordField(*this, state_.infobar);
  const QPoint at = event->position().toPoint();
  switch (state_.design.edit_mode) {
    case 0:
      TrackGenerator(at.x(), at.y(), state_.drag, *this);
      break;
    case 1:
      BedMouseMove(at.x(), at.y(), state_.bed_edit, *this);
      break;
    default:
      break;
  }
  if (!mouse_edit_.empty() && mouse_edit_moved_) mouse_edit_moved_(at.x(), at.y());
}

void DrawingWindow::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || state_.design.app_active == 0) return;
  const int x = event->position().toPoint().x();
  const int y = event->position().toPoint().y();
  DesignRecord& design = state_.design;
  BedEditState& bed = state_.bed_edit;
  // Only the release writes the edit; what the keys did to the design meanwhile (an undo, a
  // dialog) stays a step of its own.
  const DesignRecord before = design;
  switch (design.edit_mode) {
    case 0:
      DropGenerator(x, y, design, state_.view, state_.drag, *this);
      break;
    case 1:
      BedButtonUp(x, y, design, state_.view, bed, *this);
      break;
    default:
      break;
  }
  // The mode can change during a drag (menu keys); the drag still ends with its button, so the
  // mouse is never left captured.
  if (state_.drag.drag_active != 0) DropGenerator(x, y, design, state_.view, state_.drag, *this);
  if (bed.bed_resize_active != 0 || bed.bed_move_active != 0) BedButtonUp(x, y, design, state_.view, bed, *this);
  if (!mouse_edit_.empty() && MouseEditName(state_.drag, bed).empty()) {
    const std::string name = std::move(mouse_edit_);
    mouse_edit_.clear();
    if (mouse_edit_done_) mouse_edit_done_(name, before);
  }
}

void DrawingWindow::AbandonMouseEdit() {
  BedEditState bed_edit;
  bed_edit.bed_handles_shown = state_.bed_edit.bed_handles_shown;
  state_.bed_edit = bed_edit;
  state_.drag = GeneratorDragState{};
  mouse_edit_.clear();
  ReleaseMouse();
  // The drag mark or rubber band is inverted into the picture; a repaint takes it out.
  InvalidateDrawing(*this);
}

void DrawingWindow::wheelEvent(QWheelEvent* event) { event->ignore(); }

void DrawingWindow::CaptureMouse() {
  if (captured_ || !viewport()->isVisible()) return;
  viewport()->grabMouse();
  captured_ = true;
}

void DrawingWindow::ReleaseMouse() {
  if (!captured_) return;
  viewport()->releaseMouse();
  captured_ = false;
}

void DrawingWindow::ShowWaitCursor() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  ++wait_depth_;
}

void DrawingWindow::RestoreCursor() {
  if (wait_depth_ == 0) return;
  QGuiApplication::restoreOverrideCursor();
  --wait_depth_;
}

void DrawingWindow::Invalidate(HostWindow window, const PixelRect* rect, bool) {
  if (window == HostWindow::kInfobar) {
    if (infobar_ == nullptr) return;
    if (rect == nullptr) {
      infobar_->update();
    } else {
      infobar_->update(ToQRect(*rect));
    }
    return;
  }
  // The stale part is cleared to white before the scene is drawn, so erase or not is the same.
  if (rect == nullptr) {
    stale_ = QRegion(scene_.rect());
    viewport()->update();
  } else {
    const QRect area = ToQRect(*rect) & scene_.rect();
    if (area.isEmpty()) return;
    stale_ += area;
    viewport()->update(area);
  }
}

void DrawingWindow::SetScrollRange(ScrollBar bar, int min, int max, bool) { Bar(bar)->setRange(min, max); }

void DrawingWindow::SetScrollPos(ScrollBar bar, int pos, bool) {
  QScrollBar* scroll_bar = Bar(bar);
  // A position beyond the range shows at the bar's end; the view state keeps the true one. Set
  // as the value, the bar sends no scroll action of its own back into the view state.
  scroll_bar->setValue(std::clamp(pos, scroll_bar->minimum(), scroll_bar->maximum()));
}

Canvas* DrawingWindow::BeginTransientDrawing() {
  if (transient_canvas_) return transient_canvas_.get();
  RenderStaleParts();
  if (scene_.isNull()) return nullptr;
  transient_painter_.emplace(&scene_);
  transient_canvas_ = std::make_unique<QtCanvas>(*transient_painter_);
  return transient_canvas_.get();
}

void DrawingWindow::EndTransientDrawing(Canvas*) {
  if (!transient_canvas_) return;
  transient_canvas_.reset();
  transient_painter_.reset();
  viewport()->update();
}

}  // namespace orvendi
