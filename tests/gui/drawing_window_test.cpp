#include "gui/widgets/drawing_window.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "core/platform/canvas.h"
#include "core/app/app_state.h"
#include "core/views/view_geometry.h"

namespace orvendi {
namespace {

bool IsColour(const QImage& image, int x, int y, QRgb colour) {
  return (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}

// A drawing area on its own with a viewport of 800 x 600 pixels and the defaults applied.
class DrawingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<DrawingWindow>(state, nullptr);
    ApplyViewDefaults(state.view, *window);
    ApplyDesignDefaults(state.design);
    window->resize(800 + window->verticalScrollBar()->sizeHint().width(),
                   600 + window->horizontalScrollBar()->sizeHint().height());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_EQ(window->viewport()->size(), QSize(800, 600));
    viewport = window->viewport();
  }

  QPoint Window(double x, double y, double z = 0.0) const {
    return QPoint(WorldToWindowX(state.view, x, y), WorldToWindowY(state.view, y, z));
  }

  AppState state;
  std::unique_ptr<DrawingWindow> window;
  QWidget* viewport = nullptr;
};

TEST_F(DrawingWindowTest, ResizeSetsTheWindowCentreFromTheClientArea) {
  EXPECT_EQ(state.view.drawing_width, 800);
  EXPECT_EQ(state.view.drawing_height, 600);
  EXPECT_EQ(state.view.window_centre_x, 400);
  EXPECT_EQ(state.view.window_centre_y, 300);
  EXPECT_EQ(window->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window->horizontalScrollBar()->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window->horizontalScrollBar()->maximum(), 1000);
  EXPECT_EQ(window->verticalScrollBar()->value(), 500);
}

TEST_F(DrawingWindowTest, PaintsTheSceneOnWhite) {
  const QImage image = window->SceneImage();
  // Generators red on their window positions, the scan grid green, the corners white.
  EXPECT_TRUE(IsColour(image, Window(0.25, 0.25).x(), Window(0.25, 0.25).y(), qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColour(image, Window(-0.25, 0.25).x(), Window(-0.25, 0.25).y(), qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColour(image, Window(0.0, -0.26).x(), Window(0.0, -0.26).y(), qRgb(255, 0, 0)));
  const QPoint grid = Window(-0.05, -0.2);  // on the grid line x = -0.05, between two points
  EXPECT_TRUE(IsColour(image, grid.x(), grid.y(), qRgb(0, 255, 0)));
  EXPECT_TRUE(IsColour(image, 2, 2, qRgb(255, 255, 255)));
  // The bed's teal outline at x = -0.5 m.
  EXPECT_TRUE(IsColour(image, Window(-0.5, 0.0).x(), Window(-0.5, 0.0).y(), qRgb(0, 128, 128)));
}

TEST_F(DrawingWindowTest, AGeneratorDraggedInThePlanViewLandsWhereDropped) {
  const QPoint start = Window(0.25, 0.25) + QPoint(2, 1);
  const QPoint target(123, 456);
  QTest::mousePress(viewport, Qt::LeftButton, {}, start);
  EXPECT_EQ(state.drag.drag_active, 1);
  EXPECT_TRUE(window->MouseCaptured());
  const int renders = window->SceneRenders();
  const QImage before_moves = window->SceneImage();
  for (int step = 1; step <= 10; ++step) QTest::mouseMove(viewport, start + (target - start) * step / 10);
  QApplication::processEvents();
  // The drag moves only the inverted mark; the scene is not drawn again.
  EXPECT_EQ(window->SceneRenders(), renders);
  const QImage during = window->SceneImage();
  EXPECT_NE(during.pixel(target.x() + 3, target.y()), before_moves.pixel(target.x() + 3, target.y()));

  QTest::mouseRelease(viewport, Qt::LeftButton, {}, target);
  EXPECT_EQ(state.drag.drag_active, 0);
  EXPECT_FALSE(window->MouseCaptured());
  const GeneratorRecord& g = state.design.generators[2];
  EXPECT_DOUBLE_EQ(g.x, (123 - 400) / 400.0);
  EXPECT_DOUBLE_EQ(g.y, (300 - 456) / 400.0);
  EXPECT_EQ(g.z, 0.0);
  for (const CoilRecord& coil : g.coils) {
    EXPECT_EQ(coil.x, g.x);
    EXPECT_EQ(coil.y, g.y);
    EXPECT_EQ(coil.z, 0.0);
  }
  // The mark is gone and the generator is drawn at its new place, not at the old one.
  const QImage after = window->SceneImage();
  EXPECT_TRUE(IsColour(after, target.x(), target.y(), qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColour(after, target.x() + 3, target.y() + 3, qRgb(255, 255, 255)));
  const QPoint old_place = Window(0.25, 0.25);
  EXPECT_FALSE(IsColour(after, old_place.x(), old_place.y(), qRgb(255, 0, 0)));
  // The other generators stay put.
  EXPECT_DOUBLE_EQ(state.design.generators[1].x, -0.25);
}

TEST_F(DrawingWindowTest, AClickAwayFromEveryGeneratorOrADoubleClickStartsNoDrag) {
  QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(state.drag.drag_active, 0);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 10));

  const QPoint on_generator = Window(-0.25, 0.25);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, on_generator);
  EXPECT_EQ(state.drag.drag_active, 0);
  EXPECT_FALSE(window->MouseCaptured());
}

TEST_F(DrawingWindowTest, AnInactiveApplicationIgnoresTheMouseAndTheScrollBars) {
  state.design.app_active = 0;
  const QPoint on_generator = Window(-0.25, 0.25);
  QTest::mousePress(viewport, Qt::LeftButton, {}, on_generator);
  EXPECT_EQ(state.drag.drag_active, 0);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_DOUBLE_EQ(state.design.generators[1].x, -0.25);

  window->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(state.view.hscroll_pos, 500);
  EXPECT_EQ(window->horizontalScrollBar()->value(), 500);
  EXPECT_EQ(state.view.view_centre_x, 0.0);
}

TEST_F(DrawingWindowTest, ABedEdgeDraggedMovesTheBed) {
  state.design.edit_mode = 1;
  // On the top edge, well away from the handles.
  const QPoint grab = Window(-0.25, 0.5) + QPoint(0, 3);
  QTest::mousePress(viewport, Qt::LeftButton, {}, grab);
  EXPECT_EQ(state.bed_edit.bed_move_active, 1);
  const int renders = window->SceneRenders();
  QTest::mouseMove(viewport, grab + QPoint(20, -20));
  QTest::mouseMove(viewport, grab + QPoint(40, -40));
  EXPECT_EQ(window->SceneRenders(), renders);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, grab + QPoint(40, -40));
  EXPECT_EQ(state.bed_edit.bed_move_active, 0);
  EXPECT_FALSE(window->MouseCaptured());
  EXPECT_NEAR(state.design.bed_x1, -0.4, 1e-12);
  EXPECT_NEAR(state.design.bed_x2, 0.6, 1e-12);
  EXPECT_NEAR(state.design.bed_y1, -0.4, 1e-12);
  EXPECT_NEAR(state.design.bed_y2, 0.6, 1e-12);
  EXPECT_EQ(state.design.bed_z1, 0.1);
  const QImage image = window->SceneImage();
  EXPECT_TRUE(IsColour(image, Window(0.6, 0.0).x(), Window(0.6, 0.0).y(), qRgb(0, 128, 128)));
}

