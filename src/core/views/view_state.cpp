#include "core/views/view_state.h"

#include "core/platform/host.h"

namespace orvendi {

void ApplyViewDefaults(ViewState& view, Host& host) {
  view.hscroll_pos = 500;
  view.vscroll_pos = 500;
  view.current_view = 0;

  host.SetScrollRange(ScrollBar::kHorizontal, 0, 1000, false);
  host.SetScrollRange(ScrollBar::kVertical, 0, 1000, false);
  host.SetScrollPos(ScrollBar::kHorizontal, view.hscroll_pos, true);
  host.SetScrollPos(ScrollBar::kVertical, view.vscroll_pos, true);

  view.view_centre_x = 0.0;
  view.view_centre_y = 0.0;
  view.view_centre_z = 0.0;
  view.pixels_per_metre_x = 400.0;
  view.pixels_per_metre_y = 400.0;
  view.pixels_per_metre_z = 400.0;
  view.scale_percent = 100;
}

}  // namespace orvendi
