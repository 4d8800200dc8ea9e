#pragma once

#include <string>
#include <string_view>

#include "core/design/design_record.h"
#include "core/platform/canvas.h"
#include "core/platform/host.h"
#include "core/views/infobar_layout.h"
#include "core/views/view_state.h"

namespace orvendi {

inline constexpr std::string_view kInfobarMeasureText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr Rgb kInfobarGrey{192, 192, 192};
inline constexpr Rgb kFrameShadow{128, 128, 128};

// The strip's font (a swiss family, 10 pixels).
Font InfobarFont();

// The widest text each field shows, as measured in InfobarFont(); 0 asks for no more room than
// the nominal layout has.
struct InfobarTextWidths {
  int coordinate = 0;  // one coordinate's text, trailing blanks left out
  int view_name = 0;
  int mode_name = 0;
};

// Height and field edges from the measured size of kInfobarMeasureText in InfobarFont(): the
// coordinate, view and mode fields are 24, 10 and 16 letters wide, a coordinate 8 letters from
// the next, each widened where its widest text would not fit. A text starts 3 pixels into its
// field and ends before the field's right border.
InfobarLayout ComputeInfobarLayout(TextSize measured, const InfobarTextWidths& widest = {});

// The layout for InfobarFont() as `canvas` measures it, with room for every view and mode name
// and for every coordinate text: a fallback face may be wider than the strip's own.
InfobarLayout MeasureInfobarLayout(Canvas& canvas);

// "X: %-5.3f   " for axis 'X', 'Y' or 'Z', whatever the desktop's locale, the number in at most
// six characters as "-9.999" is: fewer decimals for a larger one, then "-1e308".
std::string FormatCoordinate(char axis, double value);
// "Plan View", "Front View", "Side View"; empty for any other value.
std::string_view ViewName(int view);
// "Position Generators", "Modify Bed"; empty for any other value.
std::string_view ModeName(int mode);

// The whole strip: coordinates of the pointer (given in the drawing area's client pixels),
// view name, mode name, then the raised frame and the four sunken fields.
void PaintInfobar(Canvas& canvas, const InfobarLayout& layout, int client_width, int pointer_x, int pointer_y,
                  const ViewState& view, const DesignRecord& design);

// Repaint requests for the fields of the strip (HostWindow::kInfobar). The coordinates field
// is repainted without erase; its opaque text covers what was there.
void InvalidateCoordField(Host& host, const InfobarLayout& layout);
void InvalidateViewNameField(Host& host, const InfobarLayout& layout);
void InvalidateModeNameField(Host& host, const InfobarLayout& layout);

}  // namespace orvendi