TEST_F(DrawingWindowTest, AHandleDraggedPastTheOppositeSideTurnsTheBedOver) {
  state.design.edit_mode = 1;
  const QPoint handle3 = Window(0.5, 0.0);
  QTest::mousePress(viewport, Qt::LeftButton, {}, handle3);
  EXPECT_EQ(state.bed_edit.bed_resize_active, 1);
  const QPoint target = Window(-0.75, 0.0);
  QTest::mouseMove(viewport, target);
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, target);
  EXPECT_DOUBLE_EQ(state.design.bed_x1, -0.75);
  EXPECT_DOUBLE_EQ(state.design.bed_x2, -0.5);
  EXPECT_DOUBLE_EQ(state.design.bed_y1, -0.5);
  EXPECT_DOUBLE_EQ(state.design.bed_y2, 0.5);
}

TEST_F(DrawingWindowTest, MarksSurviveARepaintOfTheSceneDuringAMouseEdit) {
  // A live result repaints the scene under the drag mark or the rubber band; when they are
  // hidden and drawn elsewhere afterwards, no trace of them may stay behind.
  const auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, from + (to - from) / 2);
    InvalidateDrawing(*window);
    window->SceneImage();
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    const QImage after = window->SceneImage();
    InvalidateDrawing(*window);
    EXPECT_EQ(after, window->SceneImage());
  };
  drag(Window(0.25, 0.25), QPoint(123, 456));
  ASSERT_EQ(state.drag.drag_active, 0);
  state.design.edit_mode = 1;
  state.bed_edit.bed_handles_shown = 1;
  drag(Window(-0.25, 0.5) + QPoint(0, 3), Window(-0.25, 0.5) + QPoint(30, -40));
  EXPECT_EQ(state.bed_edit.bed_move_active, 0);
}

