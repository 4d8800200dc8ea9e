#pragma once

#include <string>
#include <string_view>

#include "design/design_record.h"
#include "platform/canvas.h"
#include "platform/host.h"
#include "views/infobar_layout.h"
#include "views/view_state.h"

namespace orvendi {

inline constexpr std::string_view kInfobarMeasureText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr Rgb kInfobarGrey{192, 192, 192};
inline constexpr Rgb kFrameShadow{128, 128, 128};

// The strip's font (a swiss family, 10 pixels).
Font InfobarFont();

// Height and field edges from the measured size of kInfobarMeasureText in InfobarFont().
InfobarLayout ComputeInfobarLayout(TextSize measured);

// "X: %-5.3f   " for axis 'X', 'Y' or 'Z', whatever the desktop's locale.
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
