#include "gui/widgets/infobar_widget.h"

#include <QCursor>
#include <QImage>
#include <QPainter>
#include <QPalette>

#include "gui/widgets/qt_canvas.h"
#include "core/views/infobar.h"
#include "core/views/scene_model.h"

namespace orvendi {

InfobarWidget::InfobarWidget(const SceneModel& state, QWidget* drawing_client, QWidget* parent)
    : QWidget(parent), state_(state), drawing_client_(drawing_client) {
  setObjectName(QStringLiteral("Infobar"));
  setWindowTitle(QStringLiteral("Infobar"));
  setFocusPolicy(Qt::NoFocus);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(kInfobarGrey.r, kInfobarGrey.g, kInfobarGrey.b));
  setPalette(palette);
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);
}

InfobarLayout InfobarWidget::MeasureLayout() {
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  QtCanvas canvas(painter);
  return MeasureInfobarLayout(canvas);
}

void InfobarWidget::paintEvent(QPaintEvent*) {
  const QPoint pointer = drawing_client_->mapFromGlobal(QCursor::pos());
  QPainter painter(this);
  QtCanvas canvas(painter);
  PaintInfobar(canvas, state_.infobar, width(), pointer.x(), pointer.y(), state_.view, state_.design);
}

}  // namespace orvendi
