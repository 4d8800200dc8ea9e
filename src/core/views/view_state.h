#pragma once

namespace orvendi {

// How world metres map onto the drawing area's pixels: which view, what world point sits at
// the window centre, the scales and the scroll positions.
struct ViewState {
  int current_view = 0;  // 0 plan, 1 front, 2 side
  double view_centre_x = 0.0;
  double view_centre_y = 0.0;
  double view_centre_z = 0.0;
  double pixels_per_metre_x = 0.0;
  double pixels_per_metre_y = 0.0;
  double pixels_per_metre_z = 0.0;
  int scale_percent = 0;
  int drawing_width = 0;
  int drawing_height = 0;
  int window_centre_x = 0;
  int window_centre_y = 0;
  int hscroll_pos = 0;
  int vscroll_pos = 0;

  friend bool operator==(const ViewState&, const ViewState&) = default;
};

class Host;

// Plan view at 100 % centred on the origin, both scroll thumbs in the middle of 0..1000; sets up
// the drawing area's scroll bars through the host.
void ApplyViewDefaults(ViewState& view, Host& host);

}  // namespace orvendi
