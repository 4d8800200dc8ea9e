#pragma once

namespace orvendi {

// Pixel layout of the coordinate read-out strip, fixed once its font has been measured.
// Field edges are strip client x positions; the spare field runs to the client width - 2.
struct InfobarLayout {
  int char_width = 0;
  int coord_step = 0;  // from one coordinate's text to the next
  int infobar_height = 0;
  int coord_field_left = 0;
  int coord_field_right = 0;
  int view_field_left = 0;
  int view_field_right = 0;
  int mode_field_left = 0;
  int mode_field_right = 0;
  int spare_field_left = 0;
  friend bool operator==(const InfobarLayout&, const InfobarLayout&) = default;
};

}  // namespace orvendi
