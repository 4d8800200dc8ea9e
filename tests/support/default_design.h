#pragma once

#include "core/design/design_record.h"
#include "core/platform/host.h"
#include "core/views/view_state.h"

namespace orvendi::testing {

// The design as the program starts with it.
inline DesignRecord DefaultDesign() {
  DesignRecord design;
  ViewState view;
  NullHost host;
  ApplyViewDefaults(view, host);
  ApplyDesignDefaults(design);
  return design;
}

}  // namespace orvendi::testing
