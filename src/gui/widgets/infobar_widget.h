#pragma once

#include <QWidget>

#include "core/views/infobar_layout.h"

namespace orvendi {

struct SceneModel;

// The read-out strip ("Infobar") along the bottom of the main window: the pointer's world
// coordinates, the view name and the edit-mode name in sunken fields on light grey.
class InfobarWidget : public QWidget {
  Q_OBJECT

 public:
  // `drawing_client` is the widget whose client pixels the pointer position is read in.
  InfobarWidget(const SceneModel& state, QWidget* drawing_client, QWidget* parent);

  // Height and field edges from the strip's font as measured on this platform.
  static InfobarLayout MeasureLayout();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const SceneModel& state_;
  QWidget* drawing_client_;
};

}  // namespace orvendi
