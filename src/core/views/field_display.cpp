#include "core/views/field_display.h"

#include <algorithm>
#include <cmath>

#include "core/design/round_half_away.h"
#include "core/field/bed_field.h"
#include "core/field/coil_field.h"
#include "core/field/sheet_bed_model.h"
#include "core/views/view_geometry.h"

namespace orvendi {

FieldDisplaySetup PrepareFieldDisplay(const DesignRecord& design) {
  FieldDisplaySetup setup;
  setup.with_bed = design.display_bed_field != 0;
  for (int k = 0; k < kCoilCount; ++k) {
    FieldDisplaySetup::Coil& coil = setup.coils[k];
    coil.shown = design.coil_display[k] != 0;
    if (!coil.shown) continue;
    setup.any_coil = true;
    const GeneratorRecord& g = design.generators[k / 3];
    const CoilRecord& record = g.coils[k % 3];
    LoopCorners corners;
    if (g.real_dipole != 0 && SquareCoilCorners(record, corners)) {
      coil.square_loop = true;
      coil.sides = MakeLoopSides(corners);
      coil.strength = CoilStrength(record);
    }
    coil.bed_strength = BedStrength(BedCurrentMagnitude(design.bed_currents[k]));
  }
  setup.bed_sides = MakeLoopSides(BedLoopCorners(design));
  if (setup.with_bed && design.bed_model == 1) setup.sheet = CachedSheet(design);
  return setup;
}

Vector3 DisplayedField(const FieldDisplaySetup& setup, const DesignRecord& design, const Vector3& point) {
  const bool loop = setup.with_bed && design.bed_model != 1;
  LoopShapes bed;
  if (loop) bed = ShapesOfLoop(setup.bed_sides, point);
  std::array<ComplexVector3, kCoilCount> sheet{};
  if (setup.sheet) sheet = SheetField(*setup.sheet, point);
  Vector3 b;
  for (int k = 0; k < kCoilCount; ++k) {
    const FieldDisplaySetup::Coil& coil = setup.coils[k];
    if (!coil.shown) continue;
    if (coil.square_loop) {
      b += FieldOfLoop(ShapesOfLoop(coil.sides, point), coil.strength);
    } else {
      b += CoilField(design.generators[k / 3], k % 3, point);
    }
    if (loop) b += FieldOfLoop(bed, coil.bed_strength);
    if (setup.sheet) b += sheet[k].re;
  }
  return b;
}

void DrawBField(Canvas& canvas, const DesignRecord& design, const ViewState& view) {
  // The sides of every loop are prepared once; the bed outline's shape is found once per sample
  // and scaled for each displayed coil's bed current.
  const FieldDisplaySetup setup = PrepareFieldDisplay(design);
  if (!setup.any_coil) return;

  // Samples stop short of the int range whatever size the area claims.
  const int width = std::min(view.drawing_width, kPixelLimit);
  const int height = std::min(view.drawing_height, kPixelLimit);
  int py = 0;
  do {
    int px = 0;
    do {
      const Vector3 p{WindowToWorldX(view, px), WindowToWorldY(view, px, py), WindowToWorldZ(view, py)};
      const Vector3 b = DisplayedField(setup, design, p);
      const double m = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
      if (m > 1e-20) {
        double h = 0.0;
        double v = 0.0;
        switch (view.current_view) {
          case 0:
            h = b.x;
            v = b.y;
            break;
          case 1:
            h = b.x;
            v = b.z;
            break;
          case 2:
            h = b.y;
            v = b.z;
            break;
          default:
            break;
        }
        const int ex = RoundHalfAway(h * kFieldLineLength / m);
        const int ey = RoundHalfAway(kFieldLineLength * v / m);
        canvas.MoveTo(px, py);
        canvas.LineTo(px + ex, py - ey);
      }
      px += kFieldGridStep;
    } while (px < width);
    py += kFieldGridStep;
  } while (py < height);
}

}  // namespace orvendi
