#pragma once

#include "core/design/design_file.h"
#include "core/platform/host.h"
#include "core/views/infobar_layout.h"
#include "core/views/view_state.h"

namespace orvendi {

// The part of the view a design file keeps.
StoredView StoreView(const ViewState& view);

// Shows a design file's view: the scale through the scale command, so that the pixel scales
// follow, then the centre and the view through the view command, so that the scroll bars follow;
// the drawing and the strip's view name are repainted.
void ApplyStoredView(const StoredView& stored, ViewState& view, Host& host, const InfobarLayout& infobar);

}  // namespace orvendi
