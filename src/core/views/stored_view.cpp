#include "core/views/stored_view.h"

#include "core/views/view_geometry.h"

namespace orvendi {

StoredView StoreView(const ViewState& view) {
  return StoredView{view.current_view, view.scale_percent, view.view_centre_x, view.view_centre_y,
                    view.view_centre_z};
}

void ApplyStoredView(const StoredView& stored, ViewState& view, Host& host, const InfobarLayout& infobar) {
  SetScale(view, stored.scale_percent, host);
  view.view_centre_x = stored.view_centre_x;
  view.view_centre_y = stored.view_centre_y;
  view.view_centre_z = stored.view_centre_z;
  SelectView(view, stored.current_view, host, infobar);
}

}  // namespace orvendi
