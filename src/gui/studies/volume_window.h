#pragma once

#include <QWidget>

#include "core/analysis/volume.h"
#include "core/design/design_record.h"

class QComboBox;
class QLabel;

namespace orvendi {

// The planes of a volume calculation: a plane selector with the chosen plane's maps and error
// map as the drawing area would show them, the figures of the plane and of the whole volume, and
// the max and RMS error against the plane's position. Deletes itself when closed.
class VolumeWindow : public QWidget {
  Q_OBJECT

 public:
  VolumeWindow(const DesignRecord& design, VolumeResult volume, QWidget* parent);

  int Plane() const { return plane_; }
  void SelectPlane(int plane);
  const VolumeResult& Volume() const { return volume_; }

 private:
  void ShowFigures();

  DesignRecord design_;
  VolumeResult volume_;
  int plane_ = 0;
  QComboBox* planes_ = nullptr;
  QLabel* figures_ = nullptr;
  QWidget* picture_ = nullptr;
};

}  // namespace orvendi