TEST_F(DrawingWindowTest, ScrollBarStepsMoveTheView) {
  QScrollBar* h = window->horizontalScrollBar();
  QScrollBar* v = window->verticalScrollBar();
  h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(state.view.hscroll_pos, 505);
  EXPECT_DOUBLE_EQ(state.view.view_centre_x, 0.505 - 0.5);
  EXPECT_EQ(h->value(), 505);
  h->triggerAction(QAbstractSlider::SliderPageStepSub);
  h->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(state.view.hscroll_pos, 405);
  EXPECT_EQ(h->value(), 405);
  v->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(state.view.vscroll_pos, 550);
  EXPECT_DOUBLE_EQ(state.view.view_centre_y, 0.5 - 0.55);

  // The thumb acts when it is released, at the position it was dropped.
  h->setSliderDown(true);
  h->setSliderPosition(800);
  EXPECT_EQ(state.view.hscroll_pos, 405);
  h->setSliderDown(false);
  EXPECT_EQ(state.view.hscroll_pos, 800);
  EXPECT_DOUBLE_EQ(state.view.view_centre_x, 0.3);

  // Top and bottom are left alone.
  v->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(state.view.vscroll_pos, 550);
  EXPECT_EQ(v->value(), 550);

  // Stepping clamps only in the step's direction.
  for (int i = 0; i < 30; ++i) h->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(state.view.hscroll_pos, 1000);
  EXPECT_DOUBLE_EQ(state.view.view_centre_x, 0.5);
}

TEST_F(DrawingWindowTest, APositionBeyondTheRangeStepsBackFromWhereItIs) {
  for (int i = 0; i < 7; ++i) NudgeViewCentre(state.view, 0, false, *window, state.infobar);
  EXPECT_EQ(state.view.hscroll_pos, 1200);
  EXPECT_EQ(window->horizontalScrollBar()->value(), 1000);
  window->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(state.view.hscroll_pos, 1195);
  EXPECT_NEAR(state.view.view_centre_x, 0.695, 1e-12);
}

TEST_F(DrawingWindowTest, ScrollingRepaintsTheSceneAtTheNewCentre) {
  const QImage before = window->SceneImage();
  window->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);  // 50 mm = 20 px
  const QImage after = window->SceneImage();
  const QPoint generator = Window(-0.25, 0.25);
  EXPECT_TRUE(IsColour(after, generator.x(), generator.y(), qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColour(before, generator.x() + 20, generator.y(), qRgb(255, 0, 0)));
}

TEST_F(DrawingWindowTest, RepaintRequestsRedrawOnlyTheirRectangle) {
  QImage image = window->SceneImage();
  const QPoint old_place = Window(-0.25, 0.25);
  SetGeneratorPosition(state.design.generators[1], 0.0, 0.0, 0.0);
  // Not yet asked to repaint: the picture is as it was.
  image = window->SceneImage();
  EXPECT_TRUE(IsColour(image, old_place.x(), old_place.y(), qRgb(255, 0, 0)));
  const PixelRect square{400 - 3, 300 - 3, 400 + 4, 300 + 4};
  window->Invalidate(HostWindow::kDrawing, &square, true);
  image = window->SceneImage();
  EXPECT_TRUE(IsColour(image, 400, 300, qRgb(255, 0, 0)));
  EXPECT_TRUE(IsColour(image, old_place.x(), old_place.y(), qRgb(255, 0, 0)));
  window->Invalidate(HostWindow::kDrawing, nullptr, true);
  image = window->SceneImage();
  EXPECT_FALSE(IsColour(image, old_place.x(), old_place.y(), qRgb(255, 0, 0)));
}

TEST_F(DrawingWindowTest, TransientDrawingInvertsAndASecondDrawingRestores) {
  const QImage before = window->SceneImage();
  for (int pass = 0; pass < 2; ++pass) {
    Canvas* canvas = window->BeginTransientDrawing();
    ASSERT_NE(canvas, nullptr);
    {
      ScopedInvert invert(*canvas);
      ScopedBrush hollow(*canvas, Brush{kWhite, true});
      canvas->Rectangle(100, 100, 200, 150);
    }
    window->EndTransientDrawing(canvas);
    if (pass == 0) {
      EXPECT_NE(window->SceneImage().pixel(100, 120), before.pixel(100, 120));
    }
  }
  EXPECT_EQ(window->SceneImage(), before);
}

TEST_F(DrawingWindowTest, WaitCursorAndCaptureAreBalanced) {
  window->ShowWaitCursor();
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  window->RestoreCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  window->RestoreCursor();  // an extra restore takes nothing away from others
  window->CaptureMouse();
  EXPECT_TRUE(window->MouseCaptured());
  EXPECT_EQ(QWidget::mouseGrabber(), viewport);
  window->ReleaseMouse();
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

}  // namespace
}  // namespace orvendi
